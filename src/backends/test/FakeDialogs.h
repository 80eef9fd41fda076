#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace zorv {

// File dialogs that answer from a queue (nothing queued: the user cancels) and remember how they
// were shown; message boxes that are only recorded.
class TFakeDialogs : public IDialogs {
public:
    struct TShown {
        bool save = false;
        TFileDialogOptions options;
    };

    std::optional<std::string> ShowOpenDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> ShowSaveDialog(const TFileDialogOptions& options) override;
    void ShowMessage(const std::string& text) override { FMessages.push_back(text); }

    // The user's next choice: a path, or nothing for cancel.
    void QueueAnswer(std::optional<std::string> answer) { FAnswers.push_back(std::move(answer)); }
    // Runs while a file dialog is showing, as the dialog's own message loop would run other work.
    void SetWhileShowing(std::function<void()> work) { FWhileShowing = std::move(work); }

    const std::vector<TShown>& Shown() const { return FShown; }
    const std::vector<std::string>& Messages() const { return FMessages; }

private:
    std::optional<std::string> Show(TFileDialogKind kind, const TFileDialogOptions& options);

    std::deque<std::optional<std::string>> FAnswers;
    std::function<void()> FWhileShowing;
    std::vector<TShown> FShown;
    std::vector<std::string> FMessages;
};

}  // namespace zorv
