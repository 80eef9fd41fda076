// Reads a large stored entry through the runtime's IStream as the stand-in reads a response body
// for WebView2 (64 KiB pieces from one thread), against the same entry's plain extraction and a
// plain read of the archive file, and prints MB/s for each. Not a test: run by
// scripts/bench-stream-wine.sh under Wine.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "archive/AbZipKit.h"
#include "archive/ZipWriter.h"
#include "backends/win32/EntryStream.h"
#include "shared/FileRegion.h"

namespace {

using namespace zorv;
using TClock = std::chrono::steady_clock;

constexpr std::size_t PieceBytes = 64 * 1024;
const char* const Password = "bench";

double Seconds(TClock::time_point since) { return std::chrono::duration<double>(TClock::now() - since).count(); }
double MegabytesPerSecond(uint64_t bytes, double seconds) { return static_cast<double>(bytes) / 1048576.0 / seconds; }

// An archive at `path` holding one stored entry "asset.bin" of `size` random bytes.
bool WriteArchive(const std::string& path, uint64_t size) {
    std::ofstream file(path, std::ios::binary);
    TZipWriter writer(
        [&file](const void* data, std::size_t bytes) {
            file.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
            return static_cast<bool>(file);
        },
        Password);
    std::mt19937_64 random(7);
    uint64_t left = size;
    const TStatus added =
        writer.AddFile("asset.bin", TDosDateTime{}, [&](char* buffer, std::size_t capacity, std::size_t& got) {
            got = static_cast<std::size_t>(std::min<uint64_t>(capacity, left));
            for (std::size_t i = 0; i < got; i += 8) {
                const uint64_t word = random();
                std::memcpy(buffer + i, &word, std::min<std::size_t>(8, got - i));
            }
            left -= got;
            return true;
        });
    return added && writer.Finish() && static_cast<bool>(file.flush());
}

// Reads the whole stream in pieces as the stand-in does; the bytes read.
uint64_t ReadAsStandIn(IStream* stream) {
    std::string buffer(PieceBytes, '\0');
    uint64_t total = 0;
    for (;;) {
        ULONG read = 0;
        const HRESULT result = stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &read);
        if (FAILED(result)) return 0;
        total += read;
        if (result == S_FALSE || read == 0) return total;
    }
}

uint64_t ReadFilePlain(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string buffer(PieceBytes, '\0');
    uint64_t total = 0;
    while (file.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || file.gcount() > 0)
        total += static_cast<uint64_t>(file.gcount());
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 200;
    if (argc < 2) {
        std::fprintf(stderr, "usage: win32-stream-bench ARCHIVE_PATH [MEGABYTES]\n");
        return 2;
    }
    const std::string path = argv[1];
    const uint64_t size = megabytes << 20;
    if (!WriteArchive(path, size)) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        return 1;
    }
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (int run = 0; run < 3; ++run) {
        TAbZipKit kit;
        kit.SetPassword(Password);
        TResult<std::unique_ptr<TFileRegion>> region = TFileRegion::Open(path, 0);
        if (!region) return 1;
        kit.LoadFromSource(std::move(region.Value()));

        TClock::time_point start = TClock::now();
        const uint64_t plain = ReadFilePlain(path);
        const double plainSeconds = Seconds(start);

        start = TClock::now();
        uint64_t extracted = 0;
        const TAbExtractStatus status = kit.TryExtractTo("asset.bin", [&extracted](const char*, std::size_t bytes) {
            extracted += bytes;
            return true;
        });
        const double extractSeconds = Seconds(start);

        TAbExtractStatus opened = TAbExtractStatus::Ok;
        std::unique_ptr<TAbEntryReader> reader = kit.OpenEntry("asset.bin", 0, size, opened);
        if (!reader || status != TAbExtractStatus::Ok) return 1;
        TComPtr<IStream> stream = NewEntryStream(std::move(reader));
        start = TClock::now();
        const uint64_t streamed = ReadAsStandIn(stream.Get());
        const double streamSeconds = Seconds(start);
        if (streamed != size || extracted != size) {
            std::fprintf(stderr, "read %llu and %llu bytes of %llu\n", static_cast<unsigned long long>(streamed),
                         static_cast<unsigned long long>(extracted), static_cast<unsigned long long>(size));
            return 1;
        }
        std::printf("%llu MB: IStream %.1f MB/s  extraction %.1f MB/s  file read %.1f MB/s\n",
                    static_cast<unsigned long long>(megabytes), MegabytesPerSecond(streamed, streamSeconds),
                    MegabytesPerSecond(extracted, extractSeconds), MegabytesPerSecond(plain, plainSeconds));
        std::fflush(stdout);
    }
    ::CoUninitialize();
    std::remove(path.c_str());
    return 0;
}
