// zorv.mainMenu.* against the recording menu bar, with images from a real archive and real files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "BridgeTestSupport.h"
#include "archive/AbZipKit.h"
#include "bridge/BrowserExternalForm.h"

namespace zorv::test {
namespace {

std::string ItemsData(const std::string& itemsJson) { return "{\"items\": " + nlohmann::json(itemsJson).dump() + "}"; }

const char* const FileMenu =
    R"([{"caption": "File", "id": 10, "items": [{"caption": "Open", "id": 1}, {"caption": "Exit", "id": "2"}]},)"
    R"( {"caption": "Help", "id": "$20", "enabled": "FALSE"}])";

class MenuFunctions : public ::testing::Test {
protected:
    MenuFunctions() { host.UseArchive(archive); }
    const TMenuModel& Menu() const { return *host.menuBar.Menu(); }
    TAbZipKit archive;
    TTestBridgeHost host;
};

TEST_F(MenuFunctions, BuildsTheDescribedMenu) {
    EXPECT_EQ(host.Reply("12001", ItemsData(FileMenu)), Success("true"));
    ASSERT_TRUE(host.menuBar.Menu());
    ASSERT_EQ(Menu().items.size(), 2u);
    const TMenuItemModel& file = Menu().items[0];
    EXPECT_EQ(file.caption, "File");
    EXPECT_EQ(file.tag, 10);
    EXPECT_TRUE(file.hasSubmenu);
    ASSERT_EQ(file.items.size(), 2u);
    EXPECT_EQ(file.items[0].caption, "Open");
    EXPECT_EQ(file.items[1].tag, 2);
    EXPECT_FALSE(file.items[1].hasSubmenu);
    EXPECT_EQ(Menu().items[1].tag, 32);
    EXPECT_FALSE(Menu().items[1].enabled);
    EXPECT_TRUE(file.enabled);
}

TEST_F(MenuFunctions, ItemValues) {
    struct TCase {
        const char* item;
        int32_t tag;
        const char* caption;
        bool enabled;
        bool hasSubmenu;
    };
    const TCase cases[] = {
        {R"({"caption": "A", "id": 7})", 7, "A", true, false},
        {R"({"caption": "A", "id": "7"})", 7, "A", true, false},
        {R"({"caption": "A", "id": "abc"})", 0, "A", true, false},
        {R"({"caption": "A", "id": 1.5})", 0, "A", true, false},
        {R"({"caption": 12, "id": "0x10"})", 16, "12", true, false},
        {R"({"caption": true, "id": -3})", -3, "true", true, false},
        {R"({"caption": "-", "id": 1, "enabled": 0})", 1, "-", false, false},
        {R"({"caption": "A", "id": 1, "enabled": "false"})", 1, "A", false, false},
        {R"({"caption": "A", "id": 1, "enabled": false})", 1, "A", false, false},
        {R"({"caption": "A", "id": 1, "enabled": 2})", 1, "A", true, false},
        {R"({"caption": "A", "id": 1, "enabled": [false]})", 1, "A", true, false},
        {R"({"caption": "A", "id": 1, "items": []})", 1, "A", true, true},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(host.Reply("12001", ItemsData(std::string("[") + c.item + "]")), Success("true")) << c.item;
        ASSERT_EQ(Menu().items.size(), 1u) << c.item;
        const TMenuItemModel& item = Menu().items[0];
        EXPECT_EQ(item.tag, c.tag) << c.item;
        EXPECT_EQ(item.caption, c.caption) << c.item;
        EXPECT_EQ(item.enabled, c.enabled) << c.item;
        EXPECT_EQ(item.hasSubmenu, c.hasSubmenu) << c.item;
    }
}

TEST_F(MenuFunctions, ClickRunsTheEventScript) {
    host.Reply("12001", ItemsData(FileMenu));
    host.menuBar.Click(1);
    host.menuBar.Click(-7);
    EXPECT_EQ(host.webView.Scripts(), (std::vector<std::string>{"zorv.events.onMainMenuItemClick(1);",
                                                                "zorv.events.onMainMenuItemClick(-7);"}));
}

// A page that is not the application (a remote page the app left for) hears no menu clicks.
TEST_F(MenuFunctions, ClickReachesOnlyAnApplicationDocument) {
    bool topIsApp = false;
    host.module->SetTopIsAppDocument([&topIsApp] { return topIsApp; });
    host.Reply("12001", ItemsData(FileMenu));
    host.menuBar.Click(1);
    EXPECT_TRUE(host.webView.Scripts().empty());
    topIsApp = true;
    host.menuBar.Click(1);
    EXPECT_EQ(host.webView.Scripts(), (std::vector<std::string>{"zorv.events.onMainMenuItemClick(1);"}));
}

TEST_F(MenuFunctions, SetItemsErrors) {
    struct TCase {
        std::string data;
        std::string reply;
        bool menuShownEmpty;
    };
    const TCase cases[] = {
        {"{}", Failure("\"Missing menu items\""), false},
        {"{\"items\": \"\"}", Failure("\"Missing menu items\""), false},
        {ItemsData("not json"), Failure("\"Wrong menu items JSON\""), true},
        {ItemsData("{\"caption\": \"A\", \"id\": 1}"), Failure("\"Wrong menu items JSON\""), true},
        {ItemsData(std::string(100000, '[') + std::string(100000, ']')), Failure("\"Wrong menu items JSON\""), true},
        {ItemsData(R"([{"id": 1}])"), Failure("\"Wrong menu item JSON\""), true},
        {ItemsData(R"([{"caption": "A"}])"), Failure("\"Wrong menu item JSON\""), true},
        {ItemsData(R"([{"caption": null, "id": 1}])"), Failure("\"Wrong menu item JSON\""), true},
        {ItemsData(R"([{"caption": ["A"], "id": 1}])"), Failure("\"Wrong menu item JSON\""), true},
        {ItemsData(R"([{"caption": "A", "id": 1, "items": {}}])"), Failure("\"Wrong menu item JSON\""), true},
        {ItemsData(R"([{"caption": "A", "id": 1}, {"caption": "B", "id": 2, "items": [{"caption": "C", "id": 3,)"
                   R"( "items": [{"id": 4}]}]}])"),
         Failure("\"Wrong menu item JSON\""), true},
        {ItemsData("[]"), Success("true"), true},
    };
    for (const TCase& c : cases) {
        TTestBridgeHost fresh;
        fresh.UseArchive(archive);
        EXPECT_EQ(fresh.Reply("12001", c.data), c.reply) << c.data.substr(0, 200);
        if (c.menuShownEmpty) {
            ASSERT_TRUE(fresh.menuBar.Menu()) << c.data.substr(0, 200);
            EXPECT_TRUE(fresh.menuBar.Menu()->items.empty());
        } else {
            EXPECT_FALSE(fresh.menuBar.Menu()) << c.data;
        }
    }
}

// A platform bar that cannot take the menu: the call is answered for the menu the module holds,
// and the failure is reported rather than dropped.
TEST_F(MenuFunctions, ABarThatCannotShowTheMenuIsReported) {
    const TRecordedFailures failures;
    host.menuBar.SetShowFails(true);
    EXPECT_EQ(host.Reply("12001", ItemsData(FileMenu)), Success("true"));
    EXPECT_EQ(failures.texts, (std::vector<std::string>{"The menu bar could not be shown: the bar is gone"}));
}

TEST_F(MenuFunctions, WronglyTypedDescriptionsAreErrorRepliesAndLeaveAnEmptyMenu) {
    host.Reply("12001", ItemsData(FileMenu));
    // The items given as an array rather than its JSON text: the menu as it was.
    EXPECT_EQ(host.Reply("12001", "{\"items\": [{\"caption\": \"A\", \"id\": 1}]}"),
              Failure("\"Value 'items' must be a string, not an array\""));
    EXPECT_EQ(Menu().items.size(), 2u);
    // An element that is not an object, and an enabled value that is no Boolean, at any depth.
    struct TCase {
        const char* items;
        const char* reply;
    };
    const TCase cases[] = {
        {R"([{"caption": "A", "id": 1}, 5])", "\"Menu items must be JSON objects\""},
        {R"([{"caption": "A", "id": 1, "items": [[]]}])", "\"Menu items must be JSON objects\""},
        {R"([{"caption": "A", "id": 1, "enabled": "no"}])",
         "\"Menu item member 'enabled' must be a Boolean (true or false)\""},
    };
    for (const TCase& c : cases) {
        host.Reply("12001", ItemsData(FileMenu));
        EXPECT_EQ(host.Reply("12001", ItemsData(c.items)), Failure(c.reply)) << c.items;
        EXPECT_TRUE(Menu().items.empty()) << c.items;
    }
    EXPECT_EQ(host.Reply("10001"), Success("\"2022.1\""));
}

TEST_F(MenuFunctions, UpdateItem) {
    EXPECT_EQ(host.Reply("12002", "{\"id\": 1, \"caption\": \"x\"}"), Failure("\"No menu items\""));
    host.Reply("12001", ItemsData(FileMenu));
    struct TCase {
        const char* data;
        std::string reply;
    };
    const TCase cases[] = {
        {"{}", Failure("\"Missing item ID\"")},
        {"{\"id\": \"\"}", Failure("\"Missing item ID\"")},
        {"{\"id\": -1}", Failure("\"Wrong item ID\"")},
        {"{\"id\": 1.5}", Failure("\"Wrong item ID\"")},
        {"{\"id\": \"one\"}", Failure("\"Wrong item ID\"")},
        {"{\"id\": 99, \"caption\": \"x\"}", Success("true")},
        {"{\"id\": 2, \"caption\": \"Quit\", \"enabled\": \"0\"}", Success("true")},
        {"{\"id\": \"2\", \"caption\": \"\"}", Success("true")},
        {"{\"id\": 10, \"enabled\": false}", Success("true")},
    };
    for (const TCase& c : cases) EXPECT_EQ(host.Reply("12002", c.data), c.reply) << c.data;
    const TMenuItemModel& exit = Menu().items[0].items[1];
    EXPECT_EQ(exit.caption, "Quit");
    EXPECT_FALSE(exit.enabled);
    EXPECT_FALSE(Menu().items[0].enabled);
    // Members of the wrong type are read only for an item that exists.
    EXPECT_EQ(host.Reply("12002", "{\"id\": 98, \"caption\": [\"x\"]}"), Success("true"));
    EXPECT_EQ(host.Reply("12002", "{\"id\": 2, \"caption\": [\"x\"]}"),
              Failure("\"Value 'caption' must be a string, not an array\""));
    EXPECT_EQ(host.Reply("12002", "{\"id\": 2, \"enabled\": \"no\"}"),
              Failure("\"Value 'enabled' must be a Boolean (true or false)\""));
}

TEST_F(MenuFunctions, UpdateFindsTheFirstItemInPreOrder) {
    host.Reply("12001", ItemsData(R"([{"caption": "P", "id": 5, "items": [{"caption": "C", "id": 5}]},)"
                                  R"( {"caption": "Q", "id": 5}])"));
    host.Reply("12002", "{\"id\": 5, \"caption\": \"first\"}");
    EXPECT_EQ(Menu().items[0].caption, "first");
    EXPECT_EQ(Menu().items[0].items[0].caption, "C");
    EXPECT_EQ(Menu().items[1].caption, "Q");
}

TEST(MenuImages, FromTheArchiveBesideTheExecutableOrByPath) {
#ifdef _WIN32
    GTEST_SKIP() << "archives are made with Info-ZIP's zip of the build machine";
#endif
    TScratchFolder folder;
    WriteFileBytes(folder.Path() / "icons/beside.png", "beside-bytes");
    WriteFileBytes(folder.Path() / "elsewhere.png", "path-bytes");
    TTestBridgeHost host(ContextIn(folder));
    TAbZipKit archive;
    const std::string zip = ZipWithInfoZip({{"app/img/packed.png", "packed-bytes"}}, ZORV_ARCHIVE_PASSWORD);
    ASSERT_FALSE(zip.empty()) << "Info-ZIP zip is needed";
    archive.SetPassword(ZORV_ARCHIVE_PASSWORD);
    archive.LoadFromMemory(zip);
    host.UseArchive(archive);

    const std::string items = R"([{"caption": "A", "id": 1, "image": "app/img/packed.png"},)"
                              R"( {"caption": "B", "id": 2, "image": "icons/beside.png"},)"
                              R"( {"caption": "C", "id": 3, "image": ")" +
                              (folder.Path() / "elsewhere.png").string() +
                              R"("}, {"caption": "D", "id": 4, "image": "nowhere.png"}])";
    EXPECT_EQ(host.Reply("12001", ItemsData(items)), Success("true"));
    const TMenuModel& menu = *host.menuBar.Menu();
    EXPECT_EQ(menu.images, (std::vector<std::string>{"packed-bytes", "beside-bytes", "path-bytes"}));
    EXPECT_EQ(menu.items[0].imageIndex, 0);
    EXPECT_EQ(menu.items[1].imageIndex, 1);
    EXPECT_EQ(menu.items[2].imageIndex, 2);
    EXPECT_EQ(menu.items[3].imageIndex, -1);

    // updateItem adds; the earlier image stays in the collection.
    EXPECT_EQ(host.Reply("12002", "{\"id\": 4, \"image\": \"icons/beside.png\"}"), Success("true"));
    EXPECT_EQ(host.menuBar.Menu()->items[3].imageIndex, 3);
    EXPECT_EQ(host.menuBar.Menu()->images.size(), 4u);
    // A new menu starts the collection again at index 0.
    host.Reply("12001", ItemsData(R"([{"caption": "Z", "id": 9, "image": "icons/beside.png"}])"));
    EXPECT_EQ(host.menuBar.Menu()->images.size(), 1u);
    EXPECT_EQ(host.menuBar.Menu()->items[0].imageIndex, 0);
    EXPECT_EQ(TBrowserExternalForm::ImageName(0), "MainMenuImg0");
}

