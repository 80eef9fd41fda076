#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <vector>

#include "TestEnvironment.h"
#include "backends/win32/FolderDeletion.h"
#include "backends/win32/SysUtils.h"
#include "backends/win32/WinMimeRegistry.h"
#include "backends/win32/WinOperatingSystem.h"
#include "backends/win32/WinText.h"
#include "shared/StrUtils.h"

namespace zorv::test {
namespace {

struct TCommandCase {
    const char* name;
    std::wstring command;
    std::wstring expected;
};

class GetDosOutputTest : public testing::TestWithParam<TCommandCase> {};

TEST_P(GetDosOutputTest, CapturesStandardOutputAndErrorTogether) {
    EXPECT_EQ(TSysUtils::GetDosOutput(GetParam().command, L"", false), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Commands, GetDosOutputTest,
                         testing::Values(TCommandCase{"Echo", L"echo hello", L"hello\r\n"},
                                         TCommandCase{"QuotesKept", L"echo \"quoted\" back\\slash",
                                                      L"\"quoted\" back\\slash\r\n"},
                                         TCommandCase{"StandardError", L"echo oops 1>&2", L"oops \r\n"},
                                         TCommandCase{"NothingWritten", L"rem silent", L""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetDosOutput, OutputLongerThanOneReadComesBackWhole) {
    TScratchFolder dir;
    std::string content;
    for (int line = 0; line < 200; ++line) content += "line " + std::to_string(line) + " of the long output\r\n";
    ASSERT_TRUE(WriteBytes(dir.WideText() + L"long.txt", content));
    const std::wstring output = TSysUtils::GetDosOutput(L"type long.txt", dir.WideText(), false);
    EXPECT_EQ(output, std::wstring(content.begin(), content.end()));
}

TEST(GetDosOutput, RunsInTheGivenWorkingFolder) {
    TScratchFolder dir;
    std::wstring output = TSysUtils::GetDosOutput(L"cd", dir.WideText(), false);
    std::wstring expected = dir.WideText();
    expected.pop_back();  // cd prints the folder without its trailing backslash
    EXPECT_EQ(output, expected + L"\r\n");
}

TEST(GetDosOutput, MissingWorkingFolderGivesEmptyText) {
    EXPECT_EQ(TSysUtils::GetDosOutput(L"echo hello", L"C:\\no\\such\\folder\\anywhere", false), L"");
}

TEST(GetDosOutput, UnknownCommandGivesTheInterpretersComplaint) {
    EXPECT_FALSE(TSysUtils::GetDosOutput(L"no-such-command-zorv", L"", false).empty());
}

TEST(GetDosOutput, AdapterPassesUtf8Through) {
    TWinOperatingSystem os;
    EXPECT_EQ(os.GetDosOutput("echo hello", "", false), "hello\r\n");
    EXPECT_EQ(os.GetDosOutput("echo hello", "C:\\no\\such\\folder", false), "");
}

using TFolderGetter = std::wstring (*)();

class FolderGetterTest : public testing::TestWithParam<std::pair<const char*, TFolderGetter>> {};

TEST_P(FolderGetterTest, GivesAnExistingFolderWithTrailingBackslash) {
    const std::wstring path = GetParam().second();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.back(), L'\\');
    EXPECT_NE(path[path.size() - 2], L'\\');
    const DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderGetterTest,
                         testing::Values(std::pair{"Desktop", &TSysUtils::GetUserDesktopDirPath},
                                         std::pair{"Documents", &TSysUtils::GetUserDocumentsDirPath},
                                         std::pair{"AppData", &TSysUtils::GetUserAppDataDirPath},
                                         std::pair{"LocalAppData", &TSysUtils::GetLocalAppDataDirPath},
                                         std::pair{"Temp", &TSysUtils::GetTempDirPath}),
                         [](const auto& info) { return std::string(info.param.first); });

TEST(IncludeTrailingPathDelimiter, AddsOnlyWhenMissingAndLeavesEmptyAlone) {
    EXPECT_EQ(TSysUtils::IncludeTrailingPathDelimiter(L"C:\\a"), L"C:\\a\\");
    EXPECT_EQ(TSysUtils::IncludeTrailingPathDelimiter(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(TSysUtils::IncludeTrailingPathDelimiter(L""), L"");
}

TEST(DeleteDirectory, RemovesAWholeTree) {
    TScratchFolder scratch;
    const std::filesystem::path root = std::filesystem::path(scratch.WideText()) / L"tree";
    std::filesystem::create_directories(root / L"a" / L"b");
    ASSERT_TRUE(WriteBytes((root / L"a" / L"b" / L"file.txt").wstring(), "content"));
    ASSERT_TRUE(WriteBytes((root / L"top.txt").wstring(), "content"));

    EXPECT_TRUE(TSysUtils::DeleteDirectory(root.wstring()));
    EXPECT_FALSE(PathExists(root.wstring()));
}

TEST(DeleteDirectory, MissingFolderFailsWithAMessage) {
    TScratchFolder scratch;
    TWinOperatingSystem os;
    const TStatus outcome = os.DeleteDirectory(TWinText::WideToUtf8(scratch.WideText() + L"missing"));
    EXPECT_FALSE(outcome);
    EXPECT_FALSE(outcome.Error().empty());
}

TEST(DeleteDirectory, RefusesEmptyPathsAndWildcards) {
    TScratchFolder scratch;
    ASSERT_TRUE(WriteBytes(scratch.WideText() + L"keep.txt", "content"));
    EXPECT_FALSE(TSysUtils::DeleteDirectory(L""));
    EXPECT_FALSE(TSysUtils::DeleteDirectory(scratch.WideText() + L"*"));
    EXPECT_TRUE(PathExists(scratch.WideText() + L"keep.txt"));
}

TEST(ShellExec, StartsAProgram) { EXPECT_TRUE(TSysUtils::ShellExec(ProgramDir() + L"win32-test-sleeper.exe", L"0 0")); }

// The program at that path itself, with the command line a new window's instance gets.
TEST(StartProcess, StartsTheProgramWithTheQuotedPathAndTheArguments) {
    TScratchFolder scratch;
    const std::wstring program = ProgramDir() + L"win32-test-sleeper.exe";
    const std::wstring record = scratch.WideText() + L"command line.txt";
    const std::wstring arguments = L"record \"" + record + L"\" \"zorv-test-app\" \"file:///a b.html\"";
    ASSERT_TRUE(TSysUtils::StartProcess(program, arguments));
    for (int waited = 0; waited < 200 && ReadBytes(record).empty(); ++waited) ::Sleep(50);
    EXPECT_EQ(ReadBytes(record), TWinText::WideToUtf8(L"\"" + program + L"\" " + arguments));
}

TEST(StartProcess, MissingProgramFails) {
    ::SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(TSysUtils::StartProcess(ProgramDir() + L"no-such-program-zorv.exe", L"x"));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ShellExec, MissingFileFailsWithTheSystemsMessageWithoutFullStop) {
    TWinOperatingSystem os;
    const TStatus outcome = os.ShellExec(TWinText::WideToUtf8(ProgramDir() + L"no-such-program-zorv.exe"), "");
    ASSERT_FALSE(outcome);
    const std::string message = outcome.Error();
    ASSERT_FALSE(message.empty());
    EXPECT_NE(message.back(), '.');
    EXPECT_NE(message.back(), '\n');
    // The message is the system's own for "file not found"; Wine words it differently.
    const std::string expected = RunningUnderWine() ? "File not found" : "The system cannot find the file specified";
    EXPECT_EQ(message, expected);
}

TEST(SysErrorMessage, TrimsTrailingBlanksAndFullStops) {
    const std::wstring message = TSysUtils::SysErrorMessage(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(message.empty());
    EXPECT_NE(message.back(), L'.');
    EXPECT_GT(message.back(), L' ');
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowsCaptionsTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ZorvCaptionsTest";
        RegisterClassW(&windowClass);
    }
    void TearDown() override {
        for (HWND window : FWindows) DestroyWindow(window);
    }
    void CreateHiddenWindow(const wchar_t* title) {
        FWindows.push_back(CreateWindowExW(0, L"ZorvCaptionsTest", title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                           nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_NE(FWindows.back(), nullptr);
    }
    std::vector<HWND> FWindows;
};

TEST_F(WindowsCaptionsTest, ListsHiddenWindowsKeepsDuplicatesAndSkipsBlankTitles) {
    CreateHiddenWindow(L"zorv twin title");
    CreateHiddenWindow(L"zorv twin title");
    CreateHiddenWindow(L" \t ");
    CreateHiddenWindow(L"  zorv padded  ");

    const auto captions = TSysUtils::GetWindowsCaptions();
    EXPECT_EQ(std::count(captions.begin(), captions.end(), L"zorv twin title"), 2);
    EXPECT_EQ(std::count(captions.begin(), captions.end(), L"  zorv padded  "), 1);
    EXPECT_EQ(std::count(captions.begin(), captions.end(), L" \t "), 0);
}

TEST(CheckEdgeIsInstalled, AnswersFromTheLoadersVersionExport) {
    const std::wstring dir = ProgramDir();
    EXPECT_TRUE(TSysUtils::CheckEdgeIsInstalled(dir + L"win32-test-loader-installed.dll"));
    EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(dir + L"win32-test-loader-empty.dll"));
    EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(dir + L"win32-test-loader-noexport.dll"));
    EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(dir + L"no-such-loader.dll"));
    EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(dir));  // a folder is no library
}

// Ends the running child processes of this process with that executable name; how many it ended.
int EndChildProcesses(const wchar_t* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    int ended = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != GetCurrentProcessId() || lstrcmpiW(entry.szExeFile, exeName) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            if (TerminateProcess(process, 0)) ++ended;
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return ended;
}

bool RunningElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    CloseHandle(token);
    return ok && elevation.TokenIsElevated;
}

TEST(ShellExplore, StartsTheFileManagerEvenForAMissingItem) {
    // The shell accepts the request; the file manager itself finds nothing to select.
    EXPECT_TRUE(TSysUtils::ShellExplore(ProgramDir() + L"no-such-item-zorv.txt"));
    // Wine's file manager would stay open for good, holding this test's output. It may not be
    // listed yet when the shell returns, so look for it a while.
    for (int tries = 0; tries < 100 && EndChildProcesses(L"explorer.exe") == 0; ++tries) Sleep(100);
}

// Wine starts "runas" programs without an elevation prompt; on Windows the prompt would wait for a
// user, so these run there only in an elevated test run.
class ShellExecAsAdminAndWait : public testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine() && !RunningElevated()) GTEST_SKIP() << "needs an elevated run on Windows";
    }
};

