// LoadLibraryA and its companions: DOS library names found with the Windows
// search order inside the machine, loaded as host shared objects, entry run
// on attach and detach, reference counted.
#include <dlfcn.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "machine/dos_path.h"
#include "machine/plain_text.h"
#include "platform/automation.h"
#include "platform/kernel/event_log.h"
#include "platform/kernel/module_table.h"

namespace brontar::platform {
namespace {

// One loaded module. Its address is the module's HMODULE.
struct Module {
    void* handle = nullptr;       // from dlopen
    std::string hostPath;         // canonical host path, the identity of the module
    int references = 0;
    PDLL_ENTRY entry = nullptr;   // DllMain, when the module exports one
    std::vector<ResourceEntry> resources;
};

struct ModuleTable {
    std::recursive_mutex lock;  // entries may load libraries from their entry
    std::vector<std::unique_ptr<Module>> modules;
    std::unique_ptr<Module> program;
    std::string programDosPath;
};

ModuleTable& Table() {
    static ModuleTable table;
    return table;
}

Module* FindModule(HMODULE handle) {
    ModuleTable& table = Table();
    for (auto& module : table.modules)
        if (reinterpret_cast<HMODULE>(module.get()) == handle) return module.get();
    return nullptr;
}

// The address of an exported symbol, only when the module itself defines
// it (dlsym also searches a module's dependencies).
void* OwnSymbol(void* handle, const std::string& hostPath, const char* name) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) return nullptr;
    Dl_info info{};
    if (dladdr(symbol, &info) == 0 || info.dli_fname == nullptr) return nullptr;
    std::error_code ec;
    if (!hostPath.empty() && !std::filesystem::equivalent(info.dli_fname, hostPath, ec)) return nullptr;
    return symbol;
}

// The compiled resources a module carries, handed out by its exported
// BrontarResources function.
std::vector<ResourceEntry> ReadModuleResources(void* handle, const std::string& hostPath) {
    using ResourcesEntry = const unsigned char* (*)(unsigned long* size);
    auto resources = reinterpret_cast<ResourcesEntry>(OwnSymbol(handle, hostPath, "BrontarResources"));
    if (resources == nullptr) return {};
    unsigned long size = 0;
    const unsigned char* image = resources(&size);
    if (image == nullptr) return {};
    return ParseResourceImage(image, size);
}

std::string DirectoryOf(const std::string& dosPath) {
    size_t cut = dosPath.find_last_of('\\');
    if (cut == std::string::npos) return {};
    return dosPath.substr(0, cut == 2 ? 3 : cut);
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return "C:\\WINDOWS";
    return buffer;
}

// The directories searched for a bare library name, in Windows order.
std::vector<std::string> SearchDirectories() {
    ModuleTable& table = Table();
    const std::string windows = WindowsDirectory();
    const std::string program =
        table.programDosPath.empty() ? windows : DirectoryOf(table.programDosPath);
    std::vector<std::string> directories = {program, program /* current directory */, windows + "\\SYSTEM", windows};
    if (const char* path = std::getenv("PATH")) {
        // Only DOS entries (C:\TOOLS) name places in the machine; a host PATH
        // is not the simulated PC's.
        std::string entries = path;
        size_t start = 0;
        while (start <= entries.size()) {
            size_t end = entries.find(';', start);
            if (end == std::string::npos) end = entries.size();
            std::string entry = entries.substr(start, end - start);
            if (machine::IsDosPath(entry)) directories.push_back(entry);
            start = end + 1;
        }
    }
    return directories;
}

bool IsRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

void SetProgramDosPath(std::string_view dosPath) {
    std::lock_guard guard(Table().lock);
    Table().programDosPath = dosPath;
}

std::string ResolveLibraryPath(std::string_view name) {
    std::string fileName(name);
    if (fileName.empty()) return {};
    // A host path is accepted as it is, so tools and tests can load a build output.
    if (fileName.front() == '/') return IsRegularFile(fileName) ? fileName : std::string();
    const size_t lastSeparator = fileName.find_last_of("\\:");
    const std::string base = lastSeparator == std::string::npos ? fileName : fileName.substr(lastSeparator + 1);
    if (base.find('.') == std::string::npos) fileName += ".DLL";
    try {
        if (machine::IsDosPath(fileName)) {
            auto mapped = machine::MapDosPath(fileName);
            return mapped && IsRegularFile(*mapped) ? mapped->string() : std::string();
        }
        for (const std::string& directory : SearchDirectories()) {
            auto mapped = machine::MapDosPath(directory + "\\" + fileName);
            if (mapped && IsRegularFile(*mapped)) return mapped->string();
        }
    } catch (const std::exception& error) {
        WriteDiagnostic(std::string("LoadLibraryA: ") + error.what());
    }
    return {};
}

