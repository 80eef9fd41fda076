#include "runtime/FolderPackage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/ResourceResolver.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

std::string Read(const IAppPackage& package, std::string_view name, TAbExtractStatus expected = TAbExtractStatus::Ok) {
    std::string bytes;
    EXPECT_EQ(package.TryExtract(name, bytes), expected) << name;
    return bytes;
}

// Only what lies inside the project is served, as only that would be packed.
TEST(FolderPackage, NamesLeavingTheProjectFindNothing) {
    TScratchFolder scratch;
    scratch.Write("outside.txt", "secret");
    scratch.Write("project/zorv.ini", "[App]\n");
    scratch.Write("project/app/index.html", "<p>hi</p>");
    std::filesystem::create_directories(scratch / "project/app/sub");
    std::error_code noLinks;  // links may not be made everywhere (Wine)
    std::filesystem::create_symlink(scratch / "outside.txt", scratch / "project/app/link.txt", noLinks);
    if (!noLinks)
        std::filesystem::create_symlink(scratch / "project/app/index.html", scratch / "project/app/inside.html",
                                        noLinks);
    const TFolderPackage package(scratch / "project");

    EXPECT_EQ(Read(package, "app/index.html"), "<p>hi</p>");
    if (!noLinks) {
        EXPECT_EQ(Read(package, "app/inside.html"), "<p>hi</p>");
    }
    ASSERT_TRUE(package.Find("app/index.html"));
    EXPECT_EQ(package.Find("app/index.html")->size, 9u);
    for (const char* name : {"../outside.txt", "app/../../outside.txt", "app/link.txt", "app/./index.html", "",
                             "/etc/passwd", "app\\index.html", "app/sub", "app/missing.html", "app//index.html"}) {
        EXPECT_FALSE(package.Find(name)) << name;
        EXPECT_EQ(Read(package, name, TAbExtractStatus::NotFound), "") << name;
    }
}

// A page that works once packaged works from the folder: names ignore ASCII case, as archive
// names do.
TEST(FolderPackage, NamesIgnoreAsciiCaseAsInTheArchive) {
    TScratchFolder project;
    project.Write("app/Images/Logo.PNG", "logo");
    project.Write("app/\xC3\x89t\xC3\xA9.txt", "accented");
    const TFolderPackage package(project.Path());
    const struct {
        const char* name;
        const char* bytes;  // null: nothing found
    } cases[] = {
        {"app/Images/Logo.PNG", "logo"},     {"app/images/logo.png", "logo"},
        {"APP/IMAGES/LOGO.png", "logo"},     {"app/\xC3\x89t\xC3\xA9.txt", "accented"},
        {"app/images/missing.png", nullptr}, {"app/images/logo.png/more", nullptr},
    };
    for (const auto& c : cases) {
        if (c.bytes)
            EXPECT_EQ(Read(package, c.name), c.bytes) << c.name;
        else
            EXPECT_FALSE(package.Find(c.name)) << c.name;
    }
}

// Where the file system tells names apart by case, the exact spelling wins, then the first in
// name order; letters beyond ASCII keep their case, as in archive names.
TEST(FolderPackage, ExactSpellingWinsOverOtherCases) {
    TScratchFolder project;
    project.Write("app/page.html", "lower");
    project.Write("app/Page.html", "upper");
    project.Write("app/\xC3\x89t\xC3\xA9.txt", "accented");
    const TFolderPackage package(project.Path());
    if (Read(package, "app/page.html") != "lower") GTEST_SKIP() << "this file system ignores case";
    EXPECT_EQ(Read(package, "app/Page.html"), "upper");
    EXPECT_EQ(Read(package, "app/PAGE.html"), "upper");
    EXPECT_FALSE(package.Find("app/\xC3\xA9t\xC3\xA9.txt"));
}

// Every read sees the file as it is now; parts are read from where they start.
TEST(FolderPackage, ReadsFilesAsTheyAreNowAndPartsOfThem) {
    TScratchFolder project;
    project.Write("app/page.html", "version 1");
    const TFolderPackage package(project.Path());
    EXPECT_EQ(Read(package, "app/page.html"), "version 1");
    project.Write("app/page.html", "version 2, longer");
    EXPECT_EQ(Read(package, "app/page.html"), "version 2, longer");
    std::string part;
    EXPECT_EQ(package.TryExtractRange("app/page.html", 8, 3,
                                      [&part](const char* data, std::size_t size) {
                                          part.append(data, size);
                                          return true;
                                      }),
              TAbExtractStatus::Ok);
    EXPECT_EQ(part, "2, ");
    EXPECT_EQ(package.TryExtractTo("app/page.html", [](const char*, std::size_t) { return false; }),
              TAbExtractStatus::SinkFailed);
}

// Pages served from the folder are the application's own, as archive entries are; files beside
// it are disk fallbacks.
TEST(FolderPackage, ResolverAnswersFromTheFolderAsFromTheArchive) {
    TScratchFolder project;
    project.Write("app/index.html", "<p>app</p>");
    project.Write("notes.txt", "beside");
    const TFolderPackage package(project.Path());
    const TResourceResolver resolver(&package, "app", project.Text());
    const TResource page = resolver.Find("index.html");
    EXPECT_EQ(page.source, TResourceSource::Archive);
    EXPECT_EQ(page.bytes, "<p>app</p>");
    EXPECT_EQ(resolver.Find("index.html", std::nullopt, "bytes=3-5").bytes, "app");
    const TResource beside = resolver.Find("notes.txt");
    EXPECT_EQ(beside.source, TResourceSource::Disk);
    EXPECT_EQ(beside.bytes, "beside");
    const std::pair<std::string, std::string> sandbox("Content-Security-Policy", "sandbox");
    EXPECT_THAT(page.Headers(), ::testing::Not(::testing::Contains(sandbox)));
    EXPECT_THAT(beside.Headers(), ::testing::Contains(sandbox));
}

// A large file of the folder is streamed from the disk as the consumer reads it, and stays the
// application's own.
TEST(FolderPackage, LargeFilesAreStreamedAndStayTheApplications) {
    TScratchFolder project;
    std::string large(TResourceResolver::StreamedEntryMinSize * 2, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
    project.Write("app/Clip.webm", large);
    const TFolderPackage package(project.Path());
    TResourceResolver resolver(&package, "app", project.Text());
    resolver.SetStreamLargeFiles(true);
    TResource r = resolver.Find("clip.webm", std::nullopt, "bytes=100-");
    EXPECT_EQ(r.source, TResourceSource::Archive);
    EXPECT_EQ(r.status, 206);
    ASSERT_NE(r.fileStream, nullptr);
    EXPECT_EQ(r.BodyLength(), large.size() - 100);
    std::string body(large.size(), '\0');
    std::size_t got = 0;
    for (;;) {
        const TResult<std::size_t> read = r.fileStream->Read(body.data() + got, body.size() - got);
        ASSERT_TRUE(read) << read.Error();
        if (read.Value() == 0) break;
        got += read.Value();
    }
    body.resize(got);
    EXPECT_TRUE(body == large.substr(100));
    EXPECT_THAT(
        r.Headers(),
        ::testing::Not(::testing::Contains(std::pair<std::string, std::string>("Content-Security-Policy", "sandbox"))));
}

}  // namespace
}  // namespace zorv::test
