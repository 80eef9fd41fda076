// The Windows file region against real files: the file stays renamable while it is read, and
// only a disk that cannot be pulled away is mapped.
#include <gtest/gtest.h>

#include <windows.h>

#include "shared/FileRegion.h"
#include "shared/StorageFactsWin32.h"
#include "shared/Utf8Path.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

class FileRegionRename : public testing::TestWithParam<TFileRegion::TAccess> {};

// An application that updates itself renames its running file and writes the new one under its
// name; the runtime, which reads its archive from that file, goes on reading the old one.
TEST_P(FileRegionRename, TheFileCanBeRenamedAndReplacedWhileItIsRead) {
    TScratchFolder scratch;
    scratch.Write("app.exe", std::string(70000, 'o'));
    const std::wstring path = (scratch / "app.exe").wstring();
    TResult<std::unique_ptr<TFileRegion>> region = TFileRegion::Open(PathToUtf8(scratch / "app.exe"), 100, GetParam());
    ASSERT_TRUE(region) << region.Error();
    ASSERT_TRUE(MoveFileExW(path.c_str(), (path + L".old").c_str(), 0)) << GetLastError();
    scratch.Write("app.exe", std::string(80000, 'n'));
    std::string bytes(10, '\0');
    EXPECT_TRUE(region.Value()->ReadAt(69000, bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, std::string(10, 'o'));
    // Writing to it stays refused while it is read.
    HANDLE writer = CreateFileW((path + L".old").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

INSTANTIATE_TEST_SUITE_P(ByLocationAndByReads, FileRegionRename,
                         testing::Values(TFileRegion::TAccess::ByLocation, TFileRegion::TAccess::Reads));

struct TMapCase {
    const char* name;
    TStorageFacts facts;
    bool mapped;
};

// A USB stick or enclosure may report DRIVE_FIXED; a page of a mapping that can no longer be
// fetched ends the process, so only what the device itself describes as fixed is mapped.
const TMapCase MapCases[] = {
    {"SataDisk", {DRIVE_FIXED, true, false, BusTypeSata}, true},
    {"NvmeDisk", {DRIVE_FIXED, true, false, BusTypeNvme}, true},
    {"RamDisk", {DRIVE_RAMDISK, false, false, BusTypeUnknown}, true},
    {"FixedButRemovableMedia", {DRIVE_FIXED, true, true, BusTypeUsb}, false},
    {"FixedOnUsb", {DRIVE_FIXED, true, false, BusTypeUsb}, false},
    {"FixedOnSdCard", {DRIVE_FIXED, true, false, BusTypeSd}, false},
    {"FixedUndescribed", {DRIVE_FIXED, false, false, BusTypeUnknown}, false},
    {"Removable", {DRIVE_REMOVABLE, true, true, BusTypeUsb}, false},
    {"NetworkShare", {DRIVE_REMOTE, false, false, BusTypeUnknown}, false},
};

class FileRegionStorage : public testing::TestWithParam<TMapCase> {
protected:
    void TearDown() override { SetStorageQuery({}); }
};

TEST_P(FileRegionStorage, MapsOnlyFromAFixedNonRemovableDisk) {
    EXPECT_EQ(MayMapFrom(GetParam().facts), GetParam().mapped);
    TScratchFolder scratch;
    scratch.Write("app.exe", std::string(5000, 'x'));
    SetStorageQuery([facts = GetParam().facts](const std::wstring&) { return facts; });
    TResult<std::unique_ptr<TFileRegion>> region = TFileRegion::Open(PathToUtf8(scratch / "app.exe"), 10);
    ASSERT_TRUE(region) << region.Error();
    EXPECT_EQ(region.Value()->IsMapped(), GetParam().mapped);
    std::string bytes(4, '\0');
    EXPECT_TRUE(region.Value()->ReadAt(4986, bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, "xxxx");
}

INSTANTIATE_TEST_SUITE_P(Disks, FileRegionStorage, testing::ValuesIn(MapCases),
                         [](const testing::TestParamInfo<TMapCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorv::test
