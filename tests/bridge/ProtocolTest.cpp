// The message protocol: reply layout, the dispatcher's reading of messages, malformed and foreign
// messages, the runtime-only rule, and the module's lifetime.
#include <gtest/gtest.h>

#include <cstdlib>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"
#include "bridge/ZorvExternalJavascript.h"

namespace zorv::test {
namespace {

const char* const HelloReply = "{\"uuid\": \"u-1\", \"success\": true, \"result\": \"2022.1\"}";

TEST(BridgeProtocol, ReplyHasTheFixedLayoutByteForByte) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("10001"), HelloReply);
    EXPECT_EQ(host.Reply("60001", "{}", "\"0f8fad5b-d9cb-469f-a165-70867728950e\""),
              "{\"uuid\": \"0f8fad5b-d9cb-469f-a165-70867728950e\", \"success\": true, \"result\": \"normal\"}");
}

TEST(BridgeProtocol, IdentifierWrittenAsStringOrNumberIsTheSame) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("\"10001\""), HelloReply);
    EXPECT_EQ(host.Reply("10001"), HelloReply);
}

TEST(BridgeProtocol, UuidWrittenAsNumberIsEchoedAsWritten) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("10001", "{}", "1.50"), ReplyText("1.50", true, "\"2022.1\""));
}

// String arguments read numbers as the text they were written with and Booleans as words.
TEST(BridgeProtocol, NumberArgumentsReadAsTheirTextAsWritten) {
    struct TCase {
        const char* written;
        const char* caption;
    };
    const TCase cases[] = {
        {"1.50", "1.50"}, {"-0", "-0"}, {"1E2", "1E2"}, {"7", "7"},
        {"123456789012345678901234567890", "123456789012345678901234567890"},
        {"-9223372036854775809", "-9223372036854775809"}, {"true", "true"}, {"false", "false"},
        {"null", ""}, {"\"x\\ty\"", "x\ty"},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost host;
        host.window.SetCaption("before");
        EXPECT_EQ(host.Reply("60006", std::string("{\"title\": ") + c.written + "}"), Success("true")) << c.written;
        EXPECT_EQ(host.window.GetCaption(), c.caption) << c.written;
    }
}

