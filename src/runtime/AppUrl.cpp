#include "runtime/AppUrl.h"

#include <algorithm>
#include <cctype>

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

}  // namespace

std::string_view TAppUrl::Prefix() {
#ifdef _WIN32
    return FileUrlPrefix;
#else
    return CustomPrefix;
#endif
}

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
    return std::string(prefix) + indexHtml;
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
