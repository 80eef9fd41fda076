#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace zorv::test {

// The one folder a harness may write into: made fresh for the process, made the current folder
// (relative targets land there), emptied now and then so millions of runs do not fill the disk, and
// removed at exit.
class TFuzzSandbox {
public:
    static TFuzzSandbox& Instance();
    const std::filesystem::path& Path() const { return FPath; }
    // The folder as text with a trailing "/".
    std::string Text() const { return FPath.string() + "/"; }
    // Empties the folder every `period` calls.
    void TidyEvery(int period);
    void Empty();

    // Whether a path a page names stays inside the sandbox once resolved against it: relative and
    // without a ".." step.
    static bool StaysInside(std::string_view pagePath);
    // Whether reading a path is harmless: not under the kernel's pseudo file systems (/proc, /sys,
    // /dev), whose "files" can be endless or huge.
    static bool IsHarmlessRead(std::string_view path);

private:
    TFuzzSandbox();
    ~TFuzzSandbox();

    std::filesystem::path FPath;
    int FCalls = 0;
};

}  // namespace zorv::test
