// zorv.shell.* and zorv.system.*: real /bin/sh commands on worker threads; recorded shell, window
// and session requests.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <optional>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"
#include "shared/CommandOutput.h"
#include "shared/StrUtils.h"

namespace zorv::test {
namespace {

using namespace std::chrono_literals;

// Generous: only a hung command would reach it.
constexpr auto NoReplyLimit = 60s;

// Runs the UI thread's queue until `count` replies have been posted in all.
void RunUntilReplies(TTestBridgeHost& host, std::size_t count) {
    while (host.webView.Posted().size() < count) {
        ASSERT_TRUE(host.uiThread->WaitAndRun(NoReplyLimit)) << "no reply from the command";
    }
}

std::string Command(TTestBridgeHost& host, const std::string& data) {
    const std::size_t before = host.webView.Posted().size();
    host.Post("{\"id\": 70003, \"uuid\": \"u-1\", \"data\": " + data + "}");
    RunUntilReplies(host, before + 1);
    return host.webView.Posted().back();
}

TEST(ShellCommand, OutputComesBackWhole) {
    TScratchFolder folder;
    TTestBridgeHost host;
    const std::pair<std::string, std::string> cases[] = {
        {R"({"command": "echo hello"})", Success("\"hello\\n\"")},
        {R"({"command": "echo '\"quoted\"' \\\\"})", Success("\"\\\"quoted\\\" \\\\\\n\"")},
        {R"({"command": "printf 'a\\tb\\001'"})", Success("\"a\\tb\\u0001\"")},
        {R"({"command": "echo out; echo err >&2; echo out2"})", Success("\"out\\nerr\\nout2\\n\"")},
        {R"({"command": "true"})", Success("\"\"")},
        {R"({"command": "exit 3"})", Success("\"\"")},
        {R"({"command": "pwd", "workingDir": ")" + folder.Path().string() + "\"}",
         Success(TStrUtils::StringToJsonString(folder.Path().string() + "\n"))},
        {R"({"command": "echo never", "workingDir": "/no/such/folder"})",
         Failure("\"Working folder \\\"\\/no\\/such\\/folder\\\" does not exist\"")},
    };
    for (const auto& [data, reply] : cases) EXPECT_EQ(Command(host, data), reply) << data;
}

// A command that leaves a child running (a started server) is answered once the command itself
// has ended; the child is not waited for.
TEST(ShellCommand, BackgroundChildDoesNotHoldTheReply) {
    TScratchFolder folder;
    TTestBridgeHost host;
    const std::string flag = (folder.Path() / "flag").string();
    // The child also ends when the folder is gone, so that it never outlives the test.
    const std::string child =
        "(while [ -d '" + folder.Path().string() + "' ] && [ ! -e '" + flag + "' ]; do sleep 0.05; done)";
    EXPECT_EQ(Command(host, "{\"command\": \"" + child + " & echo started\"}"), Success("\"started\\n\""));
    WriteFileBytes(flag, "");
    EXPECT_EQ(Command(host, R"({"command": "echo next"})"), Success("\"next\\n\""));
}

// Endless output: the command is ended at the limit and the call rejected, not the runtime grown
// without end.
TEST(ShellCommand, OutputBeyondTheLimitEndsTheCommandAndIsAnError) {
    TTestBridgeHost host;
    EXPECT_EQ(Command(host, R"({"command": "yes"})"),
              Failure("\"The command wrote more than 64 MiB of output and was ended\""));
    EXPECT_EQ(Command(host, R"({"command": "echo next"})"), Success("\"next\\n\""));
}

// What a reply costs on its way to the page grows with its JSON text, not with the bytes read:
// output full of control characters (six bytes each as JSON) is refused once its text would pass
// MaxCommandReplyBytes, with an error that is itself small, valid JSON.
TEST(ShellCommand, OutputWhoseJsonTextPassesTheBoundIsRefused) {
    TTestBridgeHost host;
    const std::string controls = Command(
        host, R"({"command": "head -c )" + std::to_string(MaxCommandOutputBytes) + R"( /dev/zero | tr '\\0' '\\1'"})");
    EXPECT_LE(controls.size(), Failure("").size() + MaxCommandReplyBytes);
    EXPECT_TRUE(nlohmann::json::accept(controls));
    EXPECT_EQ(controls, Failure("\"The command's output takes more than 128 MiB as JSON text and was not passed on\""));
    EXPECT_EQ(Command(host, R"({"command": "printf '\\001/'"})"), Success(R"("\u0001\/")"));
}

// Printable characters, tabs and line ends take at most two bytes each as JSON: any such output
// within the byte limit fits the bound and comes through unchanged.
TEST(ShellCommand, PrintableOutputUpToTheByteLimitFitsTheReplyBound) {
    const std::string output(MaxCommandOutputBytes, '/');
    const std::optional<std::string> text = TStrUtils::StringToJsonStringWithin(output, MaxCommandReplyBytes);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), MaxCommandReplyBytes);
}

