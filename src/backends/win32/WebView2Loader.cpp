#include "backends/win32/WebView2Loader.h"

#include "backends/win32/WinText.h"

namespace zorv {

struct TWebView2Loader::TBinding {
    std::mutex lock;
    std::string path;
    TLibraryHandle library;
    TCreateCoreWebView2Environment createEnvironment = nullptr;
    TGetAvailableCoreWebView2BrowserVersionString availableVersion = nullptr;
};

namespace {
template <class F>
F LookUpExport(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

HMODULE LoadLibraryFromExactPath(const std::string& path) {
    if (path.empty()) return nullptr;
    return ::LoadLibraryExW(TWinText::Utf8ToWide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
}  // namespace

TWebView2Loader::TBinding& TWebView2Loader::Binding() {
    static TBinding binding;
    return binding;
}

void TWebView2Loader::SetWebView2LoaderPath(const std::string& path) {
    TBinding& binding = Binding();
    std::lock_guard lock(binding.lock);
    binding.path = path;
}

std::string TWebView2Loader::WebView2LoaderPath() {
    TBinding& binding = Binding();
    std::lock_guard lock(binding.lock);
    return binding.path;
}

bool TWebView2Loader::BindLocked(TBinding& binding) {
    if (binding.library) return true;
    binding.library.Reset(LoadLibraryFromExactPath(binding.path));
    if (!binding.library) return false;
    binding.createEnvironment =
        LookUpExport<TCreateCoreWebView2Environment>(binding.library.Get(), ZORV_WEBVIEW2_EXPORT_CREATE_ENVIRONMENT);
    binding.availableVersion = LookUpExport<TGetAvailableCoreWebView2BrowserVersionString>(
        binding.library.Get(), ZORV_WEBVIEW2_EXPORT_AVAILABLE_VERSION);
    return true;
}

HRESULT TWebView2Loader::CreateCoreWebView2Environment(
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    TCreateCoreWebView2Environment create = nullptr;
    {
        TBinding& binding = Binding();
        std::lock_guard lock(binding.lock);
        if (!BindLocked(binding)) return E_FAIL;
        create = binding.createEnvironment;
    }
    // Called outside the lock: the loader may call the handler before it returns.
    return create ? create(handler) : E_FAIL;
}

HRESULT TWebView2Loader::GetCoreWebView2BrowserVersionString(std::wstring& version) {
    version.clear();
    TGetAvailableCoreWebView2BrowserVersionString available = nullptr;
    {
        TBinding& binding = Binding();
        std::lock_guard lock(binding.lock);
        if (!BindLocked(binding)) return E_FAIL;
        available = binding.availableVersion;
    }
    if (!available) return E_FAIL;
    TCoTaskString text;
    const HRESULT result = available(nullptr, text.Put());
    if (text) version = text.Get();
    return result;
}

}  // namespace zorv
