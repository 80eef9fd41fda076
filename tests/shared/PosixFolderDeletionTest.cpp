// Deleting folders through descriptors, on real files: what goes, what stays, and the protected
// folders. Roots and home folders reached through other mounts, and folders swapped for links
// meanwhile, are covered where the GTK backend uses this (tests/gtk-services).
#include "shared/PosixFolderDeletion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

TFolderIdentity IdentityOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return {info.st_dev, info.st_ino};
}

std::set<std::string> Listing(const fs::path& root) {
    std::set<std::string> listing;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        listing.insert(fs::relative(entry.path(), root).string());
    return listing;
}

TEST(PosixFolderDeletion, RemovesEveryKindOfEntryAndNothingLinksPointTo) {
    TScratchFolder scratch;
    scratch.Write("outside/keep.txt", "keep");
    scratch.Write("tree/a/b/c/deep.bin", std::string(70000, '\0'));
    scratch.Write("tree/top.txt", "x");
    fs::create_directories(scratch / "tree/empty");
    fs::create_directory_symlink(scratch / "outside", scratch / "tree/a/to-folder");
    fs::create_symlink(scratch / "outside/keep.txt", scratch / "tree/to-file");
    fs::create_symlink(scratch / "nowhere", scratch / "tree/a/b/dangling");
    ASSERT_EQ(::mkfifo((scratch / "tree/a/pipe").c_str(), 0600), 0);

    EXPECT_TRUE(TPosixFolderDeletion::Delete((scratch / "tree").string(), {}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch / "tree")));
    EXPECT_EQ(scratch.Read("outside/keep.txt"), "keep");
}

// A protected folder met inside the tree is not entered: it stays with the folders that hold it,
// everything else goes, and the deletion fails.
TEST(PosixFolderDeletion, AProtectedFolderInsideStaysWithTheFoldersHoldingIt) {
    TScratchFolder scratch;
    scratch.Write("tree/first.txt", "x");
    scratch.Write("tree/users/ann/notes.txt", "keep");
    scratch.Write("tree/users/other.txt", "x");
    scratch.Write("tree/zz/last.txt", "x");
    const std::vector<TFolderIdentity> protectedFolders = {IdentityOf(scratch / "tree/users/ann")};

    const TStatus outcome = TPosixFolderDeletion::Delete((scratch / "tree").string(), protectedFolders);
    EXPECT_EQ(outcome.Error(), "Operation not permitted");
    EXPECT_EQ(Listing(scratch / "tree"), (std::set<std::string>{"users", "users/ann", "users/ann/notes.txt"}));
    EXPECT_EQ(TPosixFolderDeletion::Delete((scratch / "tree/users/ann").string(), protectedFolders).Error(),
              "Operation not permitted");
    EXPECT_EQ(scratch.Read("tree/users/ann/notes.txt"), "keep");
}

TEST(PosixFolderDeletion, TheProtectedFoldersAreTheRootTheHomeFolderAndTheFoldersHoldingIt) {
    TScratchFolder scratch;
    fs::create_directories(scratch / "users/ann");
    fs::create_directory_symlink(scratch / "users/ann", scratch / "home-link");
    std::set<std::pair<dev_t, ino_t>> expected;
    for (fs::path folder = scratch / "users/ann";; folder = folder.parent_path()) {
        const TFolderIdentity identity = IdentityOf(folder);
        expected.insert({identity.device, identity.inode});
        if (folder == folder.root_path()) break;
    }
    // A link to the home folder stands for the folder it names.
    for (const fs::path& home : {scratch / "users/ann", scratch / "home-link"}) {
        std::set<std::pair<dev_t, ino_t>> found;
        for (const TFolderIdentity& identity : TPosixFolderDeletion::ProtectedFolders(home.string()))
            found.insert({identity.device, identity.inode});
        EXPECT_EQ(found, expected) << home;
    }
    const TFolderIdentity root = IdentityOf("/");
    for (const std::string& home : {std::string(), std::string("users/ann"), (scratch / "missing").string()})
        EXPECT_EQ(TPosixFolderDeletion::ProtectedFolders(home), std::vector<TFolderIdentity>{root}) << home;
}

// Each open level holds a descriptor: a tree nested deeper than the limit is refused at the
// limit, not followed until the process runs out of descriptors or stack.
TEST(PosixFolderDeletion, NestingBeyondTheLimitFailsWithAMessage) {
    TScratchFolder scratch;
    fs::path deepest = scratch / "tree";
    for (int level = 0; level <= TPosixFolderDeletion::MaxDepth; ++level) deepest /= "d";
    fs::create_directories(deepest);
    const TStatus outcome = TPosixFolderDeletion::Delete((scratch / "tree").string(), {});
    EXPECT_EQ(outcome.Error(),
              "The folder nests deeper than " + std::to_string(TPosixFolderDeletion::MaxDepth) + " levels");
    EXPECT_TRUE(fs::exists(scratch / "tree"));
}

}  // namespace
}  // namespace zorv::test
