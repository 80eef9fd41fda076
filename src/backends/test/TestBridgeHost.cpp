#include "backends/test/TestBridgeHost.h"

#include <filesystem>

namespace zorv {
namespace {

TBridgeContext DefaultContext() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    TBridgeContext context;
    context.exePath = (folder / "app.exe").string();
    context.appDir = folder.string() + static_cast<char>(std::filesystem::path::preferred_separator);
    context.commandLine = {context.exePath};
    return context;
}

}  // namespace

TTestBridgeHost::TTestBridgeHost() : TTestBridgeHost(DefaultContext()) {}

TTestBridgeHost::TTestBridgeHost(TBridgeContext context)
    : styles(themeEngine, [this](const std::string& text) { dialogs.ShowMessage(text); }),
      os(std::make_shared<TTestOperatingSystem>()),
      uiThread(std::make_shared<TQueuedUiThread>()) {
    TBridgeServices services;
    services.dialogs = &dialogs;
    services.menuBar = &menuBar;
    services.activeTheme = &styles;
    services.operatingSystem = os;
    services.uiThread = uiThread;
    module = std::make_unique<TBrowserExternalModule>(std::move(services), std::move(context));
    module->SetMainForm(&window);
    module->SetWebView(&webView);
    module->SetSettings(&settings);
    module->SetOnAppCloseRequest([this] { ++closeRequests; });
    // The application's documents here are the pages under "file:///" (exact case).
    module->SetAppDocumentRule([](const TWebMessage& message) { return message.sourceUrl.starts_with("file:///"); });
}

void TTestBridgeHost::UseArchive(const TAbZipKit& archive) {
    package = std::make_unique<TArchivePackage>(archive);
    module->SetAppPackage(package.get());
}

void TTestBridgeHost::Post(const std::string& json, const std::string& sourceUrl) {
    TWebMessage message;
    message.asJson = json;
    message.sourceUrl = sourceUrl;
    module->EdgeBrowserWebMessageReceived(message);
}

void TTestBridgeHost::PostString(const std::string& text, const std::string& sourceUrl) {
    TWebMessage message;
    message.asString = text;
    message.asJson = nlohmann::json(text).dump();
    message.sourceUrl = sourceUrl;
    module->EdgeBrowserWebMessageReceived(message);
}

std::vector<std::string> TTestBridgeHost::Call(std::string_view id, std::string_view data, std::string_view uuid) {
    const std::size_t before = webView.Posted().size();
    std::string message = "{\"id\": ";
    message.append(id).append(", \"uuid\": ").append(uuid).append(", \"data\": ").append(data).append("}");
    Post(message);
    return {webView.Posted().begin() + static_cast<std::ptrdiff_t>(before), webView.Posted().end()};
}

std::string TTestBridgeHost::Reply(std::string_view id, std::string_view data, std::string_view uuid) {
    const std::vector<std::string> replies = Call(id, data, uuid);
    return replies.empty() ? std::string() : replies.back();
}

}  // namespace zorv
