// The board's blitter at 800x600 through DirectDraw: colour fill, plain copy
// and colour-keyed copy, each beside the memset or memcpy of the same bytes.
#include <benchmark/benchmark.h>
#include <ddraw.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/temp_machine.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 2;

// The board in exclusive mode at 800x600 with a system-memory picture the
// size of the screen (half of it black, the colour key) and a back buffer.
class BlitScene {
public:
    BlitScene() {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        ::unsetenv("BRONTAR_FAULTS");
        std::vector<GUID> identities;
        DirectDrawEnumerateA(
            [](GUID* identity, LPSTR, LPSTR name, LPVOID context) -> BOOL {
                if (identity != nullptr && std::strcmp(name, "ddcorv") == 0)
                    static_cast<std::vector<GUID>*>(context)->push_back(*identity);
                return DDENUMRET_OK;
            },
            &identities);
        if (identities.empty() || DirectDrawCreate(&identities[0], &directDraw, nullptr) != DD_OK) std::abort();
        directDraw->SetCooperativeLevel(reinterpret_cast<HWND>(uintptr_t(1)), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        directDraw->SetDisplayMode(kWidth, kHeight, 16);

        DDSURFACEDESC description;
        std::memset(&description, 0, sizeof(description));
        description.dwSize = sizeof(description);
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        description.dwBackBufferCount = 1;
        if (directDraw->CreateSurface(&description, &front, nullptr) != DD_OK) std::abort();
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        front->GetAttachedSurface(&caps, &back);

        description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        description.dwWidth = kWidth;
        description.dwHeight = kHeight;
        description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (directDraw->CreateSurface(&description, &picture, nullptr) != DD_OK) std::abort();
        DDSURFACEDESC locked;
        std::memset(&locked, 0, sizeof(locked));
        locked.dwSize = sizeof(locked);
        picture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch);
            for (int x = 0; x < kWidth; ++x) row[x] = (x / 4 + y) % 2 ? 0xFFE0 : 0x0000;
        }
        picture->Unlock(nullptr);
        DDCOLORKEY black{0, 0};
        picture->SetColorKey(DDCKEY_SRCBLT, &black);
    }
    ~BlitScene() {
        picture->Release();
        front->Release();
        directDraw->Release();
    }

    brontar::testing::TempMachine machine;
    IDirectDraw* directDraw = nullptr;
    IDirectDrawSurface* front = nullptr;
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* picture = nullptr;
};

BlitScene& Scene() {
    static BlitScene scene;
    return scene;
}

void BM_MemsetFrame(benchmark::State& state) {
    std::vector<uint8_t> frame(kFrameBytes);
    for (auto _ : state) {
        std::memset(frame.data(), 0x5A, frame.size());
        benchmark::DoNotOptimize(frame.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_ColourFill(benchmark::State& state) {
    DDBLTFX effects;
    std::memset(&effects, 0, sizeof(effects));
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = 0x5A5A;
    for (auto _ : state) Scene().back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint8_t> source(kFrameBytes, 1), target(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), target.size());
        benchmark::DoNotOptimize(target.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_BltCopy(benchmark::State& state) {
    for (auto _ : state) Scene().back->Blt(nullptr, Scene().picture, nullptr, DDBLT_WAIT, nullptr);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_BltFastPlain(benchmark::State& state) {
    for (auto _ : state) Scene().back->BltFast(0, 0, Scene().picture, nullptr, DDBLTFAST_WAIT);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_BltFastSourceKey(benchmark::State& state) {
    for (auto _ : state)
        Scene().back->BltFast(0, 0, Scene().picture, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

}  // namespace

BENCHMARK(BM_MemsetFrame);
BENCHMARK(BM_ColourFill);
BENCHMARK(BM_MemcpyFrame);
BENCHMARK(BM_BltCopy);
BENCHMARK(BM_BltFastPlain);
BENCHMARK(BM_BltFastSourceKey);

BENCHMARK_MAIN();
