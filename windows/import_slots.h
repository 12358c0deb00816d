// The import address table of a loaded module: the slots the loader filled
// with the addresses of other libraries' functions, found and pointed
// elsewhere, for this process only. The one walker of import tables for the
// Windows test tools (PANELHST.EXE watching drawn texts, the QT_Thunk repair).
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// The index-th slot (from 0) of module's imports of library!function
// (library names compared without regard to case), or NULL. A slot is known
// by the function's name where the module keeps the names of its imports;
// where it keeps none, by what it holds: the library's own entry, or
// replaced, what an earlier replacement wrote there (NULL for none).
void** FindImportSlot(HMODULE module, const char* library, const char* function, const void* replaced, DWORD index);

// Writes replacement into slot, opening its page for writing meanwhile.
// Returns the address the slot held, or NULL when the page cannot be written.
void* WriteImportSlot(void** slot, void* replacement);

// Points module's first import of library!function at replacement. Returns
// the address it held before, or NULL when the module has no such import or
// the table cannot be written.
void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement);

#ifdef __cplusplus
}
#endif
