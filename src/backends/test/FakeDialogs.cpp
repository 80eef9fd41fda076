#include "backends/test/FakeDialogs.h"

namespace zorv {

std::optional<std::string> TFakeDialogs::ShowOpenDialog(const TFileDialogOptions& options) {
    return Show(false, options);
}

std::optional<std::string> TFakeDialogs::ShowSaveDialog(const TFileDialogOptions& options) {
    return Show(true, options);
}

std::optional<std::string> TFakeDialogs::Show(bool save, const TFileDialogOptions& options) {
    FShown.push_back({save, options});
    if (FWhileShowing) {
        // Taken out first: the work may show another dialog, or destroy whoever owns this one.
        auto work = std::move(FWhileShowing);
        FWhileShowing = nullptr;
        work();
    }
    if (FAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    return answer;
}

}  // namespace zorv
