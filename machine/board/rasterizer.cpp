#include "machine/board/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "machine/board/span_fill.h"

namespace brontar::machine {

namespace {

// Vertex positions are snapped to 28.4 fixed point: 1/16 of a pixel, the
// board's subpixel precision. Coordinates are first limited to a guard band
// of +-2^20 pixels, which keeps every edge product below 2^50.
constexpr int64_t kSubpixels = 16;
constexpr float kGuardBand = float(1 << 20);

struct SnappedPoint {
    int64_t x = 0;  // 28.4 fixed point
    int64_t y = 0;  // 28.4 fixed point
};

SnappedPoint Snap(const RasterVertex& v) {
    return {std::lrint(std::clamp(v.x, -kGuardBand, kGuardBand) * kSubpixels),
            std::lrint(std::clamp(v.y, -kGuardBand, kGuardBand) * kSubpixels)};
}

bool IsFinite(const RasterVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.rhw) && std::isfinite(v.u) &&
           std::isfinite(v.v);
}

// Rounds n / d up to an integer (d > 0).
int64_t CeilDiv(int64_t n, int64_t d) {
    const int64_t q = n / d;
    return (n % d != 0 && n > 0) ? q + 1 : q;
}

// A non-horizontal edge walked from its upper end to its lower end. Both
// triangles that share an edge walk it in the same direction, so they
// compute the same crossing on every row.
struct Edge {
    SnappedPoint top, bottom;
    // The first pixel column at or right of the edge on row y:
    // ceil(x(y)) with x(y) = top.x + (y - top.y) * dx / dy, exactly.
    int64_t CeilXAt(int64_t pixelY) const {
        const int64_t dy = bottom.y - top.y;
        const int64_t dx = bottom.x - top.x;
        const int64_t numerator = top.x * dy + (pixelY * kSubpixels - top.y) * dx;
        return CeilDiv(numerator, dy * kSubpixels);
    }
};

// The plane through three values at the three snapped vertices.
AttributePlane PlaneThrough(const SnappedPoint (&p)[3], double area2, double a0, double a1, double a2) {
    const double x0 = double(p[0].x) / kSubpixels, y0 = double(p[0].y) / kSubpixels;
    const double x1 = double(p[1].x) / kSubpixels, y1 = double(p[1].y) / kSubpixels;
    const double x2 = double(p[2].x) / kSubpixels, y2 = double(p[2].y) / kSubpixels;
    AttributePlane plane;
    plane.perX = ((a1 - a0) * (y2 - y0) - (a2 - a0) * (y1 - y0)) / area2;
    plane.perY = ((a2 - a0) * (x1 - x0) - (a1 - a0) * (x2 - x0)) / area2;
    plane.atOrigin = a0 - plane.perX * x0 - plane.perY * y0;
    return plane;
}

double Channel(uint32_t color, int shift) { return double((color >> shift) & 0xFF); }

TrianglePlanes SetUpPlanes(const RasterState& state, const SnappedPoint (&p)[3], double area2,
                           const RasterVertex* const (&v)[3]) {
    TrianglePlanes planes;
    const uint32_t rgbMask = 0x00FFFFFF;
    planes.flatColor = v[0]->color;
    planes.constantColor = state.shade == ShadeMode::Flat ||
                           ((v[0]->color & rgbMask) == (v[1]->color & rgbMask) &&
                            (v[0]->color & rgbMask) == (v[2]->color & rgbMask));
    if (!planes.constantColor) {
        planes.red = PlaneThrough(p, area2, Channel(v[0]->color, 16), Channel(v[1]->color, 16), Channel(v[2]->color, 16));
        planes.green = PlaneThrough(p, area2, Channel(v[0]->color, 8), Channel(v[1]->color, 8), Channel(v[2]->color, 8));
        planes.blue = PlaneThrough(p, area2, Channel(v[0]->color, 0), Channel(v[1]->color, 0), Channel(v[2]->color, 0));
    }
    const RasterTexture* texture = state.texture;
    planes.textured = texture && texture->texels && texture->width > 0 && texture->height > 0;
    if (planes.textured) {
        const double width = texture->width, height = texture->height;
        // Perspective only matters when rhw differs between the vertices
        // (and is positive, as a transformed vertex's is).
        planes.perspective = state.perspective && v[0]->rhw > 0 && v[1]->rhw > 0 && v[2]->rhw > 0 &&
                             !(v[0]->rhw == v[1]->rhw && v[0]->rhw == v[2]->rhw);
        double q[3] = {1, 1, 1};
        if (planes.perspective) {
            for (int i = 0; i < 3; ++i) q[i] = v[i]->rhw;
            planes.q = PlaneThrough(p, area2, q[0], q[1], q[2]);
        }
        planes.s = PlaneThrough(p, area2, v[0]->u * width * q[0], v[1]->u * width * q[1], v[2]->u * width * q[2]);
        planes.t = PlaneThrough(p, area2, v[0]->v * height * q[0], v[1]->v * height * q[1], v[2]->v * height * q[2]);
    }
    return planes;
}

}  // namespace

