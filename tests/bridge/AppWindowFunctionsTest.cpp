// zorv.hello, isRuntime, app.* and window.* against the recording main window.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"

namespace zorv::test {
namespace {

class AppWindowFunctions : public ::testing::Test {
protected:
    AppWindowFunctions() { host.UseArchive(archive); }
    TAbZipKit archive;
    TTestBridgeHost host;
};

TEST_F(AppWindowFunctions, HelloAndIsRuntime) {
    EXPECT_EQ(host.Reply("10001"), Success("\"2022.1\""));
    EXPECT_EQ(host.Reply("10002"), Success("true"));
    EXPECT_TRUE(host.dialogs.Messages().empty());
}

TEST_F(AppWindowFunctions, CloseCallsTheCloseRequestAndNeverReplies) {
    EXPECT_EQ(host.Reply("50001"), "");
    EXPECT_EQ(host.closeRequests, 1);
    host.module->SetOnAppCloseRequest(nullptr);
    EXPECT_EQ(host.Reply("50001"), "");
}

TEST_F(AppWindowFunctions, FullscreenRoundTripRestoresTheConfiguredBorder) {
    host.settings.windowBorder = 3;
    EXPECT_EQ(host.Reply("50002"), Success("false"));
    EXPECT_EQ(host.Reply("50003"), "");
    EXPECT_EQ(host.Reply("50003"), "");  // a second enter changes nothing
    EXPECT_EQ(host.window.Changes(), (std::vector<std::string>{"border=0", "state=maximized"}));
    EXPECT_EQ(host.Reply("50002"), Success("true"));
    EXPECT_EQ(host.Reply("60003"), Success("\"maximized\""));

    EXPECT_EQ(host.Reply("50004"), "");
    EXPECT_EQ(host.window.Changes(),
              (std::vector<std::string>{"border=0", "state=maximized", "state=normal", "border=3"}));
    EXPECT_EQ(host.Reply("50002"), Success("false"));
}

TEST_F(AppWindowFunctions, StartInFullscreenThenExitUsesDefaultBorder) {
    host.module->SetInFullscreen(true);
    host.window.SetBorderStyle(TBorderStyle::None);
    host.window.SetWindowState(TWindowState::Maximized);
    EXPECT_EQ(host.Reply("50002"), Success("true"));
    host.Reply("50004");
    EXPECT_EQ(host.window.GetBorderStyle(), TBorderStyle::Sizeable);
    EXPECT_EQ(host.window.GetWindowState(), TWindowState::Normal);
}

TEST_F(AppWindowFunctions, ExitFullscreenWhenNotInFullscreenChangesNothing) {
    host.window.SetBorderStyle(TBorderStyle::None);
    const std::size_t changes = host.window.Changes().size();
    EXPECT_EQ(host.Reply("50004"), "");
    EXPECT_EQ(host.window.Changes().size(), changes);
}

TEST_F(AppWindowFunctions, SetStateInFullscreenKeepsTheFlagAndBorder) {
    host.Reply("50003");
    EXPECT_EQ(host.Reply("60004", "{\"state\": \"normal\"}"), Success("true"));
    EXPECT_EQ(host.window.GetBorderStyle(), TBorderStyle::None);
    EXPECT_EQ(host.window.GetWindowState(), TWindowState::Normal);
    EXPECT_EQ(host.Reply("50002"), Success("true"));
}

TEST_F(AppWindowFunctions, WindowStateNames) {
    struct TCase {
        const char* data;
        TWindowState expected;
    };
    const TCase cases[] = {
        {"{\"state\": \"maximized\"}", TWindowState::Maximized},
        {"{\"state\": \"minimized\"}", TWindowState::Minimized},
        {"{\"state\": \"Maximized\"}", TWindowState::Minimized},  // unknown: unchanged
        {"{\"state\": \"\"}", TWindowState::Minimized},
        {"{}", TWindowState::Normal},  // the default names the normal state
        {"{\"state\": \"maximized\"}", TWindowState::Maximized},
        {"{\"state\": null}", TWindowState::Normal},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(host.Reply("60004", c.data), Success("true")) << c.data;
        EXPECT_EQ(host.window.GetWindowState(), c.expected) << c.data;
    }
    const std::pair<TWindowState, const char*> names[] = {{TWindowState::Normal, "\"normal\""},
                                                          {TWindowState::Minimized, "\"minimized\""},
                                                          {TWindowState::Maximized, "\"maximized\""}};
    for (const auto& [state, name] : names) {
        host.window.SetWindowState(state);
        EXPECT_EQ(host.Reply("60003"), Success(name));
    }
}

TEST_F(AppWindowFunctions, WindowStyles) {
    const std::pair<const char*, const char*> cases[] = {
        {"{\"style\": \"ontop\"}", "\"ontop\""}, {"{}", "\"normal\""},
        {"{\"style\": \"ontop\"}", "\"ontop\""}, {"{\"style\": \"OnTop\"}", "\"normal\""},
        {"{\"style\": \"ontop\"}", "\"ontop\""}, {"{\"style\": \"\"}", "\"normal\""},
    };
    for (const auto& [data, style] : cases) {
        EXPECT_EQ(host.Reply("60002", data), Success("true")) << data;
        EXPECT_EQ(host.Reply("60001"), Success(style)) << data;
    }
}

TEST_F(AppWindowFunctions, TitleComesBackUnchanged) {
    const std::pair<const char*, const char*> cases[] = {
        {"{\"title\": \"say \\\"hi\\\" C:\\\\dir\"}", "\"say \\\"hi\\\" C:\\\\dir\""},
        {"{\"title\": \"\"}", "\"\""},
        {"{}", "\"\""},
    };
    for (const auto& [data, title] : cases) {
        EXPECT_EQ(host.Reply("60006", data), Success("true")) << data;
        EXPECT_EQ(host.Reply("60005"), Success(title)) << data;
    }
    EXPECT_EQ(host.window.GetCaption(), "");
    host.Reply("60006", "{\"title\": \"line\\nnext \\u00e9\"}");
    EXPECT_EQ(host.window.GetCaption(), "line\nnext \xC3\xA9");
    EXPECT_EQ(nlohmann::json::parse(host.Reply("60005"))["result"], "line\nnext \xC3\xA9");
}

TEST(AppGetArgs, ExecutableFirstThenEachArgument) {
    TBridgeContext context;
    context.exePath = "C:\\Apps\\demo.exe";
    context.appDir = "C:\\Apps\\";
    context.commandLine = {"C:\\Apps\\demo.exe", "one two", "x\"y"};
    TTestBridgeHost host(context);
    TAbZipKit archive;
    host.UseArchive(archive);
    EXPECT_EQ(host.Reply("50005"), Success("[\"C:\\\\Apps\\\\demo.exe\",\"one two\",\"x\\\"y\"]"));

    context.commandLine = {};
    TTestBridgeHost bare(context);
    bare.UseArchive(archive);
    EXPECT_EQ(bare.Reply("50005"), Success("[\"C:\\\\Apps\\\\demo.exe\"]"));
}

}  // namespace
}  // namespace zorv::test
