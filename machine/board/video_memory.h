// One heap of the board's video memory (its frame buffer or its texture
// memory): real bytes handed out first-fit in aligned blocks, so creation
// fails once the board is full, as it does on the card.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "machine/zeroed_pages.h"

namespace brontar::machine {

class VideoMemoryHeap {
public:
    // Every block starts on this boundary and its size is rounded up to it.
    static constexpr uint32_t kAlignment = 32;

    // `use` tells whether the heap will be drawn into nearly whole (the
    // frame buffer) or a block here and there (textures).
    VideoMemoryHeap(uint32_t totalBytes, PageUse use);

    // The start of a block of at least `bytes` bytes, or nothing when no free
    // range is large enough. A request of 0 bytes gets nothing.
    uint8_t* Allocate(uint32_t bytes);
    // Gives a block back; a pointer that is not a block start is ignored.
    void Free(uint8_t* block);

    uint32_t TotalBytes() const { return total_; }
    uint32_t FreeBytes() const { return free_; }

private:
    uint32_t total_;
    uint32_t free_;
    // Zeroed by the system and page-aligned, so a board that draws into a
    // little of its memory never pays for clearing all of it.
    ZeroedPages storage_;
    std::map<uint32_t, uint32_t> freeRanges_;  // offset -> size, never adjacent
    std::map<uint32_t, uint32_t> usedBlocks_;  // offset -> size
};

}  // namespace brontar::machine
