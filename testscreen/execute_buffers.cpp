// Execute buffers and frames: the Direct3D device on the back buffer, one
// viewport, a state buffer and a triangle buffer, rewritten and run in a
// scene of their own for the background and for each face of the cube.
#include <windows.h>
#include <stdint.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define CUBE_FACES 6

typedef struct tagRENDERSTATE {
    D3DRENDERSTATETYPE type;
    DWORD value;
} RENDERSTATE;

// Captions of the reports of one kind of state buffer.
typedef struct tagSTATEBUFFERCAPTIONS {
    LPCSTR lpszLock;
    LPCSTR lpszUnlock;
    LPCSTR lpszBeginScene;
    LPCSTR lpszExecute;
    LPCSTR lpszEndScene;
} STATEBUFFERCAPTIONS;

static const STATEBUFFERCAPTIONS backgroundCaptions = {
    "BackgroundStateBuffer: Lock",       "BackgroundStateBuffer: Unlock",  "BackgroundStateBuffer: BeginScene",
    "BackgroundStateBuffer: Execute",    "BackgroundStateBuffer: EndScene",
};

static const STATEBUFFERCAPTIONS cubeCaptions = {
    "CubeStateBuffer: Lock",    "CubeStateBuffer: Unlock",  "CubeStateBuffer: BeginScene",
    "CubeStateBuffer: Execute", "CubeStateBuffer: EndScene",
};

// The ramps: Gouraud shaded vertex colours, no texture, nothing culled.
static const RENDERSTATE backgroundStates[] = {
    {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD},   {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE},
    {D3DRENDERSTATE_DITHERENABLE, 1},               {D3DRENDERSTATE_ANTIALIAS, D3DANTIALIAS_NONE},
    {D3DRENDERSTATE_SUBPIXEL, 1},                   {D3DRENDERSTATE_ZENABLE, 0},
    {D3DRENDERSTATE_ZWRITEENABLE, 0},               {D3DRENDERSTATE_ZFUNC, D3DCMP_ALWAYS},
    {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},       {D3DRENDERSTATE_FOGENABLE, 0},
    {D3DRENDERSTATE_TEXTUREHANDLE, 0},
};

#define CUBE_TEXTURE_STATE 10  // index of the texture handle in cubeStates

// A cube face: flat, decal textured with bilinear filtering, clockwise culled.
static const RENDERSTATE cubeStates[] = {
    {D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT},       {D3DRENDERSTATE_CULLMODE, D3DCULL_CW},
    {D3DRENDERSTATE_DITHERENABLE, 1},                {D3DRENDERSTATE_ANTIALIAS, D3DANTIALIAS_SORTDEPENDENT},
    {D3DRENDERSTATE_SUBPIXEL, 1},                    {D3DRENDERSTATE_ZENABLE, 1},
    {D3DRENDERSTATE_ZWRITEENABLE, 1},                {D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},        {D3DRENDERSTATE_FOGENABLE, 0},
    {D3DRENDERSTATE_TEXTUREHANDLE, 0},               {D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_DECAL},
    {D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1},          {D3DRENDERSTATE_TEXTUREMIN, D3DFILTER_LINEAR},
    {D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR},   {D3DRENDERSTATE_WRAPU, 0},
    {D3DRENDERSTATE_WRAPV, 0},
};

#define STATE_COUNT(states) ((int)(sizeof(states) / sizeof((states)[0])))

// Writes an instruction header and returns the position after it.
static LPBYTE PutInstruction(LPBYTE p, BYTE opcode, BYTE size, WORD count)
{
    D3DINSTRUCTION instruction;
    instruction.bOpcode = opcode;
    instruction.bSize = size;
    instruction.wCount = count;
    memcpy(p, &instruction, sizeof instruction);
    return p + sizeof instruction;
}

