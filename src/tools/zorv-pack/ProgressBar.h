#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace zorv {

// A one-line progress bar on a terminal, redrawn only when its percentage changes.
class TProgressBar {
public:
    TProgressBar(std::FILE* terminal, std::string label);
    void SetMax(int64_t max);
    void SetPosition(int64_t position);
    // Ends the line.
    void Finish();

private:
    void Draw(int percent);

    std::FILE* FTerminal;
    std::string FLabel;
    int64_t FMax = 0;
    int FShownPercent = -1;
    bool FDrawn = false;
};

}  // namespace zorv
