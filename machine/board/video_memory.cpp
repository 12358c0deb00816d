#include "machine/board/video_memory.h"

#include <iterator>

namespace brontar::machine {

VideoMemoryHeap::VideoMemoryHeap(uint32_t totalBytes, PageUse use)
    : total_(totalBytes / kAlignment * kAlignment),
      free_(total_),
      storage_(AllocateZeroedPages(total_, use)) {
    if (total_ > 0) freeRanges_[0] = total_;
}

uint8_t* VideoMemoryHeap::Allocate(uint32_t bytes) {
    if (bytes == 0 || bytes > total_) return nullptr;
    const uint32_t size = (bytes + kAlignment - 1) / kAlignment * kAlignment;
    for (auto range = freeRanges_.begin(); range != freeRanges_.end(); ++range) {
        if (range->second < size) continue;
        const uint32_t offset = range->first;
        const uint32_t rest = range->second - size;
        freeRanges_.erase(range);
        if (rest > 0) freeRanges_[offset + size] = rest;
        usedBlocks_[offset] = size;
        free_ -= size;
        return storage_.get() + offset;
    }
    return nullptr;
}

void VideoMemoryHeap::Free(uint8_t* block) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(block);
    const uintptr_t base = reinterpret_cast<uintptr_t>(storage_.get());
    if (address < base || address >= base + total_) return;
    const auto offset = static_cast<uint32_t>(address - base);
    auto used = usedBlocks_.find(offset);
    if (used == usedBlocks_.end()) return;
    uint32_t start = offset;
    uint32_t size = used->second;
    usedBlocks_.erase(used);
    free_ += size;
    // Merge with the free neighbours so large blocks fit again.
    auto next = freeRanges_.lower_bound(start);
    if (next != freeRanges_.end() && next->first == start + size) {
        size += next->second;
        next = freeRanges_.erase(next);
    }
    if (next != freeRanges_.begin()) {
        auto previous = std::prev(next);
        if (previous->first + previous->second == start) {
            start = previous->first;
            size += previous->second;
            freeRanges_.erase(previous);
        }
    }
    freeRanges_[start] = size;
}

}  // namespace brontar::machine
