// Direct3D records, enumerations and flags of the execute-buffer interface.
// Pointer-free records keep their Win32 sizes, checked at the end.
#pragma once

#include "windows.h"

typedef float D3DVALUE, *LPD3DVALUE;
typedef LONG D3DFIXED;
typedef DWORD D3DCOLOR, *LPD3DCOLOR;
typedef DWORD D3DMATERIALHANDLE, *LPD3DMATERIALHANDLE;
typedef DWORD D3DTEXTUREHANDLE, *LPD3DTEXTUREHANDLE;
typedef DWORD D3DMATRIXHANDLE, *LPD3DMATRIXHANDLE;

#define D3DVAL(val) ((float)(val))
#define D3DDivide(a, b) (float)((double)(a) / (double)(b))
#define D3DMultiply(a, b) ((a) * (b))

// Colour packing: alpha in the top byte, then red, green, blue.
#define RGBA_GETALPHA(rgb) ((rgb) >> 24)
#define RGBA_GETRED(rgb) (((rgb) >> 16) & 0xff)
#define RGBA_GETGREEN(rgb) (((rgb) >> 8) & 0xff)
#define RGBA_GETBLUE(rgb) ((rgb)&0xff)
#define RGBA_MAKE(r, g, b, a) ((D3DCOLOR)(((a) << 24) | ((r) << 16) | ((g) << 8) | (b)))
#define RGB_GETRED(rgb) (((rgb) >> 16) & 0xff)
#define RGB_GETGREEN(rgb) (((rgb) >> 8) & 0xff)
#define RGB_GETBLUE(rgb) ((rgb)&0xff)
#define RGB_MAKE(r, g, b) ((D3DCOLOR)(((r) << 16) | ((g) << 8) | (b)))
#define D3DRGB(r, g, b) \
    (0xff000000L | (((long)((r)*255)) << 16) | (((long)((g)*255)) << 8) | (long)((b)*255))
#define D3DRGBA(r, g, b, a) \
    ((((long)((a)*255)) << 24) | (((long)((r)*255)) << 16) | (((long)((g)*255)) << 8) | (long)((b)*255))

typedef struct _D3DCOLORVALUE {
    union {
        D3DVALUE r;
        D3DVALUE dvR;
    };
    union {
        D3DVALUE g;
        D3DVALUE dvG;
    };
    union {
        D3DVALUE b;
        D3DVALUE dvB;
    };
    union {
        D3DVALUE a;
        D3DVALUE dvA;
    };
} D3DCOLORVALUE, *LPD3DCOLORVALUE;

typedef struct _D3DRECT {
    union {
        LONG x1;
        LONG lX1;
    };
    union {
        LONG y1;
        LONG lY1;
    };
    union {
        LONG x2;
        LONG lX2;
    };
    union {
        LONG y2;
        LONG lY2;
    };
} D3DRECT, *LPD3DRECT;

typedef struct _D3DVECTOR {
    union {
        D3DVALUE x;
        D3DVALUE dvX;
    };
    union {
        D3DVALUE y;
        D3DVALUE dvY;
    };
    union {
        D3DVALUE z;
        D3DVALUE dvZ;
    };
} D3DVECTOR, *LPD3DVECTOR;

// A vertex already transformed to the screen and lit: what the board draws.
typedef struct _D3DTLVERTEX {
    union {
        D3DVALUE sx;  // screen x in pixels
        D3DVALUE dvSX;
    };
    union {
        D3DVALUE sy;  // screen y in pixels, growing downwards
        D3DVALUE dvSY;
    };
    union {
        D3DVALUE sz;  // depth, 0 to 1
        D3DVALUE dvSZ;
    };
    union {
        D3DVALUE rhw;  // reciprocal of homogeneous w
        D3DVALUE dvRHW;
    };
    union {
        D3DCOLOR color;  // diffuse colour, ARGB
        D3DCOLOR dcColor;
    };
    union {
        D3DCOLOR specular;  // specular colour, ARGB
        D3DCOLOR dcSpecular;
    };
    union {
        D3DVALUE tu;  // texture coordinates
        D3DVALUE dvTU;
    };
    union {
        D3DVALUE tv;
        D3DVALUE dvTV;
    };
} D3DTLVERTEX, *LPD3DTLVERTEX;

