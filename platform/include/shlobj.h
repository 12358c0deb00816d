// Shell extensions: the interfaces a property-sheet handler implements.
#pragma once

#include "prsht.h"
#include "unknwn.h"
#include "winreg.h"

DEFINE_GUID(IID_IShellExtInit, 0x000214E8, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IShellPropSheetExt, 0x000214E9, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// A shell item path; the handlers here never look inside.
typedef struct _ITEMIDLIST {
    WORD cb;
    BYTE abID[1];
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

struct IDataObject;
typedef IDataObject* LPDATAOBJECT;

struct IShellExtInit : public IUnknown {
    STDMETHOD(Initialize)(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) PURE;

protected:
    ~IShellExtInit() = default;
};
typedef IShellExtInit* LPSHELLEXTINIT;

struct IShellPropSheetExt : public IUnknown {
    STDMETHOD(AddPages)(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) PURE;
    STDMETHOD(ReplacePage)(UINT uPageID, LPFNADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam) PURE;

protected:
    ~IShellPropSheetExt() = default;
};
typedef IShellPropSheetExt* LPSHELLPROPSHEETEXT;
