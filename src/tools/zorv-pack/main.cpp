#include <cstdio>
#include <string>
#include <vector>

#include "tools/zorv-pack/PackTool.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace {

// The command line as UTF-8: the narrow argv of Windows programs holds the ANSI code page, which
// cannot carry every file name.
std::vector<std::string> Utf8Arguments() {
    int count = 0;
    struct TLocalFree {
        void operator()(LPWSTR* p) const { LocalFree(p); }
    };
    const std::unique_ptr<LPWSTR, TLocalFree> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide.get()[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? size - 1 : 0, '\0');
        if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide.get()[i], -1, arg.data(), size, nullptr, nullptr);
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace

int main() { return zorv::TPackTool(stdout, stderr).Run(Utf8Arguments()); }
#else
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zorv::TPackTool(stdout, stderr).Run(args);
}
#endif
