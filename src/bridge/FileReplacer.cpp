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

std::string TemporaryNameBeside(const std::string& target) {
    std::random_device random;
    static constexpr char digits[] = "0123456789abcdef";
    std::string suffix = ".";
    for (int i = 0; i < 8; ++i) suffix += digits[random() % 16];
    return target + suffix + ".tmp";
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
    const std::string target = FinalTarget(utf8Path);
    const std::string temporary = TemporaryNameBeside(target);
#ifdef _WIN32
    TFileHandle file(CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return CannotCreate(utf8Path, SystemMessage(GetLastError()));
    if (!WriteAll(file.Get(), bytes) || !file.Close()) {
        const DWORD error = GetLastError();
        file.Close();
        DeleteFileW(Wide(temporary).c_str());
        return CannotCreate(utf8Path, SystemMessage(error));
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
    if (!WriteAll(file.Get(), bytes) || ::fsync(file.Get()) != 0 || !file.Close()) {
        const int error = errno;
        file.Close();
        ::unlink(temporary.c_str());
        return CannotCreate(utf8Path, std::strerror(error));
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
