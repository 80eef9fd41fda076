#include "Transcript.h"

#include <cstdio>

namespace zorv::test {

TTranscript& TTranscript::Instance() {
    static TTranscript transcript;
    return transcript;
}

TTranscript::TTranscript() {
    wchar_t path[MAX_PATH * 2] = {};
    if (::GetEnvironmentVariableW(L"ZORV_WV2_TRANSCRIPT", path, MAX_PATH * 2)) FPath = path;
}

void TTranscript::Write(nlohmann::json entry) {
    if (FPath.empty()) return;
    entry["pid"] = ::GetCurrentProcessId();
    const std::string line = entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    std::lock_guard lock(FLock);
    // Another process may be appending too: retry briefly while the file is held.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = ::CreateFileW(FPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            ::Sleep(10);
            continue;
        }
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::CloseHandle(file);
        return;
    }
}

std::string TTranscript::Utf8(const wchar_t* text) {
    if (!text || !*text) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

std::wstring TTranscript::Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string TTranscript::Base64(const std::string& bytes) {
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        out += {Alphabet[v >> 18], Alphabet[(v >> 12) & 63], Alphabet[(v >> 6) & 63], Alphabet[v & 63]};
    }
    if (i + 1 == bytes.size()) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        out += {Alphabet[v >> 18], Alphabet[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        const unsigned v =
            (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += {Alphabet[v >> 18], Alphabet[(v >> 12) & 63], Alphabet[(v >> 6) & 63], '='};
    }
    return out;
}

}  // namespace zorv::test
