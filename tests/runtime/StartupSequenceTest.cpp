#include "runtime/StartupSequence.h"

#include "runtime/AppCommandLine.h"
#include "runtime/AppUrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "backends/test/FakeThemeEngine.h"
#include "bridge/ActiveTheme.h"
#include "shared/StylesUtils.h"
#include "support/InfoZipArchive.h"
#include "runtime/AppCommandLine.h"
#include "runtime/AppUrl.h"

namespace zorv::test {
namespace {

struct THeldLock : IInstanceLock {};

// Records what start-up asked for and answers as configured.
class TRecordingHost : public IStartupHost {
public:
    std::optional<std::string> appended;
    std::optional<std::string> appendedButUnreadable;  // why the appended bytes cannot be opened
    bool otherInstanceRunning = false;
    bool passwordAccepted = true;
    std::string dataHome;

    std::vector<std::string> calls;
    std::vector<TStartupMessage> messages;
    std::string fatalText;
    std::string passwordCaption;
    std::string lockName;

    TResult<std::unique_ptr<IByteSource>> OpenAppendedArchive() override {
        calls.push_back("archive");
        if (appendedButUnreadable) return Failure(*appendedButUnreadable);
        if (!appended) return std::unique_ptr<IByteSource>();
        return std::unique_ptr<IByteSource>(std::make_unique<TMemoryByteSource>(*appended));
    }
    void ShowStartupMessage(const TStartupMessage& message) override {
        calls.push_back("message");
        messages.push_back(message);
    }
    void ShowFatalError(const std::string& title, const std::string& text) override {
        calls.push_back("fatal");
        fatalText = title + ": " + text;
    }
    std::string LocalAppDataDir() override {
        calls.push_back("datadir");
        return dataHome;
    }
    std::optional<int> PrepareWebEngine(const TRuntimeState&) override {
        calls.push_back("engine");
        return std::nullopt;
    }
    bool AskPassword(const std::string& caption, const std::string& password) override {
        calls.push_back("password");
        passwordCaption = caption;
        return passwordAccepted && password == "s3cret";
    }
    TInstanceLockResult AcquireInstanceLock(const std::string& appID, const std::string&) override {
        calls.push_back("lock");
        lockName = appID;
        TInstanceLockResult result;
        result.otherInstanceRunning = otherInstanceRunning;
        if (!otherInstanceRunning) result.lock = std::make_unique<THeldLock>();
        return result;
    }
};

class StartupSequenceTest : public testing::Test {
protected:
    void SetUp() override {
        if (!InfoZipAvailable()) GTEST_SKIP() << "needs Info-ZIP's zip";
        host.dataHome = dataHome.Text();
    }
    void Package(const std::string& appLines) {
        host.appended =
            ZipWithInfoZip({{"zorv.ini", "[App]\n" + appLines}, {"app/index.html", "<p>x</p>"}}, ZORV_ARCHIVE_PASSWORD);
    }
    std::optional<int> Start(std::vector<std::string> args = {}) {
        loader = std::make_unique<TStartupSequence>(host, std::move(args));
        return loader->Run();
    }

    static constexpr const char* Identity = "ID=com.acme.app\nName=Acme\nDirName=app\n";
    TScratchFolder dataHome;
    TRecordingHost host;
    std::unique_ptr<TStartupSequence> loader;
};

TEST_F(StartupSequenceTest, NothingAppendedShowsMessageFiveAndEndsCleanly) {
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"archive", "message"}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, 5);
    EXPECT_EQ(host.messages[0].title, 1);
    EXPECT_EQ(host.messages[0].button, 3);
}

TEST_F(StartupSequenceTest, AppendedBytesThatAreNoArchiveEndWithTheReadersMessageAndCodeOne) {
    host.appended = std::string(4096, 'x');
    EXPECT_EQ(Start(), 1);
    EXPECT_EQ(
        host.fatalText,
        "Application Error: The application file is damaged and cannot be started. Invalid file - not a PKZip file");
}

// An archive behind the image that cannot be opened (no read permission, a file gone) is no
// "nothing appended": the user is told the file cannot be started, and why.
TEST_F(StartupSequenceTest, AppendedBytesThatCannotBeOpenedEndWithTheReasonAndCodeOne) {
    host.appendedButUnreadable = "Cannot open file \"/opt/app\". Permission denied";
    EXPECT_EQ(Start(), 1);
    EXPECT_EQ(host.fatalText,
              "Application Error: The application file is damaged and cannot be started. Cannot open file "
              "\"/opt/app\". Permission denied");
    EXPECT_TRUE(host.messages.empty());
}

