#include "bridge/FileReplacer.h"

#include <filesystem>
#include <random>

#include "bridge/FileReplacerParts.h"
#include "bridge/PagePaths.h"
#include "shared/FileSystem.h"

namespace zorv {
namespace file_replacer {

std::string TemporaryNameBeside(const std::string& target) {
    std::random_device random;
    static constexpr char digits[] = "0123456789abcdef";
    std::string name = ".zorv-";
    for (int i = 0; i < 12; ++i) name += digits[random() % 16];
    name += ".tmp";
    return TPagePaths::FromFsPath(TPagePaths::ToFsPath(target).parent_path() / TPagePaths::ToFsPath(name));
}

TFailure CannotCreate(const std::string& path, const std::string& reason) {
    return Failure("Cannot create file \"" + path + "\". " + reason);
}

}  // namespace file_replacer

namespace {

// A link is followed to the file it names (also when that file does not exist yet), so that a write
// through it changes that file and the link stays a link.
std::string FinalTarget(const std::string& utf8Path) {
    std::filesystem::path path = TPagePaths::ToFsPath(utf8Path);
    bool followed = false;
    for (int hop = 0; hop < 40; ++hop) {
        const std::optional<std::filesystem::path> next = TFileSystem::LinkTarget(path);
        if (!next) break;
        path = next->is_absolute() ? *next : path.parent_path() / *next;
        followed = true;
    }
    return followed ? TPagePaths::FromFsPath(path) : utf8Path;
}

}  // namespace

using file_replacer::CannotCreate;
using file_replacer::WriteTarget;

TStatus TFileReplacer::Write(const std::string& utf8Path, std::string_view bytes) {
    return WriteFrom(utf8Path, [bytes](const TAppend& append) -> TStatus {
        append(bytes);
        return Succeeded();
    });
}

TStatus TFileReplacer::WriteFrom(const std::string& utf8Path, const TProducer& produce) {
    // The file system would end the name at the NUL and write another file.
    if (utf8Path.find('\0') != std::string::npos) return CannotCreate(utf8Path, "The name holds a NUL character");
    return WriteTarget(utf8Path, FinalTarget(utf8Path), produce);
}

}  // namespace zorv
