// Fuzz target: an execute buffer and its execute data from arbitrary bytes.
// The first 16 bytes are the vertex offset, vertex count, instruction offset
// and instruction length (little-endian 32-bit); the rest is the buffer,
// copied to memory of exactly its size so any read past it is caught.
#include <cstdint>
#include <cstring>
#include <vector>

#include "machine/board/display_board.h"
#include "platform/d3d/execute_interpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace brontar;
    if (size < 16) return 0;
    D3DEXECUTEDATA executeData{};
    executeData.dwSize = sizeof(executeData);
    std::memcpy(&executeData.dwVertexOffset, data, 4);
    std::memcpy(&executeData.dwVertexCount, data + 4, 4);
    std::memcpy(&executeData.dwInstructionOffset, data + 8, 4);
    std::memcpy(&executeData.dwInstructionLength, data + 12, 4);
    const std::vector<uint8_t> buffer(data + 16, data + size);

    static std::vector<uint16_t> pixels(64 * 48);
    static const std::vector<uint16_t> texels(4 * 4, 0x07E0);
    static machine::DisplayBoard driver{machine::DisplayDriverInfo{}};
    platform::RenderStates states;
    platform::ExecuteContext context;
    context.driver = &driver;
    context.target = {pixels.data(), 64, 48, 128};
    context.states = &states;
    context.findTexture = [](D3DTEXTUREHANDLE handle, machine::RasterTexture* texture) {
        if (handle != 1) return false;
        *texture = {texels.data(), 4, 4, 8, true, 0x07E0};
        return true;
    };
    platform::RunExecuteBuffer(buffer, executeData, context);
    return 0;
}
