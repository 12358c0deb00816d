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
// Exit status 0, or 2 for a command line it does not take or a repair
// that fails.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "propsheet/thunk/qorhlp16_calls.h"
#include "qt_thunk_repair.h"

namespace {

int Usage() {
    std::fputs("usage: thunkcheck [--repair] {path [SIZE] | query | store FLAG | selfcheck}...\n", stderr);
    return 2;
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
    if (i < argc && std::strcmp(argv[i], "--repair") == 0) {
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
        } else if (std::strcmp(command, "selfcheck") == 0) {
            std::printf("QtThunkAnswersComeBack %d\n", QtThunkAnswersComeBack() ? 1 : 0);
        } else {
            return Usage();
        }
        std::fflush(stdout);
    }
    return 0;
}
