// The checkpoint index the packing writer adds for large stored entries: a range anywhere in such
// an entry is read without decrypting the entry up to it, and an index that does not match its
// entry is reported and never trusted over the data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <memory>

#include "support/ArchiveBuilder.h"
#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"
#include "archive/CheckpointIndex.h"
#include "archive/PkwareCipher.h"
#include "shared/ByteSource.h"
#include "shared/FailureSink.h"

namespace zorv::test {
namespace {

constexpr uint64_t Step = TCheckpointIndex::Step;

// An archive's bytes, counting how many are read.
class TCountingSource final : public IByteSource {
public:
    TCountingSource(const std::string& bytes, uint64_t& count) : FBytes(bytes), FCount(count) {}
    uint64_t Size() const override { return FBytes.size(); }
    bool ReadAt(uint64_t offset, void* target, std::size_t size) const override {
        if (offset > FBytes.size() || FBytes.size() - offset < size) return false;
        FBytes.copy(static_cast<char*>(target), size, static_cast<std::size_t>(offset));
        FCount += size;
        return true;
    }

private:
    const std::string& FBytes;
    uint64_t& FCount;
};

// Decrypts the index entry in place, lets `change` edit its records, and encrypts it back with the
// same keys, its CRC-32 put right in the data descriptor and the central record.
std::string WithIndexChanged(std::string archive,
                             const std::function<void(std::vector<TCheckpointIndex::TRecord>&)>& change) {
    TAbZipKit kit;
    kit.LoadFromMemory(archive);
    const int index = kit.FindFile(TCheckpointIndex::EntryName);
    if (index < 0) return {};
    const std::size_t size = static_cast<std::size_t>(kit.Item(index).uncompressedSize);
    const std::size_t header = DataOffset(archive, index);
    auto* bytes = reinterpret_cast<unsigned char*>(archive.data());
    TPkwareCipher cipher(ZORV_ARCHIVE_PASSWORD);
    std::string encryptionHeader = archive.substr(header, TPkwareCipher::HeaderSize);
    cipher.Decrypt(reinterpret_cast<unsigned char*>(encryptionHeader.data()), encryptionHeader.size());
    const TPkwareCipher::TKeys keys = cipher.Keys();
    std::string plain = archive.substr(header + TPkwareCipher::HeaderSize, size);
    TPkwareCipher(keys).Decrypt(reinterpret_cast<unsigned char*>(plain.data()), plain.size());
    std::optional<std::vector<TCheckpointIndex::TRecord>> records = TCheckpointIndex::Parse(plain);
    if (!records) return {};
    change(*records);
    std::string changed = TCheckpointIndex::Format(*records);
    if (changed.size() != size) return {};
    const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(changed.data()), size));
    TPkwareCipher(keys).Encrypt(reinterpret_cast<unsigned char*>(changed.data()), size);
    std::copy(changed.begin(), changed.end(), bytes + header + TPkwareCipher::HeaderSize);
    PutLe(archive, header + TPkwareCipher::HeaderSize + size + 4, crc, 4);
    PutLe(archive, CentralRecordOffset(archive, index) + 16, crc, 4);
    return archive;
}

class CheckpointIndex : public ::testing::Test {
protected:
    void SetUp() override {
        FVideo = RandomBytes(2 * 1024 * 1024 + 1000, 5);
        FArchive = BuildArchive({{"zorv.ini", "[App]\n"}, {"app/video.bin", FVideo}, {"app/small.txt", "small"}});
        FPrevious = TFailureSink::SetReceiver(
            [this](std::string_view text, const TSourcePlace&) { FReports.emplace_back(text); });
    }
    void TearDown() override { TFailureSink::SetReceiver(FPrevious); }

    // Reads `length` bytes at `offset` of the video from a freshly opened `archive`; counts what
    // was read from the archive for it.
    std::string Range(const std::string& archive, uint64_t offset, uint64_t length, uint64_t& bytesRead) {
        TAbZipKit kit;
        kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
        uint64_t count = 0;
        kit.LoadFromSource(std::make_unique<TCountingSource>(archive, count));
        count = 0;
        std::string out;
        EXPECT_EQ(kit.TryExtractRange("app/video.bin", offset, length,
                                      [&](const char* data, std::size_t size) {
                                          out.append(data, size);
                                          return true;
                                      }),
                  TAbExtractStatus::Ok);
        bytesRead = count;
        return out;
    }

    std::string FVideo, FArchive;
    std::vector<std::string> FReports;
    TFailureSink::TReceiver FPrevious;
};

