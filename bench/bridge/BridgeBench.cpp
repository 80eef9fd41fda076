// One bridge call from message text to reply text: parse, dispatch, function, reply.
#include <benchmark/benchmark.h>

#include "backends/test/TestBridgeHost.h"

namespace zorv {
namespace {

// Keeps only the last reply, so that the measurement is the bridge's own work.
class TLastReplyWebView : public IWebView {
public:
    void PostWebMessageAsJson(const std::string& json) override { last = json; }
    void ExecuteScript(const std::string&) override {}
    std::string last;
};

void RunCall(benchmark::State& state, const std::string& message) {
    TTestBridgeHost host;
    TLastReplyWebView webView;
    host.module->SetWebView(&webView);
    const TWebMessage call{std::nullopt, message, TTestBridgeHost::PageUrl};
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

}  // namespace
}  // namespace zorv
