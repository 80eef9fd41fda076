// The reader against encrypted archives written at test time by Info-ZIP zip, 7-Zip and
// libarchive's bsdtar: every entry must come out byte for byte.
#include <gtest/gtest.h>

#include <map>

#include "support/ArchiveBuilder.h"
#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

constexpr const char* Password = "Pa55-word";

struct TToolCase {
    const char* name;
    const char* tool;
    // Run inside the source folder; {out} is the archive, {pw} the password.
    const char* command;
};

std::string Expand(std::string text, const std::string& out) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{out}", out}, {"{pw}", Password}}) {
        for (std::size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
    }
    return text;
}

class RealToolArchives : public ::testing::TestWithParam<TToolCase> {
protected:
    void SetUp() override {
        if (!HasTool(GetParam().tool)) GTEST_SKIP() << GetParam().tool << " is not installed";
        std::string page;
        for (int i = 0; i < 3000; ++i) page += "<p>line " + std::to_string(i % 17) + " of the page</p>\n";
        FFiles = {{"index.html", page},
                  {"img/logo.bin", RandomBytes(70000, 1)},
                  {"empty.txt", ""},
                  {"données/été.txt", "accents\n"},
                  {"css/Site.CSS", "body { color: red }\n"}};
        for (const auto& [name, bytes] : FFiles) WriteFile(FDir / ("src/" + name), bytes);
        fs::create_directories(FDir / "src/folder");
        const fs::path archive = FDir / "out.zip";
        const std::string command =
            "cd " + Quote(FDir / "src") + " && " + Expand(GetParam().command, Quote(archive)) + " >/dev/null 2>&1";
        ASSERT_EQ(RunShell(command), 0) << command;
        FKit.SetPassword(Password);
        FKit.LoadFromMemory(ReadFile(archive));
    }

    TScratchFolder FDir;
    std::map<std::string, std::string> FFiles;
    TAbZipKit FKit;
};

TEST_P(RealToolArchives, EveryFileComesOutByteForByte) {
    for (const auto& [name, bytes] : FFiles) {
        std::string out;
        ASSERT_EQ(FKit.TryExtract(name, out), TAbExtractStatus::Ok) << name;
        EXPECT_EQ(out, bytes) << name;
    }
}

TEST_P(RealToolArchives, HoldsStoredAndDeflatedEncryptedEntries) {
    bool sawStored = false, sawDeflated = false;
    for (int i = 0; i < FKit.Count(); ++i) {
        const TAbZipItem& item = FKit.Item(i);
        EXPECT_TRUE(item.IsEncrypted() || item.uncompressedSize == 0) << item.fileName;
        if (item.uncompressedSize == 0) continue;
        sawStored = sawStored || item.compressionMethod == 0;
        sawDeflated = sawDeflated || item.compressionMethod == 8;
    }
    EXPECT_TRUE(sawDeflated);
    if (std::string(GetParam().tool) != "bsdtar") {  // bsdtar deflates everything
        EXPECT_TRUE(sawStored);
    }
}

TEST_P(RealToolArchives, FolderEntryExtractsToNothing) {
    ASSERT_GE(FKit.FindFile("folder/"), 0);
    std::string out = "kept";
    EXPECT_EQ(FKit.TryExtract("folder/", out), TAbExtractStatus::Ok);
    EXPECT_EQ(out, "kept");
}

