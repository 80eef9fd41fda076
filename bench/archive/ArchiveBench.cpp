// Archive reader speed: opening a 10,000-entry archive, one lookup, and extracting a 50 MB
// application stored (as packaged files carry it) and deflated, side by side with a bare
// decrypt-plus-CRC loop over the same bytes and with Info-ZIP `unzip -p` as a subprocess.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "archive/AbZipKit.h"
#include "archive/PkwareCipher.h"
#include "support/ArchiveBuilder.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

const std::string& TenThousandEntryArchive() {
    static const std::string archive = [] {
        std::vector<std::pair<std::string, std::string>> entries;
        for (int i = 0; i < 10000; ++i)
            entries.push_back({"app/dir" + std::to_string(i / 100) + "/file" + std::to_string(i) + ".js", "x"});
        return BuildArchive(entries);
    }();
    return archive;
}

// About 50 MB: text that deflates about 3:1, and some incompressible "images".
struct TApp {
    std::vector<std::pair<std::string, std::string>> files;
    uint64_t totalBytes = 0;
    fs::path folder;
    std::string stored;    // written by the packing writer
    std::string deflated;  // written by Info-ZIP zip
    fs::path storedPath, deflatedPath;
};

const TApp& FiftyMegabyteApp() {
    static const TApp app = [] {
        TApp a;
        std::mt19937 random(42);
        const char* words[] = {"function", "return",  "const", "let",  "var", "this", "document",
                               "window",   "element", "value", "=>",   "{",   "}",    "(",
                               ")",        ";",       "if",    "else", "for", "await"};
        for (int i = 0; i < 40; ++i) {
            std::string text;
            text.reserve(1000000);
            while (text.size() < 1000000) {
                text += words[random() % 20];
                text += (random() % 8 == 0) ? '\n' : ' ';
                text += std::to_string(random() % 1000);
            }
            a.files.push_back({"app/js/module" + std::to_string(i) + ".js", text});
        }
        for (int i = 0; i < 10; ++i) {
            std::string image(1000000, '\0');
            for (char& c : image) c = static_cast<char>(random());
            a.files.push_back({"app/img/picture" + std::to_string(i) + ".png", image});
        }
        for (const auto& file : a.files) a.totalBytes += file.second.size();
        a.stored = BuildArchive(a.files);
        a.folder = fs::temp_directory_path() / ("zorv-bench-" + std::to_string(random()));
        for (const auto& [name, bytes] : a.files) {
            fs::create_directories((a.folder / "src" / name).parent_path());
            std::ofstream(a.folder / "src" / name, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        a.storedPath = a.folder / "stored.zip";
        a.deflatedPath = a.folder / "deflated.zip";
        std::ofstream(a.storedPath, std::ios::binary)
            .write(a.stored.data(), static_cast<std::streamsize>(a.stored.size()));
        const std::string zip = "cd '" + (a.folder / "src").string() + "' && zip -q -r -P " + ZORV_ARCHIVE_PASSWORD +
                                " '" + a.deflatedPath.string() + "' app";
        if (std::system(zip.c_str()) == 0) {
            std::ifstream in(a.deflatedPath, std::ios::binary);
            a.deflated.assign(std::istreambuf_iterator<char>(in), {});
        }
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(FiftyMegabyteApp().folder, ignored);
        });
        return a;
    }();
    return app;
}

