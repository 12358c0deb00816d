/* Import slots of a loaded module (import_slots.h). */
#include "windows/import_slots.h"

/* The module's table of import descriptors, or NULL when it has none or is
 * no PE image. */
static const IMAGE_IMPORT_DESCRIPTOR* ImportDescriptors(const BYTE* base) {
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return NULL;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return NULL;
    const IMAGE_DATA_DIRECTORY* directory = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory->VirtualAddress == 0) return NULL;
    return (const IMAGE_IMPORT_DESCRIPTOR*)(base + directory->VirtualAddress);
}

void** FindImportSlot(HMODULE module, const char* library, const char* function, const void* replaced, DWORD index) {
    if (module == NULL) return NULL;
    const BYTE* base = (const BYTE*)module;
    const IMAGE_IMPORT_DESCRIPTOR* import = ImportDescriptors(base);
    if (import == NULL) return NULL;
    const HMODULE exporter = GetModuleHandleA(library);
    const void* entry = exporter != NULL ? (const void*)GetProcAddress(exporter, function) : NULL;
    DWORD found = 0;
    for (; import->Name != 0; ++import) {
        if (lstrcmpiA((const char*)(base + import->Name), library) != 0) continue;
        /* The loader's addresses are in the address table; the names, where
         * the module keeps them, in the lookup table beside it. */
        void** slots = (void**)(base + import->FirstThunk);
        const IMAGE_THUNK_DATA* names =
            import->OriginalFirstThunk != 0 ? (const IMAGE_THUNK_DATA*)(base + import->OriginalFirstThunk) : NULL;
        for (DWORD i = 0; slots[i] != NULL; ++i) {
            BOOL matches;
            if (names != NULL) {
                const ULONG_PTR name = names[i].u1.AddressOfData;
                matches = !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal) &&
                          lstrcmpA((const char*)((const IMAGE_IMPORT_BY_NAME*)(base + name))->Name, function) == 0;
            } else {
                matches = (entry != NULL && slots[i] == entry) || (replaced != NULL && slots[i] == replaced);
            }
            if (matches && found++ == index) return &slots[i];
        }
    }
    return NULL;
}

void* WriteImportSlot(void** slot, void* replacement) {
    DWORD protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return NULL;
    void* previous = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return previous;
}

void* ReplaceImport(HMODULE module, const char* library, const char* function, void* replacement) {
    void** slot = FindImportSlot(module, library, function, replacement, 0);
    return slot != NULL ? WriteImportSlot(slot, replacement) : NULL;
}
