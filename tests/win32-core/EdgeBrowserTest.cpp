#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

#include "FakeWebView2.h"
#include "backends/win32/EdgeBrowser.h"
#include "backends/win32/WinUiThread.h"

namespace zorv::test {
namespace {

class EdgeBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        completions.clear();
        environment = MakeFake<TFakeEnvironment>();
        browser = std::make_unique<TEdgeBrowser>(uiThread, CountingFactory(FactoryFor(environment)));
        browser->OnCreateWebViewCompleted = [this](TEdgeBrowser&, HRESULT result) { completions.push_back(result); };
    }

    TEdgeBrowser::TEnvironmentFactory CountingFactory(TEdgeBrowser::TEnvironmentFactory factory) {
        return [this, factory](ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
            ++environmentRequests;
            return factory(handler);
        };
    }

    // Gives the control a parent, which starts the creation, and waits until it has settled.
    void CreateAndWait() {
        browser->SetParent(window.Handle());
        ASSERT_TRUE(PumpUntil([this] { return !completions.empty(); }));
    }

    TFakeWebView& WebView() { return *environment->controller->webView.Get(); }
    TFakeController& Controller() { return *environment->controller.Get(); }

    TWinUiThread uiThread;
    TTestWindow window{400, 300};
    TComPtr<TFakeEnvironment> environment;
    std::unique_ptr<TEdgeBrowser> browser;
    std::vector<HRESULT> completions;
    std::atomic<int> environmentRequests{0};
};

TEST_F(EdgeBrowserTest, CreationEndsCreatedWithEveryEventRegistered) {
    CreateAndWait();
    EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Created);
    EXPECT_TRUE(browser->WebViewCreated());
    EXPECT_EQ(completions, std::vector<HRESULT>{S_OK});
    EXPECT_EQ(environment->parentWindow, browser->Handle());
    EXPECT_EQ(WebView().events.Total(), 9u);
    EXPECT_EQ(Controller().events.Total(), 2u);
}

TEST_F(EdgeBrowserTest, UrlAskedForBeforeCreationIsOpenedAfterTheCompletionHandler) {
    browser->Navigate("   ");
    browser->Navigate("file:///early.html");
    browser->OnCreateWebViewCompleted = [this](TEdgeBrowser& sender, HRESULT result) {
        completions.push_back(result);
        sender.Navigate("file:///start.html");
    };
    CreateAndWait();
    EXPECT_EQ(WebView().navigations, (std::vector<std::wstring>{L"file:///start.html", L"file:///early.html"}));
}