TEST_P(RealToolArchives, WrongPasswordExtractsNothing) {
    FKit.SetPassword("not the password");
    std::string out;
    EXPECT_EQ(FKit.TryExtract("index.html", out), TAbExtractStatus::WrongPassword);
    FKit.ExtractToStream("index.html", out);
    EXPECT_TRUE(out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tools, RealToolArchives,
    ::testing::Values(TToolCase{"InfoZip", "zip", "zip -q -r -P {pw} {out} ."},
                      TToolCase{"SevenZip", "7z", "7z a -tzip -p{pw} -mem=ZipCrypto {out} ."},
                      TToolCase{"Bsdtar", "bsdtar",
                                "bsdtar --format zip --options zip:encryption=zipcrypt --passphrase {pw} -cf {out} "
                                "index.html img empty.txt données css folder"}),
    [](const ::testing::TestParamInfo<TToolCase>& info) { return std::string(info.param.name); });

// Info-ZIP's forced Zip64 records (sizes and offsets in the Zip64 extra field, Zip64 end record).
TEST(RealToolZip64, ForcedZip64ArchiveOpensAndExtracts) {
    if (!HasTool("zip")) GTEST_SKIP() << "zip is not installed";
    TScratchFolder dir;
    const std::string body = RandomBytes(20000, 7);
    WriteFile(dir / "src/a.bin", body);
    WriteFile(dir / "src/b.txt", std::string(5000, 'b'));
    const fs::path archive = dir / "z64.zip";
    ASSERT_EQ(RunShell("cd " + Quote(dir / "src") + " && zip -q -fz -P pw - a.bin b.txt > " + Quote(archive)), 0);
    TAbZipKit kit;
    kit.SetPassword("pw");
    kit.LoadFromMemory(ReadFile(archive));
    ASSERT_EQ(kit.Count(), 2);
    std::string out;
    ASSERT_EQ(kit.TryExtract("a.bin", out), TAbExtractStatus::Ok);
    EXPECT_EQ(out, body);
    out.clear();
    ASSERT_EQ(kit.TryExtract("b.txt", out), TAbExtractStatus::Ok);
    EXPECT_EQ(out, std::string(5000, 'b'));
}

// Python's zipfile writes `count` entries (one with content, the others empty); the script then
// lays the end of the archive out as tools do that let the 16-bit entry count wrap: the Zip64
// end record and locator removed, the counts cut to 16 bits, size and offset kept.
constexpr const char* WrappedCountScript = R"PY(
import io, struct, sys, zipfile
count, out = int(sys.argv[1]), sys.argv[2]
buffer = io.BytesIO()
with zipfile.ZipFile(buffer, 'w', zipfile.ZIP_STORED) as archive:
    archive.writestr('first.txt', 'first entry')
    for i in range(1, count - 1):
        archive.writestr('e/%06d' % i, '')
    archive.writestr('last.txt', 'last entry')
data = buffer.getvalue()
end = data.rindex(b'PK\x05\x06')
size, offset = struct.unpack('<QQ', data[data.rindex(b'PK\x06\x06') + 40:][:16])
directory_end = offset + size
record = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, count & 0xFFFF, count & 0xFFFF, size, offset, 0)
open(out, 'wb').write(data[:directory_end] + record)
)PY";

TEST(RealToolWrappedCount, MoreThan65535EntriesWithoutZip64AreAllListed) {
    if (!HasTool("python3")) GTEST_SKIP() << "python3 is not installed";
    TScratchFolder dir;
    WriteFile(dir / "wrap.py", WrappedCountScript);
    for (const int count : {70000, 65536}) {
        const fs::path archive = dir / ("wrapped-" + std::to_string(count) + ".zip");
        ASSERT_EQ(RunShell("python3 " + Quote(dir / "wrap.py") + " " + std::to_string(count) + " " + Quote(archive)),
                  0);
        TAbZipKit kit;
        kit.LoadFromMemory(ReadFile(archive));
        EXPECT_EQ(kit.Count(), count);
        for (const auto& [name, body] :
             {std::pair<std::string, std::string>{"first.txt", "first entry"}, {"last.txt", "last entry"}}) {
            std::string out;
            EXPECT_EQ(kit.TryExtract(name, out), TAbExtractStatus::Ok) << count << " " << name;
            EXPECT_EQ(out, body) << count;
        }
        EXPECT_GE(kit.FindFile("e/065534"), 0) << count;
    }
}

