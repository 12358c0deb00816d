// Scene geometry in screen space: four colour ramps behind a unit cube that
// tumbles one degree a frame about its centre, projected without perspective
// so that one unit spans a quarter of the screen in each direction.
#include <windows.h>
#include <math.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define OPAQUE_BLACK 0xFF000000u
#define BAND_COUNT 4
#define RAMP_END 0.999f  // texture coordinates of the ramps' far edges

typedef struct tagMODELVERTEX {
    float x, y, z;  // model space, the cube's centre at the origin
    float tu, tv;
} MODELVERTEX;

// The cube of edge 1, two triangles a face; face k carries texture slot k.
static const MODELVERTEX cubeModel[CUBE_VERTICES] = {
    // face 0, z = -0.5
    {-0.5f, -0.5f, -0.5f, 1, 1}, {0.5f, -0.5f, -0.5f, 0, 1}, {0.5f, 0.5f, -0.5f, 0, 0},
    {-0.5f, -0.5f, -0.5f, 1, 1}, {0.5f, 0.5f, -0.5f, 0, 0}, {-0.5f, 0.5f, -0.5f, 1, 0},
    // face 1, z = +0.5
    {0.5f, -0.5f, 0.5f, 1, 1}, {-0.5f, -0.5f, 0.5f, 0, 1}, {-0.5f, 0.5f, 0.5f, 0, 0},
    {0.5f, -0.5f, 0.5f, 1, 1}, {-0.5f, 0.5f, 0.5f, 0, 0}, {0.5f, 0.5f, 0.5f, 1, 0},
    // face 2, y = -0.5
    {-0.5f, -0.5f, 0.5f, 0, 0}, {0.5f, -0.5f, 0.5f, 1, 0}, {0.5f, -0.5f, -0.5f, 1, 1},
    {-0.5f, -0.5f, 0.5f, 0, 0}, {0.5f, -0.5f, -0.5f, 1, 1}, {-0.5f, -0.5f, -0.5f, 0, 1},
    // face 3, y = +0.5
    {-0.5f, 0.5f, -0.5f, 0, 0}, {0.5f, 0.5f, -0.5f, 1, 0}, {0.5f, 0.5f, 0.5f, 1, 1},
    {-0.5f, 0.5f, -0.5f, 0, 0}, {0.5f, 0.5f, 0.5f, 1, 1}, {-0.5f, 0.5f, 0.5f, 0, 1},
    // face 4, x = -0.5
    {-0.5f, -0.5f, 0.5f, 0, 0}, {-0.5f, -0.5f, -0.5f, 1, 0}, {-0.5f, 0.5f, -0.5f, 1, 1},
    {-0.5f, -0.5f, 0.5f, 0, 0}, {-0.5f, 0.5f, -0.5f, 1, 1}, {-0.5f, 0.5f, 0.5f, 0, 1},
    // face 5, x = +0.5
    {0.5f, -0.5f, -0.5f, 0, 1}, {0.5f, -0.5f, 0.5f, 1, 1}, {0.5f, 0.5f, 0.5f, 1, 0},
    {0.5f, -0.5f, -0.5f, 0, 1}, {0.5f, 0.5f, 0.5f, 1, 0}, {0.5f, 0.5f, -0.5f, 0, 0},
};

// Band colours from the top: red, green, blue, white.
static const D3DCOLOR bandColors[BAND_COUNT] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};

// Reads the size of one surface; 0 when its description cannot be had.
static BOOL ReadSurfaceSize(LPDIRECTDRAWSURFACE lpSurface, int* lpWidth, int* lpHeight)
{
    if (lpSurface == NULL)
        return FALSE;
    DDSURFACEDESC ddsd;
    memset(&ddsd, 0, sizeof ddsd);
    ddsd.dwSize = sizeof ddsd;
    if (lpSurface->GetSurfaceDesc(&ddsd) != DD_OK)
        return FALSE;
    *lpWidth = (int)ddsd.dwWidth;
    *lpHeight = (int)ddsd.dwHeight;
    return TRUE;
}

