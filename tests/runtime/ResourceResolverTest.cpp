#include "runtime/ResourceResolver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "archive/AppPackage.h"

#include <filesystem>
#include <map>
#include <random>

#include "runtime/AppUrl.h"
#include "runtime/FolderPackage.h"
#include "shared/Utf8Path.h"
#include "support/ArchiveBuilder.h"
#include "support/InfoZipArchive.h"

namespace zorv::test {
namespace {

// How a request of the URL space names an absolute file: by its drive on Windows, from the root
// without its first "/" elsewhere ("zorv://app/home/me/pic.png").
std::string RequestPathOf(const std::filesystem::path& file) {
#ifdef _WIN32
    return file.string();
#else
    return file.string().substr(1);
#endif
}

class ResourceResolverTest : public testing::Test {
protected:
    void SetUp() override {
        if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
        zip.LoadFromMemory(ZipWithInfoZip({{"app/index.html", "<p>archive</p>"},
                                           {"app/My Page.html", "spaced"},
                                           {"app/caf\xC3\xA9.html", "accent"},
                                           {"app/caf%C3%A9.html", "literal"},
                                           {"app/data/x.json", "{\"a\":1}"},
                                           {"zorv.ini", "[App]\n"}},
                                          ZORV_ARCHIVE_PASSWORD));
        exeDir.Write("index.html", "<p>disk</p>");
        exeDir.Write("only-on-disk.css", "body{}");
    }
    TResource Get(const std::string& rest) const {
        return TResourceResolver(&package, "app", exeDir.Text()).FindUrl(std::string(TAppUrl::Prefix()) + rest);
    }

    TAbZipKit zip;

    TArchivePackage package{zip};
    TScratchFolder exeDir;
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

