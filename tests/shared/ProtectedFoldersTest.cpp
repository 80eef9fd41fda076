// Which folders deleteDir must never remove, for paths already made absolute by the platform.
#include "shared/ProtectedFolders.h"

#include <gtest/gtest.h>

namespace zorv::test {
namespace {

struct TCase {
    const char* path;
    bool isProtected;
};

TEST(ProtectedFolders, PosixRootAndHomeInEverySpelling) {
    const std::string home = "/home/ann";
    const TCase cases[] = {
        {"/", true},
        {"//", true},
        {"///", true},
        {"/./", true},
        {"/.", true},
        {"/..", true},
        {"/tmp/..", true},
        {"/tmp/../.", true},
        {"//tmp//..//", true},
        {"/home/ann", true},
        {"/home/ann/", true},
        {"/home/ann/.", true},
        {"/home/ann/x/..", true},
        {"//home/./ann", true},
        {"/home", true},  // holds the home folder
        {"/home/", true},
        {"", true},
        {"relative/folder", true},
        {"/home/ann/projects", false},
        {"/home/anne", false},
        {"/home/ann.", false},
        {"/home/ANN", false},
        {"/tmp", false},
        {"/tmp/x/../y", false},
    };
    for (const TCase& c : cases) EXPECT_EQ(IsProtectedFolder(c.path, home, TPathStyle::Posix), c.isProtected) << c.path;
}

TEST(ProtectedFolders, WindowsDrivesSharesDevicesAndHomeInEverySpelling) {
    const std::string home = "C:\\Users\\Ann";
    const TCase cases[] = {
        {"C:\\", true},
        {"C:", true},
        {"C:/", true},
        {"c:\\", true},
        {"C:\\\\", true},
        {"C:\\..", true},
        {"C:\\.", true},
        {"C:\\..\\..\\", true},
        {"C:\\Windows\\..", true},
        {"C:\\...", true},  // trailing dots go: the drive itself
        {"C:\\ ", true},
        {"C:\\Windows\\.. ", true},
        {"D:\\", true},
        {"\\\\?\\C:\\", true},
        {"\\\\?\\C:", true},
        {"\\\\?\\C:\\..", true},
        {"\\\\.\\C:\\", true},
        {"\\??\\C:\\", true},
        {"//?/C:/", true},
        {"\\\\?\\UNC\\server\\share\\", true},
        {"\\\\?\\unc\\server\\share\\folder\\..", true},
        {"\\\\server\\share", true},
        {"\\\\server\\share\\", true},
        {"\\\\server\\share\\x\\..", true},
        {"\\\\server", true},
        {"\\\\server\\", true},
        {"\\\\.\\PhysicalDrive0", true},
        {"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-000000000000}\\", true},
        {"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-000000000000}\\Data", true},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\", true},
        {"\\\\.\\", true},
        {"\\\\?\\", true},
        {"C:\\Data::$INDEX_ALLOCATION", true},  // a stream that stands for the folder
        {"\\", true},                           // rooted on the current drive: not absolute
        {"\\Windows", true},
        {"C:Windows", true},  // relative to the drive's current folder
        {"Windows", true},
        {"", true},
        {"C:\\Users\\Ann", true},
        {"c:\\users\\ann\\", true},
        {"C:/Users/Ann/.", true},
        {"\\\\?\\C:\\Users\\Ann\\", true},
        {"C:\\Users\\Ann\\Documents\\..", true},
        {"C:\\Users", true},  // holds the home folder
        {"C:\\Users\\Ann\\Documents", false},
        {"C:\\Users\\Anna", false},
        {"D:\\Users\\Ann", false},
        {"C:\\Windows\\Temp", false},
        {"C:\\a\\...\\b", false},
        {"\\\\?\\C:\\Temp\\x", false},
        {"\\\\.\\C:\\Temp", false},
        {"\\\\server\\share\\folder", false},
        {"\\\\?\\UNC\\server\\share\\folder", false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(IsProtectedFolder(c.path, home, TPathStyle::Windows), c.isProtected) << c.path;
}

TEST(ProtectedFolders, WithoutAUsableHomeOnlyRootsAreProtected) {
    for (const char* home : {"", "relative", "/"}) {
        EXPECT_FALSE(IsProtectedFolder("/home/ann", home, TPathStyle::Posix)) << home;
        EXPECT_TRUE(IsProtectedFolder("/", home, TPathStyle::Posix)) << home;
    }
    EXPECT_FALSE(IsProtectedFolder("C:\\Users\\Ann", "", TPathStyle::Windows));
    EXPECT_TRUE(IsProtectedFolder("C:\\", "", TPathStyle::Windows));
}

}  // namespace
}  // namespace zorv::test
