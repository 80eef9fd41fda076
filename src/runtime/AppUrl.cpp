#include "runtime/AppUrl.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zorv {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

// ---- the canonical form ----

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiLowerCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

bool IsUnreserved(char c) { return IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }

// Bytes that a part of a URL cannot hold as they are: controls, blanks and non-ASCII everywhere,
// and some punctuation of each part.
bool IsControlOrNonAscii(unsigned char c) { return c <= 0x20 || c >= 0x7F; }
bool MustEscapeInPath(unsigned char c) {
    return IsControlOrNonAscii(c) || c == '"' || c == '<' || c == '>' || c == '`' || c == '{' || c == '}';
}
bool MustEscapeInQuery(unsigned char c) { return IsControlOrNonAscii(c) || c == '"' || c == '<' || c == '>'; }
bool MustEscapeInSpecialQuery(unsigned char c) { return MustEscapeInQuery(c) || c == '\''; }
bool MustEscapeInFragment(unsigned char c) { return MustEscapeInQuery(c) || c == '`'; }

void AppendEscape(std::string& out, unsigned char c) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    out += '%';
    out += Hex[c >> 4];
    out += Hex[c & 0x0F];
}

// Appends `text` with the bytes that `mustEscape` names percent-escaped; escapes already there are
// kept as written.
void AppendEscaped(std::string& out, std::string_view text, bool (*mustEscape)(unsigned char)) {
    for (char c : text) {
        if (mustEscape(static_cast<unsigned char>(c)))
            AppendEscape(out, static_cast<unsigned char>(c));
        else
            out += c;
    }
}

// A path segment with its bytes escaped; of the escapes already there, those of unreserved
// characters are decoded (%41 and A name the same file) and the others get upper-case digits.
std::string CanonicalSegment(std::string_view segment) {
    std::string out;
    for (size_t i = 0; i < segment.size(); ++i) {
        const char c = segment[i];
        if (c == '%' && i + 2 < segment.size() && HexValue(segment[i + 1]) >= 0 && HexValue(segment[i + 2]) >= 0) {
            const char decoded = static_cast<char>(HexValue(segment[i + 1]) * 16 + HexValue(segment[i + 2]));
            if (IsUnreserved(decoded)) {
                out += decoded;
            } else {
                out += '%';
                out += AsciiUpper(segment[i + 1]);
                out += AsciiUpper(segment[i + 2]);
            }
            i += 2;
        } else {
            AppendEscaped(out, std::string_view(&segment[i], 1), MustEscapeInPath);
        }
    }
    return out;
}

enum class TDots { None, One, Two };

// "." and ".." segments, also written with escaped dots ("%2e", ".%2E").
TDots DotsOf(std::string_view segment) {
    const std::string lower = AsciiLowerCopy(segment);
    if (lower == "." || lower == "%2e") return TDots::One;
    if (lower == ".." || lower == ".%2e" || lower == "%2e." || lower == "%2e%2e") return TDots::Two;
    return TDots::None;
}

// "C:" or "c|": the drive of a Windows path in a file: URL.
bool IsDriveLetter(std::string_view segment) {
    return segment.size() == 2 && IsAsciiAlpha(segment[0]) && (segment[1] == ':' || segment[1] == '|');
}

// The path with backslashes read as slashes, dot segments resolved and each segment canonical.
std::string CanonicalPath(std::string_view path, bool fileScheme) {
    std::string slashed(path);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (slashed.empty() || slashed.front() != '/') slashed.insert(slashed.begin(), '/');
    std::vector<std::string> segments;
    std::string_view rest = std::string_view(slashed).substr(1);
    for (;;) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        const bool last = slash == std::string_view::npos;
        switch (DotsOf(segment)) {
            case TDots::Two: {
                // A file: path never climbs above its drive.
                const bool drive = fileScheme && segments.size() == 1 && IsDriveLetter(segments.front());
                if (!segments.empty() && !drive) segments.pop_back();
                if (last) segments.emplace_back();
                break;
            }
            case TDots::One:
                if (last) segments.emplace_back();
                break;
            case TDots::None: segments.push_back(CanonicalSegment(segment)); break;
        }
        if (last) break;
        rest.remove_prefix(slash + 1);
    }
    if (fileScheme && !segments.empty() && IsDriveLetter(segments.front()))
        segments.front() = std::string{AsciiUpper(segments.front()[0]), ':'};
    std::string out;
    for (const std::string& segment : segments) out.append("/").append(segment);
    return out.empty() ? "/" : out;
}

