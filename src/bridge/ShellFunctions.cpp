// zorv.shell.* and zorv.system.*: start programs and documents, show a file in the file manager,
// run a command and read its output, list the top-level windows, end the session.
#include "bridge/BrowserExternalModule.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/OperatingSystem.h"
#include "platform/UiThread.h"
#include "shared/CommandOutput.h"
#include "shared/FailureSink.h"
#include "shared/FileSystem.h"
#include "shared/StrUtils.h"

namespace zorv {
namespace {

// The system's message without trailing blanks, control characters or full stops.
std::string SystemErrorText(const TStatus& outcome) {
    std::string text = outcome.Error();
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) text.pop_back();
    return text;
}

// A command's output as the JSON string of its reply, or why it is not passed on: the command
// wrote more than the limit and was ended for it, or the output would take more than
// MaxCommandReplyBytes as JSON text. The raw output is released by the caller as soon as this
// returns, so at most the output and its JSON text are held together.
TResult<std::string> CommandReply(const std::string& output) {
    if (CommandOutputWasCut(output)) {
        return Failure("The command wrote more than " + std::to_string(MaxCommandOutputBytes >> 20) +
                       " MiB of output and was ended");
    }
    std::optional<std::string> text = TStrUtils::StringToJsonStringWithin(output, MaxCommandReplyBytes);
    if (!text) {
        return Failure("The command's output takes more than " + std::to_string(MaxCommandReplyBytes >> 20) +
                       " MiB as JSON text and was not passed on");
    }
    return std::move(*text);
}

// The JSON text of a reply to a command, and whether it is a success.
struct TCommandAnswer {
    std::string replyJson;
    bool success;
};

TCommandAnswer AnswerTo(TResult<std::string> reply) {
    if (!reply) return {TStrUtils::StringToJsonString(reply.Error()), false};
    return {std::move(reply).Value(), true};
}

bool IsExistingFolder(const std::string& path) { return TFileSystem::IsFolder(TPagePaths::ToFsPath(path)); }

std::string JsonStringList(const std::vector<std::string>& items) {
    std::string result = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) result += ',';
        result += TStrUtils::StringToJsonString(items[i]);
    }
    result += ']';
    return result;
}

}  // namespace

void TBrowserExternalModule::ShellExecute(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = args.ReadString("filePath");
    const std::string arguments = args.ReadString("arguments");
    if (filePath.empty()) return SendError(uuid, "Missing filePath");
    SendSystemResult(uuid, FServices.operatingSystem->ShellExec(filePath, arguments));
}

void TBrowserExternalModule::ShellExplore(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = args.ReadString("filePath");
    if (filePath.empty()) return SendError(uuid, "Missing filePath");
    SendSystemResult(uuid, FServices.operatingSystem->ShellExplore(filePath));
}

// The command runs on a worker thread so that the window and other calls stay responsive; its
// reply is posted back to the UI thread and dropped there if the module has gone meanwhile.
void TBrowserExternalModule::ShellCommand(const std::string& uuid, const TBridgeArguments& args) {
    const std::string command = args.ReadString("command");
    if (command.empty()) return SendError(uuid, "Missing command");
    const std::string workingDir = args.ReadString("workingDir");
    const bool showWindow = args.ReadString("showWindow", "false") == "true";
    if (!workingDir.empty() && !IsExistingFolder(workingDir)) {
        return SendError(uuid, "Working folder \"" + workingDir + "\" does not exist");
    }

    std::shared_ptr<IOperatingSystem> os = FServices.operatingSystem;
    std::shared_ptr<IUiThread> uiThread = FServices.uiThread;
    if (uiThread) {
        auto run = [os, uiThread, uuid, command, workingDir, showWindow, lifetime = Lifetime(), self = this,
                    target = CallReply()]() mutable {
            // The reply goes to the document that asked, and only while it is still there.
            const auto post = [&](TCommandAnswer answer) {
                uiThread->Post([lifetime, self, uuid, answer = std::move(answer), target] {
                    if (!lifetime.Expired()) self->SendReplyTo(target, uuid, answer.replyJson, answer.success);
                });
            };
            try {
                post(AnswerTo(CommandReply(os->GetDosOutput(command, workingDir, showWindow))));
            } catch (...) {
                // Out of memory on the worker: the call still settles, with a short error made
                // once the output is freed, rather than ending the process or going unanswered.
                TFailureSink::Report("A command's output could not be passed on");
                try {
                    post({"\"The command's output could not be passed on\"", false});
                } catch (...) {
                }
            }
        };
        try {
            std::thread(std::move(run)).detach();
            return;
        } catch (const std::system_error&) {
            // No thread to be had: run the command here instead.
        }
    }
    const TCommandAnswer answer = AnswerTo(CommandReply(os->GetDosOutput(command, workingDir, showWindow)));
    SendReply(uuid, answer.replyJson, answer.success);
}

void TBrowserExternalModule::ShellWindows(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, JsonStringList(FServices.operatingSystem->GetWindowsCaptions()));
}

void TBrowserExternalModule::SendSystemResult(const std::string& uuid, const TStatus& outcome) {
    if (outcome) return SendSuccess(uuid, "true");
    SendError(uuid, SystemErrorText(outcome));
}

void TBrowserExternalModule::SystemLogoff(const std::string& uuid, const TBridgeArguments&) {
    SendSystemResult(uuid, FServices.operatingSystem->ExitWindows(TExitWindowsAction::Logoff));
}

void TBrowserExternalModule::SystemReboot(const std::string& uuid, const TBridgeArguments&) {
    SendSystemResult(uuid, FServices.operatingSystem->ExitWindows(TExitWindowsAction::Reboot));
}

void TBrowserExternalModule::SystemShutdown(const std::string& uuid, const TBridgeArguments&) {
    SendSystemResult(uuid, FServices.operatingSystem->ExitWindows(TExitWindowsAction::Shutdown));
}

}  // namespace zorv
