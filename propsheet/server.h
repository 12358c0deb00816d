// BRNTRSET as an in-process server: the module-wide state shared by the
// library entry, the class object, the extension object and the page.
#pragma once

#include <windows.h>
#include <shlobj.h>

// The page's dialog template and title, the library's own strings.
#include "resources/page_ids.h"

// The class the Display control panel asks for.
DEFINE_GUID(CLSID_BrontarSettingsPage, 0xE41263E9, 0x6834, 0x4721, 0xA6, 0xA6, 0xCF, 0x96, 0x3B, 0x56, 0x58, 0xBB);

#define RESOURCE_MODULE_NAME "_brntrst.loc"
#define DEFAULT_PAGE_TITLE "Brontar 3D - Settings .."
#define PAGE_TITLE_SIZE 256

// This library's module instance, stored at process attach.
extern HINSTANCE moduleInstance;
// The resource module _brntrst.loc: the page's dialog and strings.
extern HINSTANCE resourceModule;
// Live class objects, extension objects and pages; the page's count is kept
// by the property sheet through pcRefParent.
extern LONG serverObjectCount;

// The class object: makes extension objects.
class ClassFactory final : public IClassFactory {
public:
    ClassFactory();
    ~ClassFactory();

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(CreateInstance)(IUnknown* pUnkOuter, REFIID riid, LPVOID* ppvObject) override;
    STDMETHOD(LockServer)(BOOL fLock) override;

private:
    ULONG refCount;
};

// The extension object: one count shared by its two faces, the property
// sheet extension (primary) and the initialisation interface.
class PropSheetExtension final : public IShellPropSheetExt, public IShellExtInit {
public:
    PropSheetExtension();
    ~PropSheetExtension();

    STDMETHOD(QueryInterface)(REFIID riid, LPVOID* ppvObj) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(AddPages)(LPFNADDPROPSHEETPAGE lpfnAddPage, LPARAM lParam) override;
    STDMETHOD(ReplacePage)(UINT uPageID, LPFNADDPROPSHEETPAGE lpfnReplaceWith, LPARAM lParam) override;
    STDMETHOD(Initialize)(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;

private:
    ULONG refCount;
};

extern "C" {
BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);
HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
HRESULT WINAPI DllCanUnloadNow(void);
}
