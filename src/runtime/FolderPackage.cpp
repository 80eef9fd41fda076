#include "runtime/FolderPackage.h"

#include <algorithm>
#include <system_error>

#include "shared/FileSystem.h"
#include "shared/InputFile.h"
#include "shared/StrUtils.h"
#include "shared/Utf8Path.h"

namespace zorv {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t BlockSize = 64 * 1024;

// Relative, "/"-separated steps with no "." or ".." among them.
bool IsInsideName(std::string_view name) {
    if (name.empty() || name.find_first_of("\\:") != std::string_view::npos) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = name.find('/', start);
        const std::string_view step = name.substr(start, slash == std::string_view::npos ? name.npos : slash - start);
        if (step.empty() || step == "." || step == "..") return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

TAbExtractStatus ReadPart(const fs::path& file, uint64_t offset, uint64_t length, const TAbSink& sink) {
    TResult<std::unique_ptr<TInputFile>> in = TInputFile::Open(PathToUtf8(file));
    if (!in) return TAbExtractStatus::NotFound;
    if (!in.Value()->Seek(offset)) return TAbExtractStatus::DamagedData;
    std::string block(BlockSize, '\0');
    uint64_t left = length;
    while (left > 0) {
        TResult<std::size_t> got =
            in.Value()->Read(block.data(), static_cast<std::size_t>(std::min<uint64_t>(left, block.size())));
        if (!got) return TAbExtractStatus::DamagedData;
        if (got.Value() == 0) break;
        if (!sink(block.data(), got.Value())) return TAbExtractStatus::SinkFailed;
        left -= got.Value();
    }
    return TAbExtractStatus::Ok;
}

// The entry of `folder` whose name equals `step` ignoring ASCII case, as archive names are
// matched; the first in name order where several do.
std::optional<fs::path> FindStepIgnoringCase(const fs::path& folder, std::string_view step) {
    std::optional<fs::path> found;
    TFileSystem::ForEachEntry(folder, [&found, step](const fs::path& candidate) {
        if (TStrUtils::SameText(PathToUtf8(candidate.filename()), step) && (!found || candidate < *found))
            found = candidate;
    });
    return found;
}

// The path a (checked) entry name stands for: the exact spelling where it exists, otherwise each
// step matched ignoring ASCII case, so a page that works once packaged works from the folder.
fs::path LocateIgnoringCase(const fs::path& root, std::string_view name) {
    const fs::path relative = Utf8Path(name);
    fs::path exact = root / relative;
    if (TFileSystem::Exists(exact)) return exact;
    fs::path path = root;
    for (const fs::path& step : relative) {
        fs::path next = path / step;
        if (!TFileSystem::Exists(next)) {
            std::optional<fs::path> matched = FindStepIgnoringCase(path, PathToUtf8(step));
            if (!matched) return exact;
            next = std::move(*matched);
        }
        path = std::move(next);
    }
    return path;
}

}  // namespace

TFolderPackage::TFolderPackage(const fs::path& folder) {
    const std::optional<fs::path> canonical = TFileSystem::Canonical(folder);
    FFolder = canonical ? *canonical : TFileSystem::Absolute(folder);
}

std::optional<fs::path> TFolderPackage::FileOf(std::string_view name) const {
    if (!IsInsideName(name)) return std::nullopt;
    const std::optional<fs::path> canonical = TFileSystem::Canonical(LocateIgnoringCase(FFolder, name));
    if (!canonical || !TFileSystem::IsFile(*canonical)) return std::nullopt;
    const fs::path& file = *canonical;
    // A link may lead out of the project; what lies outside is not the application's.
    if (std::mismatch(FFolder.begin(), FFolder.end(), file.begin(), file.end()).first != FFolder.end())
        return std::nullopt;
    return file;
}

std::optional<std::string> TFolderPackage::DiskFile(std::string_view name) const {
    const std::optional<fs::path> file = FileOf(name);
    if (!file) return std::nullopt;
    return PathToUtf8(*file);
}

std::optional<TPackageEntry> TFolderPackage::Find(std::string_view name) const {
    const std::optional<fs::path> file = FileOf(name);
    if (!file) return std::nullopt;
    const std::optional<uint64_t> size = TFileSystem::FileSize(*file);
    if (!size) return std::nullopt;
    return TPackageEntry{*size, false};
}

TAbExtractStatus TFolderPackage::TryExtract(std::string_view name, std::string& out) const {
    std::string bytes;
    const TAbExtractStatus status = TryExtractTo(name, [&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
        return true;
    });
    if (status == TAbExtractStatus::Ok) out += bytes;
    return status;
}

TAbExtractStatus TFolderPackage::TryExtractTo(std::string_view name, const TAbSink& sink) const {
    return TryExtractRange(name, 0, UINT64_MAX, sink);
}

TAbExtractStatus TFolderPackage::TryExtractRange(std::string_view name, uint64_t offset, uint64_t length,
                                                 const TAbSink& sink) const {
    const std::optional<fs::path> file = FileOf(name);
    if (!file) return TAbExtractStatus::NotFound;
    return ReadPart(*file, offset, length, sink);
}

}  // namespace zorv
