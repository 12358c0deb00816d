// Three-dimensional edges, focus rectangles and frame controls, drawn with
// the system colours as Windows 95 draws them.
#include <windows.h>

#include <algorithm>

#include "platform/gdi/device_context.h"
#include "platform/kernel/debug_notes.h"

namespace {

// The two colours of one line of an edge: top and left, bottom and right;
// -1 where the line is absent.
struct LineColors {
    int topLeft = -1;
    int bottomRight = -1;
};

// A layer with both its raised and its sunken bit, or neither, draws nothing.
LineColors OuterLine(UINT edge, UINT flags) {
    const UINT outer = edge & BDR_OUTER;
    if (outer == 0 || outer == BDR_OUTER) return {};
    if (flags & BF_MONO) return {COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
    if (flags & BF_FLAT) return {COLOR_BTNSHADOW, COLOR_BTNSHADOW};
    const bool soft = (flags & BF_SOFT) != 0;
    if (outer == BDR_RAISEDOUTER) return {soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    return {soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
}

LineColors InnerLine(UINT edge, UINT flags) {
    const UINT inner = edge & BDR_INNER;
    if (inner == 0 || inner == BDR_INNER) return {};
    if (flags & BF_MONO) return {COLOR_WINDOW, COLOR_WINDOW};
    if (flags & BF_FLAT) return {COLOR_BTNFACE, COLOR_BTNFACE};
    const bool soft = (flags & BF_SOFT) != 0;
    if (inner == BDR_RAISEDINNER) return {soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    return {soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

void Fill(HDC dc, LONG left, LONG top, LONG right, LONG bottom, int color) {
    const RECT box{left, top, right, bottom};
    FillRect(dc, &box, GetSysColorBrush(color));
}

// Draws one line of the edge on the rectangle's flagged sides, top and left
// first, so bottom and right own the two far corners; then moves those sides
// one pixel in.
void DrawLine(HDC dc, RECT& r, LineColors colors, UINT flags) {
    if (colors.topLeft < 0 || r.left >= r.right || r.top >= r.bottom) return;
    if (flags & BF_TOP) Fill(dc, r.left, r.top, r.right, r.top + 1, colors.topLeft);
    if (flags & BF_LEFT) Fill(dc, r.left, r.top, r.left + 1, r.bottom, colors.topLeft);
    if (flags & BF_BOTTOM) Fill(dc, r.left, r.bottom - 1, r.right, r.bottom, colors.bottomRight);
    if (flags & BF_RIGHT) Fill(dc, r.right - 1, r.top, r.right, r.bottom, colors.bottomRight);
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_BOTTOM) --r.bottom;
    if (flags & BF_RIGHT) --r.right;
}

void ReportUnsupported(const char* what) { brontar::platform::WriteDiagnosticOnce(what, what); }

// Rows of the check mark, 7 by 7, most significant of the low 7 bits leftmost.
constexpr BYTE kCheckMark[7] = {0x01, 0x03, 0x47, 0x6E, 0x7C, 0x38, 0x10};

void DrawPattern(HDC dc, LONG left, LONG top, const BYTE* rows, int count, int width, int color) {
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < width; ++column) {
            if (!(rows[row] & (1 << (width - 1 - column)))) continue;
            // Runs of set bits become one fill each.
            int end = column;
            while (end + 1 < width && (rows[row] & (1 << (width - 2 - end)))) ++end;
            Fill(dc, left + column, top + row, left + end + 1, top + row + 1, color);
            column = end;
        }
    }
}

// The 13 by 13 sunken box of a check box (any square size), its white or
// face-coloured inside and the check mark.
BOOL DrawCheckBox(HDC dc, const RECT& area, UINT state) {
    const LONG side = std::min(area.right - area.left, area.bottom - area.top);
    RECT box{area.left + (area.right - area.left - side) / 2, area.top + (area.bottom - area.top - side) / 2, 0, 0};
    box.right = box.left + side;
    box.bottom = box.top + side;
    DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    const bool third = (state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
    const bool grey = (state & (DFCS_PUSHED | DFCS_INACTIVE)) || third;
    FillRect(dc, &box, GetSysColorBrush(grey ? COLOR_BTNFACE : COLOR_WINDOW));
    if (state & DFCS_CHECKED) {
        const LONG left = box.left + (box.right - box.left - 7) / 2;
        const LONG top = box.top + (box.bottom - box.top - 7) / 2;
        const int color = third || (state & DFCS_INACTIVE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT;
        DrawPattern(dc, left, top, kCheckMark, 7, 7, color);
    }
    return TRUE;
}

// A push button's face: raised, or sunken while pushed.
BOOL DrawPushFrame(HDC dc, RECT& r, UINT state) {
    const UINT flags = BF_RECT | BF_SOFT | BF_MIDDLE | ((state & DFCS_FLAT) ? BF_FLAT : 0) |
                       ((state & DFCS_MONO) ? BF_MONO : 0);
    RECT inner = r;
    DrawEdge(dc, &inner, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, flags | BF_ADJUST);
    if (state & DFCS_ADJUSTRECT) r = inner;
    return TRUE;
}

// A scroll or combo box button and its arrow: a triangle 7 wide and 4 high
// (4 wide and 7 high across), centred, one pixel down and right while pushed,
// grey with a white emboss when inactive.
BOOL DrawScrollButton(HDC dc, RECT& r, UINT state) {
    const UINT kind = state & 0xFF;
    if (kind > DFCS_SCROLLRIGHT && kind != DFCS_SCROLLCOMBOBOX) return FALSE;
    // Pressed, the button is flat inside a shadow line, as Windows 95 shows a held arrow.
    if (state & DFCS_PUSHED) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        RECT face = r;
        InflateRect(&face, -1, -1);
        FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        RECT frame = r;
        DrawPushFrame(dc, frame, state & ~DFCS_ADJUSTRECT);
    }
    const bool across = kind == DFCS_SCROLLLEFT || kind == DFCS_SCROLLRIGHT;
    const LONG width = across ? 4 : 7;
    const LONG height = across ? 7 : 4;
    LONG left = r.left + (r.right - r.left - width) / 2;
    LONG top = r.top + (r.bottom - r.top - height) / 2;
    if (state & DFCS_PUSHED) {
        ++left;
        ++top;
    }
    auto arrow = [&](LONG x, LONG y, int color) {
        for (LONG step = 0; step < 4; ++step) {
            switch (kind) {
                case DFCS_SCROLLUP: Fill(dc, x + 3 - step, y + step, x + 4 + step, y + step + 1, color); break;
                case DFCS_SCROLLLEFT: Fill(dc, x + step, y + 3 - step, x + step + 1, y + 4 + step, color); break;
                case DFCS_SCROLLRIGHT: Fill(dc, x + 3 - step, y + 3 - step, x + 4 - step, y + 4 + step, color); break;
                default: Fill(dc, x + step, y + step, x + 7 - step, y + step + 1, color); break;
            }
        }
    };
    if (state & DFCS_INACTIVE) {
        arrow(left + 1, top + 1, COLOR_BTNHIGHLIGHT);
        arrow(left, top, COLOR_BTNSHADOW);
    } else {
        arrow(left, top, COLOR_BTNTEXT);
    }
    if (state & DFCS_ADJUSTRECT) InflateRect(&r, -2, -2);
    return TRUE;
}

}  // namespace

extern "C" {

// Draws the outer then the inner line of the edge on the flagged sides;
// BF_MIDDLE fills what is inside with the face colour (the window colour for
// BF_MONO and BF_FLAT); BF_ADJUST gives back that inside.
BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
    if (qrc == nullptr) return FALSE;
    if (grfFlags & BF_DIAGONAL) {
        ReportUnsupported("DrawEdge: diagonal edges (BF_DIAGONAL) are not implemented; nothing drawn");
        return FALSE;
    }
    RECT inside = *qrc;
    DrawLine(hdc, inside, OuterLine(edge, grfFlags), grfFlags);
    DrawLine(hdc, inside, InnerLine(edge, grfFlags), grfFlags);
    if (grfFlags & BF_MIDDLE)
        FillRect(hdc, &inside, GetSysColorBrush(grfFlags & (BF_MONO | BF_FLAT) ? COLOR_WINDOW : COLOR_BTNFACE));
    if (grfFlags & BF_ADJUST) *qrc = inside;
    return TRUE;
}

// Inverts the dotted border of the rectangle; drawn twice it is gone again.
BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc) {
    if (lprc == nullptr) return FALSE;
    return brontar::platform::InvertDottedFrame(hDC, *lprc) ? TRUE : FALSE;
}

// Push buttons, check boxes and the arrow buttons of scroll bars and combo
// boxes; other kinds answer FALSE.
BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
    if (lprc == nullptr) return FALSE;
    if (uType == DFC_BUTTON) {
        if (uState & DFCS_BUTTONPUSH) return DrawPushFrame(hdc, *lprc, uState);
        if ((uState & 0xFF & ~DFCS_BUTTON3STATE) == DFCS_BUTTONCHECK) return DrawCheckBox(hdc, *lprc, uState);
    } else if (uType == DFC_SCROLL) {
        if (DrawScrollButton(hdc, *lprc, uState)) return TRUE;
    }
    ReportUnsupported("DrawFrameControl: only push buttons, check boxes and arrow buttons are implemented");
    return FALSE;
}

}  // extern "C"
