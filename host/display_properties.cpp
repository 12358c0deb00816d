#include "host/display_properties.h"

#include <shlobj.h>

#include <cstring>

#include "machine/guid_text.h"
#include "machine/install_product.h"
#include "platform/automation.h"

namespace brontar::host {
namespace {

// The registry path of the handler list below HKEY_LOCAL_MACHINE.
std::string HandlersPath() {
    std::string path = machine::kDisplayHandlersKey;
    const std::string root = "HKEY_LOCAL_MACHINE\\";
    return path.substr(root.size());
}

// A text value of an open key (the default value for an empty name).
std::string ReadText(HKEY key, const char* name) {
    char buffer[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) != ERROR_SUCCESS)
        return {};
    buffer[std::min<DWORD>(size, MAX_PATH)] = '\0';
    return buffer;
}

std::string ServerOfClass(const std::string& classId) {
    HKEY key;
    const std::string path = "CLSID\\" + classId + "\\InprocServer32";
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) return {};
    std::string server = ReadText(key, "");
    RegCloseKey(key);
    return server;
}

// Pages the handlers offer, collected through the add-page callback.
BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM lParam) {
    auto* pages = reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam);
    if (pages->size() >= 16) return FALSE;  // a sheet holds a bounded number of pages
    pages->push_back(page);
    return TRUE;
}

using GetClassObjectEntry = HRESULT(WINAPI*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadEntry = HRESULT(WINAPI*)();

// Asks one handler library for its pages; the extension and class objects
// are released before the sheet is shown, as the control panel does.
void AddHandlerPages(HMODULE library, const GUID& classId, std::vector<HPROPSHEETPAGE>& pages, std::ostream& err,
                     const std::string& name) {
    auto getClassObject =
        reinterpret_cast<GetClassObjectEntry>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    if (getClassObject == nullptr) {
        err << "Display Properties: " << name << " has no DllGetClassObject\n";
        return;
    }
    IClassFactory* factory = nullptr;
    HRESULT result = getClassObject(classId, IID_IClassFactory, reinterpret_cast<LPVOID*>(&factory));
    if (FAILED(result) || factory == nullptr) {
        err << "Display Properties: the " << name << " page is unavailable (class not available)\n";
        return;
    }
    IShellExtInit* init = nullptr;
    result = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<LPVOID*>(&init));
    factory->Release();
    if (FAILED(result) || init == nullptr) {
        err << "Display Properties: " << name << " made no extension object\n";
        return;
    }
    init->Initialize(nullptr, nullptr, nullptr);
    IShellPropSheetExt* extension = nullptr;
    if (SUCCEEDED(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<LPVOID*>(&extension)))) {
        extension->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages));
        extension->Release();
    }
    init->Release();
}

// Frees a library that says it may go; false when it still holds objects.
bool FreeIfUnused(HMODULE library) {
    auto canUnload =
        reinterpret_cast<CanUnloadEntry>(reinterpret_cast<void*>(GetProcAddress(library, "DllCanUnloadNow")));
    if (canUnload != nullptr && canUnload() != S_OK) return false;
    FreeLibrary(library);
    return true;
}

}  // namespace

std::vector<SheetHandler> FindDisplayHandlers() {
    std::vector<SheetHandler> handlers;
    HKEY list;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, HandlersPath().c_str(), &list) != ERROR_SUCCESS) return handlers;
    char name[MAX_PATH + 1];
    for (DWORD index = 0; RegEnumKeyA(list, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
        SheetHandler handler;
        handler.name = name;
        HKEY entry;
        if (RegOpenKeyA(list, name, &entry) == ERROR_SUCCESS) {
            handler.classId = ReadText(entry, "");
            RegCloseKey(entry);
        }
        // A handler may also be listed by its class identifier alone.
        if (handler.classId.empty() && name[0] == '{') handler.classId = name;
        handler.serverPath = ServerOfClass(handler.classId);
        if (!handler.classId.empty() && !handler.serverPath.empty()) handlers.push_back(handler);
    }
    RegCloseKey(list);
    return handlers;
}

SheetOutcome ShowDisplayProperties(const platform::PropertySheetDriver& driver, std::ostream& err) {
    SheetOutcome outcome;
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length > 0 && length < sizeof windows) platform::SetProgramDosPath(std::string(windows) + "\\CONTROL.EXE");

    std::vector<HMODULE> libraries;
    std::vector<HPROPSHEETPAGE> pages;
    const std::vector<SheetHandler> handlers = FindDisplayHandlers();
    if (handlers.empty()) err << "Display Properties: no property-sheet handler is registered (run brontar setup)\n";
    for (const SheetHandler& handler : handlers) {
        const std::optional<machine::GuidBytes> classIdBytes = machine::ParseGuid(handler.classId);
        if (!classIdBytes) {
            err << "Display Properties: " << handler.name << " has a malformed class identifier\n";
            continue;
        }
        GUID classId;
        static_assert(sizeof classId == sizeof *classIdBytes);
        std::memcpy(&classId, classIdBytes->data(), sizeof classId);
        HMODULE library = LoadLibraryA(handler.serverPath.c_str());
        if (library == nullptr) {
            err << "Display Properties: cannot load " << handler.serverPath << " (error " << GetLastError() << ")\n";
            continue;
        }
        libraries.push_back(library);
        AddHandlerPages(library, classId, pages, err, handler.name);
    }
    outcome.pagesShown = static_cast<int>(pages.size());
    outcome.sheetResult = -1;
    if (!pages.empty()) {
        platform::SetPropertySheetDriver(driver);
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_DEFAULT;
        header.pszCaption = "Display Properties";
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        outcome.sheetResult = PropertySheetA(&header);
        platform::SetPropertySheetDriver(nullptr);
    }
    for (HMODULE library : libraries)
        if (!FreeIfUnused(library)) outcome.librariesFreed = false;
    return outcome;
}

bool ReportSheetOutcome(const SheetOutcome& outcome, const char* program, std::ostream& out, std::ostream& err) {
    if (outcome.pagesShown == 0) {
        err << program << ": no page to show\n";
        return false;
    }
    if (outcome.sheetResult == ID_PSREBOOTSYSTEM) out << "Display Properties: the system needs a restart\n";
    if (outcome.sheetResult < 0) {
        err << program << ": the property sheet could not be shown\n";
        return false;
    }
    return true;
}

}  // namespace brontar::host
