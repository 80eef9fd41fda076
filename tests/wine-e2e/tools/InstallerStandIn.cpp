// Plays the WebView2 runtime installer: notes its command line in ZORV_INSTALLER_LOG, takes
// ZORV_INSTALLER_DELAY_MS to "install", and ends with ZORV_INSTALLER_EXIT (default 0). A
// successful installation creates the file ZORV_WV2_RUNTIME_MARKER names, which makes the
// stand-in loader report an installed runtime from then on.
#include <windows.h>

#include <string>

namespace {
std::wstring Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    return ::GetEnvironmentVariableW(name, value, MAX_PATH * 2) ? value : L"";
}

void AppendLine(const std::wstring& path, const std::wstring& line) {
    if (path.empty()) return;
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), text.data(), size, nullptr, nullptr);
    text += "\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}
}  // namespace

int wmain(int, wchar_t**) {
    AppendLine(Variable(L"ZORV_INSTALLER_LOG"), ::GetCommandLineW());
    const std::wstring delay = Variable(L"ZORV_INSTALLER_DELAY_MS");
    if (!delay.empty()) ::Sleep(static_cast<DWORD>(_wtoi(delay.c_str())));
    const std::wstring exitText = Variable(L"ZORV_INSTALLER_EXIT");
    const int exitCode = exitText.empty() ? 0 : _wtoi(exitText.c_str());
    if (exitCode == 0) AppendLine(Variable(L"ZORV_WV2_RUNTIME_MARKER"), L"installed");
    return exitCode;
}
