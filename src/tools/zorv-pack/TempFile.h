#pragma once
#include <filesystem>
#include <string>

namespace zorv {

// A file name in a given folder that no file holds yet; the file, once created by the caller,
// is removed when the object goes away unless Keep() was called.
class TTempFile {
public:
    TTempFile(const std::filesystem::path& folder, const std::string& suffix);
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    void Keep() { FKept = true; }

private:
    std::filesystem::path FPath;
    bool FKept = false;
};

}  // namespace zorv