// A vertex in model space with a normal (for the transform-and-light path).
typedef struct _D3DVERTEX {
    union {
        D3DVALUE x;
        D3DVALUE dvX;
    };
    union {
        D3DVALUE y;
        D3DVALUE dvY;
    };
    union {
        D3DVALUE z;
        D3DVALUE dvZ;
    };
    union {
        D3DVALUE nx;
        D3DVALUE dvNX;
    };
    union {
        D3DVALUE ny;
        D3DVALUE dvNY;
    };
    union {
        D3DVALUE nz;
        D3DVALUE dvNZ;
    };
    union {
        D3DVALUE tu;
        D3DVALUE dvTU;
    };
    union {
        D3DVALUE tv;
        D3DVALUE dvTV;
    };
} D3DVERTEX, *LPD3DVERTEX;

// A model-space vertex already lit (for the transform-only path).
typedef struct _D3DLVERTEX {
    union {
        D3DVALUE x;
        D3DVALUE dvX;
    };
    union {
        D3DVALUE y;
        D3DVALUE dvY;
    };
    union {
        D3DVALUE z;
        D3DVALUE dvZ;
    };
    DWORD dwReserved;
    union {
        D3DCOLOR color;
        D3DCOLOR dcColor;
    };
    union {
        D3DCOLOR specular;
        D3DCOLOR dcSpecular;
    };
    union {
        D3DVALUE tu;
        D3DVALUE dvTU;
    };
    union {
        D3DVALUE tv;
        D3DVALUE dvTV;
    };
} D3DLVERTEX, *LPD3DLVERTEX;

typedef struct _D3DMATRIX {
    D3DVALUE _11, _12, _13, _14;
    D3DVALUE _21, _22, _23, _24;
    D3DVALUE _31, _32, _33, _34;
    D3DVALUE _41, _42, _43, _44;
} D3DMATRIX, *LPD3DMATRIX;

// The part of the render target a device draws into, and its scale from
// homogeneous to screen coordinates.
typedef struct _D3DVIEWPORT {
    DWORD dwSize;  // sizeof(D3DVIEWPORT), 44
    DWORD dwX;     // top-left corner in pixels
    DWORD dwY;
    DWORD dwWidth;  // size in pixels
    DWORD dwHeight;
    D3DVALUE dvScaleX;  // homogeneous to screen scale
    D3DVALUE dvScaleY;
    D3DVALUE dvMaxX;  // homogeneous extents
    D3DVALUE dvMaxY;
    D3DVALUE dvMinZ;
    D3DVALUE dvMaxZ;
} D3DVIEWPORT, *LPD3DVIEWPORT;

// Status of an execute: the screen extent of what it drew.
#define D3DSTATUS_CLIPUNIONLEFT 0x00000001L
#define D3DSTATUS_CLIPUNIONRIGHT 0x00000002L
#define D3DSTATUS_CLIPUNIONTOP 0x00000004L
#define D3DSTATUS_CLIPUNIONBOTTOM 0x00000008L
#define D3DSTATUS_CLIPUNIONFRONT 0x00000010L
#define D3DSTATUS_CLIPUNIONBACK 0x00000020L
#define D3DSTATUS_ZNOTVISIBLE 0x01000000L
#define D3DSETSTATUS_STATUS 0x00000001L
#define D3DSETSTATUS_EXTENTS 0x00000002L
#define D3DSETSTATUS_ALL (D3DSETSTATUS_STATUS | D3DSETSTATUS_EXTENTS)

typedef struct _D3DSTATUS {
    DWORD dwFlags;   // D3DSETSTATUS_ flags
    DWORD dwStatus;  // D3DSTATUS_ flags
    D3DRECT drExtent;
} D3DSTATUS, *LPD3DSTATUS;

// Where the vertices and instructions of an execute buffer lie.
typedef struct _D3DEXECUTEDATA {
    DWORD dwSize;               // sizeof(D3DEXECUTEDATA), 48
    DWORD dwVertexOffset;       // byte offset of the first vertex
    DWORD dwVertexCount;        // number of 32-byte vertex records
    DWORD dwInstructionOffset;  // byte offset of the first instruction
    DWORD dwInstructionLength;  // bytes of instructions
    DWORD dwHVertexOffset;      // offset into the homogeneous vertex buffer
    D3DSTATUS dsStatus;
} D3DEXECUTEDATA, *LPD3DEXECUTEDATA;

#define D3DEXECUTE_CLIPPED 0x00000001L
#define D3DEXECUTE_UNCLIPPED 0x00000002L

// --------------------------------------------------------- instruction stream

