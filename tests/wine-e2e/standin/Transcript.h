#pragma once
// What the stand-in browser saw and did, one JSON object per line, appended to the file that
// ZORV_WV2_TRANSCRIPT names. Every line is written and closed at once, so that the record
// survives a process that ends abruptly and several processes (relaunches, second instances)
// can share one file.

#include <windows.h>

#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace zorv::test {

class TTranscript {
public:
    static TTranscript& Instance();

    // Adds "pid" and writes the entry as one line.
    void Write(nlohmann::json entry);
    // The file's path, empty when no transcript is kept.
    const std::wstring& Path() const { return FPath; }

    static std::string Utf8(const wchar_t* text);
    static std::wstring Wide(const std::string& text);
    static std::string Base64(const std::string& bytes);

private:
    TTranscript();
    std::mutex FLock;
    std::wstring FPath;
};

}  // namespace zorv::test
