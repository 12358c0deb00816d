// Bitmaps and textures: a Windows bitmap file becomes a 16-bit image in
// memory, and the image becomes a Direct3D texture whose handle the cube's
// state buffers select.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "testscreen/test_screen.h"

#define BITMAP_FILE_TYPE 0x4D42  // "BM"
#define FILE_HEADER_SIZE 14
#define INFO_HEADER_SIZE 40
#define PALETTE_ENTRIES 256
#define PALETTE_ENTRY_SIZE 4
#define LARGEST_BUFFER 0xFFFFFFFFull  // buffer sizes must fit 32 bits

// The Direct3D objects of one texture, kept so the tear-down releases them.
typedef struct tagTEXTUREOBJECTS {
    LPDIRECT3DTEXTURE lpSrcTexture;             // of the system-memory surface
    LPDIRECTDRAWSURFACE lpDDVideoMemoryTexture; // the copy in video memory
    LPDIRECT3DTEXTURE lpVideoMemoryTexture;     // of the video-memory copy
} TEXTUREOBJECTS;

static TEXTUREOBJECTS textureObjects[TEXTURE_COUNT];
static int textureObjectCount;

// The header fields the reader uses, from the file's first 54 bytes.
typedef struct tagBITMAPHEADERS {
    DWORD pixelOffset;  // where the pixel rows start
    DWORD headerSize;   // size of the info header; the palette follows it
    LONG width;
    LONG height;
    WORD bitCount;
    DWORD colorsUsed;
} BITMAPHEADERS;

// Little-endian fields.
static WORD ReadWord(const BYTE* p)
{
    return (WORD)(p[0] | (p[1] << 8));
}

static DWORD ReadDword(const BYTE* p)
{
    return (DWORD)p[0] | ((DWORD)p[1] << 8) | ((DWORD)p[2] << 16) | ((DWORD)p[3] << 24);
}

// Bytes of a row of width pixels, rounded up to a multiple of 4.
static unsigned long long RowStride(LONG width, unsigned bitCount)
{
    return (((unsigned long long)width * bitCount + 31) & ~31ull) / 8;
}

// One RGB565-style texel: five bits of each colour, green in bits 5 to 9.
static WORD MakeTexel(BYTE red, BYTE green, BYTE blue)
{
    return (WORD)(((red >> 3) << 11) | ((green >> 3) << 5) | (blue >> 3));
}

// Reads the file and info headers; FALSE when the file is short or not "BM".
static BOOL ReadHeaders(FILE* file, BITMAPHEADERS* lpHeaders)
{
    BYTE fileHeader[FILE_HEADER_SIZE];
    BYTE infoHeader[INFO_HEADER_SIZE];
    if (fread(fileHeader, 1, sizeof fileHeader, file) != sizeof fileHeader ||
        ReadWord(fileHeader) != BITMAP_FILE_TYPE)
        return FALSE;
    if (fread(infoHeader, 1, sizeof infoHeader, file) != sizeof infoHeader)
        return FALSE;
    lpHeaders->pixelOffset = ReadDword(fileHeader + 10);
    lpHeaders->headerSize = ReadDword(infoHeader);
    lpHeaders->width = (LONG)ReadDword(infoHeader + 4);
    lpHeaders->height = (LONG)ReadDword(infoHeader + 8);
    lpHeaders->bitCount = ReadWord(infoHeader + 14);
    lpHeaders->colorsUsed = ReadDword(infoHeader + 32);
    return TRUE;
}

// 1 when the file holds count bytes from offset on; nothing is read.
static BOOL FileHolds(FILE* file, unsigned long long offset, unsigned long long count)
{
    if (fseek(file, 0, SEEK_END) != 0)
        return FALSE;
    long fileSize = ftell(file);
    return fileSize >= 0 && offset <= (unsigned long long)fileSize && count <= (unsigned long long)fileSize - offset;
}

// Reads count bytes at offset; FALSE when the file ends before them.
static BOOL ReadAt(FILE* file, unsigned long long offset, void* lpBuffer, size_t count)
{
    return FileHolds(file, offset, count) && fseek(file, (long)offset, SEEK_SET) == 0 &&
           fread(lpBuffer, 1, count, file) == count;
}

