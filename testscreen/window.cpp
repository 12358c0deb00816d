// The test screen's window: its procedure runs the start-up in a fixed order,
// draws a frame on every tick of the frame timer, answers the keys and the
// mouse, and cleans up when the window is destroyed. ReportError is the one
// failure report of the whole program.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define WINDOWS_DIRECTORY_BUFFER 128
#define TEXTURE_PATH_BUFFER 128
#define TRIANGLE_BYTES (3 * sizeof(D3DTLVERTEX))

HWND hWndMain = NULL;
static WORD animate = 1;         // frames come from the timer while set
static DWORD deviceReady = 0;    // CleanUp gives the display back while set
static BOOL windowDestroyed = FALSE;  // queued P keys and ticks then draw nothing
static BOOL failureReported = FALSE;  // the exit code stays -1

typedef struct tagTEXTUREFILE {
    LPCSTR lpszFileName;  // appended to the Windows directory
    BOOL bColorKeyed;     // black texels are transparent
} TEXTUREFILE;

static const TEXTUREFILE textureFiles[TEXTURE_COUNT] = {
    {"\\CASTLE.BMP", FALSE}, {"\\BRNLOGO.BMP", TRUE}, {"\\ROBOT2.BMP", FALSE},
    {"\\VAULT1.BMP", FALSE}, {"\\DESERT.BMP", FALSE}, {"\\RACER.BMP", FALSE},
};

// The failure report: one line to the debug output, and a quit request with -1.
void ReportError(LPCSTR lpszMessage, LPCSTR lpszCaption)
{
    char line[512];
    snprintf(line, sizeof line, "ReportError [%s] %s", lpszCaption ? lpszCaption : "",
             lpszMessage ? lpszMessage : "");
    OutputDebugStringA(line);
    failureReported = TRUE;
    PostQuitMessage(-1);
}

// The text of a DirectDraw or Direct3D result: "UNKNOWN" for every code.
LPCSTR ErrorText(HRESULT result)
{
    (void)result;
    return "UNKNOWN";
}

// True once a failure was reported.
BOOL FailureReported(void)
{
    return failureReported;
}

// Allocates a vertex array of the given number of triangles, freeing an earlier one.
int AllocateVertexArray(LPD3DTLVERTEX* lplpVertices, int triangles)
{
    if (*lplpVertices != NULL)
        free(*lplpVertices);
    *lplpVertices = (LPD3DTLVERTEX)malloc((size_t)triangles * TRIANGLE_BYTES);
    return *lplpVertices != NULL;
}

// Loads one texture file into slot i; reports and ends the test screen when
// the bitmap or its texture cannot be had.
static int LoadTexture(HWND hWnd, TestScreenState* lpState, LPCSTR lpszWindowsDirectory, int i)
{
    char path[TEXTURE_PATH_BUFFER];
    BITMAP* lpImage = &lpState->textureImages[i];
    lpImage->bmBits = NULL;
    // A path that does not fit the buffer names no file: the bitmap fails
    // to load, reported under as much of the path as fits.
    int length = snprintf(path, sizeof path, "%s%s", lpszWindowsDirectory ? lpszWindowsDirectory : "",
                          textureFiles[i].lpszFileName);
    if (lpszWindowsDirectory != NULL && length > 0 && length < (int)sizeof path)
        LoadBitmapFile(path, lpImage);
    if (lpImage->bmBits == NULL) {
        ReportError("Error loading bitmap", path);
        SendMessageA(hWnd, WM_DESTROY, 0, 0);
        return 0;
    }
    if (!CreateTextureFromBitmap(lpState, lpImage, &lpState->lpTextureSurfaces[i], &lpState->textureHandles[i],
                                 textureFiles[i].bColorKeyed)) {
        ReportError("Error creating texture handle", textureFiles[i].lpszFileName);
        SendMessageA(hWnd, WM_DESTROY, 0, 0);
        return 0;
    }
    return 1;
}

// Loads the six bitmaps of the Windows directory into the textures of the cube's faces.
int LoadTextures(HWND hWnd, TestScreenState* lpState)
{
    char windowsDirectory[WINDOWS_DIRECTORY_BUFFER];
    UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
    LPCSTR lpszWindowsDirectory = length > 0 && length < sizeof windowsDirectory ? windowsDirectory : NULL;
    lpState->textureCount = TEXTURE_COUNT;
    for (int i = 0; i < TEXTURE_COUNT; i++) {
        if (!LoadTexture(hWnd, lpState, lpszWindowsDirectory, i))
            return 0;
    }
    return 1;
}

