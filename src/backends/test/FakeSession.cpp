#include "backends/test/FakeSession.h"

namespace zorv {

TResourceResolver TFakePageHost::Resolver() const {
    TResourceResolver resolver(FOptions.package, FOptions.appDirName, FOptions.appDirPath, FOptions.urlPrefix);
    resolver.SetIndexPage(FOptions.appIndexHtml);
    return resolver;
}

std::vector<std::string> TFakePageHost::Call(const std::string& json, const std::string& sourceUrl) {
    const std::size_t before = FWebView.Posted().size();
    TWebMessage message;
    message.asJson = json;
    message.sourceUrl = sourceUrl;
    if (FOnWebMessage) FOnWebMessage(message);
    std::vector<std::string> replies(FWebView.Posted().begin() + static_cast<std::ptrdiff_t>(before),
                                     FWebView.Posted().end());
    if (const std::function<void()> afterMessage = FAfterMessage) afterMessage();
    return replies;
}

TFakeSessionWindow::TFakeSessionWindow(const TWindowSettings& settings, TWhileRunning whileRunning)
    : FSettings(settings), FWhileRunning(std::move(whileRunning)) {
    FPage->SetAfterMessage([this] { CloseWhenRequested(); });
}

// As the real windows do, a close the page asks for happens after its call has returned: the
// bridge module that handles the call goes with the window.
void TFakeSessionWindow::AppCloseRequest() { FCloseRequested = true; }

void TFakeSessionWindow::CloseWhenRequested() {
    if (!FCloseRequested || !FPage) return;
    if (FOnClosing) FOnClosing();
    FPage.reset();
}

int TFakeSessionWindow::Run() {
    if (FWhileRunning) FWhileRunning(*this);
    return 0;
}

class TFakeWindowFactory::TFakeFolderWatch final : public IFolderWatch {
public:
    explicit TFakeFolderWatch(TFakeWindowFactory& factory) : FFactory(factory) { FFactory.FWatching = true; }
    ~TFakeFolderWatch() override {
        FFactory.FWatching = false;
        FFactory.FOnPagesChanged = nullptr;
        FFactory.FOnSettingsChanged = nullptr;
    }

private:
    TFakeWindowFactory& FFactory;
};

std::unique_ptr<ISessionWindow> TFakeWindowFactory::MakeWindow(const TWindowSettings& settings,
                                                               TBrowserExternalModule&) {
    ++FWindowsMade;
    TFakeSessionWindow::TWhileRunning round;
    if (!FRounds.empty()) {
        round = std::move(FRounds.front());
        FRounds.pop_front();
    }
    return std::make_unique<TFakeSessionWindow>(settings, std::move(round));
}

std::unique_ptr<IFolderWatch> TFakeWindowFactory::WatchFolder(const std::string& projectFolder, const std::string&,
                                                              std::function<void()> onPagesChanged,
                                                              std::function<void()> onSettingsChanged) {
    auto watch = std::make_unique<TFakeFolderWatch>(*this);
    FWatchedFolder = projectFolder;
    FOnPagesChanged = std::move(onPagesChanged);
    FOnSettingsChanged = std::move(onSettingsChanged);
    return watch;
}

void TFakeWindowFactory::PagesChanged() const {
    if (FOnPagesChanged) FOnPagesChanged();
}

void TFakeWindowFactory::SettingsChanged() const {
    if (FOnSettingsChanged) FOnSettingsChanged();
}

}  // namespace zorv
