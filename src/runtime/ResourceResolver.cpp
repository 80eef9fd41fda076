#include "runtime/ResourceResolver.h"

#include <filesystem>
#include <fstream>
#include <cstdint>
#include <system_error>

#include "archive/AbZipKit.h"
#include "runtime/AppUrl.h"
#include "runtime/Utf8Path.h"
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

// An absolute path in a request: a drive path ("C:/Data/pic.png") on Windows, a rooted one
// ("home/me/pic.png" names /home/me/pic.png) elsewhere.
std::string AbsoluteFromRequest(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    return "/" + path;
#endif
}

}  // namespace

TResourceResolver::TResourceResolver(const TAbZipKit* exeZip, std::string appDirName, std::string exeDirPath,
                                     std::string_view urlPrefix)
    : FExeZip(exeZip), FAppDirName(std::move(appDirName)), FExeDirPath(std::move(exeDirPath)), FUrlPrefix(urlPrefix) {}

TResource TResourceResolver::FindUrl(const std::string& url) const {
    auto path = TAppUrl::RequestPath(url, FUrlPrefix);
    if (!path) return NotFound();
    return Find(*path, TAppUrl::LegacyRequestPath(url, FUrlPrefix));
}

TResourceSource TResourceResolver::LocateUrl(const std::string& url) const {
    auto path = TAppUrl::RequestPath(url, FUrlPrefix);
    if (!path) return TResourceSource::Nowhere;
    return Locate(*path, TAppUrl::LegacyRequestPath(url, FUrlPrefix)).source;
}

TResource TResourceResolver::Find(const std::string& path, const std::optional<std::string>& legacyPath) const {
    return Read(Locate(path, legacyPath));
}

TResourceResolver::TLocation TResourceResolver::Locate(const std::string& path,
                                                       const std::optional<std::string>& legacyPath) const {
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
    if (namesAFile && !FAppDirName.empty() && FExeZip != nullptr && FExeZip->IsOpen()) {
        std::string entry = FAppDirName + "/" + path;
        if (FExeZip->FindFile(entry) >= 0) return TLocation{TResourceSource::Archive, std::move(entry), mimeType};
    }
    for (std::string file : {FExeDirPath + path, AbsoluteFromRequest(path)}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(Utf8Path(file), error))
            return TLocation{TResourceSource::Disk, std::move(file), mimeType};
    }
    return std::nullopt;
}

TResource TResourceResolver::Read(const TLocation& location) const {
    switch (location.source) {
        case TResourceSource::Archive: return ReadEntry(location);
        case TResourceSource::Disk: return ReadFile(location);
        case TResourceSource::Nowhere: break;
    }
    return NotFound();
}

TResource TResourceResolver::ReadEntry(const TLocation& location) const {
    TResource resource;
    resource.source = TResourceSource::Archive;
    resource.mimeType = location.mimeType;
    // A damaged entry is reported as such rather than served as a truncated file.
    const TAbExtractStatus status = FExeZip->TryExtract(location.name, resource.bytes);
    if (status != TAbExtractStatus::Ok) return Unreadable(location.source, location.mimeType, TAbZipKit::StatusMessage(status));
    return resource;
}

TResource TResourceResolver::ReadFile(const TLocation& location) {
    const std::string& utf8Path = location.name;
    const std::filesystem::path file = Utf8Path(utf8Path);
    std::error_code error;
    const std::string tooLarge = "File too large to serve: " + utf8Path;
    // Pseudo-files such as /proc/kcore claim enormous sizes or never end; refuse them up front
    // and stop reading at the limit whatever the size claimed.
    const std::uintmax_t claimedSize = std::filesystem::file_size(file, error);
    if (!error && claimedSize > MaxServedFileSize) return Unreadable(location.source, location.mimeType, tooLarge);
    std::ifstream in(file, std::ios::binary);
    if (!in) return Unreadable(location.source, location.mimeType, "Cannot read file " + utf8Path);
    TResource resource;
    resource.source = TResourceSource::Disk;
    resource.mimeType = location.mimeType;
    std::string chunk(64 * 1024, '\0');
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        if (resource.bytes.size() + static_cast<std::size_t>(in.gcount()) > MaxServedFileSize) {
            return Unreadable(location.source, location.mimeType, tooLarge);
        }
        resource.bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return Unreadable(location.source, location.mimeType, "Cannot read file " + utf8Path);
    return resource;
}

}  // namespace zorv