    TScratchFolder elsewhere;
    elsewhere.Write("pic.txt", "absolute");
#ifdef _WIN32
    const std::string absolute = elsewhere.Text() + "pic.txt";
#else
    const std::string absolute = (elsewhere.Path() / "pic.txt").string().substr(1);
#endif
    EXPECT_EQ(Get(absolute).bytes, "absolute");
}

// Shown as a document, an answer from the disk gets an opaque origin and runs no script, whatever
// it holds; what the archive answers is the application and is sent as it is.
TEST_F(ResourceResolverTest, OnlyAnswersFromTheDiskAreSandboxed) {
    const auto sandboxed = [](const TResource& r) {
        return ::testing::Matches(::testing::Contains(
            std::pair<std::string, std::string>("Content-Security-Policy", "sandbox")))(r.Headers());
    };
    exeDir.Write("saved.svg", "<svg xmlns='http://www.w3.org/2000/svg'><script>top.zorv</script></svg>");
    exeDir.Write("large.html", std::string(TResourceResolver::StreamedEntryMinSize + 1, ' '));
    TResourceResolver resolver(&package, "app", exeDir.Text());
    resolver.SetStreamLargeFiles(true);
    for (const std::string& rest : {std::string("only-on-disk.css"), std::string("saved.svg"),
                                    std::string("large.html"), RequestPathOf(exeDir / "saved.svg")}) {
        const TResource r = resolver.FindUrl(std::string(TAppUrl::Prefix()) + rest);
        EXPECT_EQ(r.source, TResourceSource::Disk) << rest;
        EXPECT_TRUE(sandboxed(r)) << rest;
    }
    std::filesystem::permissions(exeDir / "saved.svg", std::filesystem::perms::none);
    const TResource unreadable = resolver.Find("saved.svg");
    if (unreadable.status == 500) {  // not as root, who reads it anyway
        EXPECT_TRUE(sandboxed(unreadable));
    }
    for (const std::string rest : {"index.html", "data/x.json"}) {
        const TResource r = resolver.FindUrl(std::string(TAppUrl::Prefix()) + rest);
        EXPECT_EQ(r.source, TResourceSource::Archive) << rest;
        EXPECT_FALSE(sandboxed(r)) << rest;
    }
}

TEST_F(ResourceResolverTest, MissingFileIsNotFound) {
    const TResource r = Get("nothing.html");
    EXPECT_EQ(r.status, 404);
    EXPECT_TRUE(r.bytes.empty());
    EXPECT_EQ(TResourceResolver(&package, "app", exeDir.Text()).FindUrl("https://example.com/index.html").status, 404);
}

TEST_F(ResourceResolverTest, FileLargerThanTheServingLimitIsAnErrorNotReadIntoMemory) {
    exeDir.Write("huge.bin", "");
    std::filesystem::resize_file(exeDir.Path() / "huge.bin", TResourceResolver::MaxServedFileSize + 1);  // sparse
    const TResource r = Get("huge.bin");
    EXPECT_EQ(r.status, 500);
    EXPECT_THAT(r.bytes, ::testing::HasSubstr("File too large to serve"));
}

// The bare root is the start page, as a web server's root is; without a start page it is nothing,
// never an empty success.
TEST_F(ResourceResolverTest, BareRootIsTheStartPage) {
    TResourceResolver resolver(&package, "app", exeDir.Text());
    EXPECT_EQ(resolver.FindUrl(std::string(TAppUrl::Prefix())).status, 404);
    resolver.SetIndexPage("My Page.html?from=root");
    for (const std::string rest : {"", "?x=1", "#top"}) {
        const TResource r = resolver.FindUrl(std::string(TAppUrl::Prefix()) + rest);
        EXPECT_EQ(r.status, 200) << rest;
        EXPECT_EQ(r.bytes, "spaced") << rest;
        EXPECT_EQ(r.mimeType, "text/html") << rest;
        EXPECT_EQ(resolver.LocateUrl(std::string(TAppUrl::Prefix()) + rest), TResourceSource::Archive);
    }
}

TEST_F(ResourceResolverTest, FolderIsNotServedAsAFile) {
    exeDir.Write("sub/inner.txt", "x");
    EXPECT_EQ(Get("sub").status, 404);
}

TEST(ResourceResolverDamageTest, EntryThatCannotBeDecryptedIsAnErrorNotAnEmptySuccess) {
    if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
    TAbZipKit zip;
    TArchivePackage package{zip};
    zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
    zip.LoadFromMemory(ZipWithInfoZip({{"app/index.html", "secret page"}}, "another password"));
    TScratchFolder exeDir;
    const TResource r = TResourceResolver(&package, "app", exeDir.Text()).Find("index.html");
    EXPECT_EQ(r.status, 500);
    EXPECT_NE(r.bytes, "secret page");
}

TEST(ResourceResolverNoArchiveTest, WithoutArchiveOrFolderNameOnlyDiskIsAsked) {
    if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
    TScratchFolder exeDir;
    exeDir.Write("index.html", "disk");
    EXPECT_EQ(TResourceResolver(nullptr, "app", exeDir.Text()).Find("index.html").bytes, "disk");
    TAbZipKit zip;
    TArchivePackage package{zip};
    zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
    zip.LoadFromMemory(ZipWithInfoZip({{"index.html", "root entry"}}, ZORV_ARCHIVE_PASSWORD));
    EXPECT_EQ(TResourceResolver(&package, "", exeDir.Text()).Find("index.html").bytes, "disk");
}

struct TRangeCase {
    const char* header;  // nullptr: no Range header
    uint64_t size;
    TByteRange::TKind kind;
    uint64_t first;
    uint64_t length;
    const char* contentRange;
};

// With a bound for open-ended ranges, only "bytes=N-" is answered in a shorter part.
TEST(ByteRangeDecision, BoundsOnlyAnOpenEndedRange) {
    const TRangeCase cases[] = {
        {"bytes=0-", 100, TByteRange::TKind::Part, 0, 10, "bytes 0-9/100"},
        {"bytes=95-", 100, TByteRange::TKind::Part, 95, 5, "bytes 95-99/100"},
        {" Bytes = 7 - ", 100, TByteRange::TKind::Part, 7, 10, "bytes 7-16/100"},
        {"bytes=0-50", 100, TByteRange::TKind::Part, 0, 51, "bytes 0-50/100"},
        {"bytes=-30", 100, TByteRange::TKind::Part, 70, 30, "bytes 70-99/100"},
        {"bytes=100-", 100, TByteRange::TKind::Unsatisfiable, 0, 0, "bytes */100"},
        {"bytes=0-,5-", 100, TByteRange::TKind::Whole, 0, 100, ""},
        {nullptr, 100, TByteRange::TKind::Whole, 0, 100, ""},
    };
    for (const TRangeCase& c : cases) {
        SCOPED_TRACE(c.header ? c.header : "(none)");
        const TByteRange range =
            TByteRange::Decide(c.header ? std::optional<std::string_view>(c.header) : std::nullopt, c.size, 10);
        EXPECT_EQ(range.kind, c.kind);
        EXPECT_EQ(range.first, c.first);
        EXPECT_EQ(range.length, c.length);
        EXPECT_EQ(range.ContentRange(), c.contentRange);
    }
}

class ByteRangeDecision : public ::testing::TestWithParam<TRangeCase> {};

TEST_P(ByteRangeDecision, AnswersOneRangeInPartAndEverythingElseWholeOrUnsatisfiable) {
    const TRangeCase& c = GetParam();
    const TByteRange range =
        TByteRange::Decide(c.header ? std::optional<std::string_view>(c.header) : std::nullopt, c.size);
    EXPECT_EQ(range.kind, c.kind);
    EXPECT_EQ(range.first, c.first);
    EXPECT_EQ(range.length, c.length);
    EXPECT_EQ(range.ContentRange(), c.contentRange);
}

using K = TByteRange::TKind;
INSTANTIATE_TEST_SUITE_P(
    Headers, ByteRangeDecision,
    ::testing::Values(
        TRangeCase{nullptr, 100, K::Whole, 0, 100, ""}, TRangeCase{"bytes=0-9", 100, K::Part, 0, 10, "bytes 0-9/100"},
        TRangeCase{"bytes=90-", 100, K::Part, 90, 10, "bytes 90-99/100"},
        TRangeCase{"bytes=-10", 100, K::Part, 90, 10, "bytes 90-99/100"},
        TRangeCase{"bytes=-500", 100, K::Part, 0, 100, "bytes 0-99/100"},
        TRangeCase{"bytes=0-", 100, K::Part, 0, 100, "bytes 0-99/100"},
        TRangeCase{"bytes=50-5000", 100, K::Part, 50, 50, "bytes 50-99/100"},
        TRangeCase{"bytes=99-99", 100, K::Part, 99, 1, "bytes 99-99/100"},
        TRangeCase{"Bytes = 5 - 6 ", 100, K::Part, 5, 2, "bytes 5-6/100"},
        TRangeCase{"bytes=0-99999999999999999999999", 100, K::Part, 0, 100, "bytes 0-99/100"},
        TRangeCase{"bytes=100-", 100, K::Unsatisfiable, 0, 0, "bytes */100"},
        TRangeCase{"bytes=100-200", 100, K::Unsatisfiable, 0, 0, "bytes */100"},
        TRangeCase{"bytes=99999999999999999999999-", 100, K::Unsatisfiable, 0, 0, "bytes */100"},
        TRangeCase{"bytes=-0", 100, K::Unsatisfiable, 0, 0, "bytes */100"},
        TRangeCase{"bytes=0-9", 0, K::Whole, 0, 0, ""}, TRangeCase{"bytes=9-0", 100, K::Whole, 0, 100, ""},
        TRangeCase{"bytes=0-1,5-6", 100, K::Whole, 0, 100, ""}, TRangeCase{"items=0-9", 100, K::Whole, 0, 100, ""},
        TRangeCase{"bytes=a-9", 100, K::Whole, 0, 100, ""}, TRangeCase{"bytes=-", 100, K::Whole, 0, 100, ""},
        TRangeCase{"bytes 0-9", 100, K::Whole, 0, 100, ""}, TRangeCase{"bytes=+1-9", 100, K::Whole, 0, 100, ""}));

// Ranges of a deflated archive entry made by the zip tool and of a file on disk.
class ResourceResolverRangeTest : public testing::Test {
protected:
    void SetUp() override {
        if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        for (int i = 0; body.size() < 300000; ++i) body += std::to_string(i * 2654435761u % 1000003) + ",";
        zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
        zip.LoadFromMemory(ZipWithInfoZip({{"app/clip.webm", body}}, ZORV_ARCHIVE_PASSWORD));
        exeDir.Write("disk.webm", body);
    }
    TResource Get(const std::string& rest, std::optional<std::string_view> range) const {
        return TResourceResolver(&package, "app", exeDir.Text()).FindUrl(std::string(TAppUrl::Prefix()) + rest, range);
    }

