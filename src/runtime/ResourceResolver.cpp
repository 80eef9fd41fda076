#include "runtime/ResourceResolver.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "archive/AbZipKit.h"
#include "runtime/AppUrl.h"
#include "shared/FileSystem.h"
#include "shared/InputFile.h"
#include "shared/Utf8Path.h"
#include "shared/StrUtils.h"

namespace zorv {

namespace {

TResource NotFound() {
    TResource resource;
    resource.status = 404;
    resource.reason = "Not Found";
    resource.mimeType = "text/plain";
    return resource;
}

TResource Unreadable(TResourceSource source, const std::string& mimeType, std::string message) {
    TResource resource;
    resource.source = source;
    resource.status = 500;
    resource.reason = "Internal Server Error";
    resource.mimeType = mimeType;
    resource.bytes = std::move(message);
    return resource;
}

TResource Found(TResourceSource source, const std::string& mimeType, const TByteRange& range) {
    TResource resource;
    resource.source = source;
    resource.mimeType = mimeType;
    resource.contentRange = range.ContentRange();
    switch (range.kind) {
        case TByteRange::TKind::Part:
            resource.status = 206;
            resource.reason = "Partial Content";
            break;
        case TByteRange::TKind::Unsatisfiable:
            resource.status = 416;
            resource.reason = "Range Not Satisfiable";
            break;
        case TByteRange::TKind::Whole: break;
    }
    return resource;
}

// The answer `resource` with its body streamed from the part `range` of the file at `path`.
TResource StreamedFromFile(TResource resource, const std::string& path, const TByteRange& range) {
    TResult<std::unique_ptr<TFileReader>> reader = TFileReader::Open(path, range.first, range.length);
    if (!reader) return Unreadable(resource.source, resource.mimeType, reader.Error());
    resource.fileStream = std::move(reader).Value();
    return resource;
}

bool LiesInside(const std::filesystem::path& folder, const std::filesystem::path& file) {
    return std::mismatch(folder.begin(), folder.end(), file.begin(), file.end()).first == folder.end();
}

// An absolute path in a request: a drive path ("C:/Data/pic.png") on Windows, a rooted one
// ("home/me/pic.png" names /home/me/pic.png) elsewhere.
std::string AbsoluteFromRequest(const std::string& path, TPathStyle style) {
    return style == TPathStyle::Windows ? path : "/" + path;
}

}  // namespace

TResourceResolver::TResourceResolver(const IAppPackage* package, std::string appDirName, std::string exeDirPath,
                                     std::string_view urlPrefix, TPathStyle pathStyle)
    : FPackage(package),
      FAppDirName(std::move(appDirName)),
      FExeDirPath(std::move(exeDirPath)),
      FUrlPrefix(urlPrefix),
      FPathStyle(pathStyle) {}

uint64_t TResource::BodyLength() const {
    if (stream) return stream->Length();
    if (fileStream) return fileStream->Length();
    return bytes.size();
}

std::vector<std::pair<std::string, std::string>> TResource::Headers() const {
    std::vector<std::pair<std::string, std::string>> headers{{"Content-Type", ContentTypeHeader()}};
    if (source != TResourceSource::Nowhere && status != 500) headers.emplace_back("Accept-Ranges", "bytes");
    if (!contentRange.empty()) headers.emplace_back("Content-Range", contentRange);
    if (source == TResourceSource::Disk) headers.emplace_back("Content-Security-Policy", "sandbox");
    return headers;
}

void TResourceResolver::RestrictDiskFilesTo(const std::string& folder) {
    FDiskScope.emplace();
    if (folder.empty()) return;
    const std::optional<std::filesystem::path> canonical = TFileSystem::Canonical(Utf8Path(folder));
    FDiskScope = canonical ? *canonical : TFileSystem::Absolute(Utf8Path(folder));
}

bool TResourceResolver::MayAnswerFile(const std::string& utf8Path) const {
    if (!FDiskScope) return true;
    if (FDiskScope->empty()) return false;
    const std::optional<std::filesystem::path> file = TFileSystem::Canonical(Utf8Path(utf8Path));
    return file && LiesInside(*FDiskScope, *file);
}

TResource TResourceResolver::FindUrl(const std::string& url, std::optional<std::string_view> rangeHeader) const {
    auto path = TAppUrl::RequestPath(url, FUrlPrefix);
    if (!path) return NotFound();
    return Find(*path, TAppUrl::LegacyRequestPath(url, FUrlPrefix), rangeHeader);
}

TResourceSource TResourceResolver::LocateUrl(const std::string& url) const {
    auto path = TAppUrl::RequestPath(url, FUrlPrefix);
    if (!path) return TResourceSource::Nowhere;
    return Locate(*path, TAppUrl::LegacyRequestPath(url, FUrlPrefix)).source;
}

TResource TResourceResolver::Find(const std::string& path, const std::optional<std::string>& legacyPath,
                                  std::optional<std::string_view> rangeHeader) const {
    return Read(Locate(path, legacyPath), rangeHeader);
}

TResourceResolver::TLocation TResourceResolver::Locate(const std::string& path,
                                                       const std::optional<std::string>& legacyPath) const {
    // The root of the space ("zorv://app/") is the start page, as a web server's root is.
    if (path.empty() && !FIndexPage.empty()) return Locate(FIndexPage, std::nullopt);
    if (auto found = LocateIn(path)) return *found;
    if (legacyPath && *legacyPath != path) {
        if (auto found = LocateIn(*legacyPath)) return *found;
    }
    return {};
}

// The archive folder first, then the executable's folder, then the path taken as an absolute one.
std::optional<TResourceResolver::TLocation> TResourceResolver::LocateIn(const std::string& path) const {
    const std::string mimeType = TStrUtils::GetFileMIMEType(path);
    // A path naming a folder ("", "sub/") finds the archive's folder entry, which is no file.
    const bool namesAFile = !path.empty() && path.back() != '/';
    if (namesAFile && !FAppDirName.empty() && FPackage != nullptr) {
        std::string entry = FAppDirName + "/" + path;
        if (FPackage->Find(entry)) return TLocation{TResourceSource::Archive, std::move(entry), mimeType};
    }
    for (std::string file : {FExeDirPath + path, AbsoluteFromRequest(path, FPathStyle)}) {
        if (TFileSystem::IsFile(Utf8Path(file)) && MayAnswerFile(file))
            return TLocation{TResourceSource::Disk, std::move(file), mimeType};
    }
    return std::nullopt;
}

TResource TResourceResolver::Read(const TLocation& location, std::optional<std::string_view> rangeHeader) const {
    switch (location.source) {
        case TResourceSource::Archive: return ReadEntry(location, rangeHeader);
        case TResourceSource::Disk: return ReadFile(location, rangeHeader);
        case TResourceSource::Nowhere: break;
    }
    return NotFound();
}

// A part is read from the entry alone; the whole entry (a range covering it included) is read
// with its CRC checked, so a damaged entry is reported as such rather than served truncated. A
// large entry is handed over as a stream when the page host takes one; so is a large file of a
// project folder being run, read as a file.
TResource TResourceResolver::ReadEntry(const TLocation& location, std::optional<std::string_view> rangeHeader) const {
    const TPackageEntry item = FPackage->Find(location.name).value_or(TPackageEntry{});
    const TByteRange range = TByteRange::Decide(rangeHeader, item.size, FMaxOpenRangePart);
    TResource resource = Found(TResourceSource::Archive, location.mimeType, range);
    if (range.kind == TByteRange::TKind::Unsatisfiable) return resource;
    if (FStreamLargeFiles && range.length >= StreamedEntryMinSize) {
        if (std::optional<std::string> file = FPackage->DiskFile(location.name))
            return StreamedFromFile(std::move(resource), *file, range);
    }
    TAbExtractStatus status;
    if (FStreamLargeEntries && item.streamable && range.length >= StreamedEntryMinSize) {
        resource.stream = FPackage->OpenEntry(location.name, range.first, range.length, status);
    } else if (range.CoversAll()) {
        status = FPackage->TryExtract(location.name, resource.bytes);
    } else {
        resource.bytes.reserve(static_cast<std::size_t>(range.length));
        status = FPackage->TryExtractRange(location.name, range.first, range.length,
                                           [&](const char* data, std::size_t size) {
                                               resource.bytes.append(data, size);
                                               return true;
                                           });
        if (status == TAbExtractStatus::Ok && resource.bytes.size() != range.length)
            status = TAbExtractStatus::DamagedData;
    }
    if (status != TAbExtractStatus::Ok)
        return Unreadable(location.source, location.mimeType, TAbZipKit::StatusMessage(status));
    return resource;
}

// A large file (or part) is handed over as a stream when the page host takes one; the rest is read
// here, whole.
TResource TResourceResolver::ReadFile(const TLocation& location, std::optional<std::string_view> rangeHeader) const {
    const std::string& utf8Path = location.name;
    const std::filesystem::path file = Utf8Path(utf8Path);
    const std::string tooLarge = "File too large to serve: " + utf8Path;
    const std::string unreadable = "Cannot read file " + utf8Path;
    // Pseudo-files such as /proc/kcore claim enormous sizes or never end; refuse them up front
    // and stop reading at the limit whatever the size claimed.
    const std::uintmax_t claimedSize = TFileSystem::FileSize(file).value_or(0);
    if (claimedSize > MaxServedFileSize) return Unreadable(location.source, location.mimeType, tooLarge);
    const TByteRange range = TByteRange::Decide(rangeHeader, claimedSize, FMaxOpenRangePart);
    TResource resource = Found(TResourceSource::Disk, location.mimeType, range);
    if (range.kind == TByteRange::TKind::Unsatisfiable) return resource;
    if (FStreamLargeFiles && range.length >= StreamedEntryMinSize)
        return StreamedFromFile(std::move(resource), utf8Path, range);
    TResult<std::unique_ptr<TInputFile>> in = TInputFile::Open(utf8Path);
    if (!in) return Unreadable(location.source, location.mimeType, unreadable);
    if (range.kind == TByteRange::TKind::Part) {
        // Only the part is read; a file that shrank since its size was taken is an error, not a
        // part shorter than its Content-Range says.
        if (!in.Value()->Seek(range.first)) return Unreadable(location.source, location.mimeType, unreadable);
        resource.bytes.clear();
        const TInputFile::TEnd end = in.Value()->AppendRest(resource.bytes, static_cast<std::size_t>(range.length));
        if (end == TInputFile::TEnd::Failed || resource.bytes.size() != range.length)
            return Unreadable(location.source, location.mimeType, unreadable);
        return resource;
    }
    // A file that holds more than its size claims (a pseudo-file, one that grows) is read to its
    // end, but where large files are streamed, no further than a small one may be.
    const std::uintmax_t wholeLimit = FStreamLargeFiles ? StreamedEntryMinSize : MaxServedFileSize;
    switch (in.Value()->AppendRest(resource.bytes, static_cast<std::size_t>(wholeLimit))) {
        case TInputFile::TEnd::Complete: return resource;
        case TInputFile::TEnd::TooLarge: return Unreadable(location.source, location.mimeType, tooLarge);
        case TInputFile::TEnd::Failed: break;
    }
    return Unreadable(location.source, location.mimeType, unreadable);
}

}  // namespace zorv