// Draws and presents one frame.
void RenderFrame(void)
{
    FillSurface(&testScreen, testScreen.lpBackBuffer, 0);
    DrawBackground();
    UpdateCubeVertices(&testScreen);
    DrawCube(&testScreen);
    BlitOverlay(&testScreen);
    FlipSurfaces(&testScreen);
}

// Frees the images and vertex arrays, and gives the display back once the device was ready.
void CleanUp(TestScreenState* lpState)
{
    for (int i = 0; i < lpState->textureCount && i < TEXTURE_COUNT; i++) {
        free(lpState->textureImages[i].bmBits);
        lpState->textureImages[i].bmBits = NULL;
    }
    free(lpState->lpBackgroundVertices);
    lpState->lpBackgroundVertices = NULL;
    free(lpState->lpCubeVertices);
    lpState->lpCubeVertices = NULL;
    if (deviceReady)
        ReleaseDisplay(lpState);
}

// The whole start-up, run while the window is being created; the first step
// that fails ends it.
static void StartUp(HWND hWnd)
{
    hWndMain = hWnd;
    if (!InitDirectDraw(hWnd)) {
        deviceReady = 0;
        SendMessageA(hWnd, WM_DESTROY, 0, 0);
        return;
    }
    if (!InitDirect3D())
        return;
    if (!InitSurfaces())
        return;
    // From here on the board is ours: the clean-up gives its mode back.
    deviceReady = 1;
    if (!LoadTextures(hWnd, &testScreen))
        return;
    FillSurface(&testScreen, testScreen.lpFrontBuffer, 0);
    if (AllocateVertexArray(&testScreen.lpBackgroundVertices, BACKGROUND_TRIANGLES)) {
        memset(testScreen.lpBackgroundVertices, 0, BACKGROUND_TRIANGLES * TRIANGLE_BYTES);
        BuildBackgroundVertices(&testScreen, testScreen.lpBackgroundVertices);
    }
    if (AllocateVertexArray(&testScreen.lpCubeVertices, CUBE_TRIANGLES))
        memset(testScreen.lpCubeVertices, 0, CUBE_TRIANGLES * TRIANGLE_BYTES);
    SetTimer(hWnd, FRAME_TIMER_ID, FRAME_PERIOD_MS, NULL);
    RenderFrame();
}

// Q quits, P draws a frame, R stops or restarts the animation.
void OnKey(HWND hWnd, WPARAM charCode)
{
    switch ((BYTE)(charCode & 0xFF)) {
    case 'q':
    case 'Q':
        SendMessageA(hWnd, WM_DESTROY, 0, 0);
        break;
    case 'p':
    case 'P':
        if (!windowDestroyed)
            RenderFrame();
        break;
    case 'r':
    case 'R':
        animate = animate ? 0 : 1;
        break;
    default:
        break;
    }
}

// Ends the test screen: the exit code is -1 once a failure was reported,
// although the quit request of the destroy handling comes last.
static void OnDestroy(HWND hWnd)
{
    KillTimer(hWnd, FRAME_TIMER_ID);
    if (!windowDestroyed)
        CleanUp(&testScreen);
    windowDestroyed = TRUE;
    PostQuitMessage(failureReported ? -1 : 0);
}

// The window procedure.
LRESULT CALLBACK TestWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        StartUp(hWnd);
        return 0;
    case WM_TIMER:
        if (animate && !windowDestroyed)
            RenderFrame();
        return 0;
    case WM_CHAR:
        OnKey(hWnd, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SendMessageA(hWnd, WM_DESTROY, 0, 0);
        return 0;
    case WM_COMMAND:
        return 0;
    case WM_DESTROY:
        OnDestroy(hWnd);
        return 0;
    default:
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}

// Registers the window class and creates the window, which runs the start-up.
int InitApplication(HINSTANCE hInstance)
{
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(101));
    wc.hIconSm = (HICON)LoadImageA(hInstance, MAKEINTRESOURCEA(101), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = APP_CLASS_NAME;
    if (!RegisterClassExA(&wc))
        return 0;
    HWND hWnd = CreateWindowExA(0, APP_CLASS_NAME, APP_TITLE,
                                WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0, 0, 100, 100, NULL,
                                NULL, hInstance, NULL);
    if (hWnd == NULL)
        return 0;
    hWndMain = hWnd;
    return 1;
}
