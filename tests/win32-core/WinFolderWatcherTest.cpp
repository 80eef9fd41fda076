#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeWebView2.h"
#include "TestArchive.h"
#include "backends/win32/WinFolderWatcher.h"
#include "backends/win32/WinText.h"
#include "backends/win32/WinUiThread.h"
#include "shared/FailureSink.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;
using TChange = TWinFolderWatcher::TChange;

using TRole = TWinFolderWatcher::TRole;

struct TClassifyCase {
    const wchar_t* name;
    TRole role;
    TChange change;
};

class WinFolderWatcherClassify : public testing::TestWithParam<TClassifyCase> {};

TEST_P(WinFolderWatcherClassify, AppFolderChangesArePagesAndTheProjectsZorvIniIsTheSettings) {
    EXPECT_EQ(TWinFolderWatcher::Classify(GetParam().name, GetParam().role), GetParam().change) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Cases, WinFolderWatcherClassify,
                         testing::Values(TClassifyCase{L"index.html", TRole::App, TChange::Pages},
                                         TClassifyCase{L"zorv.ini", TRole::App, TChange::Pages},
                                         TClassifyCase{L"ZORV.INI", TRole::Project, TChange::Settings},
                                         TClassifyCase{L"notes.txt", TRole::Project, TChange::None},
                                         TClassifyCase{L"Zorv.ini", TRole::AppAndProject, TChange::Settings},
                                         TClassifyCase{L"index.html", TRole::AppAndProject, TChange::Pages},
                                         TClassifyCase{L"sub\\zorv.ini", TRole::AppAndProject, TChange::Pages}));

// A real project folder in the temporary folder, watched as the runtime watches it.
class WinFolderWatcherTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        project = fs::path(temp) / "zorv-folder-watcher";
        std::error_code ignored;
        fs::remove_all(project, ignored);
        fs::create_directories(project / "app" / "deep");
        Write("zorv.ini", "[App]\n");
        watcher = std::make_unique<TWinFolderWatcher>(
            project.wstring(), L"app", uiThread, [this] { reports.push_back(TChange::Pages); },
            [this] { reports.push_back(TChange::Settings); });
    }
    void TearDown() override {
        watcher.reset();
        std::error_code ignored;
        fs::remove_all(project, ignored);
    }

    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(WriteFileBytes(TWinText::WideToUtf8((project / name).wstring()), text));
    }
    // What was reported once `expected` reports came (or a few seconds passed) and a while longer,
    // for any report too many.
    std::vector<TChange> Reports(std::size_t expected) {
        PumpUntil([&] { return reports.size() >= expected; }, 3000);
        PumpUntil([] { return false; }, 2 * TWinFolderWatcher::DebounceMs + 100);
        return reports;
    }

    TWinUiThread uiThread;
    fs::path project;
    std::unique_ptr<TWinFolderWatcher> watcher;
    std::vector<TChange> reports;
};

TEST_F(WinFolderWatcherTest, ABurstOfPageWritesIsReportedOnce) {
    for (int i = 0; i < 5; ++i) Write("app/index.html", "version " + std::to_string(i));
    Write("app/deep/more.js", "deeper");
    EXPECT_EQ(Reports(1), std::vector<TChange>{TChange::Pages});
}

TEST_F(WinFolderWatcherTest, TheSettingsWinOverPagesChangedInTheSameBurst) {
    Write("app/index.html", "new page");
    Write("zorv.ini", "[App]\nName=Renamed\n");
    EXPECT_EQ(Reports(1), std::vector<TChange>{TChange::Settings});
}

TEST_F(WinFolderWatcherTest, FilesBesideTheAppFolderAreNotWatched) {
    Write("notes.txt", "not a page");
    EXPECT_TRUE(Reports(0).empty());
}

TEST_F(WinFolderWatcherTest, AnAppLivingInTheProjectFolderHasItsPagesAndSettingsWatched) {
    watcher = std::make_unique<TWinFolderWatcher>(
        project.wstring(), L".", uiThread, [this] { reports.push_back(TChange::Pages); },
        [this] { reports.push_back(TChange::Settings); });
    Write("index.html", "a page in the project folder");
    EXPECT_EQ(Reports(1), std::vector<TChange>{TChange::Pages});
    Write("zorv.ini", "[App]\nName=Renamed\n");
    EXPECT_EQ(Reports(2), (std::vector<TChange>{TChange::Pages, TChange::Settings}));
}

// A network share or \\wsl$ refuses ReadDirectoryChangesW (ERROR_INVALID_FUNCTION); Wine never
// does, so the read here refuses as such a share does.
TEST_F(WinFolderWatcherTest, AFileSystemThatCannotReportChangesIsPolledAndSaysSoOnce) {
    std::vector<std::string> notes;
    const TFailureSink::TReceiver previous =
        TFailureSink::SetReceiver([&](std::string_view text, const TSourcePlace&) { notes.emplace_back(text); });
    watcher = std::make_unique<TWinFolderWatcher>(
        project.wstring(), L"app", uiThread, [this] { reports.push_back(TChange::Pages); },
        [this] { reports.push_back(TChange::Settings); },
        [](HANDLE, void*, DWORD, BOOL, DWORD, OVERLAPPED*) -> BOOL {
            ::SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        });
    TFailureSink::SetReceiver(previous);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("cannot report its changes (error 1)"), std::string::npos) << notes[0];

    Write("app/deep/page.html", "a page two folders down");
    PumpUntil([&] { return !reports.empty(); }, 3 * TWinFolderWatcher::PollMs);
    EXPECT_EQ(reports, std::vector<TChange>{TChange::Pages});
    Write("zorv.ini", "[App]\nName=Renamed\n");
    PumpUntil([&] { return reports.size() > 1; }, 3 * TWinFolderWatcher::PollMs);
    EXPECT_EQ(reports, (std::vector<TChange>{TChange::Pages, TChange::Settings}));
    Write("notes.txt", "beside the app folder");
    PumpUntil([] { return false; }, 2 * TWinFolderWatcher::PollMs);
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(WinFolderWatcherTest, NothingIsReportedOnceTheWatcherIsGone) {
    Write("app/index.html", "new page");
    watcher.reset();
    EXPECT_TRUE(Reports(0).empty());
}

}  // namespace
}  // namespace zorv::test