const std::vector<ResourceEntry>* ModuleResources(HMODULE handle) {
    ModuleTable& table = Table();
    std::lock_guard guard(table.lock);
    if (handle == nullptr || reinterpret_cast<Module*>(handle) == table.program.get()) {
        if (!table.program) {
            table.program = std::make_unique<Module>();
            table.program->handle = dlopen(nullptr, RTLD_NOW);
            table.program->resources = ReadModuleResources(table.program->handle, {});
        }
        return &table.program->resources;
    }
    Module* module = FindModule(handle);
    return module ? &module->resources : nullptr;
}

}  // namespace brontar::platform

using brontar::platform::Module;
using brontar::platform::Table;

extern "C" HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string found = brontar::platform::ResolveLibraryPath(lpLibFileName);
    if (found.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::error_code ec;
    const std::string hostPath = std::filesystem::canonical(found, ec).string();
    auto& table = Table();
    std::unique_lock guard(table.lock);
    for (auto& module : table.modules) {
        if (module->hostPath == hostPath) {
            ++module->references;
            return reinterpret_cast<HMODULE>(module.get());
        }
    }
    void* handle = dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        brontar::platform::WriteDiagnostic(std::string("LoadLibraryA: ") + dlerror());
        SetLastError(ERROR_BAD_FORMAT);
        return nullptr;
    }
    auto module = std::make_unique<Module>();
    module->handle = handle;
    module->hostPath = hostPath;
    module->references = 1;
    module->entry = reinterpret_cast<PDLL_ENTRY>(brontar::platform::OwnSymbol(handle, hostPath, "DllMain"));
    module->resources = brontar::platform::ReadModuleResources(handle, hostPath);
    Module* loaded = module.get();
    table.modules.push_back(std::move(module));
    auto instance = reinterpret_cast<HINSTANCE>(loaded);
    if (loaded->entry != nullptr && !loaded->entry(instance, DLL_PROCESS_ATTACH, nullptr)) {
        // A refused attach is followed by a detach, then the module goes away.
        loaded->entry(instance, DLL_PROCESS_DETACH, nullptr);
        for (auto it = table.modules.begin(); it != table.modules.end(); ++it) {
            if (it->get() == loaded) {
                table.modules.erase(it);
                break;
            }
        }
        dlclose(handle);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return instance;
}

extern "C" BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    auto& table = Table();
    std::unique_lock guard(table.lock);
    Module* module = brontar::platform::FindModule(hLibModule);
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--module->references > 0) return TRUE;
    if (module->entry != nullptr) module->entry(hLibModule, DLL_PROCESS_DETACH, nullptr);
    void* handle = module->handle;
    for (auto it = table.modules.begin(); it != table.modules.end(); ++it) {
        if (it->get() == module) {
            table.modules.erase(it);
            break;
        }
    }
    dlclose(handle);
    return TRUE;
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    auto& table = Table();
    std::unique_lock guard(table.lock);
    Module* module = brontar::platform::FindModule(hModule);
    if (module == nullptr || lpProcName == nullptr) {
        SetLastError(module == nullptr ? ERROR_INVALID_HANDLE : ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (IS_INTRESOURCE(lpProcName)) {
        brontar::platform::WriteDiagnostic("GetProcAddress: lookup by ordinal is not supported");
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = brontar::platform::OwnSymbol(module->handle, module->hostPath, lpProcName);
    if (symbol == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(symbol);
}

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    auto& table = Table();
    std::unique_lock guard(table.lock);
    if (lpModuleName == nullptr) {
        brontar::platform::ModuleResources(nullptr);  // creates the program's record
        return reinterpret_cast<HMODULE>(table.program.get());
    }
    std::string wanted = brontar::machine::AsciiLower(lpModuleName);
    size_t cut = wanted.find_last_of("\\/:");
    if (cut != std::string::npos) wanted = wanted.substr(cut + 1);
    if (wanted.find('.') == std::string::npos) wanted += ".dll";
    for (auto& module : table.modules)
        if (brontar::machine::AsciiLower(std::filesystem::path(module->hostPath).filename().string()) == wanted)
            return reinterpret_cast<HMODULE>(module.get());
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
