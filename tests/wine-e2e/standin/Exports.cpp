// The loader library's exports. The browser version and the environment come from the scenario;
// completions reach the calling thread through its message queue, as WebView2 delivers them.
#include <windows.h>

#include "EngineLink.h"
#include "Scenario.h"
#include "StandInWebView2.h"
#include "ThreadPost.h"
#include "Transcript.h"

using zorv::test::TScenario;
using zorv::test::TThreadPost;
using zorv::test::TTranscript;

namespace {
std::string EnvironmentVariable(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    if (!::GetEnvironmentVariableW(name, value, MAX_PATH * 2)) return "(unset)";
    return TTranscript::Utf8(value);
}

std::string ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH * 2);
    return TTranscript::Utf8(path);
}
}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions*,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) {
    if (!environmentCreatedHandler) return E_POINTER;
    TTranscript::Instance().Write({
        {"event", "createEnvironment"},
        {"browserExecutableFolder", TTranscript::Utf8(browserExecutableFolder)},
        {"userDataFolder", TTranscript::Utf8(userDataFolder)},
        {"WEBVIEW2_USER_DATA_FOLDER", EnvironmentVariable(L"WEBVIEW2_USER_DATA_FOLDER")},
        {"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", EnvironmentVariable(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS")},
        {"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", EnvironmentVariable(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER")},
        {"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", EnvironmentVariable(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE")},
    });
    HRESULT result = TScenario::Instance().EnvironmentResult();
    if (SUCCEEDED(result) && zorv::test::TStandInEnvironment::PreviousBrowserExiting()) {
        TTranscript::Instance().Write(
            {{"event", "environmentRefused"}, {"why", "the previous browser process is still exiting"}});
        result = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    }
    zorv::TComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> kept(environmentCreatedHandler);
    zorv::TComPtr<ICoreWebView2Environment> environment;
    if (SUCCEEDED(result))
        environment = zorv::TComPtr<ICoreWebView2Environment>::Attach(new zorv::test::TStandInEnvironment);
    if (SUCCEEDED(result) && zorv::test::TEngineLink::Enabled()) {
        // The engine mode: the environment is there once the relay has started the browser, on
        // the profile of the user data folder (the argument, else WEBVIEW2_USER_DATA_FOLDER).
        const std::string folder = userDataFolder && *userDataFolder
                                       ? TTranscript::Utf8(userDataFolder)
                                       : EnvironmentVariable(L"WEBVIEW2_USER_DATA_FOLDER");
        zorv::test::TEngineLink::Instance().Start(
            TTranscript::Wide(folder == "(unset)" ? std::string() : folder), TThreadPost::CurrentThreadWindow(),
            [kept, environment](HRESULT started) {
                kept->Invoke(started, SUCCEEDED(started) ? environment.Get() : nullptr);
            });
        return S_OK;
    }
    TThreadPost::Post(TThreadPost::CurrentThreadWindow(),
                      [kept, environment, result] { kept->Invoke(result, environment.Get()); });
    return S_OK;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler) {
    return CreateCoreWebView2EnvironmentWithOptions(nullptr, nullptr, nullptr, environmentCreatedHandler);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE
    GetAvailableCoreWebView2BrowserVersionString(PCWSTR browserExecutableFolder, LPWSTR* versionInfo) {
    if (!versionInfo) return E_POINTER;
    const bool installed = TScenario::Instance().RuntimeInstalled();
    TTranscript::Instance().Write({{"event", "versionQuery"},
                                   {"browserExecutableFolder", TTranscript::Utf8(browserExecutableFolder)},
                                   {"installed", installed}});
    if (!installed) {
        *versionInfo = nullptr;
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    *versionInfo = zorv::test::CoTaskCopy(TScenario::Instance().BrowserVersion());
    return S_OK;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE CompareBrowserVersions(PCWSTR version1, PCWSTR version2, int* result) {
    if (!version1 || !version2 || !result) return E_POINTER;
    const int order = ::lstrcmpW(version1, version2);
    *result = order < 0 ? -1 : order > 0 ? 1 : 0;
    return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        TTranscript::Instance().Write({{"event", "load"},
                                       {"path", ModulePath(instance)},
                                       {"commandLine", TTranscript::Utf8(::GetCommandLineW())}});
    }
    return TRUE;
}

}  // extern "C"
