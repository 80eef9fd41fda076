// zorv.files.*, zorv.folders.* and zorv.base64.decodeToFile: files and folders of the local file
// system, the application's packaged files, and Base64 text written out as bytes.
#include "bridge/BrowserExternalModule.h"
#include "archive/AppPackage.h"

#include <filesystem>
#include <system_error>

#include "archive/AbZipKit.h"
#include "bridge/FileReplacer.h"
#include "platform/OperatingSystem.h"
#include "shared/Base64.h"
#include "shared/FileSystem.h"
#include "shared/StrUtils.h"

namespace zorv {
namespace {

namespace fs = std::filesystem;

// UTF-8 with a byte-order mark; CR LF, a lone CR and a lone LF each end a line, and every line,
// the last included, is written with CR LF. NUL characters are written like any other.
std::string TextFileBytes(std::string_view contents) {
    std::string bytes = "\xEF\xBB\xBF";
    bytes.reserve(contents.size() + contents.size() / 16 + 8);
    std::size_t start = 0;
    while (start < contents.size()) {
        const std::size_t end = contents.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            bytes += contents.substr(start);
            bytes += "\r\n";
            break;
        }
        bytes += contents.substr(start, end - start);
        bytes += "\r\n";
        const bool crLf = contents[end] == '\r' && end + 1 < contents.size() && contents[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
    return bytes;
}

// Missing folders on the way to the file; a failure shows up when the file is written.
void CreateParentFolders(const std::string& filePath) {
    TFileSystem::CreateFolders(TPagePaths::ToFsPath(filePath).parent_path());
}

bool IsFile(const std::string& path) { return TFileSystem::IsFile(TPagePaths::ToFsPath(path)); }

bool IsFolder(const std::string& path) { return TFileSystem::IsFolder(TPagePaths::ToFsPath(path)); }

// Removes a file (or a link), never a folder.
bool DeleteOneFile(const std::string& path) {
    const fs::path fsPath = TPagePaths::ToFsPath(path);
    const TFileSystem::TKind kind = TFileSystem::EntryKindOf(fsPath);
    if (kind == TFileSystem::TKind::Missing || kind == TFileSystem::TKind::Folder) return false;
    return TFileSystem::Remove(fsPath);
}

const char* Boolean(bool value) { return value ? "true" : "false"; }

// A path argument. The file system ends a path at its first NUL, so a path holding one would name
// another file than the page asked for: it is refused.
std::string ReadPath(const TBridgeArguments& args, std::string_view name) {
    std::string path = args.ReadString(name);
    if (path.find('\0') != std::string::npos) {
        throw EBridgeError("Value '" + std::string(name) + "' must not hold a NUL character");
    }
    return path;
}

// A path whose last part is empty ("dir/"), "." or ".." names a folder; writing a file there
// must fail before any folder on the way is made.
TStatus CheckFileName(const std::string& path) {
    const fs::path name = TPagePaths::ToFsPath(path).filename();
    if (!name.empty() && name != "." && name != "..") return Succeeded();
    return Failure("Cannot create file \"" + path + "\". The path names a folder, not a file");
}

// Reads `contents`; a value of the wrong type is answered like a failed write.
TResult<std::string> ReadContents(const TBridgeArguments& args) {
    try {
        return args.ReadString("contents");
    } catch (const std::exception& failure) {
        return Failure(failure.what());
    }
}

}  // namespace

void TBrowserExternalModule::FilesFileExists(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = ReadPath(args, "filePath");
    if (filePath.empty()) return SendError(uuid, "Missing filePath");
    SendSuccess(uuid, Boolean(IsFile(ResolvePagePath(filePath))));
}

void TBrowserExternalModule::FilesDeleteFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = ReadPath(args, "filePath");
    if (filePath.empty()) return SendError(uuid, "Missing filePath");
    SendSuccess(uuid, Boolean(DeleteOneFile(ResolvePagePath(filePath))));
}

void TBrowserExternalModule::FilesWriteTextFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = ReadPath(args, "filePath");
    if (filePath.empty()) return SendError(uuid, "Missing filePath");
    const std::string path = ResolvePagePath(filePath);
    if (const TStatus named = CheckFileName(path); !named) return SendError(uuid, named.Error());
    CreateParentFolders(path);
    const TResult<std::string> contents = ReadContents(args);
    if (!contents) return SendError(uuid, contents.Error());
    if (const TStatus written = TFileReplacer::Write(path, TextFileBytes(contents.Value())); !written) {
        return SendError(uuid, written.Error());
    }
    SendSuccess(uuid, "true");
}

