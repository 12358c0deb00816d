// Rebinding one import of a loaded module: the entry of its import address
// table that the loader filled for a function of another library is pointed
// elsewhere, for this process only.
#pragma once

#include <windows.h>

namespace brontar::windows {

// Points module's import of library!function (names compared without regard
// to case; imports by name only) at replacement. Returns the address it held
// before, or null when the module has no such import or the table cannot be
// written.
void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement);

}  // namespace brontar::windows
