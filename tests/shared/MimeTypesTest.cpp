#include "shared/MimeTypes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "shared/StrUtils.h"

namespace zorv::test {
namespace {

struct TLookupCase {
    const char* fileName;
    const char* expected;
};

class MimeBuiltIn : public testing::TestWithParam<TLookupCase> {};

TEST_P(MimeBuiltIn, LooksUpByExtension) {
    EXPECT_EQ(TMimeTypeTable().Lookup(GetParam().fileName), GetParam().expected) << GetParam().fileName;
}

INSTANTIATE_TEST_SUITE_P(
    Names, MimeBuiltIn,
    testing::Values(
        TLookupCase{"index.html", "text/html"}, TLookupCase{"old.htm", "text/html"},
        TLookupCase{"css/site.css", "text/css"}, TLookupCase{"js/app.js", "text/javascript"},
        TLookupCase{"feed.xml", "text/xml"}, TLookupCase{"read.txt", "text/plain"},
        TLookupCase{"logo.png", "image/x-png"}, TLookupCase{"a.jpg", "image/jpeg"}, TLookupCase{"a.jpeg", "image/jpeg"},
        TLookupCase{"a.gif", "image/gif"}, TLookupCase{"icon.svg", "image/svg+xml"},
        TLookupCase{"favicon.ico", "image/x-icon"}, TLookupCase{"a.webp", "image/webp"},
        TLookupCase{"song.mp3", "audio/x-mpg"}, TLookupCase{"a.wav", "audio/x-wav"},
        TLookupCase{"clip.mp4", "video/mpeg"}, TLookupCase{"clip.webm", "video/webm"},
        TLookupCase{"a.ogg", "application/ogg"}, TLookupCase{"doc.pdf", "application/pdf"},
        TLookupCase{"a.zip", "application/x-zip-compressed"},
        // Letter case of the name does not matter.
        TLookupCase{"LOGO.PNG", "image/x-png"}, TLookupCase{"Index.HTML", "text/html"},
        // The extension is what follows the last "." unless "\" or ":" comes after it.
        TLookupCase{"archive.tar.gz", "application/x-gzip"}, TLookupCase{"dir.v2/readme", "application/octet-stream"},
        TLookupCase{"dir.css\\file", "application/octet-stream"}, TLookupCase{"C:\\web.site\\page.html", "text/html"},
        TLookupCase{"a.css:stream", "application/octet-stream"},
        TLookupCase{"index.html?v=2", "application/octet-stream"}, TLookupCase{"README", "application/octet-stream"},
        TLookupCase{"", "application/octet-stream"}, TLookupCase{"trailing.", "application/octet-stream"},
        TLookupCase{"unknown.qqq", "application/octet-stream"},
        // Types a page needs that the general list lacks.
        TLookupCase{"module.mjs", "text/javascript"}, TLookupCase{"lib.wasm", "application/wasm"},
        TLookupCase{"data.json", "application/json"}, TLookupCase{"font.woff2", "font/woff2"},
        TLookupCase{"font.woff", "font/woff"}, TLookupCase{"font.ttf", "font/ttf"}));

TEST(MimeBuiltInList, HasItsLinesWithFirstOfEachDuplicateCounting) {
    const auto& lines = TMimeTypeTable::BuiltInLines();
    EXPECT_EQ(lines.size(), 384u);
    std::set<std::string> seen;
    std::set<std::string> duplicates;
    for (const auto& line : lines) {
        EXPECT_EQ(line.extension.front(), '.');
        EXPECT_NE(line.type.find('/'), std::string::npos) << line.extension;
        if (!seen.insert(line.extension).second) duplicates.insert(line.extension);
    }
    EXPECT_EQ(seen.size(), 372u);
    EXPECT_EQ(duplicates, (std::set<std::string>{".asf", ".asx", ".cpt", ".m3u", ".mp2", ".mp3", ".rdf", ".rm", ".rss",
                                                 ".wbmp", ".xbm", ".xml"}));
    const TMimeTypeTable table;
    EXPECT_EQ(table.Lookup("a.mp3"), "audio/x-mpg");
    EXPECT_EQ(table.Lookup("a.xml"), "text/xml");
    for (const auto& line : TMimeTypeTable::WebEssentialLines()) {
        EXPECT_EQ(seen.count(line.extension), 0u) << line.extension << " would hide a built-in line";
    }
}

TEST(MimePlatformMappings, WinOverBuiltInAndLaterOverEarlier) {
    const TMimeTypeTable table({
        {".png", "image/png"},
        {"MP3", "Audio/MPEG"},  // no dot, upper case
        {".rdf", "application/x-first"},
        {".rdf", "application/rdf"},  // later wins
        {".wasm", ""},                // skipped: empty type
        {"", "text/plain"},           // skipped: empty extension
        {".", "text/plain"},
        {".new", "application/x-new"},
    });
    EXPECT_EQ(table.Lookup("a.png"), "image/png");
    EXPECT_EQ(table.Lookup("a.mp3"), "audio/mpeg");
    EXPECT_EQ(table.Lookup("a.rdf"), "application/rdf");
    EXPECT_EQ(table.Lookup("a.wasm"), "application/wasm");
    EXPECT_EQ(table.Lookup("a.NEW"), "application/x-new");
    EXPECT_EQ(table.Lookup("noextension"), "application/octet-stream");
    EXPECT_EQ(table.Lookup("a.css"), "text/css");
}

// Machines whose registry says text/plain for .js are common; a module script served so is
// refused by the browser. The types a page's own code depends on stay the built-in ones.
TEST(MimePlatformMappings, NeverChangeTheTypesOfAPagesOwnCode) {
    const std::vector<TMimeMapping> registry = {
        {".js", "text/plain"},           {".mjs", "text/plain"},    {".css", "text/plain"},
        {".html", "text/plain"},         {".htm", "text/plain"},    {".json", "text/plain"},
        {".wasm", "application/x-wasm"}, {".svg", "image/svg-xml"}, {".png", "image/png"},
    };
    const TMimeTypeTable table(registry);
    const TLookupCase kept[] = {
        {"a.js", "text/javascript"},    {"a.mjs", "text/javascript"}, {"a.css", "text/css"},
        {"a.html", "text/html"},        {"a.htm", "text/html"},       {"a.json", "application/json"},
        {"a.wasm", "application/wasm"}, {"a.svg", "image/svg+xml"},   {"a.PNG", "image/png"}};
    for (const TLookupCase& c : kept) EXPECT_EQ(table.Lookup(c.fileName), c.expected) << c.fileName;
}

TEST(MimeTypesFile, ParsesTypesWithTheirExtensions) {
    const auto mappings = TMimeTypeTable::ParseMimeTypesFile(
        "# comment line\n"
        "text/html\t\t\t\thtml htm   # trailing comment\n"
        "application/x-empty\n"
        "\n"
        "  image/png png\r\n");
    EXPECT_EQ(mappings, (std::vector<TMimeMapping>{{"html", "text/html"}, {"htm", "text/html"}, {"png", "image/png"}}));
}

TEST(MimeTypesFile, RealSystemTableOverridesBuiltInTypes) {
    const std::string path = "/etc/mime.types";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    const auto mappings = TMimeTypes::ReadMimeTypesFile(path);
    ASSERT_GT(mappings.size(), 100u);
    const TMimeTypeTable table(mappings);
    EXPECT_EQ(table.Lookup("a.png"), "image/png");
    EXPECT_EQ(table.Lookup("a.html"), "text/html");
    EXPECT_EQ(table.Lookup("a.json"), "application/json");
}

TEST(MimeTypesFile, MissingFileGivesNoMappings) {
    EXPECT_TRUE(TMimeTypes::ReadMimeTypesFile("/nonexistent/mime.types").empty());
}

TEST(ProcessMimeTable, InstalledPlatformMappingsReachGetFileMimeType) {
    EXPECT_EQ(TStrUtils::GetFileMIMEType("x.png"), "image/x-png");
    TMimeTypes::InstallPlatformMappings({{".png", "image/png"}});
    EXPECT_EQ(TStrUtils::GetFileMIMEType("x.png"), "image/png");
    TMimeTypes::InstallPlatformMappings({});
    EXPECT_EQ(TStrUtils::GetFileMIMEType("x.png"), "image/x-png");
}

}  // namespace
}  // namespace zorv::test
