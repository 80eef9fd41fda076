#pragma once
// The engine half of a stand-in web view: what the runtime asks goes to the relay, what the
// real page does comes back as WebView2's events, raised on the web view's thread with the same
// rules the scripted mode keeps (thread affinity, one event at a time, nothing after Close).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "WebView2NotImplemented.h"
#include "shared/Win32Handles.h"

namespace zorv::test {

class TStandInWebView;

class TEngineWebView {
public:
    TEngineWebView(TStandInWebView& owner, int viewNumber, HWND queue);
    ~TEngineWebView();
    TEngineWebView(const TEngineWebView&) = delete;
    TEngineWebView& operator=(const TEngineWebView&) = delete;

    // Makes the browser's page for this web view; `done` runs on the web view's thread.
    void Create(std::function<void(HRESULT)> done);
    void Navigate(const std::string& uri);
    void Reload();
    void AddScript(const std::string& script,
                   TComPtr<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler> handler);
    void RemoveScript(const std::string& id);
    void ExecuteScript(const std::string& script, TComPtr<ICoreWebView2ExecuteScriptCompletedHandler> handler);
    // Posts a value to the top document's chrome.webview listeners.
    void Post(const nlohmann::json& value);
    void AddFilter(const std::string& uri, int context);
    void RemoveFilter(const std::string& uri, int context);
    void SetVisible(bool visible);
    void SetBounds(const RECT& bounds);
    void CapturePreview(int format, TComPtr<IStream> stream,
                        TComPtr<ICoreWebView2CapturePreviewCompletedHandler> handler);
    void Close();
    // One event from the relay, on the web view's thread.
    void OnEvent(const nlohmann::json& event);

private:
    template <class Handler, class Args>
    void Raise(const char* event, Args* args);
    void Answer(const nlohmann::json& event, nlohmann::json answer);
    void SendFilters();
    void OnNavigationStarting(const nlohmann::json& event, bool topLevel);
    void OnNavigationCompleted(const nlohmann::json& event);
    void OnResource(const nlohmann::json& event);
    void OnWebMessage(const nlohmann::json& event);
    void OnNewWindow(const nlohmann::json& event);
    void OnPermission(const nlohmann::json& event);
    void OnDialog(const nlohmann::json& event);
    void Request(nlohmann::json request, std::function<void(const nlohmann::json&)> reply);

    TStandInWebView& FOwner;
    const int FView;
    const HWND FQueue;
    bool FClosed = false;
    std::vector<std::pair<std::string, int>> FFilters;
    nlohmann::json FMenuItems = nlohmann::json::array();
};

}  // namespace zorv::test
