// Driver and device choice: the test screen draws on the board alone, so it
// keeps the DirectDraw driver named "ddcorv" and, on it, the Direct3D device
// named "direct3d hal", then checks that the board lists the wanted mode.
#include <windows.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define NAME_BUFFER 128
#define BOARD_DRIVER_NAME "ddcorv"
#define BOARD_DEVICE_NAME "direct3d hal"

TestScreenState testScreen;

// The mode looked for by ModeEnumCallback, set just before the enumeration.
static DWORD wantedModeWidth;
static DWORD wantedModeHeight;
static DWORD wantedModeBitCount;
static BOOL wantedModeFound;

// Compares an enumerated name, with A-Z lowered, with the whole wanted name.
int DeviceNameMatches(LPCSTR lpszName, LPCSTR lpszWanted)
{
    char name[NAME_BUFFER];
    if (lpszName == NULL)
        lpszName = "";
    // A longer name is cut to the buffer; cut, it still cannot equal the
    // short wanted names.
    size_t length = strlen(lpszName);
    if (length > NAME_BUFFER - 1)
        length = NAME_BUFFER - 1;
    for (size_t i = 0; i < length; i++) {
        char c = lpszName[i];
        name[i] = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
    }
    name[length] = '\0';
    return strcmp(name, lpszWanted) == 0;
}

// Keeps the identity of the DirectDraw driver named "ddcorv"; the last one wins.
BOOL WINAPI DriverEnumCallback(GUID FAR* lpGUID, LPSTR lpDriverDescription, LPSTR lpDriverName, LPVOID lpContext)
{
    (void)lpDriverDescription;
    TestScreenState* lpState = (TestScreenState*)lpContext;
    if (lpGUID == NULL)
        return DDENUMRET_OK;  // the primary display driver is never the board

    LPDIRECTDRAW lpDDTemp = NULL;
    if (DirectDrawCreate(lpGUID, &lpDDTemp, NULL) != DD_OK)
        return DDENUMRET_OK;
    DDCAPS driverCaps;
    DDCAPS emulationCaps;
    memset(&driverCaps, 0, sizeof driverCaps);
    memset(&emulationCaps, 0, sizeof emulationCaps);
    driverCaps.dwSize = sizeof driverCaps;
    emulationCaps.dwSize = sizeof emulationCaps;
    if (lpDDTemp->GetCaps(&driverCaps, &emulationCaps) == DD_OK && DeviceNameMatches(lpDriverName, BOARD_DRIVER_NAME))
        memcpy(&lpState->ddDriverGuid, lpGUID, sizeof(GUID));
    lpDDTemp->Release();
    return DDENUMRET_OK;
}

// Keeps the identity of the Direct3D device named "direct3d hal"; the last one wins.
HRESULT WINAPI DeviceEnumCallback(LPGUID lpGuid, LPSTR lpDeviceDescription, LPSTR lpDeviceName,
                                  LPD3DDEVICEDESC lpHWDesc, LPD3DDEVICEDESC lpHELDesc, LPVOID lpContext)
{
    (void)lpDeviceDescription;
    (void)lpHWDesc;
    (void)lpHELDesc;
    TestScreenState* lpState = (TestScreenState*)lpContext;
    if (lpGuid != NULL && DeviceNameMatches(lpDeviceName, BOARD_DEVICE_NAME))
        memcpy(&lpState->d3dDeviceGuid, lpGuid, sizeof(GUID));
    return D3DENUMRET_OK;
}

// Stops the enumeration at the first mode of the wanted size and bit count.
HRESULT WINAPI ModeEnumCallback(LPDDSURFACEDESC lpDDSurfaceDesc, LPVOID lpContext)
{
    (void)lpContext;
    if (lpDDSurfaceDesc->dwWidth == wantedModeWidth && lpDDSurfaceDesc->dwHeight == wantedModeHeight &&
        lpDDSurfaceDesc->ddpfPixelFormat.dwRGBBitCount == wantedModeBitCount) {
        wantedModeFound = TRUE;
        return DDENUMRET_CANCEL;
    }
    return DDENUMRET_OK;
}

// Starts the record afresh with the chosen mode and walks the DirectDraw drivers.
int InitDirectDraw(HWND hWnd)
{
    (void)hWnd;
    memset(&testScreen, 0, sizeof testScreen);
    testScreen.width = modeSelection.width;
    testScreen.height = modeSelection.height;
    testScreen.refresh = modeSelection.refresh;
    testScreen.bitDepth = modeSelection.bitDepth;
    testScreen.maxVertices = MAX_SCENE_VERTICES;
    testScreen.maxTriangles = MAX_SCENE_TRIANGLES;
    testScreen.stateBufferSize = STATE_BUFFER_SIZE;
    testScreen.rotationAngle = 0.0f;
    if (DirectDrawEnumerateA(DriverEnumCallback, &testScreen) != DD_OK) {
        ReportError("Error enumerating DD drivers", APP_TITLE);
        return 0;
    }
    return 1;
}

// True when the DirectDraw object lists the mode of the record.
static BOOL BoardListsMode(LPDIRECTDRAW lpDD, const TestScreenState* lpState)
{
    wantedModeFound = FALSE;
    wantedModeWidth = (DWORD)lpState->width;
    wantedModeHeight = (DWORD)lpState->height;
    wantedModeBitCount = (DWORD)lpState->bitDepth;
    lpDD->EnumDisplayModes(0, NULL, NULL, ModeEnumCallback);
    return wantedModeFound;
}

// Creates the DirectDraw object on the board, checks the mode and finds the Direct3D device.
int InitDirect3D(void)
{
    if (DirectDrawCreate(&testScreen.ddDriverGuid, &testScreen.lpDD, NULL) != DD_OK || testScreen.lpDD == NULL ||
        !BoardListsMode(testScreen.lpDD, &testScreen)) {
        ReportError("DirectX not installed.", APP_TITLE);
        return 0;
    }
    if (testScreen.lpDD->QueryInterface(IID_IDirect3D, (LPVOID*)&testScreen.lpD3D) != DD_OK ||
        testScreen.lpD3D == NULL) {
        ReportError("Direct3D drivers not installed.", APP_TITLE);
        return 0;
    }
    if (testScreen.lpD3D->EnumDevices(DeviceEnumCallback, &testScreen) != D3D_OK) {
        ReportError("Error enumerating DirectX drivers\nBrontar 3D drivers not installed.", APP_TITLE);
        return 0;
    }
    return 1;
}
