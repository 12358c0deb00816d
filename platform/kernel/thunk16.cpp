// The flat thunk: 16-bit libraries are the machine's replacements, found by
// the file installed in the Windows system directory or the Windows
// directory; 16:16 pointers are a table of mapped 32-bit buffers.
#include <sys/stat.h>
#include <thunk16.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "machine/dos_path.h"
#include "machine/module16.h"
#include "machine/plain_text.h"
#include "platform/kernel/event_log.h"

namespace {

using brontar::machine::Module16;
using brontar::platform::WriteDiagnostic;

// Win16 LoadLibrary error codes.
constexpr HINSTANCE16 kFileNotFound = 2;
constexpr HINSTANCE16 kInvalidExecutable = 11;

// A 16:16 pointer covers one 64 KB segment.
constexpr size_t kSegmentSize = 0x10000;

struct LoadedModule {
    const Module16* module;
    int references;
};

struct ThunkState {
    std::mutex mutex;
    std::map<HINSTANCE16, LoadedModule> modules;
    HINSTANCE16 nextModule = 0x1007;  // module handles are selectors: low bits 7
    std::map<WORD, char*> selectors;  // mapped buffers by selector
    WORD nextSelector = 0x2007;
};

ThunkState& State() {
    static ThunkState state;
    return state;
}

bool IsFile(const std::string& dosPath) {
    try {
        const auto host = brontar::machine::MapDosPath(dosPath);
        struct stat info {};
        return host && ::stat(host->c_str(), &info) == 0 && S_ISREG(info.st_mode);
    } catch (const std::exception& error) {
        WriteDiagnostic(std::string("LoadLibrary16: ") + error.what());
        return false;
    }
}

// The installed library file: a full path as given, a bare name in the
// system directory, then in the Windows directory.
bool FindLibraryFile(const std::string& name) {
    if (brontar::machine::IsDosPath(name)) return IsFile(name);
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows) return false;
    const std::string directory(windows, length);
    return IsFile(directory + "\\SYSTEM\\" + name) || IsFile(directory + "\\" + name);
}

std::string BaseName(const std::string& path) {
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// Host memory behind a mapped 16:16 pointer with room for count bytes.
void* ResolveLocked(ThunkState& state, uint32_t segptr, size_t count) {
    auto found = state.selectors.find(static_cast<WORD>(segptr >> 16));
    const size_t offset = segptr & 0xFFFF;
    if (found == state.selectors.end() || offset + count > kSegmentSize) return nullptr;
    return found->second + offset;
}

}  // namespace

extern "C" HINSTANCE16 WINAPI LoadLibrary16(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr) return kFileNotFound;
    const std::string name = lpLibFileName;
    if (!FindLibraryFile(name)) return kFileNotFound;
    const Module16* module = brontar::machine::FindModule16(BaseName(name));
    if (module == nullptr) {
        WriteDiagnostic("LoadLibrary16: the machine has no 16-bit library " + name);
        return kInvalidExecutable;
    }
    ThunkState& state = State();
    std::lock_guard lock(state.mutex);
    for (auto& [handle, loaded] : state.modules) {
        if (loaded.module == module) {
            ++loaded.references;
            return handle;
        }
    }
    const HINSTANCE16 handle = state.nextModule;
    state.nextModule = static_cast<HINSTANCE16>(state.nextModule + 8);
    state.modules[handle] = {module, 1};
    return handle;
}

extern "C" void WINAPI FreeLibrary16(HINSTANCE16 hLibModule) {
    ThunkState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.modules.find(hLibModule);
    if (found != state.modules.end() && --found->second.references == 0) state.modules.erase(found);
}

extern "C" FARPROC16 WINAPI GetProcAddress16(HINSTANCE16 hModule, LPCSTR lpProcName) {
    if (lpProcName == nullptr) return 0;
    ThunkState& state = State();
    std::lock_guard lock(state.mutex);
    auto found = state.modules.find(hModule);
    if (found == state.modules.end()) return 0;
    const auto exports = found->second.module->exports;
    for (size_t i = 0; i < exports.size(); ++i) {
        // Win16 export names are matched without regard to case.
        if (brontar::machine::EqualsIgnoreCase(exports[i].name, lpProcName))
            return (static_cast<FARPROC16>(hModule) << 16) | static_cast<FARPROC16>(i + 1);
    }
    return 0;
}

extern "C" SEGPTR WINAPI SMapLS_IP_EBP_8(LPVOID lpBuffer) {
    if (lpBuffer == nullptr) return 0;
    ThunkState& state = State();
    std::lock_guard lock(state.mutex);
    WORD selector = state.nextSelector;
    while (state.selectors.contains(selector)) selector = static_cast<WORD>(selector + 8);
    state.nextSelector = static_cast<WORD>(selector + 8);
    state.selectors[selector] = static_cast<char*>(lpBuffer);
    return static_cast<SEGPTR>(selector) << 16;
}

extern "C" void WINAPI SUnMapLS_IP_EBP_8(SEGPTR segptr) {
    ThunkState& state = State();
    std::lock_guard lock(state.mutex);
    state.selectors.erase(static_cast<WORD>(segptr >> 16));
}

extern "C" DWORD WINAPI QT_Thunk(FARPROC16 lpfnTarget, const WORD* lpArgs, DWORD cbArgs) {
    ThunkState& state = State();
    const brontar::machine::Export16* target = nullptr;
    {
        std::lock_guard lock(state.mutex);
        auto found = state.modules.find(static_cast<HINSTANCE16>(lpfnTarget >> 16));
        const size_t index = lpfnTarget & 0xFFFF;
        if (found != state.modules.end() && index >= 1 && index <= found->second.module->exports.size())
            target = &found->second.module->exports[index - 1];
    }
    if (target == nullptr) {
        WriteDiagnostic("QT_Thunk: the target is not a procedure of a loaded 16-bit library");
        return 0;
    }
    if (cbArgs != target->argumentWords * 2 || (cbArgs > 0 && lpArgs == nullptr)) {
        WriteDiagnostic("QT_Thunk: " + std::string(target->name) + " takes " +
                        std::to_string(target->argumentWords * 2) + " bytes of arguments, given " +
                        std::to_string(cbArgs));
        return 0;
    }
    const brontar::machine::FarPointerResolver resolve = [&state](uint32_t segptr, size_t count) {
        std::lock_guard lock(state.mutex);
        return ResolveLocked(state, segptr, count);
    };
    try {
        return target->call(std::span<const uint16_t>(lpArgs, cbArgs / 2), resolve);
    } catch (const std::exception& error) {
        WriteDiagnostic("QT_Thunk: " + std::string(target->name) + ": " + error.what());
        return 0;
    }
}
