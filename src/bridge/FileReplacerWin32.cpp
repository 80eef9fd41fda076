#include "bridge/FileReplacer.h"

#include <windows.h>

#include <algorithm>

#include "bridge/FileReplacerParts.h"
#include "bridge/FileReplacerWin32.h"
#include "bridge/PagePaths.h"
#include "shared/Win32Handles.h"

namespace zorv::file_replacer {
namespace {

std::wstring Wide(const std::string& utf8) { return TPagePaths::ToFsPath(utf8).wstring(); }

std::string SystemMessage(DWORD code) {
    TLocalString buffer;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.Put()), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer.Get(), length) : L"Error " + std::to_wstring(code);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return TPagePaths::FromFsPath(std::filesystem::path(text));
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

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

// True when the file has more than one name (hard links): a replacement would give only this
// name the new content, so it is written in place, as on Linux.
bool HasSeveralNames(const std::wstring& path) {
    TFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return file.IsValid() && GetFileInformationByHandle(file.Get(), &information) && information.nNumberOfLinks > 1;
}

// How a replacement ended.
enum class TReplaced { Done, TargetLeftAlone, TargetGone };

// The replacement keeps the target's attributes, security and streams. When ReplaceFileW fails
// part way, the target may already be gone (1176: deleted; 1177: renamed) with the new content
// still in the temporary file, which must then take the target's name rather than be deleted.
TReplaced Replace(const std::wstring& target, const std::wstring& temporary, const TReplaceFile& replace) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (!CanBeReplaced(target)) return TReplaced::TargetLeftAlone;
    if (!replace(target.c_str(), temporary.c_str())) {
        const DWORD error = GetLastError();
        return error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
                   ? TReplaced::TargetGone
                   : TReplaced::TargetLeftAlone;
    }
    // Not every implementation carries the attributes over.
    if (GetFileAttributesW(target.c_str()) != attributes) SetFileAttributesW(target.c_str(), attributes);
    return TReplaced::Done;
}

bool MoveIntoPlace(const std::wstring& temporary, const std::wstring& target) {
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
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

}  // namespace

BOOL SystemReplaceFile(const wchar_t* target, const wchar_t* replacement) {
    return ReplaceFileW(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                        nullptr, nullptr);
}

TStatus WriteTarget(const std::string& utf8Path, const std::string& targetUtf8,
                    const TFileReplacer::TProducer& produce) {
    return WriteTargetReplacingWith(utf8Path, targetUtf8, produce, SystemReplaceFile);
}

TStatus WriteTargetReplacingWith(const std::string& utf8Path, const std::string& targetUtf8,
                                 const TFileReplacer::TProducer& produce, const TReplaceFile& replace) {
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
    const bool exists = IsFile(target);
    // The new content is on the disk before it takes the old one's place, as on Linux.
    if (outcome && exists && !FlushFileBuffers(file.Get()))
        outcome = CannotCreate(utf8Path, SystemMessage(GetLastError()));
    if (outcome && !file.Close()) outcome = CannotCreate(utf8Path, SystemMessage(GetLastError()));
    if (outcome) {
        if (!exists) {
            if (!MoveIntoPlace(temporary, target)) outcome = CannotCreate(utf8Path, SystemMessage(GetLastError()));
        } else if (HasSeveralNames(target)) {
            outcome = CopyInPlace(utf8Path, temporary, target);
        } else {
            switch (Replace(target, temporary, replace)) {
                case TReplaced::Done: break;
                // When the replacement cannot be made, the new content goes into the target itself.
                case TReplaced::TargetLeftAlone: outcome = CopyInPlace(utf8Path, temporary, target); break;
                case TReplaced::TargetGone:
                    if (!MoveIntoPlace(temporary, target)) {
                        // The old file is gone: the new content stays where it is rather than be lost.
                        return CannotCreate(utf8Path, SystemMessage(GetLastError()) + "; the new content is in \"" +
                                                          TPagePaths::FromFsPath(std::filesystem::path(temporary)) +
                                                          "\"");
                    }
                    break;
            }
        }
    }
    file.Close();
    DeleteFileW(temporary.c_str());  // nothing left there after a rename or a replacement
    return outcome;
}

}  // namespace zorv::file_replacer
