// The execute-buffer interpreter: running well-formed streams, and refusing
// malformed ones before anything is drawn.
#include "platform/d3d/execute_interpreter.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "machine/board/display_board.h"
#include "tests/platform/d3d/execute_stream.h"
#include "tests/machine/board/canvas.h"
#include "tests/support/system_fixtures.h"

namespace brontar::testing {
namespace {

using machine::testing::Canvas;
using machine::testing::kBackground;
using platform::ExecuteError;
using platform::ExecuteOutcome;
using platform::RenderStates;
using platform::RunExecuteBuffer;

constexpr D3DCOLOR kRed = 0xFFFF0000;

// A red square from (2,2) to (6,6) as two triangles.
std::vector<D3DTLVERTEX> Square() {
    return {TLVertex(2, 2, kRed), TLVertex(6, 2, kRed), TLVertex(6, 6, kRed), TLVertex(2, 6, kRed)};
}

// The square's two triangles after the given render states, not yet ended.
ExecuteStream SquareAfter(std::initializer_list<std::pair<DWORD, DWORD>> states) {
    ExecuteStream stream(Square());
    stream.States(states).CopyAllVertices().Triangles({{0, 1, 2}, {0, 2, 3}});
    return stream;
}

struct Runner {
    Canvas canvas{8, 8};
    machine::DisplayBoard driver{machine::DisplayDriverInfo{}};
    RenderStates states;
    std::vector<uint16_t> texels;
    machine::RasterTexture texture;

