// Files a page writes (files.writeTextFile, base64.decodeToFile, files.extractFile) replace an
// existing file only once the new content is complete: every way a write can fail half-way
// leaves the old file as it was and nothing else beside it.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include <nlohmann/json.hpp>
#include <sys/resource.h>
#include <sys/stat.h>

#include "archive/AbZipKit.h"
#include "backends/test/TestBridgeHost.h"
#include "support/ArchiveBuilder.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* OldContent = "the old content, which must survive";

class TScratch {
public:
    TScratch() : FPath(fs::temp_directory_path() / ("zorv-hardening-" + std::to_string(std::random_device()()))) {
        fs::create_directories(FPath);
    }
    ~TScratch() {
        std::error_code ignored;
        fs::remove_all(FPath, ignored);
    }
    const fs::path& Path() const { return FPath; }

private:
    fs::path FPath;
};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) names.insert(entry.path().string());
    return names;
}

// An archive as packaged files carry it, with "app/big.bin" (64 KiB) and "app/damaged.txt", whose
// stored bytes are altered after writing so that its CRC no longer matches.
std::string ArchiveBytes() {
    std::string bytes =
        BuildArchive({{"app/big.bin", std::string(64 * 1024, 'b')}, {"app/damaged.txt", "DAMAGED-ENTRY-CONTENT"}});
    EXPECT_FALSE(bytes.empty());
    if (bytes.empty()) return bytes;
    // Past the 12-byte encryption header, into the data.
    bytes[DataOffset(bytes, 1) + 12 + 3] ^= 0x5A;
    return bytes;
}

class FailedWrite : public ::testing::Test {
protected:
    FailedWrite() : host(Context()) {
        archive.SetPassword(ZORV_ARCHIVE_PASSWORD);
        archive.LoadFromMemory(ArchiveBytes());
        host.UseArchive(archive);
        host.settings.dirName = "app";
    }

    TBridgeContext Context() const {
        TBridgeContext context;
        context.exePath = (scratch.Path() / "app").string();
        context.appDir = scratch.Path().string() + "/";
        context.commandLine = {context.exePath};
        return context;
    }

    // Calls a writing function on `target` and gives its reply as JSON; `content` is what it is
    // asked to write (text, Base64 text or the source entry).
    nlohmann::json Write(const std::string& id, const fs::path& target, const std::string& content) {
        nlohmann::json data;
        if (id == "30004") {
            data = {{"sourceFile", content}, {"targetFile", target.string()}};
        } else {
            data = {{"filePath", target.string()}, {"contents", content}};
        }
        const std::string reply = host.Reply(id, data.dump());
        if (reply.empty()) return nullptr;
        return nlohmann::json::parse(reply);
    }

    void ExpectOldFileIntact(const nlohmann::json& reply, const fs::path& target, const std::set<std::string>& before) {
        ASSERT_TRUE(reply.is_object()) << "no reply";
        EXPECT_FALSE(reply["success"].get<bool>()) << reply.dump();
        EXPECT_TRUE(reply["result"].is_string() && !reply["result"].get<std::string>().empty()) << reply.dump();
        EXPECT_EQ(ReadBytes(target), OldContent);
        EXPECT_EQ(Listing(scratch.Path()), before) << "a partial or temporary file was left behind";
    }

    TScratch scratch;
    TAbZipKit archive;
    TTestBridgeHost host;
};

// What each writing function is asked to write when its write must fail, and what makes its own
// input bad.
struct TWriter {
    const char* name;
    const char* id;
    std::string bigContent;  // 64 KiB once written
};

const TWriter Writers[] = {
    {"writeTextFile", "30003", std::string(64 * 1024, 't')},
    {"decodeToFile", "90001", std::string(64 * 1024 / 3 * 4, 'A')},
    {"extractFile", "30004", "/big.bin"},
};

// A name as long as the folder allows: the temporary file beside it has a short name of its own,
// so the write succeeds and leaves nothing else behind.
TEST_F(FailedWrite, NameAsLongAsTheFolderAllowsIsWrittenWithNothingLeftBehind) {
    const fs::path target = scratch.Path() / std::string(250, 'n');
    for (const TWriter& writer : Writers) {
        WriteBytes(target, OldContent);
        const auto before = Listing(scratch.Path());
        SCOPED_TRACE(writer.name);
        const nlohmann::json reply = Write(writer.id, target, writer.bigContent);
        ASSERT_TRUE(reply.is_object()) << "no reply";
        EXPECT_TRUE(reply["success"].get<bool>()) << reply.dump();
        EXPECT_NE(ReadBytes(target), OldContent);
        EXPECT_EQ(Listing(scratch.Path()), before);
    }
}

