// Plays the WebView2 runtime installer: with the arguments "/silent /install" it puts the loader
// named by ZORV_TEST_INSTALL_FROM in place of the data folder's copy, as if the runtime had been
// installed and the loader could now reach it. Any other arguments fail with exit code 2.
#include <windows.h>

#include <cwchar>
#include <string>

int main() {
    const wchar_t* commandLine = ::GetCommandLineW();
    if (!std::wcsstr(commandLine, L" /silent /install")) return 2;
    wchar_t from[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"ZORV_TEST_INSTALL_FROM", from, MAX_PATH)) return 3;
    if (!::GetEnvironmentVariableW(L"WEBVIEW2_USER_DATA_FOLDER", folder, MAX_PATH)) return 4;
    const std::wstring target = std::wstring(folder) + L"WebView2LoaderWin64.dll";
    return ::CopyFileW(from, target.c_str(), FALSE) ? 0 : 5;
}