// Writes the states under one STATERENDER header, then the exit.
static DWORD WriteStateStream(LPBYTE lpData, DWORD capacity, const RENDERSTATE* lpStates, int count)
{
    DWORD length = (DWORD)(sizeof(D3DINSTRUCTION) + count * sizeof(D3DSTATE) + sizeof(D3DINSTRUCTION));
    if (length > capacity)
        return 0;
    LPBYTE p = PutInstruction(lpData, D3DOP_STATERENDER, sizeof(D3DSTATE), (WORD)count);
    for (int i = 0; i < count; i++) {
        D3DSTATE state;
        memset(&state, 0, sizeof state);
        state.drstRenderStateType = lpStates[i].type;
        state.dwArg[0] = lpStates[i].value;
        memcpy(p, &state, sizeof state);
        p += sizeof state;
    }
    PutInstruction(p, D3DOP_EXIT, 0, 0);
    return length;
}

// Writes the background's render states.
DWORD WriteBackgroundStates(LPBYTE lpData, DWORD capacity)
{
    return WriteStateStream(lpData, capacity, backgroundStates, STATE_COUNT(backgroundStates));
}

// Writes a cube face's render states with its texture.
DWORD WriteCubeStates(LPBYTE lpData, DWORD capacity, D3DTEXTUREHANDLE hTexture)
{
    RENDERSTATE states[STATE_COUNT(cubeStates)];
    memcpy(states, cubeStates, sizeof states);
    states[CUBE_TEXTURE_STATE].value = hTexture;
    return WriteStateStream(lpData, capacity, states, STATE_COUNT(states));
}

// Writes the vertices, a copying process-vertices instruction, the triangles and the exit.
DWORD WriteTriangleStream(LPBYTE lpData, DWORD capacity, int triangles, int vertices, const D3DTLVERTEX* lpVertices,
                          D3DEXECUTEDATA* lpExecuteData)
{
    if (triangles < 0 || vertices < 0 || vertices > 0xFFFF || 3 * (long long)triangles > vertices)
        return 0;
    size_t vertexBytes = (size_t)vertices * sizeof(D3DTLVERTEX);
    // An empty triangle instruction puts the triangle records on 8 bytes
    // when the process-vertices record ends on a boundary.
    uintptr_t afterProcess = (uintptr_t)lpData + vertexBytes + sizeof(D3DINSTRUCTION) + sizeof(D3DPROCESSVERTICES);
    BOOL filler = afterProcess % 8 == 0;
    unsigned long long needed = vertexBytes + sizeof(D3DINSTRUCTION) + sizeof(D3DPROCESSVERTICES) +
                                (filler ? sizeof(D3DINSTRUCTION) : 0) +
                                (unsigned long long)triangles * (sizeof(D3DINSTRUCTION) + sizeof(D3DTRIANGLE)) +
                                sizeof(D3DINSTRUCTION);
    if (needed > capacity)
        return 0;
    memset(lpData, 0, capacity);
    memcpy(lpData, lpVertices, vertexBytes);
    LPBYTE lpInstructions = lpData + vertexBytes;

    LPBYTE p = PutInstruction(lpInstructions, D3DOP_PROCESSVERTICES, sizeof(D3DPROCESSVERTICES), 1);
    D3DPROCESSVERTICES process;
    memset(&process, 0, sizeof process);
    process.dwFlags = D3DPROCESSVERTICES_COPY;
    process.wStart = 0;
    process.wDest = 0;
    process.dwCount = (DWORD)vertices;
    memcpy(p, &process, sizeof process);
    p += sizeof process;
    if (filler)
        p = PutInstruction(p, D3DOP_TRIANGLE, sizeof(D3DTRIANGLE), 0);
    for (int i = 0; i < triangles; i++) {
        p = PutInstruction(p, D3DOP_TRIANGLE, sizeof(D3DTRIANGLE), 1);
        D3DTRIANGLE triangle;
        memset(&triangle, 0, sizeof triangle);
        triangle.v1 = (WORD)(3 * i);
        triangle.v2 = (WORD)(3 * i + 1);
        triangle.v3 = (WORD)(3 * i + 2);
        triangle.wFlags = D3DTRIFLAG_EDGEENABLETRIANGLE;
        memcpy(p, &triangle, sizeof triangle);
        p += sizeof triangle;
    }
    p = PutInstruction(p, D3DOP_EXIT, 0, 0);

    memset(lpExecuteData, 0, sizeof *lpExecuteData);
    lpExecuteData->dwSize = sizeof *lpExecuteData;
    lpExecuteData->dwVertexOffset = 0;
    lpExecuteData->dwVertexCount = (DWORD)vertices;
    lpExecuteData->dwInstructionOffset = (DWORD)(lpInstructions - lpData);
    lpExecuteData->dwInstructionLength = (DWORD)(p - lpInstructions);
    return (DWORD)(p - lpData);
}