bool DrawTriangle(const PixelBlock& target, const RasterClip& clip, const RasterState& state,
                  const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    if (!target.pixels || target.width <= 0 || target.height <= 0) return false;
    if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c)) return false;
    const RasterVertex* const vertices[3] = {&a, &b, &c};
    const SnappedPoint p[3] = {Snap(a), Snap(b), Snap(c)};

    // Twice the signed area in 1/256 pixel units. With y growing downwards a
    // positive area means the vertices run clockwise on the screen.
    const int64_t area2 = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
    if (area2 == 0) return false;
    if (state.cull == CullMode::Clockwise && area2 > 0) return false;
    if (state.cull == CullMode::CounterClockwise && area2 < 0) return false;

    const int32_t clipLeft = std::max(clip.left, 0), clipRight = std::min(clip.right, target.width);
    const int32_t clipTop = std::max(clip.top, 0), clipBottom = std::min(clip.bottom, target.height);
    if (clipLeft >= clipRight || clipTop >= clipBottom) return false;

    // Sort the corners from top to bottom.
    SnappedPoint top = p[0], middle = p[1], bottom = p[2];
    if (middle.y < top.y) std::swap(middle, top);
    if (bottom.y < top.y) std::swap(bottom, top);
    if (bottom.y < middle.y) std::swap(bottom, middle);
    const Edge longEdge{top, bottom};
    const Edge upperEdge{top, middle};
    const Edge lowerEdge{middle, bottom};
    // The middle corner lies left of the long edge when the corners, taken
    // top, middle, bottom, turn clockwise on the screen.
    const bool middleOnLeft =
        (middle.x - top.x) * (bottom.y - top.y) - (middle.y - top.y) * (bottom.x - top.x) < 0;

    // Top-left fill convention: pixel centres lie on integer coordinates; a
    // centre exactly on an edge belongs to the triangle when the edge is a
    // top or left edge. So rows run from ceil(top) up to but excluding
    // ceil(bottom), and each row's pixels from ceil(left edge) up to but
    // excluding ceil(right edge). Two triangles sharing an edge therefore
    // cover each pixel along it exactly once.
    const int64_t firstRow = std::max<int64_t>(CeilDiv(top.y, kSubpixels), clipTop);
    const int64_t endRow = std::min<int64_t>(CeilDiv(bottom.y, kSubpixels), clipBottom);
    if (firstRow >= endRow) return false;

    const TrianglePlanes planes = SetUpPlanes(state, p, double(area2) / (kSubpixels * kSubpixels), vertices);
    bool drewAny = false;
    for (int64_t y = firstRow; y < endRow; ++y) {
        const Edge& shortEdge = y * kSubpixels < middle.y ? upperEdge : lowerEdge;
        const int64_t longX = longEdge.CeilXAt(y);
        const int64_t shortX = shortEdge.CeilXAt(y);
        const int64_t left = std::max<int64_t>(middleOnLeft ? shortX : longX, clipLeft);
        const int64_t right = std::min<int64_t>(middleOnLeft ? longX : shortX, clipRight);
        if (left >= right) continue;
        FillSpan(target, int32_t(y), int32_t(left), int32_t(right), planes, state);
        drewAny = true;
    }
    return drewAny;
}

}  // namespace brontar::machine
