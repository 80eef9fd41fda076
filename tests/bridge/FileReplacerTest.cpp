// Whole-file writes on Linux against real files: what is replaced keeps its owner and mode; what
// cannot be replaced without losing something (a FIFO, a file with several names) is written
// where it is.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bridge/FileReplacer.h"
#include "shared/PosixUniqueFd.h"

namespace zorv::test {
namespace {

class FileReplacerTest : public testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("zorv-replacer-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    std::filesystem::path dir;
};

TEST_F(FileReplacerTest, AReplacedFileKeepsItsOwnerAndMode) {
    const std::string target = Path("owned.txt");
    Put(target, "old");
    ::chmod(target.c_str(), 0640);
    const bool canChown = ::geteuid() == 0 && ::chown(target.c_str(), 1234, 4321) == 0;
    ASSERT_EQ(TFileReplacer::Write(target, "new").Error(), "");
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    if (canChown) {
        EXPECT_EQ(after.st_uid, 1234u);
        EXPECT_EQ(after.st_gid, 4321u);
    }
}

TEST_F(FileReplacerTest, AFileWithSeveralNamesIsWrittenWhereItIsSoEveryNameSeesTheContent) {
    const std::string target = Path("first.txt");
    const std::string other = Path("second.txt");
    Put(target, "old content");
    ASSERT_EQ(::link(target.c_str(), other.c_str()), 0);
    ASSERT_EQ(TFileReplacer::Write(target, "new").Error(), "");
    EXPECT_EQ(Read(other), "new");
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_nlink, 2u);
}

TEST_F(FileReplacerTest, AFifoIsWrittenIntoAndStaysAFifo) {
    const std::string fifo = Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TUniqueFd reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));  // a reader that does not wait for a writer
    ASSERT_TRUE(reader.Valid());
    EXPECT_EQ(TFileReplacer::Write(fifo, "through the pipe").Error(), "");
    char received[64] = {};
    const ssize_t length = ::read(reader.Get(), received, sizeof(received));
    reader.Reset();
    EXPECT_EQ(std::string(received, length > 0 ? static_cast<std::size_t>(length) : 0), "through the pipe");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(FileReplacerTest, AFifoWithoutAReaderIsAnErrorNotAWait) {
    const std::string fifo = Path("lonely");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const TStatus written = TFileReplacer::Write(fifo, "nobody listens");
    ASSERT_FALSE(written);
    EXPECT_EQ(written.Error().rfind("Cannot create file \"" + fifo + "\". ", 0), 0u) << written.Error();
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
}  // namespace zorv::test
