#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zorv {

class TAbZipKit;

// What the page host answers for one request of the application's URL space.
struct TResource {
    int status = 200;          // 200, 404 (nowhere to be found) or 500 (found but unreadable)
    std::string reason = "OK";
    std::string mimeType;      // of the file name's extension
    std::string bytes;
    std::string ContentTypeHeader() const { return mimeType + "; charset=utf-8"; }
};

// Finds the bytes behind a request path (relative to the application's root, as TAppUrl gives
// it): the archive folder `appDirName` first, then the executable's folder, then the path taken as
// an absolute one. Nothing is cached: every call reads the whole entry or file anew.
class TResourceResolver {
public:
    // `exeDirPath` ends with a path delimiter. The archive is borrowed; it may be null.
    TResourceResolver(const TAbZipKit* exeZip, std::string appDirName, std::string exeDirPath);

    // `legacyPath` is tried in the same order when `path` finds nothing anywhere.
    TResource Find(const std::string& path, const std::optional<std::string>& legacyPath = std::nullopt) const;
    TResource FindUrl(const std::string& url) const;

    // Files on disk are served whole from memory; a larger one is answered as an error.
    static constexpr std::uintmax_t MaxServedFileSize = std::uintmax_t{1} << 30;

private:
    std::optional<TResource> FindInArchive(const std::string& path) const;
    std::optional<TResource> FindOnDisk(const std::string& path) const;
    static std::optional<TResource> ReadFile(const std::string& utf8Path, const std::string& mimeType);

    const TAbZipKit* FExeZip;
    std::string FAppDirName;
    std::string FExeDirPath;
};

}  // namespace zorv
