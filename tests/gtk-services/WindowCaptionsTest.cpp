#include <gmock/gmock.h>

#include <algorithm>

#include "GtkTestSupport.h"
#include "backends/gtk/GtkOperatingSystem.h"

namespace zorv::test {
namespace {

TEST(WindowCaptions, ListsTitledTopLevelWindowsShownOrHiddenWithDuplicatesAndNoBlanks) {
    ZORV_REQUIRE_DISPLAY();
    std::vector<GtkWidget*> windows;
    auto make = [&](const char* title, bool show) {
        GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(window), title);
        if (show)
            gtk_widget_show(window);
        else
            gtk_widget_realize(window);  // an X window that is never mapped
        windows.push_back(window);
    };
    make("Zorv twin", true);
    make("Zorv twin", true);
    make("   ", true);
    make("  Zorv padded\t", true);
    make("Zorv hidden ünïcödé", false);
    RunUntil([&] { return gtk_widget_get_mapped(windows[3]); });

    const std::vector<std::string> captions = TGtkOperatingSystem().GetWindowsCaptions();
    auto count = [&](const std::string& title) { return std::count(captions.begin(), captions.end(), title); };
    EXPECT_EQ(count("Zorv twin"), 2);
    EXPECT_EQ(count("  Zorv padded\t"), 1);
    EXPECT_EQ(count("Zorv hidden ünïcödé"), 1);
    EXPECT_EQ(count("   "), 0);
    for (const std::string& caption : captions) EXPECT_FALSE(caption.empty());
    for (GtkWidget* window : windows) gtk_widget_destroy(window);
}

}  // namespace
}  // namespace zorv::test