TEST(ShellCommand, MissingCommandIsTheInterpretersComplaint) {
    TTestBridgeHost host;
    const std::string reply = Command(host, R"({"command": "no-such-command-zorv"})");
    EXPECT_EQ(reply.rfind("{\"uuid\": \"u-1\", \"success\": true, \"result\": \"", 0), 0u) << reply;
    EXPECT_NE(reply.find("not found"), std::string::npos) << reply;
}

TEST(ShellCommand, LongOutputArrivesWhole) {
    TTestBridgeHost host;
    const std::string reply = Command(host, R"({"command": "head -c 300000 /dev/zero | tr '\\0' x"})");
    EXPECT_EQ(reply, Success("\"" + std::string(300000, 'x') + "\""));
}

TEST(ShellCommand, WindowIsShownOnlyForTheExactWordTrue) {
    TTestBridgeHost host;
    const std::pair<const char*, const char*> cases[] = {
        {"", "0 true"},
        {", \"showWindow\": true", "1 true"},
        {", \"showWindow\": \"true\"", "1 true"},
        {", \"showWindow\": \"TRUE\"", "0 true"},
        {", \"showWindow\": 1", "0 true"},
        {", \"showWindow\": false", "0 true"},
    };
    for (const auto& [member, recorded] : cases) {
        Command(host, std::string("{\"command\": \"true\"") + member + "}");
        EXPECT_EQ(host.os->Commands().back(), recorded) << member;
    }
}

TEST(ShellCommand, MissingCommandArgument) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("70003", "{}"), Failure("\"Missing command\""));
    EXPECT_EQ(host.Reply("70003", "{\"command\": \"\", \"workingDir\": [1]}"), Failure("\"Missing command\""));
    EXPECT_EQ(host.Reply("70003", "{\"command\": \"true\", \"workingDir\": [1]}"),
              Failure("\"Value 'workingDir' must be a string, not an array\""));
    EXPECT_TRUE(host.os->Commands().empty());
}

// The first command waits for a file that only the second one creates: run one after the other on
// the UI thread, they would never end.
TEST(ShellCommand, RunsAwayFromTheUiThread) {
    TScratchFolder folder;
    TTestBridgeHost host;
    const std::string flag = (folder.Path() / "flag").string();
    host.Post("{\"id\": 70003, \"uuid\": \"first\", \"data\": {\"command\": \"while [ ! -e '" + flag +
              "' ]; do sleep 0.01; done; echo first\"}}");
    EXPECT_TRUE(host.webView.Posted().empty()) << "the call returned before its command ended";
    EXPECT_EQ(host.Reply("10001"), Success("\"2022.1\""));
    host.Post("{\"id\": 70003, \"uuid\": \"second\", \"data\": {\"command\": \"touch '" + flag + "'; echo second\"}}");
    RunUntilReplies(host, 3);
    std::vector<std::string> replies(host.webView.Posted().begin() + 1, host.webView.Posted().end());
    std::sort(replies.begin(), replies.end());
    EXPECT_EQ(replies, (std::vector<std::string>{ReplyText("first", true, "\"first\\n\""),
                                                 ReplyText("second", true, "\"second\\n\"")}));
}

// The command's reply comes later, after calls from other documents: it still goes to the
// document that asked, never to the one on top.
TEST(ShellCommand, LateReplyGoesToTheDocumentThatAsked) {
    TTestBridgeHost host;
    auto asker = std::make_shared<TRecordingReply>();
    TWebMessage message;
    message.asJson = R"({"id": 70003, "uuid": "u-1", "data": {"command": "echo late"}})";
    message.sourceUrl = TTestBridgeHost::PageUrl;
    message.reply = asker;
    host.module->EdgeBrowserWebMessageReceived(message);
    EXPECT_EQ(host.Reply("10001", "{}", "\"u-2\""), ReplyText("u-2", true, "\"2022.1\""));
    while (asker->posted.empty()) ASSERT_TRUE(host.uiThread->WaitAndRun(NoReplyLimit)) << "no reply from the command";
    EXPECT_EQ(asker->posted, (std::vector<std::string>{Success("\"late\\n\"")}));
    EXPECT_EQ(host.webView.Posted().size(), 1u);
}