    ExecuteOutcome Run(const std::vector<uint8_t>& buffer, const D3DEXECUTEDATA& data) {
        platform::ExecuteContext context;
        context.driver = &driver;
        context.target = canvas.Target();
        context.states = &states;
        context.findTexture = [this](D3DTEXTUREHANDLE handle, machine::RasterTexture* out) {
            if (handle != 7 || texels.empty()) return false;
            *out = texture;
            return true;
        };
        return RunExecuteBuffer(buffer, data, context);
    }
    ExecuteOutcome Run(const ExecuteStream& stream) { return Run(stream.Buffer(), stream.Data()); }
};

TEST(ExecuteInterpreter, RunsStatesVerticesAndTriangles) {
    Runner runner;
    ExecuteStream stream =
        SquareAfter({{D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT}, {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}});
    stream.Exit();
    const ExecuteOutcome outcome = runner.Run(stream);
    EXPECT_EQ(outcome.error, ExecuteError::None) << outcome.problem;
    EXPECT_EQ(outcome.trianglesDrawn, 2u);
    EXPECT_EQ(outcome.verticesProcessed, 4u);
    EXPECT_EQ(runner.canvas.CountDrawn(), 16);
    EXPECT_EQ(runner.canvas.At(2, 2), 0xF800);
    EXPECT_EQ(runner.canvas.At(5, 5), 0xF800);
    EXPECT_EQ(runner.canvas.At(6, 6), kBackground);
    EXPECT_EQ(runner.states.Get(D3DRENDERSTATE_SHADEMODE), DWORD(D3DSHADE_FLAT));
}

// A state type that is no enumerator (the sanitizer build checks that it is
// never loaded as the enum) changes nothing; the states and triangles after
// it run.
TEST(ExecuteInterpreter, UnknownRenderStateNumbersArePassedOver) {
    Runner runner;
    ExecuteStream stream = SquareAfter({{0x90000000u, 1}, {0xFFFFFFFFu, 1}, {D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT}});
    stream.Exit();
    const ExecuteOutcome outcome = runner.Run(stream);
    EXPECT_EQ(outcome.error, ExecuteError::None) << outcome.problem;
    EXPECT_EQ(outcome.trianglesDrawn, 2u);
    EXPECT_EQ(runner.states.Get(D3DRENDERSTATE_SHADEMODE), DWORD(D3DSHADE_FLAT));
}

TEST(ExecuteInterpreter, RenderStatesLastFromOneExecuteToTheNext) {
    Runner runner;
    EXPECT_EQ(runner.Run(ExecuteStream().States({{D3DRENDERSTATE_CULLMODE, D3DCULL_CW}}).Exit()).error,
              ExecuteError::None);
    // 0, 1, 2 runs clockwise on the screen: culled now.
    ExecuteStream stream(Square());
    stream.CopyAllVertices().Triangles({{0, 1, 2}, {0, 2, 1}}).Exit();
    EXPECT_EQ(runner.Run(stream).trianglesDrawn, 1u);
}

// Programs set their states in every frame: a state the device cannot draw
// is noted on the d3d channel once per type (unknown types share one line),
// never per frame, and drawing falls back to the nearest state the device draws.
TEST(ExecuteInterpreter, StatesTheDeviceCannotDrawAreNotedOnceAndFallBack) {
    TempMachine machine;
    const std::filesystem::path logFile = machine.scratch() / "events.log";
    ScopedEnvironment log("BRONTAR_LOG", logFile.string());
    ScopedEnvironment debug("BRONTAR_DEBUG", "+d3d");
    RenderStates states;
    for (DWORD frame = 0; frame < 3; ++frame) {
        states.Set(D3DRENDERSTATE_FOGENABLE, TRUE);
        states.Set(D3DRENDERSTATE_FOGENABLE, FALSE);
        states.Set(D3DRENDERSTATE_SHADEMODE, D3DSHADE_PHONG);
        states.Set(D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_MIRROR);
        states.Set(0x1000 + frame, 1);
    }
    const std::string text = ReadFileText(logFile);
    const auto lines = [&](const std::string& part) {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    };
    EXPECT_EQ(lines("render state 28 = 1: fog"), 1u) << text;
    EXPECT_EQ(lines("render state 9 = 3: Phong"), 1u) << text;
    EXPECT_EQ(lines("render state 3 = 2: mirrored"), 1u) << text;
    EXPECT_LE(lines("unknown render state"), 1u) << text;  // another test in this process may have said it
    EXPECT_EQ(lines("render state 28 = 0"), 0u) << text;
    const machine::RasterState drawn = states.ToRasterState(nullptr);
    EXPECT_EQ(drawn.shade, machine::ShadeMode::Gouraud);
    EXPECT_EQ(drawn.address, machine::TextureAddress::Wrap);
}

TEST(ExecuteInterpreter, AdvancesByEachInstructionsDeclaredSize) {
    // Triangle records padded to 12 bytes, a filler with no records, and a
    // state record padded to 16 bytes.
    Runner runner;
    ExecuteStream stream(Square());
    stream.CopyAllVertices().Header(D3DOP_TRIANGLE, 8, 0).Header(D3DOP_STATERENDER, 16, 1);
    const DWORD state[4] = {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE, 0xDEADBEEF, 0xDEADBEEF};
    stream.Raw(state, sizeof(state)).Header(D3DOP_TRIANGLE, 12, 2);
    const WORD triangles[12] = {0, 1, 2, D3DTRIFLAG_START, 0xFFFF, 0xFFFF, 0, 2, 3, 0, 0xFFFF, 0xFFFF};
    stream.Raw(triangles, sizeof(triangles)).Exit();
    const ExecuteOutcome outcome = runner.Run(stream);
    EXPECT_EQ(outcome.error, ExecuteError::None) << outcome.problem;
    EXPECT_EQ(outcome.trianglesDrawn, 2u);
    EXPECT_EQ(runner.canvas.CountDrawn(), 16);
}

TEST(ExecuteInterpreter, NothingAfterExitIsRead) {
    Runner runner;
    ExecuteStream stream(Square());
    stream.Exit().Header(0xEE, 200, 0xFFFF);
    EXPECT_EQ(runner.Run(stream).error, ExecuteError::None);
}

TEST(ExecuteInterpreter, StreamEndingWithoutExitStopsAtItsLength) {
    Runner runner;
    ExecuteStream stream(Square());
    stream.States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}}).CopyAllVertices().Triangles({{0, 1, 2}});
    EXPECT_EQ(runner.Run(stream).trianglesDrawn, 1u);
}

TEST(ExecuteInterpreter, TextureHandleSelectsTexels) {
    Runner runner;
    runner.texels = {0x001F, 0x001F, 0x001F, 0x001F};
    runner.texture = {runner.texels.data(), 2, 2, 4, false, 0};
    ExecuteStream stream(Square());
    stream.States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}, {D3DRENDERSTATE_TEXTUREHANDLE, 7}})
        .CopyAllVertices()
        .Triangles({{0, 1, 2}})
        .States({{D3DRENDERSTATE_TEXTUREHANDLE, 9}})
        .Triangles({{0, 2, 3}})
        .Exit();
    runner.Run(stream);
    EXPECT_EQ(runner.canvas.At(5, 3), 0x001F) << "handle 7: the blue texture";
    EXPECT_EQ(runner.canvas.At(3, 5), 0xF800) << "handle 9 names no texture: vertex colour";
}

// One malformed case: the buffer, its execute data, and the error expected.
struct Malformed {
    const char* name;
    std::vector<uint8_t> buffer;
    D3DEXECUTEDATA data;
    ExecuteError expected;
};

// A valid drawing stream followed by a tail, so a refusal must come before
// anything is drawn.
Malformed DrawThen(const char* name, const std::vector<uint8_t>& tail) {
    ExecuteStream stream = SquareAfter({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}});
    stream.Raw(tail.data(), tail.size());
    return {name, stream.Buffer(), stream.Data(), ExecuteError::MalformedStream};
}

