#include "FuzzSandbox.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace zorv::test {

TFuzzSandbox& TFuzzSandbox::Instance() {
    static TFuzzSandbox sandbox;
    return sandbox;
}

TFuzzSandbox::TFuzzSandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zorv-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    FPath = pattern;
    if (::chdir(FPath.c_str()) != 0) std::abort();
}

TFuzzSandbox::~TFuzzSandbox() {
    std::error_code ignored;
    std::filesystem::current_path(FPath.parent_path(), ignored);
    std::filesystem::remove_all(FPath, ignored);
}

void TFuzzSandbox::TidyEvery(int period) {
    if (++FCalls % period == 0) Empty();
}

void TFuzzSandbox::Empty() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(FPath, ignored)) {
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

bool TFuzzSandbox::StaysInside(std::string_view pagePath) {
    if (!pagePath.empty() && pagePath.front() == '/') return false;
    return pagePath.find("..") == std::string_view::npos;
}

bool TFuzzSandbox::IsHarmlessRead(std::string_view path) {
    for (const char* pseudo : {"proc", "sys", "dev"}) {
        if (path.find(pseudo) != std::string_view::npos) return false;
    }
    return true;
}

}  // namespace zorv::test
