#include "backends/win32/EntryStream.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "backends/win32/ComObject.h"

namespace zorv {

namespace {

// Where a stream's bytes come from, moved about and read under the stream's lock.
class TBodySource {
public:
    virtual ~TBodySource() = default;
    virtual uint64_t Length() const = 0;
    virtual uint64_t Position() const = 0;
    // Up to `size` bytes: how many (0 at the end), or false when the body cannot be read further.
    virtual bool Read(char* buffer, std::size_t size, std::size_t& got) = 0;
    virtual bool Seek(uint64_t position) = 0;
};

class TEntrySource final : public TBodySource {
public:
    explicit TEntrySource(std::unique_ptr<TAbEntryReader> reader) : FReader(std::move(reader)) {}
    uint64_t Length() const override { return FReader->Length(); }
    uint64_t Position() const override { return FReader->Position(); }
    bool Read(char* buffer, std::size_t size, std::size_t& got) override {
        TAbExtractStatus status = TAbExtractStatus::Ok;
        got = FReader->Read(buffer, size, status);
        return status == TAbExtractStatus::Ok;
    }
    bool Seek(uint64_t position) override { return FReader->Seek(position); }

private:
    std::unique_ptr<TAbEntryReader> FReader;
};

class TFileSource final : public TBodySource {
public:
    explicit TFileSource(std::unique_ptr<TFileReader> reader) : FReader(std::move(reader)) {}
    uint64_t Length() const override { return FReader->Length(); }
    uint64_t Position() const override { return FReader->Position(); }
    bool Read(char* buffer, std::size_t size, std::size_t& got) override {
        TResult<std::size_t> read = FReader->Read(buffer, size);
        got = read ? read.Value() : 0;
        return static_cast<bool>(read);
    }
    bool Seek(uint64_t position) override { return FReader->Seek(position); }

private:
    std::unique_ptr<TFileReader> FReader;
};

class TMemorySource final : public TBodySource {
public:
    explicit TMemorySource(std::string bytes) : FBytes(std::move(bytes)) {}
    uint64_t Length() const override { return FBytes.size(); }
    uint64_t Position() const override { return FPosition; }
    bool Read(char* buffer, std::size_t size, std::size_t& got) override {
        got = std::min(size, FBytes.size() - FPosition);
        std::memcpy(buffer, FBytes.data() + FPosition, got);
        FPosition += got;
        return true;
    }
    bool Seek(uint64_t position) override {
        if (position > FBytes.size()) return false;
        FPosition = static_cast<std::size_t>(position);
        return true;
    }

private:
    std::string FBytes;
    std::size_t FPosition = 0;
};

class TBodyStream final : public TComObject<IStream, ISequentialStream, IAgileObject> {
public:
    explicit TBodyStream(std::unique_ptr<TBodySource> source) : FSource(std::move(source)) {
        // The marshaler is aggregated: its IMarshal hands this object itself to every apartment.
        if (FAILED(::CoCreateFreeThreadedMarshaler(static_cast<IStream*>(this), FMarshaler.Put()))) FMarshaler.Reset();
    }

    // Fills the buffer as far as the body goes: a short count means the end.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
        if (read) *read = 0;
        if (!buffer && size > 0) return STG_E_INVALIDPOINTER;
        std::lock_guard<std::mutex> lock(FLock);
        ULONG done = 0;
        while (done < size) {
            std::size_t got = 0;
            if (!FSource->Read(static_cast<char*>(buffer) + done, size - done, got)) return STG_E_READFAULT;
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
            case STREAM_SEEK_CUR: base = static_cast<int64_t>(FSource->Position()); break;
            case STREAM_SEEK_END: base = static_cast<int64_t>(FSource->Length()); break;
            default: return STG_E_INVALIDFUNCTION;
        }
        const int64_t target = base + move.QuadPart;
        if (target < 0 || static_cast<uint64_t>(target) > FSource->Length()) return STG_E_INVALIDFUNCTION;
        if (!FSource->Seek(static_cast<uint64_t>(target))) return STG_E_READFAULT;
        if (newPosition) newPosition->QuadPart = static_cast<ULONGLONG>(target);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = FSource->Length();
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
    ~TBodyStream() override = default;

    HRESULT QueryDelegated(REFIID iid, void** object) override {
        if (iid == __uuidof(IMarshal) && FMarshaler) return FMarshaler->QueryInterface(iid, object);
        return E_NOINTERFACE;
    }

    std::mutex FLock;  // one read or move at a time, whichever thread the web view reads from
    std::unique_ptr<TBodySource> FSource;
    TComPtr<IUnknown> FMarshaler;  // the free-threaded marshaler's own IUnknown
};

TComPtr<IStream> NewBodyStream(std::unique_ptr<TBodySource> source) {
    return TComPtr<IStream>::Attach(new TBodyStream(std::move(source)));
}

}  // namespace

TComPtr<IStream> NewEntryStream(std::unique_ptr<TAbEntryReader> reader) {
    return NewBodyStream(std::make_unique<TEntrySource>(std::move(reader)));
}

TComPtr<IStream> NewFileStream(std::unique_ptr<TFileReader> reader) {
    return NewBodyStream(std::make_unique<TFileSource>(std::move(reader)));
}

TComPtr<IStream> NewMemoryStream(std::string bytes) {
    return NewBodyStream(std::make_unique<TMemorySource>(std::move(bytes)));
}

}  // namespace zorv
