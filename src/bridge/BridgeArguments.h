#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zorv {

// An error that ends a bridge call early: a malformed message, or an argument of a type the
// function cannot read. The dispatcher answers the call with its message as an error reply.
class EBridgeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the members of a call's `data` object. Members are matched case-sensitively; numbers read
// as the text they were written with (see TBridgeJson).
class TBridgeArguments {
public:
    explicit TBridgeArguments(const nlohmann::json& data) : FData(data) {}

    // Absent or null gives `def`; a string its value; true/false the words "true"/"false".
    // An object or an array throws EBridgeError.
    std::string ReadString(std::string_view name, const std::string& def = {}) const;
    // Absent or null gives `def`; true/false themselves; text converts as TTextConvert::TryStrToBool
    // does. An object, an array or text that is no Boolean throws EBridgeError.
    bool ReadBoolean(std::string_view name, bool def) const;
    // Whether the member is present and not null.
    bool Has(std::string_view name) const;

private:
    const nlohmann::json* Find(std::string_view name) const;
    const nlohmann::json& FData;
};

// The same reading rule for a single JSON value (absent handled by the caller).
std::string JsonValueAsText(const nlohmann::json& value, std::string_view nameForError);

}  // namespace zorv
