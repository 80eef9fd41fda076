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

TResource Unreadable(const std::string& mimeType, std::string message) {
    TResource resource;
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

TResourceResolver::TResourceResolver(const TAbZipKit* exeZip, std::string appDirName, std::string exeDirPath)
    : FExeZip(exeZip), FAppDirName(std::move(appDirName)), FExeDirPath(std::move(exeDirPath)) {}

TResource TResourceResolver::FindUrl(const std::string& url) const {
    auto path = TAppUrl::RequestPath(url);
    if (!path) return NotFound();
    return Find(*path, TAppUrl::LegacyRequestPath(url));
}

TResource TResourceResolver::Find(const std::string& path, const std::optional<std::string>& legacyPath) const {
    if (auto found = FindInArchive(path)) return *found;
    if (auto found = FindOnDisk(path)) return *found;
    if (legacyPath && *legacyPath != path) {
        if (auto found = FindInArchive(*legacyPath)) return *found;
        if (auto found = FindOnDisk(*legacyPath)) return *found;
    }
    return NotFound();
}

std::optional<TResource> TResourceResolver::FindInArchive(const std::string& path) const {
    if (FAppDirName.empty() || FExeZip == nullptr || !FExeZip->IsOpen()) return std::nullopt;
    const std::string entry = FAppDirName + "/" + path;
    if (FExeZip->FindFile(entry) < 0) return std::nullopt;
    const std::string mimeType = TStrUtils::GetFileMIMEType(path);
    TResource resource;
    resource.mimeType = mimeType;
    // A damaged entry is reported as such rather than served as a truncated file.
    const TAbExtractStatus status = FExeZip->TryExtract(entry, resource.bytes);
    if (status != TAbExtractStatus::Ok) return Unreadable(mimeType, TAbZipKit::StatusMessage(status));
    return resource;
}

std::optional<TResource> TResourceResolver::FindOnDisk(const std::string& path) const {
    const std::string mimeType = TStrUtils::GetFileMIMEType(path);
    if (auto found = ReadFile(FExeDirPath + path, mimeType)) return found;
    return ReadFile(AbsoluteFromRequest(path), mimeType);
}

std::optional<TResource> TResourceResolver::ReadFile(const std::string& utf8Path, const std::string& mimeType) {
    const std::filesystem::path file = Utf8Path(utf8Path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    const std::string tooLarge = "File too large to serve: " + utf8Path;
    // Pseudo-files such as /proc/kcore claim enormous sizes or never end; refuse them up front
    // and stop reading at the limit whatever the size claimed.
    const std::uintmax_t claimedSize = std::filesystem::file_size(file, error);
    if (!error && claimedSize > MaxServedFileSize) return Unreadable(mimeType, tooLarge);
    std::ifstream in(file, std::ios::binary);
    if (!in) return Unreadable(mimeType, "Cannot read file " + utf8Path);
    TResource resource;
    resource.mimeType = mimeType;
    std::string chunk(64 * 1024, '\0');
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        if (resource.bytes.size() + static_cast<std::size_t>(in.gcount()) > MaxServedFileSize) {
            return Unreadable(mimeType, tooLarge);
        }
        resource.bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return Unreadable(mimeType, "Cannot read file " + utf8Path);
    return resource;
}

}  // namespace zorv
