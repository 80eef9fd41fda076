#include "bridge/FileReplacer.h"

#include <algorithm>
#include <random>

#include "bridge/PagePaths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zorv {
namespace {

// A short name in the target's folder, so that a target whose own name is as long as the file
// system allows still gets a temporary file.
std::string TemporaryNameBeside(const std::string& target) {
    std::random_device random;
    static constexpr char digits[] = "0123456789abcdef";
    std::string name = ".zorv-";
    for (int i = 0; i < 12; ++i) name += digits[random() % 16];
    name += ".tmp";
    return TPagePaths::FromFsPath(TPagePaths::ToFsPath(target).parent_path() / TPagePaths::ToFsPath(name));
}

// A link is followed to the file it names (also when that file does not exist yet), so that a write
// through it changes that file and the link stays a link.
std::string FinalTarget(const std::string& utf8Path) {
    std::filesystem::path path = TPagePaths::ToFsPath(utf8Path);
    std::error_code error;
    bool followed = false;
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
        followed = true;
    }
    return followed ? TPagePaths::FromFsPath(path) : utf8Path;
}

std::string CannotCreate(const std::string& path, const std::string& reason) {
    return "Cannot create file \"" + path + "\". " + reason;
}

#ifdef _WIN32

std::wstring Wide(const std::string& utf8) { return TPagePaths::ToFsPath(utf8).wstring(); }

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"Error " + std::to_wstring(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return TPagePaths::FromFsPath(std::filesystem::path(text));
}

class TFileHandle {
public:
    explicit TFileHandle(HANDLE handle) : FHandle(handle) {}
    ~TFileHandle() { Close(); }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    bool IsValid() const { return FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return FHandle; }
    bool Close() {
        if (!IsValid()) return true;
        const bool closed = CloseHandle(FHandle) != 0;
        FHandle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE FHandle;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

#else

class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : FFd(fd) {}
    ~TFileDescriptor() { Close(); }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    bool IsValid() const { return FFd >= 0; }
    int Get() const { return FFd; }
    bool Close() {
        if (FFd < 0) return true;
        const bool closed = ::close(FFd) == 0;
        FFd = -1;
        return closed;
    }

private:
    int FFd;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

#endif

}  // namespace

std::optional<std::string> TFileReplacer::Write(const std::string& utf8Path, std::string_view bytes) {
    return WriteFrom(utf8Path, [bytes](const TAppend& append) -> std::optional<std::string> {
        append(bytes);
        return std::nullopt;
    });
}

std::optional<std::string> TFileReplacer::WriteFrom(const std::string& utf8Path, const TProducer& produce) {
    // The file system would end the name at the NUL and write another file.
    if (utf8Path.find('\0') != std::string::npos) return CannotCreate(utf8Path, "The name holds a NUL character");
    const std::string target = FinalTarget(utf8Path);
    const std::string temporary = TemporaryNameBeside(target);
#ifdef _WIN32
    TFileHandle file(CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return CannotCreate(utf8Path, SystemMessage(GetLastError()));
    DWORD writeError = 0;
    const TAppend append = [&](std::string_view bytes) {
        if (writeError == 0 && !WriteAll(file.Get(), bytes)) writeError = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        return writeError == 0;
    };
    std::optional<std::string> sourceError;
    try {
        sourceError = produce(append);
    } catch (...) {
        file.Close();
        DeleteFileW(Wide(temporary).c_str());
        throw;
    }
    if (writeError == 0 && !sourceError && !file.Close()) writeError = GetLastError();
    if (writeError != 0 || sourceError) {
        file.Close();
        DeleteFileW(Wide(temporary).c_str());
        return writeError != 0 ? CannotCreate(utf8Path, SystemMessage(writeError)) : sourceError;
    }
    if (!MoveFileExW(Wide(temporary).c_str(), Wide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(Wide(temporary).c_str());
        return CannotCreate(utf8Path, SystemMessage(error));
    }
#else
    TFileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.IsValid()) return CannotCreate(utf8Path, std::strerror(errno));
    // A replaced file keeps its permissions.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        (void)::fchmod(file.Get(), existing.st_mode & 07777);
    }
    int writeError = 0;
    const TAppend append = [&](std::string_view bytes) {
        if (writeError == 0 && !WriteAll(file.Get(), bytes)) writeError = errno ? errno : EIO;
        return writeError == 0;
    };
    std::optional<std::string> sourceError;
    try {
        sourceError = produce(append);
    } catch (...) {
        file.Close();
        ::unlink(temporary.c_str());
        throw;
    }
    if (writeError == 0 && !sourceError && (::fsync(file.Get()) != 0 || !file.Close())) writeError = errno;
    if (writeError != 0 || sourceError) {
        file.Close();
        ::unlink(temporary.c_str());
        return writeError != 0 ? CannotCreate(utf8Path, std::strerror(writeError)) : sourceError;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return CannotCreate(utf8Path, std::strerror(error));
    }
#endif
    return std::nullopt;
}

}  // namespace zorv
