// A small RGB565 target for rasteriser tests, with a guard border around it
// so writes outside the target show up.
#pragma once

#include <cstdint>
#include <vector>

#include "machine/board/rasterizer.h"

namespace brontar::machine::testing {

inline constexpr uint16_t kBackground = 0x1234;

class Canvas {
public:
    static constexpr int32_t kGuard = 4;

    Canvas(int32_t width, int32_t height)
        : width_(width), height_(height), stride_(width + 2 * kGuard),
          memory_(size_t(stride_) * (height + 2 * kGuard), kBackground) {}

    PixelBlock Target() {
        return {&memory_[size_t(kGuard) * stride_ + kGuard], width_, height_, int32_t(stride_ * 2)};
    }
    // Pixel (x, y) of the target; x and y may lie in the guard border.
    uint16_t At(int32_t x, int32_t y) const { return memory_[size_t(y + kGuard) * stride_ + x + kGuard]; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Pixels of the target that differ from the background.
    int CountDrawn() const {
        int count = 0;
        for (int32_t y = 0; y < height_; ++y)
            for (int32_t x = 0; x < width_; ++x) count += At(x, y) != kBackground;
        return count;
    }
    // True when nothing in the guard border was touched.
    bool GuardIntact() const {
        for (int32_t y = -kGuard; y < height_ + kGuard; ++y)
            for (int32_t x = -kGuard; x < width_ + kGuard; ++x) {
                const bool inside = x >= 0 && y >= 0 && x < width_ && y < height_;
                if (!inside && At(x, y) != kBackground) return false;
            }
        return true;
    }

private:
    int32_t width_, height_, stride_;
    std::vector<uint16_t> memory_;
};

inline RasterVertex Vertex(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0, float v = 0, float rhw = 1) {
    RasterVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.rhw = rhw;
    vertex.color = color;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

inline RasterState UntexturedState(ShadeMode shade = ShadeMode::Gouraud, CullMode cull = CullMode::None) {
    RasterState state;
    state.shade = shade;
    state.cull = cull;
    return state;
}

}  // namespace brontar::machine::testing