// Reads the palette of a 4- or 8-bit file into 256 texels; entries the file
// does not supply stay black.
static BOOL ReadPalette(FILE* file, const BITMAPHEADERS* lpHeaders, WORD* lpPalette)
{
    DWORD count = lpHeaders->colorsUsed != 0 ? lpHeaders->colorsUsed : 1u << lpHeaders->bitCount;
    if (count > PALETTE_ENTRIES)
        count = PALETTE_ENTRIES;
    BYTE entries[PALETTE_ENTRIES * PALETTE_ENTRY_SIZE];
    memset(lpPalette, 0, PALETTE_ENTRIES * sizeof(WORD));
    if (!ReadAt(file, (unsigned long long)FILE_HEADER_SIZE + lpHeaders->headerSize, entries,
                count * PALETTE_ENTRY_SIZE))
        return FALSE;
    for (DWORD i = 0; i < count; i++) {
        const BYTE* entry = entries + i * PALETTE_ENTRY_SIZE;  // blue, green, red, reserved
        lpPalette[i] = MakeTexel(entry[2], entry[1], entry[0]);
    }
    return TRUE;
}

// Converts one row of the file into texels, one loop per depth so the loop
// itself does not branch on it. Offsets are counted in size_t, so no width a
// file can give overflows them.
static void ConvertRow(const BYTE* lpSource, WORD* lpDest, size_t width, WORD bitCount, const WORD* lpPalette)
{
    switch (bitCount) {
    case 4:
        // Two pixels a byte, the left one in the high nibble.
        for (size_t x = 0; x < width; x++) {
            BYTE pair = lpSource[x / 2];
            lpDest[x] = lpPalette[(x & 1) ? (pair & 0x0F) : (pair >> 4)];
        }
        break;
    case 8:
        for (size_t x = 0; x < width; x++)
            lpDest[x] = lpPalette[lpSource[x]];
        break;
    case 16:
        for (size_t x = 0; x < width; x++)
            lpDest[x] = (WORD)(ReadWord(lpSource + 2 * x) | 0x8000);
        break;
    default:  // 24: blue, green, red
        for (size_t x = 0; x < width; x++)
            lpDest[x] = MakeTexel(lpSource[3 * x + 2], lpSource[3 * x + 1], lpSource[3 * x]);
        break;
    }
}


// Reads a 4-, 8-, 16- or 24-bit bitmap file into a 16-bit image; no pixels on any failure.
void LoadBitmapFile(LPCSTR lpszPath, BITMAP* lpImage)
{
    lpImage->bmBits = NULL;
    FILE* file = fopen(lpszPath, "rb");
    if (file == NULL)
        return;
    BITMAPHEADERS headers;
    WORD palette[PALETTE_ENTRIES];
    BYTE* lpSource = NULL;
    WORD* lpPixels = NULL;
    unsigned long long destStride = 0;
    unsigned long long sourceStride = 0;
    BOOL ok = ReadHeaders(file, &headers);
    if (ok) {
        lpImage->bmType = 0;
        lpImage->bmWidth = headers.width;
        lpImage->bmHeight = headers.height;
        lpImage->bmPlanes = 1;
        lpImage->bmBitsPixel = 16;
        // Top-down (negative height) and empty images are refused.
        ok = headers.width > 0 && headers.height > 0 &&
             (headers.bitCount == 4 || headers.bitCount == 8 || headers.bitCount == 16 || headers.bitCount == 24);
    }
    if (ok) {
        destStride = RowStride(headers.width, 16);
        sourceStride = RowStride(headers.width, headers.bitCount);
        // The image's stride is a LONG (bmWidthBytes), and so is a texture's pitch.
        ok = destStride <= 0x7FFFFFFFull &&
             destStride * (unsigned long long)headers.height <= LARGEST_BUFFER &&
             sourceStride * (unsigned long long)headers.height <= LARGEST_BUFFER;
        lpImage->bmWidthBytes = ok ? (LONG)destStride : 0;
    }
    // Nothing is allocated for pixels the file does not hold.
    if (ok)
        ok = FileHolds(file, headers.pixelOffset, sourceStride * (unsigned long long)headers.height);
    if (ok && headers.bitCount <= 8)
        ok = ReadPalette(file, &headers, palette);
    if (ok) {
        size_t sourceSize = (size_t)(sourceStride * (unsigned long long)headers.height);
        lpSource = (BYTE*)malloc(sourceSize);
        ok = lpSource != NULL && ReadAt(file, headers.pixelOffset, lpSource, sourceSize);
    }
    if (ok) {
        lpPixels = (WORD*)calloc((size_t)headers.height, (size_t)destStride);
        ok = lpPixels != NULL;
    }
    if (ok) {
        // Rows keep their file order: a bottom-up file stays bottom-up.
        for (LONG y = 0; y < headers.height; y++)
            ConvertRow(lpSource + (size_t)y * sourceStride, (WORD*)((BYTE*)lpPixels + (size_t)y * destStride),
                       (size_t)headers.width, headers.bitCount, palette);
        lpImage->bmBits = lpPixels;
    }
    free(lpSource);
    fclose(file);
}