    std::string body;
    TAbZipKit zip;
    TArchivePackage package{zip};
    TScratchFolder exeDir;
};

TEST_F(ResourceResolverRangeTest, PartsOfEntriesAndFilesAreAnsweredWithTheirHeaders) {
    const std::string size = std::to_string(body.size());
    for (const char* name : {"clip.webm", "disk.webm"}) {
        const TResource whole = Get(name, std::nullopt);
        EXPECT_EQ(whole.status, 200) << name;
        EXPECT_TRUE(whole.bytes == body) << name;
        EXPECT_THAT(whole.Headers(),
                    ::testing::Contains(std::pair<std::string, std::string>("Accept-Ranges", "bytes")));

        const TResource head = Get(name, "bytes=0-9");
        EXPECT_EQ(head.status, 206) << name;
        EXPECT_EQ(head.reason, "Partial Content");
        EXPECT_EQ(head.bytes, body.substr(0, 10)) << name;
        std::vector<std::pair<std::string, std::string>> headers{{"Content-Type", "video/webm; charset=utf-8"},
                                                                 {"Accept-Ranges", "bytes"},
                                                                 {"Content-Range", "bytes 0-9/" + size}};
        if (head.source == TResourceSource::Disk) headers.emplace_back("Content-Security-Policy", "sandbox");
        EXPECT_EQ(head.Headers(), headers) << name;

        EXPECT_EQ(Get(name, "bytes=-1024").bytes, body.substr(body.size() - 1024)) << name;
        EXPECT_EQ(Get(name, "bytes=150000-").bytes, body.substr(150000)) << name;
        const TResource all = Get(name, "bytes=0-");
        EXPECT_EQ(all.status, 206);
        EXPECT_TRUE(all.bytes == body) << name;

        const TResource beyond = Get(name, "bytes=" + size + "-");
        EXPECT_EQ(beyond.status, 416) << name;
        EXPECT_EQ(beyond.contentRange, "bytes */" + size);
        EXPECT_TRUE(beyond.bytes.empty());
    }
}

TEST_F(ResourceResolverRangeTest, ANotFoundAnswerOffersNoRanges) {
    const TResource missing = Get("missing.webm", "bytes=0-9");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.Headers().size(), 1u);
}

TEST(ResourceResolverStreamTest, LargeStoredEntriesAreStreamedAndSmallOnesAnsweredWhole) {
    std::string large(TResourceResolver::StreamedEntryMinSize + 4321, '\0');
    std::mt19937 random(5);
    for (char& c : large) c = static_cast<char>(random());
    TAbZipKit zip;
    TArchivePackage package{zip};
    zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
    zip.LoadFromMemory(BuildArchive({{"app/large.bin", large}, {"app/small.txt", "small"}}));
    TScratchFolder exeDir;
    TResourceResolver resolver(&package, "app", exeDir.Text());
    resolver.SetStreamLargeEntries(true);
    for (const auto& [range, expected] :
         {std::pair<const char*, std::string>{nullptr, large}, {"bytes=1000-", large.substr(1000)}}) {
        TResource r =
            resolver.Find("large.bin", std::nullopt, range ? std::optional<std::string_view>(range) : std::nullopt);
        ASSERT_NE(r.stream, nullptr);
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_EQ(r.BodyLength(), expected.size());
        std::string body(expected.size() + 1, '\0');
        std::size_t got = 0;
        TAbExtractStatus status = TAbExtractStatus::Ok;
        for (std::size_t n; (n = r.stream->Read(body.data() + got, body.size() - got, status)) > 0;) got += n;
        body.resize(got);
        EXPECT_EQ(status, TAbExtractStatus::Ok);
        EXPECT_TRUE(body == expected);
    }
    const TResource small = resolver.Find("small.txt");
    EXPECT_EQ(small.stream, nullptr);
    EXPECT_EQ(small.bytes, "small");
}

}  // namespace
}  // namespace zorv::test

