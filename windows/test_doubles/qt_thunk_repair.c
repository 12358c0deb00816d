/* The QT_Thunk repair for Wine 8.0, in a test host's process only
 * (qt_thunk_repair.h). */
#include "qt_thunk_repair.h"

#include "windows/import_slots.h"

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

/* The module's index-th import slot of KERNEL32 QT_Thunk, repaired or not,
 * or NULL. */
static void** QtThunkSlot(HMODULE module, DWORD index) {
    return FindImportSlot(module, "KERNEL32.dll", "QT_Thunk", (const void*)RepairedQtThunk, index);
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
    void** slot;
    BOOL repaired = FALSE;
    for (DWORD index = 0; (slot = QtThunkSlot(module, index)) != NULL; ++index) {
        if (WriteImportSlot(slot, (void*)RepairedQtThunk) == NULL) return FALSE;
        repaired = TRUE;
    }
    if (repaired) repairedModule = module;
    return repaired;
}

BOOL QtThunkAnswersComeBack(void) {
    if (repairedModule == NULL) return FALSE;
    void** slot = QtThunkSlot(repairedModule, 0);
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
