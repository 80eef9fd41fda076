// The message protocol: reply layout, the dispatcher's reading of messages, malformed and foreign
// messages, and the module's lifetime.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"
#include "bridge/ZorvExternalJavascript.h"
#include "shared/StrUtils.h"

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
        {"1.50", "1.50"},
        {"-0", "-0"},
        {"1E2", "1E2"},
        {"7", "7"},
        {"123456789012345678901234567890", "123456789012345678901234567890"},
        {"-9223372036854775809", "-9223372036854775809"},
        {"true", "true"},
        {"false", "false"},
        {"null", ""},
        {"\"x\\ty\"", "x\ty"},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost host;
        host.window.SetCaption("before");
        EXPECT_EQ(host.Reply("60006", std::string("{\"title\": ") + c.written + "}"), Success("true")) << c.written;
        EXPECT_EQ(host.window.GetCaption(), c.caption) << c.written;
    }
}

// Messages without a uuid the reply could carry: nothing runs, nothing is answered, and the next
// call is still answered.
TEST(BridgeProtocol, MessagesWithoutAUsableUuidAreIgnoredAndLaterCallsAnswered) {
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
        {"missing uuid", "{\"id\": 60006, \"data\": {\"title\": \"x\"}}"},
        {"empty uuid", "{\"id\": 60006, \"uuid\": \"\", \"data\": {\"title\": \"x\"}}"},
        {"uuid array", "{\"id\": 60006, \"uuid\": [\"u-1\"], \"data\": {\"title\": \"x\"}}"},
        {"uuid Boolean", "{\"id\": 60006, \"uuid\": true, \"data\": {\"title\": \"x\"}}"},
        {"uuid with a quote", "{\"id\": 60006, \"uuid\": \"u\\\"1\", \"data\": {\"title\": \"x\"}}"},
        {"uuid forging a reply",
         "{\"id\": 60006, \"uuid\": \"u-1\\\", \\\"success\\\": false, \\\"x\\\": \\\"\", \"data\": {\"title\": "
         "\"x\"}}"},
        {"uuid with a backslash", "{\"id\": 60006, \"uuid\": \"u\\\\1\", \"data\": {\"title\": \"x\"}}"},
        {"uuid with a control character", "{\"id\": 60006, \"uuid\": \"u\\u00011\", \"data\": {\"title\": \"x\"}}"},
        {"uuid only deeper down", "{\"id\": 60006, \"data\": {\"uuid\": \"u-1\", \"deep\": " + deepArray + "}}"},
        {"deep nesting alone", deepArray},
        {"deep unclosed nesting", std::string(100000, '{')},
        {"deep nesting that is no JSON", "{\"id\": 60006, \"uuid\": \"u-1\", \"data\": " + std::string(1000, '[')},
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

// A call with a usable uuid gets exactly one reply: one the page's promise can reject with, naming
// what was wrong. Nothing runs, and the next call is still answered.
TEST(BridgeProtocol, MalformedCallsAreAnsweredWithOneErrorReply) {
    const std::string deep = std::string(1000, '[') + std::string(1000, ']');
    struct TCase {
        std::string message;
        const char* error;
    };
    const TCase cases[] = {
        {"{\"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}", "Value 'id' not found"},
        {"{\"ID\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}", "Value 'id' not found"},
        {"{\"id\": {\"n\": 60006}, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}",
         "Value 'id' must be a string, not an object"},
        {"{\"id\": 60006, \"uuid\": \"u-1\"}", "Value 'data' not found"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": null}", "Value 'data' must be an object"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": \"title\"}", "Value 'data' must be an object"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": [\"x\"]}", "Value 'data' must be an object"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": 5}", "Value 'data' must be an object"},
        {"{\"id\": \"abc\", \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}", "No function has the identifier 'abc'"},
        {"{\"id\": 10003, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}", "No function has the identifier '10003'"},
        {"{\"id\": 60006.0, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}",
         "No function has the identifier '60006.0'"},
        {"{\"id\": 4295027302, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\"}}",
         "No function has the identifier '4295027302'"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": {\"a\": 1}}}",
         "Value 'title' must be a string, not an object"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": [\"x\"]}}",
         "Value 'title' must be a string, not an array"},
        {"{\"id\": 60006, \"uuid\": \"u-1\", \"data\": {\"title\": \"x\", \"deep\": " + deep + "}}",
         "The call's JSON nests deeper than 256 levels"},
        {"{\"data\": {\"title\": \"x\", \"deep\": " + deep + "}, \"id\": 60006, \"uuid\": \"u-1\"}",
         "The call's JSON nests deeper than 256 levels"},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost host;
        host.window.SetCaption("before");
        host.Post(c.message);
        EXPECT_EQ(host.webView.Posted(), std::vector<std::string>{Failure(TStrUtils::StringToJsonString(c.error))})
            << c.message.substr(0, 80);
        EXPECT_EQ(host.window.GetCaption(), "before") << c.message.substr(0, 80);
        EXPECT_EQ(host.Reply("10001"), HelloReply) << c.message.substr(0, 80);
    }
}

// JSON.stringify writes half of a character cut in two as a lone surrogate escape; it reads as
// U+FFFD, as the page's TextEncoder makes it, and whole pairs stay whole.
TEST(BridgeProtocol, LoneSurrogatesReadAsReplacementCharacters) {
    struct TCase {
        const char* written;
        const char* caption;
    };
    const TCase cases[] = {
        {R"("A\ud800B")",
         "A\xEF\xBF\xBD"
         "B"},
        {R"("A\uDBFF")", "A\xEF\xBF\xBD"},
        {R"("\udc00A")",
         "\xEF\xBF\xBD"
         "A"},
        {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
        {R"("\ud83d\ud83d\ude00")", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
        {R"("\ude00\ud83d")", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {R"("\\ud800")", "\\ud800"},
        {R"("\\\ud800")", "\\\xEF\xBF\xBD"},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost host;
        EXPECT_EQ(host.Reply("60006", std::string("{\"title\": ") + c.written + "}"), Success("true")) << c.written;
        EXPECT_EQ(host.window.GetCaption(), c.caption) << c.written;
    }
    // A uuid cut the same way is answered with the replacement character in place.
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("10001", "{}", R"("u\ud800")"), ReplyText("u\xEF\xBF\xBD", true, "\"2022.1\""));
}

TEST(BridgeProtocol, DataMayHoldNestingWithinTheLimit) {
    TTestBridgeHost host;
    const std::string nested = std::string(200, '[') + std::string(200, ']');
    EXPECT_EQ(host.Reply("60006", "{\"title\": \"x\", \"extra\": " + nested + "}"), Success("true"));
}

TEST(BridgeProtocol, MessagesFromOtherDocumentsRunNothing) {
    const char* const foreign[] = {"https://example.com/", "http://localhost/index.html", "", "about:blank",
                                   "data:text/html,x",     "FILE:///index.html"};
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
    host.UseArchive(archive);
    host.PostString("zorv-webbrowser-clicked");
    EXPECT_EQ(host.webView.FocusRequests(), 1);
    EXPECT_TRUE(host.webView.Posted().empty());
}

TEST(BridgeProtocol, FunctionsRunWithoutArchive) {
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

TEST(BridgeScript, EmbeddedScriptIsTheRepositoryFileWithTheFunctionTableWithoutItsByteOrderMark) {
#ifdef _WIN32
    GTEST_SKIP() << "the source folder is a path of the build machine";
#endif
    const char* source = std::getenv("ZORV_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::string file = ReadFileBytes(std::filesystem::path(source) / "src/bridge/zorv.js");
    ASSERT_EQ(file.substr(0, 3), "\xEF\xBB\xBF");
    // The file names the place of the table once; the embedded script has the table there.
    const std::size_t placeholder = file.find("ZORV_FUNCTION_TABLE");
    ASSERT_NE(placeholder, std::string::npos);
    EXPECT_EQ(file.find("ZORV_FUNCTION_TABLE", placeholder + 1), std::string::npos);
    std::string expected = file.substr(3);
    expected.replace(placeholder - 3, std::string_view("ZORV_FUNCTION_TABLE").size(), PageFunctionTable());
    EXPECT_EQ(ZorvExternalJavascript(), expected);
    EXPECT_EQ(ZorvExternalJavascript().substr(0, 2), "//");
    // Every line ends with CR LF.
    const std::string_view text = ZorvExternalJavascript();
    for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
        ASSERT_GT(i, 0u);
        ASSERT_EQ(text[i - 1], '\r') << "line feed without carriage return at byte " << i;
    }
}

// The function paths of the declarations, read by patterns that fit how types/zorv.d.ts is written.
std::set<std::string> PagePathsInDeclarations(const std::string& declarations) {
    // Bridge's members name the interface of each namespace ("files: Files;").
    std::map<std::string, std::string> namespaceOfInterface;
    static const std::regex member(R"(^\s+(\w+): (\w+);\s*$)");
    static const std::regex interfaceOpen(R"(^\s+interface (\w+)(?: extends \w+)? \{)");
    static const std::regex method(R"(^\s+(\w+)\([^)]*\): (?:Promise<|NoReply))");
    std::vector<std::pair<std::string, std::string>> methods;  // interface, method
    std::string currentInterface;
    std::istringstream lines(declarations);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, interfaceOpen))
            currentInterface = match[1];
        else if (std::regex_match(line, match, member) && currentInterface == "Bridge")
            namespaceOfInterface[match[2]] = match[1];
        else if (std::regex_search(line, match, method))
            methods.emplace_back(currentInterface, match[1]);
    }
    std::set<std::string> paths;
    for (const auto& [interfaceName, name] : methods) {
        if (interfaceName == "Bridge") {
            if (name != "call") paths.insert(name);
        } else if (namespaceOfInterface.count(interfaceName)) {
            paths.insert(namespaceOfInterface[interfaceName] + "." + name);
        }
    }
    return paths;
}

// Each function is described once, in the dispatcher's table; the page script is given it and the
// declarations must name exactly its functions.
std::map<std::string, int32_t> TablePaths() {
    std::map<std::string, int32_t> table;
    std::set<int32_t> ids;
    for (const TBrowserExternalModule::TFunctionInfo& function : TBrowserExternalModule::Functions()) {
        EXPECT_TRUE(table.emplace(function.pagePath, function.id).second) << "path twice: " << function.pagePath;
        EXPECT_TRUE(ids.insert(function.id).second) << "identifier twice: " << function.id;
    }
    return table;
}

// The page script is given the table in place of its placeholder.
TEST(FunctionTable, PageScriptIsGivenTheTable) {
    EXPECT_NE(ZorvExternalJavascript().find(PageFunctionTable()), std::string_view::npos);
    EXPECT_EQ(ZorvExternalJavascript().find("ZORV_FUNCTION_TABLE"), std::string_view::npos);
}

TEST(FunctionTable, DeclarationsNameExactlyTheTablesFunctions) {
#ifdef _WIN32
    GTEST_SKIP() << "the source folder is a path of the build machine";
#endif
    const char* source = std::getenv("ZORV_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    std::set<std::string> tablePaths;
    for (const auto& [path, id] : TablePaths()) tablePaths.insert(path);
    EXPECT_EQ(PagePathsInDeclarations(ReadFileBytes(std::filesystem::path(source) / "types/zorv.d.ts")), tablePaths)
        << "types/zorv.d.ts must declare exactly the functions of FunctionTable (BrowserExternalModule.cpp)";
}

}  // namespace
}  // namespace zorv::test
