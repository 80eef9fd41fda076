#include "backends/win32/EntryStream.h"

#include <atomic>
#include <mutex>

namespace zorv {

namespace {

class TEntryStream final : public IStream {
public:
    explicit TEntryStream(std::unique_ptr<TAbEntryReader> reader) : FReader(std::move(reader)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(ISequentialStream) || iid == __uuidof(IStream)) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --FReferences;
        if (left == 0) delete this;
        return left;
    }

    // Fills the buffer as far as the part goes: a short count means the end.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
        if (read) *read = 0;
        if (!buffer && size > 0) return STG_E_INVALIDPOINTER;
        std::lock_guard<std::mutex> lock(FLock);
        ULONG done = 0;
        while (done < size) {
            TAbExtractStatus status = TAbExtractStatus::Ok;
            const std::size_t got = FReader->Read(static_cast<char*>(buffer) + done, size - done, status);
            if (status != TAbExtractStatus::Ok) return STG_E_READFAULT;
            if (got == 0) break;
            done += static_cast<ULONG>(got);
        }
        if (read) *read = done;
        return done == size ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
        if (written) *written = 0;
        return STG_E_ACCESSDENIED;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        std::lock_guard<std::mutex> lock(FLock);
        int64_t base = 0;
        switch (origin) {
            case STREAM_SEEK_SET: base = 0; break;
            case STREAM_SEEK_CUR: base = static_cast<int64_t>(FReader->Position()); break;
            case STREAM_SEEK_END: base = static_cast<int64_t>(FReader->Length()); break;
            default: return STG_E_INVALIDFUNCTION;
        }
        const int64_t target = base + move.QuadPart;
        if (target < 0 || static_cast<uint64_t>(target) > FReader->Length()) return STG_E_INVALIDFUNCTION;
        if (!FReader->Seek(static_cast<uint64_t>(target))) return STG_E_READFAULT;
        if (newPosition) newPosition->QuadPart = static_cast<ULONGLONG>(target);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = FReader->Length();
        stat->grfMode = STGM_READ;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override {
        if (clone) *clone = nullptr;
        return E_NOTIMPL;
    }

private:
    ~TEntryStream() = default;

    std::atomic<ULONG> FReferences{1};
    std::mutex FLock;  // one read or move at a time, whichever thread the web view reads from
    std::unique_ptr<TAbEntryReader> FReader;
};

}  // namespace

TComPtr<IStream> NewEntryStream(std::unique_ptr<TAbEntryReader> reader) {
    return TComPtr<IStream>::Attach(new TEntryStream(std::move(reader)));
}

}  // namespace zorv
