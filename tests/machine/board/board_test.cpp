// The board's side of DirectDraw: modes and drivers from machine.ini, the
// video memory heaps and the blitter.
#include <gtest/gtest.h>

#include "machine/board/blitter.h"
#include "machine/board/display_drivers.h"
#include "machine/board/video_memory.h"

using namespace brontar::machine;

TEST(DisplayModeText, ReadsOnlyWellFormedModes) {
    EXPECT_EQ(ParseDisplayMode("640x480x16"), (DisplayMode{640, 480, 16}));
    EXPECT_EQ(ParseDisplayMode(" 800X600x16 "), (DisplayMode{800, 600, 16}));
    for (const char* bad : {"640x480", "0x480x16", "640x480x15", "5000x480x16", "640x480x16x", "-640x480x16",
                            "640xx480x16", "", "axbxc"})
        EXPECT_FALSE(ParseDisplayMode(bad)) << bad;
}

TEST(DisplayDrivers, DefaultMachineHasThePrimaryDisplayAndTheBoard) {
    const DisplayDriverList list = ReadDisplayDrivers(MachineIni::Parse(""));
    ASSERT_EQ(list.drivers.size(), 2u);
    const DisplayDriverInfo& primary = list.drivers[0];
    EXPECT_EQ(primary.name, "display");
    EXPECT_EQ(primary.description, "Primary Display Driver");
    EXPECT_FALSE(primary.identity);
    EXPECT_FALSE(primary.presents);

    const DisplayDriverInfo& board = list.drivers[1];
    EXPECT_EQ(board.name, "ddcorv");
    EXPECT_EQ(board.description, "Brontar 3D");
    EXPECT_EQ(board.identity, BoardDriverIdentity());
    EXPECT_EQ(board.modes, (std::vector<DisplayMode>{{512, 384, 16}, {640, 400, 16}, {640, 480, 16}, {800, 600, 16}}));
    EXPECT_EQ(board.frameBufferBytes, 2u * 1024 * 1024);
    EXPECT_EQ(board.textureBytes, 2u * 1024 * 1024);
    EXPECT_TRUE(board.presents);
    EXPECT_TRUE(list.problems.empty());
}

TEST(DisplayDrivers, SectionsOverrideDefaultsAndBadEntriesAreReported) {
    const DisplayDriverList list = ReadDisplayDrivers(MachineIni::Parse(
        "[directdraw]\ndrivers= ddcorv , spare, broken\n"
        "[directdraw.spare]\nname=DDCORV\nidentity={11111111-2222-3333-4444-555555555555}\n"
        "modes=640x480x16, 1x1x3\nvideomemory=1000\nframebuffer=5000\n"
        "[directdraw.broken]\nidentity={not-a-guid}\n"));
    ASSERT_EQ(list.drivers.size(), 2u);
    const DisplayDriverInfo& spare = list.drivers[1];
    EXPECT_EQ(spare.name, "DDCORV");
    EXPECT_EQ(spare.description, "Brontar 3D");
    EXPECT_EQ((*spare.identity)[0], 0x11);
    EXPECT_EQ((*spare.identity)[4], 0x22);
    EXPECT_EQ(spare.modes, (std::vector<DisplayMode>{{640, 480, 16}}));
    // A frame buffer larger than the memory takes all of it.
    EXPECT_EQ(spare.frameBufferBytes, 1000u);
    EXPECT_EQ(spare.textureBytes, 0u);
    EXPECT_EQ(list.problems.size(), 3u);  // the bad mode, the frame buffer, the broken identity
}

TEST(VideoMemoryHeap, RunsFullAndMergesFreedNeighbours) {
    VideoMemoryHeap heap(4096, PageUse::Sparse);
    uint8_t* a = heap.Allocate(1000);  // rounded up to 1024
    uint8_t* b = heap.Allocate(1024);
    uint8_t* c = heap.Allocate(2048);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(b - a, 1024);
    EXPECT_EQ(heap.FreeBytes(), 0u);
    EXPECT_EQ(heap.Allocate(1), nullptr);

    heap.Free(b);
    EXPECT_EQ(heap.Allocate(2048), nullptr);  // 1024 free, no larger range
    heap.Free(a);
    EXPECT_EQ(heap.Allocate(2048), a);  // a and b merged
    heap.Free(c + 32);                  // not a block start
    heap.Free(nullptr);
    EXPECT_EQ(heap.FreeBytes(), 0u);
    EXPECT_EQ(heap.Allocate(0), nullptr);
}

