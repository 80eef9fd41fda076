#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "archive/AppPackage.h"

namespace zorv {

// A project folder served as the package, while its author runs it with `zorv-pack run`: entry
// "app/index.html" is the file app/index.html under the folder. As `zorv-pack build` packs only
// what lies inside the project, a name that leaves it (an absolute path, a "." or ".." step, a
// backslash or drive, a link whose target lies outside) finds nothing. Names ignore ASCII case, as
// archive names do, where no file has the exact spelling. Every read opens the file anew, so an
// edited file is served as it is now.
class TFolderPackage final : public IAppPackage {
public:
    explicit TFolderPackage(const std::filesystem::path& folder);

    std::optional<TPackageEntry> Find(std::string_view name) const override;
    TAbExtractStatus TryExtract(std::string_view name, std::string& out) const override;
    TAbExtractStatus TryExtractTo(std::string_view name, const TAbSink& sink) const override;
    TAbExtractStatus TryExtractRange(std::string_view name, uint64_t offset, uint64_t length,
                                     const TAbSink& sink) const override;
    bool IsFolder() const override { return true; }
    std::optional<std::string> DiskFile(std::string_view name) const override;

    const std::filesystem::path& Folder() const { return FFolder; }
    // The regular file inside the folder that an entry name stands for.
    std::optional<std::filesystem::path> FileOf(std::string_view name) const;

private:
    std::filesystem::path FFolder;  // canonical
};

}  // namespace zorv
