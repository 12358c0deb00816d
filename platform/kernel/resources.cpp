// Resources of loaded modules: the .res image each module carries, lookup by
// type, id and the user's language, and LoadStringA.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/kernel/event_log.h"
#include "platform/kernel/module_table.h"
#include "platform/kernel/text_encoding.h"

namespace brontar::platform {
namespace {

constexpr uint16_t kEnglishUs = 0x0409;
constexpr uint16_t kJapanese = 0x0411;

uint16_t ReadWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadDword(const uint8_t* p) { return ReadWord(p) | (static_cast<uint32_t>(ReadWord(p + 2)) << 16); }

// String id of a string-table block: (block - 1) * 16 + slot. Returns the
// slot's UTF-16 text as UTF-8, or false when the slot is empty or the block
// is malformed.
bool StringFromBlock(const ResourceEntry& block, UINT id, std::string& text) {
    const uint8_t* p = block.data;
    const uint8_t* end = block.data + block.size;
    for (UINT slot = 0; slot < 16; ++slot) {
        if (end - p < 2) return false;
        const uint16_t length = ReadWord(p);
        p += 2;
        if (static_cast<size_t>(end - p) < length * 2u) return false;
        if (slot == id % 16) {
            if (length == 0) return false;
            std::u16string units(length, u'\0');
            for (uint16_t i = 0; i < length; ++i) units[i] = static_cast<char16_t>(ReadWord(p + i * 2));
            text = Utf16ToUtf8(units);
            return true;
        }
        p += length * 2;
    }
    return false;
}

// The longest prefix of text that fits limit bytes without cutting a UTF-8
// sequence in two.
size_t FittingPrefix(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text.size();
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

const char* FirstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return nullptr;
}

}  // namespace

std::vector<ResourceEntry> ParseResourceImage(const uint8_t* image, size_t size) {
    std::vector<ResourceEntry> entries;
    size_t offset = 0;
    while (offset + 32 <= size) {
        const uint8_t* header = image + offset;
        const uint32_t dataSize = ReadDword(header);
        const uint32_t headerSize = ReadDword(header + 4);
        if (headerSize < 32 || headerSize > size - offset || dataSize > size - offset - headerSize) {
            WriteDiagnostic("resources: malformed resource image at offset " + std::to_string(offset));
            break;
        }
        if (ReadWord(header + 8) == 0xFFFF && ReadWord(header + 12) == 0xFFFF) {
            ResourceEntry entry;
            entry.type = ReadWord(header + 10);
            entry.name = ReadWord(header + 14);
            entry.language = ReadWord(header + 22);
            entry.data = header + headerSize;
            entry.size = dataSize;
            if (entry.type != 0) entries.push_back(entry);
        } else {
            WriteDiagnostic("resources: resources named by text are not supported");
        }
        offset += headerSize + dataSize;
        offset = (offset + 3) & ~size_t{3};
    }
    return entries;
}

uint16_t UserLanguage() {
    const char* locale = FirstSet({"LC_ALL", "LC_MESSAGES", "LANG"});
    return locale != nullptr && std::strncmp(locale, "ja", 2) == 0 ? kJapanese : kEnglishUs;
}

const ResourceEntry* FindResourceEntry(const std::vector<ResourceEntry>& entries, uint16_t type, uint16_t name,
                                       uint16_t language) {
    const ResourceEntry* best = nullptr;
    int bestRank = 99;
    for (const ResourceEntry& entry : entries) {
        if (entry.type != type || entry.name != name) continue;
        int rank = 4;
        if (entry.language == language)
            rank = 0;
        else if ((entry.language & 0x3FF) == (language & 0x3FF))
            rank = 1;
        else if (entry.language == 0)
            rank = 2;
        else if (entry.language == kEnglishUs)
            rank = 3;
        if (rank < bestRank) {
            best = &entry;
            bestRank = rank;
        }
    }
    return best;
}

}  // namespace brontar::platform

using brontar::platform::ResourceEntry;

extern "C" HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    const auto* resources = brontar::platform::ModuleResources(hModule);
    if (resources == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!IS_INTRESOURCE(lpName) || !IS_INTRESOURCE(lpType)) {
        brontar::platform::WriteDiagnostic("FindResourceA: resources named by text are not supported");
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const ResourceEntry* entry = brontar::platform::FindResourceEntry(
        *resources, static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(lpType)),
        static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(lpName)), brontar::platform::UserLanguage());
    if (entry == nullptr) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return const_cast<ResourceEntry*>(entry);
}

extern "C" HGLOBAL WINAPI LoadResource(HMODULE /*hModule*/, HRSRC hResInfo) {
    if (hResInfo == nullptr) return nullptr;
    return const_cast<uint8_t*>(static_cast<const ResourceEntry*>(hResInfo)->data);
}

extern "C" LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

extern "C" DWORD WINAPI SizeofResource(HMODULE /*hModule*/, HRSRC hResInfo) {
    return hResInfo == nullptr ? 0 : static_cast<const ResourceEntry*>(hResInfo)->size;
}

extern "C" int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) return 0;
    lpBuffer[0] = '\0';
    const auto* resources = brontar::platform::ModuleResources(hInstance);
    if (resources == nullptr || uID > 0xFFFF) return 0;
    const ResourceEntry* block = brontar::platform::FindResourceEntry(
        *resources, 6, static_cast<uint16_t>(uID / 16 + 1), brontar::platform::UserLanguage());
    std::string text;
    if (block == nullptr || !brontar::platform::StringFromBlock(*block, uID, text)) return 0;
    const size_t length = brontar::platform::FittingPrefix(text, static_cast<size_t>(cchBufferMax) - 1);
    std::memcpy(lpBuffer, text.data(), length);
    lpBuffer[length] = '\0';
    return static_cast<int>(length);
}
