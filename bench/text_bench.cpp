// The overlay's mode line: ExtTextOutA of "800x600x16 75Hz" (opaque, clipped
// to its measured size) into an 800x600 RGB565 surface, against a baseline
// that only fills the same rectangle with memset.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/gdi/surface_dc.h"

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr char kModeLine[] = "800x600x16 75Hz";

struct Screen {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kWidth * kHeight);
    HDC dc = brontar::platform::CreateSurfaceDC({pixels.data(), kWidth, kHeight, kWidth * 2});
    HFONT font = CreateFontA(24, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, VARIABLE_PITCH, "Arial");
    SIZE line{};

    Screen() {
        SelectObject(dc, font);
        SetTextColor(dc, RGB(255, 255, 0));
        SetBkColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, OPAQUE);
        GetTextExtentPoint32A(dc, kModeLine, sizeof kModeLine - 1, &line);
    }
    ~Screen() {
        brontar::platform::ReleaseSurfaceDC(dc);
        DeleteObject(font);
    }
};

// Baseline: clearing the mode line's rectangle row by row.
void BM_MemsetModeLineRect(benchmark::State& state) {
    Screen screen;
    for (auto _ : state) {
        for (LONG y = 0; y < screen.line.cy; ++y) {
            std::memset(screen.pixels.data() + y * kWidth, 0, static_cast<size_t>(screen.line.cx) * 2);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemsetModeLineRect);

// The overlay's per-frame work: measure, then draw opaque within the size.
void BM_ExtTextOutModeLine(benchmark::State& state) {
    Screen screen;
    for (auto _ : state) {
        SIZE size{};
        GetTextExtentPoint32A(screen.dc, kModeLine, sizeof kModeLine - 1, &size);
        RECT clip{0, 0, size.cx, size.cy};
        ExtTextOutA(screen.dc, 0, 0, ETO_OPAQUE, &clip, kModeLine, sizeof kModeLine - 1, nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ExtTextOutModeLine);

}  // namespace

BENCHMARK_MAIN();
