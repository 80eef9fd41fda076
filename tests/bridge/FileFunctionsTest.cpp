// zorv.files.*, zorv.folders.* and zorv.base64.decodeToFile on real files and folders, and
// extractFile on archives written by Info-ZIP's zip.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <unistd.h>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

std::string JsonText(const std::string& text) { return nlohmann::json(text).dump(); }

nlohmann::json ParsedReply(const std::string& reply) { return nlohmann::json::parse(reply); }

class FileFunctions : public ::testing::Test {
protected:
    FileFunctions() : host(ContextIn(folder)) {}
    std::string Data(const std::string& members) { return "{" + members + "}"; }
    fs::path At(const std::string& relative) const { return folder.Path() / relative; }

    TScratchFolder folder;
    TTestBridgeHost host;
};

TEST_F(FileFunctions, MissingArgumentsAreRejectedByName) {
    const std::pair<const char*, const char*> cases[] = {
        {"30001", "\"Missing filePath\""}, {"30002", "\"Missing filePath\""}, {"30003", "\"Missing filePath\""},
        {"40001", "\"Missing dirPath\""},  {"40002", "\"Missing dirPath\""},  {"90001", "\"Missing filePath\""},
    };
    for (const auto& [id, error] : cases) {
        for (const char* data :
             {"{}", "{\"filePath\": \"\", \"dirPath\": \"\"}", "{\"filePath\": null, \"dirPath\": null}"}) {
            EXPECT_EQ(host.Reply(id, data), Failure(error)) << id << " " << data;
        }
    }
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST_F(FileFunctions, PathOfTheWrongTypeIsAnErrorReplyNamingTheMember) {
    for (const char* id : {"30001", "30002", "30003", "90001"}) {
        EXPECT_EQ(host.Reply(id, "{\"filePath\": [\"a\"], \"dirPath\": {\"a\": 1}}"),
                  Failure("\"Value 'filePath' must be a string, not an array\""))
            << id;
    }
    for (const char* id : {"40001", "40002"}) {
        EXPECT_EQ(host.Reply(id, "{\"filePath\": [\"a\"], \"dirPath\": {\"a\": 1}}"),
                  Failure("\"Value 'dirPath' must be a string, not an object\""))
            << id;
    }
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST_F(FileFunctions, ExistenceOfFilesAndFolders) {
    WriteFileBytes(At("data/a.txt"), "x");
    fs::create_symlink(At("data/a.txt"), At("link.txt"));
    fs::create_symlink(At("data/missing.txt"), At("dangling.txt"));
    struct TCase {
        const char* id;
        std::string path;
        const char* result;
    };
    const TCase cases[] = {
        {"30001", "data/a.txt", "true"},  {"30001", "data", "false"},
        {"30001", "data/b.txt", "false"}, {"30001", At("data/a.txt").string(), "true"},
        {"30001", "link.txt", "true"},    {"30001", "dangling.txt", "false"},
        {"40001", "data", "true"},        {"40001", "data/a.txt", "false"},
        {"40001", "nothing", "false"},    {"40001", folder.Text(), "true"},
        {"30001", "3", "false"},
    };
    for (const TCase& c : cases) {
        const char* member = c.id[0] == '3' ? "filePath" : "dirPath";
        EXPECT_EQ(host.Reply(c.id, "{\"" + std::string(member) + "\": " + JsonText(c.path) + "}"), Success(c.result))
            << c.id << " " << c.path;
    }
    WriteFileBytes(At("7"), "");
    EXPECT_EQ(host.Reply("30001", "{\"filePath\": 7}"), Success("true"));
}

TEST_F(FileFunctions, DeleteFileRemovesFilesOnly) {
    WriteFileBytes(At("a.txt"), "x");
    fs::create_directories(At("folder"));
    EXPECT_EQ(host.Reply("30002", "{\"filePath\": \"a.txt\"}"), Success("true"));
    EXPECT_FALSE(fs::exists(At("a.txt")));
    EXPECT_EQ(host.Reply("30002", "{\"filePath\": \"a.txt\"}"), Success("false"));
    EXPECT_EQ(host.Reply("30002", "{\"filePath\": \"folder\"}"), Success("false"));
    EXPECT_TRUE(fs::is_directory(At("folder")));
}

TEST_F(FileFunctions, DeleteDirRemovesTheWholeTree) {
    WriteFileBytes(At("tree/sub/deeper/f.txt"), "x");
    EXPECT_EQ(host.Reply("40002", "{\"dirPath\": \"tree\"}"), Success("true"));
    EXPECT_FALSE(fs::exists(At("tree")));
    EXPECT_EQ(host.Reply("40002", "{\"dirPath\": \"tree\"}"), Success("false"));
}

TEST_F(FileFunctions, WriteTextFileWritesUtf8WithMarkAndCrLf) {
    struct TCase {
        const char* contents;
        std::string bytes;
    };
    const TCase cases[] = {
        {"\"a\\nb\"",
         "\xEF\xBB\xBF"
         "a\r\nb\r\n"},
        {"\"a\\r\\nb\\r\\n\"",
         "\xEF\xBB\xBF"
         "a\r\nb\r\n"},
        {"\"a\\rb\\n\\n\"",
         "\xEF\xBB\xBF"
         "a\r\nb\r\n\r\n"},
        {"\"\"", "\xEF\xBB\xBF"},
        {"\"\\n\"", "\xEF\xBB\xBF\r\n"},
        {"\"caf\\u00e9\\u0000hidden\"", std::string("\xEF\xBB\xBF"
                                                    "caf\xC3\xA9\0hidden\r\n",
                                                    17)},
        {"\"\\u0000\\u0000\"", std::string("\xEF\xBB\xBF\0\0\r\n", 7)},
        // Text cut through a character by the page: the lone half is written as U+FFFD.
        {"\"A\\ud800B\\ud83d\\ude00\"",
         "\xEF\xBB\xBF"
         "A\xEF\xBF\xBD"
         "B\xF0\x9F\x98\x80\r\n"},
        {"12.50",
         "\xEF\xBB\xBF"
         "12.50\r\n"},
        {"null", "\xEF\xBB\xBF"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(host.Reply("30003", std::string("{\"filePath\": \"out.txt\", \"contents\": ") + c.contents + "}"),
                  Success("true"))
            << c.contents;
        EXPECT_EQ(ReadFileBytes(At("out.txt")), c.bytes) << c.contents;
    }
}

// The file system would end the path at the NUL and act on another file.
TEST_F(FileFunctions, PathsHoldingANulAreRefused) {
    WriteFileBytes(At("u4.txt"), "keep");
    const char* const cases[][2] = {
        {"30001", "filePath"}, {"30002", "filePath"}, {"30003", "filePath"},
        {"90001", "filePath"}, {"40001", "dirPath"},  {"40002", "dirPath"},
    };
    for (const auto& [id, member] : cases) {
        EXPECT_EQ(host.Reply(id, std::string("{\"") + member + "\": \"u4.txt\\u0000.evil\", \"contents\": \"x\"}"),
                  Failure("\"Value '" + std::string(member) + "' must not hold a NUL character\""))
            << id;
    }
    EXPECT_EQ(ReadFileBytes(At("u4.txt")), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

// The temporary file beside the target has a short name of its own, so names up to the file
// system's limit can be written.
TEST_F(FileFunctions, NamesAsLongAsTheFileSystemAllowsCanBeWritten) {
    for (const std::size_t length : {242u, 243u, 250u, 255u}) {
        const std::string name(length, 'n');
        EXPECT_EQ(host.Reply("30003", "{\"filePath\": \"long/" + name + "\", \"contents\": \"x\"}"), Success("true"))
            << length;
        EXPECT_EQ(ReadFileBytes(At("long/" + name)), "\xEF\xBB\xBFx\r\n") << length;
        EXPECT_EQ(host.Reply("90001", "{\"filePath\": \"long/" + name + "\", \"contents\": \"YWJj\"}"), Success("true"))
            << length;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(At("long")), fs::directory_iterator()), 4);
}

// A path that names a folder is refused before any folder on the way is made.
TEST_F(FileFunctions, WritingToAFolderPathLeavesNothingBehind) {
    for (const char* id : {"30003", "90001"}) {
        for (const char* path : {"new/folder/", "new/folder/.", "new/folder/.."}) {
            const nlohmann::json reply =
                ParsedReply(host.Reply(id, std::string("{\"filePath\": \"") + path + "\", \"contents\": \"YWJj\"}"));
            EXPECT_EQ(reply["success"], false) << id << " " << path;
            EXPECT_NE(reply["result"].get<std::string>().find("names a folder"), std::string::npos) << path;
        }
    }
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

TEST_F(FileFunctions, WriteTextFileCreatesMissingFoldersAndLeavesNoTemporaryFile) {
    EXPECT_EQ(host.Reply("30003", "{\"filePath\": \"new/deeper/out.txt\", \"contents\": \"x\"}"), Success("true"));
    EXPECT_EQ(ReadFileBytes(At("new/deeper/out.txt")), "\xEF\xBB\xBFx\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(At("new/deeper")), fs::directory_iterator()), 1);
}

TEST_F(FileFunctions, ReplacingAFileKeepsItsPermissions) {
    WriteFileBytes(At("private.txt"), "old");
    fs::permissions(At("private.txt"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(host.Reply("30003", "{\"filePath\": \"private.txt\", \"contents\": \"new\"}"), Success("true"));
    EXPECT_EQ(fs::status(At("private.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileFunctions, FailedWritesAreReportedAndLeaveTheOldFile) {
    WriteFileBytes(At("blocker"), "a file where a folder should be");
    const std::string reply = host.Reply("30003", "{\"filePath\": \"blocker/out.txt\", \"contents\": \"x\"}");
    const nlohmann::json parsed = ParsedReply(reply);
    EXPECT_EQ(parsed["success"], false);
    EXPECT_EQ(
        parsed["result"].get<std::string>().rfind("Cannot create file \"" + At("blocker/out.txt").string() + "\". ", 0),
        0u)
        << reply;

    // contents of the wrong type is a failed write too, and the existing file stays whole.
    WriteFileBytes(At("keep.txt"), "precious");
    const nlohmann::json wrongType =
        ParsedReply(host.Reply("30003", "{\"filePath\": \"keep.txt\", \"contents\": {\"a\": 1}}"));
    EXPECT_EQ(wrongType["success"], false);
    EXPECT_EQ(ReadFileBytes(At("keep.txt")), "precious");
    const nlohmann::json badBase64 =
        ParsedReply(host.Reply("90001", "{\"filePath\": \"keep.txt\", \"contents\": \"Y W J j\"}"));
    EXPECT_EQ(badBase64["success"], false);
    EXPECT_FALSE(badBase64["result"].get<std::string>().empty());
    EXPECT_EQ(ReadFileBytes(At("keep.txt")), "precious");
}

TEST_F(FileFunctions, WriteIntoAReadOnlyFolderFailsWithoutTouchingTheFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
    WriteFileBytes(At("ro/keep.txt"), "precious");
    fs::permissions(At("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ParsedReply(host.Reply("30003", "{\"filePath\": \"ro/keep.txt\", \"contents\": \"x\"}"))["success"],
              false);
    fs::permissions(At("ro"), fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(At("ro/keep.txt")), "precious");
}

TEST_F(FileFunctions, Base64DecodesToExactBytes) {
    const std::pair<const char*, std::string> cases[] = {
        {"YWJj", "abc"}, {"YWI=", "ab"}, {"YQ==", "a"}, {"", ""}, {"AP8A", std::string("\0\xFF\0", 3)},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(host.Reply("90001", std::string("{\"filePath\": \"bin/out.bin\", \"contents\": \"") + text + "\"}"),
                  Success("true"))
            << text;
        EXPECT_EQ(ReadFileBytes(At("bin/out.bin")), bytes) << text;
    }
}

TEST_F(FileFunctions, WellKnownFolders) {
    const nlohmann::json appDir = ParsedReply(host.Reply("40006"));
    EXPECT_EQ(appDir["result"], folder.Text());
    for (const char* id : {"40003", "40004", "40005", "40007"}) {
        const nlohmann::json reply = ParsedReply(host.Reply(id));
        EXPECT_EQ(reply["success"], true) << id;
        const std::string path = reply["result"];
        ASSERT_FALSE(path.empty()) << id;
        EXPECT_EQ(path.back(), '/') << id;
    }
    EXPECT_EQ(ParsedReply(host.Reply("40003"))["result"], host.os->GetTempDirPath());
}

TEST(FileFunctionsWindows, ExecutableFolderIsSentWithEveryBackslashDoubled) {
    TBridgeContext context;
    context.exePath = "C:\\Program Files\\Demo\\demo.exe";
    context.appDir = "C:\\Program Files\\Demo\\";
    context.pathStyle = TPathStyle::Windows;
    TTestBridgeHost host(context);
    EXPECT_EQ(host.Reply("40006"), Success("\"C:\\\\Program Files\\\\Demo\\\\\""));
}

class ExtractFile : public FileFunctions {
protected:
    void LoadArchive(const std::string& password) {
        const std::string bytes = ZipWithInfoZip(
            {{"app/index.html", "<html>packaged</html>"}, {"app/img/logo.png", std::string(5000, 'p')}}, password);
        ASSERT_FALSE(bytes.empty()) << "Info-ZIP zip is needed";
        archive.SetPassword(ZORV_ARCHIVE_PASSWORD);
        archive.LoadFromMemory(bytes);
        host.UseArchive(archive);
        host.settings.dirName = "app";
    }
    TAbZipKit archive;
};

TEST_F(ExtractFile, CopiesAPackagedFileOut) {
    LoadArchive(ZORV_ARCHIVE_PASSWORD);
    const std::string target = At("copy.png").string();
    EXPECT_EQ(host.Reply("30004", "{\"sourceFile\": \"/IMG/logo.png\", \"targetFile\": " + JsonText(target) + "}"),
              Success("true"));
    EXPECT_EQ(ReadFileBytes(target), std::string(5000, 'p'));
    WriteFileBytes(At("index.html"), "an older, longer file that gets replaced completely");
    EXPECT_EQ(host.Reply("30004", "{\"sourceFile\": \"/index.html\", \"targetFile\": " +
                                      JsonText(At("index.html").string()) + "}"),
              Success("true"));
    EXPECT_EQ(ReadFileBytes(At("index.html")), "<html>packaged</html>");
}

TEST_F(ExtractFile, Errors) {
    LoadArchive(ZORV_ARCHIVE_PASSWORD);
    const std::string target = JsonText(At("out.html").string());
    const std::pair<std::string, const char*> cases[] = {
        {"{\"targetFile\": " + target + "}", "\"Missing sourceFile\""},
        {"{\"sourceFile\": \"/index.html\"}", "\"Missing targetFile\""},
        {"{\"sourceFile\": \"\", \"targetFile\": \"\"}", "\"Missing sourceFile\""},
        {"{\"sourceFile\": \"index.html\", \"targetFile\": " + target + "}", "\"File not found\""},
        {"{\"sourceFile\": \"/nothing.html\", \"targetFile\": " + target + "}", "\"File not found\""},
    };
    for (const auto& [data, error] : cases) EXPECT_EQ(host.Reply("30004", data), Failure(error)) << data;
    EXPECT_FALSE(fs::exists(At("out.html")));

    const nlohmann::json noFolder = ParsedReply(host.Reply(
        "30004",
        "{\"sourceFile\": \"/index.html\", \"targetFile\": " + JsonText(At("no/such/out.html").string()) + "}"));
    EXPECT_EQ(noFolder["success"], false);
    EXPECT_EQ(noFolder["result"].get<std::string>().rfind("Cannot create file", 0), 0u);
}

TEST_F(ExtractFile, FailedExtractionIsAnErrorAndLeavesTheTargetAlone) {
    LoadArchive("not-the-fixed-password");
    WriteFileBytes(At("out.html"), "previous");
    const nlohmann::json reply = ParsedReply(host.Reply(
        "30004", "{\"sourceFile\": \"/index.html\", \"targetFile\": " + JsonText(At("out.html").string()) + "}"));
    EXPECT_EQ(reply["success"], false);
    EXPECT_FALSE(reply["result"].get<std::string>().empty());
    EXPECT_EQ(ReadFileBytes(At("out.html")), "previous");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace zorv::test
