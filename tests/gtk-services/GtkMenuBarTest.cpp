#include "backends/gtk/GtkMenuBar.h"

#include <gmock/gmock.h>

#include <cstdlib>

#include "GtkTestSupport.h"

namespace zorv::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A real PNG of one colour, made by GdkPixbuf's encoder.
std::string SolidPng(int size, guint32 rgba) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size, size);
    gdk_pixbuf_fill(pixbuf, rgba);
    gchar* buffer = nullptr;
    gsize length = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &length, "png", nullptr, nullptr);
    std::string png(buffer, length);
    g_free(buffer);
    g_object_unref(pixbuf);
    return png;
}

TMenuItemModel Item(int32_t tag, std::string caption, bool enabled = true, int image = -1) {
    TMenuItemModel item;
    item.tag = tag;
    item.caption = std::move(caption);
    item.enabled = enabled;
    item.imageIndex = image;
    return item;
}

TMenuItemModel Submenu(int32_t tag, std::string caption, std::vector<TMenuItemModel> items) {
    TMenuItemModel item = Item(tag, std::move(caption));
    item.hasSubmenu = true;
    item.items = std::move(items);
    return item;
}

// File (Open with a red image, separator, Exit disabled with the image, Recent > Doc), Help.
TMenuModel SampleMenu() {
    TMenuModel menu;
    menu.images = {SolidPng(32, 0xFF0000FF), "not an image"};
    menu.items = {
        Submenu(100, "&File",
                {Item(1, "&Open", true, 0), Item(0, "-"), Item(2, "E&xit", false, 0),
                 Submenu(3, "Recent", {Item(7, "Doc && notes")})}),
        Item(9, "Help", true, 1),
        Submenu(10, "Empty", {}),
    };
    return menu;
}

// The menu bar in a shown window, the way the main window holds it.
class GtkMenuBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ZORV_REQUIRE_DISPLAY();
        FBar = std::make_unique<TGtkMenuBar>();
        FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(FWindow), "Zorv menu test");
        gtk_window_set_default_size(GTK_WINDOW(FWindow), 400, 200);
        gtk_window_move(GTK_WINDOW(FWindow), 50, 50);
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_box_pack_start(GTK_BOX(box), FBar->Widget(), FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box), gtk_label_new("page"), TRUE, TRUE, 0);
        gtk_container_add(GTK_CONTAINER(FWindow), box);
        gtk_widget_show_all(FWindow);
        FBar->SetOnItemClick([this](int32_t tag) { FClicks.push_back(tag); });
        RunUntil([&] { return gtk_widget_get_mapped(FWindow); });
    }
    void TearDown() override {
        FBar.reset();
        if (FWindow != nullptr) gtk_widget_destroy(FWindow);
    }

    std::vector<GtkWidget*> TopItems() { return WidgetsOfType(FBar->Widget(), GTK_TYPE_MENU_ITEM); }
    // A submenu's items, made as they are when it pops up.
    static std::vector<GtkWidget*> Children(GtkWidget* menuItem) {
        GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(menuItem));
        gtk_widget_show(submenu);
        return Made(submenu);
    }
    // The items a menu holds now, without showing it.
    static std::vector<GtkWidget*> Made(GtkWidget* submenu) {
        std::vector<GtkWidget*> items;
        GList* children = gtk_container_get_children(GTK_CONTAINER(submenu));
        for (GList* child = children; child != nullptr; child = child->next) items.push_back(GTK_WIDGET(child->data));
        g_list_free(children);
        return items;
    }
    static std::string Caption(GtkWidget* menuItem) {
        std::vector<GtkWidget*> labels = WidgetsOfType(menuItem, GTK_TYPE_LABEL);
        return labels.empty() ? "" : gtk_label_get_text(GTK_LABEL(labels[0]));
    }
    static GdkPixbuf* ImageOf(GtkWidget* menuItem) {
        std::vector<GtkWidget*> images = WidgetsOfType(menuItem, GTK_TYPE_IMAGE);
        if (images.empty() || gtk_image_get_storage_type(GTK_IMAGE(images[0])) != GTK_IMAGE_SURFACE) return nullptr;
        cairo_surface_t* surface = nullptr;
        g_object_get(images[0], "surface", &surface, nullptr);
        GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, cairo_image_surface_get_width(surface),
                                                        cairo_image_surface_get_height(surface));
        cairo_surface_destroy(surface);
        return pixbuf;
    }
    static std::vector<guchar> FirstPixel(GdkPixbuf* pixbuf) {
        const guchar* p = gdk_pixbuf_get_pixels(pixbuf);
        return {p[0], p[1], p[2], gdk_pixbuf_get_has_alpha(pixbuf) ? p[3] : guchar(255)};
    }

    std::unique_ptr<TGtkMenuBar> FBar;
    GtkWidget* FWindow = nullptr;
    std::vector<int32_t> FClicks;
};

