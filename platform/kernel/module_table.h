// The platform's table of loaded modules: libraries loaded with LoadLibraryA
// and the program itself, each with the resources it carries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brontar::platform {

// One resource of a module's compiled .res image (ordinal type and name).
struct ResourceEntry {
    uint16_t type = 0;
    uint16_t name = 0;
    uint16_t language = 0;
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

// The entries of a .res image; malformed images yield the entries before
// the first fault (and a diagnostic).
std::vector<ResourceEntry> ParseResourceImage(const uint8_t* image, size_t size);

// The user's language from the locale variables: Japanese (0x0411) when
// LC_ALL, LC_MESSAGES or LANG (the first one set) starts with "ja", else
// English (United States, 0x0409).
uint16_t UserLanguage();

// The best entry for the language: exact, same primary language, neutral,
// English (United States), then any. Nothing when no entry has type and name.
const ResourceEntry* FindResourceEntry(const std::vector<ResourceEntry>& entries, uint16_t type, uint16_t name,
                                       uint16_t language);

// The resources of a loaded module (or of the program for NULL); nothing for
// an unknown handle.
const std::vector<ResourceEntry>* ModuleResources(HMODULE module);

// Host file a library name resolves to with the search order, or empty.
std::string ResolveLibraryPath(std::string_view name);

}  // namespace brontar::platform
