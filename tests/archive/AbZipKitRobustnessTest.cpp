// The reader on every truncation and every single-byte change of small archives: it either
// fails cleanly or extracts the right bytes; it never crashes, hangs or passes on bad data.
// Run under AddressSanitizer and UBSan as well.
#include <gtest/gtest.h>

#include <map>

#include "support/ArchiveBuilder.h"
#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

const TEntryList Entries = {{"zorv.ini", "[App]\nID=x\nName=y\nDirName=app\n"},
                            {"app/", ""},
                            {"app/index.html", "<html><body>hello</body></html>"},
                            {"app/été.txt", "summer"},
                            {"app/empty.txt", ""}};

// Opens `bytes` and extracts every entry; counts how each variant ended.
struct TSweep {
    std::map<std::string, std::string> expected;
    int opened = 0, rejected = 0, extracted = 0;

    void Check(std::string bytes, const std::string& password) {
        TAbZipKit kit;
        kit.SetPassword(password);
        try {
            kit.LoadFromMemory(std::move(bytes));
        } catch (const EAbException&) {
            ++rejected;
            return;
        }
        ++opened;
        for (int i = 0; i < kit.Count(); ++i) {
            const std::string name = kit.Item(i).fileName;
            std::string out = "x";
            const TAbExtractStatus status = kit.TryExtract(name, out);
            kit.ExtractToStream(name, out);
            if (status != TAbExtractStatus::Ok) {
                EXPECT_EQ(out.substr(0, 1), "x");
                continue;
            }
            ++extracted;
            const auto original = expected.find(name);
            if (original != expected.end() && kit.FindFile(name) == i) {
                EXPECT_EQ(out, "x" + original->second + original->second) << name;
            }
        }
    }

    void RunShell(const std::string& archive, const std::string& password) {
        for (std::size_t length = 0; length < archive.size(); ++length) Check(archive.substr(0, length), password);
        for (std::size_t at = 0; at < archive.size(); ++at) {
            for (unsigned char flip : {0x01, 0x80, 0xFF}) {
                std::string damaged = archive;
                damaged[at] = static_cast<char>(damaged[at] ^ flip);
                Check(std::move(damaged), password);
            }
        }
    }
};

TEST(ReaderRobustness, PackagedArchiveTruncatedAndFlippedEverywhere) {
    TSweep sweep;
    for (const auto& [name, bytes] : Entries) sweep.expected[name] = bytes;
    const std::string archive = BuildArchive(Entries);
    sweep.RunShell(archive, ZORV_ARCHIVE_PASSWORD);
    EXPECT_GT(sweep.opened, 0);
    EXPECT_GT(sweep.rejected, 0);
    EXPECT_GT(sweep.extracted, 0);
}

TEST(ReaderRobustness, DeflatedArchiveTruncatedAndFlippedEverywhere) {
    if (!HasTool("zip")) GTEST_SKIP() << "zip is not installed";
    TScratchFolder dir;
    TSweep sweep;
    std::string page;
    for (int i = 0; i < 40; ++i) page += "<p>paragraph " + std::to_string(i) + "</p>\n";
    sweep.expected = {{"index.html", page}, {"note.txt", "short note"}};
    for (const auto& [name, bytes] : sweep.expected) WriteFile(dir / ("src/" + name), bytes);
    ASSERT_EQ(RunShell("cd " + Quote(dir / "src") + " && zip -q -P pw ../d.zip index.html note.txt"), 0);
    sweep.RunShell(ReadFile(dir / "d.zip"), "pw");
    EXPECT_GT(sweep.extracted, 0);
}

}  // namespace
}  // namespace zorv::test
