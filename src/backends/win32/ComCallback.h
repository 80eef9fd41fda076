#pragma once
// Implements a WebView2 handler interface (one `Invoke` after IUnknown) over a std::function, so
// that the web view control can hand member functions to WebView2 as completion and event handlers.

#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>

#include "backends/win32/ComObject.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace com_callback_detail {
// An error must not unwind into WebView2, which called the handler: it is shown to the user, as
// errors of event handlers are, and the handler reports failure to its caller.
inline HRESULT ReportHandlerError(const char* message) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, message, -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, message, -1, text.data(), length);
    ::MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return E_FAIL;
}

}  // namespace com_callback_detail

template <class I, class M = decltype(&I::Invoke)>
class TComCallback;

template <class I, class... Args>
class TComCallback<I, HRESULT (STDMETHODCALLTYPE I::*)(Args...)> final : public TComObject<I> {
public:
    using TFunction = std::function<HRESULT(Args...)>;

    // A new handler holding one reference, which the returned pointer owns.
    static TComPtr<I> Create(TFunction function) { return TComPtr<I>::Attach(new TComCallback(std::move(function))); }

    HRESULT STDMETHODCALLTYPE Invoke(Args... args) override {
        try {
            return FFunction ? FFunction(args...) : S_OK;
        } catch (const std::exception& error) {
            return com_callback_detail::ReportHandlerError(error.what());
        } catch (...) {
            return com_callback_detail::ReportHandlerError("Unknown error");
        }
    }

private:
    explicit TComCallback(TFunction function) : FFunction(std::move(function)) {}
    ~TComCallback() override = default;

    TFunction FFunction;
};

}  // namespace zorv