// A byte flipped in the settings' data, or in their entry of the central directory, is a damaged
// file: a clear message and a failure code, never the silent exit of settings without an identity.
TEST_F(StartupSequenceTest, DamagedSettingsEndWithAMessageAndCodeOne) {
    Package(Identity);
    const std::string whole = *host.appended;
    const std::size_t localName = whole.find("zorv.ini");
    const std::size_t centralName = whole.rfind("zorv.ini");
    ASSERT_NE(localName, centralName);
    const std::size_t extraLength =
        static_cast<unsigned char>(whole[localName - 2]) | static_cast<unsigned char>(whole[localName - 1]) << 8;
    const std::size_t positions[] = {localName + 8 + extraLength + 14, centralName - 46 + 16};
    for (const std::size_t position : positions) {
        host.appended = whole;
        (*host.appended)[position] = static_cast<char>((*host.appended)[position] ^ 0x20);
        host.calls.clear();
        EXPECT_EQ(Start(), 1) << position;
        EXPECT_EQ(host.calls, (std::vector<std::string>{"archive", "fatal"})) << position;
        EXPECT_EQ(host.fatalText.rfind(
                      "Application Error: The application file is damaged and cannot be started. zorv.ini: ", 0),
                  0u)
            << host.fatalText;
    }
}

TEST_F(StartupSequenceTest, GoesOnWithIdentityAndStateFilledIn) {
    Package(std::string(Identity) + "IndexHtml=start.html\n");
    EXPECT_EQ(Start(), std::nullopt);
    const TRuntimeState& state = loader->State();
    EXPECT_EQ(state.appID, "com.acme.app");
    EXPECT_EQ(state.appName, "Acme");
    EXPECT_EQ(state.appDirName, "app");
    EXPECT_EQ(state.appIndexHtml, "start.html");
    EXPECT_EQ(state.appDataDir, dataHome.Text() + "com.acme.app/");
    EXPECT_TRUE(std::filesystem::is_directory(state.appDataDir));
    EXPECT_TRUE(state.package->Find("app/index.html"));
    EXPECT_NE(state.instanceLock, nullptr);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"archive", "datadir", "engine", "lock"}));
}

TEST_F(StartupSequenceTest, MissingIdentityEndsSilently) {
    for (const char* lines : {"Name=Acme\nDirName=app\n", "ID=x\nDirName=app\n", "ID=x\nName=Acme\n"}) {
        host.calls.clear();
        Package(std::string(lines) + "Theme=Aqua\nPassword=s3cret\n");
        EXPECT_EQ(Start(), 0) << lines;
        EXPECT_EQ(host.calls, (std::vector<std::string>{"archive"})) << lines;
    }
}

TEST_F(StartupSequenceTest, ArchiveWithoutSettingsEndsSilently) {
    host.appended = ZipWithInfoZip({{"app/index.html", "x"}}, ZORV_ARCHIVE_PASSWORD);
    EXPECT_EQ(Start(), 0);
    EXPECT_TRUE(host.messages.empty());
}

// The theme goes to the engine by its catalogue name; an unknown one is reported and changes nothing.
TEST_F(StartupSequenceTest, TheSettingsThemeIsAppliedBeforeTheWindowExists) {
    TFakeThemeEngine engine;
    std::vector<std::string> errors;
    TActiveTheme styles(engine, [&errors](const std::string& text) { errors.push_back(text); });
    for (const char* theme : {"Windows", "windows", "amethyst kamri", "No Such Style"}) {
        Package(std::string(Identity) + "Theme=" + theme + "\n");
        loader = std::make_unique<TStartupSequence>(host, std::vector<std::string>{}, &styles);
        EXPECT_EQ(loader->Run(), std::nullopt) << theme;
    }
    EXPECT_EQ(engine.Applied(), (std::vector<std::string>{"Amethyst Kamri"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"Style 'No Such Style' not found"}));
}

struct TPasswordCase {
    std::vector<std::string> args;
    bool otherInstanceRunning;
    bool asked;
};

class StartupSequencePasswordTest : public StartupSequenceTest, public testing::WithParamInterface<TPasswordCase> {};

// Only a relaunch from a running instance, whose password was typed, goes on without asking.
TEST_P(StartupSequencePasswordTest, OnlyARelaunchBesideARunningInstanceSkipsThePrompt) {
    Package(std::string(Identity) + "Password=s3cret\nAllowInstances=1\n");
    host.otherInstanceRunning = GetParam().otherInstanceRunning;
    EXPECT_EQ(Start(GetParam().args), std::nullopt);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "password"), GetParam().asked ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupSequencePasswordTest,
                         testing::Values(TPasswordCase{{}, false, true}, TPasswordCase{{}, true, true},
                                         TPasswordCase{{"com.acme.app"}, true, true},
                                         TPasswordCase{{"com.acme.app", "zorv://app/x.html"}, true, false},
                                         TPasswordCase{{"com.acme.app", "zorv://app/x.html"}, false, true},
                                         TPasswordCase{{"COM.ACME.APP", "zorv://app/x.html"}, true, true}));