typedef enum _D3DOPCODE {
    D3DOP_POINT = 1,
    D3DOP_LINE = 2,
    D3DOP_TRIANGLE = 3,
    D3DOP_MATRIXLOAD = 4,
    D3DOP_MATRIXMULTIPLY = 5,
    D3DOP_STATETRANSFORM = 6,
    D3DOP_STATELIGHT = 7,
    D3DOP_STATERENDER = 8,
    D3DOP_PROCESSVERTICES = 9,
    D3DOP_TEXTURELOAD = 10,
    D3DOP_EXIT = 11,
    D3DOP_BRANCHFORWARD = 12,
    D3DOP_SPAN = 13,
    D3DOP_SETSTATUS = 14,
    D3DOP_FORCE_DWORD = 0x7fffffff,
} D3DOPCODE;

// The header of each instruction: bCount records of bSize bytes follow it.
typedef struct _D3DINSTRUCTION {
    BYTE bOpcode;  // D3DOPCODE
    BYTE bSize;    // bytes of one following record
    WORD wCount;   // number of following records
} D3DINSTRUCTION, *LPD3DINSTRUCTION;

typedef enum _D3DTRANSFORMSTATETYPE {
    D3DTRANSFORMSTATE_WORLD = 1,
    D3DTRANSFORMSTATE_VIEW = 2,
    D3DTRANSFORMSTATE_PROJECTION = 3,
    D3DTRANSFORMSTATE_FORCE_DWORD = 0x7fffffff,
} D3DTRANSFORMSTATETYPE;

typedef enum _D3DLIGHTSTATETYPE {
    D3DLIGHTSTATE_MATERIAL = 1,
    D3DLIGHTSTATE_AMBIENT = 2,
    D3DLIGHTSTATE_COLORMODEL = 3,
    D3DLIGHTSTATE_FOGMODE = 4,
    D3DLIGHTSTATE_FOGSTART = 5,
    D3DLIGHTSTATE_FOGEND = 6,
    D3DLIGHTSTATE_FOGDENSITY = 7,
    D3DLIGHTSTATE_FORCE_DWORD = 0x7fffffff,
} D3DLIGHTSTATETYPE;

typedef enum _D3DRENDERSTATETYPE {
    D3DRENDERSTATE_TEXTUREHANDLE = 1,
    D3DRENDERSTATE_ANTIALIAS = 2,
    D3DRENDERSTATE_TEXTUREADDRESS = 3,
    D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
    D3DRENDERSTATE_WRAPU = 5,
    D3DRENDERSTATE_WRAPV = 6,
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_FILLMODE = 8,
    D3DRENDERSTATE_SHADEMODE = 9,
    D3DRENDERSTATE_LINEPATTERN = 10,
    D3DRENDERSTATE_MONOENABLE = 11,
    D3DRENDERSTATE_ROP2 = 12,
    D3DRENDERSTATE_PLANEMASK = 13,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_ALPHATESTENABLE = 15,
    D3DRENDERSTATE_LASTPIXEL = 16,
    D3DRENDERSTATE_TEXTUREMAG = 17,
    D3DRENDERSTATE_TEXTUREMIN = 18,
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_TEXTUREMAPBLEND = 21,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_ZFUNC = 23,
    D3DRENDERSTATE_ALPHAREF = 24,
    D3DRENDERSTATE_ALPHAFUNC = 25,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_BLENDENABLE = 27,
    D3DRENDERSTATE_FOGENABLE = 28,
    D3DRENDERSTATE_SPECULARENABLE = 29,
    D3DRENDERSTATE_ZVISIBLE = 30,
    D3DRENDERSTATE_SUBPIXEL = 31,
    D3DRENDERSTATE_SUBPIXELX = 32,
    D3DRENDERSTATE_STIPPLEDALPHA = 33,
    D3DRENDERSTATE_FOGCOLOR = 34,
    D3DRENDERSTATE_FOGTABLEMODE = 35,
    D3DRENDERSTATE_FOGTABLESTART = 36,
    D3DRENDERSTATE_FOGTABLEEND = 37,
    D3DRENDERSTATE_FOGTABLEDENSITY = 38,
    D3DRENDERSTATE_STIPPLEENABLE = 39,
    D3DRENDERSTATE_STIPPLEPATTERN00 = 64,
    D3DRENDERSTATE_STIPPLEPATTERN31 = 95,
    D3DRENDERSTATE_FORCE_DWORD = 0x7fffffff,
} D3DRENDERSTATETYPE;

#define D3DRENDERSTATE_STIPPLEPATTERN(y) (D3DRENDERSTATE_STIPPLEPATTERN00 + (y))

// One state change: a type and its value.
typedef struct _D3DSTATE {
    union {
        D3DTRANSFORMSTATETYPE dtstTransformStateType;
        D3DLIGHTSTATETYPE dlstLightStateType;
        D3DRENDERSTATETYPE drstRenderStateType;
    };
    union {
        DWORD dwArg[1];
        D3DVALUE dvArg[1];
    };
} D3DSTATE, *LPD3DSTATE;

