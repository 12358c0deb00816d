// Rectangle helpers of user32. Like Windows, each answers FALSE for a null
// rectangle pointer instead of faulting.
#include <windows.h>

#include <algorithm>
#include <cstdint>

namespace {

// Adds as the 32-bit machine does: wrapping, never undefined.
LONG WrapAdd(LONG a, int b) { return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
LONG WrapSub(LONG a, int b) { return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }

// True when the rectangle encloses no pixel.
bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

extern "C" {

// Sets the four edges.
BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom) {
    if (lprc == nullptr) return FALSE;
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

// Sets all four edges to 0.
BOOL WINAPI SetRectEmpty(LPRECT lprc) { return SetRect(lprc, 0, 0, 0, 0); }

// Copies a rectangle.
BOOL WINAPI CopyRect(LPRECT lprcDst, const RECT* lprcSrc) {
    if (lprcDst == nullptr || lprcSrc == nullptr) return FALSE;
    *lprcDst = *lprcSrc;
    return TRUE;
}

// Moves a rectangle by dx, dy.
BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy) {
    if (lprc == nullptr) return FALSE;
    *lprc = RECT{WrapAdd(lprc->left, dx), WrapAdd(lprc->top, dy), WrapAdd(lprc->right, dx), WrapAdd(lprc->bottom, dy)};
    return TRUE;
}

// Grows a rectangle by dx on the left and right and dy on the top and bottom.
BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy) {
    if (lprc == nullptr) return FALSE;
    *lprc = RECT{WrapSub(lprc->left, dx), WrapSub(lprc->top, dy), WrapAdd(lprc->right, dx), WrapAdd(lprc->bottom, dy)};
    return TRUE;
}

// The overlap of two rectangles; empty (all zero) and FALSE when they do not overlap.
BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2) {
    if (lprcDst == nullptr || lprcSrc1 == nullptr || lprcSrc2 == nullptr) return FALSE;
    RECT overlap{std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
                 std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom)};
    if (IsEmpty(*lprcSrc1) || IsEmpty(*lprcSrc2) || IsEmpty(overlap)) {
        *lprcDst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *lprcDst = overlap;
    return TRUE;
}

// TRUE when the rectangle has no area (or there is none).
BOOL WINAPI IsRectEmpty(const RECT* lprc) { return lprc == nullptr || IsEmpty(*lprc) ? TRUE : FALSE; }

// TRUE when all four edges are equal.
BOOL WINAPI EqualRect(const RECT* lprc1, const RECT* lprc2) {
    if (lprc1 == nullptr || lprc2 == nullptr) return FALSE;
    return lprc1->left == lprc2->left && lprc1->top == lprc2->top && lprc1->right == lprc2->right &&
                   lprc1->bottom == lprc2->bottom
               ? TRUE
               : FALSE;
}

// TRUE when the point lies inside: the left and top edges belong to the
// rectangle, the right and bottom edges do not.
BOOL WINAPI PtInRect(const RECT* lprc, POINT pt) {
    if (lprc == nullptr) return FALSE;
    return pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top && pt.y < lprc->bottom ? TRUE : FALSE;
}

}  // extern "C"
