// The runtime executable itself, started as a user starts it: with nothing appended, with
// archives whose settings end the start-up early, and with data that is no archive. Every dialog
// it shows is read and closed from here, the way a user would close it.
#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "TestArchive.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinText.h"
#include "shared/LocalizedMessages.h"
#include "shared/Win32Handles.h"

namespace zorv::test {
namespace {

struct TRunResult {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<std::string> dialogs;  // every text of each dialog, in the order they came
};

struct TWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<TWindowSearch*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == search->processId && ::IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string WindowText(HWND window) {
    wchar_t text[2048] = {};
    ::GetWindowTextW(window, text, 2048);
    return TWinText::WideToUtf8(text);
}

BOOL CALLBACK CollectChildText(HWND child, LPARAM lParam) {
    auto* texts = reinterpret_cast<std::string*>(lParam);
    *texts += WindowText(child) + "\n";
    return TRUE;
}

// Starts the program, closes each window it shows and waits for it to end.
TRunResult RunAndCloseDialogs(const std::string& exePath, const std::wstring& arguments = L"") {
    TRunResult result;
    std::wstring commandLine = L"\"" + TWinText::Utf8ToWide(exePath) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return result;
    TKernelHandle processHandle(process.hProcess);
    TKernelHandle threadHandle(process.hThread);
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    while (::GetTickCount64() < deadline) {
        if (::WaitForSingleObject(processHandle.Get(), 50) == WAIT_OBJECT_0) break;
        TWindowSearch search{process.dwProcessId, nullptr};
        ::EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) continue;
        ::Sleep(100);  // let the dialog finish building itself
        std::string texts = WindowText(search.found) + "\n";
        ::EnumChildWindows(search.found, CollectChildText, reinterpret_cast<LPARAM>(&texts));
        result.dialogs.push_back(texts);
        ::PostMessageW(search.found, WM_CLOSE, 0, 0);
        // Wait until it has gone, so that one dialog is never counted twice on a busy machine.
        for (int i = 0; i < 200 && ::IsWindow(search.found) && ::IsWindowVisible(search.found); ++i) ::Sleep(25);
    }
    if (::WaitForSingleObject(processHandle.Get(), 0) != WAIT_OBJECT_0) ::TerminateProcess(processHandle.Get(), 99);
    ::GetExitCodeProcess(processHandle.Get(), &result.exitCode);
    return result;
}

class RuntimeSmokeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        folder = TWinText::WideToUtf8(temp) + "zorv-smoke-" + std::to_string(::GetCurrentProcessId()) + "\\";
        std::filesystem::create_directories(std::filesystem::path(TWinText::Utf8ToWide(folder)));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(TWinText::Utf8ToWide(folder)), ignored);
    }

    // A copy of the runtime with `appended` after its image.
    std::string PackagedRuntime(const std::string& name, const std::string& appended) {
        const std::string path = folder + name + ".exe";
        EXPECT_TRUE(WriteFileBytes(path, ReadFileBytes(ProgramDir() + "..\\zorv-runtime.exe") + appended));
        return path;
    }

    static std::string DataFolder(const std::string& id) {
        return TWinText::WideToUtf8(TSysUtils::GetLocalAppDataDirPath()) + id + "\\";
    }

    static bool Mentions(const std::string& dialog, TMessageIndex message) {
        return dialog.find(TLocalizedMessages::GetLocalizedMessage(static_cast<int>(message))) != std::string::npos;
    }

    std::string folder;
};

TEST_F(RuntimeSmokeTest, NothingAppendedShowsMessageFiveAndExitsZero) {
    const TRunResult run = RunAndCloseDialogs(PackagedRuntime("bare", ""));
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_TRUE(Mentions(run.dialogs[0], TMessageIndex::NotAValidApplication)) << run.dialogs[0];
}

TEST_F(RuntimeSmokeTest, SettingsWithoutIdentifierEndSilently) {
    const TRunResult run = RunAndCloseDialogs(PackagedRuntime("noid", ReadFileBytes(DataDir() + "runtime-noid.zip")));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
}

TEST_F(RuntimeSmokeTest, DataThatIsNoArchiveEndsWithAnApplicationError) {
    const TRunResult run = RunAndCloseDialogs(PackagedRuntime("notzip", std::string(4096, 'x')));
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_NE(run.dialogs[0].find("Application Error"), std::string::npos) << run.dialogs[0];
    EXPECT_NE(run.dialogs[0].find("Invalid file - not a PKZip file"), std::string::npos) << run.dialogs[0];
}