// Reads the screen size from the back buffer, else the front buffer; 0 when neither answers.
void GetScreenSize(TestScreenState* lpState, int* lpWidth, int* lpHeight)
{
    *lpWidth = 0;
    *lpHeight = 0;
    if (!ReadSurfaceSize(lpState->lpBackBuffer, lpWidth, lpHeight))
        ReadSurfaceSize(lpState->lpFrontBuffer, lpWidth, lpHeight);
}

// Writes one vertex of a background band.
static void SetBandVertex(LPD3DTLVERTEX lpVertex, float x, float y, D3DCOLOR color, float tu, float tv)
{
    lpVertex->sx = x;
    lpVertex->sy = y;
    lpVertex->sz = 1.0f;
    lpVertex->rhw = 1.0f;
    lpVertex->color = color;
    lpVertex->tu = tu;
    lpVertex->tv = tv;
}

// Writes the 24 vertices of the four ramps for a screen of the given size.
void BuildBackgroundBands(LPD3DTLVERTEX lpVertices, int width, int height)
{
    float bandHeight = (float)height * 0.25f;
    float right = (float)width - 1.0f;
    for (int i = 0; i < BAND_COUNT; i++) {
        float y0 = (float)i * bandHeight;
        float y1 = y0 + bandHeight;
        LPD3DTLVERTEX v = lpVertices + 6 * i;
        SetBandVertex(&v[0], 0.0f, y0, OPAQUE_BLACK, 0.0f, 0.0f);
        SetBandVertex(&v[1], right, y0, bandColors[i], RAMP_END, 0.0f);
        SetBandVertex(&v[2], right, y1, bandColors[i], RAMP_END, RAMP_END);
        SetBandVertex(&v[3], 0.0f, y0, OPAQUE_BLACK, 0.0f, 0.0f);
        SetBandVertex(&v[4], right, y1, bandColors[i], RAMP_END, RAMP_END);
        SetBandVertex(&v[5], 0.0f, y1, OPAQUE_BLACK, 0.0f, RAMP_END);
    }
}

// Writes the ramps for the size of the surfaces.
void BuildBackgroundVertices(TestScreenState* lpState, LPD3DTLVERTEX lpVertices)
{
    int width;
    int height;
    GetScreenSize(lpState, &width, &height);
    BuildBackgroundBands(lpVertices, width, height);
}

// Writes the cube for this frame, turned by the current angle, for a screen of the given size.
void UpdateCubeForScreen(TestScreenState* lpState, int width, int height)
{
    LPD3DTLVERTEX lpVertices = lpState->lpCubeVertices;
    if (lpVertices == NULL)
        return;
    for (int i = 0; i < CUBE_VERTICES; i++) {
        lpVertices[i].sx = cubeModel[i].x;
        lpVertices[i].sy = cubeModel[i].y;
        lpVertices[i].sz = cubeModel[i].z;
        lpVertices[i].rhw = 1.0f;
        lpVertices[i].tu = cubeModel[i].tu;
        lpVertices[i].tv = cubeModel[i].tv;
    }
    RotateVertices(lpState, lpVertices, CUBE_VERTICES);
    MapToScreen(lpVertices, CUBE_VERTICES, (float)width * 0.5f, (float)height * 0.5f, (float)width * 0.25f,
                (float)height * 0.25f);
}

// Writes the cube for this frame at the size of the surfaces.
void UpdateCubeVertices(TestScreenState* lpState)
{
    if (lpState->lpCubeVertices == NULL)
        return;
    int width;
    int height;
    GetScreenSize(lpState, &width, &height);
    UpdateCubeForScreen(lpState, width, height);
}