// Items that name the same image share it: each path is read once per menu.
TEST(MenuImages, OnePathIsReadOncePerMenu) {
    TScratchFolder folder;
    WriteFileBytes(folder.Path() / "icon.png", "icon-bytes");
    TTestBridgeHost host(ContextIn(folder));
    TAbZipKit archive;
    host.UseArchive(archive);
    std::string items = "[";
    for (int i = 0; i < 500; ++i) {
        items += std::string(i ? "," : "") + R"({"caption": "I", "id": )" + std::to_string(i) + R"(, "image": ")" +
                 (i % 2 ? "icon.png" : "none.png") + "\"}";
    }
    items += "]";
    EXPECT_EQ(host.Reply("12001", ItemsData(items)), Success("true"));
    const TMenuModel& menu = *host.menuBar.Menu();
    EXPECT_EQ(menu.images, std::vector<std::string>{"icon-bytes"});
    EXPECT_EQ(menu.items[1].imageIndex, 0);
    EXPECT_EQ(menu.items[499].imageIndex, 0);
    EXPECT_EQ(menu.items[498].imageIndex, -1);
    // updateItem reads the file again: the page may have changed it.
    WriteFileBytes(folder.Path() / "icon.png", "new-bytes");
    EXPECT_EQ(host.Reply("12002", "{\"id\": 1, \"image\": \"icon.png\"}"), Success("true"));
    EXPECT_EQ(host.menuBar.Menu()->images.back(), "new-bytes");
    EXPECT_EQ(host.menuBar.Menu()->items[1].imageIndex, 1);
}

}  // namespace
}  // namespace zorv::test
