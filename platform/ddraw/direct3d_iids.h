// The Direct3D interface identities DirectDraw recognises in QueryInterface
// and passes on to the Direct3D area.
#pragma once

#include <windows.h>

#include <unknwn.h>

namespace brontar::platform {

DEFINE_GUID(kDirect3DInterface, 0x3BBA0080, 0x2421, 0x11CF, 0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56);
DEFINE_GUID(kDirect3DTextureInterface, 0x2CDCD9E0, 0x25A0, 0x11CF, 0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56);

}  // namespace brontar::platform
