#include "shared/FileRegion.h"

#include <gtest/gtest.h>

#include "shared/Utf8Path.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    return bytes;
}

class FileRegionAccess : public testing::TestWithParam<TFileRegion::TAccess> {};

// Mapped or read, a region gives the bytes of where it is asked, and a read that would pass its
// end fails without touching anything.
TEST_P(FileRegionAccess, GivesTheBytesOfItsPartOfTheFile) {
    TScratchFolder scratch;
    const std::string bytes = Pattern(300000);
    scratch.Write("packaged.exe", bytes);
    constexpr uint64_t Start = 1000;
    TResult<std::unique_ptr<TFileRegion>> region =
        TFileRegion::Open(PathToUtf8(scratch / "packaged.exe"), Start, GetParam());
    ASSERT_TRUE(region) << region.Error();
    const TFileRegion& source = *region.Value();
    EXPECT_EQ(source.Size(), bytes.size() - Start);
    const struct {
        uint64_t at;
        std::size_t size;
        bool readable;
    } cases[] = {{0, 10, true},
                 {65530, 70000, true},
                 {bytes.size() - Start - 5, 5, true},
                 {0, 0, true},
                 {bytes.size() - Start - 5, 6, false},
                 {bytes.size(), 1, false}};
    for (const auto& c : cases) {
        std::string part(c.size, 'x');
        EXPECT_EQ(source.ReadAt(c.at, part.data(), part.size()), c.readable) << c.at << "+" << c.size;
        if (c.readable) {
            EXPECT_EQ(part, bytes.substr(Start + c.at, c.size)) << c.at;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ByLocationAndByReads, FileRegionAccess,
                         testing::Values(TFileRegion::TAccess::ByLocation, TFileRegion::TAccess::Reads));

TEST(FileRegion, AMissingFileIsAFailureThatNamesIt) {
    TScratchFolder scratch;
    TResult<std::unique_ptr<TFileRegion>> region = TFileRegion::Open(PathToUtf8(scratch / "gone.exe"), 0);
    ASSERT_FALSE(region);
    EXPECT_NE(region.Error().find("gone.exe"), std::string::npos) << region.Error();
}

}  // namespace
}  // namespace zorv::test