void TBrowserExternalModule::FilesExtractFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string sourceFile = ReadPath(args, "sourceFile");
    if (sourceFile.empty()) return SendError(uuid, "Missing sourceFile");
    const std::string targetFile = ReadPath(args, "targetFile");
    if (targetFile.empty()) return SendError(uuid, "Missing targetFile");
    // The page names a packaged file as "/" and its path inside the application folder.
    std::string entryName;
    try {
        entryName = AppDirName() + sourceFile;
        if (!FPackage->Find(entryName)) return SendError(uuid, "File not found");
    } catch (const std::exception& error) {
        return SendError(uuid, error.what());
    }
    // The target is used as given: relative to the process's current folder, no folders created.
    // The entry goes straight into it, block by block; it replaces the target only when whole.
    const TStatus written = TFileReplacer::WriteFrom(targetFile, [&](const TFileReplacer::TAppend& append) -> TStatus {
        const TAbExtractStatus status =
            FPackage->TryExtractTo(entryName, [&append](const char* data, std::size_t size) {
                return append({data, size});
            });
        if (status == TAbExtractStatus::Ok) return Succeeded();
        return Failure(std::string(TAbZipKit::StatusMessage(status)));
    });
    if (!written) return SendError(uuid, written.Error());
    SendSuccess(uuid, "true");
}

void TBrowserExternalModule::FoldersDirExists(const std::string& uuid, const TBridgeArguments& args) {
    const std::string dirPath = ReadPath(args, "dirPath");
    if (dirPath.empty()) return SendError(uuid, "Missing dirPath");
    SendSuccess(uuid, Boolean(IsFolder(ResolvePagePath(dirPath))));
}

void TBrowserExternalModule::FoldersDeleteDir(const std::string& uuid, const TBridgeArguments& args) {
    const std::string dirPath = ReadPath(args, "dirPath");
    if (dirPath.empty()) return SendError(uuid, "Missing dirPath");
    // Only whether the folder is gone reaches the page, as the function has always answered.
    SendSuccess(uuid, Boolean(FServices.operatingSystem->DeleteDirectory(ResolvePagePath(dirPath)).Ok()));
}

void TBrowserExternalModule::FoldersGetTempDir(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(FServices.operatingSystem->GetTempDirPath()));
}

void TBrowserExternalModule::FoldersGetUserDocumentsDir(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(FServices.operatingSystem->GetUserDocumentsDirPath()));
}

void TBrowserExternalModule::FoldersGetUserDesktopDir(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(FServices.operatingSystem->GetUserDesktopDirPath()));
}

void TBrowserExternalModule::FoldersGetAppExecutableDir(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(FContext.appDir));
}

void TBrowserExternalModule::FoldersGetAppDataDir(const std::string& uuid, const TBridgeArguments&) {
    SendSuccess(uuid, TStrUtils::StringToJsonString(FServices.operatingSystem->GetUserAppDataDirPath()));
}

void TBrowserExternalModule::Base64DecodeToFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = ReadPath(args, "filePath");
    if (filePath.empty()) return SendError(uuid, "Missing filePath");
    const std::string path = ResolvePagePath(filePath);
    if (const TStatus named = CheckFileName(path); !named) return SendError(uuid, named.Error());
    CreateParentFolders(path);
    const TResult<std::string> contents = ReadContents(args);
    if (!contents) return SendError(uuid, contents.Error());
    const TResult<std::string> decoded = TBase64::Decode(contents.Value());
    if (!decoded) return SendError(uuid, decoded.Error());
    if (const TStatus written = TFileReplacer::Write(path, decoded.Value()); !written) {
        return SendError(uuid, written.Error());
    }
    SendSuccess(uuid, "true");
}

}  // namespace zorv
