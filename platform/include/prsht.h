// Property sheets: pages, the sheet, and their notifications.
#pragma once

#include "windef.h"
#include "winuser_dialog.h"

#ifdef __cplusplus
extern "C" {
#endif

struct _PSP;
typedef struct _PSP* HPROPSHEETPAGE;
struct _PROPSHEETPAGEA;
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND hwnd, UINT uMsg, struct _PROPSHEETPAGEA* ppsp);
typedef BOOL(CALLBACK* LPFNADDPROPSHEETPAGE)(HPROPSHEETPAGE, LPARAM);

// A page description in its first (Windows 95) form.
typedef struct _PROPSHEETPAGEA {
    DWORD dwSize;          // PROPSHEETPAGEA_V1_SIZE
    DWORD dwFlags;         // PSP_*
    HINSTANCE hInstance;   // module holding the template and title
    union {
        LPCSTR pszTemplate;         // dialog resource id or name
        LPCDLGTEMPLATEA pResource;  // with PSP_DLGINDIRECT
    };
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszTitle;                // with PSP_USETITLE: the tab text
    DLGPROC pfnDlgProc;             // the page's dialog procedure
    LPARAM lParam;                  // handed to WM_INITDIALOG as part of the record
    LPFNPSPCALLBACKA pfnCallback;   // with PSP_USECALLBACK
    UINT* pcRefParent;              // with PSP_USEREFPARENT: counted while the page exists
} PROPSHEETPAGEA, *LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;
typedef PROPSHEETPAGEA PROPSHEETPAGE;

// The record up to and including pcRefParent: 40 bytes in a 32-bit build.
#define PROPSHEETPAGEA_V1_SIZE (offsetof(PROPSHEETPAGEA, pcRefParent) + sizeof(UINT*))

#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080

typedef struct _PROPSHEETHEADERA {
    DWORD dwSize;          // sizeof(PROPSHEETHEADERA)
    DWORD dwFlags;         // PSH_*
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszCaption;     // the sheet's title
    UINT nPages;
    union {
        UINT nStartPage;
        LPCSTR pStartPage;
    };
    union {
        LPCPROPSHEETPAGEA ppsp;  // with PSH_PROPSHEETPAGE
        HPROPSHEETPAGE* phpage;
    };
    void* pfnCallback;
} PROPSHEETHEADERA, *LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;

#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_NOAPPLYNOW 0x00000080

// Notifications a page receives through WM_NOTIFY.
#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

typedef struct _PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
} PSHNOTIFY, *LPPSHNOTIFY;

// Messages a page sends its sheet.
#define PSM_CHANGED (0x0400 + 104)
#define PSM_RESTARTWINDOWS (0x0400 + 105)
#define PSM_REBOOTSYSTEM (0x0400 + 106)
#define PSM_CANCELTOCLOSE (0x0400 + 107)
#define PSM_UNCHANGED (0x0400 + 109)

// What PropertySheetA returns besides -1 (failure), 0 (closed without
// changes) and 1 (changes applied).
#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA lppsp);
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage);
// Shows a modal sheet with OK, Cancel and Apply; returns when it closes.
INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph);

#ifdef __cplusplus
}
#endif