TEST_F(RuntimeSmokeTest, MissingRuntimeWithoutInstallerIsReportedAndTheDataFolderStays) {
    const std::string data = DataFolder("zorv-smoke-noruntime");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(TWinText::Utf8ToWide(data)), ignored);
    const TRunResult run =
        RunAndCloseDialogs(PackagedRuntime("noruntime", ReadFileBytes(DataDir() + "runtime-noruntime.zip")));
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_TRUE(Mentions(run.dialogs[0], TMessageIndex::RuntimeRequiredNoInstall)) << run.dialogs[0];
    // The archive carries no loader: an empty copy is left, and never replaced.
    EXPECT_EQ(ReadFileBytes(data + "Win64\\WebView2LoaderWin64.dll"), "");
    EXPECT_TRUE(
        std::filesystem::exists(std::filesystem::path(TWinText::Utf8ToWide(data + "Win64\\WebView2LoaderWin64.dll"))));
    std::filesystem::remove_all(std::filesystem::path(TWinText::Utf8ToWide(data)), ignored);
}

TEST_F(RuntimeSmokeTest, DecliningTheInstallationRemovesTheDataFolder) {
    const std::string data = DataFolder("zorv-smoke-offer");
    const TRunResult run = RunAndCloseDialogs(PackagedRuntime("offer", ReadFileBytes(DataDir() + "runtime-offer.zip")));
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 2u);
    EXPECT_TRUE(Mentions(run.dialogs[0], TMessageIndex::RuntimeRequiredOfferInstall)) << run.dialogs[0];
    EXPECT_TRUE(Mentions(run.dialogs[1], TMessageIndex::CannotContinue)) << run.dialogs[1];
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(TWinText::Utf8ToWide(data))));
}

struct TClassSearch {
    const wchar_t* className;
    DWORD processId;      // 0: any process
    const char* caption;  // null: any caption
    HWND found;
};

BOOL CALLBACK FindWindowOfClass(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<TClassSearch*>(lParam);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (std::wcscmp(className, search->className) == 0 && ::IsWindowVisible(window) &&
        (search->processId == 0 || processId == search->processId) &&
        (!search->caption || WindowText(window) == search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindowOfClass(const wchar_t* className, DWORD processId, DWORD timeoutMs, const char* caption = nullptr) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
        TClassSearch search{className, processId, caption, nullptr};
        ::EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::Sleep(50);
    }
    return nullptr;
}

BOOL CALLBACK ClickButtonWithText(HWND child, LPARAM lParam) {
    const auto* caption = reinterpret_cast<const std::string*>(lParam);
    if (WindowText(child) == *caption) {
        ::PostMessageW(child, BM_CLICK, 0, 0);
        return FALSE;
    }
    return TRUE;
}

TEST_F(RuntimeSmokeTest, AcceptedInstallationStartsTheApplicationAnew) {
    const std::string data = DataFolder("zorv-smoke-install");
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(TWinText::Utf8ToWide(data)), ignored);
    ::SetEnvironmentVariableW(L"ZORV_TEST_INSTALL_FROM",
                              TWinText::Utf8ToWide(ProgramDir() + "win32-test-loader-installed.dll").c_str());
    const std::string exe = PackagedRuntime("install", ReadFileBytes(DataDir() + "runtime-install.zip"));

    std::wstring commandLine = L"\"" + TWinText::Utf8ToWide(exe) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    TKernelHandle first(process.hProcess);
    TKernelHandle firstThread(process.hThread);

    // The offer, answered with its accept button.
    HWND offer = WaitForWindowOfClass(L"#32770", process.dwProcessId, 20000);
    ASSERT_NE(offer, nullptr);
    std::string texts = WindowText(offer) + "\n";
    ::EnumChildWindows(offer, CollectChildText, reinterpret_cast<LPARAM>(&texts));
    EXPECT_TRUE(Mentions(texts, TMessageIndex::RuntimeRequiredOfferInstall)) << texts;
    const std::string accept = TLocalizedMessages::GetLocalizedMessage(static_cast<int>(TMessageIndex::AcceptButton));
    ::EnumChildWindows(offer, ClickButtonWithText, reinterpret_cast<LPARAM>(&accept));

    ASSERT_EQ(::WaitForSingleObject(first.Get(), 30000), WAIT_OBJECT_0);
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(first.Get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(TWinText::Utf8ToWide(data + "WebView2Installer.exe"))));

    // The new start finds the runtime and opens its main window; it shows no further dialog.
    HWND mainWindow = WaitForWindowOfClass(L"ZorvMainForm", 0, 30000, "Smoke Install");
    ASSERT_NE(mainWindow, nullptr);
    DWORD secondId = 0;
    ::GetWindowThreadProcessId(mainWindow, &secondId);
    EXPECT_NE(secondId, process.dwProcessId);
    TKernelHandle second(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, secondId));
    // This loader stand-in cannot create a web view, so no page is there to ask: the window closes.
    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(second);
    EXPECT_EQ(::WaitForSingleObject(second.Get(), 20000), WAIT_OBJECT_0);
    if (::WaitForSingleObject(second.Get(), 0) != WAIT_OBJECT_0) ::TerminateProcess(second.Get(), 99);
    ::SetEnvironmentVariableW(L"ZORV_TEST_INSTALL_FROM", nullptr);
    std::filesystem::remove_all(std::filesystem::path(TWinText::Utf8ToWide(data)), ignored);
}

}  // namespace
}  // namespace zorv::test