TEST_F(StartupSequenceTest, RelaunchWithoutARunningInstanceIsAnOrdinaryStartThatHoldsTheLock) {
    Package(std::string(Identity) + "Password=s3cret\n");
    EXPECT_EQ(Start({"com.acme.app", "https://example.com/"}), std::nullopt);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "password"), 1);
    EXPECT_NE(loader->State().instanceLock, nullptr);
    EXPECT_EQ(TAppCommandLine::StartUrl(loader->State().args, "com.acme.app", "index.html"),
              TAppUrl::StartPageUrl("index.html"));
}

TEST_F(StartupSequenceTest, RelaunchWithoutARunningInstanceEndsOnAWrongPassword) {
    Package(std::string(Identity) + "Password=s3cret\n");
    host.passwordAccepted = false;
    EXPECT_EQ(Start({"com.acme.app", "zorv://app/x.html"}), 0);
}

TEST_F(StartupSequenceTest, WrongPasswordEndsBeforeTheInstanceCheck) {
    Package(std::string(Identity) + "Password=s3cret\n");
    host.passwordAccepted = false;
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(host.passwordCaption, "Acme");
    EXPECT_EQ(host.calls.back(), "password");
}

struct TInstanceCase {
    std::vector<std::string> args;
    std::optional<int> outcome;
};

class StartupSequenceInstanceTest : public StartupSequenceTest, public testing::WithParamInterface<TInstanceCase> {};

TEST_P(StartupSequenceInstanceTest, SecondInstanceGoesOnOnlyAsARelaunch) {
    Package(Identity);
    host.otherInstanceRunning = true;
    EXPECT_EQ(Start(GetParam().args), GetParam().outcome);
    EXPECT_EQ(host.lockName, "com.acme.app");
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupSequenceInstanceTest,
                         testing::Values(TInstanceCase{{}, 0}, TInstanceCase{{"com.acme.app"}, 0},
                                         TInstanceCase{{"com.acme.app", "zorv://app/help.html"}, std::nullopt},
                                         TInstanceCase{{"Com.Acme.App", "zorv://app/help.html"}, 0},
                                         TInstanceCase{{"com.acme.app", "zorv://app/help.html", "x"}, 0}));

// Where several instances may run, the first still holds the lock, so that a relaunch can tell
// that one runs.
TEST_F(StartupSequenceTest, AllowInstancesGoesOnBesideARunningInstance) {
    Package(std::string(Identity) + "AllowInstances=1\n");
    host.otherInstanceRunning = true;
    EXPECT_EQ(Start(), std::nullopt);
    EXPECT_EQ(loader->State().instanceLock, nullptr);
    host.otherInstanceRunning = false;
    EXPECT_EQ(Start(), std::nullopt);
    EXPECT_NE(loader->State().instanceLock, nullptr);
}

TEST_F(StartupSequenceTest, IdentifierCannotLeadTheDataFolderElsewhere) {
    Package("ID=../../escape\nName=Acme\nDirName=app\n");
    Start();
    EXPECT_EQ(loader->State().appDataDir, dataHome.Text() + ".._.._escape/");
    EXPECT_TRUE(std::filesystem::is_directory(dataHome.Path() / ".._.._escape"));
}

TEST_F(StartupSequenceTest, AnIdentifierWithFoldersKeepsThemNested) {
    Package("ID=Company\\App\nName=Acme\nDirName=app\n");
    Start();
    EXPECT_EQ(loader->State().appDataDir, dataHome.Text() + "Company/App/");
    EXPECT_TRUE(std::filesystem::is_directory(dataHome.Path() / "Company" / "App"));
}

struct TNameCase {
    std::string id;
    std::string folder;
};

class SafeFolderNameTest : public testing::TestWithParam<TNameCase> {};

