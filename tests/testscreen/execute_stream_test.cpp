#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "testscreen/test_screen.h"

namespace {

constexpr DWORD kTriangleBufferSize = 10824;  // 300 vertices and 102 instructions of 12 bytes

// An execute buffer whose first byte lies the given distance past an 8-byte
// boundary.
struct Buffer {
    explicit Buffer(size_t misalignment, DWORD size = kTriangleBufferSize) : storage(size + 16, 0xCD), size(size) {
        const uintptr_t base = reinterpret_cast<uintptr_t>(storage.data());
        data = storage.data() + ((8 - base % 8) % 8) + misalignment;
    }
    std::vector<BYTE> Bytes(size_t offset, size_t count) const {
        return std::vector<BYTE>(data + offset, data + offset + count);
    }
    std::vector<BYTE> storage;
    DWORD size;
    BYTE* data;
};

std::vector<D3DTLVERTEX> Vertices(int count) {
    std::vector<D3DTLVERTEX> v(static_cast<size_t>(count), D3DTLVERTEX{});
    for (int i = 0; i < count; ++i) v[static_cast<size_t>(i)].sx = static_cast<float>(i);
    return v;
}

using Bytes = std::vector<BYTE>;

}  // namespace

TEST(TriangleStream, CubeFaceOnAnAlignedBufferHasNoFiller) {
    Buffer buffer(0);
    const auto vertices = Vertices(6);
    D3DEXECUTEDATA data;
    EXPECT_EQ(WriteTriangleStream(buffer.data, buffer.size, 2, 6, vertices.data(), &data), 240u);
    EXPECT_EQ(std::memcmp(buffer.data, vertices.data(), 192), 0);
    EXPECT_EQ(buffer.Bytes(192, 20), (Bytes{0x09, 0x10, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(buffer.Bytes(212, 12), (Bytes{0x03, 0x08, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x07}));
    EXPECT_EQ(buffer.Bytes(224, 12), (Bytes{0x03, 0x08, 0x01, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, 0x00, 0x00, 0x07}));
    EXPECT_EQ(buffer.Bytes(236, 4), (Bytes{0x0B, 0x00, 0x00, 0x00}));
    EXPECT_EQ(buffer.Bytes(240, 8), Bytes(8, 0x00));  // the rest of the buffer is zeroed
    EXPECT_EQ(buffer.data[kTriangleBufferSize - 1], 0x00);
    EXPECT_EQ(data.dwSize, 48u);
    EXPECT_EQ(data.dwVertexOffset, 0u);
    EXPECT_EQ(data.dwVertexCount, 6u);
    EXPECT_EQ(data.dwInstructionOffset, 192u);
    EXPECT_EQ(data.dwInstructionLength, 48u);
}

TEST(TriangleStream, FillerPutsTheTrianglesOnEightBytes) {
    // Four bytes past a boundary, the process-vertices record ends on one.
    Buffer buffer(4);
    const auto vertices = Vertices(6);
    D3DEXECUTEDATA data;
    EXPECT_EQ(WriteTriangleStream(buffer.data, buffer.size, 2, 6, vertices.data(), &data), 244u);
    EXPECT_EQ(buffer.Bytes(212, 4), (Bytes{0x03, 0x08, 0x00, 0x00}));
    EXPECT_EQ(buffer.Bytes(216, 12), (Bytes{0x03, 0x08, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x07}));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.data + 220) % 8, 0u);
    EXPECT_EQ(buffer.Bytes(240, 4), (Bytes{0x0B, 0x00, 0x00, 0x00}));
    EXPECT_EQ(data.dwInstructionOffset, 192u);
    EXPECT_EQ(data.dwInstructionLength, 52u);
}

TEST(TriangleStream, BackgroundStartsAfterItsTwentyFourVertices) {
    Buffer buffer(0);
    const auto vertices = Vertices(24);
    D3DEXECUTEDATA data;
    EXPECT_EQ(WriteTriangleStream(buffer.data, buffer.size, 8, 24, vertices.data(), &data), 888u);
    EXPECT_EQ(buffer.Bytes(768, 4), (Bytes{0x09, 0x10, 0x01, 0x00}));
    EXPECT_EQ(buffer.Bytes(780, 4), (Bytes{0x18, 0x00, 0x00, 0x00}));  // 24 vertices copied
    EXPECT_EQ(buffer.Bytes(788, 4), (Bytes{0x03, 0x08, 0x01, 0x00}));
    // Last triangle: header at 788 + 7 * 12 = 872, indices 21, 22, 23.
    EXPECT_EQ(buffer.Bytes(872, 12), (Bytes{0x03, 0x08, 0x01, 0x00, 21, 0x00, 22, 0x00, 23, 0x00, 0x00, 0x07}));
    EXPECT_EQ(buffer.Bytes(884, 4), (Bytes{0x0B, 0x00, 0x00, 0x00}));
    EXPECT_EQ(data.dwVertexCount, 24u);
    EXPECT_EQ(data.dwInstructionOffset, 768u);
    EXPECT_EQ(data.dwInstructionLength, 120u);
}

TEST(TriangleStream, RefusesWhatDoesNotFitOrNamesMissingVertices) {
    const auto vertices = Vertices(300);
    D3DEXECUTEDATA data;
    Buffer exact(0, 240);
    EXPECT_EQ(WriteTriangleStream(exact.data, exact.size, 2, 6, vertices.data(), &data), 240u);
    Buffer small(0, 239);
    EXPECT_EQ(WriteTriangleStream(small.data, small.size, 2, 6, vertices.data(), &data), 0u);
    EXPECT_EQ(small.data[0], 0xCD);  // nothing written
    Buffer full(0);
    EXPECT_EQ(WriteTriangleStream(full.data, full.size, 100, 300, vertices.data(), &data), 10824u);
    Buffer shifted(4);  // needs a filler: four bytes more than the buffer holds
    EXPECT_EQ(WriteTriangleStream(shifted.data, shifted.size, 100, 300, vertices.data(), &data), 0u);
    EXPECT_EQ(WriteTriangleStream(full.data, full.size, 101, 303, vertices.data(), &data), 0u);
    EXPECT_EQ(WriteTriangleStream(full.data, full.size, 3, 6, vertices.data(), &data), 0u);
    EXPECT_EQ(WriteTriangleStream(full.data, full.size, -1, 6, vertices.data(), &data), 0u);
}

TEST(StateStream, BackgroundStatesAreNinetySixBytes) {
    Buffer buffer(0, STATE_BUFFER_SIZE);
    EXPECT_EQ(WriteBackgroundStates(buffer.data, buffer.size), 96u);
    EXPECT_EQ(buffer.Bytes(0, 12), (Bytes{0x08, 0x08, 0x0B, 0x00, 0x09, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00}));
    // Texture handle (1) is the last state, with the value 0.
    EXPECT_EQ(buffer.Bytes(84, 12), (Bytes{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00}));
}

TEST(StateStream, CubeStatesCarryTheFaceTexture) {
    const DWORD expected[17][2] = {{9, 1},  {22, 2}, {26, 1}, {2, 1},  {31, 1}, {7, 1},  {14, 1}, {23, 4}, {8, 3},
                                   {28, 0}, {1, 0},  {21, 1}, {4, 1},  {18, 2}, {17, 2}, {5, 0},  {6, 0}};
    for (DWORD handle : {0u, 7u, 0xDEADBEEFu}) {
        Buffer buffer(0, STATE_BUFFER_SIZE);
        EXPECT_EQ(WriteCubeStates(buffer.data, buffer.size, handle), 144u);
        EXPECT_EQ(buffer.Bytes(0, 4), (Bytes{0x08, 0x08, 0x11, 0x00}));
        for (int i = 0; i < 17; ++i) {
            DWORD type;
            DWORD value;
            std::memcpy(&type, buffer.data + 4 + 8 * i, 4);
            std::memcpy(&value, buffer.data + 8 + 8 * i, 4);
            EXPECT_EQ(type, expected[i][0]) << i;
            EXPECT_EQ(value, i == 10 ? handle : expected[i][1]) << i;
        }
        EXPECT_EQ(buffer.Bytes(140, 4), (Bytes{0x0B, 0x00, 0x00, 0x00}));
    }
}

TEST(StateStream, RefusesABufferTooSmall) {
    Buffer buffer(0, 143);
    EXPECT_EQ(WriteCubeStates(buffer.data, buffer.size, 1), 0u);
    EXPECT_EQ(buffer.data[0], 0xCD);
    EXPECT_EQ(WriteBackgroundStates(buffer.data, 95), 0u);
    EXPECT_EQ(WriteBackgroundStates(buffer.data, 96), 96u);
}