TEST_F(ShellExecAsAdminAndWait, ReturnsTheProgramsExitCode) {
    EXPECT_EQ(TSysUtils::ShellExecAsAdminAndWait(nullptr, ProgramDir() + L"win32-test-sleeper.exe", L"100 7"), 7u);
    // 259 is what a running process reports; a program may also end with it.
    EXPECT_EQ(TSysUtils::ShellExecAsAdminAndWait(nullptr, ProgramDir() + L"win32-test-sleeper.exe", L"0 259"), 259u);
}

TEST_F(ShellExecAsAdminAndWait, MissingProgramGivesZero) {
    EXPECT_EQ(TSysUtils::ShellExecAsAdminAndWait(nullptr, L"C:\\no\\such\\installer.exe", L"/silent /install"), 0u);
}

TEST_F(ShellExecAsAdminAndWait, KeepsProcessingMessagesAndStopsWhenAskedToQuit) {
    static int timerTicks = 0;
    timerTicks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (++timerTicks == 3) {
            KillTimer(nullptr, id);
            PostQuitMessage(42);
        }
    });
    ASSERT_NE(timer, 0u);
    // The program would run for 20 s; the wait ends when the quit request arrives.
    const uint32_t code =
        TSysUtils::ShellExecAsAdminAndWait(nullptr, ProgramDir() + L"win32-test-sleeper.exe", L"20000 0");
    EXPECT_EQ(code, static_cast<uint32_t>(STILL_ACTIVE));
    EXPECT_EQ(timerTicks, 3);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 42u);
    // The program that was left running shares this test's output; end it so the run finishes.
    EXPECT_EQ(EndChildProcesses(L"win32-test-sleeper.exe"), 1);
}

