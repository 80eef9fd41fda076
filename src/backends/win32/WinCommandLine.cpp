#include "backends/win32/WinCommandLine.h"

namespace zorv {

namespace {
bool IsSeparator(wchar_t c) { return c <= L' '; }
}  // namespace

std::wstring_view TWinCommandLine::Arguments(std::wstring_view commandLine) {
    std::size_t pos = 0;
    while (pos < commandLine.size() && IsSeparator(commandLine[pos])) ++pos;
    for (bool quoted = false; pos < commandLine.size() && (quoted || !IsSeparator(commandLine[pos])); ++pos)
        if (commandLine[pos] == L'"') quoted = !quoted;
    while (pos < commandLine.size() && IsSeparator(commandLine[pos])) ++pos;
    return commandLine.substr(pos);
}

std::vector<std::wstring> TWinCommandLine::Split(std::wstring_view commandLine) {
    std::vector<std::wstring> items;
    std::size_t pos = 0;
    for (;;) {
        while (pos < commandLine.size() && IsSeparator(commandLine[pos])) ++pos;
        if (pos >= commandLine.size()) return items;
        std::wstring item;
        bool quoted = false;
        for (; pos < commandLine.size() && (quoted || !IsSeparator(commandLine[pos])); ++pos) {
            if (commandLine[pos] == L'"')
                quoted = !quoted;
            else
                item += commandLine[pos];
        }
        items.push_back(std::move(item));
    }
}

}  // namespace zorv