bool IsSpecialScheme(std::string_view scheme) {
    for (std::string_view special : {"http", "https", "ws", "wss", "ftp", "file"})
        if (scheme == special) return true;
    return false;
}

std::string_view DefaultPort(std::string_view scheme) {
    if (scheme == "http" || scheme == "ws") return "80";
    if (scheme == "https" || scheme == "wss") return "443";
    if (scheme == "ftp") return "21";
    return {};
}

// User information as written, the host in lower case ("localhost" is no host in a file: URL),
// the port without leading zeros and left out when it is the scheme's default.
std::string CanonicalAuthority(std::string_view authority, std::string_view scheme) {
    const size_t at = authority.rfind('@');
    const std::string_view userInfo = at == std::string_view::npos ? std::string_view() : authority.substr(0, at + 1);
    const std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    // The port follows the last colon outside an IPv6 address's brackets.
    size_t colon = hostPort.rfind(':');
    const size_t bracket = hostPort.rfind(']');
    if (colon != std::string_view::npos && bracket != std::string_view::npos && colon < bracket)
        colon = std::string_view::npos;
    std::string host = AsciiLowerCopy(hostPort.substr(0, colon));
    if (scheme == "file" && host == "localhost") host.clear();
    std::string_view port = colon == std::string_view::npos ? std::string_view() : hostPort.substr(colon + 1);
    while (port.size() > 1 && port.front() == '0') port.remove_prefix(1);
    std::string out = std::string(userInfo) + host;
    if (!port.empty() && port != DefaultPort(scheme)) out.append(":").append(port);
    return out;
}

// The length of the scheme at the start of the text (up to its colon), or 0 when there is none.
size_t SchemeLength(std::string_view url) {
    if (url.empty() || !IsAsciiAlpha(url.front())) return 0;
    for (size_t i = 1; i < url.size(); ++i) {
        const char c = url[i];
        if (c == ':') return i;
        if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return 0;
    }
    return 0;
}

// As browsers read an address: without blanks and controls around it, nor tabs and line breaks in it.
std::string WithoutControlNoise(std::string_view url) {
    while (!url.empty() && static_cast<unsigned char>(url.front()) <= 0x20) url.remove_prefix(1);
    while (!url.empty() && static_cast<unsigned char>(url.back()) <= 0x20) url.remove_suffix(1);
    std::string out;
    for (char c : url)
        if (c != '\t' && c != '\n' && c != '\r') out += c;
    return out;
}

// The authority and what follows it of a URL with "//" after its scheme (in http(s) and file: also
// written with backslashes); nothing for other URLs. A file: URL with one or three and more slashes
// has an empty authority.
std::optional<std::pair<std::string_view, std::string_view>> SplitAuthority(std::string_view rest,
                                                                            std::string_view scheme) {
    const bool special = IsSpecialScheme(scheme);
    size_t slashes = 0;
    while (slashes < rest.size() && (rest[slashes] == '/' || (special && rest[slashes] == '\\'))) ++slashes;
    if (scheme == "file" && slashes != 2) return std::pair{std::string_view(), rest.substr(slashes)};
    if (slashes < 2) return std::nullopt;
    rest.remove_prefix(2);
    const size_t end = std::min(rest.find_first_of(special ? "/\\?#" : "/?#"), rest.size());
    return std::pair{rest.substr(0, end), rest.substr(end)};
}

}  // namespace

std::string_view TAppUrl::PrefixForSetting(std::string_view urlSpace) {
    if (Prefix() == FileUrlPrefix && StartsWithNoCase(urlSpace, "https") && urlSpace.size() == 5) return HttpsPrefix;
    return Prefix();
}