// --- DeleteDirectory: roots, home and the list handed to the shell --------------------------

// Keeps each shell operation that DeleteFolderTree asks for instead of running it. Under Wine
// "Z:\" is the host's own root, so the spellings below must never reach the real shell.
struct TRecordedDeletions {
    std::vector<std::wstring> sources;  // each source list with both of its terminating zeros
    std::vector<UINT> functions;
    std::vector<FILEOP_FLAGS> flags;

    TShellFileOperation Operation() {
        return [this](SHFILEOPSTRUCTW& operation) {
            const size_t firstLength = wcslen(operation.pFrom);
            sources.emplace_back(operation.pFrom, firstLength + 2);
            functions.push_back(operation.wFunc);
            flags.push_back(operation.fFlags);
            return 0;
        };
    }
};

std::wstring Upper(std::wstring text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST(DeleteDirectory, RootsAndTheHomeFolderNeverReachTheShellInAnySpelling) {
    TScratchFolder scratch;
    const std::wstring home = scratch.WideText() + L"Home Folder";
    std::filesystem::create_directories(home + L"\\Documents");
    ASSERT_TRUE(WriteBytes(home + L"\\keep.txt", "keep"));
    std::wstring shortHome(MAX_PATH, L'\0');
    shortHome.resize(GetShortPathNameW(home.c_str(), shortHome.data(), MAX_PATH));

    std::vector<std::wstring> spellings = {
        L"C:\\",
        L"C:",
        L"C:/",
        L"c:\\",
        L"C:\\\\",
        L"C:\\.",
        L"C:\\..",
        L"C:\\..\\..",
        L"C:\\windows\\..",
        L"C:\\...",
        L"C:\\ ",
        L"C:data",
        L"\\\\?\\C:\\",
        L"\\\\?\\C:",
        L"\\\\?\\C:\\..",
        L"\\\\.\\C:\\",
        L"\\\\.\\C:\\..",
        L"\\\\?\\UNC\\server\\share\\",
        L"\\\\server\\share",
        L"\\\\server\\share\\",
        L"\\\\server\\share\\x\\..",
        L"\\\\.\\PhysicalDrive0",
        L"Z:\\",
        L"Z:\\tmp\\..",
        L"Z:/",
        L"/",
        L"//",
        L"/./",
        L"\\",
        L"\\..",
        L"D:\\",
        home,
        home + L"\\",
        home + L"\\.",
        home + L"\\Documents\\..",
        home + L"\\Documents\\..\\",
        Upper(home),
        home + L"/",
        scratch.WideText(),
        scratch.WideText() + L"Home Folder\\.\\..\\Home Folder",
    };
    if (!shortHome.empty()) spellings.push_back(shortHome);
    for (const std::wstring& spelling : spellings) {
        SCOPED_TRACE(TWinText::WideToUtf8(spelling));
        TRecordedDeletions recorded;
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(DeleteFolderTree(spelling, home, recorded.Operation()));
        EXPECT_TRUE(GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_INVALID_NAME) << GetLastError();
        EXPECT_TRUE(recorded.sources.empty());
    }
    EXPECT_EQ(ReadBytes(home + L"\\keep.txt"), "keep");
}

TEST(DeleteDirectory, TheShellGetsTheFullPathWithoutTrailingDelimitersAndADoubleZero) {
    TScratchFolder scratch;
    const std::wstring data = scratch.WideText() + L"data";
    const std::wstring home = scratch.WideText() + L"home";
    std::filesystem::create_directories(data + L"\\sub");
    std::filesystem::create_directories(home);
    for (const std::wstring& spelling :
         {data, data + L"\\", data + L"\\\\", data + L"/", data + L"\\sub\\..\\", data + L"\\.", Upper(data) + L"\\"}) {
        SCOPED_TRACE(TWinText::WideToUtf8(spelling));
        TRecordedDeletions recorded;
        EXPECT_TRUE(DeleteFolderTree(spelling, home, recorded.Operation()));
        ASSERT_EQ(recorded.sources.size(), 1u);
        EXPECT_EQ(Upper(recorded.sources[0]), Upper(data) + std::wstring(2, L'\0'));
        EXPECT_EQ(recorded.functions[0], static_cast<UINT>(FO_DELETE));
        EXPECT_EQ(recorded.flags[0], FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI);
    }
    // Inside the home folder is fine; so is a path with no home to compare with.
    TRecordedDeletions recorded;
    EXPECT_TRUE(DeleteFolderTree(home + L"\\Documents", home, recorded.Operation()));
    EXPECT_TRUE(DeleteFolderTree(data, L"", recorded.Operation()));
    EXPECT_EQ(recorded.sources.size(), 2u);
}

TEST(DeleteDirectory, AFolderNamedWithATrailingBackslashIsRemoved) {
    TScratchFolder scratch;
    const std::wstring data = scratch.WideText() + L"data\\";
    std::filesystem::create_directories(data + L"EBWebView");
    ASSERT_TRUE(WriteBytes(data + L"EBWebView\\Local State", "{}"));
    EXPECT_TRUE(TSysUtils::DeleteDirectory(data));
    EXPECT_FALSE(PathExists(data));
}

// A "Content Type" value of an extension set where HKEY_CLASSES_ROOT shows it (the user's classes
// on Windows; Wine's HKEY_CLASSES_ROOT shows only the machine's), put back as it was on leaving.
class TContentTypeOverride {
public:
    TContentTypeOverride(const std::wstring& extension, const std::wstring& type)
        : FKey(L"Software\\Classes\\" + extension) {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            FHadValue = Read(root, FKey, FPrevious);
            if (RegSetKeyValueW(root, FKey.c_str(), L"Content Type", REG_SZ, type.c_str(),
                                static_cast<DWORD>((type.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
                continue;
            FRoot = root;
            std::wstring seen;
            if (Read(HKEY_CLASSES_ROOT, extension, seen) && seen == type) return;
            Restore();
        }
    }
    ~TContentTypeOverride() { Restore(); }
    TContentTypeOverride(const TContentTypeOverride&) = delete;
    TContentTypeOverride& operator=(const TContentTypeOverride&) = delete;
    bool Applied() const { return FRoot != nullptr; }

private:
    static bool Read(HKEY root, const std::wstring& key, std::wstring& value) {
        wchar_t buffer[256] = {};
        DWORD size = sizeof(buffer) - sizeof(wchar_t);
        if (RegGetValueW(root, key.c_str(), L"Content Type", RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
            return false;
        value = buffer;
        return true;
    }
    void Restore() {
        if (!FRoot) return;
        if (FHadValue)
            RegSetKeyValueW(FRoot, FKey.c_str(), L"Content Type", REG_SZ, FPrevious.c_str(),
                            static_cast<DWORD>((FPrevious.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(FRoot, FKey.c_str(), L"Content Type");
        FRoot = nullptr;
    }

    std::wstring FKey;
    HKEY FRoot = nullptr;
    bool FHadValue = false;
    std::wstring FPrevious;
};

// A registry that calls .js and .css plain text (common on real machines) fills in only what the
// built-in web types lack.
TEST(WinMimeRegistry, ARegistrySayingTextPlainForScriptsLeavesTheWebTypesAlone) {
    TContentTypeOverride js(L".js", L"text/plain");
    TContentTypeOverride css(L".css", L"text/plain");
    ASSERT_TRUE(js.Applied() && css.Applied()) << "the registry does not show the changed types";
    const std::vector<TMimeMapping> mappings = TWinMimeRegistry::ReadMappings();
    EXPECT_NE(std::find(mappings.begin(), mappings.end(), TMimeMapping{".js", "text/plain"}), mappings.end());
    TWinMimeRegistry registry;
    registry.Refresh();
    EXPECT_EQ(TStrUtils::GetFileMIMEType("app.js"), "text/javascript");
    EXPECT_EQ(TStrUtils::GetFileMIMEType("app.css"), "text/css");
    TMimeTypes::InstallPlatformMappings({});
}

}  // namespace
}  // namespace zorv::test
