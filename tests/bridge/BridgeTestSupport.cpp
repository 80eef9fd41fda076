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

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TBridgeContext ContextIn(const TScratchFolder& folder) {
    TBridgeContext context;
    context.exePath = (folder.Path() / "app").string();
    context.appDir = folder.Path().string() + "/";
    context.commandLine = {context.exePath};
    context.pathStyle = TPathStyle::Posix;
    return context;
}

}  // namespace zorv::test
