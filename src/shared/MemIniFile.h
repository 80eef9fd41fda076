#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <map>

namespace zorv {

// In-memory settings file: sections, "key=value" lines, ";" comments, names matched without
// regard to case, the last duplicate wins. Never written back.
class TMemIniFile {
public:
    // Replaces the content with the text decoded from `bytes` (UTF-8/UTF-16 byte-order marks).
    void SetText(std::string_view bytes);
    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

private:
    // Lower-cased section name -> lower-cased key -> value (last duplicate wins).
    std::map<std::string, std::map<std::string, std::string>> FSections;
};

}  // namespace zorv
