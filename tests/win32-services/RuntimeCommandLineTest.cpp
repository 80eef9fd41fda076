#include "tools/zorv-pack/RuntimeCommandLineWin32.h"

#include <gtest/gtest.h>

#include "backends/win32/WinCommandLine.h"
#include "shared/Utf8Path.h"

namespace zorv::test {
namespace {

// What zorv-pack run writes, the runtime reads back item for item: the project path and the
// application's arguments arrive as they were given.
TEST(RuntimeCommandLine, TheRuntimeReadsBackEveryItemAsGiven) {
    const std::vector<std::string> args = {
        "--project", "C:\\My Dir\\", "--", "", "two words", "tab\there", "back\\slash", "C:\\", "\xC3\xA9t\xC3\xA9"};
    const TResult<std::wstring> line = RuntimeCommandLine(L"C:\\Program Files\\zorv\\zorv-runtime.exe", args);
    ASSERT_TRUE(line) << line.Error();
    const std::vector<std::wstring> items = TWinCommandLine::Split(line.Value());
    ASSERT_EQ(items.size(), args.size() + 1) << std::string(line.Value().begin(), line.Value().end());
    EXPECT_EQ(items[0], L"C:\\Program Files\\zorv\\zorv-runtime.exe");
    for (std::size_t i = 0; i < args.size(); ++i) EXPECT_EQ(items[i + 1], Utf8Path(args[i]).wstring()) << args[i];
}

// The runtime's line has no way to carry a double quote: such an argument is refused, not mangled.
TEST(RuntimeCommandLine, ADoubleQuoteIsRefusedWithTheArgumentNamed) {
    const TResult<std::wstring> line = RuntimeCommandLine(L"zorv-runtime.exe", {"--", "say \"hi\""});
    ASSERT_FALSE(line);
    EXPECT_NE(line.Error().find("say \"hi\""), std::string::npos) << line.Error();
}

}  // namespace
}  // namespace zorv::test