// Releases the Direct3D objects of one texture and clears the record.
static void ReleaseTextureObjects(TEXTUREOBJECTS* lpObjects)
{
    if (lpObjects->lpVideoMemoryTexture != NULL)
        lpObjects->lpVideoMemoryTexture->Release();
    if (lpObjects->lpDDVideoMemoryTexture != NULL)
        lpObjects->lpDDVideoMemoryTexture->Release();
    if (lpObjects->lpSrcTexture != NULL)
        lpObjects->lpSrcTexture->Release();
    memset(lpObjects, 0, sizeof *lpObjects);
}

// Reads the description of the surface the scene is drawn on.
static BOOL ReadDisplaySurfaceDesc(TestScreenState* lpState, DDSURFACEDESC* lpDesc)
{
    memset(lpDesc, 0, sizeof *lpDesc);
    lpDesc->dwSize = sizeof *lpDesc;
    if (lpState->lpBackBuffer != NULL && lpState->lpBackBuffer->GetSurfaceDesc(lpDesc) == DD_OK)
        return TRUE;
    memset(lpDesc, 0, sizeof *lpDesc);
    lpDesc->dwSize = sizeof *lpDesc;
    return lpState->lpFrontBuffer != NULL && lpState->lpFrontBuffer->GetSurfaceDesc(lpDesc) == DD_OK;
}

// Makes black the transparent colour of a texture surface.
static void SetBlackColorKey(LPDIRECTDRAWSURFACE lpSurface)
{
    DDCOLORKEY colorKey;
    colorKey.dwColorSpaceLowValue = 0;
    colorKey.dwColorSpaceHighValue = 0;
    lpSurface->SetColorKey(DDCKEY_SRCBLT, &colorKey);
}

// Copies the image into locked surface memory row by row, each row within
// both the surface's pitch and the image's stride.
static void CopyImageRows(const BITMAP* lpImage, const DDSURFACEDESC* lpLocked)
{
    size_t rowBytes = (size_t)lpImage->bmWidth * sizeof(WORD);
    if (lpLocked->lPitch > 0 && rowBytes > (size_t)lpLocked->lPitch)
        rowBytes = (size_t)lpLocked->lPitch;
    if (rowBytes > (size_t)lpImage->bmWidthBytes)
        rowBytes = (size_t)lpImage->bmWidthBytes;
    LONG rows = lpImage->bmHeight;
    if ((DWORD)rows > lpLocked->dwHeight)
        rows = (LONG)lpLocked->dwHeight;
    for (LONG y = 0; y < rows; y++)
        memcpy((BYTE*)lpLocked->lpSurface + (size_t)y * (size_t)lpLocked->lPitch,
               (const BYTE*)lpImage->bmBits + (size_t)y * (size_t)lpImage->bmWidthBytes, rowBytes);
}

