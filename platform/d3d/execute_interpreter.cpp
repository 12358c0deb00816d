#include "platform/d3d/execute_interpreter.h"

#include <cstring>
#include <vector>

#include "platform/kernel/debug_notes.h"

namespace brontar::platform {

namespace {

// One instruction: its header and the bytes of its records, all of which
// lie inside the instruction stream.
struct Instruction {
    uint64_t offset = 0;  // of the header, from the start of the buffer
    uint8_t opcode = 0;
    uint8_t recordSize = 0;
    uint16_t count = 0;
    const uint8_t* records = nullptr;
};

// The state of one execute: the vertices it was given, the processed
// vertices the triangles index, and whether this is the checking pass.
struct Execution {
    explicit Execution(const ExecuteContext& executeContext) : context(executeContext) {}

    const ExecuteContext& context;
    const uint8_t* sourceVertices = nullptr;
    uint32_t sourceCount = 0;
    std::vector<D3DTLVERTEX> processed;  // as many as the execute data lists
    bool checking = true;
    ExecuteOutcome outcome;

    // Records why the stream is refused; returns false for the caller to pass on.
    bool Refuse(const Instruction& instruction, const std::string& what) {
        outcome.error = ExecuteError::MalformedStream;
        outcome.problem = what + " (instruction at offset " + std::to_string(instruction.offset) + ")";
        return false;
    }
};

// Record i of an instruction, copied out so alignment never matters.
template <typename Record>
Record ReadRecord(const Instruction& instruction, uint32_t i) {
    Record record;
    std::memcpy(&record, instruction.records + size_t(i) * instruction.recordSize, sizeof(Record));
    return record;
}

machine::RasterVertex ToRasterVertex(const D3DTLVERTEX& v) {
    machine::RasterVertex out;
    out.x = v.sx;
    out.y = v.sy;
    out.z = v.sz;
    out.rhw = v.rhw;
    out.color = v.color;
    out.specular = v.specular;
    out.u = v.tu;
    out.v = v.tv;
    return out;
}

// Says once per process that an instruction is skipped.
void ReportSkippedOnce(uint8_t opcode, const char* reason) {
    DebugNoteOnce(DebugChannel::D3d, "opcode " + std::to_string(opcode),
                  "Direct3D execute: opcode " + std::to_string(opcode) + " skipped: " + reason);
}

// D3DOP_STATERENDER: each record sets one render state.
bool StateRender(const Instruction& instruction, Execution& execution) {
    if (execution.checking) return true;
    // The type is taken as the number the stream holds; D3DSTATE's enum member
    // could not hold a value outside its enumerators.
    struct StateRecord {
        DWORD type;
        DWORD argument;
    };
    static_assert(sizeof(StateRecord) == sizeof(D3DSTATE));
    for (uint32_t i = 0; i < instruction.count; ++i) {
        const StateRecord state = ReadRecord<StateRecord>(instruction, i);
        execution.context.states->Set(state.type, state.argument);
    }
    return true;
}

// D3DOP_PROCESSVERTICES: moves vertices from the execute data's vertex list
// into the processed vertices. The device takes transformed and lit
// vertices, so copying is the operation it performs.
bool ProcessVertices(const Instruction& instruction, Execution& execution) {
    for (uint32_t i = 0; i < instruction.count; ++i) {
        const D3DPROCESSVERTICES process = ReadRecord<D3DPROCESSVERTICES>(instruction, i);
        if (execution.checking) {
            if ((process.dwFlags & D3DPROCESSVERTICES_OPMASK) != D3DPROCESSVERTICES_COPY) {
                return execution.Refuse(instruction,
                                        "process vertices: transform and lighting are not implemented, only copy");
            }
            if (uint64_t(process.wStart) + process.dwCount > execution.sourceCount) {
                return execution.Refuse(instruction,
                                        "process vertices: source range past the vertex count");
            }
            if (uint64_t(process.wDest) + process.dwCount > execution.processed.size()) {
                return execution.Refuse(instruction,
                                        "process vertices: destination range past the vertex count");
            }
            continue;
        }
        // An empty copy may name the end of the array, which has no element to address.
        if (process.dwCount == 0) continue;
        std::memcpy(&execution.processed[process.wDest], execution.sourceVertices + size_t(process.wStart) * 32,
                    size_t(process.dwCount) * sizeof(D3DTLVERTEX));
        execution.outcome.verticesProcessed += process.dwCount;
    }
    return true;
}

// D3DOP_TRIANGLE: each record draws one triangle of processed vertices.
bool Triangle(const Instruction& instruction, Execution& execution) {
    const size_t vertexCount = execution.processed.size();
    if (execution.checking) {
        for (uint32_t i = 0; i < instruction.count; ++i) {
            const D3DTRIANGLE triangle = ReadRecord<D3DTRIANGLE>(instruction, i);
            if (triangle.v1 >= vertexCount || triangle.v2 >= vertexCount || triangle.v3 >= vertexCount) {
                return execution.Refuse(instruction,
                                        "triangle: vertex index past the vertex count");
            }
        }
        return true;
    }
    const ExecuteContext& context = execution.context;
    machine::RasterTexture texture;
    const D3DTEXTUREHANDLE handle = context.states->TextureHandle();
    const bool textured = handle != 0 && context.findTexture && context.findTexture(handle, &texture);
    const machine::RasterState raster = context.states->ToRasterState(textured ? &texture : nullptr);
    for (uint32_t i = 0; i < instruction.count; ++i) {
        const D3DTRIANGLE triangle = ReadRecord<D3DTRIANGLE>(instruction, i);
        const auto& vertices = execution.processed;
        if (context.driver->DrawTriangle(context.target, context.clip, raster, ToRasterVertex(vertices[triangle.v1]),
                                  ToRasterVertex(vertices[triangle.v2]), ToRasterVertex(vertices[triangle.v3]))) {
            ++execution.outcome.trianglesDrawn;
        }
    }
    return true;
}

// Transform and lighting states: the device draws vertices that are already
// transformed and lit, so they change nothing it draws.
bool TransformOrLightState(const Instruction& instruction, Execution& execution) {
    if (!execution.checking) ReportSkippedOnce(instruction.opcode, "the device draws transformed and lit vertices");
    return true;
}

// Points, lines, spans, matrices, texture loads, branches and status
// records: not implemented on this device; said once, then passed over.
bool NotImplemented(const Instruction& instruction, Execution& execution) {
    if (!execution.checking) ReportSkippedOnce(instruction.opcode, "not implemented on this device");
    return true;
}

using OpcodeHandler = bool (*)(const Instruction&, Execution&);

struct OpcodeInfo {
    size_t recordSize;  // the smallest record the opcode can read
    OpcodeHandler handler;
};

// The opcodes by number; a null handler is an opcode that does not exist.
// D3DOP_EXIT is handled by the walker.
OpcodeInfo LookUpOpcode(uint8_t opcode) {
    switch (opcode) {
    case D3DOP_POINT: return {sizeof(D3DPOINT), NotImplemented};
    case D3DOP_LINE: return {sizeof(D3DLINE), NotImplemented};
    case D3DOP_TRIANGLE: return {sizeof(D3DTRIANGLE), Triangle};
    case D3DOP_MATRIXLOAD: return {sizeof(D3DMATRIXLOAD), NotImplemented};
    case D3DOP_MATRIXMULTIPLY: return {sizeof(D3DMATRIXMULTIPLY), NotImplemented};
    case D3DOP_STATETRANSFORM: return {sizeof(D3DSTATE), TransformOrLightState};
    case D3DOP_STATELIGHT: return {sizeof(D3DSTATE), TransformOrLightState};
    case D3DOP_STATERENDER: return {sizeof(D3DSTATE), StateRender};
    case D3DOP_PROCESSVERTICES: return {sizeof(D3DPROCESSVERTICES), ProcessVertices};
    case D3DOP_TEXTURELOAD: return {sizeof(D3DTEXTURELOAD), NotImplemented};
    case D3DOP_BRANCHFORWARD: return {sizeof(D3DBRANCH), NotImplemented};
    case D3DOP_SPAN: return {sizeof(D3DSPAN), NotImplemented};
    case D3DOP_SETSTATUS: return {sizeof(D3DSTATUS), NotImplemented};
    default: return {0, nullptr};
    }
}

// Walks the instructions from begin to end, advancing by each one's
// declared size, and hands each to its opcode's handler. Stops after
// D3DOP_EXIT, at the end of the stream, or at the first failure.
bool WalkInstructions(const uint8_t* buffer, uint64_t begin, uint64_t end, Execution& execution) {
    uint64_t offset = begin;
    while (offset < end) {
        Instruction instruction;
        instruction.offset = offset;
        if (end - offset < sizeof(D3DINSTRUCTION)) {
            return execution.Refuse(instruction, "instruction header cut off by the end");
        }
        D3DINSTRUCTION header;
        std::memcpy(&header, buffer + offset, sizeof(header));
        instruction.opcode = header.bOpcode;
        instruction.recordSize = header.bSize;
        instruction.count = header.wCount;
        const uint64_t dataBytes = uint64_t(header.bSize) * header.wCount;
        if (end - offset - sizeof(D3DINSTRUCTION) < dataBytes) {
            return execution.Refuse(instruction, "instruction records run past the end");
        }
        if (header.bOpcode == D3DOP_EXIT) return true;
        const OpcodeInfo info = LookUpOpcode(header.bOpcode);
        if (!info.handler) {
            return execution.Refuse(instruction,
                                    "unknown opcode " + std::to_string(header.bOpcode));
        }
        if (header.wCount > 0 && header.bSize < info.recordSize) {
            return execution.Refuse(instruction,
                                    "record size " + std::to_string(header.bSize) + " too small for opcode " +
                                        std::to_string(header.bOpcode));
        }
        instruction.records = buffer + offset + sizeof(D3DINSTRUCTION);
        if (!info.handler(instruction, execution)) return false;
        offset += sizeof(D3DINSTRUCTION) + dataBytes;
    }
    return true;
}

}  // namespace

ExecuteOutcome RunExecuteBuffer(std::span<const uint8_t> buffer, const D3DEXECUTEDATA& data,
                                const ExecuteContext& context) {
    Execution execution(context);
    const uint64_t size = buffer.size();
    if (uint64_t(data.dwVertexOffset) + uint64_t(data.dwVertexCount) * sizeof(D3DTLVERTEX) > size) {
        execution.outcome.error = ExecuteError::BadExecuteData;
        execution.outcome.problem = "vertices run past the end of the buffer";
        return execution.outcome;
    }
    if (uint64_t(data.dwInstructionOffset) + data.dwInstructionLength > size) {
        execution.outcome.error = ExecuteError::BadExecuteData;
        execution.outcome.problem = "instructions run past the end of the buffer";
        return execution.outcome;
    }
    execution.sourceVertices = buffer.data() + data.dwVertexOffset;
    execution.sourceCount = data.dwVertexCount;
    execution.processed.assign(data.dwVertexCount, D3DTLVERTEX{});

    const uint64_t begin = data.dwInstructionOffset;
    const uint64_t end = begin + data.dwInstructionLength;
    if (!WalkInstructions(buffer.data(), begin, end, execution)) return execution.outcome;
    execution.checking = false;
    WalkInstructions(buffer.data(), begin, end, execution);
    return execution.outcome;
}

}  // namespace brontar::platform
