// The process entry of a Win32 program: builds WinMain's arguments and ends
// the process with its result.
#include <malloc.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/entry/command_line.h"

namespace {

// The module handle of the program itself: the base address a Windows 95
// program is loaded at.
HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x00400000)); }

// A program makes and frees its pictures in bursts (bitmaps, textures,
// surfaces of a few hundred kilobytes): the heap keeps what was freed for the
// next ones instead of giving it back to the system and taking fresh pages,
// each one a page fault, a moment later.
void KeepFreedMemoryForReuse() {
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
}

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    std::string commandLine = brontar::platform::TakeCommandLine(argc, argv);
    // WinMain may write into its command line, so it gets a writable copy.
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    int result = WinMain(ProgramInstance(), nullptr, writable.data(), SW_SHOWDEFAULT);
    // The exit status keeps the low byte, so -1 ends the process with 255.
    return result & 0xFF;
}
