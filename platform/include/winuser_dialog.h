// User interface, dialogs and controls: dialog templates and procedures,
// notifications, and the messages of buttons, statics and combo boxes.
#pragma once

#include "windef.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Dialogs and controls ------------------------------------------------

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// The binary dialog template a resource script compiles to; the header and
// each item are followed by menu, class and title (ordinal or UTF-16 text).
#pragma pack(push, 2)
typedef struct {
    DWORD style;            // WS_* and DS_*
    DWORD dwExtendedStyle;  // WS_EX_*
    WORD cdit;              // number of items
    short x;                // dialog units
    short y;
    short cx;
    short cy;
} DLGTEMPLATE, *LPDLGTEMPLATEA;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEA;
typedef LPCDLGTEMPLATEA LPCDLGTEMPLATE;

typedef struct {
    DWORD style;            // WS_* and the control's own styles
    DWORD dwExtendedStyle;  // WS_EX_*
    short x;                // dialog units
    short y;
    short cx;
    short cy;
    WORD id;                // control id
} DLGITEMTEMPLATE;
#pragma pack(pop)

// Header of every WM_NOTIFY.
typedef struct tagNMHDR {
    HWND hwndFrom;    // the control or page that notifies
    UINT_PTR idFrom;  // its id
    UINT code;        // what happened
} NMHDR, *LPNMHDR;

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTATOM(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

// The dialog class and the bytes its windows carry (DWLP_* in winuser.h).
#define WC_DIALOG MAKEINTATOM(0x8002)
#define DIALOG_CLASS_NAME "#32770"
#define DLGWINDOWEXTRA 30

#define WM_NOTIFY 0x004E
#define WM_INITDIALOG 0x0110
#define WM_NEXTDLGCTL 0x0028
#define WM_GETDLGCODE 0x0087

// What a control wants of the keys the dialog manager would take (WM_GETDLGCODE).
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// The dialog's default push button.
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B

// Dialog styles.
#define DS_ABSALIGN 0x01L
#define DS_3DLOOK 0x0004L
#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L

// Buttons.
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL
#define BS_MULTILINE 0x00002000L
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008
#define BN_CLICKED 0

// Statics.
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L

// Combo boxes.
#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_SORT 0x0100L
#define CBS_HASSTRINGS 0x0200L
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRINGEXACT 0x0158
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETITEMHEIGHT 0x0154
#define CB_GETDROPPEDSTATE 0x0157
#define CBN_SELCHANGE 1
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8

// Creates a modeless dialog from a template in memory: the window, one child
// per item (positions in dialog units scaled by the dialog font), then
// WM_INITDIALOG with lParam = dwInitParam.
HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam);
HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam);
LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
// Dialog units to pixels with the dialog's font.
BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);
// The dialog manager's keyboard interface: Tab, arrows, Enter, Esc and mnemonics.
BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg);
HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
// The base units of the system font: width in the low word, height in the high.
LONG WINAPI GetDialogBaseUnits(void);

// ---- end of dialogs and controls -----------------------------------------

#ifdef __cplusplus
}
#endif
