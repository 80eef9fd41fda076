// shell.command's runner against real processes: what a command leaves running, and commands
// started at the same moment on other threads, never hold its reply back.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "TestEnvironment.h"
#include "backends/win32/SysUtils.h"
#include "shared/CommandOutput.h"

namespace zorv {
namespace {

std::wstring Sleeper() { return L"\"" + test::ProgramDir() + L"win32-test-sleeper.exe\""; }

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

}  // namespace
}  // namespace zorv