TEST_F(GtkMenuBarTest, StaysHiddenUntilTheFirstMenuAndThenShowsEvenWhenEmpty) {
    EXPECT_FALSE(gtk_widget_get_visible(FBar->Widget()));
    FBar->ShowMenu(TMenuModel{});
    EXPECT_TRUE(gtk_widget_get_visible(FBar->Widget()));
    EXPECT_THAT(TopItems(), IsEmpty());
}

TEST_F(GtkMenuBarTest, RendersCaptionsSubmenusSeparatorsAndEnabledState) {
    FBar->ShowMenu(SampleMenu());
    std::vector<GtkWidget*> top = TopItems();
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(Caption(top[0]), "File");
    EXPECT_EQ(Caption(top[1]), "Help");

    std::vector<GtkWidget*> file = Children(top[0]);
    ASSERT_EQ(file.size(), 4u);
    EXPECT_EQ(Caption(file[0]), "Open");
    EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(file[1]));
    EXPECT_EQ(Caption(file[2]), "Exit");
    EXPECT_TRUE(gtk_widget_get_sensitive(file[0]));
    EXPECT_FALSE(gtk_widget_get_sensitive(file[2]));
    std::vector<GtkWidget*> recent = Children(file[3]);
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(Caption(recent[0]), "Doc & notes");
    EXPECT_NE(gtk_menu_item_get_submenu(GTK_MENU_ITEM(top[2])), nullptr);  // an empty submenu stays one
}

TEST_F(GtkMenuBarTest, ImagesAre16PixelsAndGreyWhenTheItemIsDisabled) {
    FBar->ShowMenu(SampleMenu());
    std::vector<GtkWidget*> file = Children(TopItems()[0]);
    GdkPixbuf* open = ImageOf(file[0]);
    GdkPixbuf* exit = ImageOf(file[2]);
    ASSERT_NE(open, nullptr);
    ASSERT_NE(exit, nullptr);
    const int size = TGtkMenuBar::ImageSize * gtk_widget_get_scale_factor(FBar->Widget());
    EXPECT_EQ(gdk_pixbuf_get_width(open), size);
    EXPECT_EQ(gdk_pixbuf_get_height(open), size);
    EXPECT_THAT(FirstPixel(open), ElementsAre(255, 0, 0, 255));
    const std::vector<guchar> grey = FirstPixel(exit);
    EXPECT_EQ(grey[0], grey[1]);
    EXPECT_EQ(grey[1], grey[2]);
    EXPECT_LT(grey[3], 255);
    g_object_unref(open);
    g_object_unref(exit);
    // Undecodable data gives an item without an image, not a failure.
    EXPECT_EQ(ImageOf(TopItems()[1]), nullptr);
}

TEST_F(GtkMenuBarTest, ActivatingAnItemCallsBackWithItsTagButSubmenuItemsDoNot) {
    FBar->ShowMenu(SampleMenu());
    std::vector<GtkWidget*> top = TopItems();
    std::vector<GtkWidget*> file = Children(top[0]);
    gtk_menu_item_activate(GTK_MENU_ITEM(file[0]));
    gtk_menu_item_activate(GTK_MENU_ITEM(Children(file[3])[0]));
    gtk_menu_item_activate(GTK_MENU_ITEM(file[3]));  // Recent only opens its submenu
    EXPECT_THAT(FClicks, ElementsAre(1, 7));
}

TEST_F(GtkMenuBarTest, ANewMenuReplacesTheOldOneCompletely) {
    FBar->ShowMenu(SampleMenu());
    TMenuModel second;
    second.items = {Item(42, "Only")};
    FBar->ShowMenu(second);
    std::vector<GtkWidget*> top = TopItems();
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(Caption(top[0]), "Only");
    gtk_menu_item_activate(GTK_MENU_ITEM(top[0]));
    EXPECT_THAT(FClicks, ElementsAre(42));
}

