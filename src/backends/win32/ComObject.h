#pragma once
// IUnknown written once for the COM objects the runtime implements itself (WebView2 handlers,
// response streams): a thread-safe reference count that starts at one and deletes the object when
// it reaches zero, and a QueryInterface that answers IUnknown, `Primary` and each of `Others` with
// the `Primary` pointer. `Others` are the interfaces `Primary` derives from and marker interfaces
// such as IAgileObject.

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace zorv {

template <class Primary, class... Others>
class TComObject : public Primary {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (Answers(iid)) {
            *object = static_cast<Primary*>(this);
            AddRef();
            return S_OK;
        }
        if (const HRESULT delegated = QueryDelegated(iid, object); delegated != E_NOINTERFACE) return delegated;
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --FReferences;
        if (left == 0) delete this;
        return left;
    }

protected:
    TComObject() = default;
    // Objects go with their last reference, never by a delete of their own.
    virtual ~TComObject() = default;
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    // Interfaces the object hands to another (an aggregated marshaler's IMarshal); none by default.
    virtual HRESULT QueryDelegated(REFIID, void**) { return E_NOINTERFACE; }

private:
    static bool Answers(REFIID iid) {
        return IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(Primary)) ||
               (IsEqualIID(iid, __uuidof(Others)) || ...);
    }

    std::atomic<ULONG> FReferences{1};
};

}  // namespace zorv