// An archive whose comment holds a whole second archive: the inner end record, met first from
// the end, is the archive's, as zipfile, unzip and bsdtar all read it; the inner archive's
// offsets are moved to where it lies.
TEST(RealToolNestedArchive, ArchiveInTheCommentOfAnotherOpensTheInnerOneAsOtherReadersDo) {
    if (!HasTool("zip") || !HasTool("python3")) GTEST_SKIP() << "needs zip and python3";
    TScratchFolder dir;
    WriteFile(dir / "outer/outer.txt", "outer entry");
    WriteFile(dir / "inner/inner.txt", "inner entry");
    ASSERT_EQ(RunShell("cd " + Quote(dir / "outer") + " && zip -q -P pw ../outer.zip outer.txt"), 0);
    ASSERT_EQ(RunShell("cd " + Quote(dir / "inner") + " && zip -q -P pw ../inner.zip inner.txt"), 0);
    const std::string setComment =
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'a') as z: z.comment = open(sys.argv[2], 'rb').read()\n";
    WriteFile(dir / "comment.py", setComment);
    ASSERT_EQ(RunShell("python3 " + Quote(dir / "comment.py") + " " + Quote(dir / "outer.zip") + " " +
                       Quote(dir / "inner.zip")),
              0);
    for (const std::string& trailing : {std::string(), std::string(3000, '\x7f')}) {
        TAbZipKit kit;
        kit.SetPassword("pw");
        kit.LoadFromMemory(ReadFile(dir / "outer.zip") + trailing);
        ASSERT_EQ(kit.Count(), 1) << trailing.size();
        std::string out;
        EXPECT_EQ(kit.TryExtract("inner.txt", out), TAbExtractStatus::Ok);
        EXPECT_EQ(out, "inner entry");
    }
}

// Entries reach a sink in blocks as they are produced, never as one copy of the whole entry.
TEST(RealToolArchivesStreaming, EntriesReachTheSinkInBlocks) {
    if (!HasTool("zip")) GTEST_SKIP() << "zip is not installed";
    TScratchFolder dir;
    const std::string random = RandomBytes(3000000, 11);
    const std::string text(5000000, 't');
    WriteFile(dir / "src/random.bin", random);
    WriteFile(dir / "src/text.txt", text);
    ASSERT_EQ(RunShell("cd " + Quote(dir / "src") +
                       " && zip -q -P pw ../s.zip random.bin && zip -q -0 -P pw ../s.zip text.txt"),
              0);
    TAbZipKit kit;
    kit.SetPassword("pw");
    kit.LoadFromMemory(ReadFile(dir / "s.zip"));
    for (const auto& [name, body] :
         {std::pair<const char*, const std::string&>{"random.bin", random}, {"text.txt", text}}) {
        std::string out;
        std::size_t largestBlock = 0;
        EXPECT_EQ(kit.TryExtractTo(name,
                                   [&](const char* data, std::size_t size) {
                                       largestBlock = std::max(largestBlock, size);
                                       out.append(data, size);
                                       return true;
                                   }),
                  TAbExtractStatus::Ok)
            << name;
        EXPECT_TRUE(out == body) << name;
        EXPECT_LE(largestBlock, 1u << 20) << name;
        std::size_t calls = 0;
        EXPECT_EQ(kit.TryExtractTo(name, [&](const char*, std::size_t) { return ++calls < 3; }),
                  TAbExtractStatus::SinkFailed)
            << name;
        EXPECT_EQ(calls, 3u) << name;
    }
}

// An Info-ZIP archive, encrypted, with the same text deflated and stored.
class RealToolArchiveReaders : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasTool("zip")) GTEST_SKIP() << "zip is not installed";
        for (int i = 0; FText.size() < 400000; ++i) FText += "line " + std::to_string(i * 7919 % 100003) + "\n";
        WriteFile(FDir / "src/deflated.txt", FText);
        WriteFile(FDir / "src/stored.txt", FText);
        ASSERT_EQ(RunShell("cd " + Quote(FDir / "src") +
                           " && zip -q -P pw ../r.zip deflated.txt && zip -q -0 -P pw ../r.zip stored.txt"),
                  0);
        FArchive = ReadFile(FDir / "r.zip");
    }
    void Open(TAbZipKit& kit, std::string archive) const {
        kit.SetPassword("pw");
        kit.LoadFromMemory(std::move(archive));
        ASSERT_EQ(kit.Item(kit.FindFile("deflated.txt")).compressionMethod, 8);
    }
    // Everything a reader gives in reads of an awkward size; `end` is the status that ended it.
    static std::string Pull(TAbEntryReader& reader, TAbExtractStatus& end, uint64_t limit = UINT64_MAX) {
        std::string out;
        char buffer[7001];
        while (out.size() < limit) {
            const std::size_t got = reader.Read(buffer, std::min<uint64_t>(sizeof buffer, limit - out.size()), end);
            if (got == 0) break;
            out.append(buffer, got);
        }
        return out;
    }

    TScratchFolder FDir;
    std::string FText;
    std::string FArchive;
};

