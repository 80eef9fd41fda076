#include <gtest/gtest.h>

#include "BridgeTestSupport.h"
#include "shared/PosixCommand.h"

namespace zorv::test {
namespace {

TEST(PosixCommand, MergesOutputAndErrorsInOrder) {
    EXPECT_EQ(TPosixCommand::Run("echo a; echo b >&2; echo c", ""), "a\nb\nc\n");
}

TEST(PosixCommand, RunsInTheWorkingFolder) {
    TTempFolder folder;
    WriteFileBytes(folder.Path() / "marker.txt", "");
    EXPECT_EQ(TPosixCommand::Run("ls", folder.Path().string()), "marker.txt\n");
}

TEST(PosixCommand, NoOutputWhenTheFolderDoesNotExist) {
    EXPECT_EQ(TPosixCommand::Run("echo x", "/no/such/zorv/folder"), "");
    TTempFolder folder;
    WriteFileBytes(folder.Path() / "file", "");
    EXPECT_EQ(TPosixCommand::Run("echo x", (folder.Path() / "file").string()), "");
}

TEST(PosixCommand, OutputOfABackgroundChildIsReadUntilItEnds) {
    // The pipe ends only when everyone holding it has ended.
    EXPECT_EQ(TPosixCommand::Run("(sleep 0.2; echo late) & echo early", ""), "early\nlate\n");
}

TEST(PosixCommand, BinaryOutputComesThroughUnchanged) {
    EXPECT_EQ(TPosixCommand::Run("printf 'a\\000b\\377'", ""), std::string("a\0b\xFF", 4));
}

}  // namespace
}  // namespace zorv::test
