// GUIDs: interface, class and driver identities.
//
// As on Windows, DEFINE_GUID only declares the identity unless INITGUID is
// defined, where it defines it; one file of a module includes <initguid.h>
// after its headers to define the identities it declares itself. The
// DEFINE_GUID part of this header lies outside its include guard so that
// <initguid.h> can switch it.
#ifndef BRONTAR_GUIDDEF_H
#define BRONTAR_GUIDDEF_H

#include <string.h>

#include "windef.h"

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef GUID* LPGUID;
typedef const GUID* LPCGUID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;
#define REFGUID const GUID&
#define REFIID const IID&
#define REFCLSID const CLSID&

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

static_assert(sizeof(GUID) == 16, "GUID layout");

#endif  // BRONTAR_GUIDDEF_H

#undef DEFINE_GUID
#ifdef INITGUID
// Weak, as Windows' selectany: several files of one module may define.
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    extern "C" __attribute__((weak)) const GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}
#else
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) extern "C" const GUID name
#endif

#ifndef BRONTAR_GUID_NULL
#define BRONTAR_GUID_NULL
DEFINE_GUID(GUID_NULL, 0x00000000, 0x0000, 0x0000, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00);
#endif
