#include "shared/VersionResource.h"

#include <cstdio>

#include "shared/TextEncoding.h"

namespace zorv {

namespace {

constexpr size_t HeaderSize = 6;  // wLength, wValueLength, wType

uint16_t ReadWord(std::string_view bytes, size_t offset) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                 (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

void WriteWordAt(std::string& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void AppendWord(std::string& bytes, uint16_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>(value >> 8));
}

size_t AlignUp(size_t offset) { return (offset + 3) & ~size_t{3}; }

void PadToDword(std::string& bytes) { bytes.resize(AlignUp(bytes.size()), '\0'); }

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string result;
    for (size_t pos = 0; pos < text.size();) {
        const size_t length = TTextEncoding::ValidUtf8SequenceLength(text, pos);
        char32_t codePoint = TTextEncoding::ReplacementCharacter;
        if (length == 0) {
            ++pos;
        } else {
            const auto lead = static_cast<unsigned char>(text[pos]);
            codePoint = length == 1 ? lead : lead & (0x7F >> length);
            for (size_t i = 1; i < length; ++i)
                codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
            pos += length;
        }
        if (codePoint >= 0x10000) {
            codePoint -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return result;
}

std::string Utf16Bytes(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) AppendWord(bytes, unit);
    return bytes;
}

std::u16string TableKey(uint16_t language, uint16_t codePage) {
    char key[9];
    std::snprintf(key, sizeof(key), "%04X%04X", language, codePage);
    return Utf8ToUtf16(key);
}

}  // namespace

const std::vector<std::string>& TVersionResource::StringKeys() {
    static const std::vector<std::string> keys = {
        "CompanyName",      "FileDescription", "FileVersion", "InternalName",   "LegalCopyright", "LegalTrademarks",
        "OriginalFileName", "ProgramID",       "ProductName", "ProductVersion", "Comments"};
    return keys;
}

std::optional<TVersionResource::TNode> TVersionResource::ParseNode(std::string_view block, size_t offset, size_t& end) {
    if (offset + HeaderSize > block.size()) return std::nullopt;
    const size_t length = ReadWord(block, offset);
    const size_t valueLength = ReadWord(block, offset + 2);
    TNode node;
    node.type = ReadWord(block, offset + 4);
    if (length < HeaderSize || offset + length > block.size()) return std::nullopt;
    end = offset + length;

    size_t pos = offset + HeaderSize;
    for (;; pos += 2) {
        if (pos + 2 > end) return std::nullopt;
        const char16_t unit = ReadWord(block, pos);
        if (unit == 0) break;
        node.key.push_back(unit);
    }
    pos = AlignUp(pos + 2);

    if (node.type == 1 && valueLength > 0) {
        // A text leaf. Writers disagree on whether the length counts characters or bytes and
        // whether it includes the terminating zero; the text runs to its first zero in the node.
        size_t stop = pos;
        while (stop + 2 <= end && ReadWord(block, stop) != 0) stop += 2;
        if (stop + 2 <= end) stop += 2;  // keep the terminating zero
        node.value.assign(block.substr(pos, stop - pos));
        return node;
    }
    if (pos + valueLength > end) return std::nullopt;
    node.value.assign(block.substr(pos, valueLength));
    pos = AlignUp(pos + valueLength);
    while (pos + HeaderSize <= end) {
        size_t childEnd = 0;
        auto child = ParseNode(block, pos, childEnd);
        if (!child) return std::nullopt;
        node.children.push_back(std::move(*child));
        pos = AlignUp(childEnd);
    }
    return node;
}

std::optional<TVersionResource> TVersionResource::Parse(std::string_view bytes) {
    size_t end = 0;
    auto root = ParseNode(bytes, 0, end);
    if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
    TVersionResource resource;
    resource.FRoot = std::move(*root);
    return resource;
}

bool TVersionResource::SerializeNode(const TNode& node, std::string& out) {
    const size_t start = out.size();
    const size_t valueLength = node.type == 1 ? node.value.size() / 2 : node.value.size();
    if (valueLength > 0xFFFF) return false;
    AppendWord(out, 0);  // length, filled in below
    AppendWord(out, static_cast<uint16_t>(valueLength));
    AppendWord(out, node.type);
    out += Utf16Bytes(node.key);
    AppendWord(out, 0);
    PadToDword(out);
    out += node.value;
    for (const TNode& child : node.children) {
        PadToDword(out);
        if (!SerializeNode(child, out)) return false;
    }
    if (out.size() - start > 0xFFFF) return false;
    WriteWordAt(out, start, static_cast<uint16_t>(out.size() - start));
    return true;
}

std::string TVersionResource::Serialize() const {
    std::string bytes;
    return SerializeNode(FRoot, bytes) ? bytes : std::string();
}

const TVersionResource::TNode* TVersionResource::FindChild(const TNode& parent, std::u16string_view key) const {
    for (const TNode& child : parent.children)
        if (child.key == key) return &child;
    return nullptr;
}

std::vector<std::pair<uint16_t, uint16_t>> TVersionResource::Translations() const {
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
    const TNode* varInfo = FindChild(FRoot, u"VarFileInfo");
    const TNode* translation = varInfo ? FindChild(*varInfo, u"Translation") : nullptr;
    if (!translation) return pairs;
    for (size_t pos = 0; pos + 4 <= translation->value.size(); pos += 4)
        pairs.emplace_back(ReadWord(translation->value, pos), ReadWord(translation->value, pos + 2));
    return pairs;
}

TVersionResource::TNode* TVersionResource::StringTable(uint16_t language, uint16_t codePage) {
    auto* stringInfo = const_cast<TNode*>(FindChild(FRoot, u"StringFileInfo"));
    if (!stringInfo) return nullptr;
    // Table keys are hexadecimal; match them without regard to the letter case of the digits.
    const std::u16string wanted = TableKey(language, codePage);
    for (TNode& table : stringInfo->children) {
        if (table.key.size() != wanted.size()) continue;
        bool same = true;
        for (size_t i = 0; i < wanted.size() && same; ++i) {
            char16_t c = table.key[i];
            if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
            same = c == wanted[i];
        }
        if (same) return &table;
    }
    return nullptr;
}

std::optional<std::string> TVersionResource::GetString(uint16_t language, uint16_t codePage,
                                                       std::string_view key) const {
    const TNode* table = const_cast<TVersionResource*>(this)->StringTable(language, codePage);
    const TNode* entry = table ? FindChild(*table, Utf8ToUtf16(key)) : nullptr;
    if (!entry) return std::nullopt;
    std::string text = TTextEncoding::Utf16ToUtf8(entry->value, false);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

bool TVersionResource::ReplaceString(std::string_view key, std::string_view value) {
    const std::u16string wantedKey = Utf8ToUtf16(key);
    std::u16string text = Utf8ToUtf16(value);
    text.push_back(u'\0');
    bool replaced = false;
    for (const auto& [language, codePage] : Translations()) {
        TNode* table = StringTable(language, codePage);
        if (!table) continue;
        for (TNode& entry : table->children) {
            if (entry.key != wantedKey) continue;
            entry.type = 1;
            entry.value = Utf16Bytes(text);
            replaced = true;
        }
    }
    return replaced;
}

}  // namespace zorv
