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

TFailure CannotCreate(const std::string& path, const std::string& reason) {
    return Failure("Cannot create file \"" + path + "\". " + reason);
}

#ifdef _WIN32

std::wstring Wide(const std::string& utf8) { return TPagePaths::ToFsPath(utf8).wstring(); }

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
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

// Runs the producer into `append`'s file; fails with the message of the first failure.
template <class TWriteAll, class TLastError, class TMessage>
TStatus Produce(const TFileReplacer::TProducer& produce, const std::string& utf8Path, TWriteAll writeAll,
                TLastError lastError, TMessage message) {
    decltype(lastError()) writeError = 0;
    const TFileReplacer::TAppend append = [&](std::string_view bytes) {
        if (writeError == 0 && !writeAll(bytes)) writeError = lastError();
        return writeError == 0;
    };
    TStatus produced = produce(append);
    if (writeError != 0) return CannotCreate(utf8Path, message(writeError));
    return produced;
}

}  // namespace

TStatus TFileReplacer::Write(const std::string& utf8Path, std::string_view bytes) {
    return WriteFrom(utf8Path, [bytes](const TAppend& append) -> TStatus {
        append(bytes);
        return Succeeded();
    });
}

#ifdef _WIN32
namespace {

// A path beyond the classic length limit in its \\?\ form, which the wide file functions take whole.
std::wstring LongPath(const std::string& utf8) {
    std::wstring path = Wide(utf8);
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// False while another program holds the file open without delete sharing: it cannot be replaced
// then, only written.
bool CanBeReplaced(const std::wstring& path) {
    TFileHandle probe(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.IsValid();
}

// The replacement keeps the target's attributes, security and streams.
bool Replace(const std::wstring& target, const std::wstring& temporary) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (!CanBeReplaced(target) ||
        !ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
        return false;
    // Not every implementation carries the attributes over.
    if (GetFileAttributesW(target.c_str()) != attributes) SetFileAttributesW(target.c_str(), attributes);
    return true;
}

DWORD LastErrorOr(DWORD fallback) { return GetLastError() ? GetLastError() : fallback; }

TStatus ProduceInto(HANDLE file, const TFileReplacer::TProducer& produce, const std::string& utf8Path) {
    return Produce(
        produce, utf8Path, [file](std::string_view bytes) { return WriteAll(file, bytes); },
        [] { return LastErrorOr(ERROR_WRITE_FAULT); }, SystemMessage);
}

// The existing file itself, opened for writing in place (its attributes, security, streams and
// other names stay); the content is cut to what is written.
TFileHandle OpenInPlace(const std::wstring& target) {
    return TFileHandle(CreateFileW(target.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

TStatus FinishInPlace(TFileHandle& file, const std::string& utf8Path) {
    if (!SetEndOfFile(file.Get()) || !file.Close()) return CannotCreate(utf8Path, SystemMessage(GetLastError()));
    return Succeeded();
}

// When no file can be made beside the target (a folder without the right to create files), the
// target is written where it is; a failure part way leaves it partly written.
TStatus WriteInPlace(const std::string& utf8Path, const std::wstring& target, const TFileReplacer::TProducer& produce) {
    TFileHandle file = OpenInPlace(target);
    if (!file.IsValid()) return CannotCreate(utf8Path, SystemMessage(GetLastError()));
    if (TStatus produced = ProduceInto(file.Get(), produce, utf8Path); !produced) return produced;
    return FinishInPlace(file, utf8Path);
}

// When the target cannot be replaced (another program holds it open without delete sharing), the
// complete new content is copied into it.
TStatus CopyInPlace(const std::string& utf8Path, const std::wstring& temporary, const std::wstring& target) {
    TFileHandle source(CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    TFileHandle file = OpenInPlace(target);
    if (!source.IsValid() || !file.IsValid()) return CannotCreate(utf8Path, SystemMessage(GetLastError()));
    std::string buffer(1 << 20, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return CannotCreate(utf8Path, SystemMessage(GetLastError()));
        if (read == 0) break;
        if (!WriteAll(file.Get(), std::string_view(buffer.data(), read)))
            return CannotCreate(utf8Path, SystemMessage(LastErrorOr(ERROR_WRITE_FAULT)));
    }
    return FinishInPlace(file, utf8Path);
}

TStatus WriteTarget(const std::string& utf8Path, const std::string& targetUtf8,
                    const TFileReplacer::TProducer& produce) {
    const std::wstring target = LongPath(targetUtf8);
    const std::wstring temporary = LongPath(TemporaryNameBeside(targetUtf8));
    TFileHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        const DWORD error = GetLastError();
        if (IsFile(target)) return WriteInPlace(utf8Path, target, produce);
        return CannotCreate(utf8Path, SystemMessage(error));
    }
    TStatus outcome;
    try {
        outcome = ProduceInto(file.Get(), produce, utf8Path);
    } catch (...) {
        file.Close();
        DeleteFileW(temporary.c_str());
        throw;
    }
    if (outcome && !file.Close()) outcome = CannotCreate(utf8Path, SystemMessage(GetLastError()));
    if (outcome) {
        if (!IsFile(target)) {
            if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                outcome = CannotCreate(utf8Path, SystemMessage(GetLastError()));
        } else if (!Replace(target, temporary)) {
            // When the replacement cannot be made, the new content goes into the target itself.
            outcome = CopyInPlace(utf8Path, temporary, target);
        }
    }
    file.Close();
    DeleteFileW(temporary.c_str());  // nothing left there after a rename or a replacement
    return outcome;
}

}  // namespace
#else
namespace {

TStatus ProduceInto(int fd, const TFileReplacer::TProducer& produce, const std::string& utf8Path) {
    return Produce(
        produce, utf8Path, [fd](std::string_view bytes) { return WriteAll(fd, bytes); },
        [] { return errno ? errno : EIO; }, [](int error) { return std::string(std::strerror(error)); });
}

// FIFOs, devices and files with several names (hard links) are written where they are, as is a
// file whose owner a new file could not be given, or beside which no file can be made.
TStatus WriteInPlace(const std::string& utf8Path, const std::string& target, mode_t mode,
                     const TFileReplacer::TProducer& produce) {
    // A FIFO without a reader is refused rather than waited for.
    TFileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | (S_ISREG(mode) ? O_TRUNC : O_NONBLOCK)));
    if (!file.IsValid()) return CannotCreate(utf8Path, std::strerror(errno));
    if (!S_ISREG(mode)) ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
    if (TStatus produced = ProduceInto(file.Get(), produce, utf8Path); !produced) return produced;
    if ((S_ISREG(mode) && ::fsync(file.Get()) != 0) || !file.Close())
        return CannotCreate(utf8Path, std::strerror(errno));
    return Succeeded();
}

// The new file takes the target's owner and mode; false when it cannot have the owner.
bool TakeOwnerAndMode(int fd, const struct stat& existing) {
    if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
        ::fchown(fd, existing.st_uid, existing.st_gid) != 0)
        return false;
    (void)::fchmod(fd, existing.st_mode & 07777);
    return true;
}

TStatus WriteTarget(const std::string& utf8Path, const std::string& target, const TFileReplacer::TProducer& produce) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || existing.st_nlink > 1))
        return WriteInPlace(utf8Path, target, existing.st_mode, produce);
    const std::string temporary = TemporaryNameBeside(target);
    TFileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.IsValid()) {
        if (exists) return WriteInPlace(utf8Path, target, existing.st_mode, produce);
        return CannotCreate(utf8Path, std::strerror(errno));
    }
    if (exists && !TakeOwnerAndMode(file.Get(), existing)) {
        file.Close();
        ::unlink(temporary.c_str());
        return WriteInPlace(utf8Path, target, existing.st_mode, produce);
    }
    TStatus outcome;
    try {
        outcome = ProduceInto(file.Get(), produce, utf8Path);
    } catch (...) {
        file.Close();
        ::unlink(temporary.c_str());
        throw;
    }
    // The new content reaches the disk before it takes an existing file's place, so that a crash
    // never leaves an empty file where the old one was. A new file is not waited for: a crash may
    // cost it, but nothing that was there before, and a burst of small new files does not hold the
    // window behind one disk flush each.
    if (outcome && ((exists && ::fsync(file.Get()) != 0) || !file.Close()))
        outcome = CannotCreate(utf8Path, std::strerror(errno));
    if (outcome && ::rename(temporary.c_str(), target.c_str()) != 0)
        outcome = CannotCreate(utf8Path, std::strerror(errno));
    if (!outcome) {
        file.Close();
        ::unlink(temporary.c_str());
    }
    return outcome;
}

}  // namespace
#endif

TStatus TFileReplacer::WriteFrom(const std::string& utf8Path, const TProducer& produce) {
    // The file system would end the name at the NUL and write another file.
    if (utf8Path.find('\0') != std::string::npos) return CannotCreate(utf8Path, "The name holds a NUL character");
    return WriteTarget(utf8Path, FinalTarget(utf8Path), produce);
}

}  // namespace zorv
