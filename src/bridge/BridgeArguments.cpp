#include "bridge/BridgeArguments.h"

#include "bridge/TextConvert.h"

namespace zorv {
namespace {

const char* JsonTypeName(const nlohmann::json& value) {
    if (value.is_object()) return "an object";
    if (value.is_array()) return "an array";
    return "a value of another kind";
}

}  // namespace

std::string JsonValueAsText(const nlohmann::json& value, std::string_view nameForError) {
    if (value.is_string()) return value.get_ref<const std::string&>();
    if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
    if (value.is_null()) return {};
    throw EBridgeError("Value '" + std::string(nameForError) + "' must be a string, not " + JsonTypeName(value));
}

const nlohmann::json* TBridgeArguments::Find(std::string_view name) const {
    if (!FData.is_object()) return nullptr;
    const auto found = FData.find(name);
    if (found == FData.end() || found->is_null()) return nullptr;
    return &*found;
}

bool TBridgeArguments::Has(std::string_view name) const { return Find(name) != nullptr; }

std::string TBridgeArguments::ReadString(std::string_view name, const std::string& def) const {
    const nlohmann::json* value = Find(name);
    return value ? JsonValueAsText(*value, name) : def;
}

bool TBridgeArguments::ReadBoolean(std::string_view name, bool def) const {
    const nlohmann::json* value = Find(name);
    if (!value) return def;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_structured()) {
        throw EBridgeError("Value '" + std::string(name) + "' must be a Boolean (true or false), not " +
                           JsonTypeName(*value));
    }
    bool result = false;
    if (!TTextConvert::TryStrToBool(JsonValueAsText(*value, name), result)) {
        throw EBridgeError("Value '" + std::string(name) + "' must be a Boolean (true or false)");
    }
    return result;
}

}  // namespace zorv