// Timed by hand around the load alone: copying the input and freeing the reader are not part of it.
void BM_OpenTenThousandEntries(benchmark::State& state) {
    const std::string& archive = TenThousandEntryArchive();
    for (auto _ : state) {
        std::string copy = archive;
        TAbZipKit kit;
        kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
        const auto start = std::chrono::steady_clock::now();
        kit.LoadFromMemory(std::move(copy));
        benchmark::DoNotOptimize(kit.Count());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_OpenTenThousandEntries)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LookupInTenThousandEntries(benchmark::State& state) {
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(TenThousandEntryArchive());
    const std::string name = state.range(0) ? "APP/DIR42/File4242.JS" : "app/dir42/missing.js";
    for (auto _ : state) benchmark::DoNotOptimize(kit.FindFile(name));
}
BENCHMARK(BM_LookupInTenThousandEntries)->Arg(1)->Arg(0)->ArgName("hit");

void ExtractAll(benchmark::State& state, const std::string& archive) {
    const TApp& app = FiftyMegabyteApp();
    if (archive.empty()) {
        state.SkipWithError("archive not available (is zip installed?)");
        return;
    }
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(archive);
    for (auto _ : state) {
        for (const auto& file : app.files) {
            std::string out;
            if (kit.TryExtract(file.first, out) != TAbExtractStatus::Ok) state.SkipWithError("extraction failed");
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * app.totalBytes));
}

void BM_ExtractStored(benchmark::State& state) { ExtractAll(state, FiftyMegabyteApp().stored); }
BENCHMARK(BM_ExtractStored)->Unit(benchmark::kMillisecond);

void BM_ExtractDeflated(benchmark::State& state) { ExtractAll(state, FiftyMegabyteApp().deflated); }
BENCHMARK(BM_ExtractDeflated)->Unit(benchmark::kMillisecond);

// The least any reader must do for a stored encrypted entry: copy it out, decrypt it, CRC it.
void BM_BareDecryptAndCrcStored(benchmark::State& state) {
    const TApp& app = FiftyMegabyteApp();
    TAbZipKit kit;
    kit.LoadFromMemory(app.stored);
    const std::string& bytes = app.stored;
    for (auto _ : state) {
        for (int i = 0; i < kit.Count(); ++i) {
            const TAbZipItem& item = kit.Item(i);
            const std::size_t local = static_cast<std::size_t>(item.localHeaderOffset);
            const std::size_t data = local + 30 + static_cast<unsigned char>(bytes[local + 26]) +
                                     (static_cast<unsigned char>(bytes[local + 27]) << 8);
            std::string out(bytes, data, static_cast<std::size_t>(item.compressedSize));
            TPkwareCipher cipher(ZORV_ARCHIVE_PASSWORD);
            cipher.Decrypt(reinterpret_cast<unsigned char*>(out.data()), out.size());
            const uLong crc =
                crc32(0, reinterpret_cast<const Bytef*>(out.data()) + 12, static_cast<uInt>(out.size() - 12));
            if (crc != item.crc32) state.SkipWithError("CRC mismatch");
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * app.totalBytes));
}
BENCHMARK(BM_BareDecryptAndCrcStored)->Unit(benchmark::kMillisecond);

void UnzipToNull(benchmark::State& state, const fs::path& archive) {
    const TApp& app = FiftyMegabyteApp();
    if (!fs::exists(archive) || std::system("command -v unzip >/dev/null 2>&1") != 0) {
        state.SkipWithError("unzip or the archive is missing");
        return;
    }
    const std::string command =
        std::string("unzip -qq -p -P ") + ZORV_ARCHIVE_PASSWORD + " '" + archive.string() + "' > /dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("unzip failed");
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * app.totalBytes));
}

void BM_UnzipStored(benchmark::State& state) { UnzipToNull(state, FiftyMegabyteApp().storedPath); }
BENCHMARK(BM_UnzipStored)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_UnzipDeflated(benchmark::State& state) { UnzipToNull(state, FiftyMegabyteApp().deflatedPath); }
BENCHMARK(BM_UnzipDeflated)->UseManualTime()->Unit(benchmark::kMillisecond);

// One 1 KiB range at the end of a 200 MB stored asset: the first read on a fresh reader (it runs
// the cipher over the whole entry once, keeping a state every 64 KiB) and a read after it (it
// resumes from the nearest kept state), beside reading the whole asset.
const std::string& TwoHundredMegabyteAsset() {
    static const std::string archive = [] {
        std::string asset(200u << 20, '\0');
        std::mt19937_64 random(7);
        for (std::size_t i = 0; i + 8 <= asset.size(); i += 8) {
            const uint64_t value = random();
            std::memcpy(asset.data() + i, &value, 8);
        }
        return BuildArchive({{"app/media/course.mp4", asset}});
    }();
    return archive;
}

uint64_t ReadLastKibibyte(const TAbZipKit& kit) {
    const uint64_t size = kit.Item(kit.FindFile("app/media/course.mp4")).uncompressedSize;
    uint64_t got = 0;
    kit.TryExtractRange("app/media/course.mp4", size - 1024, 1024, [&](const char*, std::size_t n) {
        got += n;
        return true;
    });
    return got;
}

void BM_RangeAtEndFirstRead(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TAbZipKit kit;
        kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
        kit.LoadFromMemory(TwoHundredMegabyteAsset());
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReadLastKibibyte(kit));
    }
}
BENCHMARK(BM_RangeAtEndFirstRead)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RangeAtEndAfterFirstRead(benchmark::State& state) {
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(TwoHundredMegabyteAsset());
    ReadLastKibibyte(kit);
    for (auto _ : state) benchmark::DoNotOptimize(ReadLastKibibyte(kit));
}
BENCHMARK(BM_RangeAtEndAfterFirstRead)->Unit(benchmark::kMicrosecond);

void BM_WholeTwoHundredMegabyteAsset(benchmark::State& state) {
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(TwoHundredMegabyteAsset());
    for (auto _ : state) {
        uint64_t got = 0;
        kit.TryExtractTo("app/media/course.mp4", [&](const char*, std::size_t n) {
            got += n;
            return true;
        });
        benchmark::DoNotOptimize(got);
    }
}
BENCHMARK(BM_WholeTwoHundredMegabyteAsset)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace zorv::test
