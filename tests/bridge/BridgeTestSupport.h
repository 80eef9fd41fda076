#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "backends/test/TestBridgeHost.h"

namespace zorv::test {

// The reply text a call must produce, byte for byte.
std::string ReplyText(std::string_view uuid, bool success, std::string_view result);
inline std::string Success(std::string_view result) { return ReplyText("u-1", true, result); }
inline std::string Failure(std::string_view result) { return ReplyText("u-1", false, result); }

// The way back to one posting document, recording what reached it.
struct TRecordingReply : IWebMessageReply {
    void PostJson(const std::string& json) override { posted.push_back(json); }
    std::vector<std::string> posted;
};

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    const std::filesystem::path& Path() const { return FPath; }
    // The folder as text with a trailing "/".
    std::string Text() const { return FPath.string() + "/"; }

private:
    std::filesystem::path FPath;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// A context whose executable lies in `folder`.
TBridgeContext ContextIn(const TTempFolder& folder);

// An archive made by Info-ZIP's zip from `files` (entry name -> content), encrypted with
// `password`; empty when zip is not available.
std::string MakeZipWithInfoZip(const std::map<std::string, std::string>& files, const std::string& password);

}  // namespace zorv::test
