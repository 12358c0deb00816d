// Encodes a parsed resource script as a 32-bit Windows .res image: one entry
// per string block, dialog and version, dialogs in the DLGTEMPLATE layout,
// versions in the VS_VERSIONINFO layout, entries by type, name and language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/rc/resource_script.h"

namespace brontar::rc {

// The .res image of the script. Throws ScriptError when a string does not
// fit its 16-bit length or a resource is declared twice for one language.
std::vector<uint8_t> EncodeResources(const ResourceScript& script);

// C++ source that carries the image privately and exports the function
// `const unsigned char* BrontarResources(unsigned long* size)` that hands it out.
std::string EmitResourceSource(const std::vector<uint8_t>& image, const std::string& scriptName);

// UTF-16 code units of UTF-8 text. Throws ScriptError on malformed UTF-8.
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace brontar::rc
