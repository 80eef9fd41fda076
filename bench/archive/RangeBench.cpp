// The first 1 KiB range at the end of a large stored entry, read right after opening the archive,
// against the same range once a whole read has kept the cipher's states; with the checkpoint
// index zorv-pack writes and without it (its entry renamed). The entry is 256 MiB: the time of
// the first range without the index grows with the entry's size, with it it does not.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "archive/AbZipKit.h"
#include "archive/CheckpointIndex.h"
#include "archive/ZipWriter.h"
#include "shared/ByteSource.h"

namespace zorv::test {
namespace {

constexpr uint64_t EntrySize = 256ull << 20;

// The archive's bytes where they lie, not copied for every opening.
class TViewSource final : public IByteSource {
public:
    explicit TViewSource(const std::string& bytes) : FBytes(bytes) {}
    uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(uint64_t offset, void* target, std::size_t size) const override {
        if (offset > FBytes.size() || FBytes.size() - offset < size) return false;
        FBytes.copy(static_cast<char*>(target), size, static_cast<std::size_t>(offset));
        return true;
    }

private:
    const std::string& FBytes;
};

const std::string& ArchiveWithIndex() {
    static const std::string archive = [] {
        std::string out;
        TZipWriter writer(
            [&](const void* data, std::size_t size) {
                out.append(static_cast<const char*>(data), size);
                return true;
            },
            ZORV_ARCHIVE_PASSWORD);
        std::mt19937 random(3);
        uint64_t written = 0;
        (void)writer.AddFile("app/video.bin", {}, [&](char* buffer, std::size_t capacity, std::size_t& got) {
            got = static_cast<std::size_t>(std::min<uint64_t>(capacity, EntrySize - written));
            for (std::size_t i = 0; i < got; ++i) buffer[i] = static_cast<char>(random());
            written += got;
            return true;
        });
        (void)writer.Finish();
        return out;
    }();
    return archive;
}

const std::string& ArchiveWithoutIndex() {
    static const std::string archive = [] {
        std::string out = ArchiveWithIndex();
        const std::string name(TCheckpointIndex::EntryName);
        for (std::size_t at = 0; (at = out.find(name, at)) != std::string::npos; at += name.size()) out[at + 4] = '-';
        return out;
    }();
    return archive;
}

void ReadEndRange(const TAbZipKit& kit) {
    std::size_t got = 0;
    const TAbExtractStatus status =
        kit.TryExtractRange("app/video.bin", EntrySize - 1024, 1024, [&](const char*, std::size_t size) {
            got += size;
            return true;
        });
    if (status != TAbExtractStatus::Ok || got != 1024) std::abort();
}

std::unique_ptr<TAbZipKit> Open(const std::string& archive) {
    auto kit = std::make_unique<TAbZipKit>();
    kit->SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit->LoadFromSource(std::make_unique<TViewSource>(archive));
    return kit;
}

// Opening and the first range at the end, nothing read before.
void FirstEndRange(benchmark::State& state, const std::string& (*archive)()) {
    const std::string& bytes = archive();
    for (auto _ : state) {
        std::unique_ptr<TAbZipKit> kit = Open(bytes);
        ReadEndRange(*kit);
    }
}

// The same range on an archive whose entry was read whole first.
void EndRangeAfterWholeRead(benchmark::State& state, const std::string& (*archive)()) {
    std::unique_ptr<TAbZipKit> kit = Open(archive());
    if (kit->TryExtractTo("app/video.bin", [](const char*, std::size_t) { return true; }) != TAbExtractStatus::Ok)
        std::abort();
    for (auto _ : state) ReadEndRange(*kit);
}

void OpenOnly(benchmark::State& state, const std::string& (*archive)()) {
    const std::string& bytes = archive();
    for (auto _ : state) benchmark::DoNotOptimize(Open(bytes));
}

BENCHMARK_CAPTURE(FirstEndRange, WithIndex, ArchiveWithIndex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstEndRange, WithoutIndex, ArchiveWithoutIndex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EndRangeAfterWholeRead, WithIndex, ArchiveWithIndex)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenOnly, WithIndex, ArchiveWithIndex)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OpenOnly, WithoutIndex, ArchiveWithoutIndex)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zorv::test
