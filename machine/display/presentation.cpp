#include "machine/display/presentation.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <mutex>

#include "machine/display/display_window.h"
#include "machine/display/gamma_table.h"
#include "machine/display/png_file.h"
#include "machine/zeroed_pages.h"

namespace brontar::machine {

namespace {

struct PresentationState {
    std::mutex mutex;
    std::atomic<uint64_t> frameCount{0};
    std::optional<GammaTable> table;    // for the gamma of the latest frame
    // 0x00RRGGBB, width * height, in pages of its own: a frame is megabytes,
    // written whole before it is read.
    ZeroedPages pictureStorage;
    uint32_t* picture = nullptr;
    size_t capacity = 0;  // in pixels
    int width = 0;
    int height = 0;
    bool captureFailed = false;         // reported once, then quiet
};

PresentationState& State() {
    static PresentationState state;
    return state;
}

// The picture through the table into 0x00RRGGBB, row by row over the pitch.
void ConvertFrame(const GammaTable& table, const uint16_t* pixels, int width, int height, int pitchBytes,
                  uint32_t* out) {
    const auto* row = reinterpret_cast<const uint8_t*>(pixels);
    for (int y = 0; y < height; ++y, row += pitchBytes, out += width) {
        table.ConvertRow(reinterpret_cast<const uint16_t*>(row), out, static_cast<size_t>(width));
    }
}

RgbPicture ToRgb(const PresentationState& state) {
    RgbPicture rgb;
    rgb.width = state.width;
    rgb.height = state.height;
    const size_t count = static_cast<size_t>(state.width) * state.height;
    rgb.rgb.resize(count * 3);
    uint8_t* out = rgb.rgb.data();
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = state.picture[i];
        *out++ = static_cast<uint8_t>(pixel >> 16);
        *out++ = static_cast<uint8_t>(pixel >> 8);
        *out++ = static_cast<uint8_t>(pixel);
    }
    return rgb;
}

void CaptureLocked(PresentationState& state, uint64_t number) {
    std::optional<std::filesystem::path> folder = CaptureFolder();
    if (!folder) return;
    if (WritePngFile(CaptureFilePath(*folder, "frame", number), ToRgb(state)))
        return;
    if (!state.captureFailed)
        std::fprintf(stderr, "brontar: display: cannot write captured frames into %s\n", folder->c_str());
    state.captureFailed = true;
}

}  // namespace

void PresentFrame(const uint16_t* pixels, int width, int height, int pitchBytes, const DisplayGamma& gamma) {
    if (pixels == nullptr || width <= 0 || height <= 0 || pitchBytes < width * 2 || pitchBytes % 2 != 0) {
        std::fprintf(stderr, "brontar: display: frame of %dx%d with pitch %d refused\n", width, height, pitchBytes);
        return;
    }
    PresentationState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.table || !state.table->Matches(gamma)) state.table.emplace(gamma);
    const size_t count = static_cast<size_t>(width) * height;
    if (count > state.capacity) {
        state.pictureStorage = AllocateZeroedPages(count * sizeof(uint32_t), PageUse::Whole);
        state.picture = reinterpret_cast<uint32_t*>(state.pictureStorage.get());
        state.capacity = count;
    }
    state.width = width;
    state.height = height;
    ConvertFrame(*state.table, pixels, width, height, pitchBytes, state.picture);
    uint64_t number = state.frameCount.load() + 1;
    ShowInDisplayWindow(state.picture, width, height);
    CaptureLocked(state, number);
    state.frameCount.store(number);
}

uint64_t PresentedFrameCount() { return State().frameCount.load(); }

void CloseDisplay() { CloseDisplayWindow(); }

RgbPicture LastPresentedPicture() {
    PresentationState& state = State();
    std::lock_guard lock(state.mutex);
    return ToRgb(state);
}

}  // namespace brontar::machine
