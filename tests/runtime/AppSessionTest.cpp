#include "runtime/AppSession.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "backends/test/FakeDialogs.h"
#include "backends/test/FakeMenuBar.h"
#include "backends/test/FakeSession.h"
#include "backends/test/FakeThemeEngine.h"
#include "backends/test/QueuedUiThread.h"
#include "backends/test/TestOperatingSystem.h"
#include "runtime/AppUrl.h"
#include "shared/ExeUtils.h"
#include "bridge/ActiveTheme.h"
#include "shared/StylesUtils.h"
#include "shared/Utf8Path.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

// Start-up without an appended archive: only a project folder can be served.
class TFolderStartupHost final : public IStartupHost {
public:
    explicit TFolderStartupHost(std::string dataHome) : FDataHome(std::move(dataHome)) {}
    TResult<std::unique_ptr<IByteSource>> OpenAppendedArchive() override { return std::unique_ptr<IByteSource>(); }
    void ShowStartupMessage(const TStartupMessage&) override {}
    void ShowFatalError(const std::string&, const std::string&) override {}
    std::string LocalAppDataDir() override { return FDataHome; }
    bool AskPassword(const std::string&, const std::string&) override { return true; }
    TInstanceLockResult AcquireInstanceLock(const std::string&, const std::string&) override { return {}; }

private:
    std::string FDataHome;
};

constexpr const char* HelloCall = R"({"id": 10001, "uuid": "u-1", "data": {}})";
constexpr const char* CloseCall = R"({"id": 50001, "uuid": "u-2", "data": {}})";

// A project folder run by the session over the in-memory backend.
class AppSessionTest : public testing::Test {
protected:
    AppSessionTest() : styles(themeEngine, [this](const std::string& text) { themeErrors.push_back(text); }) {
        project.Write("zorv.ini", "[App]\nID=com.acme.app\nName=Acme\nDirName=site\nDynamicAppTitle=1\nWidth=640\n");
        project.Write("site/index.html", "<p>index</p>");
        project.Write("zorv-webviewjs", "window.extra = 1;");
        services.dialogs = &dialogs;
        services.menuBar = &menuBar;
        services.activeTheme = &styles;
        services.operatingSystem = std::make_shared<TTestOperatingSystem>();
        services.uiThread = std::make_shared<TQueuedUiThread>();
    }

    // Starts the bare runtime on the project folder with these options before "--" and these
    // arguments of the application after it.
    void Start(std::vector<std::string> options = {}, const std::vector<std::string>& appArgs = {}) {
        std::vector<std::string> args{TStartupSequence::ProjectOption, PathToUtf8(project.Path())};
        args.insert(args.end(), options.begin(), options.end());
        args.emplace_back("--");
        args.insert(args.end(), appArgs.begin(), appArgs.end());
        session = std::make_unique<TAppSession>(host, args, services);
        ASSERT_EQ(session->Start(), std::nullopt);
    }
    std::string ProjectFolder() const {
        return PathToUtf8(std::filesystem::canonical(project.Path())) +
               static_cast<char>(std::filesystem::path::preferred_separator);
    }
    std::string PageUrl(const std::string& path) const { return std::string(TAppUrl::Prefix()) + path; }

    TScratchFolder project;
    TScratchFolder dataHome;
    TFolderStartupHost host{dataHome.Text()};
    TFakeDialogs dialogs;
    TFakeMenuBar menuBar;
    TFakeThemeEngine themeEngine;
    std::vector<std::string> themeErrors;
    TActiveTheme styles;
    TBridgeServices services;
    TFakeWindowFactory factory;
    std::unique_ptr<TAppSession> session;
};

TEST_F(AppSessionTest, StartWorksOutOneValueOfPageHostOptionsAndTheWindowsLook) {
    Start({}, {"com.acme.app", "file:///sub/page.html"});
    factory.QueueRound([&](TFakeSessionWindow& window) {
        const TPageHostOptions& options = window.Page().Options();
        ASSERT_NE(options.package, nullptr);
        EXPECT_TRUE(options.package->IsFolder());
        EXPECT_EQ(options.appID, "com.acme.app");
        EXPECT_EQ(options.appDirName, "site");
        EXPECT_EQ(options.appIndexHtml, "index.html");
        EXPECT_EQ(options.appDirPath, ProjectFolder());
        EXPECT_EQ(options.startUrl, PageUrl("sub/page.html")) << "the relaunch URL";
        EXPECT_TRUE(options.allowDebug) << "an author running the folder has the developer tools";
        EXPECT_FALSE(options.allowContextMenu);
        EXPECT_EQ(
            options.relaunchOptions,
            (std::vector<std::string>{"--project", PathToUtf8(std::filesystem::canonical(project.Path())), "--"}));
        EXPECT_EQ(options.urlPrefix, TAppUrl::Prefix());
        EXPECT_EQ(options.extraScript, "window.extra = 1;");
        EXPECT_EQ(window.Settings().width, 640);
        EXPECT_EQ(window.FakeWindow().GetCaption(), "Acme");
        ASSERT_NE(session->Bridge(), nullptr);
        EXPECT_EQ(session->Bridge()->AppPackage(), options.package);
    });
    EXPECT_EQ(session->Run(factory), 0);
    EXPECT_EQ(factory.WindowsMade(), 1);

    const TBridgeContext context = session->BridgeContext();
    EXPECT_EQ(context.appDir, ProjectFolder()) << "relative page paths name files of the project";
    EXPECT_EQ(context.commandLine,
              (std::vector<std::string>{TExeUtils::RunningExePath(), "com.acme.app", "file:///sub/page.html"}));
}

