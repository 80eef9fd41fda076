#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// What the portable part of TExeUtils and its platform parts share: how a file is opened and
// positioned by its UTF-8 path, and where the running image is read from.
namespace zorv::exe_utils {

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

// Opens the file named by a UTF-8 path with an fopen mode; null, with errno set, on failure.
TFilePtr OpenFile(const std::string& path, const char* mode);
// Positions the file at a 64-bit offset from its start, or at its end.
bool SeekTo(std::FILE* file, uint64_t offset);
bool SeekToEnd(std::FILE* file);

// Where the running image is read from: a path that still opens it after the file was replaced
// or deleted while the program runs, where the system offers one.
std::string RunningImagePath();

}  // namespace zorv::exe_utils