// Bytes of a locked buffer that may be written: what it was made with, or
// less when the lock says so.
static DWORD LockedCapacity(const D3DEXECUTEBUFFERDESC* lpDesc, DWORD createdSize)
{
    return lpDesc->dwBufferSize != 0 && lpDesc->dwBufferSize < createdSize ? lpDesc->dwBufferSize : createdSize;
}

// Rewrites the state buffer with the given states and runs it in a scene.
static int RunStateBuffer(TestScreenState* lpState, const RENDERSTATE* lpStates, int count,
                          const STATEBUFFERCAPTIONS* lpCaptions)
{
    LPDIRECT3DEXECUTEBUFFER lpBuffer = lpState->lpStateBuffer;
    if (lpBuffer == NULL)
        return 0;
    D3DEXECUTEBUFFERDESC* lpDesc = &lpState->stateBufferDesc;
    memset(lpDesc, 0, sizeof *lpDesc);
    lpDesc->dwSize = sizeof *lpDesc;
    HRESULT result = lpBuffer->Lock(lpDesc);
    if (result != D3D_OK) {
        ReportError(ErrorText(result), lpCaptions->lpszLock);
        return 0;
    }
    DWORD capacity = LockedCapacity(lpDesc, STATE_BUFFER_SIZE);
    memset(lpDesc->lpData, 0, capacity);
    DWORD length = WriteStateStream((LPBYTE)lpDesc->lpData, capacity, lpStates, count);
    result = lpBuffer->Unlock();
    if (result != D3D_OK) {
        ReportError(ErrorText(result), lpCaptions->lpszUnlock);
        return 0;
    }
    if (length == 0)
        return 0;

    D3DEXECUTEDATA data;
    memset(&data, 0, sizeof data);
    data.dwSize = sizeof data;
    data.dwInstructionOffset = 0;
    data.dwInstructionLength = length;
    lpBuffer->SetExecuteData(&data);

    if ((result = lpState->lpD3DDevice->BeginScene()) != D3D_OK) {
        ReportError(ErrorText(result), lpCaptions->lpszBeginScene);
        return 0;
    }
    if ((result = lpState->lpD3DDevice->Execute(lpBuffer, lpState->lpViewport, D3DEXECUTE_UNCLIPPED)) != D3D_OK) {
        ReportError(ErrorText(result), lpCaptions->lpszExecute);
        return 0;
    }
    if ((result = lpState->lpD3DDevice->EndScene()) != D3D_OK) {
        ReportError(ErrorText(result), lpCaptions->lpszEndScene);
        return 0;
    }
    return 1;
}

// Runs the background's render states in a scene of their own.
int BackgroundStateBuffer(TestScreenState* lpState)
{
    return RunStateBuffer(lpState, backgroundStates, STATE_COUNT(backgroundStates), &backgroundCaptions);
}

// Runs a cube face's render states, with its texture, in a scene of their own.
int CubeStateBuffer(TestScreenState* lpState, D3DTEXTUREHANDLE hTexture)
{
    RENDERSTATE states[STATE_COUNT(cubeStates)];
    memcpy(states, cubeStates, sizeof states);
    states[CUBE_TEXTURE_STATE].value = hTexture;
    return RunStateBuffer(lpState, states, STATE_COUNT(states), &cubeCaptions);
}

