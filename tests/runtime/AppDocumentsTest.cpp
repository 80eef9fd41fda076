#include "runtime/AppDocuments.h"

#include <gtest/gtest.h>

#include "archive/AppPackage.h"

#include <optional>
#include <string>

#include "runtime/AppUrl.h"
#include "support/InfoZipArchive.h"

namespace zorv::test {
namespace {

// Which documents act as the application: only what the archive answers, in the app URL space,
// with the application's own origin where the engine reports one.
class AppDocumentsTest : public testing::Test {
protected:
    void SetUp() override {
        if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        zip.SetPassword(ZORV_ARCHIVE_PASSWORD);
        zip.LoadFromMemory(
            ZipWithInfoZip({{"app/index.html", "app"}, {"app/My Page.html", "spaced"}}, ZORV_ARCHIVE_PASSWORD));
        exeDir.Write("beside.html", "next to the executable");
        elsewhere.Write("download.html", "saved by a browser");
    }
    std::string App(const std::string& rest) const { return std::string(TAppUrl::Prefix()) + rest; }
    std::string AbsoluteDownload() const {
        const std::string path = (elsewhere.Path() / "download.html").string();
        return path.starts_with('/') ? path.substr(1) : path;
    }

    TAbZipKit zip;

    TArchivePackage package{zip};
    TScratchFolder exeDir;
    TScratchFolder elsewhere;
};

TEST_F(AppDocumentsTest, OnlyArchivePagesInTheAppUrlSpaceAreAppDocuments) {
    const TAppDocuments documents(TResourceResolver(&package, "app", exeDir.Text()));
    const std::string appOrigin(TAppUrl::Origin());
    struct TCase {
        std::string url;
        std::optional<std::string> origin;
        bool expected;
    };
    const TCase cases[] = {
        {App("index.html"), std::nullopt, true},
        {App("INDEX.HTML?tab=2#top"), std::nullopt, true},
        {App("My%20Page.html"), std::nullopt, true},
        {App("index.html"), appOrigin, true},
        // Served from the disk fallbacks: content, not the application.
        {App("beside.html"), std::nullopt, false},
        {App(AbsoluteDownload()), std::nullopt, false},
        {App(AbsoluteDownload()), appOrigin, false},
        // Nothing there, or no path at all.
        {App("missing.html"), std::nullopt, false},
        {App(""), std::nullopt, false},
        // Outside the app URL space, whatever the path says.
        {"https://example.com/index.html", std::nullopt, false},
        {"http://127.0.0.1:8080/index.html", std::nullopt, false},
        {"zorv://app.example.com/index.html", std::nullopt, false},
        {"about:blank", std::nullopt, false},
        {"", std::nullopt, false},
        // A sandboxed frame has an opaque origin; a frame of another origin is not the app.
        {App("index.html"), "null", TAppUrl::Origin() == "null"},
        {App("index.html"), "http://127.0.0.1:8080", false},
        // Documents an application document makes in its own origin; where that origin is opaque
        // (file:), nothing tells them from another's.
        {"about:blank", appOrigin, appOrigin != "null"},
        {"about:srcdoc", appOrigin, appOrigin != "null"},
        {"about:blank", "http://127.0.0.1:8080", false},
        {"about:srcdoc", std::nullopt, false},
        {"blob:" + appOrigin + "/6a1c1f4e-0000-4000-8000-000000000000", appOrigin, appOrigin != "null"},
        {"blob:" + appOrigin + "/6a1c1f4e-0000-4000-8000-000000000000", std::nullopt, appOrigin != "null"},
        {"blob:http://127.0.0.1:8080/6a1c1f4e-0000-4000-8000-000000000000", std::nullopt, false},
        {"blob:" + appOrigin + ".evil.example/6a1c1f4e", std::nullopt, false},
        {"blob:" + appOrigin + "/6a1c1f4e", "http://127.0.0.1:8080", false},
    };
    for (const TCase& c : cases) {
        const std::optional<std::string_view> origin =
            c.origin ? std::optional<std::string_view>(*c.origin) : std::nullopt;
        EXPECT_EQ(documents.IsAppDocument(c.url, origin), c.expected) << c.url << " origin " << c.origin.value_or("-");
    }
}

TEST_F(AppDocumentsTest, WithoutAnArchiveNothingIsTheApplication) {
    const TAppDocuments documents(TResourceResolver(nullptr, "app", exeDir.Text()));
    EXPECT_FALSE(documents.IsAppDocument(App("index.html")));
    EXPECT_FALSE(documents.IsAppDocument(App("beside.html")));
}

}  // namespace
}  // namespace zorv::test