#define D3DPROCESSVERTICES_TRANSFORMLIGHT 0x00000000L
#define D3DPROCESSVERTICES_TRANSFORM 0x00000001L
#define D3DPROCESSVERTICES_COPY 0x00000002L
#define D3DPROCESSVERTICES_OPMASK 0x00000007L
#define D3DPROCESSVERTICES_UPDATEEXTENTS 0x00000008L
#define D3DPROCESSVERTICES_NOCOLOR 0x00000010L

// Moves dwCount vertices from wStart of the source into wDest of the
// processed vertices, transforming, lighting or copying them.
typedef struct _D3DPROCESSVERTICES {
    DWORD dwFlags;  // D3DPROCESSVERTICES_ flags
    WORD wStart;    // first source vertex
    WORD wDest;     // first destination vertex
    DWORD dwCount;  // number of vertices
    DWORD dwReserved;
} D3DPROCESSVERTICES, *LPD3DPROCESSVERTICES;

#define D3DTRIFLAG_START 0x00000000L
#define D3DTRIFLAG_STARTFLAT(len) (len)
#define D3DTRIFLAG_ODD 0x0000001eL
#define D3DTRIFLAG_EVEN 0x0000001fL
#define D3DTRIFLAG_EDGEENABLE1 0x00000100L
#define D3DTRIFLAG_EDGEENABLE2 0x00000200L
#define D3DTRIFLAG_EDGEENABLE3 0x00000400L
#define D3DTRIFLAG_EDGEENABLETRIANGLE (D3DTRIFLAG_EDGEENABLE1 | D3DTRIFLAG_EDGEENABLE2 | D3DTRIFLAG_EDGEENABLE3)

// Three indices into the processed vertices, and strip and edge flags.
typedef struct _D3DTRIANGLE {
    union {
        WORD v1;
        WORD wV1;
    };
    union {
        WORD v2;
        WORD wV2;
    };
    union {
        WORD v3;
        WORD wV3;
    };
    WORD wFlags;  // D3DTRIFLAG_ flags
} D3DTRIANGLE, *LPD3DTRIANGLE;

typedef struct _D3DLINE {
    union {
        WORD v1;
        WORD wV1;
    };
    union {
        WORD v2;
        WORD wV2;
    };
} D3DLINE, *LPD3DLINE;

typedef struct _D3DPOINT {
    WORD wCount;
    WORD wFirst;
} D3DPOINT, *LPD3DPOINT;

typedef struct _D3DSPAN {
    WORD wCount;
    WORD wFirst;
} D3DSPAN, *LPD3DSPAN;

typedef struct _D3DMATRIXLOAD {
    D3DMATRIXHANDLE hDestMatrix;
    D3DMATRIXHANDLE hSrcMatrix;
} D3DMATRIXLOAD, *LPD3DMATRIXLOAD;

typedef struct _D3DMATRIXMULTIPLY {
    D3DMATRIXHANDLE hDestMatrix;
    D3DMATRIXHANDLE hSrcMatrix1;
    D3DMATRIXHANDLE hSrcMatrix2;
} D3DMATRIXMULTIPLY, *LPD3DMATRIXMULTIPLY;

typedef struct _D3DTEXTURELOAD {
    D3DTEXTUREHANDLE hDestTexture;
    D3DTEXTUREHANDLE hSrcTexture;
} D3DTEXTURELOAD, *LPD3DTEXTURELOAD;

typedef struct _D3DBRANCH {
    DWORD dwMask;
    DWORD dwValue;
    BOOL bNegate;
    DWORD dwOffset;
} D3DBRANCH, *LPD3DBRANCH;

// ---------------------------------------------------------- render state values

typedef enum _D3DSHADEMODE {
    D3DSHADE_FLAT = 1,
    D3DSHADE_GOURAUD = 2,
    D3DSHADE_PHONG = 3,
    D3DSHADE_FORCE_DWORD = 0x7fffffff,
} D3DSHADEMODE;

typedef enum _D3DFILLMODE {
    D3DFILL_POINT = 1,
    D3DFILL_WIREFRAME = 2,
    D3DFILL_SOLID = 3,
    D3DFILL_FORCE_DWORD = 0x7fffffff,
} D3DFILLMODE;

typedef struct _D3DLINEPATTERN {
    WORD wRepeatFactor;
    WORD wLinePattern;
} D3DLINEPATTERN;

