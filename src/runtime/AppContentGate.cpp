#include "runtime/AppContentGate.h"

#include "runtime/AppUrl.h"

namespace zorv {

void TAppContentGate::DocumentCommitted(std::string_view url) {
    FTopIsApp = FDocuments.IsAppDocument(url);
    FPermittedNavigation.clear();
    FLastGesture.reset();
}

void TAppContentGate::UserActivated(std::string_view url, std::optional<std::string_view> origin,
                                    TClock::time_point at) {
    FLastGesture = TGesture{FTopIsApp && FDocuments.IsAppDocument(url, origin), at};
}

TNewWindowAction TAppContentGate::NewWindowAction(std::string_view url, bool userGesture,
                                                  TClock::time_point now) const {
    const std::optional<bool> byApplication = GestureWasApplication(userGesture, now);
    if (!FTopIsApp || !byApplication) return TNewWindowAction::Refuse;
    if (TAppUrl::IsFileUrl(url) || TAppUrl::IsAppUrl(url, FDocuments.UrlPrefix()))
        return *byApplication ? TNewWindowAction::StartInstance : TNewWindowAction::Refuse;
    return IsWebAddress(url) ? TNewWindowAction::OpenInBrowser : TNewWindowAction::Refuse;
}

TLeaveAction TAppContentGate::TopNavigationAction(std::string_view url, bool userGesture,
                                                  TClock::time_point now) const {
    if (!FTopIsApp || IsApplicationUrl(url)) return TLeaveAction::Load;
    if (GestureWasApplication(userGesture, now).value_or(true)) return TLeaveAction::Load;
    return IsWebAddress(url) ? TLeaveAction::OpenInBrowser : TLeaveAction::Refuse;
}

bool TAppContentGate::MayDownload(std::string_view url, bool byFrameNavigation, bool byTopNavigation,
                                  TClock::time_point now) const {
    if (!FTopIsApp) return false;
    if (IsApplicationUrl(url)) return true;
    if (byFrameNavigation) return false;
    if (byTopNavigation) return true;
    return GestureWasApplication(false, now).value_or(false);
}

bool TAppContentGate::MayGrantPermission(bool takesGesture, TClock::time_point now) const {
    if (!FTopIsApp) return false;
    const std::optional<bool> byApplication = GestureWasApplication(false, now);
    if (byApplication == false) return false;
    return !takesGesture || byApplication == true;
}

std::optional<bool> TAppContentGate::GestureWasApplication(bool userGesture, TClock::time_point now) const {
    if (userGesture) return FLastGesture && FLastGesture->byApplication;
    if (!FLastGesture || now - FLastGesture->at > GestureSpan) return std::nullopt;
    return FLastGesture->byApplication;
}

bool TAppContentGate::IsApplicationUrl(std::string_view url) const {
    return TAppUrl::IsAppUrl(url, FDocuments.UrlPrefix()) || FDocuments.IsApplicationBlob(url);
}

bool TAppContentGate::IsWebAddress(std::string_view url) {
    const std::string origin = TAppUrl::OriginOf(url);
    return origin.starts_with("http://") || origin.starts_with("https://");
}

bool TAppContentGate::MayNavigate(std::string_view url, TNavigationCause cause) {
    if (!TAppUrl::IsAppUrl(url, FDocuments.UrlPrefix())) return true;
    if (cause == TNavigationCause::Page && !FTopIsApp) return false;
    FPermittedNavigation = WithoutFragment(url);
    return true;
}

bool TAppContentGate::MayRequest(std::string_view url, std::optional<std::string_view> requesterOrigin) const {
    if (requesterOrigin && *requesterOrigin != TAppUrl::Origin(FDocuments.UrlPrefix())) return false;
    if (FTopIsApp) return true;
    return !FPermittedNavigation.empty() && WithoutFragment(url) == FPermittedNavigation;
}

std::string_view TAppContentGate::WithoutFragment(std::string_view url) { return url.substr(0, url.find('#')); }

}  // namespace zorv
