// The machine's display devices behind the driver interface: the board, and
// the primary display driver (a device with the same blitter, no 3D and no
// picture of its own), each as machine.ini describes it.
#pragma once

#include <cstdint>
#include <memory>

#include "machine/board/display_drivers.h"
#include "machine/board/driver.h"
#include "machine/board/video_memory.h"

namespace brontar::machine {

class DisplayBoard final : public DisplayDriver {
public:
    explicit DisplayBoard(DisplayDriverInfo driver);

    const std::vector<DisplayMode>& Modes() const override { return driver_.modes; }
    DisplayMode DesktopMode() const override { return driver_.desktopMode; }
    DisplayMode CurrentMode() const override { return mode_; }
    bool SupportsMode(const DisplayMode& mode) const override;
    void SetMode(const DisplayMode& mode) override;

    const void* ExclusiveOwner() const override { return exclusiveOwner_; }
    void TakeExclusive(const void* owner) override { exclusiveOwner_ = owner; }
    void LeaveExclusive() override;

    DriverCaps Caps() const override;

    uint8_t* AllocateVideoMemory(VideoHeap heap, uint32_t bytes) override { return Heap(heap).Allocate(bytes); }
    void FreeVideoMemory(VideoHeap heap, uint8_t* block) override { Heap(heap).Free(block); }
    uint64_t SurfaceGeneration() const override { return generation_; }
    void LoseSurfaces() override { ++generation_; }

    DisplayGamma ReadGamma(const DwordSettingReader& read) const override;
    bool ShowsFrames() const override { return driver_.presents; }
    void Present(const PixelBlock& frame, const DisplayGamma& gamma) override;

    void Fill(const PixelBlock& target, const PixelRect& rect, uint16_t color) override;
    void Copy(const PixelBlock& target, int x, int y, const PixelBlock& source, const PixelRect& sourceRect,
              KeyMode mode, ColorKeyRange key) override;
    bool DrawTriangle(const PixelBlock& target, const RasterClip& clip, const RasterState& state,
                      const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) override;

private:
    VideoMemoryHeap& Heap(VideoHeap heap) { return heap == VideoHeap::Texture ? textures_ : frameBuffer_; }

    DisplayDriverInfo driver_;
    DisplayMode mode_;
    const void* exclusiveOwner_ = nullptr;
    VideoMemoryHeap frameBuffer_;
    VideoMemoryHeap textures_;
    uint64_t generation_ = 0;
};

// The process's device for a driver, made from the description on first use
// and shared while anything uses it; once released, the next use starts
// afresh in the desktop's mode.
std::shared_ptr<DisplayBoard> OpenDisplayBoard(const DisplayDriverInfo& driver);

}  // namespace brontar::machine