// A submenu's items are made when it is first shown, from the menu shown at that time.
TEST_F(GtkMenuBarTest, SubmenuItemsAreMadeWhenTheSubmenuIsFirstShown) {
    FBar->ShowMenu(SampleMenu());
    GtkWidget* file = TopItems()[0];
    EXPECT_THAT(Made(gtk_menu_item_get_submenu(GTK_MENU_ITEM(file))), IsEmpty());
    TMenuModel changed = SampleMenu();
    changed.items[0].items[0].caption = "&Open again";
    FBar->ShowMenu(changed);
    file = TopItems()[0];
    EXPECT_EQ(Caption(Children(file)[0]), "Open again");
    EXPECT_EQ(Children(file).size(), 4u);  // shown twice, made once
}

// A menu that differs only in some items has only those items changed, in place: the items, and
// the submenus already made, keep their widgets; only a separator that becomes an item is made anew.
TEST_F(GtkMenuBarTest, ChangingOneItemChangesOnlyThatItemInPlace) {
    FBar->ShowMenu(SampleMenu());
    GtkWidget* file = TopItems()[0];
    GtkWidget* help = TopItems()[1];
    const std::vector<GtkWidget*> before = Children(file);
    const std::vector<GtkWidget*> recentBefore = Children(before[3]);

    TMenuModel changed = SampleMenu();
    changed.items[0].items[0].tag = 11;
    changed.items[0].items[1] = Item(12, "Between");
    changed.items[0].items[2].caption = "Quit";
    changed.items[0].items[2].enabled = true;
    changed.images.push_back(SolidPng(16, 0x00FF00FF));
    changed.items[0].items[3].items[0].imageIndex = 2;
    FBar->ShowMenu(changed);

    EXPECT_EQ(TopItems()[0], file);
    EXPECT_EQ(TopItems()[1], help);
    const std::vector<GtkWidget*> after = Children(file);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_NE(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(after[3], before[3]);
    EXPECT_EQ(Caption(after[1]), "Between");
    EXPECT_EQ(Caption(after[2]), "Quit");
    EXPECT_TRUE(gtk_widget_get_sensitive(after[2]));
    const std::vector<GtkWidget*> recentAfter = Children(after[3]);
    EXPECT_EQ(recentAfter, recentBefore);
    GdkPixbuf* green = ImageOf(recentAfter[0]);
    ASSERT_NE(green, nullptr);
    EXPECT_THAT(FirstPixel(green), ElementsAre(0, 255, 0, 255));
    g_object_unref(green);
    for (GtkWidget* item : {after[0], after[1], after[2]}) gtk_menu_item_activate(GTK_MENU_ITEM(item));
    EXPECT_THAT(FClicks, ElementsAre(11, 12, 2));
}

// Clicks with the real pointer through the X server: the bar item, then the item of its menu.
TEST_F(GtkMenuBarTest, ClickingWithTheMouseReportsTheTag) {
    if (g_find_program_in_path("xdotool") == nullptr) GTEST_SKIP() << "xdotool missing";
    FBar->ShowMenu(SampleMenu());
    Pump(std::chrono::milliseconds(200));
    auto click = [](GtkWidget* widget) {
        GtkAllocation allocation;
        gtk_widget_get_allocation(widget, &allocation);
        gint x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(widget), &x, &y);
        const std::string command = "xdotool mousemove " + std::to_string(x + allocation.x + allocation.width / 2) +
                                    " " + std::to_string(y + allocation.y + allocation.height / 2) + " click 1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    };
    GtkWidget* file = TopItems()[0];
    click(file);
    GtkWidget* open = Children(file)[0];
    ASSERT_TRUE(RunUntil([&] { return gtk_widget_get_mapped(open); }));
    Pump(std::chrono::milliseconds(300));
    click(open);
    EXPECT_TRUE(RunUntil([&] { return !FClicks.empty(); }));
    EXPECT_THAT(FClicks, ElementsAre(1));
}

TEST(GtkMenuBarCaptions, WindowsAccessKeysBecomeGtkMnemonics) {
    struct TCase {
        const char* caption;
        const char* label;
    };
    for (const TCase& c :
         {TCase{"&File", "_File"}, TCase{"Save && Exit", "Save & Exit"}, TCase{"snake_case", "snake__case"},
          TCase{"E&xit", "E_xit"}, TCase{"end&", "end"}, TCase{"Plain", "Plain"}}) {
        EXPECT_EQ(TGtkMenuBar::MnemonicCaption(c.caption), c.label) << c.caption;
    }
}

}  // namespace
}  // namespace zorv::test
