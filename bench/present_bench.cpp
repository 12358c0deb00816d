// Presenting one 800x600 frame of the board headless without capture (gamma
// lookup of every pixel), against copying the same frame as a baseline.
#include <stdlib.h>

#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "machine/display/presentation.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A frame that touches the whole table: every pixel a different value.
std::vector<uint16_t> TestFrame() {
    std::vector<uint16_t> frame(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
    return frame;
}

void BM_CopyFrameBaseline(benchmark::State& state) {
    std::vector<uint16_t> frame = TestFrame();
    std::vector<uint16_t> copy(frame.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), frame.data(), frame.size() * sizeof(uint16_t));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_CopyFrameBaseline)->Unit(benchmark::kMicrosecond);

void BM_PresentFrameHeadless(benchmark::State& state) {
    ::setenv("BRONTAR_DISPLAY", "headless", 1);
    ::unsetenv("BRONTAR_CAPTURE");
    std::vector<uint16_t> frame = TestFrame();
    const brontar::machine::DisplayGamma gamma{1.7f, 1.7f, 1.7f};
    for (auto _ : state) {
        brontar::machine::PresentFrame(frame.data(), kWidth, kHeight, kWidth * 2, gamma);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_PresentFrameHeadless)->Unit(benchmark::kMicrosecond);

// A gamma change rebuilds the table: the cost of the first frame after a gamma test starts.
void BM_PresentFrameNewGammaEachTime(benchmark::State& state) {
    ::setenv("BRONTAR_DISPLAY", "headless", 1);
    ::unsetenv("BRONTAR_CAPTURE");
    std::vector<uint16_t> frame = TestFrame();
    float red = 1.0f;
    for (auto _ : state) {
        red = red >= 2.0f ? 0.25f : red + 0.05f;
        brontar::machine::PresentFrame(frame.data(), kWidth, kHeight, kWidth * 2, {red, 1.7f, 1.7f});
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_PresentFrameNewGammaEachTime)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
