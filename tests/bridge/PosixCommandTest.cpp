#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "BridgeTestSupport.h"
#include "shared/PosixCommand.h"

namespace zorv::test {
namespace {

TEST(PosixCommand, MergesOutputAndErrorsInOrder) {
    EXPECT_EQ(TPosixCommand::Run("echo a; echo b >&2; echo c", ""), "a\nb\nc\n");
}

TEST(PosixCommand, RunsInTheWorkingFolder) {
    TScratchFolder folder;
    WriteFileBytes(folder.Path() / "marker.txt", "");
    EXPECT_EQ(TPosixCommand::Run("ls", folder.Path().string()), "marker.txt\n");
}

TEST(PosixCommand, NoOutputWhenTheFolderDoesNotExist) {
    EXPECT_EQ(TPosixCommand::Run("echo x", "/no/such/zorv/folder"), "");
    TScratchFolder folder;
    WriteFileBytes(folder.Path() / "file", "");
    EXPECT_EQ(TPosixCommand::Run("echo x", (folder.Path() / "file").string()), "");
}

// A child left running in the background (a started server) holds the pipe open; the command
// has ended once its shell has, with the output written until then. The child waits for a file
// that is made only after Run returns, and then keeps writing into the pipe.
TEST(PosixCommand, EndsWithTheShellNotWithItsBackgroundChildren) {
    TScratchFolder folder;
    const std::string flag = (folder.Path() / "flag").string();
    const std::string done = (folder.Path() / "done").string();
    const std::string command = "(i=0; while [ ! -e '" + flag +
                                "' ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done; "
                                "echo late; echo later >&2; touch '" +
                                done + "') & echo started; echo also >&2";
    EXPECT_EQ(TPosixCommand::Run(command, ""), "started\nalso\n");
    // The child goes on: it can still write, and is not ended by a broken pipe.
    WriteFileBytes(flag, "");
    for (int i = 0; i < 400 && !std::filesystem::exists(done); ++i) usleep(10000);
    EXPECT_TRUE(std::filesystem::exists(done));
}

TEST(PosixCommand, OutputWrittenJustBeforeTheShellEndsIsKept) {
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(TPosixCommand::Run("sleep 0.01 & head -c 200000 /dev/zero | tr '\\0' x", "").size(), 200000u);
    }
}

// Output beyond the limit ends the command and everything it started, and comes back cut one
// byte past the limit, so that the caller can tell.
TEST(PosixCommand, EndlessOutputEndsTheCommandAtTheLimit) {
    TScratchFolder folder;
    const std::string marker = (folder.Path() / "still-running").string();
    const std::string background = "(while true; do touch '" + marker + "'; sleep 0.05; done) & yes";
    for (const std::string& command : {std::string("yes"), std::string("yes | cat"), background}) {
        const std::string output = TPosixCommand::Run(command, "", 1 << 20);
        EXPECT_EQ(output.size(), (1u << 20) + 1) << command;
        EXPECT_EQ(output.substr(0, 4), "y\ny\n") << command;
    }
    // Nothing the command started goes on once it was ended.
    std::filesystem::remove(marker);
    usleep(300000);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_FALSE(CommandOutputWasCut(std::string(MaxCommandOutputBytes, 'x')));
    EXPECT_TRUE(CommandOutputWasCut(std::string(MaxCommandOutputBytes + 1, 'x')));
}

TEST(PosixCommand, BinaryOutputComesThroughUnchanged) {
    EXPECT_EQ(TPosixCommand::Run("printf 'a\\000b\\377'", ""), std::string("a\0b\xFF", 4));
}

}  // namespace
}  // namespace zorv::test