TEST_F(AppSessionTest, OnlyApplicationDocumentsReachTheBridgeUntilThePageClosesTheWindow) {
    Start();
    factory.QueueRound([&](TFakeSessionWindow& window) {
        TFakePageHost& page = window.Page();
        EXPECT_EQ(page.Call(HelloCall, PageUrl("index.html")).size(), 1u);
        EXPECT_TRUE(page.Call(HelloCall, "https://example.com/").empty());
        EXPECT_TRUE(page.Call(HelloCall, PageUrl("missing.html")).empty()) << "not answered by the package";
        page.ChangeTitle("Inbox (3)");
        EXPECT_EQ(window.FakeWindow().GetCaption(), "Inbox (3)") << "DynamicAppTitle=1";
        page.Call(CloseCall, PageUrl("index.html"));
        EXPECT_TRUE(window.Closed());
        EXPECT_EQ(session->Bridge(), nullptr) << "released as the window closed, before its page host";
    });
    EXPECT_EQ(session->Run(factory), 0);
    EXPECT_EQ(factory.WindowsMade(), 1) << "a window closed by the page is not made again";
}

TEST_F(AppSessionTest, APageChangeReloadsAndASettingsChangeMakesTheWindowAgain) {
    Start();
    factory.QueueRound([&](TFakeSessionWindow& window) {
        EXPECT_TRUE(factory.Watching());
        EXPECT_EQ(factory.WatchedFolder(), PathToUtf8(std::filesystem::canonical(project.Path())));
        factory.PagesChanged();
        EXPECT_EQ(window.Page().Reloads(), 1);
        project.Write("zorv.ini", "[App]\nID=com.acme.app\nName=Renamed\nDirName=site\nTheme=amethyst kamri\n");
        factory.SettingsChanged();
        EXPECT_TRUE(window.EndedForRestart());
        EXPECT_FALSE(window.Closed()) << "the window goes once its loop has ended";
    });
    factory.QueueRound([&](TFakeSessionWindow& window) {
        EXPECT_EQ(window.FakeWindow().GetCaption(), "Renamed");
        EXPECT_EQ(themeEngine.Applied(), (std::vector<std::string>{"Amethyst Kamri"}));
        window.Page().ChangeTitle("Inbox");
        EXPECT_EQ(window.FakeWindow().GetCaption(), "Renamed") << "DynamicAppTitle is gone";
        EXPECT_TRUE(factory.Watching());
        EXPECT_EQ(window.Page().Call(HelloCall, PageUrl("index.html")).size(), 1u) << "a new bridge answers";
    });
    EXPECT_EQ(session->Run(factory), 0);
    EXPECT_EQ(factory.WindowsMade(), 2);
    EXPECT_FALSE(factory.Watching());
    EXPECT_TRUE(themeErrors.empty());
}

TEST_F(AppSessionTest, SettingsThatLoseTheIdentityEndTheApplication) {
    Start();
    factory.QueueRound([&](TFakeSessionWindow&) {
        project.Write("zorv.ini", "[App]\nName=Acme\nDirName=site\n");
        factory.SettingsChanged();
    });
    EXPECT_EQ(session->Run(factory), 1);
    EXPECT_EQ(factory.Errors(), std::vector<std::string>{TAppSession::SettingsLostText});
    EXPECT_EQ(factory.WindowsMade(), 1);
}

TEST_F(AppSessionTest, WithoutReloadTheFolderIsNotWatchedAndNewInstancesKeepTheOption) {
    Start({TStartupSequence::NoReloadOption});
    factory.QueueRound([&](TFakeSessionWindow& window) {
        EXPECT_FALSE(factory.Watching());
        const std::vector<std::string>& relaunch = window.Page().Options().relaunchOptions;
        EXPECT_EQ(relaunch.size(), 4u);
        EXPECT_EQ(relaunch.at(2), TStartupSequence::NoReloadOption);
    });
    EXPECT_EQ(session->Run(factory), 0);
}

}  // namespace
}  // namespace zorv::test
