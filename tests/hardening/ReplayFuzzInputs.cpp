// Runs one fuzz harness over its seeds (fuzz/corpus/<harness>) and over every input that once
// made it fail (fuzz/regressions/<harness>). The harness stops the process on a broken rule, so
// a crash of this test names a regression; the trace names the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const std::string& kind) {
    const char* source = std::getenv("ZORV_SOURCE_DIR");
    const fs::path folder = fs::path(source ? source : ".") / "fuzz" / kind / ZORV_FUZZ_HARNESS;
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) files.push_back(fs::absolute(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ReplayFuzzInputs, SeedsAndPastFindings) {
    const std::vector<fs::path> seeds = InputsOf("corpus");
    ASSERT_FALSE(seeds.empty()) << "no seeds for " << ZORV_FUZZ_HARNESS;
    std::vector<fs::path> inputs = seeds;
    const std::vector<fs::path> findings = InputsOf("regressions");
    inputs.insert(inputs.end(), findings.begin(), findings.end());
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::string bytes = Bytes(input);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
}

}  // namespace
}  // namespace zorv::test
