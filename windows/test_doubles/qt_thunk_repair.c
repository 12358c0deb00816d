/* The QT_Thunk repair for Wine 8.0, in a test host's process only
 * (qt_thunk_repair.h). */
#include "qt_thunk_repair.h"

typedef BOOL(WINAPI* WowCallback16Ex)(DWORD target, DWORD flags, DWORD argumentBytes, PVOID arguments,
                                      LPDWORD answer);
typedef WORD(WINAPI* LoadLibrary16Entry)(LPCSTR name);
typedef DWORD(WINAPI* GetProcAddress16Entry)(WORD module, LPCSTR name);
typedef void(WINAPI* FreeLibrary16Entry)(WORD module);

/* The entries of qt_thunk_repair.S. */
void RepairedQtThunk(void);
DWORD CallQtThunkEntry(void* entry, DWORD target);

/* K32WOWCallback16Ex (or WOW32's WOWCallback16Ex), which RepairedQtThunk calls. */
WowCallback16Ex repairWowCallback16Ex = NULL;

/* The last module repaired, for the self-check. */
static HMODULE repairedModule = NULL;

static HMODULE Kernel32(void) { return GetModuleHandleA("KERNEL32.DLL"); }

/* A KERNEL32 entry by name or ordinal, for a cast to its own type. */
typedef void (*AnyEntry)(void);
static AnyEntry Kernel32Entry(LPCSTR name) { return (AnyEntry)GetProcAddress(Kernel32(), name); }

/* The module's import slot of KERNEL32 QT_Thunk from the index-th on (by
 * name, or by address where the module keeps no names), or NULL. */
static void** FindQtThunkSlot(HMODULE module, DWORD* index) {
    BYTE* base = (BYTE*)module;
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return NULL;
    const IMAGE_NT_HEADERS32* nt = (const IMAGE_NT_HEADERS32*)(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return NULL;
    const IMAGE_DATA_DIRECTORY* directory = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory->VirtualAddress == 0) return NULL;
    const FARPROC kernelQtThunk = GetProcAddress(Kernel32(), "QT_Thunk");
    DWORD found = 0;
    for (const IMAGE_IMPORT_DESCRIPTOR* import =
             (const IMAGE_IMPORT_DESCRIPTOR*)(base + directory->VirtualAddress);
         import->Name != 0; ++import) {
        if (lstrcmpiA((const char*)(base + import->Name), "KERNEL32.dll") != 0) continue;
        void** slots = (void**)(base + import->FirstThunk);
        const IMAGE_THUNK_DATA32* names =
            import->OriginalFirstThunk != 0 ? (const IMAGE_THUNK_DATA32*)(base + import->OriginalFirstThunk) : NULL;
        for (DWORD i = 0; slots[i] != NULL; ++i) {
            BOOL isQtThunk;
            if (names != NULL) {
                const DWORD entry = names[i].u1.AddressOfData;
                isQtThunk = !IMAGE_SNAP_BY_ORDINAL32(entry) &&
                            lstrcmpA((const char*)((const IMAGE_IMPORT_BY_NAME*)(base + entry))->Name,
                                     "QT_Thunk") == 0;
            } else {
                isQtThunk = slots[i] == (void*)kernelQtThunk || slots[i] == (void*)RepairedQtThunk;
            }
            if (isQtThunk && found++ == *index) {
                ++*index;
                return &slots[i];
            }
        }
    }
    return NULL;
}

BOOL RepairQtThunkImport(HMODULE module) {
    if (module == NULL) return FALSE;
    /* Wine's KERNEL32 exports K32WOWCallback16Ex by ordinal only; its
     * WOW32 exports the same entry by its documented name. */
    repairWowCallback16Ex = (WowCallback16Ex)Kernel32Entry("K32WOWCallback16Ex");
    if (repairWowCallback16Ex == NULL) {
        HMODULE wow32 = LoadLibraryA("WOW32.DLL");
        if (wow32 != NULL) repairWowCallback16Ex = (WowCallback16Ex)(AnyEntry)GetProcAddress(wow32, "WOWCallback16Ex");
    }
    if (repairWowCallback16Ex == NULL) return FALSE;
    DWORD index = 0;
    void** slot;
    BOOL repaired = FALSE;
    while ((slot = FindQtThunkSlot(module, &index)) != NULL) {
        DWORD protection;
        if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return FALSE;
        *slot = (void*)RepairedQtThunk;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
        repaired = TRUE;
    }
    if (repaired) repairedModule = module;
    return repaired;
}

BOOL QtThunkAnswersComeBack(void) {
    if (repairedModule == NULL) return FALSE;
    DWORD index = 0;
    void** slot = FindQtThunkSlot(repairedModule, &index);
    if (slot == NULL || *slot != (void*)RepairedQtThunk) return FALSE;
    LoadLibrary16Entry loadLibrary16 = (LoadLibrary16Entry)Kernel32Entry((LPCSTR)35);
    FreeLibrary16Entry freeLibrary16 = (FreeLibrary16Entry)Kernel32Entry((LPCSTR)36);
    GetProcAddress16Entry getProcAddress16 = (GetProcAddress16Entry)Kernel32Entry((LPCSTR)37);
    if (loadLibrary16 == NULL || freeLibrary16 == NULL || getProcAddress16 == NULL) return FALSE;
    const WORD kernel16 = loadLibrary16("KERNEL");
    if (kernel16 < 32) return FALSE;
    const DWORD getVersion16 = getProcAddress16(kernel16, "GETVERSION");
    const BOOL answered = getVersion16 != 0 && CallQtThunkEntry(*slot, getVersion16) != 0;
    freeLibrary16(kernel16);
    return answered;
}
