#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "runtime/StartupHost.h"
#include "shared/Result.h"

namespace zorv {

class IAppPackage;
class TWinThemeEngine;

// Start-up services on Windows: the archive appended to the PE image, localized message dialogs,
// the data folder under the local application-data folder, the WebView2 loader copy and
// environment, the WebView2 runtime check and installation, and a named mutex as the
// single-instance lock. The password form takes the active theme's colours from `themeEngine`.
class TWinStartupHost final : public IStartupHost {
public:
    explicit TWinStartupHost(TWinThemeEngine* themeEngine = nullptr) : FThemeEngine(themeEngine) {}

    static constexpr const char* LoaderFileName = "WebView2LoaderWin64.dll";
    static constexpr const char* InstallerFileName = "WebView2Installer.exe";
    static constexpr const char* InstallerArguments = "/silent /install";
    static constexpr const char* AdditionalBrowserArguments =
        "--disable-logging --disable-features=RendererCodeIntegrity --enable-features=msSpeechRecognition";

    TResult<std::unique_ptr<IByteSource>> OpenAppendedArchive() override;
    void ShowStartupMessage(const TStartupMessage& message) override;
    void ShowFatalError(const std::string& title, const std::string& text) override;
    std::string LocalAppDataDir() override;
    std::optional<int> PrepareWebEngine(const TRuntimeState& state) override;
    bool AskPassword(const std::string& caption, const std::string& password) override;
    TInstanceLockResult AcquireInstanceLock(const std::string& appID, const std::string& appDataDir) override;

    // The data folder's WebView2 part: `<data folder>Win64\`.
    static std::string WebView2Dir(const std::string& appDataDir);
    // Sets the four WebView2 variables of the process environment.
    static void SetWebView2Environment(const std::string& webView2Dir);
    // Writes the archive entry to `path` unless a file is already there; fails when the file
    // cannot be created.
    static TStatus ExtractEntryOnce(const IAppPackage& package, const std::string& entry, const std::string& path);

private:
    // The WebView2 runtime is missing: report it, or offer, run and check the installer carried
    // in the archive. Every branch ends the process; the result is its exit code.
    int RunWebView2Installation(const TRuntimeState& state, const std::string& loaderPath);
    int ShowMessageNumber(int number);

    TWinThemeEngine* FThemeEngine;
};

}  // namespace zorv