// Writes vertices and triangles into the triangle buffer and sets its execute data.
int FillTriangleBuffer(TestScreenState* lpState, int triangles, int vertices, const D3DTLVERTEX* lpVertices)
{
    LPDIRECT3DEXECUTEBUFFER lpBuffer = lpState->lpTriangleBuffer;
    if (lpBuffer == NULL)
        return 0;
    D3DEXECUTEBUFFERDESC* lpDesc = &lpState->triangleBufferDesc;
    memset(lpDesc, 0, sizeof *lpDesc);
    lpDesc->dwSize = sizeof *lpDesc;
    if (lpBuffer->Lock(lpDesc) != D3D_OK) {
        ReportError("Error Triangle Buffer Lock failed\n", APP_TITLE);
        return 0;
    }
    D3DEXECUTEDATA data;
    DWORD length = WriteTriangleStream((LPBYTE)lpDesc->lpData, LockedCapacity(lpDesc, lpState->triangleBufferSize),
                                       triangles, vertices, lpVertices, &data);
    if (lpBuffer->Unlock() != D3D_OK) {
        ReportError("Error Triangle Buffer Unlock failed\n", APP_TITLE);
        return 0;
    }
    if (length == 0)
        return 0;
    if (lpBuffer->SetExecuteData(&data) != D3D_OK) {
        ReportError("Error SetExecuteData for triangles failed\n", APP_TITLE);
        return 0;
    }
    return 1;
}

// Runs the triangle buffer in a scene of its own.
void DrawTriangles(TestScreenState* lpState)
{
    HRESULT result = lpState->lpD3DDevice->BeginScene();
    if (result != D3D_OK)
        ReportError(ErrorText(result), "DrawTriangles: BeginScene");
    result = lpState->lpD3DDevice->Execute(lpState->lpTriangleBuffer, lpState->lpViewport, D3DEXECUTE_UNCLIPPED);
    if (result != D3D_OK)
        ReportError(ErrorText(result), "DrawTriangles: Execute");
    result = lpState->lpD3DDevice->EndScene();
    if (result != D3D_OK)
        ReportError(ErrorText(result), "DrawTriangles: EndScene");
}

// Draws the four ramps.
void DrawBackground(void)
{
    if (!BackgroundStateBuffer(&testScreen)) {
        ReportError("Error unable to create Background Direct3D State Buffer\n", APP_TITLE);
        return;
    }
    int filled = testScreen.lpBackgroundVertices != NULL
                     ? FillTriangleBuffer(&testScreen, BACKGROUND_TRIANGLES, BACKGROUND_VERTICES,
                                          testScreen.lpBackgroundVertices)
                     : 0;
    if (!filled) {
        ReportError("Error unable to create Background Direct3D Tri Buffer\n", APP_TITLE);
        return;
    }
    DrawTriangles(&testScreen);
}

// Draws the six faces of the cube, each with its own texture.
void DrawCube(TestScreenState* lpState)
{
    if (lpState->lpCubeVertices == NULL)
        return;
    for (int face = 0; face < CUBE_FACES; face++) {
        if (!CubeStateBuffer(lpState, lpState->textureHandles[face % TEXTURE_COUNT])) {
            ReportError("Error unable to create Cube Direct3D State Buffer\n", APP_TITLE);
            return;
        }
        FillTriangleBuffer(lpState, 2, CUBE_FACE_VERTICES, lpState->lpCubeVertices + CUBE_FACE_VERTICES * face);
        DrawTriangles(lpState);
    }
}

// Makes one execute buffer of the given size, releasing an earlier one.
static HRESULT CreateExecuteBuffer(TestScreenState* lpState, DWORD size, LPDIRECT3DEXECUTEBUFFER* lplpBuffer)
{
    if (*lplpBuffer != NULL) {
        (*lplpBuffer)->Release();
        *lplpBuffer = NULL;
    }
    D3DEXECUTEBUFFERDESC desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = D3DDEB_BUFSIZE;
    desc.dwBufferSize = size;
    HRESULT result = lpState->lpD3DDevice->CreateExecuteBuffer(&desc, lplpBuffer, NULL);
    if (result != D3D_OK)
        *lplpBuffer = NULL;
    return result;
}

