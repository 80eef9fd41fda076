#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorv {

// A Windows version resource (VS_VERSIONINFO) as a tree of nodes, read from and written back to
// its binary form on any host. Rewriting a value rebuilds the block, so a value may grow or
// shrink without being cut to the space of the one it replaces.
class TVersionResource {
public:
    // The string keys the packaging tool writes, in the order it writes them.
    static const std::vector<std::string>& StringKeys();

    // Nothing when the bytes are not a well-formed version block.
    static std::optional<TVersionResource> Parse(std::string_view bytes);
    // Empty when the block no longer fits the format (a node longer than 65535 bytes).
    std::string Serialize() const;

    // Language and code page pairs of "\VarFileInfo\Translation", in their stored order.
    std::vector<std::pair<uint16_t, uint16_t>> Translations() const;
    // The value under "\StringFileInfo\<LLLLCCCC>\<key>" (UTF-8), if present.
    std::optional<std::string> GetString(uint16_t language, uint16_t codePage, std::string_view key) const;
    // Replaces the value of `key` in the string table of every translation where the key is
    // present. Keys absent there stay absent. True when at least one value was replaced.
    bool ReplaceString(std::string_view key, std::string_view value);

private:
    struct TNode {
        std::u16string key;
        uint16_t type = 0;  // 1: text value, 0: binary value
        std::string value;  // raw bytes; text values are UTF-16 LE with their terminating zero
        std::vector<TNode> children;
    };

    static std::optional<TNode> ParseNode(std::string_view block, size_t offset, size_t& end);
    static bool SerializeNode(const TNode& node, std::string& out);
    const TNode* FindChild(const TNode& parent, std::u16string_view key) const;
    TNode* StringTable(uint16_t language, uint16_t codePage);

    TNode FRoot;
};

}  // namespace zorv