Malformed WithData(const char* name, const ExecuteStream& stream, void (*change)(D3DEXECUTEDATA&)) {
    D3DEXECUTEDATA data = stream.Data();
    change(data);
    return {name, stream.Buffer(), data, ExecuteError::BadExecuteData};
}

std::vector<Malformed> MalformedCases() {
    ExecuteStream valid(Square());
    valid.CopyAllVertices().Triangles({{0, 1, 2}}).Exit();
    std::vector<Malformed> cases = {
        WithData("vertices past the end", valid, [](D3DEXECUTEDATA& d) { d.dwVertexCount = 1000; }),
        WithData("vertex offset past the end", valid, [](D3DEXECUTEDATA& d) { d.dwVertexOffset = 0xFFFFFFF0; }),
        WithData("vertex count overflowing", valid, [](D3DEXECUTEDATA& d) { d.dwVertexCount = 0x08000001; }),
        WithData("instruction offset past the end", valid,
                 [](D3DEXECUTEDATA& d) { d.dwInstructionOffset = 4000; }),
        WithData("instruction length past the end", valid, [](D3DEXECUTEDATA& d) { d.dwInstructionLength += 1; }),
        WithData("instruction range wrapping 32 bits", valid,
                 [](D3DEXECUTEDATA& d) { d.dwInstructionLength = 0xFFFFFFFF - d.dwInstructionOffset + 9; }),
        DrawThen("header cut off", {D3DOP_TRIANGLE, 8}),
        DrawThen("records past the end", {D3DOP_TRIANGLE, 8, 2, 0, 0, 0, 1, 0, 2, 0, 0, 0}),
        DrawThen("count times size past the end", {D3DOP_STATERENDER, 0xFF, 0xFF, 0xFF}),
        DrawThen("opcode 0", {0, 0, 0, 0}),
        DrawThen("opcode 15", {15, 0, 0, 0}),
        DrawThen("opcode 255", {255, 8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
        DrawThen("triangle record too small", {D3DOP_TRIANGLE, 6, 1, 0, 0, 0, 1, 0, 2, 0}),
        DrawThen("state record too small", {D3DOP_STATERENDER, 4, 1, 0, 9, 0, 0, 0}),
        DrawThen("vertex index equal to the count", {D3DOP_TRIANGLE, 8, 1, 0, 0, 0, 1, 0, 4, 0, 0, 0}),
        DrawThen("vertex index far out", {D3DOP_TRIANGLE, 8, 1, 0, 0xFF, 0xFF, 1, 0, 2, 0, 0, 0}),
        DrawThen("process into past the count",
                 {D3DOP_PROCESSVERTICES, 16, 1, 0, 2, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0, 0, 0, 0, 0, 0}),
        DrawThen("process from past the count",
                 {D3DOP_PROCESSVERTICES, 16, 1, 0, 2, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}),
        DrawThen("process count overflowing",
                 {D3DOP_PROCESSVERTICES, 16, 1, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}),
        DrawThen("transform asked of transformed vertices",
                 {D3DOP_PROCESSVERTICES, 16, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}),
    };
    return cases;
}

TEST(ExecuteInterpreter, RefusesMalformedStreamsBeforeDrawing) {
    for (const Malformed& test : MalformedCases()) {
        SCOPED_TRACE(test.name);
        Runner runner;
        const ExecuteOutcome outcome = runner.Run(test.buffer, test.data);
        EXPECT_EQ(outcome.error, test.expected);
        EXPECT_FALSE(outcome.problem.empty());
        EXPECT_EQ(outcome.trianglesDrawn, 0u);
        EXPECT_EQ(runner.canvas.CountDrawn(), 0);
        EXPECT_EQ(runner.states.Get(D3DRENDERSTATE_CULLMODE), DWORD(D3DCULL_CCW)) << "no state was applied";
    }
}

TEST(ExecuteInterpreter, ReadsOnlyTheBytesItWasGiven) {
    // Every prefix of a valid buffer, passed as exactly that many bytes, is
    // refused or run without reading past it (the sanitizer build checks
    // the reads).
    ExecuteStream stream(Square());
    stream.States({{D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}}).CopyAllVertices().Triangles({{0, 1, 2}}).Exit();
    const std::vector<uint8_t> full = stream.Buffer();
    for (size_t size = 0; size < full.size(); ++size) {
        const std::vector<uint8_t> prefix(full.begin(), full.begin() + ptrdiff_t(size));
        Runner runner;
        EXPECT_NE(runner.Run(prefix, stream.Data()).error, ExecuteError::None) << size;
    }
}

}  // namespace
}  // namespace brontar::testing
