#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zorv {

// One extension-to-type line; the extension with or without its leading ".".
struct TMimeMapping {
    std::string extension;
    std::string type;
    bool operator==(const TMimeMapping&) const = default;
};

// Maps file names to MIME types by extension. Built once (every resource request of the web
// view asks it), from three layers, each later one winning over the earlier ones:
//   1. the built-in list, where the first line of an extension counts;
//   2. the types a web page needs to work at all (modules, WebAssembly, fonts, JSON), which
//      the built-in list lacks;
//   3. the platform's own table, in its order (Windows: the registry's content types;
//      Linux: /etc/mime.types), where later mappings win;
//   4. the types of a page's own code and documents (.js, .mjs, .css, .html, .htm, .json, .wasm,
//      .svg), which the platform's table never changes.
class TMimeTypeTable {
public:
    static constexpr const char* DefaultType = "application/octet-stream";

    // Layers 1 and 2.
    TMimeTypeTable();
    // Layers 1, 2 and 3.
    explicit TMimeTypeTable(const std::vector<TMimeMapping>& platformMappings);

    // The type for `fileName`'s extension, or DefaultType when it has none or it is unknown.
    std::string Lookup(std::string_view fileName) const;

    // The lower-cased text from the last "." to the end, the "." included; empty when there is
    // no "." or a "\" or ":" follows it. A "/" does not end the search.
    static std::string ExtractExtension(std::string_view fileName);

    // The built-in list, in its order, duplicates included.
    static const std::vector<TMimeMapping>& BuiltInLines();
    static const std::vector<TMimeMapping>& WebEssentialLines();
    // The mappings of a mime.types file ("type ext1 ext2 ...", "#" comments), in file order.
    static std::vector<TMimeMapping> ParseMimeTypesFile(std::string_view text);

private:
    enum class TOnDuplicate { KeepFirst, Replace };
    void Add(const TMimeMapping& mapping, TOnDuplicate onDuplicate);

    std::unordered_map<std::string, std::string> FTypes;  // ".ext" -> type, both lower case
};

// The process's table behind TStrUtils::GetFileMIMEType. It starts with the built-in layers;
// a backend installs its platform mappings once at start-up. Safe to use from any thread.
class TMimeTypes {
public:
    TMimeTypes() = delete;
    static std::string GetFileMIMEType(std::string_view fileName);
    static void InstallPlatformMappings(const std::vector<TMimeMapping>& platformMappings);
    // Reads a mime.types file; an unreadable or missing file gives no mappings.
    static std::vector<TMimeMapping> ReadMimeTypesFile(const std::string& path);
};

}  // namespace zorv
