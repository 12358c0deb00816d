// Fill rate of the board's rasteriser at 800x600, in megapixels per second,
// beside a memset of the same area measured in the same run. "x_memset" is
// the rasteriser's rate as a fraction of the memset rate.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "machine/board/rasterizer.h"
#include "tests/machine/board/canvas.h"

namespace {

using namespace brontar::machine;
using testing::Vertex;

constexpr int32_t kWidth = 800, kHeight = 600;
constexpr double kPixels = double(kWidth) * kHeight;

struct Screen {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(size_t(kWidth) * kHeight);
    PixelBlock Target() { return {pixels.data(), kWidth, kHeight, kWidth * 2}; }
};

// Megapixels per second of a memset over the whole screen, measured once.
double MemsetMegapixelsPerSecond() {
    static const double rate = [] {
        Screen screen;
        constexpr int kRounds = 400;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i) {
            std::memset(screen.pixels.data(), i & 0xFF, screen.pixels.size() * 2);
            benchmark::DoNotOptimize(screen.pixels.data());
            benchmark::ClobberMemory();
        }
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        return kPixels * kRounds / seconds.count() / 1e6;
    }();
    return rate;
}

void ReportFillRate(benchmark::State& state, double pixelsPerIteration) {
    state.SetItemsProcessed(int64_t(state.iterations() * pixelsPerIteration));
    state.counters["Mpix/s"] = benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["memset_Mpix/s"] = MemsetMegapixelsPerSecond();
}

// Two triangles covering the whole screen.
void DrawScreen(Screen& screen, const RasterState& state, float farRhw) {
    const RasterVertex a = Vertex(0, 0, 0xFF000000, 0, 0), b = Vertex(kWidth, 0, 0xFFFF0000, 4, 0, farRhw),
                       c = Vertex(kWidth, kHeight, 0xFF00FF00, 4, 4, farRhw), d = Vertex(0, kHeight, 0xFF0000FF, 0, 4);
    DrawTriangle(screen.Target(), {}, state, a, b, c);
    DrawTriangle(screen.Target(), {}, state, a, c, d);
}

struct Texture256 {
    std::vector<uint16_t> texels = std::vector<uint16_t>(256 * 256);
    RasterTexture texture;
    Texture256() {
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) texels[size_t(y) * 256 + x] = uint16_t((x >> 3) << 11 | (y >> 2) << 5 | 7);
        texture = {texels.data(), 256, 256, 512, false, 0};
    }
};

void BM_Memset(benchmark::State& state) {
    Screen screen;
    for (auto _ : state) {
        std::memset(screen.pixels.data(), 0, screen.pixels.size() * 2);
        benchmark::ClobberMemory();
    }
    ReportFillRate(state, kPixels);
}
BENCHMARK(BM_Memset);

void BM_GouraudDithered(benchmark::State& state) {
    Screen screen;
    RasterState raster;
    raster.cull = CullMode::None;
    raster.dither = true;
    for (auto _ : state) {
        DrawScreen(screen, raster, 1);
        benchmark::ClobberMemory();
    }
    ReportFillRate(state, kPixels);
}
BENCHMARK(BM_GouraudDithered);

// A full-screen bilinear, dithered, perspective-corrected texture; farRhw
// below 1 tilts the far edge away so the perspective divide varies.
void DrawTexturedScreen(benchmark::State& state, float farRhw) {
    Screen screen;
    Texture256 texture;
    RasterState raster;
    raster.cull = CullMode::None;
    raster.dither = true;
    raster.texture = &texture.texture;
    raster.filter = TextureFilter::Bilinear;
    raster.perspective = true;
    for (auto _ : state) {
        DrawScreen(screen, raster, farRhw);
        benchmark::ClobberMemory();
    }
    ReportFillRate(state, kPixels);
}

void BM_TexturedBilinearDithered(benchmark::State& state) { DrawTexturedScreen(state, 1); }
BENCHMARK(BM_TexturedBilinearDithered);

void BM_TexturedPerspectiveBilinear(benchmark::State& state) { DrawTexturedScreen(state, 0.25f); }
BENCHMARK(BM_TexturedPerspectiveBilinear);

// The rasteriser's share of one test-scene frame: four Gouraud bands over
// the screen, then the cube's face at rest (a quarter of the screen each
// way), textured, filtered and colour keyed.
void BM_TestSceneFrame(benchmark::State& state) {
    Screen screen;
    Texture256 texture;
    texture.texture.hasColorKey = true;
    RasterState bands;
    bands.cull = CullMode::None;
    bands.dither = true;
    RasterState face;
    face.shade = ShadeMode::Flat;
    face.cull = CullMode::Clockwise;
    face.dither = true;
    face.texture = &texture.texture;
    face.filter = TextureFilter::Bilinear;
    face.perspective = true;
    const float right = kWidth - 1, band = kHeight / 4.0f;
    const uint32_t colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    const float left = kWidth * 0.375f, top = kHeight * 0.375f, faceRight = kWidth * 0.625f, bottom = kHeight * 0.625f;
    for (auto _ : state) {
        for (int i = 0; i < 4; ++i) {
            const float y0 = i * band, y1 = y0 + band;
            const RasterVertex a = Vertex(0, y0, 0xFF000000, 0, 0), b = Vertex(right, y0, colors[i], 0, 0),
                               c = Vertex(right, y1, colors[i], 0, 0), d = Vertex(0, y1, 0xFF000000, 0, 0);
            DrawTriangle(screen.Target(), {}, bands, a, b, c);
            DrawTriangle(screen.Target(), {}, bands, a, c, d);
        }
        const RasterVertex a = Vertex(faceRight, top, 0, 1, 1), b = Vertex(left, top, 0, 0, 1),
                           c = Vertex(left, bottom, 0, 0, 0), d = Vertex(faceRight, bottom, 0, 1, 0);
        DrawTriangle(screen.Target(), {}, face, a, b, c);
        DrawTriangle(screen.Target(), {}, face, a, c, d);
        benchmark::ClobberMemory();
    }
    ReportFillRate(state, kPixels + (faceRight - left) * (bottom - top));
}
BENCHMARK(BM_TestSceneFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
