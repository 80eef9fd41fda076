#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "shared/ProjectSettings.h"

namespace zorv {

// How a value of zorv.ini is read (see TMemIniFile): a string as written, a 32-bit integer, a
// boolean (an integer, non-zero is true) or a colour (an integer in the Windows colour encoding).
enum class TSettingType { String, Integer, Boolean, Colour };

// The values a window size or size limit can take and still give a window that can be shown.
struct TSettingRange {
    int32_t min = 0;
    int32_t max = 0;
    bool zeroMeansNone = false;  // 0 is allowed too and means "no limit"
};

// The member of TProjectSettings a key is read into; its type follows the key's type (string,
// integer, boolean, colour).
using TSettingField = std::variant<std::string TProjectSettings::*, int32_t TProjectSettings::*,
                                   bool TProjectSettings::*, TColorSetting TProjectSettings::*>;

// One key of section [App]: everything the runtime, the project checks, `zorv-pack init`'s
// commented zorv.ini and the README's reference know about it. Its name is written only here.
struct TSettingKey {
    std::string_view name;
    TSettingField field;
    TSettingType type = TSettingType::String;
    std::string_view defaultValue;  // as written in zorv.ini; empty for the empty string
    bool required = false;          // start-up ends when it is empty
    // The only values the key takes, when it takes only some (compared ignoring ASCII case).
    std::vector<std::string_view> choices;
    std::optional<TSettingRange> range;
    std::string_view brief;    // one line, for the comments of a new project's zorv.ini
    std::string_view meaning;  // the README's reference text (Markdown)
};

// The description of section [App] of zorv.ini. Every reader of the settings takes its keys and
// defaults from here.
class TSettingsSchema {
public:
    TSettingsSchema() = delete;
    static constexpr const char* Section = "App";

    // In the order the README lists them.
    static const std::vector<TSettingKey>& Keys();
    // The key of that name, ignoring ASCII case; null for an unknown name.
    static const TSettingKey* Find(std::string_view name);
    // The known key nearest to a misspelt name, when one is close enough to be meant.
    static const TSettingKey* Nearest(std::string_view name);
    // The candidate nearest to a misspelt name, when one is close enough to be meant.
    static std::optional<std::string> NearestOf(std::string_view name, const std::vector<std::string>& candidates);

    static std::string_view TypeName(TSettingType type);
    // A default as the integer it stands for (0 for a string key).
    static int32_t IntegerDefault(const TSettingKey& key);

    // The README's table of keys, one Markdown row per key after a header row.
    static std::string MarkdownTable();
    // A zorv.ini for a new project: every key commented with what it does and its default, the
    // given identity written out.
    static std::string CommentedIni(const std::string& id, const std::string& name, const std::string& dirName);
};

}  // namespace zorv
