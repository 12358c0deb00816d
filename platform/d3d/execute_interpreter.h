// Runs the instruction stream of an execute buffer, drawing its triangles
// through the display driver. Every offset, count, size and opcode is checked against the
// buffer before it is read, and the whole stream is checked before any of
// it runs: a malformed stream is refused and draws nothing.
#pragma once

#include <d3dtypes.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "machine/board/driver.h"
#include "platform/d3d/render_states.h"

namespace brontar::platform {

// Where and with what an execute draws.
struct ExecuteContext {
    machine::DisplayDriver* driver = nullptr;  // draws the triangles
    machine::PixelBlock target;
    machine::RasterClip clip;
    RenderStates* states = nullptr;
    // The texels of a texture handle; false when the handle names no live
    // texture (the triangles are then drawn untextured).
    std::function<bool(D3DTEXTUREHANDLE handle, machine::RasterTexture* texture)> findTexture;
};

enum class ExecuteError {
    None,
    BadExecuteData,   // the vertex or instruction range lies outside the buffer
    MalformedStream,  // an instruction is cut off, unknown, too small or out of range
};

struct ExecuteOutcome {
    ExecuteError error = ExecuteError::None;
    std::string problem;  // what was wrong, when there is an error
    DWORD trianglesDrawn = 0;
    DWORD verticesProcessed = 0;
};

// Checks, then runs, the stream that data describes inside buffer.
ExecuteOutcome RunExecuteBuffer(std::span<const uint8_t> buffer, const D3DEXECUTEDATA& data,
                                const ExecuteContext& context);

}  // namespace brontar::platform
