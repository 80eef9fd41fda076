#include "BridgeTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace zorv::test {

namespace fs = std::filesystem;

std::string ReplyText(std::string_view uuid, bool success, std::string_view result) {
    return "{\"uuid\": \"" + std::string(uuid) + "\", \"success\": " + (success ? "true" : "false") +
           ", \"result\": " + std::string(result) + "}";
}

TTempFolder::TTempFolder() {
    static std::atomic<int> counter{0};
    std::random_device random;
    FPath = fs::temp_directory_path() / ("zorv-bridge-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(FPath);
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    fs::remove_all(FPath, ignored);
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TBridgeContext ContextIn(const TTempFolder& folder) {
    TBridgeContext context;
    context.exePath = (folder.Path() / "app").string();
    context.appDir = folder.Text();
    context.commandLine = {context.exePath};
    context.pathStyle = TPathStyle::Posix;
    return context;
}

std::string MakeZipWithInfoZip(const std::map<std::string, std::string>& files, const std::string& password) {
    const TTempFolder work;
    for (const auto& [name, content] : files) WriteFileBytes(work.Path() / "in" / name, content);
    const fs::path archive = work.Path() / "out.zip";
    const std::string command = "cd '" + (work.Path() / "in").string() + "' && zip -q -r -P '" + password + "' '" +
                                archive.string() + "' . >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    return ReadFileBytes(archive);
}

}  // namespace zorv::test
