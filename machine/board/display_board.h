// One display device of the machine as the process sees it: its mode, who
// holds it exclusively, its video memory and whether its surfaces were lost.
// Programs reach it through DirectDraw; the board's driver presents its
// flipped frames to the monitor.
#pragma once

#include <cstdint>
#include <memory>

#include "machine/board/blitter.h"
#include "machine/board/display_drivers.h"
#include "machine/board/video_memory.h"
#include "machine/display/presentation.h"

namespace brontar::machine {

enum class VideoHeap {
    FrameBuffer,  // displayed surfaces, back buffers, off-screen surfaces
    Texture,      // texture surfaces
};

class DisplayBoard {
public:
    explicit DisplayBoard(DisplayDriverInfo driver);

    const DisplayDriverInfo& Driver() const { return driver_; }

    // The mode the device runs: the one a program set, else the desktop's.
    DisplayMode CurrentMode() const { return mode_; }
    bool SupportsMode(const DisplayMode& mode) const;
    // Switches the mode; a real change loses every frame buffer surface.
    void SetMode(const DisplayMode& mode);
    // Back to the desktop's mode.
    void RestoreMode() { SetMode(driver_.desktopMode); }

    // The program object holding the device exclusively (null: nobody).
    const void* ExclusiveOwner() const { return exclusiveOwner_; }
    void TakeExclusive(const void* owner) { exclusiveOwner_ = owner; }
    // The owner gives the device up; the monitor stops showing its frames.
    void LeaveExclusive();

    uint8_t* AllocateVideoMemory(VideoHeap heap, uint32_t bytes) { return Heap(heap).Allocate(bytes); }
    void FreeVideoMemory(VideoHeap heap, uint8_t* block) { Heap(heap).Free(block); }
    uint32_t TotalVideoMemory() const { return frameBuffer_.TotalBytes() + textures_.TotalBytes(); }
    uint32_t FreeVideoMemoryBytes() const { return frameBuffer_.FreeBytes() + textures_.FreeBytes(); }

    // Frame buffer surfaces remember the generation they were made or
    // restored in; one of an older generation has lost its memory. Texture
    // memory is never taken.
    uint64_t SurfaceGeneration() const { return generation_; }
    void LoseSurfaces() { ++generation_; }

    // Shows a flipped frame when this driver drives the monitor.
    void Present(const PixelBlock& frame, const DisplayGamma& gamma);

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
