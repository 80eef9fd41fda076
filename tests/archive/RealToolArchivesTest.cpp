// The reader against encrypted archives written at test time by Info-ZIP zip, 7-Zip and
// libarchive's bsdtar: every entry must come out byte for byte.
#include <gtest/gtest.h>

#include <map>

#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv {
namespace {

using namespace zorv::testing;

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
        const std::string command = "cd " + Quote(FDir / "src") + " && " + Expand(GetParam().command, Quote(archive)) + " >/dev/null 2>&1";
        ASSERT_EQ(RunShell(command), 0) << command;
        FKit.SetPassword(Password);
        FKit.LoadFromMemory(ReadFile(archive));
    }

    TScratchDir FDir;
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
    TScratchDir dir;
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

}  // namespace
}  // namespace zorv
