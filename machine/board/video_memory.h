// One heap of the board's video memory (its frame buffer or its texture
// memory): real bytes handed out first-fit in aligned blocks, so creation
// fails once the board is full, as it does on the card.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

namespace brontar::machine {

class VideoMemoryHeap {
public:
    // Every block starts on this boundary and its size is rounded up to it.
    static constexpr uint32_t kAlignment = 32;

    explicit VideoMemoryHeap(uint32_t totalBytes);

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
    // Zeroed, kAlignment bytes more than needed. calloc takes fresh zero
    // pages from the system for megabytes, so a board that draws into a
    // little of its memory never pays for clearing all of it.
    struct FreeStorage {
        void operator()(uint8_t* storage) const { std::free(storage); }
    };
    std::unique_ptr<uint8_t[], FreeStorage> storage_;
    uint8_t* base_ = nullptr;             // first aligned byte of storage_
    std::map<uint32_t, uint32_t> freeRanges_;  // offset -> size, never adjacent
    std::map<uint32_t, uint32_t> usedBlocks_;  // offset -> size
};

}  // namespace brontar::machine
