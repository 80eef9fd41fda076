#include "backends/win32/SysUtils.h"

#include <shellapi.h>
#include <shlobj.h>

#include <climits>

#include "backends/win32/FolderDeletion.h"
#include "backends/win32/WinDosCommand.h"
#include "backends/win32/WinText.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

bool IsBlankOrControl(wchar_t c) { return c <= L' '; }

bool HasVisibleText(const std::wstring& text) {
    for (wchar_t c : text)
        if (!IsBlankOrControl(c)) return true;
    return false;
}

std::wstring WindowTitle(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring title(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, title.data(), length + 1);
    title.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return title;
}

BOOL CALLBACK CollectCaption(HWND window, LPARAM context) {
    auto* captions = reinterpret_cast<std::vector<std::wstring>*>(context);
    std::wstring title = WindowTitle(window);
    if (HasVisibleText(title)) captions->push_back(std::move(title));
    return TRUE;
}

// ShellExecuteW reports failure as a small number; not every version also sets the thread's last
// error, so map the number onto the matching system error when it did not.
void SetLastErrorFromShellResult(INT_PTR result) {
    if (GetLastError() != ERROR_SUCCESS) return;
    switch (result) {
        case SE_ERR_FNF: SetLastError(ERROR_FILE_NOT_FOUND); break;
        case SE_ERR_PNF: SetLastError(ERROR_PATH_NOT_FOUND); break;
        case SE_ERR_ACCESSDENIED: SetLastError(ERROR_ACCESS_DENIED); break;
        case 0:
        case SE_ERR_OOM: SetLastError(ERROR_NOT_ENOUGH_MEMORY); break;
        case ERROR_BAD_FORMAT: SetLastError(ERROR_BAD_FORMAT); break;
        case SE_ERR_SHARE: SetLastError(ERROR_SHARING_VIOLATION); break;
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE: SetLastError(ERROR_NO_ASSOCIATION); break;
        case SE_ERR_DLLNOTFOUND: SetLastError(ERROR_DLL_NOT_FOUND); break;
        default: SetLastError(ERROR_GEN_FAILURE); break;
    }
}

// SHFileOperationW answers with its own DE_* codes for some failures; the rest are system errors.
DWORD ShellOperationError(int result) {
    switch (result) {
        case 0x7C: return ERROR_FILE_NOT_FOUND;        // DE_INVALIDFILES
        case 0x402: return ERROR_PATH_NOT_FOUND;       // unknown error on the path: it is not there
        case 0x74:                                     // DE_ROOTDIR
        case 0x78:                                     // DE_ACCESSDENIEDSRC
        case 0x10000: return ERROR_ACCESS_DENIED;      // ERRORONDEST
        case 0x79:                                     // DE_PATHTOODEEP
        case 0x81: return ERROR_FILENAME_EXCED_RANGE;  // DE_FILENAMETOOLONG
        default: break;
    }
    if (result >= 0x71 && result <= 0xB7) return ERROR_GEN_FAILURE;  // the other DE_* codes
    return static_cast<DWORD>(result);
}

