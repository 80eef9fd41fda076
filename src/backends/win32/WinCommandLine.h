#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// The items of a Windows command line as the runtime reads them: the line is split at spaces and
// control characters that stand outside double quotes, the quotes themselves are removed, and
// there is no escape character, so "C:\My Dir\" is one item that ends with a backslash. Item 0 is
// the program as the line names it.
class TWinCommandLine {
public:
    TWinCommandLine() = delete;

    static std::vector<std::wstring> Split(std::wstring_view commandLine);
    // The text after item 0 as the line gives it, without the blanks that follow item 0: what
    // starts the same program again with the same arguments.
    static std::wstring_view Arguments(std::wstring_view commandLine);
};

}  // namespace zorv