TEST_F(EdgeBrowserTest, OperationsBeforeTheWebViewExistsDoNothing) {
    browser->ExecuteScript("1");
    browser->PostWebMessageAsJson("{}");
    browser->AddWebResourceRequestedFilter("*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL);
    EXPECT_FALSE(browser->AddWebResourceRequestedFilterForAllSources("*", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL));
    CreateAndWait();
    EXPECT_TRUE(WebView().executedScripts.empty());
    EXPECT_TRUE(WebView().postedJson.empty());
    EXPECT_TRUE(WebView().filters.empty());
    EXPECT_TRUE(WebView().sourceKindFilters.empty());
}

// The vtable slot a method of a hand-declared interface lands in: the Itanium C++ ABI that mingw-w64
// g++ follows stores a virtual method's pointer as 1 + its byte offset in the vtable.
template <class Method>
std::size_t VtableSlotOf(Method method) {
    struct {
        std::uintptr_t pointer, adjustment;
    } raw;
    static_assert(sizeof(method) == sizeof(raw));
    std::memcpy(&raw, &method, sizeof(raw));
    return (raw.pointer - 1) / sizeof(void*);
}

// The later interfaces the runtime declares by hand call the slots WebView2 has for them.
TEST(WebView2AbiTest, LaterMethodsLandInTheirSlots) {
    EXPECT_EQ(VtableSlotOf(&ICoreWebView2_22::UnusedSlot73), 73u);
    EXPECT_EQ(VtableSlotOf(&ICoreWebView2_22::AddWebResourceRequestedFilterWithRequestSourceKinds), 123u);
    EXPECT_EQ(VtableSlotOf(&ICoreWebView2_22::RemoveWebResourceRequestedFilterWithRequestSourceKinds), 124u);
    EXPECT_EQ(VtableSlotOf(&ICoreWebView2PermissionRequestedEventArgs2::put_Handled), 10u);
    EXPECT_EQ(VtableSlotOf(&ICoreWebView2PermissionRequestedEventArgs3::put_SavesInProfile), 12u);
}

TEST_F(EdgeBrowserTest, CreateWebViewWhileCreatingStartsNoSecondCreation) {
    browser->SetParent(window.Handle());
    browser->CreateWebView();
    browser->CreateWebView();
    ASSERT_TRUE(PumpUntil([this] { return !completions.empty(); }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(environmentRequests, 1);
    EXPECT_EQ(environment->controllersRequested, 1);
}

TEST_F(EdgeBrowserTest, ClosingRemovesEachRegistrationWithItsOwnToken) {
    CreateAndWait();
    browser->CloseWebView();
    EXPECT_EQ(WebView().events.Total(), 0u);
    EXPECT_EQ(WebView().events.WrongRemovals(), 0);
    EXPECT_EQ(Controller().events.Total(), 0u);
    EXPECT_EQ(Controller().events.WrongRemovals(), 0);
    EXPECT_TRUE(Controller().closed);
    EXPECT_EQ(browser->DefaultInterface(), nullptr);
}

TEST_F(EdgeBrowserTest, EnvironmentFailureIsReportedAndStartsNothingMore) {
    browser = std::make_unique<TEdgeBrowser>(uiThread, CountingFactory(FactoryFor(environment, E_ACCESSDENIED)));
    browser->OnCreateWebViewCompleted = [this](TEdgeBrowser&, HRESULT result) { completions.push_back(result); };
    CreateAndWait();
    EXPECT_EQ(completions, std::vector<HRESULT>{E_ACCESSDENIED});
    EXPECT_EQ(browser->LastErrorCode(), E_ACCESSDENIED);
    EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Creating);
    browser->CreateWebView();
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(environmentRequests, 1);
}

TEST_F(EdgeBrowserTest, ControllerStageFailureEndsFailedWithTheCode) {
    struct TCase {
        HRESULT controllerResult;
        HRESULT webViewResult;
    };
    for (const TCase& c : {TCase{E_OUTOFMEMORY, S_OK}, TCase{S_OK, E_NOINTERFACE}}) {
        SetUp();
        environment->controllerResult = c.controllerResult;
        environment->controller->webViewResult = c.webViewResult;
        CreateAndWait();
        EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Failed);
        EXPECT_EQ(completions, std::vector<HRESULT>{FAILED(c.controllerResult) ? c.controllerResult : c.webViewResult});
        EXPECT_FALSE(browser->WebViewCreated());
    }
}

TEST_F(EdgeBrowserTest, WebViewCoversTheClientArea) {
    CreateAndWait();
    RECT client{};
    ::GetClientRect(browser->Handle(), &client);
    EXPECT_EQ(Controller().bounds.left, 0);
    EXPECT_EQ(Controller().bounds.right, client.right);
    EXPECT_EQ(Controller().bounds.bottom, client.bottom);
}

TEST_F(EdgeBrowserTest, MinimiseHidesTheWebViewAndRestoreOrMaximiseShowIt) {
    CreateAndWait();
    browser->FollowWindowSize(SIZE_MINIMIZED);
    EXPECT_FALSE(Controller().visible);
    browser->FollowWindowSize(SIZE_RESTORED);
    EXPECT_TRUE(Controller().visible);
    browser->FollowWindowSize(SIZE_MINIMIZED);
    browser->FollowWindowSize(SIZE_MAXIMIZED);
    EXPECT_TRUE(Controller().visible);
}

TEST_F(EdgeBrowserTest, DestroyingTheControlDuringCreationIsSafe) {
    auto slowFactory = [env = environment](ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
        TComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> kept(handler);
        std::thread([kept, env] {
            ::Sleep(150);
            kept->Invoke(S_OK, env.Get());
        }).detach();
        return S_OK;
    };
    browser = std::make_unique<TEdgeBrowser>(uiThread, slowFactory);
    browser->SetParent(window.Handle());
    browser.reset();
    PumpUntil([] { return false; }, 400);
    EXPECT_EQ(environment->controllersRequested, 0);
}

TEST_F(EdgeBrowserTest, RecreatedWindowStartsTheWebViewOver) {
    CreateAndWait();
    browser->Navigate("file:///index.html");
    TTestWindow otherParent;
    browser->SetParent(otherParent.Handle());
    ASSERT_TRUE(PumpUntil([this] { return completions.size() == 2; }));
    EXPECT_EQ(environmentRequests, 2);
    EXPECT_EQ(environment->controllersRequested, 2);
    EXPECT_EQ(environment->parentWindow, browser->Handle());
    EXPECT_EQ(browser->BrowserControlState(), TBrowserControlState::Created);
    // The old registrations went with the old web view; the new one has its own set.
    EXPECT_EQ(WebView().events.Total(), 9u);
    EXPECT_EQ(WebView().events.WrongRemovals(), 0);
}

TEST_F(EdgeBrowserTest, FocusOnTheControlMovesIntoThePage) {
    CreateAndWait();
    ::SendMessageW(browser->Handle(), WM_SETFOCUS, 0, 0);
    EXPECT_EQ(Controller().programmaticFocusMoves, 1);
}

// A top-level window whose shortcut test knows F5 only.
LRESULT CALLBACK ShortCutWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == IsShortcutMessage) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        return key->message == WM_KEYDOWN && key->wParam == VK_F5 ? 1 : 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(EdgeBrowserTest, OnlyShortcutsOfTheTopLevelWindowAreKeptFromThePage) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ShortCutWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZorvShortCutWindow";
    ::RegisterClassExW(&windowClass);
    TWindowHandle top(::CreateWindowExW(0, L"ZorvShortCutWindow", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr));
    browser->SetParent(top.Get());
    ASSERT_TRUE(PumpUntil([this] { return !completions.empty(); }));
    auto* handler =
        Controller().events.Handler<ICoreWebView2AcceleratorKeyPressedEventHandler>("AcceleratorKeyPressed");
    ASSERT_NE(handler, nullptr);
    struct TCase {
        COREWEBVIEW2_KEY_EVENT_KIND kind;
        UINT key;
        BOOL handled;
    };
    for (const TCase& c : {TCase{COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN, VK_F5, TRUE},
                           TCase{COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP, VK_F5, FALSE},
                           TCase{COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN, 'A', FALSE}}) {
        auto args = MakeFake<TFakeAcceleratorArgs>(c.kind, c.key);
        EXPECT_EQ(handler->Invoke(&Controller(), args.Get()), S_OK);
        EXPECT_EQ(args->handled, c.handled) << c.key << " kind " << c.kind;
    }
    browser.reset();
}

}  // namespace
}  // namespace zorv::test
