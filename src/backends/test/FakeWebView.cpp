#include "backends/test/FakeWebView.h"

#include <nlohmann/json.hpp>

namespace zorv {

void TFakeWebView::PostWebMessageAsJson(const std::string& json) {
    if (nlohmann::json::accept(json)) {
        FPosted.push_back(json);
    } else {
        FRefused.push_back(json);
    }
}

void TFakeWebView::Clear() {
    FPosted.clear();
    FRefused.clear();
    FScripts.clear();
    FFocusRequests = 0;
}

}  // namespace zorv
