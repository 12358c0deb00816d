// The property-sheet extension object: creates the settings page and hands
// it to the Display control panel.
#include <string.h>

#include <new>

#include "propsheet/page.h"
#include "propsheet/server.h"

// The tab title, kept from AddPages until the host has read it.
static char pageTitle[PAGE_TITLE_SIZE];

PropSheetExtension::PropSheetExtension() : refCount(1)
{
    serverObjectCount++;
}

PropSheetExtension::~PropSheetExtension()
{
    serverObjectCount--;
}

STDMETHODIMP PropSheetExtension::QueryInterface(REFIID riid, LPVOID* ppvObj)
{
    if (ppvObj == NULL)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellPropSheetExt)) {
        *ppvObj = static_cast<IShellPropSheetExt*>(this);
    } else if (IsEqualIID(riid, IID_IShellExtInit)) {
        *ppvObj = static_cast<IShellExtInit*>(this);
    } else {
        *ppvObj = NULL;
        return E_NOINTERFACE;
    }
    refCount++;
    return S_OK;
}

STDMETHODIMP_(ULONG) PropSheetExtension::AddRef()
{
    return ++refCount;
}

STDMETHODIMP_(ULONG) PropSheetExtension::Release()
{
    if (--refCount == 0) {
        delete this;
        return 0;
    }
    return refCount;
}

// The page needs nothing from the folder, data object or program key.
STDMETHODIMP PropSheetExtension::Initialize(LPCITEMIDLIST /*pidlFolder*/, IDataObject* /*pdtobj*/,
                                            HKEY /*hkeyProgID*/)
{
    return S_OK;
}

// Creates the page from dialog 113 and offers it to the host; a refused
// page is destroyed again. Always succeeds.
STDMETHODIMP PropSheetExtension::AddPages(LPFNADDPROPSHEETPAGE lpfnAddPage, LPARAM lParam)
{
    PROPSHEETPAGEA page;
    HPROPSHEETPAGE hPage;

    memset(&page, 0, sizeof(page));
    page.dwSize = PROPSHEETPAGEA_V1_SIZE;
    page.dwFlags = PSP_USETITLE | PSP_USEREFPARENT;
    page.hInstance = resourceModule;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_SETTINGS_PAGE);
    page.hIcon = NULL;
    if (LoadStringA(resourceModule, IDS_PAGE_TITLE, pageTitle, sizeof(pageTitle)) == 0) {
        strncpy(pageTitle, DEFAULT_PAGE_TITLE, sizeof(pageTitle) - 1);
        pageTitle[sizeof(pageTitle) - 1] = '\0';
    }
    page.pszTitle = pageTitle;
    page.pfnDlgProc = PageDialogProc;
    page.lParam = 0;
    page.pfnCallback = NULL;
    page.pcRefParent = reinterpret_cast<UINT*>(&serverObjectCount);

    hPage = CreatePropertySheetPageA(&page);
    if (hPage != NULL && (lpfnAddPage == NULL || !lpfnAddPage(hPage, lParam)))
        DestroyPropertySheetPage(hPage);
    return S_OK;
}

STDMETHODIMP PropSheetExtension::ReplacePage(UINT /*uPageID*/, LPFNADDPROPSHEETPAGE /*lpfnReplaceWith*/,
                                             LPARAM /*lParam*/)
{
    return E_FAIL;
}
