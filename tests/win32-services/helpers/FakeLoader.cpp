// A WebView2 loader stand-in that answers the runtime check with a fixed browser version.
#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <cwchar>

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    GetAvailableCoreWebView2BrowserVersionString(PCWSTR, LPWSTR* versionInfo) {
    const wchar_t* version = FAKE_BROWSER_VERSION;
    const size_t bytes = (std::wcslen(version) + 1) * sizeof(wchar_t);
    *versionInfo = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*versionInfo == nullptr) return E_OUTOFMEMORY;
    std::memcpy(*versionInfo, version, bytes);
    return S_OK;
}
