// The page's control and string ids (one list, shared with the resource
// scripts), the sheet's Cancel button and the page's private messages.
#pragma once

#include <windows.h>

#include "resources/page_ids.h"

// The property sheet's Cancel button, whose font the page paints with.
#define IDC_SHEET_CANCEL 2

#define WM_PAGE_FILLRATES (WM_USER + 1)
#define WM_PAGE_INITDONE (WM_USER + 200)