bool TAppUrl::IsKnownSetting(std::string_view urlSpace) {
    const auto is = [&](std::string_view word) {
        return urlSpace.size() == word.size() && StartsWithNoCase(urlSpace, word);
    };
    return urlSpace.empty() || is("file") || is("https");
}

std::string_view TAppUrl::Origin(std::string_view prefix) {
    if (prefix == FileUrlPrefix) return "null";
    return prefix.substr(0, prefix.size() - 1);
}

std::string TAppUrl::StartPageUrl(const std::string& indexHtml, std::string_view prefix) {
    return Canonical(std::string(prefix) + indexHtml);
}

std::string TAppUrl::Canonical(std::string_view url) {
    const std::string text = WithoutControlNoise(url);
    const size_t schemeLength = SchemeLength(text);
    if (schemeLength == 0) return std::string(url);
    const std::string scheme = AsciiLowerCopy(std::string_view(text).substr(0, schemeLength));
    const std::string_view rest = std::string_view(text).substr(schemeLength + 1);
    const auto authority = SplitAuthority(rest, scheme);
    if (!authority) return scheme + ":" + std::string(rest);
    std::string_view tail = authority->second;
    const size_t hash = tail.find('#');
    const std::string_view beforeFragment = tail.substr(0, hash);
    const size_t question = beforeFragment.find('?');
    std::string out = scheme + "://" + CanonicalAuthority(authority->first, scheme) +
                      CanonicalPath(beforeFragment.substr(0, question), scheme == "file");
    if (question != std::string_view::npos) {
        out += '?';
        AppendEscaped(out, beforeFragment.substr(question + 1),
                      IsSpecialScheme(scheme) ? MustEscapeInSpecialQuery : MustEscapeInQuery);
    }
    if (hash != std::string_view::npos) {
        out += '#';
        AppendEscaped(out, tail.substr(hash + 1), MustEscapeInFragment);
    }
    return out;
}

std::string TAppUrl::OriginOf(std::string_view url) {
    const std::string canonical = Canonical(url);
    const size_t schemeLength = SchemeLength(canonical);
    if (schemeLength == 0) return "null";
    const std::string_view scheme = std::string_view(canonical).substr(0, schemeLength);
    const std::string_view rest = std::string_view(canonical).substr(schemeLength + 1);
    if (scheme == "file") return "file://";
    if (scheme == "blob") return OriginOf(rest);
    if (!rest.starts_with("//")) return "null";
    const std::string_view authority = rest.substr(2, rest.find_first_of("/?#", 2) - 2);
    const size_t at = authority.rfind('@');
    const std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    if (hostPort.empty()) return "null";
    return std::string(scheme) + "://" + std::string(hostPort);
}

bool TAppUrl::IsFileUrl(std::string_view url) { return StartsWithNoCase(url, "file:"); }

bool TAppUrl::IsAppUrl(std::string_view url, std::string_view prefix) { return StartsWithNoCase(url, prefix); }

std::string TAppUrl::ToAppUrl(std::string_view url) {
    if (Prefix() == FileUrlPrefix || !IsFileUrl(url)) return std::string(url);
    // file:///a/b, file:/a/b and file://localhost/a/b all name /a/b.
    std::string_view rest = url.substr(5);
    if (StartsWithNoCase(rest, "//localhost/"))
        rest.remove_prefix(11);
    else if (rest.starts_with("//"))
        rest.remove_prefix(2);
    while (rest.starts_with('/')) rest.remove_prefix(1);
    return std::string(Prefix()) + std::string(rest);
}

std::optional<std::string> TAppUrl::PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    if (out.find('\0') != std::string::npos) return std::nullopt;
    return out;
}

std::optional<std::string> TAppUrl::RequestPath(std::string_view url, std::string_view prefix) {
    if (!IsAppUrl(url, prefix)) return std::nullopt;
    std::string_view path = url.substr(prefix.size());
    path = path.substr(0, path.find_first_of("?#"));
    return PercentDecode(path);
}

std::optional<std::string> TAppUrl::LegacyRequestPath(std::string_view url, std::string_view prefix) {
    if (!IsAppUrl(url, prefix)) return std::nullopt;
    return ReplaceAll(url.substr(prefix.size()), "%20", " ");
}

}  // namespace zorv
