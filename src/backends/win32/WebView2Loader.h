#pragma once
#include <windows.h>

#include <mutex>
#include <string>

#include "backends/win32/WebView2Abi.h"
#include "shared/Win32Handles.h"

namespace zorv {

// The process's binding to the WebView2 loader library, loaded from exactly WebView2LoaderPath
// (the copy in the application's data folder). The library is bound on first use; a failed load is
// retried on the next use. Safe to use from the environment worker thread.
class TWebView2Loader {
public:
    TWebView2Loader() = delete;

    // Start-up sets the path once, before any window exists.
    static void SetWebView2LoaderPath(const std::string& path);
    static std::string WebView2LoaderPath();

    // E_FAIL when the library or its export is unavailable.
    static HRESULT CreateCoreWebView2Environment(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
    // The installed runtime's version. The loader exports no GetCoreWebView2BrowserVersionString;
    // GetAvailableCoreWebView2BrowserVersionString with no browser folder gives the same answer.
    static HRESULT GetCoreWebView2BrowserVersionString(std::wstring& version);

private:
    struct TBinding;
    static TBinding& Binding();
    static bool BindLocked(TBinding& binding);
};

}  // namespace zorv
