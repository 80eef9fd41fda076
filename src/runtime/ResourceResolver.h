#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/AbZipKit.h"
#include "archive/AppPackage.h"
#include "runtime/AppUrl.h"
#include "runtime/ByteRange.h"
#include "runtime/FileReader.h"
#include "shared/PathStyle.h"

namespace zorv {

// Where a request of the application's URL space is answered from. Only what the archive answers
// is what the application shipped; the disk fallbacks are served, but never trusted.
enum class TResourceSource { Archive, Disk, Nowhere };

// What the page host answers for one request of the application's URL space.
struct TResource {
    TResourceSource source = TResourceSource::Nowhere;
    // 200, 206 (the part a Range header asked for), 404 (nowhere to be found), 416 (a range that
    // starts beyond the end) or 500 (found but unreadable)
    int status = 200;
    std::string reason = "OK";
    std::string mimeType;  // of the file name's extension
    std::string bytes;
    // Instead of `bytes`, for a large entry when the resolver streams: the body, read as
    // the consumer asks.
    std::unique_ptr<TAbEntryReader> stream;
    // Instead of `bytes`, for a large file on disk (or of a project folder being run) when the
    // resolver streams files: the body, read as the consumer asks.
    std::unique_ptr<TFileReader> fileStream;
    std::string contentRange;  // for 206 and 416
    uint64_t BodyLength() const;
    std::string ContentTypeHeader() const { return mimeType + "; charset=utf-8"; }
    // The response headers every page host sends: Content-Type, and for what was found,
    // Accept-Ranges and the Content-Range of a part. An answer from the disk also carries
    // `Content-Security-Policy: sandbox`: shown as a document (a page, an SVG in an <object>), it
    // gets an opaque origin and runs no script, so it can never act as the application; as an
    // image, media or data of an application document it is used as before.
    std::vector<std::pair<std::string, std::string>> Headers() const;
};

// Finds the bytes behind a request path (relative to the application's root, as TAppUrl gives
// it): the archive folder `appDirName` first, then the executable's folder, then the path taken as
// an absolute one. Nothing is cached: every call reads the entry or file anew.
class TResourceResolver {
public:
    // `exeDirPath` ends with a path delimiter. The package (the archive, or the project folder) is
    // borrowed; it may be null. URLs are read in the app URL space that `urlPrefix` names; a
    // request path that names an absolute file is read by the rule of `pathStyle`.
    TResourceResolver(const IAppPackage* package, std::string appDirName, std::string exeDirPath,
                      std::string_view urlPrefix = TAppUrl::Prefix(), TPathStyle pathStyle = TPathStyle::Native);
    std::string_view UrlPrefix() const { return FUrlPrefix; }
    // The start page (setting IndexHtml), which the bare root of the URL space names.
    void SetIndexPage(const std::string& indexHtml) { FIndexPage = indexHtml.substr(0, indexHtml.find_first_of("?#")); }
    // Whether answers of large entries carry a stream rather than the bytes; for page hosts
    // that can hand a stream to the engine.
    void SetStreamLargeEntries(bool stream) { FStreamLargeEntries = stream; }
    // Whether answers of large files (on disk, or of a project folder being run) carry a file
    // stream rather than the bytes, so that they are read block by block as the consumer asks.
    void SetStreamLargeFiles(bool stream) { FStreamLargeFiles = stream; }
    // The most an open-ended range ("bytes=N-") is answered with at once, for engines that buffer
    // whatever an answer holds; unset, such a range runs to the end.
    void SetMaxOpenRangePart(uint64_t bytes) { FMaxOpenRangePart = bytes; }
    // Smaller entries and files are answered whole, in one buffer.
    static constexpr uint64_t StreamedEntryMinSize = 256 * 1024;
    // Files on disk are answered only when they lie inside `folder` (links followed); with an
    // empty folder, none is. Until called, every file is answered. Archive entries are unaffected.
    void RestrictDiskFilesTo(const std::string& folder);

    // `legacyPath` is tried in the same order when `path` finds nothing anywhere. With the value
    // of a request's Range header, only the part it asks for is read and answered (206).
    TResource Find(const std::string& path, const std::optional<std::string>& legacyPath = std::nullopt,
                   std::optional<std::string_view> rangeHeader = std::nullopt) const;
    TResource FindUrl(const std::string& url, std::optional<std::string_view> rangeHeader = std::nullopt) const;
    // Where FindUrl would answer from, without reading anything.
    TResourceSource LocateUrl(const std::string& url) const;

    // A larger file on disk is answered as an error. A file read whole (a page host that takes no
    // file stream) lies whole in memory.
    static constexpr std::uintmax_t MaxServedFileSize = std::uintmax_t{1} << 30;

private:
    // One place a request path can be answered from: an archive entry or a file on disk.
    struct TLocation {
        TResourceSource source = TResourceSource::Nowhere;
        std::string name;      // the entry name, or the file's path
        std::string mimeType;  // of the request path's extension
    };
    TLocation Locate(const std::string& path, const std::optional<std::string>& legacyPath) const;
    std::optional<TLocation> LocateIn(const std::string& path) const;
    TResource Read(const TLocation& location, std::optional<std::string_view> rangeHeader) const;
    TResource ReadEntry(const TLocation& location, std::optional<std::string_view> rangeHeader) const;
    TResource ReadFile(const TLocation& location, std::optional<std::string_view> rangeHeader) const;
    bool MayAnswerFile(const std::string& utf8Path) const;

    const IAppPackage* FPackage;
    std::string FAppDirName;
    std::string FExeDirPath;
    std::string_view FUrlPrefix;  // one of TAppUrl's constants
    TPathStyle FPathStyle;
    std::string FIndexPage;
    bool FStreamLargeEntries = false;
    bool FStreamLargeFiles = false;
    std::optional<uint64_t> FMaxOpenRangePart;
    std::optional<std::filesystem::path> FDiskScope;  // canonical; files outside are not answered
};

}  // namespace zorv