// Makes a Direct3D texture of the image and gets its handle; reports and answers 0 on failure.
int CreateTextureFromBitmap(TestScreenState* lpState, BITMAP* lpImage, LPDIRECTDRAWSURFACE* lplpSurface,
                            D3DTEXTUREHANDLE* lpHandle, BOOL bColorKeyed)
{
    DDSURFACEDESC display;
    BOOL inVideoMemory = ReadDisplaySurfaceDesc(lpState, &display) && (display.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);

    DDSURFACEDESC ddsd;
    memset(&ddsd, 0, sizeof ddsd);
    ddsd.dwSize = sizeof ddsd;
    ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_TEXTURE;
    ddsd.dwWidth = (DWORD)lpImage->bmWidth;
    ddsd.dwHeight = (DWORD)lpImage->bmHeight;
    // In 64 bits: a wide image must not wrap the pitch round to a small number.
    unsigned long long pitch = (unsigned long long)(DWORD)lpImage->bmWidth * (lpImage->bmBitsPixel / 8);
    if (lpImage->bmWidth <= 0 || lpImage->bmHeight <= 0 || pitch > 0x7FFFFFFFull) {
        *lplpSurface = NULL;
        ReportError(ErrorText(DDERR_INVALIDPARAMS), "Could not CreateSurface on lpSrcTexture");
        return 0;
    }
    ddsd.lPitch = (LONG)pitch;
    ddsd.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    ddsd.ddpfPixelFormat.dwFlags = DDPF_RGB;
    ddsd.ddpfPixelFormat.dwRGBBitCount = 16;
    ddsd.ddpfPixelFormat.dwRBitMask = 0xF800;
    ddsd.ddpfPixelFormat.dwGBitMask = 0x07E0;
    ddsd.ddpfPixelFormat.dwBBitMask = 0x001F;
    ddsd.ddpfPixelFormat.dwRGBAlphaBitMask = 0;
    HRESULT ddrval = lpState->lpDD->CreateSurface(&ddsd, lplpSurface, NULL);
    if (ddrval != DD_OK) {
        *lplpSurface = NULL;
        ReportError(ErrorText(ddrval), "Could not CreateSurface on lpSrcTexture");
        return 0;
    }
    LPDIRECTDRAWSURFACE lpSurface = *lplpSurface;
    if (bColorKeyed)
        SetBlackColorKey(lpSurface);

    memset(&ddsd, 0, sizeof ddsd);
    ddsd.dwSize = sizeof ddsd;
    ddrval = lpSurface->Lock(NULL, &ddsd, 0, NULL);
    if (ddrval != DD_OK) {
        ReportError(ErrorText(ddrval), "Could not Lock on lpSrcTexture");
        return 0;
    }
    CopyImageRows(lpImage, &ddsd);
    lpSurface->Unlock(ddsd.lpSurface);

    // Kept for the tear-down, a record per texture; more textures than
    // slots reuse the last record, releasing what it held.
    if (textureObjectCount >= TEXTURE_COUNT)
        textureObjectCount = TEXTURE_COUNT - 1;
    TEXTUREOBJECTS* lpObjects = &textureObjects[textureObjectCount++];
    ReleaseTextureObjects(lpObjects);
    lpSurface->QueryInterface(IID_IDirect3DTexture, (LPVOID*)&lpObjects->lpSrcTexture);
    if (!inVideoMemory) {
        if (lpObjects->lpSrcTexture != NULL)
            lpObjects->lpSrcTexture->GetHandle(lpState->lpD3DDevice, lpHandle);
        return 1;
    }

    ddsd.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    ddsd.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_ALLOCONLOAD;
    ddsd.lpSurface = NULL;
    ddrval = lpState->lpDD->CreateSurface(&ddsd, &lpObjects->lpDDVideoMemoryTexture, NULL);
    if (ddrval != DD_OK) {
        lpObjects->lpDDVideoMemoryTexture = NULL;
        ReportError(ErrorText(ddrval), "Could not CreateSurface on lpDDVideoMemoryTexture");
        return 0;
    }
    if (bColorKeyed)
        SetBlackColorKey(lpObjects->lpDDVideoMemoryTexture);
    lpObjects->lpDDVideoMemoryTexture->QueryInterface(IID_IDirect3DTexture,
                                                      (LPVOID*)&lpObjects->lpVideoMemoryTexture);
    if (lpObjects->lpVideoMemoryTexture != NULL) {
        if (lpObjects->lpSrcTexture != NULL)
            lpObjects->lpVideoMemoryTexture->Load(lpObjects->lpSrcTexture);
        lpObjects->lpVideoMemoryTexture->GetHandle(lpState->lpD3DDevice, lpHandle);
    }
    return 1;
}

// Gives the video-memory textures their memory back and loads their pictures again.
void RestoreTextures(void)
{
    for (int i = 0; i < textureObjectCount; i++) {
        TEXTUREOBJECTS* lpObjects = &textureObjects[i];
        if (lpObjects->lpDDVideoMemoryTexture == NULL || lpObjects->lpDDVideoMemoryTexture->Restore() != DD_OK)
            continue;
        // A restored surface holds nothing: load the picture again.
        if (lpObjects->lpVideoMemoryTexture != NULL && lpObjects->lpSrcTexture != NULL)
            lpObjects->lpVideoMemoryTexture->Load(lpObjects->lpSrcTexture);
    }
}

// Releases every texture object and the system-memory texture surfaces.
void ReleaseTextures(TestScreenState* lpState)
{
    for (int i = 0; i < textureObjectCount; i++)
        ReleaseTextureObjects(&textureObjects[i]);
    textureObjectCount = 0;
    for (int i = 0; i < TEXTURE_COUNT; i++) {
        if (lpState->lpTextureSurfaces[i] != NULL)
            lpState->lpTextureSurfaces[i]->Release();
        lpState->lpTextureSurfaces[i] = NULL;
        lpState->textureHandles[i] = 0;
    }
}
