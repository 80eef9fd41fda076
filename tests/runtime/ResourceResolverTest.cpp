#include "runtime/ResourceResolver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/AppUrl.h"
#include "TestArchive.h"

namespace zorv {
namespace {

using test::TScratchDir;

class ResourceResolverTest : public testing::Test {
protected:
    void SetUp() override {
        if (!test::ZipToolAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
        zip.LoadFromMemory(test::ZipWithTool({{"app/index.html", "<p>archive</p>"},
                                              {"app/My Page.html", "spaced"},
                                              {"app/caf\xC3\xA9.html", "accent"},
                                              {"app/caf%C3%A9.html", "literal"},
                                              {"app/data/x.json", "{\"a\":1}"},
                                              {"zorv.ini", "[App]\n"}}));
        exeDir.Write("index.html", "<p>disk</p>");
        exeDir.Write("only-on-disk.css", "body{}");
    }
    TResource Get(const std::string& rest) const {
        return TResourceResolver(&zip, "app", exeDir.Str()).FindUrl(std::string(TAppUrl::Prefix()) + rest);
    }

    TAbZipKit zip;
    TScratchDir exeDir;
};

TEST_F(ResourceResolverTest, ArchiveEntryWinsOverTheExecutableFolder) {
    const TResource r = Get("index.html");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.bytes, "<p>archive</p>");
    EXPECT_EQ(r.ContentTypeHeader(), "text/html; charset=utf-8");
}

TEST_F(ResourceResolverTest, EntryNamesIgnoreLetterCaseAndEscapes) {
    EXPECT_EQ(Get("INDEX.HTML").bytes, "<p>archive</p>");
    EXPECT_EQ(Get("My%20Page.html").bytes, "spaced");
    EXPECT_EQ(Get("caf%C3%A9.html").bytes, "accent");
    EXPECT_EQ(Get("index.html?v=2").bytes, "<p>archive</p>");
}

TEST_F(ResourceResolverTest, FallsBackToTheExecutableFolderThenTheAbsolutePath) {
    const TResource css = Get("only-on-disk.css");
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.bytes, "body{}");
    EXPECT_EQ(css.mimeType, "text/css");

    TScratchDir elsewhere;
    elsewhere.Write("pic.txt", "absolute");
#ifdef _WIN32
    const std::string absolute = elsewhere.Str() + "pic.txt";
#else
    const std::string absolute = (elsewhere.Path() / "pic.txt").string().substr(1);
#endif
    EXPECT_EQ(Get(absolute).bytes, "absolute");
}

TEST_F(ResourceResolverTest, MissingFileIsNotFound) {
    const TResource r = Get("nothing.html");
    EXPECT_EQ(r.status, 404);
    EXPECT_TRUE(r.bytes.empty());
    EXPECT_EQ(TResourceResolver(&zip, "app", exeDir.Str()).FindUrl("https://example.com/index.html").status, 404);
}

TEST_F(ResourceResolverTest, FileLargerThanTheServingLimitIsAnErrorNotReadIntoMemory) {
    exeDir.Write("huge.bin", "");
    std::filesystem::resize_file(exeDir.Path() / "huge.bin", TResourceResolver::MaxServedFileSize + 1);  // sparse
    const TResource r = Get("huge.bin");
    EXPECT_EQ(r.status, 500);
    EXPECT_THAT(r.bytes, ::testing::HasSubstr("File too large to serve"));
}

TEST_F(ResourceResolverTest, FolderIsNotServedAsAFile) {
    exeDir.Write("sub/inner.txt", "x");
    EXPECT_EQ(Get("sub").status, 404);
}

TEST(ResourceResolverDamageTest, EntryThatCannotBeDecryptedIsAnErrorNotAnEmptySuccess) {
    if (!test::ZipToolAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
    TAbZipKit zip;
    zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
    zip.LoadFromMemory(test::ZipWithTool({{"app/index.html", "secret page"}}, "another password"));
    TScratchDir exeDir;
    const TResource r = TResourceResolver(&zip, "app", exeDir.Str()).Find("index.html");
    EXPECT_EQ(r.status, 500);
    EXPECT_NE(r.bytes, "secret page");
}

TEST(ResourceResolverNoArchiveTest, WithoutArchiveOrFolderNameOnlyDiskIsAsked) {
    if (!test::ZipToolAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
    TScratchDir exeDir;
    exeDir.Write("index.html", "disk");
    EXPECT_EQ(TResourceResolver(nullptr, "app", exeDir.Str()).Find("index.html").bytes, "disk");
    TAbZipKit zip;
    zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
    zip.LoadFromMemory(test::ZipWithTool({{"index.html", "root entry"}}));
    EXPECT_EQ(TResourceResolver(&zip, "", exeDir.Str()).Find("index.html").bytes, "disk");
}

}  // namespace
}  // namespace zorv
