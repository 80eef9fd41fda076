#include "tools/zorv-pack/ProjectTemplate.h"

#include <cstddef>
#include <fstream>
#include <system_error>

#include "shared/SettingsSchema.h"
#include "shared/Utf8Path.h"

extern const unsigned char ZorvTypeDeclarationsBytes[];
extern const std::size_t ZorvTypeDeclarationsBytes_size;

namespace zorv {

namespace {

namespace fs = std::filesystem;

std::string HtmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

// Appended piece by piece: GCC 12 warns wrongly about `"x" + std::string` chains.
std::string Quoted(const fs::path& path) {
    std::string text(1, '"');
    text.append(PathToUtf8(path)).push_back('"');
    return text;
}

TStatus WriteFile(const fs::path& path, std::string_view bytes) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return Failure(std::string("cannot write ").append(Quoted(path)));
    return Succeeded();
}

std::string FolderName(const fs::path& folder) {
    const fs::path absolute = fs::absolute(folder).lexically_normal();
    fs::path name = absolute.filename();
    if (name.empty()) name = absolute.parent_path().filename();
    return PathToUtf8(name);
}

}  // namespace

TProjectTemplate::TProjectTemplate(fs::path folder, std::string name, std::string id)
    : FFolder(std::move(folder)), FName(std::move(name)), FId(std::move(id)) {
    const std::string folderName = FolderName(FFolder);
    if (FName.empty()) FName = folderName.empty() ? "My App" : folderName;
    if (FId.empty()) FId = IdForFolder(folderName);
}

std::string TProjectTemplate::IdForFolder(const std::string& folderName) {
    std::string id;
    for (const char c : folderName) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            id += c;
        } else if (c >= 'A' && c <= 'Z') {
            id += static_cast<char>(c - 'A' + 'a');
        } else if (!id.empty() && id.back() != '-') {
            id += '-';
        }
    }
    while (!id.empty() && id.back() == '-') id.pop_back();
    return std::string("com.example.").append(id.empty() ? "app" : id);
}

std::string TProjectTemplate::StartPage(const std::string& name) {
    const std::string title = HtmlEscaped(name);
    return "<!doctype html>\n"
           "<html>\n"
           "<head>\n"
           "<meta charset=\"utf-8\">\n"
           "<title>" +
           title +
           "</title>\n"
           "<style>\n"
           "  body { font: 16px system-ui, sans-serif; margin: 2em; }\n"
           "  button { font: inherit; margin-right: 0.5em; }\n"
           "</style>\n"
           "</head>\n"
           "<body>\n"
           "<h1>" +
           title +
           "</h1>\n"
           "<p>Edit app/index.html and save: the window reloads.</p>\n"
           "<p id=\"about\"></p>\n"
           "<button id=\"title\">Put the time in the title</button>\n"
           "<button id=\"close\">Close</button>\n"
           "<script>\n"
           "  // window.zorv reaches the runtime: every call returns a promise (see types/zorv.d.ts).\n"
           "  async function showAbout() {\n"
           "    const platform = await zorv.system.getPlatform();\n"
           "    const folder = await zorv.folders.getUserDocumentsDir();\n"
           "    document.getElementById(\"about\").textContent =\n"
           "      \"Running on \" + platform + \"; your documents are in \" + folder;\n"
           "  }\n"
           "  document.getElementById(\"title\").onclick = () =>\n"
           "    zorv.window.setTitle({ title: new Date().toLocaleTimeString() });\n"
           "  document.getElementById(\"close\").onclick = () => zorv.app.close();\n"
           "  showAbout();\n"
           "</script>\n"
           "</body>\n"
           "</html>\n";
}

std::string TProjectTemplate::JsConfig() {
    return "{\n"
           "  \"compilerOptions\": { \"checkJs\": true, \"target\": \"ES2022\", \"lib\": [\"ES2022\", \"DOM\"] },\n"
           "  \"include\": [\"app/**/*\", \"types/zorv.d.ts\"]\n"
           "}\n";
}

TStatus TProjectTemplate::Write() const {
    std::error_code error;
    if (fs::exists(FFolder, error)) {
        if (!fs::is_directory(FFolder, error))
            return Failure(Quoted(FFolder).append(" is a file; give a new or empty folder"));
        if (!fs::is_empty(FFolder, error) || error)
            return Failure(Quoted(FFolder).append(" is not empty; give a new or empty folder"));
    }
    const std::string_view declarations(reinterpret_cast<const char*>(ZorvTypeDeclarationsBytes),
                                        ZorvTypeDeclarationsBytes_size);
    const std::pair<const char*, std::string> files[] = {
        {"zorv.ini", TSettingsSchema::CommentedIni(FId, FName, AppDirName)},
        {"app/index.html", StartPage(FName)},
        {"types/zorv.d.ts", std::string(declarations)},
        {"jsconfig.json", JsConfig()},
    };
    for (const auto& [name, text] : files)
        if (TStatus written = WriteFile(FFolder / name, text); !written) return written;
    return Succeeded();
}

}  // namespace zorv
