#include "backends/test/FakeDialogs.h"

namespace zorv {

std::optional<std::string> TFakeDialogs::ShowOpenDialog(const TFileDialogOptions& options) {
    return Show(TFileDialogKind::Open, options);
}

std::optional<std::string> TFakeDialogs::ShowSaveDialog(const TFileDialogOptions& options) {
    return Show(TFileDialogKind::Save, options);
}

std::optional<std::string> TFakeDialogs::Show(TFileDialogKind kind, const TFileDialogOptions& options) {
    FShown.push_back({kind == TFileDialogKind::Save, options});
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
