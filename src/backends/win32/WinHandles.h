#pragma once
// Owners for the Windows handles and COM references of the Win32 backend: each releases what it
// holds exactly once, on destruction or on reset, and can be moved but not copied.

#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

namespace zorv {

// A counted COM reference.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(std::nullptr_t) {}
    // Takes a new reference of its own on `p`.
    explicit TComPtr(T* p) : FPtr(p) { AddRefIfSet(); }
    TComPtr(const TComPtr& other) : FPtr(other.FPtr) { AddRefIfSet(); }
    TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    ~TComPtr() { Reset(); }
    TComPtr& operator=(TComPtr other) noexcept {
        std::swap(FPtr, other.FPtr);
        return *this;
    }
    // Adopts a reference that the caller already owns (such as an out parameter's).
    static TComPtr Attach(T* p) {
        TComPtr result;
        result.FPtr = p;
        return result;
    }
    void Reset() {
        if (FPtr) std::exchange(FPtr, nullptr)->Release();
    }
    // For out parameters: releases the current reference first.
    T** Put() {
        Reset();
        return &FPtr;
    }
    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    template <class U>
    TComPtr<U> As() const {
        TComPtr<U> result;
        if (FPtr) FPtr->QueryInterface(__uuidof(U), reinterpret_cast<void**>(result.Put()));
        return result;
    }

private:
    void AddRefIfSet() {
        if (FPtr) FPtr->AddRef();
    }
    T* FPtr = nullptr;
};

// A handle closed by a given function; `Invalid` is the value that means "none".
template <class H, auto Close, auto Invalid>
class TUniqueHandle {
public:
    TUniqueHandle() = default;
    explicit TUniqueHandle(H h) : FHandle(h) {}
    TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, H(Invalid))) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.FHandle, H(Invalid)));
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    ~TUniqueHandle() { Reset(); }
    void Reset(H h = H(Invalid)) {
        if (FHandle != H(Invalid)) Close(FHandle);
        FHandle = h;
    }
    H Release() { return std::exchange(FHandle, H(Invalid)); }
    H Get() const { return FHandle; }
    H* Put() {
        Reset();
        return &FHandle;
    }
    bool IsValid() const { return FHandle != H(Invalid); }
    explicit operator bool() const { return IsValid(); }

private:
    H FHandle = H(Invalid);
};

namespace handles_detail {
inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void UnloadLibrary(HMODULE h) { ::FreeLibrary(h); }
inline void CloseRegKey(HKEY h) { ::RegCloseKey(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DestroyWindowHandle(HWND h) { ::DestroyWindow(h); }
inline void FreeCoTaskMem(LPWSTR p) { ::CoTaskMemFree(p); }
inline void DestroyMenuHandle(HMENU h) { ::DestroyMenu(h); }
}  // namespace handles_detail

// Kernel objects whose "none" value is null (mutexes, events, processes, threads).
using TKernelHandle = TUniqueHandle<HANDLE, handles_detail::CloseKernelHandle, nullptr>;
// File handles, whose "none" value is INVALID_HANDLE_VALUE.
using TFileHandle = TUniqueHandle<HANDLE, handles_detail::CloseKernelHandle, -1LL>;
using TLibraryHandle = TUniqueHandle<HMODULE, handles_detail::UnloadLibrary, nullptr>;
using TRegKeyHandle = TUniqueHandle<HKEY, handles_detail::CloseRegKey, nullptr>;
using TGdiHandle = TUniqueHandle<HGDIOBJ, handles_detail::DeleteGdiObject, nullptr>;
using TWindowHandle = TUniqueHandle<HWND, handles_detail::DestroyWindowHandle, nullptr>;
using TMenuHandle = TUniqueHandle<HMENU, handles_detail::DestroyMenuHandle, nullptr>;
// A string that WebView2 or the shell allocated with CoTaskMemAlloc.
using TCoTaskString = TUniqueHandle<LPWSTR, handles_detail::FreeCoTaskMem, nullptr>;

// COM initialised for the calling thread as a single-threaded apartment, for as long as it lives.
class TComApartment {
public:
    TComApartment() : FInitialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~TComApartment() {
        if (FInitialized) ::CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    bool FInitialized;
};

}  // namespace zorv
