// Request URLs of the application's URL space, as a page (or anything it links to) can make
// them: looked up in the archive, then beside the executable, then as an absolute path. The
// lookups only read; requests for the kernel's pseudo files are skipped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "FuzzArchive.h"
#include "FuzzSandbox.h"
#include "archive/AppPackage.h"
#include "runtime/AppUrl.h"
#include "runtime/ResourceResolver.h"

namespace {

// The executable's folder: a page and a style sheet in a folder whose name has a blank.
std::string ExecutableFolder() {
    static const std::string folder = [] {
        const auto root = zorv::test::TFuzzSandbox::Instance().Path() / "exe";
        std::filesystem::create_directories(root / "sub dir");
        std::ofstream(root / "page.html") << "<p>beside the executable</p>";
        std::ofstream(root / "sub dir" / "x.css") << "p{}";
        return root.string() + "/";
    }();
    return folder;
}

bool IsHarmless(const std::optional<std::string>& path) {
    return !path || zorv::test::TFuzzSandbox::IsHarmlessRead(*path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses between a URL inside the application's space and one taken as is.
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string url = (data[0] & 1) ? std::string(zorv::TAppUrl::Prefix()) + rest : rest;
    if (!IsHarmless(zorv::TAppUrl::RequestPath(url)) || !IsHarmless(zorv::TAppUrl::LegacyRequestPath(url))) return -1;

    static const zorv::TArchivePackage package(zorv::test::SampleArchive());
    const zorv::TResourceResolver resolver(&package, "app", ExecutableFolder());
    const zorv::TResource resource = resolver.FindUrl(url);
    if (resource.status != 200 && resource.status != 404 && resource.status != 500) std::abort();
    if (resource.status == 404 && !resource.bytes.empty()) std::abort();
    if (resource.mimeType.empty()) std::abort();
    return 0;
}
