#include "backends/gtk/GtkDialogs.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "GtkTestSupport.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Optional;

bool IsFileChooser(GtkWindow* window) { return GTK_IS_FILE_CHOOSER_DIALOG(window); }
bool IsConfirmation(GtkWindow* window) { return GTK_IS_MESSAGE_DIALOG(window); }

std::vector<std::string> FilterNames(GtkFileChooser* chooser) {
    std::vector<std::string> names;
    GSList* filters = gtk_file_chooser_list_filters(chooser);
    for (GSList* item = filters; item != nullptr; item = item->next)
        names.emplace_back(gtk_file_filter_get_name(GTK_FILE_FILTER(item->data)));
    g_slist_free(filters);
    return names;
}

// Picks `path` in the shown chooser and confirms it, as the user's click on its accept button.
void Choose(GtkWindow* chooser, const std::string& path) {
    if (gtk_file_chooser_get_action(GTK_FILE_CHOOSER(chooser)) == GTK_FILE_CHOOSER_ACTION_SAVE) {
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), fs::path(path).parent_path().c_str());
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), fs::path(path).filename().c_str());
    } else {
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), path.c_str());
    }
    Pump(std::chrono::milliseconds(100));
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
}

TEST(FileDialogs, OpenShowsTitleAndFileTypesInOrderAndReturnsTheChosenPath) {
    ZORV_REQUIRE_DISPLAY();
    TScratchFolder temp;
    std::ofstream(temp / "notes.txt") << "x";
    std::string title;
    std::vector<std::string> filters;
    std::string firstFilter;
    WhenWindowAppears(IsFileChooser, [&](GtkWindow* chooser) {
        title = gtk_window_get_title(chooser);
        filters = FilterNames(GTK_FILE_CHOOSER(chooser));
        if (GtkFileFilter* current = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser)))
            firstFilter = gtk_file_filter_get_name(current);
        Choose(chooser, temp / "notes.txt");
    });
    TGtkDialogs dialogs;
    TFileDialogOptions options;
    options.title = "Open file";
    options.fileTypes = {{"Text files", "*.txt"}, {"Images", "*.png"}};
    EXPECT_THAT(dialogs.ShowOpenDialog(options), Optional(temp / "notes.txt"));
    EXPECT_EQ(title, "Open file");
    EXPECT_THAT(filters, ElementsAre("Text files", "Images"));
    EXPECT_EQ(firstFilter, "Text files");
}

// Each way of cancelling answers nothing.
TEST(FileDialogs, EscapeCancelAndClosingFromCodeReturnNothing) {
    ZORV_REQUIRE_DISPLAY();
    TGtkDialogs dialogs;
    const std::function<void(GtkWindow*)> cancels[] = {
        [](GtkWindow* chooser) { SendKey(GTK_WIDGET(chooser), "Escape"); },
        [](GtkWindow* chooser) { gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL); },
        [](GtkWindow* chooser) { gtk_window_close(chooser); },
    };
    for (const auto& cancel : cancels) {
        WhenWindowAppears(IsFileChooser, cancel);
        EXPECT_EQ(dialogs.ShowOpenDialog({}), std::nullopt);
        WhenWindowAppears(IsFileChooser, cancel);
        EXPECT_EQ(dialogs.ShowSaveDialog({}), std::nullopt);
    }
}

