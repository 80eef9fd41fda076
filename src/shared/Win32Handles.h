#pragma once
// Owners for the Windows handles, memory blocks and COM references of every Win32 file (the core's
// and the backend's): each releases what it holds exactly once, on destruction or on reset, and can
// be moved but not copied.

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

// A handle released by a given function, which answers whether the release succeeded; `Invalid` is
// the value that means "none".
template <class H, auto Free, auto Invalid>
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
        if (FHandle != H(Invalid)) Free(FHandle);
        FHandle = h;
    }
    // Releases the handle now; false when the release itself failed (a file whose last writes the
    // system could not complete, for one).
    bool Close() { return FHandle == H(Invalid) || Free(std::exchange(FHandle, H(Invalid))); }
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
inline bool CloseKernelHandle(HANDLE h) { return ::CloseHandle(h) != 0; }
inline bool CloseSearch(HANDLE h) { return ::FindClose(h) != 0; }
inline bool UnloadLibrary(HMODULE h) { return ::FreeLibrary(h) != 0; }
inline bool CloseRegKey(HKEY h) { return ::RegCloseKey(h) == ERROR_SUCCESS; }
template <class H>
bool DeleteGdiObject(H h) {
    return ::DeleteObject(h) != 0;
}
inline bool DeleteMemoryDc(HDC h) { return ::DeleteDC(h) != 0; }
inline bool DestroyIconHandle(HICON h) { return ::DestroyIcon(h) != 0; }
inline bool DestroyWindowHandle(HWND h) { return ::DestroyWindow(h) != 0; }
inline bool DestroyMenuHandle(HMENU h) { return ::DestroyMenu(h) != 0; }
template <class P>
bool FreeCoTaskMem(P p) {
    ::CoTaskMemFree(p);
    return true;
}
template <class P>
bool FreeLocalMem(P p) {
    return ::LocalFree(p) == nullptr;
}
inline bool UnmapView(const void* view) { return ::UnmapViewOfFile(view) != 0; }
}  // namespace handles_detail

// Kernel objects whose "none" value is null (mutexes, events, processes, threads, mappings).
using TKernelHandle = TUniqueHandle<HANDLE, handles_detail::CloseKernelHandle, nullptr>;
// File handles, whose "none" value is INVALID_HANDLE_VALUE.
using TFileHandle = TUniqueHandle<HANDLE, handles_detail::CloseKernelHandle, -1LL>;
// A search from FindFirstFile(Ex)W.
using TFindHandle = TUniqueHandle<HANDLE, handles_detail::CloseSearch, -1LL>;
using TLibraryHandle = TUniqueHandle<HMODULE, handles_detail::UnloadLibrary, nullptr>;
using TRegKeyHandle = TUniqueHandle<HKEY, handles_detail::CloseRegKey, nullptr>;
// A GDI object (brush, pen, font, bitmap, region) of the given handle type.
template <class H>
using TGdiObject = TUniqueHandle<H, handles_detail::DeleteGdiObject<H>, nullptr>;
using TGdiHandle = TGdiObject<HGDIOBJ>;
// A device context made with CreateCompatibleDC.
using TMemoryDc = TUniqueHandle<HDC, handles_detail::DeleteMemoryDc, nullptr>;
using TIconHandle = TUniqueHandle<HICON, handles_detail::DestroyIconHandle, nullptr>;
using TWindowHandle = TUniqueHandle<HWND, handles_detail::DestroyWindowHandle, nullptr>;
using TMenuHandle = TUniqueHandle<HMENU, handles_detail::DestroyMenuHandle, nullptr>;
// Memory that WebView2 or the shell allocated with CoTaskMemAlloc.
template <class P>
using TCoTaskMemory = TUniqueHandle<P, handles_detail::FreeCoTaskMem<P>, nullptr>;
using TCoTaskString = TCoTaskMemory<LPWSTR>;
// Memory the system allocated with LocalAlloc (FormatMessage's buffer, security descriptors).
template <class P>
using TLocalMemory = TUniqueHandle<P, handles_detail::FreeLocalMem<P>, nullptr>;
using TLocalString = TLocalMemory<LPWSTR>;
// A view of a file mapping.
using TMappedView = TUniqueHandle<const void*, handles_detail::UnmapView, nullptr>;

// A window's device context from GetDC, given back with ReleaseDC.
class TWindowDc {
public:
    explicit TWindowDc(HWND window) : FWindow(window), FDc(::GetDC(window)) {}
    ~TWindowDc() {
        if (FDc) ::ReleaseDC(FWindow, FDc);
    }
    TWindowDc(const TWindowDc&) = delete;
    TWindowDc& operator=(const TWindowDc&) = delete;
    HDC Get() const { return FDc; }

private:
    HWND FWindow;
    HDC FDc;
};

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
