// BRNTRTST, the Brontar 3D test screen: the one process-wide record and the
// routines that the entry, the display layer and the scene offer each other.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include "settings/test_screen_command.h"

#define APP_TITLE "Brontar 3D Gamma Tool"
#define APP_CLASS_NAME "BrntrTest"

#define TEXTURE_COUNT 6
#define FRAME_TIMER_ID 1
#define FRAME_PERIOD_MS 100

#define BACKGROUND_TRIANGLES 8
#define BACKGROUND_VERTICES 24
#define CUBE_TRIANGLES 12
#define CUBE_VERTICES 36
#define CUBE_FACE_VERTICES 6
#define MAX_SCENE_VERTICES 300
#define MAX_SCENE_TRIANGLES 100
#define STATE_BUFFER_SIZE 248

// ---------------------------------------------------------------------------
// Mode selection (entry)

// The mode the command line chose, set once before the window exists.
typedef struct tagMODESELECTION {
    int width;     // pixels, 640 unless the command line names a mode
    int height;    // pixels, 480 unless the command line names a mode
    int refresh;   // Hz, from the settings key, 60 to 120
    int bitDepth;  // always 16
} MODESELECTION;

extern MODESELECTION modeSelection;

// Fills the mode from the command line and the settings key.
void SelectMode(LPCSTR lpCmdLine, MODESELECTION* lpMode);

// ---------------------------------------------------------------------------
// The record

typedef struct tagTestScreenState {
    // Display objects
    LPDIRECTDRAW lpDD;
    LPDIRECTDRAWSURFACE lpFrontBuffer;  // primary surface, created with one back buffer
    LPDIRECTDRAWSURFACE lpBackBuffer;   // drawing surface, attached to the primary; Direct3D renders into it

    // Overlay
    LPDIRECTDRAWSURFACE lpModeLineSurface;
    LPDIRECTDRAWSURFACE lpBannerSurface;
    HFONT hOverlayFont;
    SIZE modeLineSize;  // re-measured on the printed line in every frame
    SIZE bannerSize;
    SIZE promptSize;

    // Driver and device identity; all zero when no match was enumerated
    GUID ddDriverGuid;
    GUID d3dDeviceGuid;

    // Mode
    int width;
    int height;
    int refresh;
    int bitDepth;
    DWORD savedMode;  // mode before the switch: width bits 0-11, height 12-23, bit count 24-31

    // Direct3D objects and execute buffers
    LPDIRECT3D lpD3D;
    LPDIRECT3DDEVICE lpD3DDevice;
    LPDIRECT3DVIEWPORT lpViewport;
    LPDIRECT3DEXECUTEBUFFER lpTriangleBuffer;
    DWORD triangleBufferSize;
    D3DEXECUTEBUFFERDESC triangleBufferDesc;
    LPDIRECT3DEXECUTEBUFFER lpStateBuffer;
    DWORD stateBufferSize;
    D3DEXECUTEBUFFERDESC stateBufferDesc;
    int maxVertices;   // capacity of the triangle buffer in vertex records
    int maxTriangles;  // capacity of the triangle buffer in triangles

    // Textures: slot k is the texture of cube face k
    int textureCount;
    BITMAP textureImages[TEXTURE_COUNT];
    LPDIRECTDRAWSURFACE lpTextureSurfaces[TEXTURE_COUNT];  // system-memory texture surfaces
    D3DTEXTUREHANDLE textureHandles[TEXTURE_COUNT];

    // Scene
    LPD3DTLVERTEX lpBackgroundVertices;  // heap block of BACKGROUND_TRIANGLES triangles
    LPD3DTLVERTEX lpCubeVertices;        // heap block of CUBE_TRIANGLES triangles
    float rotationAngle;                 // degrees, one more after every cube update, never wrapped
} TestScreenState;

extern TestScreenState testScreen;
extern HWND hWndMain;

// ---------------------------------------------------------------------------
// Window, start-up and frames

int InitApplication(HINSTANCE hInstance);
LRESULT CALLBACK TestWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
void OnKey(HWND hWnd, WPARAM charCode);
void RenderFrame(void);
int LoadTextures(HWND hWnd, TestScreenState* lpState);
void CleanUp(TestScreenState* lpState);
int AllocateVertexArray(LPD3DTLVERTEX* lplpVertices, int triangles);
void ReportError(LPCSTR lpszMessage, LPCSTR lpszCaption);
LPCSTR ErrorText(HRESULT result);
// True once a failure was reported: the exit code stays -1.
BOOL FailureReported(void);

// ---------------------------------------------------------------------------
// Driver and device choice

int InitDirectDraw(HWND hWnd);
int InitDirect3D(void);
BOOL WINAPI DriverEnumCallback(GUID FAR* lpGUID, LPSTR lpDriverDescription, LPSTR lpDriverName, LPVOID lpContext);
HRESULT WINAPI DeviceEnumCallback(LPGUID lpGuid, LPSTR lpDeviceDescription, LPSTR lpDeviceName,
                                  LPD3DDEVICEDESC lpHWDesc, LPD3DDEVICEDESC lpHELDesc, LPVOID lpContext);
