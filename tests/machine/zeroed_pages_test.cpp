#include "machine/zeroed_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

using brontar::machine::AllocateZeroedPages;
using brontar::machine::kHugePageBytes;
using brontar::machine::PageUse;

namespace {

const size_t kPage = static_cast<size_t>(::sysconf(_SC_PAGESIZE));

// Whether every page of [block, block + bytes) is mapped in this process.
bool Mapped(const uint8_t* block, size_t bytes) {
    std::vector<unsigned char> resident((bytes + kPage - 1) / kPage);
    return ::mincore(const_cast<uint8_t*>(block), bytes, resident.data()) == 0;
}

}  // namespace

// Every size, small or of megabytes, sparse or whole: zeroed to its last byte,
// writable there, page-aligned; whole blocks of megabytes on a huge-page
// boundary; and gone from the process once released.
TEST(ZeroedPages, ZeroedWritableAlignedAndGivenBack) {
    const struct {
        size_t bytes;
        PageUse use;
        bool hugeAligned;
    } cases[] = {
        {0, PageUse::Sparse, false},
        {1, PageUse::Whole, false},
        {kPage + 1, PageUse::Sparse, false},
        {kHugePageBytes / 2 - 1, PageUse::Whole, false},
        {kHugePageBytes / 2, PageUse::Whole, true},
        {800 * 600 * 4, PageUse::Whole, true},  // a presented frame
        {kHugePageBytes + 1, PageUse::Whole, true},
        {kHugePageBytes * 2, PageUse::Sparse, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const uint8_t* address = nullptr;
        size_t usable = c.bytes == 0 ? 1 : c.bytes;
        {
            auto block = AllocateZeroedPages(c.bytes, c.use);
            ASSERT_NE(block.get(), nullptr);
            address = block.get();
            EXPECT_EQ(reinterpret_cast<uintptr_t>(address) % kPage, 0u);
            if (c.hugeAligned) {
                EXPECT_EQ(reinterpret_cast<uintptr_t>(address) % kHugePageBytes, 0u);
            }
            EXPECT_GE(block.get_deleter().bytes, usable);
            const size_t probes[] = {0, usable / 2, usable - 1};
            for (size_t at : probes) EXPECT_EQ(block[at], 0) << at;
            for (size_t at : probes) block[at] = 0xA5;
            for (size_t at : probes) EXPECT_EQ(block[at], 0xA5) << at;
            EXPECT_TRUE(Mapped(address, usable));
        }
        EXPECT_FALSE(Mapped(address, usable));
        EXPECT_EQ(errno, ENOMEM);
    }
}

// Memory freed and taken again comes back zeroed, not with what was written.
TEST(ZeroedPages, ANewBlockNeverShowsAnOldOnesBytes) {
    for (PageUse use : {PageUse::Sparse, PageUse::Whole}) {
        for (int round = 0; round < 3; ++round) {
            auto block = AllocateZeroedPages(kHugePageBytes, use);
            for (size_t at = 0; at < kHugePageBytes; at += kPage) ASSERT_EQ(block[at], 0) << at;
            std::fill(block.get(), block.get() + kHugePageBytes, uint8_t{0xFF});
        }
    }
}
