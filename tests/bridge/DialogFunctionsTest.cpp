// zorv.dialogs.* against recording dialogs.
#include <gtest/gtest.h>

#include "BridgeTestSupport.h"

namespace zorv::test {
namespace {

TEST(DialogFunctions, DefaultsOfBothDialogs) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("20001"), Success("\"\""));
    EXPECT_EQ(host.Reply("20002"), Success("\"\""));
    ASSERT_EQ(host.dialogs.Shown().size(), 2u);
    const TFileDialogOptions& open = host.dialogs.Shown()[0].options;
    EXPECT_FALSE(host.dialogs.Shown()[0].save);
    EXPECT_EQ(open.title, "Open file");
    EXPECT_EQ(open.fileName, "");
    EXPECT_TRUE(open.fileTypes.empty());
    const TFileDialogOptions& save = host.dialogs.Shown()[1].options;
    EXPECT_TRUE(host.dialogs.Shown()[1].save);
    EXPECT_EQ(save.title, "Save file");
    EXPECT_FALSE(save.overwritePrompt);
}

TEST(DialogFunctions, ArgumentsReachTheDialog) {
    TTestBridgeHost host;
    host.Reply("20002", "{\"fileName\": \"report.txt\", \"title\": \"\", \"overwritePrompt\": true}");
    host.Reply("20002", "{\"title\": null}");
    host.Reply("20002", "{\"overwritePrompt\": \"true\"}");
    host.Reply("20002", "{\"overwritePrompt\": false}");
    const auto& shown = host.dialogs.Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].options.fileName, "report.txt");
    EXPECT_EQ(shown[0].options.title, "");  // an empty title stays empty: the system's own
    EXPECT_TRUE(shown[0].options.overwritePrompt);
    EXPECT_EQ(shown[1].options.title, "Save file");
    EXPECT_FALSE(shown[1].options.overwritePrompt);
    EXPECT_TRUE(shown[2].options.overwritePrompt);
    EXPECT_FALSE(shown[3].options.overwritePrompt);
}

TEST(DialogFunctions, FileTypeList) {
    struct TCase {
        const char* fileTypes;
        std::vector<TFileType> expected;
    };
    const TCase cases[] = {
        {"Text|*.txt;Images|*.png", {{"Text", "*.txt"}, {"Images", "*.png"}}},
        {"Text|*.txt;Images|*.png;", {{"Text", "*.txt"}, {"Images", "*.png"}}},
        {"Text|*.txt|*.md;Images|*.png", {{"Images", "*.png"}}},
        {"Text;All|*.*", {{"All", "*.*"}}},
        {"", {}},
        {";;", {}},
        {"|", {{"", ""}}},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost host;
        host.Reply("20001", std::string("{\"fileTypes\": \"") + c.fileTypes + "\"}");
        ASSERT_EQ(host.dialogs.Shown().size(), 1u);
        EXPECT_EQ(host.dialogs.Shown()[0].options.fileTypes, c.expected) << c.fileTypes;
    }
}

TEST(DialogFunctions, ChosenPathComesBackAsJsonString) {
    TTestBridgeHost host;
    host.dialogs.QueueAnswer("C:\\Users\\me\\a \"b\".txt");
    EXPECT_EQ(host.Reply("20001"), Success("\"C:\\\\Users\\\\me\\\\a \\\"b\\\".txt\""));
    host.dialogs.QueueAnswer(std::nullopt);
    EXPECT_EQ(host.Reply("20002"), Success("\"\""));
}

TEST(DialogFunctions, ArgumentOfTheWrongTypeShowsNoDialogAndIsAnErrorReply) {
    TTestBridgeHost host;
    EXPECT_EQ(host.Reply("20001", "{\"title\": [1]}"), Failure("\"Value 'title' must be a string, not an array\""));
    EXPECT_EQ(host.Reply("20002", "{\"overwritePrompt\": \"maybe\"}"),
              Failure("\"Value 'overwritePrompt' must be a Boolean (true or false)\""));
    EXPECT_EQ(host.Reply("20002", "{\"overwritePrompt\": {}}"),
              Failure("\"Value 'overwritePrompt' must be a Boolean (true or false), not an object\""));
    EXPECT_TRUE(host.dialogs.Shown().empty());
}

// A call that arrives from the open dialog's own message loop must not disturb it; each call is
// answered once.
TEST(DialogFunctions, SecondCallWhileTheDialogIsOpenIsAnsweredAsCancelled) {
    TTestBridgeHost host;
    host.dialogs.QueueAnswer("/home/me/saved.txt");  // the nested save dialog answers first
    host.dialogs.QueueAnswer("/home/me/first.txt");
    host.dialogs.SetWhileShowing([&] {
        host.Post("{\"id\": 20001, \"uuid\": \"u-2\", \"data\": {}}");
        host.Post("{\"id\": 20002, \"uuid\": \"u-3\", \"data\": {}}");  // the other kind may open
    });
    host.Reply("20001");
    EXPECT_EQ(host.webView.Posted(), (std::vector<std::string>{
                                         ReplyText("u-2", true, "\"\""),
                                         ReplyText("u-3", true, "\"\\/home\\/me\\/saved.txt\""),
                                         ReplyText("u-1", true, "\"\\/home\\/me\\/first.txt\""),
                                     }));
    EXPECT_EQ(host.dialogs.Shown().size(), 2u);
    // Once it has closed, the next call opens a dialog again.
    host.Reply("20001");
    EXPECT_EQ(host.dialogs.Shown().size(), 3u);
}

TEST(DialogFunctions, ModuleDestroyedWhileTheDialogIsOpen) {
    TTestBridgeHost host;
    host.dialogs.QueueAnswer("/tmp/x");
    host.dialogs.SetWhileShowing([&] { host.module.reset(); });
    host.Post("{\"id\": 20001, \"uuid\": \"u-1\", \"data\": {}}");
    EXPECT_TRUE(host.webView.Posted().empty());
}

}  // namespace
}  // namespace zorv::test