TEST_P(SafeFolderNameTest, KeepsOrdinaryIdentifiersAsTheyAre) {
    EXPECT_EQ(TStartupSequence::SafeFolderName(GetParam().id), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Cases, SafeFolderNameTest,
                         testing::Values(TNameCase{"com.acme.app", "com.acme.app"},
                                         TNameCase{"My App \xC3\xA9", "My App \xC3\xA9"}, TNameCase{"a/b\\c", "a_b_c"},
                                         TNameCase{"x:y*z?\"<>|", "x_y_z_____"}, TNameCase{"..", "_"},
                                         TNameCase{".", "_"}, TNameCase{"...", "_"}, TNameCase{". .", "_"},
                                         TNameCase{"tab\there", "tab_here"},
                                         // DOS device names, whatever follows a dot or their case
                                         TNameCase{"CON", "CON_"}, TNameCase{"nul", "nul_"},
                                         TNameCase{"Aux.app", "Aux_.app"}, TNameCase{"COM1", "COM1_"},
                                         TNameCase{"lpt9.x.y", "lpt9_.x.y"}, TNameCase{"PRN ", "PRN_ "},
                                         TNameCase{"conin$", "conin$_"}, TNameCase{"COM0", "COM0_"},
                                         TNameCase{"lpt\xC2\xB9", "lpt\xC2\xB9_"}, TNameCase{"CONSOLE", "CONSOLE"},
                                         TNameCase{"COM10", "COM10"}));

class DataFolderNameTest : public testing::TestWithParam<TNameCase> {};

// Folders are written joined with "/"; the system's own delimiter joins them.
TEST_P(DataFolderNameTest, KeepsNestedFoldersAndNeverLeavesTheDataHome) {
    std::string expected = GetParam().folder;
    std::replace(expected.begin(), expected.end(), '/', static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(TStartupSequence::DataFolderName(GetParam().id), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DataFolderNameTest,
    testing::Values(TNameCase{"com.acme.app", "com.acme.app"}, TNameCase{"Company\\App", "Company/App"},
                    TNameCase{"Company/App", "Company/App"}, TNameCase{"Company\\\\App\\", "Company/App"},
                    TNameCase{"A\\b:c", "A/b_c"}, TNameCase{"..\\escape", ".._escape"},
                    TNameCase{"Company\\..\\..\\x", "Company_.._.._x"}, TNameCase{"a/./b", "a_._b"},
                    TNameCase{"a\\.. \\b", "a_.. _b"}, TNameCase{"\\rooted", "_rooted"},
                    TNameCase{"/rooted", "_rooted"}, TNameCase{"\\\\server\\share", "__server_share"},
                    TNameCase{"C:\\Windows", "C__Windows"}, TNameCase{"C:rel", "C_rel"}, TNameCase{"..", "_"},
                    TNameCase{"Company\\CON\\com3.x", "Company/CON_/com3_.x"}));

}  // namespace
}  // namespace zorv::test

namespace zorv::test {
namespace {

// Only the bare runtime serves a project folder: it reads the folder's settings and hands the
// application what follows the options; a packaged file runs its own archive and keeps every
// argument, the folder option included.
TEST_F(StartupSequenceTest, FolderOptionServesTheFolderOnlyFromTheBareRuntime) {
    TScratchFolder project;
    project.Write("zorv.ini", "[App]\nID=com.acme.folder\nName=From Folder\nDirName=site\n");
    project.Write("site/index.html", "<p>folder</p>");
    const std::vector<std::string> args{"--project", project.Path().string(), "--no-reload", "--", "one", "two"};

    EXPECT_EQ(Start(args), std::nullopt);
    const TRuntimeState& folderState = loader->State();
    EXPECT_TRUE(folderState.ServesFolder());
    EXPECT_FALSE(folderState.reloadOnChange);
    EXPECT_EQ(folderState.appName, "From Folder");
    EXPECT_TRUE(folderState.settings.allowDebug);  // developer tools while the author runs it
    EXPECT_EQ(folderState.args, (std::vector<std::string>{"one", "two"}));
    // A new window starts on the same folder, as this start was made.
    EXPECT_EQ(TStartupSequence::FolderOptions(folderState),
              (std::vector<std::string>{"--project", folderState.projectFolder, "--no-reload", "--"}));
    ASSERT_NE(folderState.package, nullptr);
    EXPECT_TRUE(folderState.package->Find("site/index.html"));

    Package(Identity);
    EXPECT_EQ(Start(args), std::nullopt);
    const TRuntimeState& packagedState = loader->State();
    EXPECT_FALSE(packagedState.ServesFolder());
    EXPECT_EQ(packagedState.appName, "Acme");
    EXPECT_FALSE(packagedState.settings.allowDebug);
    EXPECT_EQ(packagedState.args, args);
    EXPECT_TRUE(packagedState.package->Find("app/index.html"));
    EXPECT_FALSE(packagedState.package->Find("site/index.html"));

    host.appended.reset();
    EXPECT_EQ(Start({"--project", (project / "missing").string()}), 1);
    EXPECT_NE(host.fatalText.find("No project folder"), std::string::npos);
}

}  // namespace
}  // namespace zorv::test
