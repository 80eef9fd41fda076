// One bridge call from message text to reply text: parse, dispatch, function, reply.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "archive/AbZipKit.h"
#include "backends/test/TestBridgeHost.h"

namespace zorv::test {
namespace {

// Keeps only the last reply, so that the measurement is the bridge's own work.
class TLastReplyWebView : public IWebView {
public:
    void PostWebMessageAsJson(const std::string& json) override { last = json; }
    void ExecuteScript(const std::string&) override {}
    std::string last;
};

TWebMessage PageMessage(const std::string& json) {
    TWebMessage message;
    message.asJson = json;
    message.sourceUrl = TTestBridgeHost::PageUrl;
    return message;
}

void RunCall(benchmark::State& state, const std::string& message) {
    TTestBridgeHost host;
    TLastReplyWebView webView;
    host.module->SetWebView(&webView);
    const TWebMessage call = PageMessage(message);
    for (auto _ : state) {
        host.module->EdgeBrowserWebMessageReceived(call);
        benchmark::DoNotOptimize(webView.last.data());
    }
    if (webView.last.empty()) state.SkipWithError("no reply");
}

void Hello(benchmark::State& state) {
    RunCall(state, R"({"id":10001,"uuid":"0f8fad5b-d9cb-469f-a165-70867728950e","data":{}})");
}
BENCHMARK(Hello);

void SetTitle(benchmark::State& state) {
    RunCall(state, R"({"id":60006,"uuid":"0f8fad5b-d9cb-469f-a165-70867728950e","data":{"title":"A window title"}})");
}
BENCHMARK(SetTitle);

// A large argument, as a text file or Base64 image travels: 1 MiB of text in one message.
void LargeArgument(benchmark::State& state) {
    RunCall(state, R"({"id":60006,"uuid":"0f8fad5b-d9cb-469f-a165-70867728950e","data":{"title":")" +
                       std::string(1 << 20, 'x') + "\"}}");
}
BENCHMARK(LargeArgument)->Unit(benchmark::kMillisecond);

// setItems with a menu of range(0) items: 30 menus of 99 items each at 3,000, as a page builds
// a large menu; parse, build and hand to the (recording) menu bar. The GTK bar's own share is
// measured end to end by tests/e2e-linux/case-settle.sh.
void MenuOfManyItems(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::string items = "[";
    for (int top = 0; top * 100 < count; ++top) {
        items += std::string(top ? "," : "") + R"({"id": )" + std::to_string(900000 + top) +
                 R"(, "caption": "Menu", "items": [)";
        for (int i = 0; i < 99; ++i) {
            items += std::string(i ? "," : "") + R"({"id": )" + std::to_string(top * 100 + i) +
                     R"(, "caption": "Item )" + std::to_string(i) + "\"}";
        }
        items += "]}";
    }
    items += "]";
    TTestBridgeHost host;
    TLastReplyWebView webView;
    host.module->SetWebView(&webView);
    TAbZipKit archive;
    host.UseArchive(archive);
    const std::string text = nlohmann::json(items).dump();
    const TWebMessage call = PageMessage(R"({"id":12001,"uuid":"u","data":{"items":)" + text + "}}");
    for (auto _ : state) host.module->EdgeBrowserWebMessageReceived(call);
    if (webView.last.find("true") == std::string::npos) state.SkipWithError(webView.last.c_str());
}
BENCHMARK(MenuOfManyItems)->Arg(3000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A burst of small writeTextFile calls into one folder, each a new file (range(0) = 0) or the same
// file replaced (1): what a page saving often costs the window.
void BurstOfSmallWrites(benchmark::State& state) {
    const bool sameFile = state.range(0) == 1;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zorv-write-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    TBridgeContext context;
    context.appDir = folder.string() + "/";
    TTestBridgeHost host(context);
    TLastReplyWebView webView;
    host.module->SetWebView(&webView);
    int n = 0;
    for (auto _ : state) {
        const std::string name = sameFile ? "state.json" : "note-" + std::to_string(n++) + ".txt";
        host.module->EdgeBrowserWebMessageReceived(
            PageMessage(R"({"id":30003,"uuid":"u","data":{"filePath":")" + name + R"(","contents":"small"}})"));
    }
    if (webView.last.find("true") == std::string::npos) state.SkipWithError(webView.last.c_str());
    std::filesystem::remove_all(folder);
}
BENCHMARK(BurstOfSmallWrites)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zorv::test
