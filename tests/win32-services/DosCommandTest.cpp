// shell.command's runner against real processes: what a command leaves running, and commands
// started at the same moment on other threads, never hold its reply back; the interpreter is the
// system's own; output is read in the code page console programs write in.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <thread>
#include <vector>

#include "TestEnvironment.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinDosCommand.h"
#include "shared/CommandOutput.h"

namespace zorv::test {
namespace {

std::wstring Sleeper() { return L"\"" + ProgramDir() + L"win32-test-sleeper.exe\""; }

TEST(GetDosOutput, SettlesWhenTheCommandEndsThoughAProgramItStartedStillHoldsItsOutput) {
    const ULONGLONG started = GetTickCount64();
    const std::wstring output = TSysUtils::GetDosOutput(Sleeper() + L" spawn 5000", L"", false);
    EXPECT_LT(GetTickCount64() - started, 3000u);
    EXPECT_EQ(output, L"spawned\r\n");
}

TEST(GetDosOutput, CommandsStartedMeanwhileOnOtherThreadsDoNotHoldThisOnesOutput) {
    std::vector<std::thread> longCommands;
    for (int i = 0; i < 6; ++i)
        longCommands.emplace_back([] { TSysUtils::GetDosOutput(Sleeper() + L" 4000", L"", false); });
    ULONGLONG slowest = 0;
    for (int i = 0; i < 6; ++i) {
        const ULONGLONG started = GetTickCount64();
        EXPECT_EQ(TSysUtils::GetDosOutput(L"echo quick", L"", false), L"quick\r\n");
        slowest = std::max(slowest, GetTickCount64() - started);
    }
    for (std::thread& command : longCommands) command.join();
    EXPECT_LT(slowest, 3000u);
}

TEST(GetDosOutput, OutputBeyondTheLimitEndsTheCommandAndComesBackLongerThanTheLimit) {
    const std::wstring megabytes = std::to_wstring((MaxCommandOutputBytes >> 20) + 1);
    const ULONGLONG started = GetTickCount64();
    const std::wstring output = TSysUtils::GetDosOutput(Sleeper() + L" flood " + megabytes + L" 20000", L"", false);
    EXPECT_EQ(output.size(), MaxCommandOutputBytes + 1);
    EXPECT_LT(GetTickCount64() - started, 15000u);  // the command was ended, not waited for
}

TEST(GetDosOutput, AJobThatCannotBeJoinedStillEndsACommandPastTheLimit) {
    const std::wstring megabytes = std::to_wstring((MaxCommandOutputBytes >> 20) + 1);
    const ULONGLONG started = GetTickCount64();
    const std::wstring output = TWinDosCommand::Run(Sleeper() + L" flood " + megabytes + L" 20000", L"", false,
                                                    [](HANDLE, HANDLE) { return false; });
    EXPECT_EQ(output.size(), MaxCommandOutputBytes + 1);
    EXPECT_LT(GetTickCount64() - started, 15000u);  // the command was ended, not waited for
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// A cmd.exe and an explorer.exe in the current folder (a download folder, a shared folder the user
// opened the application from) are found first by a search for the bare name; they never run.
TEST(SystemPrograms, PlantedCopiesInTheCurrentFolderNeverRun) {
    TScratchFolder dir;
    const std::wstring planted[] = {dir.WideText() + L"cmd.exe", dir.WideText() + L"explorer.exe"};
    for (const std::wstring& path : planted)
        ASSERT_TRUE(CopyFileW((ProgramDir() + L"win32-test-sleeper.exe").c_str(), path.c_str(), FALSE));
    wchar_t previous[MAX_PATH + 1] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH + 1, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.WideText().c_str()));
    const std::wstring output = TSysUtils::GetDosOutput(L"echo real", L"", false);
    TSysUtils::ShellExplore(dir.WideText() + L"item.txt");
    Sleep(1000);  // a planted program started by the shell runs on its own
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(output, L"real\r\n");
    for (const std::wstring& path : planted) EXPECT_FALSE(PathExists(path + L".ran")) << Lower(path);
    EXPECT_EQ(Lower(TWinDosCommand::InterpreterPath()), Lower(TSysUtils::SystemProgramPath(L"cmd.exe")));
    EXPECT_TRUE(Lower(TWinDosCommand::InterpreterPath()).ends_with(L"\\system32\\cmd.exe"));
}

struct TDecodeCase {
    UINT codePage;
    std::string bytes;
    std::wstring text;
};

// The same byte is a different letter in each page: decoding console output as ANSI garbles it.
TEST(DosOutputDecoding, ReadsTheBytesInTheGivenCodePage) {
    const TDecodeCase cases[] = {{437, "caf\x82", L"caf\u00E9"},
                                 {850, "\x82t\x82", L"\u00E9t\u00E9"},
                                 {866, "\x8F\xE0\xA8\xA2\xA5\xE2", L"\u041F\u0440\u0438\u0432\u0435\u0442"},
                                 {1252, "\x82", L"\u201A"},
                                 {CP_UTF8, "caf\xC3\xA9", L"caf\u00E9"}};
    for (const TDecodeCase& c : cases) EXPECT_EQ(TWinDosCommand::Decode(c.bytes, c.codePage), c.text) << c.codePage;
    EXPECT_EQ(TWinDosCommand::Decode("", 437), L"");
}

// Whether `name` can be written in `codePage` without a replacement character.
bool Representable(const std::wstring& name, UINT codePage) {
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, name.c_str(), static_cast<int>(name.size()),
                                         nullptr, 0, nullptr, &lossy);
    return size > 0 && !lossy;
}

// A console program writes to a pipe in its console's code page: the OEM page of the new console
// Windows gives it, not the ANSI one.
TEST(GetDosOutput, AConsoleProgramsTextComesBackInItsCodePage) {
    const UINT page = TWinDosCommand::OutputCodePage();
    const std::wstring text = L"caf\u00E9 \u00FCber";
    if (page == GetACP() || !Representable(text, page))
        GTEST_SKIP() << "the console and ANSI code pages are the same here, or " << page << " lacks the letters";
    EXPECT_EQ(TSysUtils::GetDosOutput(Sleeper() + L" console-text", L"", false), text + L"\r\n");
}

// `dir` prints file names in the console's code page (OEM by default), not the ANSI one. Wine
// starts a console program of a process without a console with none at all, and its cmd then
// writes in the ANSI page: only Windows shows this.
TEST(GetDosOutput, FileNamesThatDirPrintsComeBackAsTheyAre) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's cmd has no console here and writes the ANSI page";
    const UINT page = TWinDosCommand::OutputCodePage();
    if (page == GetACP()) GTEST_SKIP() << "the console and ANSI code pages are the same here (" << page << ")";
    const std::wstring names[] = {L"caf\u00E9 \u00FCber.txt", L"\u041F\u0440\u0438\u0432\u0435\u0442.txt"};
    int tried = 0;
    for (const std::wstring& name : names) {
        if (!Representable(name, page)) continue;
        ++tried;
        TScratchFolder dir;
        ASSERT_TRUE(WriteBytes(dir.WideText() + name, "x"));
        EXPECT_EQ(TSysUtils::GetDosOutput(L"dir /b", dir.WideText(), false), name + L"\r\n") << page;
    }
    EXPECT_GT(tried, 0) << "no name fits code page " << page;
}

}  // namespace
}  // namespace zorv::test
