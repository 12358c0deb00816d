// Surfaces and contexts for the GDI tests: RGB565 memory with a guard
// border, so a write outside the surface shows up as a changed guard pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/gdi/surface_dc.h"

namespace brontar::testing {

constexpr uint16_t kGuard = 0xA5A5;

// width x height pixels inside a border of guard pixels (also in each row's
// padding), every inner pixel starting as `fill`.
class GuardedSurface {
public:
    GuardedSurface(int32_t width, int32_t height, uint16_t fill, int32_t border = 8)
        : width_(width), height_(height), border_(border), stride_(width + 2 * border),
          memory_(static_cast<size_t>(stride_) * (height + 2 * border), kGuard) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) At(x, y) = fill;
    }

    uint16_t& At(int32_t x, int32_t y) {
        return memory_[static_cast<size_t>(y + border_) * stride_ + static_cast<size_t>(x + border_)];
    }
    bool GuardIntact() const {
        for (int32_t y = -border_; y < height_ + border_; ++y)
            for (int32_t x = -border_; x < width_ + border_; ++x) {
                bool inside = x >= 0 && x < width_ && y >= 0 && y < height_;
                if (!inside && memory_[static_cast<size_t>(y + border_) * stride_ + (x + border_)] != kGuard)
                    return false;
            }
        return true;
    }
    platform::SurfacePixels Pixels() {
        return platform::SurfacePixels{&At(0, 0), width_, height_, stride_ * 2};
    }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

private:
    int32_t width_, height_, border_, stride_;
    std::vector<uint16_t> memory_;
};

// A surface context released at the end of the scope.
class ScopedDC {
public:
    explicit ScopedDC(HDC dc) : dc_(dc) {}
    explicit ScopedDC(GuardedSurface& surface) : dc_(platform::CreateSurfaceDC(surface.Pixels())) {}
    ~ScopedDC() { platform::ReleaseSurfaceDC(dc_); }
    ScopedDC(const ScopedDC&) = delete;
    ScopedDC& operator=(const ScopedDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

// A font deleted at the end of the scope.
class ScopedFont {
public:
    ScopedFont(int height, int weight = FW_NORMAL, const char* face = "Arial")
        : font_(CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH, face)) {}
    explicit ScopedFont(HFONT font) : font_(font) {}
    ~ScopedFont() { DeleteObject(font_); }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;
    operator HFONT() const { return font_; }

private:
    HFONT font_;
};

}  // namespace brontar::testing
