#include "tools/zorv-pack/RuntimeCommandLineWin32.h"

#include <algorithm>

#include "shared/Utf8Path.h"

namespace zorv {

namespace {

bool SplitsThere(wchar_t c) { return c <= L' '; }

}  // namespace

TResult<std::wstring> RuntimeCommandLine(const std::wstring& program, const std::vector<std::string>& args) {
    std::wstring line;
    auto append = [&line](const std::wstring& item) {
        if (!line.empty()) line += L' ';
        const bool quoted = item.empty() || std::any_of(item.begin(), item.end(), SplitsThere);
        line += quoted ? L"\"" + item + L"\"" : item;
    };
    append(program);
    for (const std::string& arg : args) {
        if (arg.find('"') != std::string::npos)
            return Failure("an argument cannot hold a double quote on Windows: " + arg);
        append(Utf8Path(arg).wstring());
    }
    return line;
}

}  // namespace zorv
