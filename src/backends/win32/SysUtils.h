#pragma once
#include <windows.h>
// windows.h defines ExitWindows as a macro, which would hide the member functions of that name.
#undef ExitWindows

#include <cstdint>
#include <string>
#include <vector>

namespace zorv {

// Thin static helpers over the Windows shell, processes and session. Paths and texts are UTF-16
// here; TWinOperatingSystem converts at the boundary to the portable core. None of them
// throws: failures come back as false, an empty string or 0, with the thread's last error set
// where the platform sets one.
class TSysUtils {
public:
    TSysUtils() = delete;

    // Enables the shutdown privilege, then ExitWindowsEx(flags, 0).
    static bool ExitWindows(uint32_t rebootParam);
    // Titles of all top-level windows, visible or hidden, whose trimmed title is not blank; untrimmed,
    // in enumeration order, duplicates kept.
    static std::vector<std::wstring> GetWindowsCaptions();
    // "cmd.exe /C " + commandLine, standard output and error captured together; blocks until the
    // command has ended. Empty when the interpreter cannot be started.
    static std::wstring GetDosOutput(const std::wstring& commandLine, const std::wstring& workingDir, bool showWindow);
    // The shell's "open" verb, owned by the active window, shown normally.
    static bool ShellExec(const std::wstring& filePath, const std::wstring& arguments);
    // Starts the program at that path itself (CreateProcessW, not the shell: no file association,
    // no security zone prompt), its command line the quoted path and the arguments, and does not
    // wait for it.
    static bool StartProcess(const std::wstring& filePath, const std::wstring& arguments);
    // The file manager (explorer.exe from the Windows folder, by its full path) with the item
    // selected.
    static bool ShellExplore(const std::wstring& filePath);
    // A program of the system folder (GetSystemDirectoryW) or of the Windows folder
    // (GetWindowsDirectoryW) by its full path, so that a file of that name planted beside the
    // application or in the current folder is never run in its place. Empty when the system does
    // not name the folder.
    static std::wstring SystemProgramPath(const std::wstring& fileName);
    static std::wstring WindowsProgramPath(const std::wstring& fileName);
    // Removes the folder and everything in it for good (no recycle bin, no user interface).
    static bool DeleteDirectory(const std::wstring& dirPath);

    // Folder getters: the path with a trailing backslash, or empty when the system has none.
    static std::wstring GetUserDesktopDirPath();
    static std::wstring GetUserDocumentsDirPath();
    static std::wstring GetUserAppDataDirPath();
    static std::wstring GetLocalAppDataDirPath();
    static std::wstring GetTempDirPath();

    // True when the WebView2 loader at that path reports an installed browser runtime.
    static bool CheckEdgeIsInstalled(const std::wstring& edgeLoaderDllPath);
    // Runs the file elevated and hidden and waits for it while the caller's window messages keep
    // being processed. The process's exit code, or 0 when it could not be started. Stops waiting
    // (and leaves WM_QUIT queued) when the application is asked to quit.
    static uint32_t ShellExecAsAdminAndWait(HWND handle, const std::wstring& filePath, const std::wstring& params);

    // The system's message for an error code in the user's language, without trailing blanks,
    // control characters and full stops.
    static std::wstring SysErrorMessage(DWORD errorCode);
    static std::wstring IncludeTrailingPathDelimiter(const std::wstring& path);

private:
    static std::wstring GetShellFolderPath(int csidl);
};

}  // namespace zorv
