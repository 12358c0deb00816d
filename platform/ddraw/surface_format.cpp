#include "platform/ddraw/surface_format.h"

#include <cstring>

namespace brontar::platform {

void FillPixelFormat(int bitsPerPixel, DDPIXELFORMAT* format) {
    std::memset(format, 0, sizeof(*format));
    format->dwSize = sizeof(*format);
    format->dwRGBBitCount = static_cast<DWORD>(bitsPerPixel);
    if (bitsPerPixel == 8) {
        format->dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    } else if (bitsPerPixel == 16) {
        format->dwFlags = DDPF_RGB;
        format->dwRBitMask = 0xF800;
        format->dwGBitMask = 0x07E0;
        format->dwBBitMask = 0x001F;
    } else {
        format->dwFlags = DDPF_RGB;
        format->dwRBitMask = 0xFF0000;
        format->dwGBitMask = 0x00FF00;
        format->dwBBitMask = 0x0000FF;
    }
}

bool IsRgb565(const DDPIXELFORMAT& format) {
    return format.dwSize == sizeof(DDPIXELFORMAT) && (format.dwFlags & DDPF_RGB) != 0 &&
           (format.dwFlags & ~DWORD(DDPF_RGB)) == 0 && format.dwRGBBitCount == 16 && format.dwRBitMask == 0xF800 &&
           format.dwGBitMask == 0x07E0 && format.dwBBitMask == 0x001F && format.dwRGBAlphaBitMask == 0;
}

void FillModeDescription(const machine::DisplayMode& mode, DDSURFACEDESC* description) {
    std::memset(description, 0, sizeof(*description));
    description->dwSize = sizeof(*description);
    description->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    description->dwWidth = static_cast<DWORD>(mode.width);
    description->dwHeight = static_cast<DWORD>(mode.height);
    description->lPitch = mode.width * ((mode.bitsPerPixel + 7) / 8);
    description->dwRefreshRate = 0;  // the driver's default rate
    FillPixelFormat(mode.bitsPerPixel, &description->ddpfPixelFormat);
}

}  // namespace brontar::platform
