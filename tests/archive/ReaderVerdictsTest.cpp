// The reader on the cases of ReaderVerdictCases.h: each archive lists and extracts what the case
// says, or is refused with the reader's error. With ZORV_VERDICT_DIR set, the archives and what
// the reader makes of them are written there too, for scripts/reader-verdicts.sh.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ArchiveTestSupport.h"
#include "ReaderVerdictCases.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

// One line per entry, "name<TAB>bytes" with both in hex, so that any byte survives the file.
std::string Hex(const std::string& bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void WriteForTheScript(const TVerdictCase& c, const std::string& archive) {
    const char* dir = std::getenv("ZORV_VERDICT_DIR");
    if (!dir) return;
    WriteFile(fs::path(dir) / (std::string(c.name) + ".zip"), archive);
    std::string expected = c.entries.empty() ? "refuse\n" : "read\n";
    for (const auto& [name, bytes] : c.entries) expected += Hex(name) + "\t" + Hex(bytes) + "\n";
    WriteFile(fs::path(dir) / (std::string(c.name) + ".expected"), expected);
}

class ReaderVerdicts : public ::testing::TestWithParam<TVerdictCase> {};

TEST_P(ReaderVerdicts, ReadsOrRefusesAsTheCaseSays) {
    const TVerdictCase& c = GetParam();
    const std::string archive = c.build();
    ASSERT_FALSE(archive.empty());
    WriteForTheScript(c, archive);
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    if (c.entries.empty()) {
        EXPECT_THROW(kit.LoadFromMemory(archive), EAbException) << c.others;
        EXPECT_FALSE(kit.IsOpen());
        return;
    }
    ASSERT_NO_THROW(kit.LoadFromMemory(archive)) << c.others;
    ASSERT_EQ(kit.Count(), static_cast<int>(c.entries.size()));
    for (int i = 0; i < kit.Count(); ++i) {
        const auto& [name, bytes] = c.entries[static_cast<std::size_t>(i)];
        EXPECT_EQ(kit.Item(i).fileName, name);
        std::string out;
        EXPECT_EQ(kit.TryExtract(name, out), TAbExtractStatus::Ok) << name;
        EXPECT_EQ(out, bytes) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderVerdicts, ::testing::ValuesIn(VerdictCases()),
                         [](const ::testing::TestParamInfo<TVerdictCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
}  // namespace zorv::test
