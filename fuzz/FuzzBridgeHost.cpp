#include "FuzzBridgeHost.h"

#include <cstdlib>

#include <nlohmann/json.hpp>

#include "FuzzArchive.h"
#include "FuzzSandbox.h"
#include "shared/MemIniFile.h"

namespace zorv::test {
namespace {

// The application page every fuzzed message comes from.
constexpr const char* PageUrl = "file:///index.html";

TBridgeContext SandboxContext() {
    TBridgeContext context;
    const std::string folder = TFuzzSandbox::Instance().Text();
    context.exePath = folder + "app.exe";
    context.appDir = folder;
    context.commandLine = {context.exePath, "fuzz", "zorv://app/index.html"};
    return context;
}

bool IsContainedText(const std::string& text, int depth);

// Deeper nesting than any page sends is skipped rather than walked.
constexpr int MaxNesting = 256;

bool IsContainedValue(const nlohmann::json& value, int depth, int nesting = 0) {
    if (nesting > MaxNesting) return false;
    if (value.is_string()) return IsContainedText(value.get_ref<const std::string&>(), depth);
    if (value.is_object()) {
        for (const auto& [key, member] : value.items()) {
            if (!IsContainedText(key, depth) || !IsContainedValue(member, depth, nesting + 1)) return false;
        }
    } else if (value.is_array()) {
        for (const auto& member : value) {
            if (!IsContainedValue(member, depth, nesting + 1)) return false;
        }
    }
    return true;
}

bool IsContainedText(const std::string& text, int depth) {
    if (!TFuzzSandbox::StaysInside(text) || !TFuzzSandbox::IsHarmlessRead(text)) return false;
    if (depth > 0) return true;
    // A string may itself be JSON (the menu description); its strings are paths as well.
    const nlohmann::json inner = nlohmann::json::parse(text, nullptr, false);
    return inner.is_discarded() || IsContainedValue(inner, depth + 1);
}

}  // namespace

TFuzzBridgeHost::TFuzzBridgeHost()
    : styles(themeEngine, [this](const std::string& text) { dialogs.ShowMessage(text); }) {
    TMemIniFile ini;
    ini.SetText("[App]\nID=fuzz\nName=Fuzz\nDirName=app\n");
    settings = TProjectSettings::Read(ini);
    package = std::make_unique<TArchivePackage>(SampleArchive());
    TBridgeServices services;
    services.dialogs = &dialogs;
    services.menuBar = &menuBar;
    services.activeTheme = &styles;
    services.operatingSystem = std::make_shared<TRecordingOperatingSystem>();
    module = std::make_unique<TBrowserExternalModule>(std::move(services), SandboxContext());
    module->SetAppPackage(package.get());
    module->SetMainForm(&window);
    module->SetWebView(&webView);
    module->SetSettings(&settings);
    module->SetOnAppCloseRequest([] {});
    module->SetAppDocumentRule([](const TWebMessage& message) { return message.sourceUrl == PageUrl; });
}

void TFuzzBridgeHost::Post(std::string_view json) {
    const std::size_t before = webView.Posted().size();
    TWebMessage message;
    message.asJson = json;
    message.sourceUrl = PageUrl;
    module->EdgeBrowserWebMessageReceived(message);
    if (webView.Posted().size() > before + 1 || !webView.Refused().empty()) std::abort();
}

bool IsContainedMessage(std::string_view json) {
    if (!TFuzzSandbox::IsHarmlessRead(json)) return false;
    const nlohmann::json message = nlohmann::json::parse(json, nullptr, false);
    return message.is_discarded() || IsContainedValue(message, 0);
}

}  // namespace zorv::test
