#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/OperatingSystem.h"

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

// The ways the operating-system services reach outside the process. Each returns true when the
// request was accepted and otherwise puts a readable message in `error`. Tests replace them to
// watch requests that must never run for real (ending the session) or that need a desktop.
struct TGtkSystemCalls {
    std::function<bool(const TDBusMethodCall& call, std::string& error)> callDBus;
    // Starts a program detached from this process (it outlives the runtime, no zombie is left).
    std::function<bool(const std::vector<std::string>& argv, std::string& error)> spawnDetached;
    // Opens a URI (file:// included) with the desktop's default handler for it.
    std::function<bool(const std::string& uri, std::string& error)> openUri;

    static TGtkSystemCalls Real();
};

// Environment variable that turns ExitWindows into a failure that calls nothing, so that
// end-to-end tests can drive zorv.system.* safely.
inline constexpr const char* kNoSessionEndVariable = "ZORV_TEST_NO_SESSION_END";

// The operating-system services on a Linux desktop: commands run by "/bin/sh -c", documents and
// URLs opened through GIO's default handlers, the file manager over org.freedesktop.FileManager1,
// window titles from the X server (on Wayland: the own windows, then XWayland's), and the session
// ended through gnome-session, KDE or logind.
class TGtkOperatingSystem final : public IOperatingSystem {
public:
    explicit TGtkOperatingSystem(TGtkSystemCalls calls = TGtkSystemCalls::Real());

    bool ExitWindows(TExitWindowsAction action) override;
    std::vector<std::string> GetWindowsCaptions() override;
    std::string GetDosOutput(const std::string& commandLine, const std::string& workingDir, bool showWindow) override;
    bool ShellExec(const std::string& filePath, const std::string& arguments) override;
    bool ShellExplore(const std::string& filePath) override;
    bool DeleteDirectory(const std::string& dirPath) override;
    std::string GetUserDesktopDirPath() override;
    std::string GetUserDocumentsDirPath() override;
    std::string GetUserAppDataDirPath() override;
    std::string GetLocalAppDataDirPath() override;
    std::string GetTempDirPath() override;
    std::string LastErrorMessage() override;

    // The D-Bus requests tried in order for an action; the first one accepted ends the session.
    static std::vector<TDBusMethodCall> SessionEndRequests(TExitWindowsAction action);

private:
    bool Fail(std::string message);
    bool Succeed();
    bool OpenWithDefaultHandler(const std::string& absolutePath);
    bool RunProgram(const std::string& program, const std::string& arguments);

    TGtkSystemCalls calls_;
    // Like errno: the message of the last failure on each thread.
    static thread_local std::string lastError_;
};

}  // namespace zorv
