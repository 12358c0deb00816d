// Tiny emitters for execute-buffer streams: vertices first, then the
// instructions, laid out byte for byte as a program writes them.
#pragma once

#include <d3dtypes.h>

#include <cstdint>
#include <array>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace brontar::testing {

inline D3DTLVERTEX TLVertex(float x, float y, D3DCOLOR color = 0xFFFFFFFF, float u = 0, float v = 0) {
    D3DTLVERTEX vertex{};
    vertex.sx = x;
    vertex.sy = y;
    vertex.sz = 0.5f;
    vertex.rhw = 1.0f;
    vertex.color = color;
    vertex.tu = u;
    vertex.tv = v;
    return vertex;
}

class ExecuteStream {
public:
    explicit ExecuteStream(std::vector<D3DTLVERTEX> vertices = {}) : vertices_(std::move(vertices)) {}

    ExecuteStream& Header(uint8_t opcode, uint8_t size, uint16_t count) {
        const D3DINSTRUCTION header{opcode, size, count};
        return Raw(&header, sizeof(header));
    }
    ExecuteStream& States(std::initializer_list<std::pair<DWORD, DWORD>> states) {
        Header(D3DOP_STATERENDER, sizeof(D3DSTATE), uint16_t(states.size()));
        // Written as numbers: a type outside the enum is what a stream may hold.
        for (const auto& [type, value] : states) {
            const DWORD record[2] = {type, value};
            Raw(record, sizeof record);
        }
        return *this;
    }
    ExecuteStream& ProcessVertices(DWORD flags, WORD start, WORD dest, DWORD count) {
        Header(D3DOP_PROCESSVERTICES, sizeof(D3DPROCESSVERTICES), 1);
        const D3DPROCESSVERTICES process{flags, start, dest, count, 0};
        return Raw(&process, sizeof(process));
    }
    ExecuteStream& CopyAllVertices() { return ProcessVertices(D3DPROCESSVERTICES_COPY, 0, 0, DWORD(vertices_.size())); }
    ExecuteStream& Triangles(std::initializer_list<std::array<WORD, 3>> triangles) {
        Header(D3DOP_TRIANGLE, sizeof(D3DTRIANGLE), uint16_t(triangles.size()));
        for (const auto& t : triangles) {
            D3DTRIANGLE triangle{};
            triangle.v1 = t[0];
            triangle.v2 = t[1];
            triangle.v3 = t[2];
            triangle.wFlags = D3DTRIFLAG_EDGEENABLETRIANGLE;
            Raw(&triangle, sizeof(triangle));
        }
        return *this;
    }
    ExecuteStream& Exit() { return Header(D3DOP_EXIT, 0, 0); }
    ExecuteStream& Raw(const void* bytes, size_t size) {
        const auto* begin = static_cast<const uint8_t*>(bytes);
        instructions_.insert(instructions_.end(), begin, begin + size);
        return *this;
    }

    // The whole buffer: vertices at offset 0, instructions right after them.
    std::vector<uint8_t> Buffer() const {
        std::vector<uint8_t> buffer(VertexBytes() + instructions_.size());
        if (!vertices_.empty()) std::memcpy(buffer.data(), vertices_.data(), VertexBytes());
        std::memcpy(buffer.data() + VertexBytes(), instructions_.data(), instructions_.size());
        return buffer;
    }
    D3DEXECUTEDATA Data() const {
        D3DEXECUTEDATA data{};
        data.dwSize = sizeof(D3DEXECUTEDATA);
        data.dwVertexCount = DWORD(vertices_.size());
        data.dwInstructionOffset = DWORD(VertexBytes());
        data.dwInstructionLength = DWORD(instructions_.size());
        return data;
    }

private:
    size_t VertexBytes() const { return vertices_.size() * sizeof(D3DTLVERTEX); }

    std::vector<D3DTLVERTEX> vertices_;
    std::vector<uint8_t> instructions_;
};

}  // namespace brontar::testing