// Turns the vertices about all three axes by the current angle, then advances it a degree.
void RotateVertices(TestScreenState* lpState, LPD3DTLVERTEX lpVertices, int count)
{
    MATRIX4 rotateX;
    MATRIX4 rotateY;
    MATRIX4 rotateZ;
    MATRIX4 composite;
    float angle = lpState->rotationAngle;
    MakeRotation(&rotateX, angle, AXIS_X);
    MakeRotation(&rotateY, angle, AXIS_Y);
    MakeRotation(&rotateZ, angle, AXIS_Z);
    // R = Ry . Rx . Ry . Rz, the same angle in every factor.
    CopyMatrix(&composite, &rotateY);
    MultiplyMatrix(&composite, &composite, &rotateX);
    MultiplyMatrix(&composite, &composite, &rotateY);
    MultiplyMatrix(&composite, &composite, &rotateZ);
    for (int i = 0; i < count; i++)
        TransformVertex(&composite, &lpVertices[i], &lpVertices[i]);
    lpState->rotationAngle += 1.0f;
}

// Scales and offsets x and y of the vertices onto the screen.
void MapToScreen(LPD3DTLVERTEX lpVertices, int count, float xOffset, float yOffset, float xScale, float yScale)
{
    for (int i = 0; i < count; i++) {
        lpVertices[i].sx = xOffset + lpVertices[i].sx * xScale;
        lpVertices[i].sy = yOffset + lpVertices[i].sy * yScale;
    }
}

// A rotation by the angle in degrees about one axis (1 x, 2 y, 4 z); another code gives the identity.
void MakeRotation(MATRIX4* lpMatrix, float angle, int axis)
{
    // Degrees to radians with the float constants, the product kept in double.
    double radians = (double)angle * (double)3.1415927f * (double)0.0055555557f;
    float c = (float)cos(radians);
    float s = (float)sin(radians);
    IdentityMatrix(lpMatrix);
    switch (axis) {
    case AXIS_X:
        lpMatrix->m[1][1] = c;
        lpMatrix->m[1][2] = s;
        lpMatrix->m[2][1] = -s;
        lpMatrix->m[2][2] = c;
        break;
    case AXIS_Y:
        lpMatrix->m[0][0] = c;
        lpMatrix->m[0][2] = -s;
        lpMatrix->m[2][0] = s;
        lpMatrix->m[2][2] = c;
        break;
    case AXIS_Z:
        lpMatrix->m[0][0] = c;
        lpMatrix->m[0][1] = s;
        lpMatrix->m[1][0] = -s;
        lpMatrix->m[1][1] = c;
        break;
    default:
        break;
    }
}

// D = A . B; D may be A or B.
void MultiplyMatrix(MATRIX4* lpDest, const MATRIX4* lpA, const MATRIX4* lpB)
{
    // Into a temporary first, so the destination may be either factor.
    MATRIX4 product;
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++)
                sum += lpA->m[i][k] * lpB->m[k][j];
            product.m[i][j] = sum;
        }
    }
    CopyMatrix(lpDest, &product);
}

// Multiplies the vertex position by the upper-left 3x3 block.
void TransformVertex(const MATRIX4* lpMatrix, const D3DTLVERTEX* lpSource, LPD3DTLVERTEX lpDest)
{
    float x = lpSource->sx;
    float y = lpSource->sy;
    float z = lpSource->sz;
    if (lpDest != lpSource)
        *lpDest = *lpSource;  // rhw, colours and texture coordinates pass through
    lpDest->sx = lpMatrix->m[0][0] * x + lpMatrix->m[0][1] * y + lpMatrix->m[0][2] * z;
    lpDest->sy = lpMatrix->m[1][0] * x + lpMatrix->m[1][1] * y + lpMatrix->m[1][2] * z;
    lpDest->sz = lpMatrix->m[2][0] * x + lpMatrix->m[2][1] * y + lpMatrix->m[2][2] * z;
}

// Sets the matrix to the identity.
void IdentityMatrix(MATRIX4* lpMatrix)
{
    ZeroMatrix(lpMatrix);
    for (int i = 0; i < 4; i++)
        lpMatrix->m[i][i] = 1.0f;
}

// Copies a matrix.
void CopyMatrix(MATRIX4* lpDest, const MATRIX4* lpSource)
{
    memcpy(lpDest, lpSource, sizeof *lpDest);
}

// Sets every entry of the matrix to 0.
void ZeroMatrix(MATRIX4* lpMatrix)
{
    memset(lpMatrix, 0, sizeof *lpMatrix);
}