// Makes the state buffer and the triangle buffer; answers the triangle buffer's result.
HRESULT CreateExecuteBuffers(TestScreenState* lpState)
{
    lpState->stateBufferSize = STATE_BUFFER_SIZE;
    CreateExecuteBuffer(lpState, STATE_BUFFER_SIZE, &lpState->lpStateBuffer);
    // Room for every vertex record and for the instructions of every
    // triangle, plus the process-vertices instruction and the exit.
    lpState->triangleBufferSize = (DWORD)(lpState->maxVertices * sizeof(D3DTLVERTEX) +
                                          (lpState->maxTriangles + 2) * (sizeof(D3DINSTRUCTION) + sizeof(D3DTRIANGLE)));
    return CreateExecuteBuffer(lpState, lpState->triangleBufferSize, &lpState->lpTriangleBuffer);
}

// Makes the Direct3D device on the back buffer, its viewport and the execute buffers.
int CreateDirect3DObjects(TestScreenState* lpState)
{
    HRESULT result = E_FAIL;
    if (lpState->lpBackBuffer != NULL)
        result = lpState->lpBackBuffer->QueryInterface(lpState->d3dDeviceGuid, (LPVOID*)&lpState->lpD3DDevice);
    if (result != D3D_OK && lpState->lpFrontBuffer != NULL)
        result = lpState->lpFrontBuffer->QueryInterface(lpState->d3dDeviceGuid, (LPVOID*)&lpState->lpD3DDevice);
    if (result != D3D_OK) {
        lpState->lpD3DDevice = NULL;
        ReportError(ErrorText(result), "CreateDirect3DObjects: QueryInterface");
        return 0;
    }
    result = lpState->lpD3D->CreateViewport(&lpState->lpViewport, NULL);
    if (result != D3D_OK) {
        lpState->lpViewport = NULL;
        ReportError(ErrorText(result), "CreateDirect3DObjects: CreateViewport");
        return 0;
    }
    result = lpState->lpD3DDevice->AddViewport(lpState->lpViewport);
    if (result != D3D_OK) {
        ReportError(ErrorText(result), "CreateDirect3DObjects: AddViewport");
        return 0;
    }
    D3DVIEWPORT viewport;
    memset(&viewport, 0, sizeof viewport);
    viewport.dwSize = sizeof viewport;
    viewport.dwX = 0;
    viewport.dwY = 0;
    viewport.dwWidth = (DWORD)lpState->width;
    viewport.dwHeight = (DWORD)lpState->height;
    viewport.dvScaleX = (D3DVALUE)lpState->width * 0.5f;
    viewport.dvScaleY = (D3DVALUE)lpState->height * 0.5f;
    viewport.dvMaxX = (D3DVALUE)lpState->width / (viewport.dvScaleX * 2.0f);
    viewport.dvMaxY = (D3DVALUE)lpState->height / (viewport.dvScaleY * 2.0f);
    viewport.dvMinZ = 0.0f;
    viewport.dvMaxZ = 0.0f;
    if (lpState->lpViewport->SetViewport(&viewport) != D3D_OK)
        return 0;
    CreateExecuteBuffers(lpState);
    return 1;
}

// Releases the execute buffers, the viewport, the device and the Direct3D interface.
void ReleaseDirect3DObjects(TestScreenState* lpState)
{
    if (lpState->lpStateBuffer != NULL)
        lpState->lpStateBuffer->Release();
    if (lpState->lpTriangleBuffer != NULL)
        lpState->lpTriangleBuffer->Release();
    if (lpState->lpViewport != NULL) {
        if (lpState->lpD3DDevice != NULL)
            lpState->lpD3DDevice->DeleteViewport(lpState->lpViewport);
        lpState->lpViewport->Release();
    }
    if (lpState->lpD3DDevice != NULL)
        lpState->lpD3DDevice->Release();
    if (lpState->lpD3D != NULL)
        lpState->lpD3D->Release();
    lpState->lpStateBuffer = NULL;
    lpState->lpTriangleBuffer = NULL;
    lpState->lpViewport = NULL;
    lpState->lpD3DDevice = NULL;
    lpState->lpD3D = NULL;
}