TEST(ShellCommand, ReplyAfterTheModuleIsGoneIsDropped) {
    TTestBridgeHost host;
    host.Post(R"({"id": 70003, "uuid": "u-1", "data": {"command": "echo late"}})");
    host.module.reset();
    ASSERT_TRUE(host.uiThread->WaitAndRun(NoReplyLimit));
    EXPECT_TRUE(host.webView.Posted().empty());
}

// Out of memory on the worker that runs the command: the call still settles, and the failure is
// reported.
TEST(ShellCommand, OutputThatCannotBeHeldIsAnErrorReply) {
    TTestBridgeHost host;
    const TRecordedFailures failures;
    host.os->SetCommandsRunOutOfMemory(true);
    EXPECT_EQ(Command(host, R"({"command": "echo hello"})"),
              Failure("\"The command's output could not be passed on\""));
    EXPECT_EQ(failures.texts, (std::vector<std::string>{"A command's output could not be passed on"}));
}

TEST(ShellExecute, AcceptedAndRefusedRequests) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("70001", R"({"filePath": "https://example.com/", "arguments": 5})"), Success("true"));
    EXPECT_EQ(host.Reply("70002", R"({"filePath": "/tmp/a b.txt"})"), Success("true"));
    ASSERT_EQ(host.os->ShellRequests().size(), 2u);
    EXPECT_EQ(host.os->ShellRequests()[0].filePath, "https://example.com/");
    EXPECT_EQ(host.os->ShellRequests()[0].arguments, "5");
    EXPECT_EQ(host.os->ShellRequests()[1].verb, "explore");
    EXPECT_EQ(host.os->ShellRequests()[1].filePath, "/tmp/a b.txt");

    host.os->SetShellAccepts(false);
    host.os->SetFailureMessage("The system cannot find the file specified.\r\n");
    const std::string refused = Failure("\"The system cannot find the file specified\"");
    EXPECT_EQ(host.Reply("70001", R"({"filePath": "missing.exe"})"), refused);
    EXPECT_EQ(host.Reply("70002", R"({"filePath": "missing.exe"})"), refused);
}

TEST(ShellExecute, MissingOrWronglyTypedArguments) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("70001", "{}"), Failure("\"Missing filePath\""));
    EXPECT_EQ(host.Reply("70002", "{\"filePath\": null}"), Failure("\"Missing filePath\""));
    // Both arguments are read before filePath is checked.
    EXPECT_EQ(host.Reply("70001", "{\"arguments\": {}}"),
              Failure("\"Value 'arguments' must be a string, not an object\""));
    EXPECT_TRUE(host.os->ShellRequests().empty());
}

TEST(ShellWindows, TitlesAsJsonList) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("70004"), Success("[]"));
    host.os->SetWindowCaptions({"Main \"window\"", " padded ", "Main \"window\""});
    EXPECT_EQ(host.Reply("70004"), Success("[\"Main \\\"window\\\"\",\" padded \",\"Main \\\"window\\\"\"]"));
}

// The same answer with and without an archive; nothing is asked of the system.
TEST(SystemFunctions, GetPlatformNamesTheSystemTheRuntimeWasBuiltFor) {
#ifdef _WIN32
    const char* platform = "\"windows\"";
#else
    const char* platform = "\"linux\"";
#endif
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("11004"), Success(platform));
    TAbZipKit archive;
    host.UseArchive(archive);
    EXPECT_EQ(host.Reply("11004", "{\"ignored\": [1]}"), Success(platform));
    EXPECT_TRUE(host.os->ExitRequests().empty());
}

TEST(SystemFunctions, SessionRequestsInRuntimeMode) {
    TTestBridgeHost host;
    TAbZipKit archive;
    host.UseArchive(archive);
    EXPECT_EQ(host.Reply("11001"), Success("true"));
    EXPECT_EQ(host.Reply("11002"), Success("true"));
    EXPECT_EQ(host.Reply("11003"), Success("true"));
    EXPECT_EQ(host.os->ExitRequests(),
              (std::vector<TExitWindowsAction>{TExitWindowsAction::Logoff, TExitWindowsAction::Reboot,
                                               TExitWindowsAction::Shutdown}));
    EXPECT_EQ(static_cast<uint32_t>(TExitWindowsAction::Logoff), 4u);
    EXPECT_EQ(static_cast<uint32_t>(TExitWindowsAction::Reboot), 6u);
    EXPECT_EQ(static_cast<uint32_t>(TExitWindowsAction::Shutdown), 5u);
    host.os->SetExitWindowsAccepts(false);
    host.os->SetFailureMessage("A required privilege is not held by the client.");
    EXPECT_EQ(host.Reply("11002"), Failure("\"A required privilege is not held by the client\""));
}

}  // namespace
}  // namespace zorv::test
