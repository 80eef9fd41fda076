#include "shared/SettingsSchema.h"

#include <algorithm>

#include "shared/MemIniFile.h"

namespace zorv {

namespace {

using enum TSettingType;

constexpr TSettingRange WindowSize{100, 16384, false};
constexpr TSettingRange WindowLimit{100, 16384, true};

std::vector<TSettingKey> MakeKeys() {
    std::vector<TSettingKey> keys;
    auto add = [&keys](TSettingKey key) { keys.push_back(std::move(key)); };
    add({"ID",
         &TProjectSettings::id,
         String,
         "",
         true,
         {},
         {},
         "Required. Application identifier: names the data folder and the single-instance lock.",
         "**Required.** Application identifier: names the data folder, the single-instance lock and is passed to a "
         "second instance opened for a new window. Use letters, digits, dots and dashes. `Company\\App` (or "
         "`Company/App`) puts the data in nested folders; characters a file name cannot hold become `_`, and an "
         "identifier with a `.` or `..` part, or a rooted or drive path, becomes one flat folder name, so nothing "
         "outside the local application-data folder is ever created or deleted."});
    add({"Name",
         &TProjectSettings::name,
         String,
         "",
         true,
         {},
         {},
         "Required. Application name: window caption and password dialog caption.",
         "**Required.** Application name: main window caption and password dialog caption."});
    add({"DirName",
         &TProjectSettings::dirName,
         String,
         "",
         true,
         {},
         {},
         "Required. The project folder that holds the application's files.",
         "**Required.** Name of the archive folder that holds the application's files."});
    add({"IndexHtml",
         &TProjectSettings::indexHtml,
         String,
         "index.html",
         false,
         {},
         {},
         "Start page, relative to DirName.",
         "Start page, relative to `DirName`; the start URL is `file:///` followed by this value."});
    add({"UrlSpace",
         &TProjectSettings::urlSpace,
         String,
         "file",
         false,
         {"file", "https"},
         {},
         "Windows: file serves pages at file:///, https at https://app.localhost/ (module scripts, fetch, workers).",
         "Windows: where the application's pages live. `file` serves them at `file:///` (as earlier releases did); "
         "`https` serves them at `https://app.localhost/`, a secure origin that never reaches the network, where "
         "module scripts, `import()`, `fetch` and workers of the app's own files load (Chromium refuses them to "
         "`file:///` pages). Names the archive does not hold are answered 404 there. On Linux pages always live at "
         "`zorv://app/`. Any other value reads as `file`."});
    add({"Theme",
         &TProjectSettings::theme,
         String,
         "Windows",
         false,
         {},
         {},
         "Theme of the native windows, one of the names zorv.themes.getThemes() lists; Windows is the system look.",
         "Visual theme of the native windows (menu bar, dialogs), one of the names `zorv.themes.getThemes()` "
         "lists; matched ignoring case. `Windows` is the system look. An unknown name shows \"Style '...' not "
         "found\" and the system look is used."});
    add({"AllowInstances",
         &TProjectSettings::allowInstances,
         Boolean,
         "0",
         false,
         {},
         {},
         "1 allows any number of running copies; 0 lets only one run.",
         "`1` allows any number of running copies; `0` lets only one run."});
    add({"EdgeInstaller",
         &TProjectSettings::edgeInstaller,
         Boolean,
         "1",
         false,
         {},
         {},
         "Windows: 1 offers to install the WebView2 runtime when it is missing; 0 only reports it.",
         "Windows: `1` offers to install the WebView2 runtime when it is missing (from the installer packed with "
         "the application); `0` only reports that it is missing and ends."});
    add({"InstallFormColor",
         &TProjectSettings::installFormColor,
         Colour,
         "$FF00001A",
         false,
         {},
         {},
         "Windows: background colour of the window shown while WebView2 installs.",
         "Windows: background colour of the window shown while WebView2 installs (default: the system's "
         "hot-light colour)."});
    add({"InstallIndicatorColor",
         &TProjectSettings::installIndicatorColor,
         Integer,
         "1",
         false,
         {"0", "1"},
         {},
         "Windows: activity indicator colour during the installation: 0 black, 1 white.",
         "Windows: colour of the activity indicator during the installation: `0` black, `1` white."});
    add({"InstallIndicatorType",
         &TProjectSettings::installIndicatorType,
         Integer,
         "0",
         false,
         {"0", "1", "2"},
         {},
         "Windows: activity indicator: 0 momentum dots, 1 rotating sector, 2 sector ring.",
         "Windows: animation of the activity indicator: `0` momentum dots, `1` rotating sector, `2` sector ring."});
    add({"Password",
         &TProjectSettings::password,
         String,
         "",
         false,
         {},
         {},
         "When set, asked for at start; empty means no password.",
         "When set, the application asks for this password at start and ends unless it is typed exactly (letter "
         "case counts). Empty means no password."});
    add({"AllowDebug",
         &TProjectSettings::allowDebug,
         Boolean,
         "0",
         false,
         {},
         {},
         "1 allows the web view's developer tools (F12 or Ctrl+Shift+I); zorv-pack run always allows them.",
         "`1` allows the web view's developer tools, opened with F12 or Ctrl+Shift+I. `zorv-pack run` allows them "
         "whatever this says; a packaged application has them only with `1`."});
    add({"AllowContextMenu",
         &TProjectSettings::allowContextMenu,
         Boolean,
         "0",
         false,
         {},
         {},
         "1 allows the web view's own context menu.",
         "`1` allows the web view's own context menu."});
    add({"Top",
         &TProjectSettings::top,
         Integer,
         "50",
         false,
         {},
         {},
         "Window top, in pixels (used when WindowPosition is not 0).",
         "Window top, in pixels (used when `WindowPosition` is not `0`)."});
    add({"Left",
         &TProjectSettings::left,
         Integer,
         "50",
         false,
         {},
         {},
         "Window left, in pixels (used when WindowPosition is not 0).",
         "Window left, in pixels (used when `WindowPosition` is not `0`)."});
    add({"Width",
         &TProjectSettings::width,
         Integer,
         "800",
         false,
         {},
         WindowSize,
         "Window width, in pixels.",
         "Window width, in pixels, from 100 to 16384."});
    add({"Height",
         &TProjectSettings::height,
         Integer,
         "600",
         false,
         {},
         WindowSize,
         "Window height, in pixels.",
         "Window height, in pixels, from 100 to 16384."});
    add({"MaxWidth",
         &TProjectSettings::maxWidth,
         Integer,
         "0",
         false,
         {},
         WindowLimit,
         "Largest window width; 0 means no limit.",
         "Largest window width (100 to 16384); `0` means no limit."});
    add({"MaxHeight",
         &TProjectSettings::maxHeight,
         Integer,
         "0",
         false,
         {},
         WindowLimit,
         "Largest window height; 0 means no limit.",
         "Largest window height (100 to 16384); `0` means no limit."});
    add({"MinWidth",
         &TProjectSettings::minWidth,
         Integer,
         "0",
         false,
         {},
         WindowLimit,
         "Smallest window width; 0 means no limit.",
         "Smallest window width (100 to 16384); `0` means no limit."});
    add({"MinHeight",
         &TProjectSettings::minHeight,
         Integer,
         "0",
         false,
         {},
         WindowLimit,
         "Smallest window height; 0 means no limit.",
         "Smallest window height (100 to 16384); `0` means no limit."});
    add({"WindowPosition",
         &TProjectSettings::windowPosition,
         Integer,
         "0",
         false,
         {},
         {},
         "0 centres the window on the screen; any other value lets the system place it.",
         "`0` centres the window on the screen; any other value lets the system choose its position."});
    add({"WindowStyle",
         &TProjectSettings::windowStyle,
         Integer,
         "0",
         false,
         {},
         {},
         "1 opens in full screen; any other value opens normally.",
         "`1` opens in full screen (no border, maximised); any other value opens normally."});
    add({"WindowBorder",
         &TProjectSettings::windowBorder,
         Integer,
         "2",
         false,
         {"0", "1", "2", "3", "4", "5"},
         {},
         "Border: 0 none, 1 single, 2 sizeable, 3 dialog, 4 tool window, 5 sizeable tool window.",
         "Border when not in full screen: `0` none, `1` single (fixed size), `2` sizeable, `3` dialog, `4` tool "
         "window, `5` sizeable tool window. Also restored when the page leaves full screen."});
    add({"WindowState",
         &TProjectSettings::windowState,
         Integer,
         "0",
         false,
         {},
         {},
         "0 normal, 1 maximised; ignored when WindowStyle is 1.",
         "`0` normal, `1` maximised; other values leave the state as the system chooses. Ignored when "
         "`WindowStyle` is `1`."});
    add({"WindowOrder",
         &TProjectSettings::windowOrder,
         Integer,
         "0",
         false,
         {},
         {},
         "1 keeps the window above other windows.",
         "`1` keeps the window above other windows."});
    add({"DynamicAppTitle",
         &TProjectSettings::dynamicAppTitle,
         Boolean,
         "0",
         false,
         {},
         {},
         "1 makes the window caption follow the page's title.",
         "`1` makes the window caption follow the title of the loaded page."});
    add({"Icon",
         &TProjectSettings::icon,
         String,
         "",
         false,
         {},
         {},
         "Linux: the PNG (relative to the project) of zorv-pack build --desktop-entry.",
         "Linux: the PNG file, relative to the project folder, that `zorv-pack build --desktop-entry` makes the "
         "application's icon; a default icon when empty."});
    return keys;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// Edits (insert, delete, replace, swap of neighbours) from one name to the other, ignoring case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && LowerAscii(a[i - 1]) == LowerAscii(b[j - 2]) &&
                LowerAscii(a[i - 2]) == LowerAscii(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// Appended piece by piece: GCC 12 warns wrongly about `"x" + std::string` chains.
void AppendDefaultForReadme(std::string& text, const TSettingKey& key) {
    if (key.defaultValue.empty()) {
        text += "empty";
        return;
    }
    text += '`';
    text += key.defaultValue;
    text += '`';
}

}  // namespace

const std::vector<TSettingKey>& TSettingsSchema::Keys() {
    static const std::vector<TSettingKey> keys = MakeKeys();
    return keys;
}

const TSettingKey* TSettingsSchema::Find(std::string_view name) {
    for (const TSettingKey& key : Keys())
        if (EqualIgnoringCase(key.name, name)) return &key;
    return nullptr;
}

// Close enough: at most a third of the name's letters (and at most three) differ.
std::optional<std::string> TSettingsSchema::NearestOf(std::string_view name,
                                                      const std::vector<std::string>& candidates) {
    std::optional<std::string> nearest;
    std::size_t best = std::min<std::size_t>(3, std::max<std::size_t>(1, name.size() / 3)) + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = EditDistance(name, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

const TSettingKey* TSettingsSchema::Nearest(std::string_view name) {
    std::vector<std::string> names;
    for (const TSettingKey& key : Keys()) names.emplace_back(key.name);
    const std::optional<std::string> nearest = NearestOf(name, names);
    return nearest ? Find(*nearest) : nullptr;
}

std::string_view TSettingsSchema::TypeName(TSettingType type) {
    switch (type) {
        case String: return "string";
        case Integer: return "integer";
        case Boolean: return "boolean";
        case Colour: return "colour";
    }
    return "string";
}

int32_t TSettingsSchema::IntegerDefault(const TSettingKey& key) {
    return TMemIniFile::ParseInteger(key.defaultValue).value_or(0);
}

std::string TSettingsSchema::MarkdownTable() {
    std::string table = "| Key | Type | Default | Meaning |\n|---|---|---|---|\n";
    for (const TSettingKey& key : Keys()) {
        table.append("| `").append(key.name).append("` | ").append(TypeName(key.type)).append(" | ");
        AppendDefaultForReadme(table, key);
        table.append(" | ").append(key.meaning).append(" |\n");
    }
    return table;
}

std::string TSettingsSchema::CommentedIni(const std::string& id, const std::string& name, const std::string& dirName) {
    std::string text =
        "; Settings of this application. Every key of [App] is listed; a commented key (\";\") keeps its\n"
        "; default. Booleans are 0 or 1; colours are $00BBGGRR.\n[App]\n";
    for (const TSettingKey& key : Keys()) {
        text.append("\n; ").append(key.brief).append("\n");
        if (key.name == "ID") {
            text.append("ID=").append(id);
        } else if (key.name == "Name") {
            text.append("Name=").append(name);
        } else if (key.name == "DirName") {
            text.append("DirName=").append(dirName);
        } else {
            text.append(";").append(key.name).append("=").append(key.defaultValue);
        }
        text += '\n';
    }
    return text;
}

}  // namespace zorv
