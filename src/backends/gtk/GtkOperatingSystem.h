#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/OperatingSystem.h"
#include "shared/Result.h"

namespace zorv {

// One D-Bus method call. `arguments` is the argument tuple in GVariant text format, for
// example "(uint32 2,)" or "()".
struct TDBusMethodCall {
    bool systemBus = false;
    std::string service;
    std::string objectPath;
    std::string interfaceName;
    std::string method;
    std::string arguments = "()";
    // How long to wait for the answer; a request that lets the system ask the user for a password
    // waits longer.
    int timeoutMs = 10000;
    bool operator==(const TDBusMethodCall&) const = default;
};

// The ways the operating-system services reach outside the process. Each succeeds when the
// request was accepted and otherwise fails with a readable message. Tests replace them to
// watch requests that must never run for real (ending the session) or that need a desktop.
struct TGtkSystemCalls {
    std::function<TStatus(const TDBusMethodCall& call)> callDBus;
    // Starts a program detached from this process (it outlives the runtime, no zombie is left).
    std::function<TStatus(const std::vector<std::string>& argv)> spawnDetached;
    // Opens a URI (file:// included) with the desktop's default handler for it.
    std::function<TStatus(const std::string& uri)> openUri;

    static TGtkSystemCalls Real();
};

// Environment variable that turns ExitWindows into a failure that calls nothing, so that
// end-to-end tests can drive zorv.system.* safely.
inline constexpr const char* NoSessionEndVariable = "ZORV_TEST_NO_SESSION_END";

// The operating-system services on a Linux desktop: commands run by "/bin/sh -c", documents and
// URLs opened through GIO's default handlers, the file manager over org.freedesktop.FileManager1,
// window titles from the X server (on Wayland: the own windows, then XWayland's), and the session
// ended through gnome-session, KDE or logind.
class TGtkOperatingSystem final : public IOperatingSystem {
public:
    explicit TGtkOperatingSystem(TGtkSystemCalls calls = TGtkSystemCalls::Real());

    TStatus ExitWindows(TExitWindowsAction action) override;
    std::vector<std::string> GetWindowsCaptions() override;
    std::string GetDosOutput(const std::string& commandLine, const std::string& workingDir, bool showWindow) override;
    TStatus ShellExec(const std::string& filePath, const std::string& arguments) override;
    TStatus ShellExplore(const std::string& filePath) override;
    TStatus DeleteDirectory(const std::string& dirPath) override;
    std::string GetUserDesktopDirPath() override;
    std::string GetUserDocumentsDirPath() override;
    std::string GetUserAppDataDirPath() override;
    std::string GetLocalAppDataDirPath() override;
    std::string GetTempDirPath() override;

    // The D-Bus requests tried in order for an action; the first one accepted ends the session.
    static std::vector<TDBusMethodCall> SessionEndRequests(TExitWindowsAction action);

private:
    TStatus OpenWithDefaultHandler(const std::string& absolutePath);
    TStatus RunProgram(const std::string& program, const std::string& arguments);

    TGtkSystemCalls FCalls;
};

}  // namespace zorv