typedef enum _D3DTEXTUREFILTER {
    D3DFILTER_NEAREST = 1,
    D3DFILTER_LINEAR = 2,
    D3DFILTER_MIPNEAREST = 3,
    D3DFILTER_MIPLINEAR = 4,
    D3DFILTER_LINEARMIPNEAREST = 5,
    D3DFILTER_LINEARMIPLINEAR = 6,
    D3DFILTER_FORCE_DWORD = 0x7fffffff,
} D3DTEXTUREFILTER;

typedef enum _D3DBLEND {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11,
    D3DBLEND_BOTHSRCALPHA = 12,
    D3DBLEND_BOTHINVSRCALPHA = 13,
    D3DBLEND_FORCE_DWORD = 0x7fffffff,
} D3DBLEND;

typedef enum _D3DTEXTUREBLEND {
    D3DTBLEND_DECAL = 1,
    D3DTBLEND_MODULATE = 2,
    D3DTBLEND_DECALALPHA = 3,
    D3DTBLEND_MODULATEALPHA = 4,
    D3DTBLEND_DECALMASK = 5,
    D3DTBLEND_MODULATEMASK = 6,
    D3DTBLEND_COPY = 7,
    D3DTBLEND_FORCE_DWORD = 0x7fffffff,
} D3DTEXTUREBLEND;

typedef enum _D3DTEXTUREADDRESS {
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_FORCE_DWORD = 0x7fffffff,
} D3DTEXTUREADDRESS;

typedef enum _D3DCULL {
    D3DCULL_NONE = 1,
    D3DCULL_CW = 2,
    D3DCULL_CCW = 3,
    D3DCULL_FORCE_DWORD = 0x7fffffff,
} D3DCULL;

typedef enum _D3DCMPFUNC {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
    D3DCMP_FORCE_DWORD = 0x7fffffff,
} D3DCMPFUNC;

typedef enum _D3DFOGMODE {
    D3DFOG_NONE = 0,
    D3DFOG_EXP = 1,
    D3DFOG_EXP2 = 2,
    D3DFOG_LINEAR = 3,
    D3DFOG_FORCE_DWORD = 0x7fffffff,
} D3DFOGMODE;

typedef enum _D3DANTIALIASMODE {
    D3DANTIALIAS_NONE = 0,
    D3DANTIALIAS_SORTDEPENDENT = 1,
    D3DANTIALIAS_SORTINDEPENDENT = 2,
    D3DANTIALIAS_FORCE_DWORD = 0x7fffffff,
} D3DANTIALIASMODE;

typedef enum _D3DCOLORMODEL {
    D3DCOLOR_MONO = 1,
    D3DCOLOR_RGB = 2,
} D3DCOLORMODEL;

// ------------------------------------------------------------------ statistics

typedef struct _D3DSTATS {
    DWORD dwSize;
    DWORD dwTrianglesDrawn;
    DWORD dwLinesDrawn;
    DWORD dwPointsDrawn;
    DWORD dwSpansDrawn;
    DWORD dwVerticesProcessed;
} D3DSTATS, *LPD3DSTATS;

typedef struct _D3DPICKRECORD {
    BYTE bOpcode;
    BYTE bPad;
    DWORD dwOffset;
    D3DVALUE dvZ;
} D3DPICKRECORD, *LPD3DPICKRECORD;

#define D3DCLEAR_TARGET 0x00000001L
#define D3DCLEAR_ZBUFFER 0x00000002L

#define D3DNEXT_NEXT 0x00000001L
#define D3DNEXT_HEAD 0x00000002L
#define D3DNEXT_TAIL 0x00000004L

static_assert(sizeof(D3DTLVERTEX) == 32, "D3DTLVERTEX is 32 bytes");
static_assert(sizeof(D3DVERTEX) == 32 && sizeof(D3DLVERTEX) == 32, "vertex records are 32 bytes");
static_assert(sizeof(D3DINSTRUCTION) == 4, "D3DINSTRUCTION is 4 bytes");
static_assert(sizeof(D3DSTATE) == 8, "D3DSTATE is 8 bytes");
static_assert(sizeof(D3DPROCESSVERTICES) == 16, "D3DPROCESSVERTICES is 16 bytes");
static_assert(sizeof(D3DTRIANGLE) == 8, "D3DTRIANGLE is 8 bytes");
static_assert(sizeof(D3DEXECUTEDATA) == 48, "D3DEXECUTEDATA is 48 bytes");
static_assert(sizeof(D3DVIEWPORT) == 44, "D3DVIEWPORT is 44 bytes");
static_assert(sizeof(D3DSTATUS) == 24 && sizeof(D3DRECT) == 16, "status records");
static_assert(sizeof(D3DMATRIX) == 64 && sizeof(D3DBRANCH) == 16, "matrix and branch records");
