#pragma once
#include <string>
#include <vector>

#include "platform/ThemeEngine.h"

namespace zorv {

// A theme engine that records the themes it was asked to apply.
class TFakeThemeEngine : public IThemeEngine {
public:
    void ApplyTheme(const std::string& catalogueName) override { FApplied.push_back(catalogueName); }
    const std::vector<std::string>& Applied() const { return FApplied; }

private:
    std::vector<std::string> FApplied;
};

}  // namespace zorv
