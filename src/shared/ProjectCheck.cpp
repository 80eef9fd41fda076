#include "shared/ProjectCheck.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <system_error>

#include "shared/InputFile.h"
#include "shared/SettingsSchema.h"
#include "shared/StylesUtils.h"
#include "shared/Utf8Path.h"

namespace zorv {

namespace {

namespace fs = std::filesystem;
using TSeverity = TProjectProblem::TSeverity;

constexpr const char* IniName = "zorv.ini";
// A settings file is a few kilobytes; one of many megabytes is not a settings file.
constexpr std::size_t MaxSettingsFileSize = 16u << 20;

bool ReadSettingsFile(const fs::path& path, std::string& bytes) {
    TResult<std::string> read = ReadWholeFile(PathToUtf8(path), MaxSettingsFileSize);
    if (!read) return false;
    bytes = std::move(read).Value();
    return true;
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

std::string ChoicesText(const TSettingKey& key) {
    std::string text;
    for (std::size_t i = 0; i < key.choices.size(); ++i) {
        if (i > 0) text += i + 1 == key.choices.size() ? " or " : ", ";
        text += key.choices[i];
    }
    return text;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string HowToWrite(TSettingType type) {
    switch (type) {
        case TSettingType::Boolean: return "write 1 (yes) or 0 (no)";
        case TSettingType::Colour: return "write $00BBGGRR, blue first (e.g. $000080FF for orange)";
        default: return "write a whole number (decimal, or hexadecimal after $ or 0x)";
    }
}

// The page's file name, without a query or fragment the start URL may carry.
std::string PagePath(const std::string& indexHtml) { return indexHtml.substr(0, indexHtml.find_first_of("?#")); }

}  // namespace

std::string TProjectProblem::Message() const {
    std::string message = file;
    if (line > 0) message.append(":").append(std::to_string(line));
    return message.append(": ").append(text);
}

TProjectCheck::TProjectCheck(fs::path projectDir) : FProjectDir(std::move(projectDir)) {}

bool TProjectCheck::HasErrors() const {
    return std::any_of(FProblems.begin(), FProblems.end(),
                       [](const TProjectProblem& p) { return p.severity == TSeverity::Error; });
}

void TProjectCheck::Report(TSeverity severity, std::string file, int line, std::string text) {
    FProblems.push_back({severity, std::move(file), line, std::move(text)});
}

bool TProjectCheck::IsSafeDirName(const std::string& dirName) {
    if (dirName.find('\\') != std::string::npos || dirName.find(':') != std::string::npos) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = dirName.find('/', start);
        const std::string step = dirName.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (step.empty() || step == "." || step == "..") return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
}

void TProjectCheck::Run() {
    FProblems.clear();
    std::error_code error;
    if (!fs::is_directory(FProjectDir, error)) {
        Report(TSeverity::Error, PathToUtf8(FProjectDir), 0,
               "no such project folder; give the folder that holds zorv.ini");
        return;
    }
    std::string bytes;
    const fs::path iniPath = FProjectDir / IniName;
    if (!fs::is_regular_file(iniPath, error)) {
        Report(TSeverity::Error, IniName, 0,
               "missing; create it with a section [App] giving ID, Name and DirName (zorv-pack init writes one)");
        return;
    }
    if (!ReadSettingsFile(iniPath, bytes)) {
        Report(TSeverity::Error, IniName, 0, "cannot be read; check its permissions");
        return;
    }
    FIni.SetText(bytes);
    FSettings = TProjectSettings::Read(FIni);
    CheckIdentity();
    CheckKeys();
    CheckSizeLimits();
    CheckAppFolder();
}

int TProjectCheck::LineOf(std::string_view key) const {
    int line = 0;
    for (const TMemIniFile::TKeyLine& keyLine : FIni.KeyLines(TSettingsSchema::Section))
        if (EqualIgnoringCase(keyLine.name, key)) line = keyLine.line;  // the last one is read
    return line;
}

void TProjectCheck::CheckIdentity() {
    const std::pair<const char*, const char*> required[] = {
        {"ID", "ID=com.example.notes"}, {"Name", "Name=Notes"}, {"DirName", "DirName=app"}};
    for (const auto& [name, example] : required) {
        if (!FIni.ReadString(TSettingsSchema::Section, name, "").empty()) continue;
        Report(TSeverity::Error, IniName, LineOf(name),
               std::string(name) + " is missing or empty; add a line such as " + example + " to section [App]");
    }
}

void TProjectCheck::CheckKeys() {
    for (const TMemIniFile::TKeyLine& keyLine : FIni.KeyLines(TSettingsSchema::Section)) {
        const TSettingKey* key = TSettingsSchema::Find(keyLine.name);
        if (key != nullptr) {
            // Only the last of repeated lines is read; its value is the one to check.
            if (LineOf(keyLine.name) == keyLine.line)
                CheckValue(*key, keyLine.name, FIni.ReadString(TSettingsSchema::Section, keyLine.name, ""),
                           keyLine.line);
            continue;
        }
        std::string text = Quoted(keyLine.name) + " is not a key of [App] and is ignored; ";
        if (const TSettingKey* nearest = TSettingsSchema::Nearest(keyLine.name))
            text += "did you mean " + Quoted(nearest->name) + "?";
        else
            text += "remove it (the README lists the keys)";
        Report(TSeverity::Warning, IniName, keyLine.line, std::move(text));
    }
}

void TProjectCheck::CheckValue(const TSettingKey& key, const std::string& writtenName, const std::string& value,
                               int line) {
    const std::string setting = writtenName + "=" + value;
    const std::string fallback = " reads as the default, " + std::string(key.defaultValue);
    if (key.type != TSettingType::String) {
        const std::optional<int32_t> number = TMemIniFile::ParseInteger(value);
        if (!number) {
            Report(TSeverity::Warning, IniName, line,
                   setting + " is not a number and" + fallback + "; " + HowToWrite(key.type));
            return;
        }
        if (key.range && !(key.range->zeroMeansNone && *number == 0) &&
            (*number < key.range->min || *number > key.range->max)) {
            Report(TSeverity::Warning, IniName, line,
                   setting + " is a window size that cannot be shown; give " + std::to_string(key.range->min) + " to " +
                       std::to_string(key.range->max) + (key.range->zeroMeansNone ? ", or 0 for no limit" : ""));
            return;
        }
    }
    if (!key.choices.empty() && std::none_of(key.choices.begin(), key.choices.end(), [&](std::string_view choice) {
            return EqualIgnoringCase(choice, value);
        })) {
        Report(TSeverity::Warning, IniName, line,
               setting + " is not one of " + ChoicesText(key) + " and" + fallback + "; write one of them");
        return;
    }
    if (key.name == "Theme" && !TStylesUtils::FindTheme(value)) {
        std::vector<std::string> themes;
        TStylesUtils::GetAvailables(themes, TStylesUtils::TOrder::Catalogue);
        std::string text = setting + " is not a theme; ";
        if (const std::optional<std::string> nearest = TSettingsSchema::NearestOf(value, themes))
            text += "did you mean " + Quoted(*nearest) + "?";
        else
            text += "use one of the names zorv.themes.getThemes() lists, or Windows";
        Report(TSeverity::Warning, IniName, line, std::move(text));
    }
}

// A smallest size above the largest leaves no size the window may take.
void TProjectCheck::CheckSizeLimits() {
    const std::pair<const char*, const char*> limits[] = {{"MinWidth", "MaxWidth"}, {"MinHeight", "MaxHeight"}};
    for (const auto& [minName, maxName] : limits) {
        const int32_t min = FIni.ReadInteger(TSettingsSchema::Section, minName, 0);
        const int32_t max = FIni.ReadInteger(TSettingsSchema::Section, maxName, 0);
        if (min <= 0 || max <= 0 || min <= max) continue;
        Report(TSeverity::Warning, IniName, LineOf(minName),
               std::string(minName) + "=" + std::to_string(min) + " is above " + maxName + "=" + std::to_string(max) +
                   "; lower " + minName + " or raise " + maxName);
    }
}

void TProjectCheck::CheckAppFolder() {
    const std::string& dirName = FSettings.dirName;
    if (dirName.empty()) return;
    const int line = LineOf("DirName");
    if (!IsSafeDirName(dirName)) {
        Report(TSeverity::Error, IniName, line,
               "DirName=" + dirName + " must name a folder inside the project; give a relative name such as app");
        return;
    }
    std::error_code error;
    const fs::path appDir = FProjectDir / Utf8Path(dirName);
    if (!fs::is_directory(appDir, error)) {
        Report(TSeverity::Error, IniName, line,
               "DirName=" + dirName + " names no folder of the project; create the folder " + dirName +
                   " or correct DirName");
        return;
    }
    const std::string page = PagePath(FSettings.indexHtml);
    if (page.empty() || !fs::is_regular_file(appDir / Utf8Path(page), error)) {
        Report(TSeverity::Warning, dirName + "/" + page, 0,
               "the start page is missing; create it, or set IndexHtml in zorv.ini to the page to start with");
    }
}

}  // namespace zorv
