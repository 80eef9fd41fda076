// Whole-file writes on Windows against real files: the replaced file keeps its attributes; a file
// another program holds open without delete sharing, which cannot be replaced, is written in
// place, and so is one with several names; a replacement that fails after the old file went
// still leaves the new content in place; paths beyond the classic length limit work.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestEnvironment.h"
#include "backends/win32/WinText.h"
#include "bridge/FileReplacer.h"
#include "bridge/FileReplacerWin32.h"
#include "shared/Win32Handles.h"

namespace zorv::test {
namespace {

// No temporary file of the replacer is left in the folder.
void ExpectNoTemporaryLeft(const TScratchFolder& dir) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((dir.WideText() + L"*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

std::string Utf8(const std::wstring& path) { return TWinText::WideToUtf8(path); }

TEST(FileReplacer, AReplacedFileKeepsItsAttributes) {
    TScratchFolder dir;
    const std::wstring target = dir.WideText() + L"hidden.txt";
    ASSERT_TRUE(WriteBytes(target, "old"));
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(TFileReplacer::Write(Utf8(target), "new").Error(), "");
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST(FileReplacer, AFileHeldOpenWithoutDeleteSharingIsWrittenInPlace) {
    TScratchFolder dir;
    const std::wstring target = dir.WideText() + L"held.txt";
    ASSERT_TRUE(WriteBytes(target, "old content"));
    TFileHandle held(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(TFileReplacer::Write(Utf8(target), "new").Error(), "");
    held.Reset();
    EXPECT_EQ(ReadBytes(target), "new");
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((dir.WideText() + L"*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a temporary file was left behind: " << Utf8(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST(FileReplacer, PathsBeyondTheClassicLengthLimitAreWrittenAndReplaced) {
    TScratchFolder dir;
    std::wstring folder = L"\\\\?\\" + dir.WideText();
    for (int i = 0; i < 3; ++i) {
        folder += std::wstring(100, static_cast<wchar_t>(L'a' + i)) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::wstring target = folder.substr(4) + L"long.txt";
    ASSERT_GT(target.size(), static_cast<std::size_t>(MAX_PATH));
    ASSERT_EQ(TFileReplacer::Write(Utf8(target), "first").Error(), "");
    ASSERT_EQ(TFileReplacer::Write(Utf8(target), "second").Error(), "");
    EXPECT_EQ(ReadBytes(L"\\\\?\\" + target), "second");
    for (int i = 3; i > 0; --i) {
        DeleteFileW((folder + L"long.txt").c_str());
        RemoveDirectoryW(folder.c_str());
        folder.resize(folder.size() - 101);
    }
}

TEST(FileReplacer, AFileWithSeveralNamesIsWrittenInPlaceSoEveryNameSeesTheNewContent) {
    TScratchFolder dir;
    const std::wstring target = dir.WideText() + L"linked.txt";
    const std::wstring other = dir.WideText() + L"other-name.txt";
    ASSERT_TRUE(WriteBytes(target, "old"));
    ASSERT_TRUE(CreateHardLinkW(other.c_str(), target.c_str(), nullptr));
    ASSERT_EQ(TFileReplacer::Write(Utf8(target), "new").Error(), "");
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(ReadBytes(other), "new");
    ExpectNoTemporaryLeft(dir);
}

// ReplaceFileW on Windows can fail after it has already moved the old file away: 1176 (the old
// file is deleted, the replacement still under its own name) and 1177 (the old file renamed).
// Wine never does; the replacement here does what Windows does before it fails.
struct TFailedReplaceCase {
    const char* name;
    DWORD error;
    bool renameTarget;  // else the target is deleted
};

class FileReplacerFailedReplace : public testing::TestWithParam<TFailedReplaceCase> {};

TEST_P(FileReplacerFailedReplace, LeavesTheNewContentUnderTheTargetsName) {
    TScratchFolder dir;
    const std::wstring target = dir.WideText() + L"notes.txt";
    ASSERT_TRUE(WriteBytes(target, "old content"));
    const TFailedReplaceCase c = GetParam();
    const file_replacer::TReplaceFile failing = [&](const wchar_t* replaced, const wchar_t*) -> BOOL {
        if (c.renameTarget)
            MoveFileW(replaced, (std::wstring(replaced) + L".moved-away").c_str());
        else
            DeleteFileW(replaced);
        SetLastError(c.error);
        return FALSE;
    };
    const std::string path = Utf8(target);
    const TStatus written = file_replacer::WriteTargetReplacingWith(
        path, path,
        [](const TFileReplacer::TAppend& append) -> TStatus {
            append("new content");
            return Succeeded();
        },
        failing);
    EXPECT_EQ(written.Error(), "");
    EXPECT_EQ(ReadBytes(target), "new content");
    ExpectNoTemporaryLeft(dir);
}

INSTANTIATE_TEST_SUITE_P(Errors, FileReplacerFailedReplace,
                         testing::Values(TFailedReplaceCase{"TargetDeleted", ERROR_UNABLE_TO_MOVE_REPLACEMENT, false},
                                         TFailedReplaceCase{"TargetRenamed", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true}),
                         [](const testing::TestParamInfo<TFailedReplaceCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorv::test
