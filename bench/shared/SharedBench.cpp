// Costs of the helpers that sit on hot paths: the MIME lookup runs for every resource request,
// JSON string encoding for every bridge reply that carries text, Base64 decoding for every
// base64.decodeToFile call.
#include <benchmark/benchmark.h>

#include <string>

#include "shared/Base64.h"
#include "shared/MemIniFile.h"
#include "shared/MimeTypes.h"
#include "shared/StrUtils.h"

namespace zorv::test {
namespace {

void BM_GetFileMIMEType(benchmark::State& state) {
    const char* names[] = {"index.html", "css/site.css", "js/app.js", "img/LOGO.PNG", "fonts/a.woff2", "unknown.qqq"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TStrUtils::GetFileMIMEType(names[i++ % std::size(names)]));
    }
}
BENCHMARK(BM_GetFileMIMEType);

void BM_BuildMimeTable(benchmark::State& state) {
    const auto mappings = TMimeTypes::ReadMimeTypesFile("/etc/mime.types");
    for (auto _ : state) {
        TMimeTypeTable table(mappings);
        benchmark::DoNotOptimize(table);
    }
    state.counters["mappings"] = static_cast<double>(mappings.size());
}
BENCHMARK(BM_BuildMimeTable);

std::string MixedText(std::size_t size) {
    const std::string piece = "C:\\Users\\me\\Documents\\caf\xC3\xA9 \"notes\"\r\n\xE6\xB5\x8B ";
    std::string text;
    while (text.size() < size) text += piece;
    return text;
}

void BM_StringToJsonString(benchmark::State& state) {
    const std::string text = MixedText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(TStrUtils::StringToJsonString(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_StringToJsonString)->Arg(64)->Arg(1 << 20);

void BM_Base64Decode(benchmark::State& state) {
    const std::string encoded = TBase64::Encode(MixedText(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(TBase64::Decode(encoded));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(encoded.size()));
}
BENCHMARK(BM_Base64Decode)->Arg(1 << 20)->Arg(16 << 20);

void BM_ParseSettings(benchmark::State& state) {
    std::string text = "\xEF\xBB\xBF; settings\r\n[App]\r\n";
    for (int i = 0; i < 40; ++i) text += "Key" + std::to_string(i) + " = value " + std::to_string(i) + "\r\n";
    for (auto _ : state) {
        TMemIniFile ini;
        ini.SetText(text);
        benchmark::DoNotOptimize(ini.ReadInteger("App", "Key39", 0));
    }
}
BENCHMARK(BM_ParseSettings);

}  // namespace
}  // namespace zorv::test