TEST_F(FailedWrite, FileSystemThatRefusesTheSizeLeavesTheOldFile) {
    // A file-size limit fails the write the way a full disk does, without needing a small volume.
    const fs::path target = scratch.Path() / "document.txt";
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (const TWriter& writer : Writers) {
        WriteBytes(target, OldContent);
        const auto before = Listing(scratch.Path());
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const nlohmann::json reply = Write(writer.id, target, writer.bigContent);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
        SCOPED_TRACE(writer.name);
        ExpectOldFileIntact(reply, target, before);
    }
    std::signal(SIGXFSZ, previousHandler);
}

TEST_F(FailedWrite, FolderInTheTargetsPlaceIsLeftAsItWas) {
    // The new file is complete, but it cannot take the place of a folder: the folder keeps its
    // files and the new file is removed again.
    const fs::path target = scratch.Path() / "occupied";
    fs::create_directories(target);
    WriteBytes(target / "inside.txt", OldContent);
    const auto before = Listing(scratch.Path());
    for (const TWriter& writer : Writers) {
        const nlohmann::json reply =
            Write(writer.id, target, std::string(writer.id) == "30004" ? "/big.bin" : "c2hvcnQ=");
        SCOPED_TRACE(writer.name);
        ASSERT_TRUE(reply.is_object());
        EXPECT_FALSE(reply["success"].get<bool>()) << reply.dump();
        EXPECT_EQ(ReadBytes(target / "inside.txt"), OldContent);
        EXPECT_EQ(Listing(scratch.Path()), before);
    }
}

TEST_F(FailedWrite, BadInputLeavesTheOldFile) {
    const fs::path target = scratch.Path() / "picture.png";
    const std::pair<const char*, std::string> cases[] = {
        {"90001", "data:image/png;base64,iVBORw0KGgo="},  // a data-URL prefix is not Base64
        {"90001", "iVBO Rw0K"},                           // nor is white space
        {"90001", "iVBORw0KG"},                           // one character too many
        {"30004", "/damaged.txt"},                        // the entry's CRC does not match
    };
    for (const auto& [id, content] : cases) {
        WriteBytes(target, OldContent);
        const auto before = Listing(scratch.Path());
        SCOPED_TRACE(content);
        ExpectOldFileIntact(Write(id, target, content), target, before);
    }
}

TEST_F(FailedWrite, ReplacedFileKeepsItsPermissions) {
    const fs::path target = scratch.Path() / "private.txt";
    WriteBytes(target, OldContent);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    const nlohmann::json reply = Write("30003", target, "new");
    ASSERT_TRUE(reply.is_object());
    EXPECT_TRUE(reply["success"].get<bool>()) << reply.dump();
    EXPECT_EQ(ReadBytes(target), "\xEF\xBB\xBFnew\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FailedWrite, WritingThroughALinkUpdatesTheFileItNames) {
    // A page that writes to a link (a settings file linked from elsewhere, say) changes the file
    // behind it, as an ordinary write would, also when that file does not exist yet; the link
    // stays a link.
    fs::create_directories(scratch.Path() / "real");
    const fs::path real = scratch.Path() / "real" / "settings.txt";
    const fs::path link = scratch.Path() / "settings.txt";
    fs::create_symlink(real, link);
    for (const bool realExists : {true, false}) {
        for (const TWriter& writer : Writers) {
            fs::remove(real);
            if (realExists) WriteBytes(real, OldContent);
            const std::string content = std::string(writer.id) == "30004" ? "/big.bin" : "YWJj";
            const nlohmann::json reply = Write(writer.id, link, content);
            SCOPED_TRACE(std::string(writer.name) + (realExists ? ", existing file" : ", dangling link"));
            ASSERT_TRUE(reply.is_object());
            EXPECT_TRUE(reply["success"].get<bool>()) << reply.dump();
            EXPECT_TRUE(fs::is_symlink(link));
            EXPECT_TRUE(fs::exists(real) && ReadBytes(real) != OldContent) << "the linked file was not written";
            EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path() / "real"), fs::directory_iterator()), 1)
                << "a temporary file was left behind";
        }
    }
}

}  // namespace
}  // namespace zorv::test