TEST(VideoMemoryHeap, BlocksAreAligned) {
    VideoMemoryHeap heap(1024, PageUse::Whole);
    uint8_t* first = heap.Allocate(1);
    uint8_t* second = heap.Allocate(1);
    EXPECT_EQ(second - first, 32);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % VideoMemoryHeap::kAlignment, 0u);
    EXPECT_EQ(heap.FreeBytes(), 1024u - 64u);
}

TEST(Blitter, ColorKeyRangeComparesEachChannel) {
    // Red 2..4, green 10..20, blue 0..31.
    const ColorKeyRange key{static_cast<uint16_t>(2 << 11 | 10 << 5 | 0), static_cast<uint16_t>(4 << 11 | 20 << 5 | 31)};
    EXPECT_TRUE(key.Contains(3 << 11 | 15 << 5 | 7));
    EXPECT_FALSE(key.Contains(5 << 11 | 15 << 5 | 7));  // red above
    EXPECT_FALSE(key.Contains(3 << 11 | 9 << 5 | 7));   // green below
    const ColorKeyRange black{0, 0};
    EXPECT_TRUE(black.Contains(0));
    EXPECT_FALSE(black.Contains(1));
}

TEST(Blitter, SourceKeySkipsKeyedPixelsAndDestinationKeyOnlyReplacesKeyed) {
    uint16_t source[4] = {0x0000, 0xFFFF, 0x0000, 0x1234};
    uint16_t target[4] = {0x5555, 0x5555, 0x0000, 0x5555};
    const PixelBlock from{source, 4, 1, 8};
    const PixelBlock to{target, 4, 1, 8};
    CopyPixels(to, 0, 0, from, {0, 0, 4, 1}, KeyMode::Source, {0, 0});
    EXPECT_EQ(target[0], 0x5555);
    EXPECT_EQ(target[1], 0xFFFF);
    EXPECT_EQ(target[2], 0x0000);
    EXPECT_EQ(target[3], 0x1234);

    uint16_t under[4] = {0x0000, 0x7777, 0x0000, 0x7777};
    CopyPixels({under, 4, 1, 8}, 0, 0, from, {0, 0, 4, 1}, KeyMode::Destination, {0, 0});
    EXPECT_EQ(under[0], 0x0000);  // replaced by source black
    EXPECT_EQ(under[1], 0x7777);  // not keyed, kept
    EXPECT_EQ(under[3], 0x7777);
}

TEST(Blitter, SourceKeyHoldsAcrossWholeWordsAndTheRowsTail) {
    // Eleven pixels: two groups of four and a tail of three. Every third
    // pixel is the key 0x8001 (a value with both outer bits set).
    uint16_t source[11];
    uint16_t target[11];
    for (int i = 0; i < 11; ++i) {
        source[i] = i % 3 == 0 ? 0x8001 : static_cast<uint16_t>(0x0100 + i);
        target[i] = 0x7777;
    }
    CopyPixels({target, 11, 1, 22}, 0, 0, {source, 11, 1, 22}, {0, 0, 11, 1}, KeyMode::Source, {0x8001, 0x8001});
    for (int i = 0; i < 11; ++i) EXPECT_EQ(target[i], i % 3 == 0 ? 0x7777 : 0x0100 + i) << i;
}

TEST(Blitter, OverlappingCopyWithinOneBlockReadsBeforeWriting) {
    // Two rows of 4 pixels with a pitch of 6 pixels.
    uint16_t pixels[12] = {1, 2, 3, 4, 0, 0, 5, 6, 7, 8, 0, 0};
    const PixelBlock block{pixels, 4, 2, 12};
    CopyPixels(block, 1, 0, block, {0, 0, 3, 2}, KeyMode::None, {});
    EXPECT_EQ((std::vector<uint16_t>(pixels, pixels + 4)), (std::vector<uint16_t>{1, 1, 2, 3}));
    EXPECT_EQ((std::vector<uint16_t>(pixels + 6, pixels + 10)), (std::vector<uint16_t>{5, 5, 6, 7}));
    // Pitch padding is never touched.
    EXPECT_EQ(pixels[4], 0);
    EXPECT_EQ(pixels[11], 0);
}

TEST(Blitter, RectInsideRejectsEmptyAndOutsideRectangles) {
    const PixelBlock block{nullptr, 10, 5, 20};
    EXPECT_TRUE(RectInside({0, 0, 10, 5}, block));
    EXPECT_FALSE(RectInside({0, 0, 11, 5}, block));
    EXPECT_FALSE(RectInside({-1, 0, 3, 3}, block));
    EXPECT_FALSE(RectInside({3, 3, 3, 4}, block));  // empty
    EXPECT_FALSE(RectInside({4, 3, 3, 4}, block));  // inverted
}
