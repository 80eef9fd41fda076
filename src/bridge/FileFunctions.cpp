// zorv.files.*, zorv.folders.* and zorv.base64.decodeToFile: files and folders of the local file
// system, the application's packaged files, and Base64 text written out as bytes.
#include "bridge/BrowserExternalModule.h"

#include <filesystem>
#include <system_error>

#include "archive/AbZipKit.h"
#include "bridge/FileReplacer.h"
#include "platform/OperatingSystem.h"
#include "shared/Base64.h"
#include "shared/StrUtils.h"

namespace zorv {
namespace {

namespace fs = std::filesystem;

// UTF-8 with a byte-order mark; CR LF, a lone CR and a lone LF each end a line, and every line,
// the last included, is written with CR LF. A NUL ends the text.
std::string TextFileBytes(std::string_view contents) {
    contents = contents.substr(0, contents.find('\0'));
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
    std::error_code ignored;
    fs::create_directories(TPagePaths::ToFsPath(filePath).parent_path(), ignored);
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(TPagePaths::ToFsPath(path), error);
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(TPagePaths::ToFsPath(path), error);
}

// Removes a file (or a link), never a folder.
bool DeleteOneFile(const std::string& path) {
    std::error_code error;
    const fs::path fsPath = TPagePaths::ToFsPath(path);
    const fs::file_status status = fs::symlink_status(fsPath, error);
    if (error || !fs::exists(status) || fs::is_directory(status)) return false;
    return fs::remove(fsPath, error) && !error;
}

const char* Boolean(bool value) { return value ? "true" : "false"; }

// Reads `contents`; a value of the wrong type is answered like a failed write.
std::optional<std::string> ReadContents(const TBridgeArguments& args, std::string& error) {
    try {
        return args.ReadString("contents");
    } catch (const std::exception& failure) {
        error = failure.what();
        return std::nullopt;
    }
}

}  // namespace

void TBrowserExternalModule::FilesFileExists(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = args.ReadString("filePath");
    if (filePath.empty()) return SendError(uuid, "\"Missing filePath\"");
    SendSuccess(uuid, Boolean(IsFile(ResolvePagePath(filePath))));
}

void TBrowserExternalModule::FilesDeleteFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = args.ReadString("filePath");
    if (filePath.empty()) return SendError(uuid, "\"Missing filePath\"");
    SendSuccess(uuid, Boolean(DeleteOneFile(ResolvePagePath(filePath))));
}

void TBrowserExternalModule::FilesWriteTextFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string filePath = args.ReadString("filePath");
    if (filePath.empty()) return SendError(uuid, "\"Missing filePath\"");
    const std::string path = ResolvePagePath(filePath);
    CreateParentFolders(path);
    std::string readError;
    const std::optional<std::string> contents = ReadContents(args, readError);
    if (!contents) return SendError(uuid, TStrUtils::StringToJsonString(readError));
    if (const std::optional<std::string> error = TFileReplacer::Write(path, TextFileBytes(*contents))) {
        return SendError(uuid, TStrUtils::StringToJsonString(*error));
    }
    SendSuccess(uuid, "true");
}

void TBrowserExternalModule::FilesExtractFile(const std::string& uuid, const TBridgeArguments& args) {
    const std::string sourceFile = args.ReadString("sourceFile");
    if (sourceFile.empty()) return SendError(uuid, "\"Missing sourceFile\"");
    const std::string targetFile = args.ReadString("targetFile");
    if (targetFile.empty()) return SendError(uuid, "\"Missing targetFile\"");
    std::string content;
    try {
        // The page names a packaged file as "/" and its path inside the application folder.
        const std::string entryName = AppDirName() + sourceFile;
        if (FExeZip->FindFile(entryName) < 0) return SendError(uuid, "\"File not found\"");
        const TAbExtractStatus status = FExeZip->TryExtract(entryName, content);
        if (status != TAbExtractStatus::Ok) {
            return SendError(uuid, TStrUtils::StringToJsonString(TAbZipKit::StatusMessage(status)));
        }
    } catch (const std::exception& error) {
        return SendError(uuid, TStrUtils::StringToJsonString(error.what()));
    }
    // The target is used as given: relative to the process's current folder, no folders created.
    if (const std::optional<std::string> error = TFileReplacer::Write(targetFile, content)) {
        return SendError(uuid, TStrUtils::StringToJsonString(*error));
    }
    SendSuccess(uuid, "true");
}

void TBrowserExternalModule::FoldersDirExists(const std::string& uuid, const TBridgeArguments& args) {
    const std::string dirPath = args.ReadString("dirPath");
    if (dirPath.empty()) return SendError(uuid, "\"Missing dirPath\"");
    SendSuccess(uuid, Boolean(IsFolder(ResolvePagePath(dirPath))));
}

void TBrowserExternalModule::FoldersDeleteDir(const std::string& uuid, const TBridgeArguments& args) {
    const std::string dirPath = args.ReadString("dirPath");
    if (dirPath.empty()) return SendError(uuid, "\"Missing dirPath\"");
    SendSuccess(uuid, Boolean(FServices.operatingSystem->DeleteDirectory(ResolvePagePath(dirPath))));
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
    const std::string filePath = args.ReadString("filePath");
    if (filePath.empty()) return SendError(uuid, "\"Missing filePath\"");
    const std::string path = ResolvePagePath(filePath);
    CreateParentFolders(path);
    std::string readError;
    const std::optional<std::string> contents = ReadContents(args, readError);
    if (!contents) return SendError(uuid, TStrUtils::StringToJsonString(readError));
    const TBase64::TDecodeResult decoded = TBase64::Decode(*contents);
    if (!decoded.ok) return SendError(uuid, TStrUtils::StringToJsonString(decoded.error));
    if (const std::optional<std::string> error = TFileReplacer::Write(path, decoded.bytes)) {
        return SendError(uuid, TStrUtils::StringToJsonString(*error));
    }
    SendSuccess(uuid, "true");
}

}  // namespace zorv