// None of these may run anything or be answered, and the next call must still be answered.
TEST(BridgeProtocol, MalformedMessagesAreIgnoredAndLaterCallsAnswered) {
    const std::string deepArray = std::string(100000, '[') + std::string(100000, ']');
    struct TCase {
        const char* name;
        std::string message;
    };
    const TCase cases[] = {
        {"not JSON", "hello there"},
        {"empty text", ""},
        {"truncated", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\""},
        {"array", "[60006, \"u-1\", {\"title\": \"x\"}]"},
        {"string", "\"60006\""},
        {"missing id", "{\"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"missing uuid", "{\"id\": 60006, \"data\": {\"title\": \"x\"}}"},
        {"missing data", "{\"id\": 60006, \"uuid\": \"u-1\"}"},
        {"data null", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": null}"},
        {"data string", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": \"title\"}"},
        {"data array", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": [\"x\"]}"},
        {"data number", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": 5}"},
        {"member names are case-sensitive", "{\"ID\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"id abc", "{\"id\": \"abc\", \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"id not in table", "{\"id\": 10003, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"id with fraction", "{\"id\": 60006.0, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"id beyond 32 bits", "{\"id\": 4295027302, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"huge id", "{\"id\": 1" + std::string(5000, '0') + ", \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"id object", "{\"id\": {\"n\": 60006}, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}"},
        {"uuid array", "{\"id\": 60006, \"uuid\": [\"u-1\"], \"data\": {\"title\": \"x\"}}"},
        {"uuid with a quote", "{\"id\": 60006, \"uuid\": \"u\\\"1\", \"data\": {\"title\": \"x\"}}"},
        {"uuid forging a reply",
         "{\"id\": 60006, \"uuid\": \"u-1\\\", \\\"success\\\": false, \\\"x\\\": \\\"\", \"data\": {\"title\": \"x\"}}"},
        {"uuid with a backslash", "{\"id\": 60006, \"uuid\": \"u\\\\1\", \"data\": {\"title\": \"x\"}}"},
        {"uuid with a control character", "{\"id\": 60006, \"uuid\": \"u\\u00011\", \"data\": {\"title\": \"x\"}}"},
        {"deep nesting in data", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\", \"deep\": " +
                                     deepArray + "}}"},
        {"deep nesting alone", deepArray},
        {"deep unclosed nesting", std::string(100000, '{') },
        {"title of the wrong type", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": {\"a\": 1}}}"},
        {"title array", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": [\"x\"]}}"},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost host;
        host.window.SetCaption("before");
        host.Post(c.message);
        EXPECT_TRUE(host.webView.Posted().empty()) << c.name;
        EXPECT_TRUE(host.webView.Refused().empty()) << c.name;
        EXPECT_EQ(host.window.GetCaption(), "before") << c.name;
        EXPECT_EQ(host.Reply("10001"), HelloReply) << c.name;
    }
}

TEST(BridgeProtocol, DataMayHoldNestingWithinTheLimit) {
    TTestBridgeHost host;
    const std::string nested = std::string(200, '[') + std::string(200, ']');
    EXPECT_EQ(host.Reply("60006", "{\"title\": \"x\", \"extra\": " + nested + "}"), Success("true"));
}

TEST(BridgeProtocol, MessagesFromOtherDocumentsRunNothing) {
    const char* const foreign[] = {"https://example.com/", "http://localhost/index.html", "", "about:blank",
                                   "data:text/html,x", "FILE:///index.html"};
    for (const char* url : foreign) {
        TTestBridgeHost host;
        host.window.SetCaption("before");
        host.Post("{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}", url);
        host.Post("{\"id\": 50001, \"uuid\": \"u-2\", \"data\": {}}", url);
        EXPECT_TRUE(host.webView.Posted().empty()) << url;
        EXPECT_EQ(host.window.GetCaption(), "before") << url;
        EXPECT_EQ(host.closeRequests, 0) << url;
    }
}

TEST(BridgeProtocol, HostDecidesWhichDocumentsMayCall) {
    TTestBridgeHost host;
    host.module->SetAppDocumentRule([](const TWebMessage& message) {
        return message.sourceUrl.starts_with("zorv-app://demo/") && message.sourceOrigin == "zorv-app://demo";
    });
    const std::string hello = "{\"id\": 10001, \"uuid\": \"u-1\", \"data\": {}}";
    const auto post = [&](const std::string& url, std::optional<std::string> origin) {
        TWebMessage message;
        message.asJson = hello;
        message.sourceUrl = url;
        message.sourceOrigin = std::move(origin);
        host.module->EdgeBrowserWebMessageReceived(message);
    };
    post("zorv-app://demo/index.html", "zorv-app://demo");
    post("zorv-app://demo.example/index.html", "zorv-app://demo");
    post("zorv-app://demo/index.html", "null");  // a sandboxed frame
    post("zorv-app://demo/index.html", std::nullopt);
    post("file:///index.html", std::nullopt);
    ASSERT_EQ(host.webView.Posted().size(), 1u);
    EXPECT_EQ(host.webView.Posted()[0], HelloReply);
}

TEST(BridgeProtocol, WithoutARuleNoDocumentMayCall) {
    TTestBridgeHost host;
    host.module->SetAppDocumentRule(nullptr);
    host.Post("{\"id\": 50001, \"uuid\": \"u-1\", \"data\": {}}");
    EXPECT_TRUE(host.webView.Posted().empty());
    EXPECT_EQ(host.closeRequests, 0);
}

// A reply goes back the way its call came: to the document that posted it, never to the top
// document; calls from a dialog's nested loop answer their own documents.
TEST(BridgeProtocol, RepliesGoBackToTheDocumentOfTheirCall) {
    TTestBridgeHost host;
    auto outer = std::make_shared<TRecordingReply>();
    auto nested = std::make_shared<TRecordingReply>();
    host.dialogs.QueueAnswer("/home/me/first.txt");
    host.dialogs.SetWhileShowing([&] {
        TWebMessage message;
        message.asJson = "{\"id\": 10001, \"uuid\": \"u-2\", \"data\": {}}";
        message.sourceUrl = TTestBridgeHost::PageUrl;
        message.reply = nested;
        host.module->EdgeBrowserWebMessageReceived(message);
    });
    TWebMessage message;
    message.asJson = "{\"id\": 20001, \"uuid\": \"u-1\", \"data\": {}}";
    message.sourceUrl = TTestBridgeHost::PageUrl;
    message.reply = outer;
    host.module->EdgeBrowserWebMessageReceived(message);
    EXPECT_EQ(nested->posted, (std::vector<std::string>{ReplyText("u-2", true, "\"2022.1\"")}));
    EXPECT_EQ(outer->posted, (std::vector<std::string>{ReplyText("u-1", true, "\"\\/home\\/me\\/first.txt\"")}));
    EXPECT_TRUE(host.webView.Posted().empty());
}

TEST(BridgeProtocol, FocusRequestMovesFocusOnlyOutsideRuntimeMode) {
    TTestBridgeHost host;
    host.PostString("zorv-webbrowser-clicked");
    EXPECT_EQ(host.webView.FocusRequests(), 1);
    host.PostString("ZORV-WEBBROWSER-CLICKED");
    EXPECT_EQ(host.webView.FocusRequests(), 1);

    TAbZipKit archive;
    host.module->SetExeZip(&archive);
    host.PostString("zorv-webbrowser-clicked");
    EXPECT_EQ(host.webView.FocusRequests(), 1);
    EXPECT_TRUE(host.webView.Posted().empty());
}

TEST(BridgeProtocol, RuntimeOnlyFunctionsShowTheirMessageWithoutArchive) {
    const std::pair<const char*, const char*> cases[] = {
        {"11001", "Calls to zorv.system.logoff() works only at runtime."},
        {"11002", "Calls to zorv.system.reboot() works only at runtime."},
        {"11003", "Calls to zorv.system.shutdown() works only at runtime."},
        {"12001", "Calls to zorv.mainMenu.setItems() works only at runtime."},
        {"12002", "Calls to zorv.mainMenu.updateItem() works only at runtime."},
        {"30004", "Calls to zorv.app.extractFile() works only at runtime."},
        {"50003", "Calls to zorv.app.enterFullscreen() works only at runtime."},
        {"50004", "Calls to zorv.app.exitFullscreen() works only at runtime."},
        {"50005", "Calls to zorv.app.getArgs() works only at runtime."},
        {"80001", "Calls to zorv.themes.getTheme() works only at runtime."},
        {"80002", "Calls to zorv.themes.getThemes() works only at runtime."},
        {"80003", "Calls to zorv.themes.setTheme() works only at runtime."},
    };
    for (const auto& [id, message] : cases) {
        TTestBridgeHost host;
        // Arguments that would otherwise be answered, or act, at once.
        EXPECT_EQ(host.Reply(id, "{\"items\": \"[]\", \"id\": \"1\", \"sourceFile\": \"/a\", \"targetFile\": \"b\"}"), "")
            << id;
        ASSERT_EQ(host.dialogs.Messages().size(), 1u) << id;
        EXPECT_EQ(host.dialogs.Messages()[0], message);
        EXPECT_TRUE(host.os->ExitRequests().empty()) << id;
        EXPECT_TRUE(host.window.Changes().empty()) << id;
        EXPECT_FALSE(host.menuBar.Menu().has_value()) << id;
    }
}

TEST(BridgeProtocol, OtherFunctionsRunWithoutArchive) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("10002"), Success("false"));
    EXPECT_EQ(host.Reply("60005"), Success("\"\""));
    EXPECT_TRUE(host.dialogs.Messages().empty());
}

TEST(BridgeProtocol, WithoutWebViewNothingIsPostedAndNothingBreaks) {
    TTestBridgeHost host;
    host.module->SetWebView(nullptr);
    host.Post("{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}");
    EXPECT_EQ(host.window.GetCaption(), "x");
    EXPECT_TRUE(host.webView.Posted().empty());
}

TEST(BridgeProtocol, MenuClickAfterTheModuleIsGoneIsIgnored) {
    TTestBridgeHost host;
    host.module.reset();
    EXPECT_FALSE(host.menuBar.HasClickHandler());
    host.menuBar.Click(1);
    EXPECT_TRUE(host.webView.Scripts().empty());
}

TEST(BridgeScript, EmbeddedScriptIsTheRepositoryFileWithoutItsByteOrderMark) {
#ifdef _WIN32
    GTEST_SKIP() << "the source folder is a path of the build machine";
#endif
    const char* source = std::getenv("ZORV_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string file = ReadFileBytes(std::filesystem::path(source) / "src/bridge/zorv.js");
    ASSERT_EQ(file.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(ZorvExternalJavascript(), file.substr(3));
    EXPECT_EQ(ZorvExternalJavascript().substr(0, 2), "//");
    // Every line ends with CR LF.
    const std::string_view text = ZorvExternalJavascript();
    for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
        ASSERT_GT(i, 0u);
        ASSERT_EQ(text[i - 1], '\r') << "line feed without carriage return at byte " << i;
    }
}

}  // namespace
}  // namespace zorv::test
