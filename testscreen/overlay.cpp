// The text overlay: the mode line at the top, the banner and the prompt at the
// bottom, printed into two small surfaces and copied over every frame with
// black as the transparent colour, so only the yellow letters show.
#include <windows.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define BANNER_TEXT "Brontar 3D Test Screen"
#define PROMPT_TEXT "Press 'Q' key to quit test screen"
#define MODE_LINE_TEMPLATE "000x000x00 000Hz"
#define MODE_LINE_FORMAT "%dx%dx%d %dHz"
#define MODE_LINE_BUFFER 64
#define TEXT_COLOR RGB(255, 255, 0)
#define LARGE_FONT_HEIGHT 24
#define SMALL_FONT_HEIGHT 12
#define LARGE_FONT_MIN_WIDTH 640  // widths above this get the large font

// The overlay font's cell height for a mode of the given width.
int OverlayFontHeight(int modeWidth)
{
    // Only the widest mode, 800x600, has room for the large font.
    return modeWidth > LARGE_FONT_MIN_WIDTH ? LARGE_FONT_HEIGHT : SMALL_FONT_HEIGHT;
}

// Where an inner span starts when centred in an outer one, a half pixel to the right.
int CentredOffset(LONG outer, LONG inner)
{
    return (int)((double)(outer - inner) * 0.5 + 0.5);
}

// The larger of two widths.
static LONG WiderOf(LONG a, LONG b)
{
    return a > b ? a : b;
}

// The one font of the three lines.
static HFONT CreateOverlayFont(int modeWidth)
{
    return CreateFontA(OverlayFontHeight(modeWidth), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                       VARIABLE_PITCH, "Arial");
}

// Yellow letters on opaque black in the overlay font.
static void SetTextAttributes(HDC hdc, HFONT hFont)
{
    if (hFont != NULL)
        SelectObject(hdc, (HGDIOBJ)hFont);
    SetTextColor(hdc, TEXT_COLOR);
    SetBkColor(hdc, RGB(0, 0, 0));
    SetBkMode(hdc, OPAQUE);
}

// An off-screen surface for text, whose black is transparent when copied.
static LPDIRECTDRAWSURFACE CreateTextSurface(TestScreenState* lpState, LONG width, LONG height)
{
    DDSURFACEDESC ddsd;
    memset(&ddsd, 0, sizeof ddsd);
    ddsd.dwSize = sizeof ddsd;
    ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    ddsd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ddsd.dwWidth = (DWORD)width;
    ddsd.dwHeight = (DWORD)height;
    LPDIRECTDRAWSURFACE lpSurface = NULL;
    if (width <= 0 || height <= 0 || lpState->lpDD->CreateSurface(&ddsd, &lpSurface, NULL) != DD_OK)
        return NULL;
    DDCOLORKEY colorKey;
    colorKey.dwColorSpaceLowValue = 0;
    colorKey.dwColorSpaceHighValue = 0;
    lpSurface->SetColorKey(DDCKEY_SRCBLT, &colorKey);
    return lpSurface;
}

// Creates the overlay font and the two text surfaces; 0 when a surface is missing.
int CreateOverlay(TestScreenState* lpState)
{
    lpState->hOverlayFont = CreateOverlayFont(lpState->width);

    HDC hdc = GetDC(NULL);
    if (hdc != NULL) {
        if (lpState->hOverlayFont != NULL)
            SelectObject(hdc, (HGDIOBJ)lpState->hOverlayFont);
        GetTextExtentPointA(hdc, MODE_LINE_TEMPLATE, (int)strlen(MODE_LINE_TEMPLATE), &lpState->modeLineSize);
        GetTextExtentPointA(hdc, BANNER_TEXT, (int)strlen(BANNER_TEXT), &lpState->bannerSize);
        GetTextExtentPointA(hdc, PROMPT_TEXT, (int)strlen(PROMPT_TEXT), &lpState->promptSize);
        ReleaseDC(NULL, hdc);
    }

    lpState->lpModeLineSurface = CreateTextSurface(lpState, lpState->modeLineSize.cx, lpState->modeLineSize.cy);
    if (lpState->lpModeLineSurface == NULL) {
        DeleteObject((HGDIOBJ)lpState->hOverlayFont);
        lpState->hOverlayFont = NULL;
        return 0;
    }
    DrawModeLine(lpState);

    LONG blockWidth = WiderOf(lpState->bannerSize.cx, lpState->promptSize.cx);
    LONG blockHeight = lpState->bannerSize.cy + lpState->promptSize.cy;
    lpState->lpBannerSurface = CreateTextSurface(lpState, blockWidth, blockHeight);
    if (lpState->lpBannerSurface == NULL) {
        // The mode line goes on being printed every frame: it gets a font of
        // its own in place of the deleted one.
        DeleteObject((HGDIOBJ)lpState->hOverlayFont);
        lpState->hOverlayFont = CreateOverlayFont(lpState->width);
        return 0;
    }
    DrawBanner(lpState);
    return 1;
}