TEST_F(CheckpointIndex, OnlyLargeEntriesGetOneAndOtherReadersSeeOneMoreSoundEntry) {
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(FArchive);
    ASSERT_EQ(kit.Count(), 4);
    EXPECT_EQ(kit.Item(3).fileName, TCheckpointIndex::EntryName);
    kit.LoadFromMemory(BuildArchive({{"zorv.ini", "[App]\n"}, {"app/a.bin", RandomBytes(Step * 4 - 1, 2)}}));
    EXPECT_EQ(kit.Count(), 2);
    if (!HasTool("unzip")) GTEST_SKIP() << "unzip is not installed";
    TScratchFolder dir;
    WriteFile(dir / "a.zip", FArchive);
    EXPECT_EQ(RunShell("unzip -qq -t -P " + std::string(ZORV_ARCHIVE_PASSWORD) + " " + Quote(dir / "a.zip")), 0);
}

// The end of the entry, first thing after opening: a few blocks are read, not the whole entry.
TEST_F(CheckpointIndex, FirstRangeAtTheEndReadsOnlyAroundIt) {
    for (const uint64_t offset : {uint64_t{FVideo.size() - 1024}, 17 * Step + 5, Step, uint64_t{3}}) {
        uint64_t bytesRead = 0;
        EXPECT_TRUE(Range(FArchive, offset, 1024, bytesRead) == FVideo.substr(offset, 1024)) << offset;
        EXPECT_LT(bytesRead, 4 * Step) << offset;
    }
    EXPECT_TRUE(FReports.empty());
}

struct TTampering {
    const char* name;
    std::function<void(TCheckpointIndex::TRecord&)> change;
};

class CheckpointIndexTampered : public CheckpointIndex, public ::testing::WithParamInterface<TTampering> {};

// A record that does not match its entry is reported and left aside: every range still comes out
// as the data decrypts, and the whole entry still passes its check.
TEST_P(CheckpointIndexTampered, IsReportedAndNeverTrustedOverTheData) {
    const std::string archive = WithIndexChanged(FArchive, [](std::vector<TCheckpointIndex::TRecord>& records) {
        ASSERT_EQ(records.size(), 1u);
        GetParam().change(records[0]);
    });
    ASSERT_FALSE(archive.empty());
    for (const uint64_t offset : {uint64_t{FVideo.size() - 1024}, 20 * Step + 9, 5 * Step}) {
        uint64_t bytesRead = 0;
        EXPECT_TRUE(Range(archive, offset, 1024, bytesRead) == FVideo.substr(offset, 1024)) << offset;
    }
    EXPECT_FALSE(FReports.empty());
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(archive);
    std::string whole;
    EXPECT_EQ(kit.TryExtract("app/video.bin", whole), TAbExtractStatus::Ok);
    EXPECT_TRUE(whole == FVideo);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, CheckpointIndexTampered,
    ::testing::Values(TTampering{"StateOfEveryStepMoved",
                                 [](TCheckpointIndex::TRecord& r) {
                                     for (std::size_t i = 1; i < r.keys.size(); ++i) r.keys[i].key1 ^= 0x100;
                                 }},
                      TTampering{"StatesShiftedByOneStep",
                                 [](TCheckpointIndex::TRecord& r) {
                                     for (std::size_t i = r.keys.size() - 1; i > 1; --i) r.keys[i] = r.keys[i - 1];
                                 }},
                      TTampering{"FirstState", [](TCheckpointIndex::TRecord& r) { r.keys[0].key2 ^= 1; }},
                      TTampering{"BlockCrc", [](TCheckpointIndex::TRecord& r) { r.blockCrcs[20] ^= 1; }},
                      TTampering{"EntryCrc", [](TCheckpointIndex::TRecord& r) { r.crc32 ^= 1; }},
                      TTampering{"Size", [](TCheckpointIndex::TRecord& r) { r.size -= 1; }},
                      TTampering{"Entry", [](TCheckpointIndex::TRecord& r) { r.localHeaderOffset = 0; }}),
    [](const ::testing::TestParamInfo<TTampering>& info) { return std::string(info.param.name); });

// Without the index (its entry renamed), ranges read as before: from the cipher run over the data.
TEST_F(CheckpointIndex, ArchiveWithoutTheIndexReadsAsBefore) {
    std::string archive = FArchive;
    const std::string name(TCheckpointIndex::EntryName);
    for (std::size_t at = 0; (at = archive.find(name, at)) != std::string::npos; at += name.size())
        archive[at + 4] = '-';
    uint64_t bytesRead = 0;
    const uint64_t offset = FVideo.size() - 1024;
    EXPECT_TRUE(Range(archive, offset, 1024, bytesRead) == FVideo.substr(offset, 1024));
    EXPECT_GT(bytesRead, FVideo.size() - Step);
    EXPECT_TRUE(FReports.empty());
}

}  // namespace
}  // namespace zorv::test
