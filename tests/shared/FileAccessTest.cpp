#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "shared/FileSystem.h"
#include "shared/InputFile.h"
#include "shared/Utf8Path.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    return bytes;
}

// A whole read gives every byte up to the limit, and a file one byte past it is refused rather
// than cut; sizes around the 64 KiB chunk catch a chunk lost or read twice.
TEST(InputFile, ReadsWholeFilesUpToTheirLimit) {
    TScratchFolder scratch;
    const struct {
        std::size_t size;
        std::size_t limit;
        bool whole;
    } cases[] = {{0, 10, true},          {1, 1, true},           {65536, 65536, true},
                 {65537, 1 << 20, true}, {200000, 200000, true}, {200001, 200000, false},
                 {11, 10, false}};
    for (const auto& c : cases) {
        const std::string bytes = Pattern(c.size);
        scratch.Write("file.bin", bytes);
        TResult<std::string> read = ReadWholeFile(PathToUtf8(scratch / "file.bin"), c.limit);
        EXPECT_EQ(read.Ok(), c.whole) << c.size << " of at most " << c.limit << ": " << read.Error();
        if (read) {
            EXPECT_EQ(read.Value(), bytes) << c.size;
        }
    }
    TResult<std::string> missing = ReadWholeFile(PathToUtf8(scratch / "missing.bin"), 10);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.Error().find("missing.bin"), std::string::npos) << missing.Error();
}

// A part from an offset reads the bytes there; past the end, a read gives nothing.
TEST(InputFile, ReadsFromAnOffsetToTheEnd) {
    TScratchFolder scratch;
    const std::string bytes = Pattern(100000);
    scratch.Write("file.bin", bytes);
    TResult<std::unique_ptr<TInputFile>> file = TInputFile::Open(PathToUtf8(scratch / "file.bin"));
    ASSERT_TRUE(file) << file.Error();
    for (const uint64_t offset : {uint64_t{0}, uint64_t{70000}, uint64_t{99999}, uint64_t{100000}, uint64_t{150000}}) {
        ASSERT_TRUE(file.Value()->Seek(offset)) << offset;
        std::string rest;
        EXPECT_EQ(file.Value()->AppendRest(rest, 1 << 20), TInputFile::TEnd::Complete) << offset;
        EXPECT_EQ(rest, offset < bytes.size() ? bytes.substr(offset) : std::string()) << offset;
    }
}

// Kinds, sizes and removal as the runtime asks for them, with names outside ASCII.
TEST(FileSystem, TellsFilesFromFoldersAndChangesThem) {
    TScratchFolder scratch;
    scratch.Write("Ünïcode/page.html", "12345");
    const fs::path folder = scratch / "Ünïcode";
    const fs::path file = scratch / "Ünïcode/page.html";
    EXPECT_EQ(TFileSystem::KindOf(folder), TFileSystem::TKind::Folder);
    EXPECT_EQ(TFileSystem::KindOf(file), TFileSystem::TKind::File);
    EXPECT_EQ(TFileSystem::KindOf(scratch / "missing"), TFileSystem::TKind::Missing);
    EXPECT_EQ(TFileSystem::KindOf(scratch / "Ünïcode/page.html/below"), TFileSystem::TKind::Missing);
    EXPECT_EQ(TFileSystem::KindOf(fs::path()), TFileSystem::TKind::Missing);
    // A device name is never a file the runtime may read (on Windows it names the console).
    for (const char* device : {"CON", "nul.txt", "Com1"}) {
        EXPECT_NE(TFileSystem::KindOf(scratch / device), TFileSystem::TKind::File) << device;
    }
    EXPECT_EQ(TFileSystem::FileSize(file), std::optional<uint64_t>(5));
    EXPECT_EQ(TFileSystem::FileSize(folder), std::nullopt);
    EXPECT_EQ(TFileSystem::FileSize(scratch / "missing"), std::nullopt);

    const fs::path deep = scratch / "a/b/c";
    EXPECT_TRUE(TFileSystem::CreateFolders(deep));
    EXPECT_TRUE(TFileSystem::IsFolder(deep));
    EXPECT_TRUE(TFileSystem::CreateFolders(deep)) << "an existing folder is no failure";
    EXPECT_FALSE(TFileSystem::CreateFolders(file / "sub")) << "a file lies on the way";

    EXPECT_TRUE(TFileSystem::Remove(file));
    EXPECT_FALSE(TFileSystem::Exists(file));
    EXPECT_FALSE(TFileSystem::Remove(file)) << "nothing left to remove";
    EXPECT_TRUE(TFileSystem::Remove(folder)) << "an empty folder goes";
}

// The canonical path resolves "." and ".." and a trailing separator to the path the same file
// has from elsewhere, so that containment checks compare like with like; what does not exist
// has none.
TEST(FileSystem, CanonicalPathsOfOneFileAgree) {
    TScratchFolder scratch;
    scratch.Write("app/sub/page.html", "x");
    const std::optional<fs::path> direct = TFileSystem::Canonical(scratch / "app/sub/page.html");
    ASSERT_TRUE(direct);
    EXPECT_TRUE(direct->is_absolute());
    EXPECT_EQ(TFileSystem::Canonical(scratch / "app/./sub/../sub/page.html"), direct);
    const std::optional<fs::path> folder = TFileSystem::Canonical(scratch / "app/sub/");
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder / "page.html", *direct);
    EXPECT_EQ(TFileSystem::Canonical(scratch / "app/missing.html"), std::nullopt);
    EXPECT_EQ(TFileSystem::Absolute(scratch / "app/x/../sub"), *folder);
}

TEST(FileSystem, ListsAFolderWithoutItsDotEntries) {
    TScratchFolder scratch;
    scratch.Write("list/one.txt", "1");
    scratch.Write("list/Two.txt", "2");
    scratch.Write("list/inner/three.txt", "3");
    std::set<std::string> names;
    EXPECT_TRUE(TFileSystem::ForEachEntry(
        scratch / "list", [&names](const fs::path& entry) { names.insert(PathToUtf8(entry.filename())); }));
    EXPECT_EQ(names, (std::set<std::string>{"Two.txt", "inner", "one.txt"}));
    EXPECT_FALSE(TFileSystem::ForEachEntry(scratch / "missing", [](const fs::path&) {}));
}

}  // namespace
}  // namespace zorv::test
