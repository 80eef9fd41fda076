#include "tools/zorv-pack/ProgressBar.h"

namespace zorv {
namespace {
constexpr int BarWidth = 40;
}

TProgressBar::TProgressBar(std::FILE* terminal, std::string label) : FTerminal(terminal), FLabel(std::move(label)) {}

void TProgressBar::SetMax(int64_t max) {
    FMax = max;
    FShownPercent = -1;
    Draw(0);
}

void TProgressBar::SetPosition(int64_t position) {
    const int percent = FMax > 0 ? static_cast<int>(position * 100 / FMax) : 100;
    if (percent != FShownPercent) Draw(percent);
}

void TProgressBar::Draw(int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    FShownPercent = percent;
    const int filled = percent * BarWidth / 100;
    std::fprintf(FTerminal, "\r%s [%s%s] %3d%%", FLabel.c_str(), std::string(filled, '#').c_str(),
                 std::string(BarWidth - filled, ' ').c_str(), percent);
    std::fflush(FTerminal);
    FDrawn = true;
}

void TProgressBar::Finish() {
    if (!FDrawn) return;
    std::fputc('\n', FTerminal);
    std::fflush(FTerminal);
    FDrawn = false;
}

}  // namespace zorv
