#include <gtest/gtest.h>

#include "bridge/PagePaths.h"

namespace zorv::test {
namespace {

TEST(PagePaths, ResolveAgainstTheApplicationFolder) {
    struct TCase {
        TPathStyle style;
        const char* page;
        const char* resolved;
    };
    const TCase cases[] = {
        {TPathStyle::Windows, "data/a.txt", "C:\\App\\data\\a.txt"},
        {TPathStyle::Windows, "/data/a.txt", "C:\\App\\\\data\\a.txt"},
        {TPathStyle::Windows, "C:/x/y.txt", "C:/x/y.txt"},
        {TPathStyle::Windows, "d:\\x", "d:\\x"},
        {TPathStyle::Windows, "\\\\server\\share\\f", "\\\\server\\share\\f"},
        {TPathStyle::Windows, "\\single", "C:\\App\\\\single"},
        {TPathStyle::Windows, "1:x", "C:\\App\\1:x"},
        {TPathStyle::Posix, "data/a.txt", "/opt/app/data/a.txt"},
        {TPathStyle::Posix, "/etc/hosts", "/etc/hosts"},
        {TPathStyle::Posix, "C:/x", "/opt/app/C:/x"},
        {TPathStyle::Posix, "data\\sub\\x.txt", "/opt/app/data/sub/x.txt"},
        {TPathStyle::Posix, "\\data\\x.txt", "/opt/app//data/x.txt"},
        {TPathStyle::Posix, "/abs\\name", "/abs\\name"},
    };
    for (const TCase& c : cases) {
        const char* appDir = c.style == TPathStyle::Windows ? "C:\\App\\" : "/opt/app/";
        EXPECT_EQ(TPagePaths::Resolve(c.page, appDir, c.style), c.resolved) << c.page;
    }
}

}  // namespace
}  // namespace zorv::test
