#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zorv::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Names inside it are UTF-8.
class TScratchFolder {
public:
    TScratchFolder() {
        std::mt19937_64 random(std::random_device{}());
        std::error_code error;
        for (int attempt = 0; attempt < 100; ++attempt) {
            FPath = std::filesystem::temp_directory_path(error) / ("zorv-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(FPath, error)) return;
        }
        throw std::runtime_error("no scratch folder could be made under the temporary folder");
    }
    ~TScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // A path inside the folder.
    std::filesystem::path operator/(std::string_view utf8Name) const {
        return FPath / std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end()));
    }
    // The folder with a trailing separator, as text.
    std::string Text() const { return FPath.string() + static_cast<char>(std::filesystem::path::preferred_separator); }
    std::wstring WideText() const {
        return FPath.wstring() + static_cast<wchar_t>(std::filesystem::path::preferred_separator);
    }

    // Writes a file inside the folder, making the folders on its way.
    void Write(std::string_view utf8Name, std::string_view bytes) const {
        const std::filesystem::path file = *this / utf8Name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read(std::string_view utf8Name) const {
        std::ifstream in(*this / utf8Name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path FPath;
};

}  // namespace zorv::test