// Prints the mode line into its surface and measures it.
int DrawModeLine(TestScreenState* lpState)
{
    char line[MODE_LINE_BUFFER];
    int length = wsprintfA(line, MODE_LINE_FORMAT, lpState->width, lpState->height, lpState->bitDepth,
                           lpState->refresh);
    HDC hdc = NULL;
    if (lpState->lpModeLineSurface == NULL || lpState->lpModeLineSurface->GetDC(&hdc) != DD_OK)
        return 1;
    SetTextAttributes(hdc, lpState->hOverlayFont);
    GetTextExtentPoint32A(hdc, line, length, &lpState->modeLineSize);
    RECT clip;
    SetRect(&clip, 0, 0, lpState->modeLineSize.cx, lpState->modeLineSize.cy);
    ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &clip, line, (UINT)length, NULL);
    lpState->lpModeLineSurface->ReleaseDC(hdc);
    return 1;
}

// Prints the banner centred over the prompt into the banner surface.
int DrawBanner(TestScreenState* lpState)
{
    HDC hdc = NULL;
    if (lpState->lpBannerSurface == NULL || lpState->lpBannerSurface->GetDC(&hdc) != DD_OK)
        return 1;
    SetTextAttributes(hdc, lpState->hOverlayFont);
    SIZE banner;
    SIZE prompt;
    memset(&banner, 0, sizeof banner);
    memset(&prompt, 0, sizeof prompt);
    GetTextExtentPoint32A(hdc, BANNER_TEXT, (int)strlen(BANNER_TEXT), &banner);
    GetTextExtentPoint32A(hdc, PROMPT_TEXT, (int)strlen(PROMPT_TEXT), &prompt);
    ExtTextOutA(hdc, CentredOffset(prompt.cx, banner.cx), 0, ETO_OPAQUE, NULL, BANNER_TEXT,
                (UINT)strlen(BANNER_TEXT), NULL);
    ExtTextOutA(hdc, 0, prompt.cy, ETO_OPAQUE, NULL, PROMPT_TEXT, (UINT)strlen(PROMPT_TEXT), NULL);
    lpState->lpBannerSurface->ReleaseDC(hdc);
    return 1;
}

// Copies a rectangle of a text surface onto the back buffer, skipping black;
// a lost surface is restored and printed again by the next frame.
static void CopyTextSurface(TestScreenState* lpState, LPDIRECTDRAWSURFACE lpSource, LONG width, LONG height, int x,
                            int y)
{
    RECT source;
    SetRect(&source, 0, 0, width, height);
    HRESULT ddrval = lpState->lpBackBuffer->BltFast((DWORD)x, (DWORD)y, lpSource, &source,
                                                    DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    if (ddrval == DDERR_SURFACELOST) {
        lpState->lpBackBuffer->Restore();
        lpSource->Restore();
    }
}

// Reprints the text and copies it, black left out, onto the back buffer.
int BlitOverlay(TestScreenState* lpState)
{
    DrawModeLine(lpState);
    DrawBanner(lpState);
    if (lpState->lpBackBuffer == NULL)
        return 1;
    if (lpState->lpModeLineSurface != NULL && lpState->modeLineSize.cx > 0 && lpState->modeLineSize.cy > 0)
        CopyTextSurface(lpState, lpState->lpModeLineSurface, lpState->modeLineSize.cx, lpState->modeLineSize.cy,
                        CentredOffset(lpState->width, lpState->modeLineSize.cx), 0);
    if (lpState->lpBannerSurface != NULL && lpState->bannerSize.cx > 0 && lpState->bannerSize.cy > 0 &&
        lpState->promptSize.cx > 0 && lpState->promptSize.cy > 0) {
        LONG blockWidth = WiderOf(lpState->bannerSize.cx, lpState->promptSize.cx);
        LONG blockHeight = lpState->bannerSize.cy + lpState->promptSize.cy;
        CopyTextSurface(lpState, lpState->lpBannerSurface, blockWidth, blockHeight,
                        CentredOffset(lpState->width, blockWidth), lpState->height - blockHeight);
    }
    return 1;
}
