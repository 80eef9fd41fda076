#include "backends/gtk/PasswordDialog.h"

#include "GtkTestSupport.h"

namespace zorv::test {
namespace {

const char* const kAppName = "Zorv Password Test";

bool IsPasswordDialog(GtkWindow* window) {
    const char* title = gtk_window_get_title(window);
    return title != nullptr && std::string(title) == kAppName;
}

void TypeKey(GtkWidget* edit, char c) {
    const std::string name = c == '\r' ? "Return" : gdk_keyval_name(gdk_unicode_to_keyval(static_cast<guchar>(c)));
    SendKey(edit, name);
}

struct TTyped {
    std::string text;
    bool unlocks = false;  // how long to wait for the answer after the last key
    bool closedBeforeTheEnd = false;
    bool openAfterTyping = false;
};

// The dialog answers (and its modal loop ends) as soon as it gets a response.
bool* WatchResponse(GtkWindow* window) {
    bool* answered = new bool(false);
    g_signal_connect_data(
        window, "response", G_CALLBACK(+[](GtkDialog*, gint, bool* flag) { *flag = true; }), answered,
        [](gpointer flag, GClosure*) { delete static_cast<bool*>(flag); }, GConnectFlags(0));
    return answered;
}

// Types `text` key by key into the prompt, then closes it by its frame if it is still open.
int TypeIntoPrompt(TPasswordDialog& prompt, TTyped& typed) {
    WhenWindowAppears(IsPasswordDialog, [&](GtkWindow* window) {
        const bool* answered = WatchResponse(window);
        GtkWidget* edit = prompt.PasswordEdit();
        for (size_t i = 0; i < typed.text.size() && !*answered; ++i) {
            TypeKey(edit, typed.text[i]);
            RunUntil([&] { return *answered; }, std::chrono::milliseconds(100));
            if (i + 1 < typed.text.size() && *answered) typed.closedBeforeTheEnd = true;
        }
        RunUntil([&] { return *answered; },
                 typed.unlocks ? std::chrono::milliseconds(5000) : std::chrono::milliseconds(300));
        typed.openAfterTyping = !*answered;
        if (typed.openAfterTyping) gtk_window_close(window);
    });
    return prompt.ShowModal();
}

TEST(PasswordDialog, TypingThePasswordUnlocksOnTheLastKey) {
    ZORV_REQUIRE_DISPLAY();
    TPasswordDialog prompt(kAppName, "Se3ret");
    TTyped typed{"Se3ret", true};
    EXPECT_EQ(TypeIntoPrompt(prompt, typed), TPasswordDialog::ResultAccepted);
    EXPECT_FALSE(typed.closedBeforeTheEnd);
    EXPECT_FALSE(typed.openAfterTyping);
}

TEST(PasswordDialog, WrongTextOrLetterCaseOrEnterKeepsItOpenAndTheFrameClosesIt) {
    ZORV_REQUIRE_DISPLAY();
    for (const std::string attempt : {"se3ret", "Se3re", "Se3re\r", "SE3RET"}) {
        TPasswordDialog prompt(kAppName, "Se3ret");
        TTyped typed{attempt};
        EXPECT_EQ(TypeIntoPrompt(prompt, typed), TPasswordDialog::ResultClosed) << attempt;
        EXPECT_TRUE(typed.openAfterTyping) << attempt;
    }
}

TEST(PasswordDialog, PastingThePasswordUnlocksWhenTheKeysAreReleased) {
    ZORV_REQUIRE_DISPLAY();
    TPasswordDialog prompt(kAppName, "pasted-Secret");
    bool answeredBeforeRelease = true;
    bool answeredAfterRelease = false;
    WhenWindowAppears(IsPasswordDialog, [&](GtkWindow* window) {
        const bool* answered = WatchResponse(window);
        gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "pasted-Secret", -1);
        FocusWindowOf(prompt.PasswordEdit());
        Xdotool("keydown ctrl+v");
        RunUntil([&] { return std::string(gtk_entry_get_text(GTK_ENTRY(prompt.PasswordEdit()))) != ""; },
                 std::chrono::seconds(2));
        Pump(std::chrono::milliseconds(50));
        answeredBeforeRelease = *answered;
        Xdotool("keyup v keyup ctrl");
        answeredAfterRelease = RunUntil([&] { return *answered; }, std::chrono::seconds(2));
        if (!*answered) gtk_window_close(window);
    });
    EXPECT_EQ(prompt.ShowModal(), TPasswordDialog::ResultAccepted);
    EXPECT_FALSE(answeredBeforeRelease);
    EXPECT_TRUE(answeredAfterRelease);
}

}  // namespace
}  // namespace zorv::test
