#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "shared/FileRegion.h"
#include "shared/StorageFactsWin32.h"
#include "shared/Utf8Path.h"
#include "shared/Win32Handles.h"

namespace zorv {

namespace {

std::string SystemMessage(DWORD code) {
    TLocalString buffer;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.Put()), 0, nullptr);
    std::wstring text(buffer ? buffer.Get() : L"", length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return "Error " + std::to_string(code);
    return PathToUtf8(std::filesystem::path(text));
}

TStorageQuery& CurrentStorageQuery() {
    static TStorageQuery query;
    return query;
}

// The device name of the volume that holds `path` ("\\?\Volume{...}" without its trailing "\").
std::wstring VolumeDevice(const std::wstring& volumeRoot) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetVolumeNameForVolumeMountPointW(volumeRoot.c_str(), name, MAX_PATH + 1)) return {};
    std::wstring device(name);
    if (!device.empty() && device.back() == L'\\') device.pop_back();
    return device;
}

void DescribeDevice(const std::wstring& volumeRoot, TStorageFacts& facts) {
    const std::wstring device = VolumeDevice(volumeRoot);
    if (device.empty()) return;
    // No access rights are needed to ask a device for its description.
    const TFileHandle volume(
        ::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!volume) return;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    alignas(8) unsigned char buffer[1024] = {};
    DWORD returned = 0;
    if (::DeviceIoControl(volume.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), buffer, sizeof(buffer),
                          &returned, nullptr) &&
        returned >= offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof(STORAGE_BUS_TYPE)) {
        const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer);
        facts.described = true;
        facts.removableMedia = descriptor->RemovableMedia != FALSE;
        facts.bus = descriptor->BusType;
    }
}

}  // namespace

bool MayMapFrom(const TStorageFacts& facts) {
    if (facts.driveType == DRIVE_RAMDISK) return true;
    if (facts.driveType != DRIVE_FIXED || !facts.described || facts.removableMedia) return false;
    switch (facts.bus) {
        case BusTypeUsb:
        case BusTypeSd:
        case BusTypeMmc:
        case BusType1394: return false;
        default: return true;
    }
}

TStorageFacts QueryStorageFacts(const std::wstring& path) {
    TStorageFacts facts;
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(path.c_str(), volume, MAX_PATH + 1)) return facts;
    facts.driveType = ::GetDriveTypeW(volume);
    if (facts.driveType == DRIVE_FIXED) DescribeDevice(volume, facts);
    return facts;
}

TStorageQuery SetStorageQuery(TStorageQuery query) {
    TStorageQuery previous = std::move(CurrentStorageQuery());
    CurrentStorageQuery() = std::move(query);
    return previous;
}

// Owns the file handle, the mapping and the view, released in the reverse order. Without a view,
// the file is read through its handle.
struct TFileRegion::TImpl {
    const unsigned char* Bytes() const { return static_cast<const unsigned char*>(view.Get()); }

    TFileHandle file;
    TKernelHandle mapping;
    TMappedView view;  // declared last, so unmapped first
};

TFileRegion::TFileRegion(std::unique_ptr<TImpl> impl, uint64_t offset, uint64_t size)
    : FImpl(std::move(impl)), FOffset(offset), FSize(size) {}

TFileRegion::~TFileRegion() = default;

TResult<std::unique_ptr<TFileRegion>> TFileRegion::Open(const std::string& path, uint64_t offset, TAccess access) {
    auto failure = [&path](DWORD code) { return Failure("Cannot open file \"" + path + "\". " + SystemMessage(code)); };
    auto impl = std::make_unique<TImpl>();
    const std::wstring widePath = Utf8Path(path).wstring();
    // Nobody may write to or truncate the file while it is in use; it may be renamed (an
    // application updating itself renames its running file and writes the new one in its place).
    impl->file.Reset(::CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!impl->file) return failure(::GetLastError());
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(impl->file.Get(), &fileSize)) return failure(::GetLastError());
    const uint64_t size = static_cast<uint64_t>(fileSize.QuadPart);
    if (offset >= size) return Failure("Cannot read file \"" + path + "\": nothing follows the executable image");
    const TStorageQuery& query = CurrentStorageQuery();
    if (access == TAccess::Reads || !MayMapFrom(query ? query(widePath) : QueryStorageFacts(widePath)))
        return std::unique_ptr<TFileRegion>(new TFileRegion(std::move(impl), offset, size - offset));
    impl->mapping.Reset(::CreateFileMappingW(impl->file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!impl->mapping) return failure(::GetLastError());
    impl->view.Reset(::MapViewOfFile(impl->mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!impl->view) return failure(::GetLastError());
    return std::unique_ptr<TFileRegion>(new TFileRegion(std::move(impl), offset, size - offset));
}

bool TFileRegion::ReadAt(uint64_t offset, void* target, std::size_t size) const {
    if (offset > FSize || FSize - offset < size) return false;
    if (FImpl->view) {
        if (size > 0) std::memcpy(target, FImpl->Bytes() + FOffset + offset, size);
        return true;
    }
    auto* out = static_cast<char*>(target);
    uint64_t position = FOffset + offset;
    while (size > 0) {
        // The position travels with each read, so reads from several threads do not disturb one another.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD got = 0;
        // An error, or the end of a file that was cut short on its server since it was opened.
        if (!::ReadFile(FImpl->file.Get(), out, asked, &got, &at) || got == 0) return false;
        out += got;
        position += got;
        size -= got;
    }
    return true;
}

bool TFileRegion::IsMapped() const { return FImpl->view.IsValid(); }
}  // namespace zorv
