#include "machine/zeroed_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <new>

namespace brontar::machine {

namespace {

size_t RoundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

// Anonymous private memory: the system hands out zeroed pages.
uint8_t* MapAnonymous(size_t bytes) {
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    return static_cast<uint8_t*>(block);
}

}  // namespace

void ReleasePages::operator()(uint8_t* block) const {
    if (block != nullptr) ::munmap(block, bytes);
}

ZeroedPages AllocateZeroedPages(size_t bytes, PageUse use) {
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    if (use == PageUse::Sparse || bytes < kHugePageBytes / 2) {
        const size_t length = RoundUp(bytes == 0 ? 1 : bytes, page);
        return ZeroedPages(MapAnonymous(length), ReleasePages{length});
    }
    // Huge pages need huge-page alignment: map one huge page more than
    // wanted and give back what lies outside the aligned block.
    const size_t length = RoundUp(bytes, kHugePageBytes);
    if (length < bytes || length > SIZE_MAX - kHugePageBytes) throw std::bad_alloc();
    uint8_t* mapped = MapAnonymous(length + kHugePageBytes);
    const size_t lead = RoundUp(reinterpret_cast<uintptr_t>(mapped), kHugePageBytes) - reinterpret_cast<uintptr_t>(mapped);
    if (lead > 0) ::munmap(mapped, lead);
    if (kHugePageBytes - lead > 0) ::munmap(mapped + lead + length, kHugePageBytes - lead);
    uint8_t* block = mapped + lead;
    // Advice only: without huge pages the block is paged as any other.
    ::madvise(block, length, MADV_HUGEPAGE);
    return ZeroedPages(block, ReleasePages{length});
}

}  // namespace brontar::machine
