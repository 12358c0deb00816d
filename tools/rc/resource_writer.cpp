#include "tools/rc/resource_writer.h"

#include <cstdio>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace brontar::rc {
namespace {

constexpr uint16_t kTypeDialog = 5;    // RT_DIALOG
constexpr uint16_t kTypeString = 6;    // RT_STRING
constexpr uint16_t kTypeVersion = 16;  // RT_VERSION
constexpr uint16_t kMoveablePureDiscardable = 0x1030;

// Little-endian byte sink with the alignment helpers the formats need.
class ByteWriter {
public:
    void Word(uint16_t value) {
        bytes_.push_back(static_cast<uint8_t>(value));
        bytes_.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Dword(uint32_t value) {
        Word(static_cast<uint16_t>(value));
        Word(static_cast<uint16_t>(value >> 16));
    }
    void Text(const std::u16string& text) {
        for (char16_t unit : text) Word(unit);
        Word(0);
    }
    void NameOrId(const NameOrOrdinal& name) {
        if (name.isOrdinal) {
            Word(0xFFFF);
            Word(name.ordinal);
        } else {
            Text(Utf8ToUtf16(name.text));
        }
    }
    void AlignTo(size_t alignment) {
        while (bytes_.size() % alignment != 0) bytes_.push_back(0);
    }
    void Append(const std::vector<uint8_t>& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    size_t Size() const { return bytes_.size(); }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// One .res entry: the header with ordinal type and name, then the data.
void WriteEntry(ByteWriter& out, uint16_t type, uint16_t name, uint16_t language, uint16_t memoryFlags,
                const std::vector<uint8_t>& data) {
    out.Dword(static_cast<uint32_t>(data.size()));
    out.Dword(32);  // header size: two sizes, type, name, version, flags, language, two dwords
    out.Word(0xFFFF);
    out.Word(type);
    out.Word(0xFFFF);
    out.Word(name);
    out.Dword(0);  // data version
    out.Word(memoryFlags);
    out.Word(language);
    out.Dword(0);       // version
    out.Dword(0);       // characteristics
    out.Append(data);
    out.AlignTo(4);
}

std::vector<uint8_t> EncodeDialog(const DialogTemplate& dialog) {
    ByteWriter out;
    out.Dword(dialog.style);
    out.Dword(dialog.exStyle);
    out.Word(static_cast<uint16_t>(dialog.items.size()));
    out.Word(static_cast<uint16_t>(dialog.x));
    out.Word(static_cast<uint16_t>(dialog.y));
    out.Word(static_cast<uint16_t>(dialog.cx));
    out.Word(static_cast<uint16_t>(dialog.cy));
    out.Word(0);  // no menu
    out.Word(0);  // the dialog window class
    out.Text(Utf8ToUtf16(dialog.caption));
    if (dialog.hasFont) {
        out.Word(dialog.pointSize);
        out.Text(Utf8ToUtf16(dialog.faceName));
    }
    for (const DialogItem& item : dialog.items) {
        out.AlignTo(4);
        out.Dword(item.style);
        out.Dword(item.exStyle);
        out.Word(static_cast<uint16_t>(item.x));
        out.Word(static_cast<uint16_t>(item.y));
        out.Word(static_cast<uint16_t>(item.cx));
        out.Word(static_cast<uint16_t>(item.cy));
        out.Word(item.id);
        out.NameOrId(item.windowClass);
        out.NameOrId(item.title);
        out.Word(0);  // no creation data
    }
    return std::move(out.Bytes());
}

// Strings live in blocks of sixteen: block n holds ids (n-1)*16 to n*16-1,
// each as a length-prefixed UTF-16 text, absent ones with length 0.
std::vector<uint8_t> EncodeStringBlock(const std::map<uint16_t, std::u16string>& strings, uint16_t block) {
    ByteWriter out;
    for (uint32_t slot = 0; slot < 16; ++slot) {
        auto found = strings.find(static_cast<uint16_t>((block - 1) * 16 + slot));
        if (found == strings.end()) {
            out.Word(0);
            continue;
        }
        out.Word(static_cast<uint16_t>(found->second.size()));
        for (char16_t unit : found->second) out.Word(unit);
    }
    return std::move(out.Bytes());
}

// A node's header (length and value length patched in later) and its key,
// padded so that what follows starts on a double word.
size_t BeginVersionNode(ByteWriter& out, uint16_t type, const std::string& key) {
    out.AlignTo(4);
    const size_t start = out.Size();
    out.Word(0);
    out.Word(0);
    out.Word(type);
    out.Text(Utf8ToUtf16(key));
    out.AlignTo(4);
    return start;
}

void EndVersionNode(ByteWriter& out, size_t start, size_t valueLength) {
    const size_t length = out.Size() - start;
    if (length > 0xFFFF || valueLength > 0xFFFF) throw ScriptError("VERSIONINFO does not fit 64 KB");
    out.Bytes()[start] = static_cast<uint8_t>(length);
    out.Bytes()[start + 1] = static_cast<uint8_t>(length >> 8);
    out.Bytes()[start + 2] = static_cast<uint8_t>(valueLength);
    out.Bytes()[start + 3] = static_cast<uint8_t>(valueLength >> 8);
}

// Blocks carry no value; a text value's length counts its UTF-16 units with
// the terminator, a numeric value's its bytes. No length covers the padding
// after a node.
void EncodeVersionNode(ByteWriter& out, const VersionNode& node) {
    const bool text = node.isBlock || node.isText;
    const size_t start = BeginVersionNode(out, text ? 1 : 0, node.key);
    size_t valueLength = 0;
    if (node.isBlock) {
        for (const VersionNode& child : node.children) EncodeVersionNode(out, child);
    } else if (node.isText) {
        const std::u16string value = Utf8ToUtf16(node.text);
        out.Text(value);
        valueLength = value.size() + 1;
    } else {
        for (uint16_t word : node.words) out.Word(word);
        valueLength = node.words.size() * 2;
    }
    EndVersionNode(out, start, valueLength);
}

// VS_VERSIONINFO: the fixed part (VS_FIXEDFILEINFO) and the blocks.
std::vector<uint8_t> EncodeVersion(const VersionInfo& version) {
    ByteWriter out;
    const size_t start = BeginVersionNode(out, 0, "VS_VERSION_INFO");
    const size_t fixedStart = out.Size();
    out.Dword(0xFEEF04BD);  // signature
    out.Dword(0x00010000);  // structure version 1.0
    for (uint32_t part : version.fileVersion) out.Dword(part);
    for (uint32_t part : version.productVersion) out.Dword(part);
    for (uint32_t field : {version.fileFlagsMask, version.fileFlags, version.fileOs, version.fileType, version.fileSubtype})
        out.Dword(field);
    out.Dword(0);  // file date, most and least significant
    out.Dword(0);
    const size_t fixedLength = out.Size() - fixedStart;
    for (const VersionNode& block : version.blocks) EncodeVersionNode(out, block);
    EndVersionNode(out, start, fixedLength);
    return std::move(out.Bytes());
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string result;
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        uint32_t code = 0;
        size_t extra = 0;
        if (byte < 0x80) {
            code = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            code = byte & 0x1F;
            extra = 1;
        } else if ((byte & 0xF0) == 0xE0) {
            code = byte & 0x0F;
            extra = 2;
        } else if ((byte & 0xF8) == 0xF0) {
            code = byte & 0x07;
            extra = 3;
        } else {
            throw ScriptError("malformed UTF-8 in a string");
        }
        for (size_t k = 1; k <= extra; ++k) {
            if (i + k >= text.size()) throw ScriptError("truncated UTF-8 in a string");
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) throw ScriptError("malformed UTF-8 in a string");
            code = (code << 6) | (next & 0x3F);
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
    }
    return result;
}

std::vector<uint8_t> EncodeResources(const ResourceScript& script) {
    // Entries by type, name and language, the order Windows' tools write.
    struct Entry {
        uint16_t memoryFlags;
        std::vector<uint8_t> data;
    };
    std::map<std::tuple<uint16_t, uint16_t, uint16_t>, Entry> entries;  // (type, name, language)

    std::map<std::pair<uint16_t, uint16_t>, std::map<uint16_t, std::u16string>> blocks;  // (language, block)
    std::set<std::pair<uint16_t, uint16_t>> seen;
    for (const StringEntry& entry : script.strings) {
        if (!seen.insert({entry.language, entry.id}).second)
            throw ScriptError("string " + std::to_string(entry.id) + " declared twice for one language");
        std::u16string text = Utf8ToUtf16(entry.text);
        if (text.size() > 0xFFFF) throw ScriptError("string " + std::to_string(entry.id) + " is too long");
        uint16_t block = static_cast<uint16_t>(entry.id / 16 + 1);
        blocks[{entry.language, block}][entry.id] = std::move(text);
    }
    for (const auto& [key, strings] : blocks)
        entries[{kTypeString, key.second, key.first}] = {kMoveablePureDiscardable, EncodeStringBlock(strings, key.second)};
    for (const DialogTemplate& dialog : script.dialogs) {
        if (!entries.try_emplace({kTypeDialog, dialog.id, dialog.language}, Entry{kMoveablePureDiscardable, EncodeDialog(dialog)}).second)
            throw ScriptError("dialog " + std::to_string(dialog.id) + " declared twice for one language");
    }
    for (const VersionInfo& version : script.versions) {
        // Version information is fixed data: no memory flags.
        if (!entries.try_emplace({kTypeVersion, version.id, version.language}, Entry{0, EncodeVersion(version)}).second)
            throw ScriptError("VERSIONINFO " + std::to_string(version.id) + " declared twice for one language");
    }

    ByteWriter out;
    // A .res image starts with an empty entry that marks the 32-bit format.
    WriteEntry(out, 0, 0, 0, 0, {});
    for (const auto& [key, entry] : entries)
        WriteEntry(out, std::get<0>(key), std::get<1>(key), std::get<2>(key), entry.memoryFlags, entry.data);
    return std::move(out.Bytes());
}

std::string EmitResourceSource(const std::vector<uint8_t>& image, const std::string& scriptName) {
    std::string source = "// Compiled from " + scriptName + " by the resource compiler; do not edit.\n";
    // The image stays private to its module; the exported function hands it
    // out, so modules that each carry one never share a data symbol.
    source += "static const unsigned char kResourceImage[] = {";
    char number[8];
    for (size_t i = 0; i < image.size(); ++i) {
        if (i % 16 == 0) source += "\n   ";
        std::snprintf(number, sizeof number, " %u,", image[i]);
        source += number;
    }
    source += "\n};\n";
    source += "extern \"C\" __attribute__((visibility(\"default\"))) const unsigned char* BrontarResources("
              "unsigned long* size) {\n    *size = sizeof(kResourceImage);\n    return kResourceImage;\n}\n";
    return source;
}

}  // namespace brontar::rc
