// The version-resource and icon-file parsers on any host, against the bytes windres compiles for
// the resource-editing tests' target program. Damaged input must be refused, never read past.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>

#include "shared/ExeResources.h"
#include "shared/VersionResource.h"

namespace zorv::test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Dword(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

// The data of the first RT_VERSION resource in a compiled .res file.
std::string VersionBlockOf(const std::string& res) {
    for (size_t pos = 0; pos + 12 <= res.size();) {
        const uint32_t dataSize = Dword(res, pos), headerSize = Dword(res, pos + 4);
        const bool numericType =
            static_cast<unsigned char>(res[pos + 8]) == 0xFF && static_cast<unsigned char>(res[pos + 9]) == 0xFF;
        const unsigned type =
            static_cast<unsigned char>(res[pos + 10]) | (static_cast<unsigned char>(res[pos + 11]) << 8);
        if (numericType && type == 16) return res.substr(pos + headerSize, dataSize);
        pos = (pos + headerSize + dataSize + 3) & ~size_t{3};
    }
    return {};
}

class VersionResourceTest : public testing::Test {
protected:
    void SetUp() override {
        FBlock = VersionBlockOf(ReadFile(ZORV_TARGET_RES));
        ASSERT_FALSE(FBlock.empty());
    }
    std::string FBlock;
};

TEST_F(VersionResourceTest, ReadsAndRewritesTheCompilersBlockExactly) {
    const auto parsed = TVersionResource::Parse(FBlock);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Serialize(), FBlock);
    EXPECT_EQ(parsed->GetString(0x0409, 1200, "FileDescription"), "Old description");
    EXPECT_EQ(parsed->GetString(0x0409, 1200, "LegalTrademarks"), std::nullopt);
}

TEST_F(VersionResourceTest, ReplacedValuesMayGrowAndShrink) {
    auto resource = TVersionResource::Parse(FBlock);
    ASSERT_TRUE(resource);
    const std::string longer(300, 'x');
    EXPECT_TRUE(resource->ReplaceString("CompanyName", longer));
    EXPECT_TRUE(resource->ReplaceString("Comments", ""));
    EXPECT_TRUE(resource->ReplaceString("ProductName", "Caf\xc3\xa9 \xf0\x9f\x98\x80 %1"));
    EXPECT_FALSE(resource->ReplaceString("LegalTrademarks", "TM"));  // absent everywhere: stays absent

    const auto reread = TVersionResource::Parse(resource->Serialize());
    ASSERT_TRUE(reread);
    for (uint16_t language : {uint16_t{0x0409}, uint16_t{0x0407}}) {
        EXPECT_EQ(reread->GetString(language, 1200, "CompanyName"), longer);
        EXPECT_EQ(reread->GetString(language, 1200, "ProductName"), "Caf\xc3\xa9 \xf0\x9f\x98\x80 %1");
    }
    EXPECT_EQ(reread->GetString(0x0409, 1200, "Comments"), "");
    EXPECT_EQ(reread->GetString(0x0409, 1200, "FileVersion"), "1.2.3.4");
    EXPECT_EQ(reread->GetString(0x0407, 1200, "LegalTrademarks"), std::nullopt);
}

TEST_F(VersionResourceTest, ABlockTooLongForTheFormatIsNotWritten) {
    auto resource = TVersionResource::Parse(FBlock);
    ASSERT_TRUE(resource);
    ASSERT_TRUE(resource->ReplaceString("Comments", std::string(40000, 'x')));
    EXPECT_EQ(resource->Serialize(), "");
}

TEST_F(VersionResourceTest, TruncatedAndDamagedBlocksAreNeverReadPastTheirEnd) {
    for (size_t length = 0; length < FBlock.size(); ++length) {
        // A shorter copy on the heap, so that a read past its end is caught by the sanitizers.
        const std::string cut = FBlock.substr(0, length);
        (void)TVersionResource::Parse(cut);
    }
    std::mt19937 random(20221);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = FBlock;
        for (int flips = 0; flips < 3; ++flips) damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
        if (const auto parsed = TVersionResource::Parse(damaged)) {
            // Whatever was accepted serializes into a block that reads back.
            EXPECT_TRUE(TVersionResource::Parse(parsed->Serialize())) << "round " << round;
        }
    }
}

TEST(IconFile, ImagesAreTakenFromTheirDirectoryEntries) {
    const std::string ico = ReadFile(ZORV_THREE_IMAGE_ICO);
    const auto images = TExeResources::ParseIconFile(ico);
    ASSERT_EQ(images.size(), 3u);
    for (size_t i = 0; i < images.size(); ++i) {
        const size_t entry = 6 + 16 * i;
        EXPECT_EQ(images[i].directoryEntry, ico.substr(entry, 12));
        EXPECT_EQ(images[i].data, ico.substr(Dword(ico, entry + 12), Dword(ico, entry + 8)));
    }
}

TEST(IconFile, OffsetsNearTheTopOfTheRangeAreRefused) {
    std::string ico = ReadFile(ZORV_THREE_IMAGE_ICO);
    ico[6 + 12] = ico[6 + 13] = ico[6 + 14] = ico[6 + 15] = static_cast<char>(0xFF);  // offset 0xFFFFFFFF
    EXPECT_THROW(TExeResources::ParseIconFile(ico), EExeResourceError);
}

}  // namespace
}  // namespace zorv::test