bool ShellOpen(const std::wstring& file, const std::wstring& parameters) {
    SetLastError(ERROR_SUCCESS);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(GetActiveWindow(), L"open", file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    SetLastErrorFromShellResult(result);
    return false;
}

void EnableShutdownPrivilege() {
    TKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) return;
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

// Pumps the calling thread's messages. False when WM_QUIT arrived; it is posted again so that the
// caller's own loop still sees it.
bool PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

bool TSysUtils::ExitWindows(uint32_t rebootParam) {
    EnableShutdownPrivilege();
    return ExitWindowsEx(rebootParam, 0) != 0;
}

std::vector<std::wstring> TSysUtils::GetWindowsCaptions() {
    std::vector<std::wstring> captions;
    EnumWindows(CollectCaption, reinterpret_cast<LPARAM>(&captions));
    return captions;
}

std::wstring TSysUtils::GetDosOutput(const std::wstring& commandLine, const std::wstring& workingDir, bool showWindow) {
    return TWinDosCommand::Run(commandLine, workingDir, showWindow);
}

bool TSysUtils::ShellExec(const std::wstring& filePath, const std::wstring& arguments) {
    return ShellOpen(filePath, arguments);
}

bool TSysUtils::StartProcess(const std::wstring& filePath, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + filePath + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(filePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    TKernelHandle thread(process.hThread);
    TKernelHandle started(process.hProcess);
    return true;
}

bool TSysUtils::ShellExplore(const std::wstring& filePath) {
    const std::wstring explorer = WindowsProgramPath(L"explorer.exe");
    if (explorer.empty()) return false;
    return ShellOpen(explorer, L"/select, \"" + filePath + L"\"");
}

namespace {
// The folder a getter such as GetSystemDirectoryW names, followed by `fileName`.
template <class TGetter>
std::wstring ProgramIn(TGetter folderOf, const std::wstring& fileName) {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = folderOf(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return {};
    return TSysUtils::IncludeTrailingPathDelimiter(std::wstring(folder, length)) + fileName;
}
}  // namespace

std::wstring TSysUtils::SystemProgramPath(const std::wstring& fileName) {
    return ProgramIn(GetSystemDirectoryW, fileName);
}

std::wstring TSysUtils::WindowsProgramPath(const std::wstring& fileName) {
    return ProgramIn(GetWindowsDirectoryW, fileName);
}

bool TSysUtils::DeleteDirectory(const std::wstring& dirPath) {
    return DeleteFolderTree(dirPath, GetShellFolderPath(CSIDL_PROFILE), [](SHFILEOPSTRUCTW& operation) {
        const int result = SHFileOperationW(&operation);
        if (result != 0) SetLastError(ShellOperationError(result));
        return result;
    });
}

std::wstring TSysUtils::GetShellFolderPath(int csidl) {
    wchar_t path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

std::wstring TSysUtils::IncludeTrailingPathDelimiter(const std::wstring& path) {
    if (path.empty() || path.back() == L'\\') return path;
    return path + L'\\';
}

std::wstring TSysUtils::GetUserDesktopDirPath() {
    return IncludeTrailingPathDelimiter(GetShellFolderPath(CSIDL_DESKTOP));
}

std::wstring TSysUtils::GetUserDocumentsDirPath() {
    return IncludeTrailingPathDelimiter(GetShellFolderPath(CSIDL_PERSONAL));
}

std::wstring TSysUtils::GetUserAppDataDirPath() {
    return IncludeTrailingPathDelimiter(GetShellFolderPath(CSIDL_APPDATA));
}

std::wstring TSysUtils::GetLocalAppDataDirPath() {
    return IncludeTrailingPathDelimiter(GetShellFolderPath(CSIDL_LOCAL_APPDATA));
}

std::wstring TSysUtils::GetTempDirPath() {
    wchar_t shortPath[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, shortPath);
    if (length == 0 || length > MAX_PATH) return {};
    wchar_t longPath[MAX_PATH + 1] = {};
    const DWORD longLength = GetLongPathNameW(shortPath, longPath, MAX_PATH + 1);
    const bool haveLong = longLength > 0 && longLength <= MAX_PATH;
    return IncludeTrailingPathDelimiter(haveLong ? longPath : shortPath);
}

bool TSysUtils::CheckEdgeIsInstalled(const std::wstring& edgeLoaderDllPath) {
    const DWORD attributes = GetFileAttributesW(edgeLoaderDllPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    TLibraryHandle loader(LoadLibraryExW(edgeLoaderDllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loader) return false;
    using TGetVersion = HRESULT(STDAPICALLTYPE*)(PCWSTR browserExecutableFolder, LPWSTR * versionInfo);
    const auto getVersion = reinterpret_cast<TGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(loader.Get(), "GetAvailableCoreWebView2BrowserVersionString")));
    if (!getVersion) return false;
    TCoTaskString version;
    getVersion(nullptr, version.Put());
    return version && version.Get()[0] != L'\0';
}

uint32_t TSysUtils::ShellExecAsAdminAndWait(HWND handle, const std::wstring& filePath, const std::wstring& params) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = handle;
    info.lpVerb = L"runas";
    info.lpFile = filePath.c_str();
    info.lpParameters = params.empty() ? nullptr : params.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info) || info.hProcess == nullptr) return 0;
    TKernelHandle process(info.hProcess);

    // Waits on the process and the message queue together, so the window keeps painting without
    // spinning. The process's own end decides, not its exit code: 259 is also a legal exit code.
    HANDLE waitFor = process.Get();
    while (MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        if (!PumpMessages()) break;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    return exitCode;
}

std::wstring TSysUtils::SysErrorMessage(DWORD errorCode) {
    TLocalString buffer;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, errorCode, 0, reinterpret_cast<LPWSTR>(buffer.Put()), 0, nullptr);
    std::wstring message = length > 0 && buffer ? std::wstring(buffer.Get(), length) : std::wstring();
    while (!message.empty() && (IsBlankOrControl(message.back()) || message.back() == L'.')) message.pop_back();
    return message;
}

}  // namespace zorv