TEST(FileDialogs, SaveAsksBeforeReplacingOnlyWhenTheOverwritePromptIsOn) {
    ZORV_REQUIRE_DISPLAY();
    TScratchFolder temp;
    std::ofstream(temp / "exists.txt") << "old";
    TGtkDialogs dialogs;
    TFileDialogOptions options;
    options.fileName = "suggested.txt";
    options.overwritePrompt = true;

    std::string suggestedName;
    bool asked = false;
    WhenWindowAppears(IsFileChooser, [&](GtkWindow* chooser) {
        gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
        suggestedName = name != nullptr ? name : "";
        g_free(name);
        WhenWindowAppears(IsConfirmation, [&](GtkWindow* confirmation) {
            asked = true;
            gtk_dialog_response(GTK_DIALOG(confirmation), GTK_RESPONSE_ACCEPT);
        });
        Choose(chooser, temp / "exists.txt");
    });
    EXPECT_THAT(dialogs.ShowSaveDialog(options), Optional(temp / "exists.txt"));
    EXPECT_TRUE(asked);
    EXPECT_EQ(suggestedName, "suggested.txt");

    // The next call without the prompt returns the existing file straight away.
    options.overwritePrompt = false;
    bool askedAgain = false;
    WhenWindowAppears(IsFileChooser, [&](GtkWindow* chooser) {
        Choose(chooser, temp / "exists.txt");
        Pump(std::chrono::milliseconds(200));
        askedAgain = FindMappedWindow(IsConfirmation) != nullptr;
        if (GtkWindow* confirmation = FindMappedWindow(IsConfirmation))
            gtk_dialog_response(GTK_DIALOG(confirmation), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_THAT(dialogs.ShowSaveDialog(options), Optional(temp / "exists.txt"));
    EXPECT_FALSE(askedAgain);
}

TEST(FileDialogs, ASecondCallWhileTheDialogIsOpenIsAnsweredAsCancelled) {
    ZORV_REQUIRE_DISPLAY();
    TScratchFolder temp;
    std::ofstream(temp / "a.txt") << "a";
    TGtkDialogs dialogs;
    std::optional<std::string> nested = "unset";
    int choosersShown = 0;
    WhenWindowAppears(IsFileChooser, [&](GtkWindow* chooser) {
        nested = dialogs.ShowOpenDialog({});
        GList* windows = gtk_window_list_toplevels();
        for (GList* item = windows; item != nullptr; item = item->next)
            if (IsFileChooser(GTK_WINDOW(item->data)) && gtk_widget_get_mapped(GTK_WIDGET(item->data))) ++choosersShown;
        g_list_free(windows);
        Choose(chooser, temp / "a.txt");
    });
    EXPECT_THAT(dialogs.ShowOpenDialog({}), Optional(temp / "a.txt"));
    EXPECT_EQ(nested, std::nullopt);
    EXPECT_EQ(choosersShown, 1);
}

// The initial file name, in both dialogs: a path whose folder exists opens that folder with the
// name in the name box, whether or not the file exists; any other text goes into the name box.
TEST(FileDialogs, TheInitialFileNameIsShownInTheDialog) {
    ZORV_REQUIRE_DISPLAY();
    TScratchFolder temp;
    fs::create_directory(temp / "reports");
    std::ofstream(temp / "reports/march.txt") << "m";
    struct TCase {
        bool save;
        std::string fileName;
        std::string expectedFolder;
        std::string expectedName;
    };
    const TCase cases[] = {
        {false, temp / "reports/march.txt", temp / "reports", "march.txt"},
        {false, temp / "reports/may.txt", temp / "reports", "may.txt"},
        {false, "plain name.txt", "", "plain name.txt"},
        {true, temp / "reports/april.txt", temp / "reports", "april.txt"},
        {true, "plain name.txt", "", "plain name.txt"},
    };
    TGtkDialogs dialogs;
    for (const TCase& c : cases) {
        std::string folder, name;
        WhenWindowAppears(IsFileChooser, [&](GtkWindow* chooser) {
            Pump(std::chrono::milliseconds(200));  // the chooser loads its folder in the background
            GtkFileChooser* fileChooser = GTK_FILE_CHOOSER(chooser);
            gchar* current = gtk_file_chooser_get_current_folder(fileChooser);
            folder = current != nullptr ? current : "";
            g_free(current);
            gchar* shown = gtk_file_chooser_get_current_name(fileChooser);
            name = shown != nullptr ? shown : "";
            g_free(shown);
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
        });
        TFileDialogOptions options;
        options.fileName = c.fileName;
        EXPECT_EQ(c.save ? dialogs.ShowSaveDialog(options) : dialogs.ShowOpenDialog(options), std::nullopt);
        if (!c.expectedFolder.empty()) {
            EXPECT_EQ(folder, c.expectedFolder) << c.fileName;
        }
        EXPECT_EQ(name, c.expectedName) << c.fileName;
    }
}

// What the user types into the open dialog's name box comes back, the name of a file that does
// not exist included.
TEST(FileDialogs, OpenReturnsATypedNameOfAFileThatDoesNotExist) {
    ZORV_REQUIRE_DISPLAY();
    TScratchFolder temp;
    std::ofstream(temp / "old.txt") << "o";
    TGtkDialogs dialogs;
    TFileDialogOptions options;
    options.fileName = temp / "draft.txt";  // opens the dialog in the temporary folder
    for (const std::string typed : {"new.txt", "old.txt"}) {
        WhenWindowAppears(IsFileChooser, [&](GtkWindow* chooser) {
            Pump(std::chrono::milliseconds(200));
            // Typed as a user types, into the name box, which has the focus when the dialog opens.
            FocusWindowOf(GTK_WIDGET(chooser));
            Xdotool("key ctrl+a BackSpace");
            Xdotool("type --delay 2 '" + typed + "'");
            Xdotool("key Return");
            // A chooser that refuses the name stays open: cancel it so that the test ends.
            if (!RunUntil([&] { return FindMappedWindow(IsFileChooser) != chooser; }, std::chrono::seconds(3)))
                gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
        });
        EXPECT_THAT(dialogs.ShowOpenDialog(options), Optional(temp / typed));
    }
}

TEST(FileDialogs, MasksMatchNamesAsWindowsMasksDo) {
    ZORV_REQUIRE_DISPLAY();
    struct TCase {
        const char* mask;
        const char* name;
        bool listed;
    };
    const TCase cases[] = {
        {"*.jpg", "photo.jpg", true},    {"*.jpg", "PHOTO.JPG", true},   {"*.jpg", "Photo.Jpg", true},
        {"*.jpg", "photo.jpeg", false},  {"*.jpg", "photo.png", false},  {"*.*", "README", true},
        {"*.*", "notes.txt", true},      {"*", "README", true},          {"readme.*", "README", true},
        {"readme.*", "readme.md", true}, {"readme.*", "readme2", false},
    };
    for (const TCase& c : cases) {
        GtkFileFilter* filter = TGtkDialogs::MakeFilter({"Files", c.mask});
        g_object_ref_sink(filter);
        GtkFileFilterInfo info{};
        info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
        info.display_name = c.name;
        EXPECT_EQ(gtk_file_filter_filter(filter, &info) == TRUE, c.listed) << c.mask << " " << c.name;
        g_object_unref(filter);
    }
}

TEST(FileDialogs, ShowMessageWaitsForTheUserAndShowsTheText) {
    ZORV_REQUIRE_DISPLAY();
    std::string text;
    WhenWindowAppears(IsConfirmation, [&](GtkWindow* box) {
        gchar* shown = nullptr;
        g_object_get(box, "text", &shown, nullptr);
        text = shown;
        g_free(shown);
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    });
    TGtkDialogs().ShowMessage("Calls to zorv.system.reboot() works only at runtime.");
    EXPECT_EQ(text, "Calls to zorv.system.reboot() works only at runtime.");
}

}  // namespace
}  // namespace zorv::test