using TPart = std::pair<uint64_t, uint64_t>;  // offset, length

// Parts of deflated and stored entries come out byte for byte, extracted or pulled through a
// reader, whose moves back and forth land where they say.
TEST_F(RealToolArchiveReaders, PartsOfDeflatedAndStoredEntries) {
    TAbZipKit kit;
    Open(kit, FArchive);
    const uint64_t size = FText.size();
    for (const char* name : {"deflated.txt", "stored.txt"}) {
        for (const auto& [offset, length] : {TPart{size - 1000, 1000}, {0, 1}, {70000, 200000}, {0, size}}) {
            std::string out;
            EXPECT_EQ(kit.TryExtractRange(name, offset, length,
                                          [&](const char* data, std::size_t got) {
                                              out.append(data, got);
                                              return true;
                                          }),
                      TAbExtractStatus::Ok)
                << name;
            EXPECT_TRUE(out == FText.substr(offset, length)) << name << " @" << offset;

            TAbExtractStatus opened, end;
            std::unique_ptr<TAbEntryReader> reader = kit.OpenEntry(name, offset, length, opened);
            ASSERT_TRUE(reader) << name << " " << TAbZipKit::StatusMessage(opened);
            EXPECT_TRUE(Pull(*reader, end) == FText.substr(offset, length)) << name << " @" << offset;
            EXPECT_EQ(end, TAbExtractStatus::Ok) << name << " @" << offset;
        }
        TAbExtractStatus opened, end;
        std::unique_ptr<TAbEntryReader> reader = kit.OpenEntry(name, 0, size, opened);
        ASSERT_TRUE(reader);
        for (const uint64_t at : {uint64_t{300000}, uint64_t{70}, size - 500, uint64_t{65536}, uint64_t{0}}) {
            ASSERT_TRUE(reader->Seek(at)) << name;
            EXPECT_EQ(reader->Position(), at);
            EXPECT_TRUE(Pull(*reader, end, 1000) == FText.substr(at, 1000)) << name << " @" << at;
            EXPECT_EQ(end, TAbExtractStatus::Ok) << name << " @" << at;
        }
    }
}

// A damaged deflated entry never reaches its end as if it were whole, while a part read before
// the damage still comes out.
TEST_F(RealToolArchiveReaders, ADamagedDeflatedEntryFailsBeforeItsLastBytes) {
    std::string archive = FArchive;
    archive[DataOffset(archive, 0) + 12 + 40000] ^= 0x5A;  // past the cipher header, mid-stream
    TAbZipKit kit;
    Open(kit, archive);
    TAbExtractStatus opened, end;
    std::unique_ptr<TAbEntryReader> whole = kit.OpenEntry("deflated.txt", 0, FText.size(), opened);
    ASSERT_TRUE(whole);
    EXPECT_LT(Pull(*whole, end).size(), FText.size());
    EXPECT_NE(end, TAbExtractStatus::Ok);
    std::unique_ptr<TAbEntryReader> head = kit.OpenEntry("deflated.txt", 0, 100, opened);
    ASSERT_TRUE(head);
    EXPECT_TRUE(Pull(*head, end) == FText.substr(0, 100));
    EXPECT_EQ(end, TAbExtractStatus::Ok);
}

}  // namespace
}  // namespace zorv::test
