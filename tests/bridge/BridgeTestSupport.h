#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "backends/test/TestBridgeHost.h"
#include "shared/FailureSink.h"
#include "support/InfoZipArchive.h"

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

// What reaches the failure sink while it lives.
class TRecordedFailures {
public:
    TRecordedFailures()
        : FPrevious(TFailureSink::SetReceiver(
              [this](std::string_view text, const TSourcePlace&) { texts.emplace_back(text); })) {}
    ~TRecordedFailures() { TFailureSink::SetReceiver(std::move(FPrevious)); }
    TRecordedFailures(const TRecordedFailures&) = delete;
    TRecordedFailures& operator=(const TRecordedFailures&) = delete;

    std::vector<std::string> texts;

private:
    TFailureSink::TReceiver FPrevious;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// A context whose executable lies in `folder`.
TBridgeContext ContextIn(const TScratchFolder& folder);

}  // namespace zorv::test