HRESULT WINAPI ModeEnumCallback(LPDDSURFACEDESC lpDDSurfaceDesc, LPVOID lpContext);
// 1 when the enumerated name, with A-Z lowered, equals the wanted name.
int DeviceNameMatches(LPCSTR lpszName, LPCSTR lpszWanted);

// ---------------------------------------------------------------------------
// Display mode, surfaces and flip

int InitSurfaces(void);
int CreateSurfaces(TestScreenState* lpState);
int CreatePrimarySurface(TestScreenState* lpState);
int GetBackBuffer(TestScreenState* lpState);
HRESULT FillSurface(TestScreenState* lpState, LPDIRECTDRAWSURFACE lpSurface, DWORD color);
int FlipSurfaces(TestScreenState* lpState);
void ReleaseSurfaces(TestScreenState* lpState);
void ReleaseDisplay(TestScreenState* lpState);
DWORD PackDisplayMode(DWORD width, DWORD height, DWORD bitCount);

// ---------------------------------------------------------------------------
// Text overlay

int CreateOverlay(TestScreenState* lpState);
int DrawModeLine(TestScreenState* lpState);
int DrawBanner(TestScreenState* lpState);
int BlitOverlay(TestScreenState* lpState);
int OverlayFontHeight(int modeWidth);
// Left edge that centres an inner span in an outer one, a half pixel to the right.
int CentredOffset(LONG outer, LONG inner);

// ---------------------------------------------------------------------------
// Scene geometry

typedef struct tagMATRIX4 {
    float m[4][4];  // row by row
} MATRIX4;

#define AXIS_X 1
#define AXIS_Y 2
#define AXIS_Z 4

void GetScreenSize(TestScreenState* lpState, int* lpWidth, int* lpHeight);
void BuildBackgroundVertices(TestScreenState* lpState, LPD3DTLVERTEX lpVertices);
void BuildBackgroundBands(LPD3DTLVERTEX lpVertices, int width, int height);
void UpdateCubeVertices(TestScreenState* lpState);
void UpdateCubeForScreen(TestScreenState* lpState, int width, int height);
void RotateVertices(TestScreenState* lpState, LPD3DTLVERTEX lpVertices, int count);
void MapToScreen(LPD3DTLVERTEX lpVertices, int count, float xOffset, float yOffset, float xScale, float yScale);
void MakeRotation(MATRIX4* lpMatrix, float angle, int axis);
void MultiplyMatrix(MATRIX4* lpDest, const MATRIX4* lpA, const MATRIX4* lpB);
void TransformVertex(const MATRIX4* lpMatrix, const D3DTLVERTEX* lpSource, LPD3DTLVERTEX lpDest);
void IdentityMatrix(MATRIX4* lpMatrix);
void CopyMatrix(MATRIX4* lpDest, const MATRIX4* lpSource);
void ZeroMatrix(MATRIX4* lpMatrix);

// ---------------------------------------------------------------------------
// Bitmaps and textures

void LoadBitmapFile(LPCSTR lpszPath, BITMAP* lpImage);
int CreateTextureFromBitmap(TestScreenState* lpState, BITMAP* lpImage, LPDIRECTDRAWSURFACE* lplpSurface,
                            D3DTEXTUREHANDLE* lpHandle, BOOL bColorKeyed);
// Gives the video-memory textures their memory and pictures back after the
// board lost its surfaces.
void RestoreTextures(void);
void ReleaseTextures(TestScreenState* lpState);

// ---------------------------------------------------------------------------
// Execute buffers and frames

int CreateDirect3DObjects(TestScreenState* lpState);
HRESULT CreateExecuteBuffers(TestScreenState* lpState);
int BackgroundStateBuffer(TestScreenState* lpState);
int CubeStateBuffer(TestScreenState* lpState, D3DTEXTUREHANDLE hTexture);
int FillTriangleBuffer(TestScreenState* lpState, int triangles, int vertices, const D3DTLVERTEX* lpVertices);
void DrawTriangles(TestScreenState* lpState);
void DrawBackground(void);
void DrawCube(TestScreenState* lpState);
void ReleaseDirect3DObjects(TestScreenState* lpState);

// Stream writers: each returns the bytes written, or 0 when the stream does
// not fit the capacity.
DWORD WriteBackgroundStates(LPBYTE lpData, DWORD capacity);
DWORD WriteCubeStates(LPBYTE lpData, DWORD capacity, D3DTEXTUREHANDLE hTexture);
DWORD WriteTriangleStream(LPBYTE lpData, DWORD capacity, int triangles, int vertices, const D3DTLVERTEX* lpVertices,
                          D3DEXECUTEDATA* lpExecuteData);
