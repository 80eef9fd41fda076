#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/win32/WinCommandLine.h"

namespace zorv::test {
namespace {

struct TSplitCase {
    const wchar_t* commandLine;
    std::vector<std::wstring> items;
};

class WinCommandLineSplit : public testing::TestWithParam<TSplitCase> {};

TEST_P(WinCommandLineSplit, SplitsOutsideQuotesWithoutAnEscapeCharacter) {
    EXPECT_EQ(TWinCommandLine::Split(GetParam().commandLine), GetParam().items) << GetParam().commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WinCommandLineSplit,
    testing::Values(TSplitCase{L"app.exe", {L"app.exe"}},
                    TSplitCase{L"\"C:\\Program Files\\app.exe\"", {L"C:\\Program Files\\app.exe"}},
                    // A backslash before a quote is an ordinary character: the quote still ends the quoted part.
                    TSplitCase{L"app.exe \"D:\\\" next", {L"app.exe", L"D:\\", L"next"}},
                    TSplitCase{L"app.exe \"C:\\My Dir\\\" x", {L"app.exe", L"C:\\My Dir\\", L"x"}},
                    TSplitCase{L"app.exe a\\\\\"b c\" d", {L"app.exe", L"a\\\\b c", L"d"}},
                    // Quotes may start or end anywhere in an item and are always removed.
                    TSplitCase{L"app.exe one \"two words\" th\"ree fo\"ur",
                               {L"app.exe", L"one", L"two words", L"three four"}},
                    TSplitCase{L"app.exe \"\" last", {L"app.exe", L"", L"last"}},
                    // Tabs and other control characters separate like spaces; runs of them count once.
                    TSplitCase{L"  app.exe\t\ta \r\n b  ", {L"app.exe", L"a", L"b"}},
                    // A quote left open runs to the end of the line.
                    TSplitCase{L"app.exe \"open to the end ", {L"app.exe", L"open to the end "}}, TSplitCase{L"", {}}));

TEST(WinCommandLineArguments, AreTheTextAfterTheProgramAsGiven) {
    EXPECT_EQ(TWinCommandLine::Arguments(L"app.exe"), L"");
    EXPECT_EQ(TWinCommandLine::Arguments(L"  \"C:\\Program Files\\app.exe\"\t --project \"Z:\\a b\" -- x"),
              L"--project \"Z:\\a b\" -- x");
    EXPECT_EQ(TWinCommandLine::Arguments(L"C:\\p\"ro g\"\\app.exe \"D:\\\" next "), L"\"D:\\\" next ");
}

}  // namespace
}  // namespace zorv::test
