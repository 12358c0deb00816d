// thunkcheck.exe: runs the page's calls into qorhlp16.dll (the system code
// of propsheet/thunk through the flat-thunk shim) in a Win32 console
// process and prints their answers, one line per call, for
// scripts/test-windows-thunk.sh. A test fixture, not a product file.
//
//   thunkcheck [--repair] COMMAND...
//     --repair        first point this program's QT_Thunk import at the
//                     repair (qt_thunk_repair.h) and say so
//     path [SIZE]     GetMonitorPath into a SIZE-byte buffer (default 256)
//     query           QueryInstalledFlag
//     store FLAG      StoreInstalledFlag(FLAG)
//     selfcheck       QtThunkAnswersComeBack
//     classobject DLL load the page's DLL (its QT_Thunk import repaired too
//                     with --repair) and ask it for the page's class
//                     object: the answer of DllGetClassObject
// Exit status 0, or 2 for a command line it does not take, a repair that
// fails or a DLL that does not load.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "propsheet/thunk/qorhlp16_calls.h"
#include "qt_thunk_repair.h"

namespace {

int Usage() {
    std::fputs("usage: thunkcheck [--repair] {path [SIZE] | query | store FLAG | selfcheck | classobject DLL}...\n",
               stderr);
    return 2;
}

// The page's class and the class object's interface.
constexpr GUID kPageClass = {0xE41263E9, 0x6834, 0x4721, {0xA6, 0xA6, 0xCF, 0x96, 0x3B, 0x56, 0x58, 0xBB}};
constexpr GUID kClassFactoryInterface = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// DllGetClassObject's answer for the page's class, or -1 when the DLL (or
// its repair) fails; the class object is given back at once.
long AskForClassObject(const char* path, bool repair) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        std::printf("LoadLibrary %s failed: %lu\n", path, GetLastError());
        return -1;
    }
    if (repair) {
        const BOOL repaired = RepairQtThunkImport(module);
        std::printf("RepairQtThunkImport %d\n", repaired ? 1 : 0);
        if (!repaired) return -1;
    }
    typedef HRESULT(WINAPI * GetClassObject)(REFCLSID, REFIID, LPVOID*);
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (getClassObject == nullptr) return -1;
    IUnknown* factory = nullptr;
    const HRESULT result = getClassObject(kPageClass, kClassFactoryInterface, reinterpret_cast<LPVOID*>(&factory));
    if (factory != nullptr) factory->Release();
    return result;
}

// A decimal number from 0 to limit, or -1.
long ParseNumber(const char* text, long limit) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > limit) return -1;
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    int i = 1;
    const bool repair = i < argc && std::strcmp(argv[i], "--repair") == 0;
    if (repair) {
        const BOOL repaired = RepairQtThunkImport(GetModuleHandleA(nullptr));
        std::printf("RepairQtThunkImport %d\n", repaired ? 1 : 0);
        if (!repaired) return 2;
        ++i;
    }
    if (i == argc) return Usage();
    for (; i < argc; ++i) {
        const char* command = argv[i];
        if (std::strcmp(command, "path") == 0) {
            long size = 256;
            if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9') {
                size = ParseNumber(argv[++i], 0xFFFF);
                if (size < 1) return Usage();
            }
            std::vector<char> buffer(static_cast<size_t>(size), '\0');
            const WORD answer = GetMonitorPath(buffer.data(), static_cast<WORD>(size));
            buffer.back() = '\0';
            std::printf("GetMonitorPath %u \"%s\"\n", answer, buffer.data());
        } else if (std::strcmp(command, "query") == 0) {
            std::printf("QueryInstalledFlag %d\n", QueryInstalledFlag());
        } else if (std::strcmp(command, "store") == 0 && i + 1 < argc) {
            const long flag = ParseNumber(argv[++i], 1);
            if (flag < 0) return Usage();
            StoreInstalledFlag(static_cast<int>(flag));
            std::printf("StoreInstalledFlag %ld\n", flag);
        } else if (std::strcmp(command, "classobject") == 0 && i + 1 < argc) {
            const long answer = AskForClassObject(argv[++i], repair);
            if (answer == -1) return 2;
            std::printf("DllGetClassObject 0x%08lX\n", static_cast<unsigned long>(answer));
        } else if (std::strcmp(command, "selfcheck") == 0) {
            std::printf("QtThunkAnswersComeBack %d\n", QtThunkAnswersComeBack() ? 1 : 0);
        } else {
            return Usage();
        }
        std::fflush(stdout);
    }
    return 0;
}
