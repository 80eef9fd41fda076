#include "backends/win32/WinStartupHost.h"

#include <filesystem>
#include <system_error>

#include "archive/AbZipKit.h"
#include "backends/win32/EdgeInstallerForm.h"
#include "backends/win32/MessageDialog.h"
#include "backends/win32/RequirePasswordForm.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WebView2Loader.h"
#include "backends/win32/WinCommandLine.h"
#include "backends/win32/WinText.h"
#include "runtime/RuntimeState.h"
#include "shared/ExeUtils.h"
#include "shared/FailureSink.h"
#include "shared/FileSystem.h"
#include "shared/LocalizedMessages.h"
#include "shared/MemIniFile.h"
#include "shared/Utf8Path.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

class TMutexLock final : public IInstanceLock {
public:
    explicit TMutexLock(HANDLE mutex) : FMutex(mutex) {}

private:
    TKernelHandle FMutex;  // held, never released, until the process ends
};

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(TWinText::Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Wide(const std::string& text) { return TWinText::Utf8ToWide(text); }
}  // namespace

TResult<std::unique_ptr<IByteSource>> TWinStartupHost::OpenAppendedArchive() {
    TExeUtils exe;
    if (!exe.ExeHasAttachedStub()) return std::unique_ptr<IByteSource>();
    TResult<std::unique_ptr<TFileRegion>> region = exe.OpenZipInExe();
    if (!region) return Failure(region.Error());
    return std::unique_ptr<IByteSource>(std::move(region).Value());
}

int TWinStartupHost::ShowMessageNumber(int number) {
    return TMessageDialog::Show(TLocalizedMessages::GetLocalizedDialog(static_cast<TMessageIndex>(number)));
}

void TWinStartupHost::ShowStartupMessage(const TStartupMessage& message) { ShowMessageNumber(message.text); }

void TWinStartupHost::ShowFatalError(const std::string& title, const std::string& text) {
    ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::string TWinStartupHost::LocalAppDataDir() { return TWinText::WideToUtf8(TSysUtils::GetLocalAppDataDirPath()); }

bool TWinStartupHost::AskPassword(const std::string& caption, const std::string& password) {
    return TRequirePasswordForm::Ask(caption, password, FThemeEngine);
}

std::string TWinStartupHost::WebView2Dir(const std::string& appDataDir) { return appDataDir + "Win64\\"; }

void TWinStartupHost::SetWebView2Environment(const std::string& webView2Dir) {
    ::SetEnvironmentVariableW(L"WEBVIEW2_USER_DATA_FOLDER", Wide(webView2Dir).c_str());
    ::SetEnvironmentVariableW(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", Wide(AdditionalBrowserArguments).c_str());
    ::SetEnvironmentVariableW(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", nullptr);
    ::SetEnvironmentVariableW(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", nullptr);
}

TStatus TWinStartupHost::ExtractEntryOnce(const IAppPackage& package, const std::string& entry,
                                          const std::string& path) {
    if (FileExists(path)) return Succeeded();
    std::string bytes;
    (void)package.TryExtract(entry, bytes);
    TFileHandle file(
        ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        return Failure("Cannot create file \"" + path + "\". " +
                       TWinText::WideToUtf8(TSysUtils::SysErrorMessage(code)));
    }
    DWORD written = 0;
    if (!bytes.empty() &&
        (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size())) {
        const DWORD code = ::GetLastError();
        file.Reset();
        ::DeleteFileW(Wide(path).c_str());  // a half-written loader would pass for the real one next time
        return Failure("Cannot write file \"" + path + "\". " + TWinText::WideToUtf8(TSysUtils::SysErrorMessage(code)));
    }
    return Succeeded();
}

std::optional<int> TWinStartupHost::PrepareWebEngine(const TRuntimeState& state) {
    const std::string webView2Dir = WebView2Dir(state.appDataDir);
    TFileSystem::CreateFolders(Utf8Path(webView2Dir));
    const std::string loaderPath = webView2Dir + LoaderFileName;
    TWebView2Loader::SetWebView2LoaderPath(loaderPath);

    if (const TStatus extracted = ExtractEntryOnce(*state.package, LoaderFileName, loaderPath); !extracted) {
        ShowFatalError("Application Error", extracted.Error());
        return 1;
    }
    SetWebView2Environment(webView2Dir);
    if (!TSysUtils::CheckEdgeIsInstalled(Wide(loaderPath))) return RunWebView2Installation(state, loaderPath);
    return std::nullopt;
}

int TWinStartupHost::RunWebView2Installation(const TRuntimeState& state, const std::string& loaderPath) {
    const TProjectSettings& settings = state.settings;
    if (!settings.edgeInstaller) {
        ShowMessageNumber(static_cast<int>(TMessageIndex::RuntimeRequiredNoInstall));
        return 0;
    }
    if (ShowMessageNumber(static_cast<int>(TMessageIndex::RuntimeRequiredOfferInstall)) == DialogResultCancel) {
        TSysUtils::DeleteDirectory(Wide(state.appDataDir));
        ShowMessageNumber(static_cast<int>(TMessageIndex::CannotContinue));
        return 0;
    }
    const std::string installerPath = state.appDataDir + InstallerFileName;
    // Without the installer file the installation below fails, and the check after it says so.
    TFailureSink::Passed(ExtractEntryOnce(*state.package, InstallerFileName, installerPath));

    TEdgeInstallerForm installerForm(settings.installFormColor.value, settings.installIndicatorColor,
                                     settings.installIndicatorType);
    installerForm.Show();
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = installerForm.Handle();
    TSysUtils::ShellExecAsAdminAndWait(owner, Wide(installerPath), Wide(InstallerArguments));

    if (TSysUtils::CheckEdgeIsInstalled(Wide(loaderPath))) {
        ::DeleteFileW(Wide(installerPath).c_str());
        // A project folder being run starts again on the same folder, with the same options.
        const std::wstring arguments(state.ServesFolder() ? TWinCommandLine::Arguments(::GetCommandLineW()) : L"");
        TSysUtils::ShellExec(Wide(TExeUtils::RunningExePath()), arguments);
        return 0;
    }
    installerForm.Hide();
    TSysUtils::DeleteDirectory(Wide(state.appDataDir));
    ShowMessageNumber(static_cast<int>(TMessageIndex::InstallationCancelled));
    return 0;
}

TInstanceLockResult TWinStartupHost::AcquireInstanceLock(const std::string& appID, const std::string&) {
    TInstanceLockResult result;
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, Wide(appID).c_str());
    // A "\" is refused in a mutex name (other than the Global\ and Local\ prefixes): such an
    // identifier is made safe instead of leaving the application without its lock.
    if (!mutex && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
        std::string safe = appID;
        for (char& c : safe)
            if (c == '\\') c = '_';
        mutex = ::CreateMutexW(nullptr, FALSE, Wide(safe).c_str());
    }
    result.otherInstanceRunning = mutex && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex) result.lock = std::make_unique<TMutexLock>(mutex);
    return result;
}

}  // namespace zorv
