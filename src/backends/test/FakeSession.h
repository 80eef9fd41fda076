#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backends/test/FakeMainWindow.h"
#include "backends/test/FakeWebView.h"
#include "runtime/AppSession.h"

namespace zorv {

// A page host that keeps its options and lets a test play the page: web messages, title changes.
class TFakePageHost final : public IPageHost {
public:
    void SetOptions(TPageHostOptions options) override { FOptions = std::move(options); }
    TResourceResolver Resolver() const override;
    IWebView& WebView() override { return FWebView; }
    void ReloadPage() override { ++FReloads; }
    void SetOnWebMessage(std::function<void(const TWebMessage& message)> handler) override {
        FOnWebMessage = std::move(handler);
    }
    void SetOnDocumentTitleChanged(std::function<void(const std::string& title)> handler) override {
        FOnTitleChanged = std::move(handler);
    }

    // The page at `sourceUrl` posts a call; gives the replies it got.
    std::vector<std::string> Call(const std::string& json, const std::string& sourceUrl);
    // Runs once each message has been handled, as the next turn of a real message loop would;
    // it may free this page host.
    void SetAfterMessage(std::function<void()> afterMessage) { FAfterMessage = std::move(afterMessage); }
    void ChangeTitle(const std::string& title) const {
        if (FOnTitleChanged) FOnTitleChanged(title);
    }

    const TPageHostOptions& Options() const { return FOptions; }
    TFakeWebView& FakeWebView() { return FWebView; }
    int Reloads() const { return FReloads; }

private:
    TPageHostOptions FOptions;
    TFakeWebView FWebView;
    int FReloads = 0;
    std::function<void(const TWebMessage&)> FOnWebMessage;
    std::function<void(const std::string&)> FOnTitleChanged;
    std::function<void()> FAfterMessage;
};

// A main window whose message loop runs what the test gave for it, then returns. Closing it frees
// its page host, as the platforms' windows do.
class TFakeSessionWindow final : public ISessionWindow {
public:
    using TWhileRunning = std::function<void(TFakeSessionWindow& window)>;

    TFakeSessionWindow(const TWindowSettings& settings, TWhileRunning whileRunning);

    IMainWindow& MainWindow() override { return FWindow; }
    IPageHost* PageHost() override { return FPage.get(); }
    bool PageCanAnswerCloseQuery() const override { return FPage != nullptr; }
    void AppCloseRequest() override;
    void SetOnClosing(std::function<void()> handler) override { FOnClosing = std::move(handler); }
    int Run() override;
    void EndForRestart() override { FEndedForRestart = true; }

    const TWindowSettings& Settings() const { return FSettings; }
    TFakeMainWindow& FakeWindow() { return FWindow; }
    TFakePageHost& Page() { return *FPage; }
    bool Closed() const { return !FPage; }
    bool EndedForRestart() const { return FEndedForRestart; }

private:
    TWindowSettings FSettings;
    TWhileRunning FWhileRunning;
    TFakeMainWindow FWindow;
    std::unique_ptr<TFakePageHost> FPage = std::make_unique<TFakePageHost>();
    std::function<void()> FOnClosing;
    bool FCloseRequested = false;
    bool FEndedForRestart = false;

    void CloseWhenRequested();
};

// Makes fake windows, each running the next of the rounds a test queued, and fake folder watches
// whose reports the test sends.
class TFakeWindowFactory final : public IWindowFactory {
public:
    // What happens while the next window runs; a window with nothing queued closes at once.
    void QueueRound(TFakeSessionWindow::TWhileRunning whileRunning) { FRounds.push_back(std::move(whileRunning)); }

    std::unique_ptr<ISessionWindow> MakeWindow(const TWindowSettings& settings,
                                               TBrowserExternalModule& bridge) override;
    std::unique_ptr<IFolderWatch> WatchFolder(const std::string& projectFolder, const std::string& appDirName,
                                              std::function<void()> onPagesChanged,
                                              std::function<void()> onSettingsChanged) override;
    void ShowEndingError(const std::string& text) override { FErrors.push_back(text); }

    // The watch's reports, as the folder watcher sends them on the UI thread.
    void PagesChanged() const;
    void SettingsChanged() const;

    int WindowsMade() const { return FWindowsMade; }
    bool Watching() const { return FWatching; }
    const std::string& WatchedFolder() const { return FWatchedFolder; }
    const std::vector<std::string>& Errors() const { return FErrors; }

private:
    class TFakeFolderWatch;

    std::deque<TFakeSessionWindow::TWhileRunning> FRounds;
    int FWindowsMade = 0;
    bool FWatching = false;
    std::string FWatchedFolder;
    std::function<void()> FOnPagesChanged;
    std::function<void()> FOnSettingsChanged;
    std::vector<std::string> FErrors;
};

}  // namespace zorv
