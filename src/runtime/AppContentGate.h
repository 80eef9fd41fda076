#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/AppDocuments.h"

namespace zorv {

// What started a navigation of the top document.
enum class TNavigationCause {
    Host,     // the runtime itself (the start page)
    History,  // back, forward or reload of an entry the user already had
    Page,     // a document: a link, a form, a script
};

// What a request for a new window comes to.
enum class TNewWindowAction { Refuse, StartInstance, OpenInBrowser };
// What becomes of a navigation that would replace the top application document with a page
// that is not the application's.
enum class TLeaveAction { Load, Refuse, OpenInBrowser };

// Keeps the application's URL space to the application, for engines that do not say which
// document made a request: requests of the app URL space are answered only while the top
// document is an application document, or for the one navigation the runtime or the history
// started. A remote page can then neither embed application pages nor probe the disk through the
// scheme, and a page that is not the application gets no permissions and starts nothing.
//
// Engines that do not say which frame asked for a window, a download or a navigation of the top
// tell at least whether a user's gesture is behind it; the gate then gives that gesture to the
// document that last received one (a click or a key press the user made, as the frame itself
// reports it), so that a click into a third-party frame inside an application page is that
// frame's and not the application's.
class TAppContentGate {
public:
    using TClock = std::chrono::steady_clock;
    // How long a user's gesture counts for what follows it without the engine reporting one (a
    // window opened after an await, a download, the top moved by a frame): the span of a
    // gesture's activation in browsers.
    static constexpr TClock::duration GestureSpan = std::chrono::seconds(5);

    explicit TAppContentGate(TAppDocuments documents) : FDocuments(std::move(documents)) {}

    // A new top document has been committed.
    void DocumentCommitted(std::string_view url);
    bool TopIsAppDocument() const { return FTopIsApp; }
    // Whether the top document may be navigated to `url`; a navigation into the app URL space is
    // let through only when the application or the runtime asked for it.
    bool MayNavigate(std::string_view url, TNavigationCause cause);
    // Whether a request of the app URL space is answered. `requesterOrigin` is the origin the
    // request names as its maker (its Origin or Referer header) when it names one.
    bool MayRequest(std::string_view url, std::optional<std::string_view> requesterOrigin) const;

    // The user made a gesture (a click, a key press) in the document at `url` of `origin`.
    void UserActivated(std::string_view url, std::optional<std::string_view> origin, TClock::time_point at);
    // The user made a gesture in a document that is not the application's, whichever it is.
    void UserActivatedElsewhere(TClock::time_point at) { FLastGesture = TGesture{false, at}; }
    // A new window for `url` (the URL the engine reports). It takes a user's gesture, the one the
    // engine reports with the request or one made within a gesture's span: from the
    // application, an application URL starts an instance and a web address opens in the desktop's
    // browser; from any other frame, only a web address, in the browser.
    TNewWindowAction NewWindowAction(std::string_view url, bool userGesture, TClock::time_point now) const;
    // The top document, an application document, is about to be replaced by `url`. A navigation
    // with no gesture behind it is the application's own (engines refuse other origins the top
    // without one); with one it is the application's when the gesture is. Another frame's leaves
    // the application in place, and a web address goes to the desktop's browser.
    TLeaveAction TopNavigationAction(std::string_view url, bool userGesture, TClock::time_point now) const;
    // Whether a download of `url` is the application's: a URL of the application's own (its URL
    // space, its blob: URLs), the top document's own navigation, or a download made within a
    // gesture's span of a gesture that went to an application document. Downloads that a frame's
    // navigation started are the application's only from its own URLs.
    bool MayDownload(std::string_view url, bool byFrameNavigation, bool byTopNavigation, TClock::time_point now) const;
    // Whether a permission request is granted: only under an application document, never while
    // the gesture of the last span went to another frame, and for a permission that takes a
    // gesture (the clipboard), only when that gesture went to the application.
    bool MayGrantPermission(bool takesGesture, TClock::time_point now) const;

    static bool IsWebAddress(std::string_view url);

private:
    // Whether the gesture behind an action went to the application: the last one when the engine
    // says a gesture is behind it (false when none was seen), else the last one within a
    // gesture's span; nothing when no gesture is behind it.
    std::optional<bool> GestureWasApplication(bool userGesture, TClock::time_point now) const;
    bool IsApplicationUrl(std::string_view url) const;

    static std::string_view WithoutFragment(std::string_view url);

    TAppDocuments FDocuments;
    bool FTopIsApp = false;
    // The navigation let through while the top document is not the application's.
    std::string FPermittedNavigation;
    struct TGesture {
        bool byApplication = false;
        TClock::time_point at;
    };
    std::optional<TGesture> FLastGesture;
};

}  // namespace zorv
