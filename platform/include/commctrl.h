// Common controls: the trackbar, and the property sheets of prsht.h.
#pragma once

#include "windef.h"
#include "prsht.h"

#ifdef __cplusplus
extern "C" {
#endif

#define TRACKBAR_CLASSA "msctls_trackbar32"
#define TRACKBAR_CLASS TRACKBAR_CLASSA

// Trackbar styles.
#define TBS_AUTOTICKS 0x0001
#define TBS_VERT 0x0002
#define TBS_HORZ 0x0000
#define TBS_TOP 0x0004
#define TBS_BOTTOM 0x0000
#define TBS_BOTH 0x0008
#define TBS_NOTICKS 0x0010

// Trackbar messages (WM_USER based).
#define TBM_GETPOS (0x0400)
#define TBM_GETRANGEMIN (0x0400 + 1)
#define TBM_GETRANGEMAX (0x0400 + 2)
#define TBM_SETPOS (0x0400 + 5)
#define TBM_SETRANGE (0x0400 + 6)
#define TBM_SETRANGEMIN (0x0400 + 7)
#define TBM_SETRANGEMAX (0x0400 + 8)
#define TBM_SETPAGESIZE (0x0400 + 21)
#define TBM_GETPAGESIZE (0x0400 + 22)
#define TBM_SETLINESIZE (0x0400 + 23)
#define TBM_GETLINESIZE (0x0400 + 24)

// Scroll codes of WM_HSCROLL from a trackbar.
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

#define WC_TABCONTROLA "SysTabControl32"
#define WC_TABCONTROL WC_TABCONTROLA

// Tab control items and messages.
#define TCIF_TEXT 0x0001
typedef struct tagTCITEMA {
    UINT mask;           // TCIF_TEXT: pszText is set
    DWORD dwState;
    DWORD dwStateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
} TCITEMA, *LPTCITEMA;
#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

// Registers the common control classes (they are always registered here).
void WINAPI InitCommonControls(void);

#ifdef __cplusplus
}
#endif
