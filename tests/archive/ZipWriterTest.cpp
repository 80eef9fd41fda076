// The packing writer: what it writes is accepted by Info-ZIP unzip with the password, carries the
// header fields packaged files are known by, and reads back through the runtime's reader.
#include <gtest/gtest.h>

#include "support/ArchiveBuilder.h"
#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

const TEntryList Entries = {{"zorv.ini", "[App]\nID=x\n"},
                            {"app/", ""},
                            {"app/index.html", std::string(100000, 'i')},
                            {"app/données/été.txt", "summer"},
                            {"app/empty.txt", ""}};

TEST(ZipWriter, UnzipAcceptsTheArchiveWithThePassword) {
    if (!HasTool("unzip")) GTEST_SKIP() << "unzip is not installed";
    TScratchFolder dir;
    const fs::path archive = dir / "app.zip";
    WriteFile(archive, BuildArchive(Entries));
    const std::string password = ZORV_ARCHIVE_PASSWORD;
    EXPECT_EQ(RunShell("unzip -t -P " + password + " " + Quote(archive) + " >/dev/null"), 0);
    EXPECT_NE(RunShell("unzip -t -P wrong " + Quote(archive) + " >/dev/null 2>&1"), 0);
    ASSERT_EQ(RunShell("unzip -p -P " + password + " " + Quote(archive) + " app/index.html > " + Quote(dir / "out")),
              0);
    EXPECT_EQ(ReadFile(dir / "out"), Entries[2].second);
}

TEST(ZipWriter, EntriesAreStoredEncryptedWithADataDescriptor) {
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(BuildArchive(Entries));
    ASSERT_EQ(kit.Count(), static_cast<int>(Entries.size()));
    for (int i = 0; i < kit.Count(); ++i) {
        const TAbZipItem& item = kit.Item(i);
        const bool ascii = item.fileName.find("é") == std::string::npos;
        EXPECT_EQ(item.generalPurposeFlags, ascii ? 0x0009 : 0x0809) << item.fileName;
        EXPECT_EQ(item.versionNeededToExtract, 20);
        EXPECT_EQ(item.compressionMethod, 0);
        EXPECT_EQ(item.compressedSize, item.uncompressedSize + 12) << item.fileName;
        EXPECT_EQ(item.fileName, Entries[i].first);
    }
    EXPECT_EQ(kit.Item(1).externalAttributes & 0x10, 0x10u);  // the folder is marked as one
}

TEST(ZipWriter, RefusesNamesThatAreNotArchiveNames) {
    std::string sink;
    TZipWriter writer([&](const void*, std::size_t) { return true; }, "pw");
    EXPECT_FALSE(writer.AddFile("app\\index.html", {}, "x"));
    EXPECT_FALSE(writer.AddFile("", {}, "x"));
    EXPECT_FALSE(writer.AddFile("folder/", {}, "x"));
    EXPECT_FALSE(writer.AddDirectory("folder", {}));
    EXPECT_TRUE(writer.AddDirectory("folder/", {}));
}

TEST(ZipWriter, ReportsAFailingSink) {
    TZipWriter writer([](const void*, std::size_t) { return false; }, "pw");
    const TStatus added = writer.AddFile("a.txt", {}, "x");
    EXPECT_FALSE(added);
    EXPECT_FALSE(added.Error().empty());
}

TEST(ZipWriter, DosTimeOfMoment) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 15;
    local.tm_hour = 13;
    local.tm_min = 45;
    local.tm_sec = 31;
    local.tm_isdst = -1;
    const TDosDateTime dos = TDosDateTime::FromTime(std::mktime(&local));
    EXPECT_EQ(dos.date, ((2024 - 1980) << 9) | (3 << 5) | 15);
    EXPECT_EQ(dos.time, (13 << 11) | (45 << 5) | 15);
    EXPECT_EQ(TDosDateTime::FromTime(0).date, 0x21);  // before 1980: the earliest date
}

// More entries than the classic end record can count: Zip64 end records, read back by the
// reader and by unzip.
TEST(ZipWriter, SeventyThousandEntriesUseZip64EndRecords) {
    TEntryList many;
    for (int i = 0; i < 70000; ++i) many.push_back({"app/f" + std::to_string(i) + ".txt", std::to_string(i)});
    const std::string archive = BuildArchive(many);
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(archive);
    ASSERT_EQ(kit.Count(), 70000);
    std::string out;
    ASSERT_EQ(kit.TryExtract("APP/F69999.TXT", out), TAbExtractStatus::Ok);
    EXPECT_EQ(out, "69999");
    if (!HasTool("unzip")) return;
    TScratchFolder dir;
    WriteFile(dir / "many.zip", archive);
    EXPECT_EQ(
        RunShell("unzip -tq -P " + std::string(ZORV_ARCHIVE_PASSWORD) + " " + Quote(dir / "many.zip") + " >/dev/null"),
        0);
}

}  // namespace
}  // namespace zorv::test
