// The interface and class identities that the platform's headers declare,
// defined once for every module, as Windows' uuid and dxguid libraries do.
#define INITGUID
#include <windows.h>

#include <d3d.h>
#include <ddraw.h>
#include <shlobj.h>
