#include <windows.h>

#include "Scenario.h"

#include <fstream>
#include <sstream>

#include "Transcript.h"

namespace zorv::test {

namespace {
std::wstring EnvironmentVariable(const wchar_t* name) {
    wchar_t value[MAX_PATH * 2] = {};
    return ::GetEnvironmentVariableW(name, value, MAX_PATH * 2) ? value : L"";
}

const nlohmann::json EmptyArray = nlohmann::json::array();
}  // namespace

const TScenario& TScenario::Instance() {
    static const TScenario scenario;
    return scenario;
}

TScenario::TScenario() {
    const std::wstring path = EnvironmentVariable(L"ZORV_WV2_SCENARIO");
    FDocument = nlohmann::json::object();
    if (path.empty()) return;
    std::ifstream file(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    nlohmann::json parsed = nlohmann::json::parse(text.str(), nullptr, false);
    if (parsed.is_object()) {
        FDocument = std::move(parsed);
    } else {
        TTranscript::Instance().Write({{"event", "scenarioUnreadable"}});
    }
}

const nlohmann::json& TScenario::Member(const char* name) const {
    auto member = FDocument.find(name);
    return member != FDocument.end() && member->is_array() ? *member : EmptyArray;
}

bool TScenario::RuntimeInstalled() const {
    if (BrowserVersion().empty()) return false;
    const std::wstring marker = EnvironmentVariable(L"ZORV_WV2_RUNTIME_MARKER");
    return marker.empty() || ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring TScenario::BrowserVersion() const {
    return TTranscript::Wide(FDocument.value("browserVersion", std::string("120.0.2210.91")));
}

HRESULT TScenario::EnvironmentResult() const {
    const std::string text = FDocument.value("environmentResult", std::string("0"));
    return static_cast<HRESULT>(std::stoul(text, nullptr, 0));
}

bool TScenario::Lacks(const std::string& interfaceName) const {
    for (const nlohmann::json& name : Member("lacks"))
        if (name.is_string() && name.get<std::string>() == interfaceName) return true;
    return false;
}

const nlohmann::json& TScenario::StepsFor(const std::string& firstUrl, bool afterRestart) const {
    auto byUrl = FDocument.find("stepsByUrl");
    if (byUrl != FDocument.end() && byUrl->is_object()) {
        auto steps = byUrl->find(firstUrl);
        if (steps != byUrl->end() && steps->is_array()) return *steps;
    }
    return Member(afterRestart ? "stepsAfterRestart" : "steps");
}

const nlohmann::json& TScenario::ReactionTo(const std::string& script) const {
    for (const nlohmann::json& reaction : Member("onScript"))
        if (reaction.value("script", std::string()) == script && reaction.contains("messages"))
            return reaction["messages"];
    return EmptyArray;
}

}  // namespace zorv::test
