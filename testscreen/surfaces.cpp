// Display mode, surfaces and flip: the board in exclusive full-screen mode at
// the chosen resolution and 16 bits, a primary surface with one back buffer,
// a colour fill per frame, one flip per frame and recovery of lost surfaces.
#include <windows.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define EXCLUSIVE_FULLSCREEN (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_NOWINDOWCHANGES)
#define SCREEN_BIT_DEPTH 16

// Packs a mode: width in bits 0-11, height in 12-23, bit count in 24-31.
DWORD PackDisplayMode(DWORD width, DWORD height, DWORD bitCount)
{
    return (width & 0xFFF) | ((height & 0xFFF) << 12) | ((bitCount & 0xFF) << 24);
}

// Creates the primary surface with one back buffer.
int CreatePrimarySurface(TestScreenState* lpState)
{
    DDSURFACEDESC ddsd;
    memset(&ddsd, 0, sizeof ddsd);
    ddsd.dwSize = sizeof ddsd;
    ddsd.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    ddsd.dwBackBufferCount = 1;
    HRESULT ddrval = lpState->lpDD->CreateSurface(&ddsd, &lpState->lpFrontBuffer, NULL);
    if (ddrval != DD_OK) {
        lpState->lpFrontBuffer = NULL;
        ReportError(ErrorText(ddrval), "Primary Surface Creation");
        return 0;
    }
    return 1;
}

// Gets the back buffer attached to the primary surface.
int GetBackBuffer(TestScreenState* lpState)
{
    DDSCAPS caps;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    HRESULT ddrval = lpState->lpFrontBuffer->GetAttachedSurface(&caps, &lpState->lpBackBuffer);
    if (ddrval != DD_OK) {
        lpState->lpBackBuffer = NULL;
        ReportError(ErrorText(ddrval), "Get Back Surface Attached");
        return 0;
    }
    return 1;
}

// Takes the board exclusively, switches the mode and creates the surfaces and the overlay.
int CreateSurfaces(TestScreenState* lpState)
{
    DDSURFACEDESC ddsd;
    memset(&ddsd, 0, sizeof ddsd);
    ddsd.dwSize = sizeof ddsd;
    HRESULT ddrval = lpState->lpDD->GetDisplayMode(&ddsd);
    if (ddrval != DD_OK) {
        ReportError(ErrorText(ddrval), "CreateSurfaces: GetDisplayMode");
        return 0;
    }
    lpState->savedMode = PackDisplayMode(ddsd.dwWidth, ddsd.dwHeight, ddsd.ddpfPixelFormat.dwRGBBitCount);

    ddrval = lpState->lpDD->SetCooperativeLevel(hWndMain, EXCLUSIVE_FULLSCREEN);
    if (ddrval != DD_OK) {
        ReportError(ErrorText(ddrval), "CreateSurfaces: SetCooperativeLevel");
        return 0;
    }
    ddrval = lpState->lpDD->SetDisplayMode((DWORD)lpState->width, (DWORD)lpState->height, SCREEN_BIT_DEPTH);
    if (ddrval != DD_OK) {
        ReportError(ErrorText(ddrval), "CreateSurfaces: SetDisplayMode");
        return 0;
    }
    if (!CreatePrimarySurface(lpState))
        return 0;
    if (!GetBackBuffer(lpState))
        return 0;
    // Without an overlay the test screen runs without text.
    CreateOverlay(lpState);
    return 1;
}

// The surfaces, then the Direct3D objects; reports which failed.
int InitSurfaces(void)
{
    if (!CreateSurfaces(&testScreen)) {
        ReportError("Error creating surfaces", APP_TITLE);
        return 0;
    }
    if (!CreateDirect3DObjects(&testScreen)) {
        ReportError("Error unable to create Direct3D Objects\n", APP_TITLE);
        return 0;
    }
    return 1;
}

// Fills a whole surface with one colour; 0 when there is no surface.
HRESULT FillSurface(TestScreenState* lpState, LPDIRECTDRAWSURFACE lpSurface, DWORD color)
{
    if (lpSurface == NULL)
        return 0;
    DDBLTFX fx;
    memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = color;
    RECT rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = lpState->width;
    rect.bottom = lpState->height;
    return lpSurface->Blt(&rect, NULL, NULL, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// Shows the back buffer; lost surfaces are restored and cleared, and the frame dropped.
int FlipSurfaces(TestScreenState* lpState)
{
    if (lpState->lpFrontBuffer == NULL)
        return 1;
    HRESULT ddrval = lpState->lpFrontBuffer->Flip(lpState->lpBackBuffer, DDFLIP_WAIT);
    if (ddrval == DDERR_SURFACELOST) {
        // Another program took the display: this frame is lost, the next
        // one draws into the restored surfaces.
        lpState->lpFrontBuffer->Restore();
        if (lpState->lpBackBuffer != NULL)
            lpState->lpBackBuffer->Restore();
        FillSurface(lpState, lpState->lpFrontBuffer, 0);
        FillSurface(lpState, lpState->lpBackBuffer, 0);
        RestoreTextures();
    } else if (ddrval != DD_OK) {
        ReportError(ErrorText(ddrval), "FlipSurfaces: Flip");
    }
    return 1;
}

// Releases the text surfaces and the flipping pair.
void ReleaseSurfaces(TestScreenState* lpState)
{
    if (lpState->lpModeLineSurface != NULL)
        lpState->lpModeLineSurface->Release();
    if (lpState->lpBannerSurface != NULL)
        lpState->lpBannerSurface->Release();
    // The back buffer came with a reference of its own from
    // GetAttachedSurface; it goes before the primary surface it belongs to.
    if (lpState->lpBackBuffer != NULL)
        lpState->lpBackBuffer->Release();
    if (lpState->lpFrontBuffer != NULL)
        lpState->lpFrontBuffer->Release();
    lpState->lpModeLineSurface = NULL;
    lpState->lpBannerSurface = NULL;
    lpState->lpBackBuffer = NULL;
    lpState->lpFrontBuffer = NULL;
}

// Gives the board its mode back and releases every object, the DirectDraw object last.
void ReleaseDisplay(TestScreenState* lpState)
{
    if (lpState->lpDD == NULL)
        return;
    if (lpState->savedMode != 0)
        lpState->lpDD->SetDisplayMode(lpState->savedMode & 0xFFF, (lpState->savedMode >> 12) & 0xFFF,
                                      lpState->savedMode >> 24);
    lpState->lpDD->SetCooperativeLevel(hWndMain, DDSCL_NORMAL);
    // What was made from the surfaces goes before the surfaces, and
    // everything before the DirectDraw object.
    ReleaseTextures(lpState);
    ReleaseDirect3DObjects(lpState);
    ReleaseSurfaces(lpState);
    if (lpState->hOverlayFont != NULL) {
        DeleteObject((HGDIOBJ)lpState->hOverlayFont);
        lpState->hOverlayFont = NULL;
    }
    lpState->lpDD->Release();
    lpState->lpDD = NULL;
}
