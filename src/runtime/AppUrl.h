#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zorv {

// The URL space the application's pages live in. On Windows it is file:///, answered by the page
// host's request filter, or, when the settings ask for it, https://app.localhost/, an origin the
// browser treats as a secure context that never reaches the network (module scripts, fetch and
// workers of the app's own files then load). Engines that refuse to take over file: (WebKitGTK)
// serve the same paths from a custom scheme, "zorv://app/": file:///index.html and
// zorv://app/index.html name the same document. Every function that depends on the space takes its
// prefix, by default this platform's default space.
class TAppUrl {
public:
    TAppUrl() = delete;
    static constexpr std::string_view FileUrlPrefix = "file:///";
    static constexpr std::string_view HttpsPrefix = "https://app.localhost/";
    static constexpr std::string_view CustomScheme = "zorv";
    static constexpr std::string_view CustomPrefix = "zorv://app/";

    // The prefix of the application's default URL space on this platform.
    static std::string_view Prefix();
    // The space the setting `UrlSpace` chooses: "https" (any letter case) on Windows gives
    // https://app.localhost/, anything else the default; on Linux always zorv://app/.
    static std::string_view PrefixForSetting(std::string_view urlSpace);
    // Whether a `UrlSpace` value is one the runtime knows ("file", "https" or empty).
    static bool IsKnownSetting(std::string_view urlSpace);
    // The origin of the space's documents as the engine reports it: "zorv://app" for the custom
    // scheme, "https://app.localhost", "null" (opaque) for file: documents.
    static std::string_view Origin(std::string_view prefix = Prefix());
    // Prefix + the start page (the setting may hold a path or a query) as a URL: backslashes of its
    // path read as slashes, and the whole in its canonical form (below), so that the engine opens
    // the file the setting names and reports the very URL it was given.
    static std::string StartPageUrl(const std::string& indexHtml, std::string_view prefix = Prefix());
    // The form engines report a URL in, so that a URL the runtime asked for can be recognised in
    // what the engine reports: scheme and host in lower case, a default port left out, backslashes
    // in the path read as slashes, "." and ".." segments (also escaped) resolved, blanks, quotes,
    // angle brackets and non-ASCII bytes percent-escaped as UTF-8; escapes already there are kept
    // (those of letters, digits and "-._~" in the path decoded, the others' hex digits in upper
    // case). file://localhost/ is file:///, and a drive letter of a file: path is upper case. URLs
    // without "//" after the scheme (data:, about:, blob:...) only get the scheme in lower case;
    // text without a scheme is returned as it is. Canonical(Canonical(x)) == Canonical(x).
    static std::string Canonical(std::string_view url);
    // The origin a URL belongs to, to compare origins: "scheme://host[:port]" of its canonical
    // form (no user information, no default port), "file://" for every file: URL (the browser
    // counts them as one origin for permissions), the inner URL's origin for blob:, and "null"
    // for URLs without a host.
    static std::string OriginOf(std::string_view url);
    // Starts with "file:" (any letter case).
    static bool IsFileUrl(std::string_view url);
    // Starts with the space's prefix (any letter case).
    static bool IsAppUrl(std::string_view url, std::string_view prefix = Prefix());
    // A file: URL expressed in this platform's default URL space; other URLs are returned unchanged.
    static std::string ToAppUrl(std::string_view url);
    // The path of an application URL relative to the application's root: prefix removed, query and
    // fragment dropped, percent-escapes decoded. Nothing for a URL outside the space, and for one
    // whose decoded path would hold a NUL character.
    static std::optional<std::string> RequestPath(std::string_view url, std::string_view prefix = Prefix());
    // The same path with only "%20" decoded and the query kept: how file:/// URLs were looked up
    // by earlier releases, tried when the decoded path finds nothing.
    static std::optional<std::string> LegacyRequestPath(std::string_view url, std::string_view prefix = Prefix());
    static std::optional<std::string> PercentDecode(std::string_view text);
};

}  // namespace zorv