namespace zorv::test {
namespace {

// A streamed body read to its end: its bytes, or the failure that ended it.
TResult<std::string> ReadToEnd(TFileReader& reader) {
    std::string body;
    char block[10000];
    for (;;) {
        const TResult<std::size_t> got = reader.Read(block, sizeof block);
        if (!got) return Failure(got.Error());
        if (got.Value() == 0) return body;
        body.append(block, got.Value());
    }
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

struct TStreamedRangeCase {
    const char* header;  // nullptr: no Range header
    int status;
    uint64_t first;
    uint64_t length;
};

// Large files on disk are streamed, as large entries are, with every Range form answered from
// the part alone; small files and small parts are answered whole, in one buffer.
TEST(ResourceResolverFileStreamTest, LargeFilesAreStreamedPartByPart) {
    const std::string large = RandomBytes(3 * TResourceResolver::StreamedEntryMinSize + 777, 7);
    const uint64_t size = large.size();
    TScratchFolder exeDir;
    exeDir.Write("large.bin", large);
    exeDir.Write("small.txt", "small");
    TResourceResolver resolver(nullptr, "app", exeDir.Text());
    resolver.SetStreamLargeFiles(true);
    const TStreamedRangeCase cases[] = {
        {nullptr, 200, 0, size},
        {"bytes=1000-", 206, 1000, size - 1000},
        {"bytes=-300000", 206, size - 300000, 300000},
        {"bytes=70000-400000", 206, 70000, 330001},
        {"bytes=10-19", 206, 10, 10},
        {"bytes=99999999-", 416, 0, 0},
    };
    for (const TStreamedRangeCase& c : cases) {
        const std::string what = c.header ? c.header : "whole";
        TResource r = resolver.Find("large.bin", std::nullopt,
                                    c.header ? std::optional<std::string_view>(c.header) : std::nullopt);
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_EQ(r.source, TResourceSource::Disk) << what;
        EXPECT_EQ(r.BodyLength(), c.length) << what;
        if (c.status == 416) {
            EXPECT_EQ(r.contentRange, "bytes */" + std::to_string(size));
            EXPECT_EQ(r.fileStream, nullptr);
            continue;
        }
        const std::string expected = large.substr(c.first, c.length);
        if (c.length < TResourceResolver::StreamedEntryMinSize) {
            EXPECT_EQ(r.fileStream, nullptr) << what;
            EXPECT_TRUE(r.bytes == expected) << what;
            continue;
        }
        ASSERT_NE(r.fileStream, nullptr) << what;
        EXPECT_TRUE(r.bytes.empty()) << what;
        const TResult<std::string> body = ReadToEnd(*r.fileStream);
        ASSERT_TRUE(body) << what << ": " << body.Error();
        EXPECT_TRUE(body.Value() == expected) << what;
    }
    const TResource small = resolver.Find("small.txt");
    EXPECT_EQ(small.fileStream, nullptr);
    EXPECT_EQ(small.bytes, "small");
}

// The length is promised before the body is read: a file cut short meanwhile ends the body in an
// error, never in fewer bytes passed off as the whole.
TEST(ResourceResolverFileStreamTest, AFileCutShortWhileReadEndsInAnError) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps a file that is being read from being written or cut";
#else
    const std::string large = RandomBytes(1024 * 1024, 9);
    TScratchFolder exeDir;
    exeDir.Write("large.bin", large);
    TResourceResolver resolver(nullptr, "app", exeDir.Text());
    resolver.SetStreamLargeFiles(true);
    for (const char* range : {static_cast<const char*>(nullptr), "bytes=300000-"}) {
        exeDir.Write("large.bin", large);
        TResource r =
            resolver.Find("large.bin", std::nullopt, range ? std::optional<std::string_view>(range) : std::nullopt);
        ASSERT_NE(r.fileStream, nullptr);
        char first[1000];
        ASSERT_TRUE(r.fileStream->Read(first, sizeof first));
        std::filesystem::resize_file(exeDir / "large.bin", 500000);
        const TResult<std::string> rest = ReadToEnd(*r.fileStream);
        EXPECT_FALSE(rest) << (range ? range : "whole");
        EXPECT_THAT(rest.Error(), ::testing::HasSubstr("changed or removed while it was read"));
    }
    // Cut short between the answer's decision and its first read: refused at once.
    EXPECT_FALSE(TFileReader::Open(PathToUtf8(exeDir / "large.bin"), 400000, 200000));
#endif
}

// The media server's answers: the archive's entries and the files of the application's own folder,
// nothing else of the disk, however the path reaches it.
TEST(ResourceResolverDiskScopeTest, FilesOutsideTheFolderAreNotAnswered) {
    TScratchFolder scratch;
    scratch.Write("project/app/index.html", "<p>app</p>");
    scratch.Write("project/media/clip.webm", "clip");
    scratch.Write("outside.txt", "secret");
    std::error_code noLinks;  // links may not be made everywhere (Wine)
    std::filesystem::create_symlink(scratch / "outside.txt", scratch / "project/media/link.txt", noLinks);
    const TFolderPackage package(scratch / "project");
    const std::string project = PathToUtf8(scratch / "project");
    TResourceResolver resolver(&package, "app", project + "/");
    resolver.RestrictDiskFilesTo(project);
    EXPECT_EQ(resolver.Find("index.html").source, TResourceSource::Archive);
    EXPECT_EQ(resolver.Find("media/clip.webm").bytes, "clip");
    EXPECT_EQ(resolver.Find(RequestPathOf(scratch / "project/media/clip.webm")).bytes, "clip");
    for (const std::string& path : {RequestPathOf(scratch / "outside.txt"), std::string("../outside.txt"),
                                    std::string("media/link.txt"), RequestPathOf("/etc/hostname")}) {
        const TResource r = resolver.Find(path);
        EXPECT_EQ(r.status, 404) << path;
        EXPECT_EQ(r.source, TResourceSource::Nowhere) << path;
    }
    resolver.RestrictDiskFilesTo("");
    EXPECT_EQ(resolver.Find("media/clip.webm").status, 404);
    EXPECT_EQ(resolver.Find("index.html").bytes, "<p>app</p>");
}

}  // namespace
}  // namespace zorv::test
