// Large blocks of zeroed memory taken straight from the system, for the
// board's video memory and the presented picture: nothing is cleared by hand
// and a page costs only when it is first touched. A block that is used whole
// (a frame) may ask for huge pages, so touching it takes one fault instead of
// hundreds; where the system has no huge pages it works the same, page by
// page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace brontar::machine {

struct ReleasePages {
    size_t bytes = 0;  // the length mapped
    void operator()(uint8_t* block) const;
};
using ZeroedPages = std::unique_ptr<uint8_t[], ReleasePages>;

// How a block will be used: touched here and there (each page is zeroed when
// first touched), or nearly all of it (huge pages: all of it is zeroed at the
// first touch, in one go).
enum class PageUse { Sparse, Whole };

// A block used whole of at least half this size starts on a huge-page
// boundary and is rounded up to whole huge pages.
inline constexpr size_t kHugePageBytes = size_t{2} << 20;

// A zeroed, page-aligned block of at least `bytes` bytes (at least one page);
// throws std::bad_alloc when the system has no room.
ZeroedPages AllocateZeroedPages(size_t bytes, PageUse use);

}  // namespace brontar::machine
