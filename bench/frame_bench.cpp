// The test screen's frame at 800x600 (clear, ramps, cube, overlay, flip and
// presentation through the board's gamma, headless) against a baseline that
// only clears a frame's memory; and the time from starting the program to
// its first presented frame against starting a program that does nothing.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "machine/installer.h"
#include "testscreen/test_screen.h"
#include "tests/support/temp_machine.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A throwaway machine with the test screen installed, for the whole run.
struct BenchMachine {
    BenchMachine() {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        ::unsetenv("BRONTAR_CAPTURE");
        ::setenv("BRONTAR_LOG", "/dev/null", 1);  // diagnostics would interleave with the figures
        ::unsetenv("BRONTAR_FAULTS");
        std::ostringstream progress;
        brontar::machine::InstallMachine(machine.folder(), BRONTAR_BIN_DIR, progress);
    }
    fs::path Program() const { return machine.driveC() / "WINDOWS" / "BRNTRTST.EXE"; }
    brontar::testing::TempMachine machine;
};

BenchMachine* machine = nullptr;

// Starts the test screen in this process at 800x600; its first frame is drawn.
bool StartTestScreen() {
    static bool started = false;
    if (!started) {
        SelectMode("/800x600", &modeSelection);
        started = InitApplication(nullptr) && !FailureReported();
    }
    return started;
}

// Pixels the rasteriser covers in a frame: the ramps fill the screen, and
// each cube triangle facing the viewer adds its area.
double CoveredPixels() {
    double covered = static_cast<double>(kWidth) * kHeight;
    const D3DTLVERTEX* v = testScreen.lpCubeVertices;
    for (int t = 0; t < CUBE_TRIANGLES; ++t, v += 3) {
        const double cross = (v[1].sx - v[0].sx) * (v[2].sy - v[0].sy) - (v[2].sx - v[0].sx) * (v[1].sy - v[0].sy);
        if (cross < 0) covered += -cross / 2;  // counter-clockwise on a screen whose y grows downwards
    }
    return covered;
}

// Baseline: clearing the memory of one 16-bit frame.
void BM_ClearFrameMemory(benchmark::State& state) {
    std::vector<uint16_t> frame(static_cast<size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        std::memset(frame.data(), 0, frame.size() * sizeof(uint16_t));
        benchmark::ClobberMemory();
    }
    state.counters["fill_Mpix"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight * state.iterations() / 1e6,
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ClearFrameMemory)->Unit(benchmark::kMillisecond);

// One whole frame of the test screen.
void BM_TestScreenFrame(benchmark::State& state) {
    if (!StartTestScreen()) {
        state.SkipWithError("the test screen did not start");
        return;
    }
    double pixels = 0;
    for (auto _ : state) {
        RenderFrame();
        pixels += CoveredPixels();
    }
    if (FailureReported()) state.SkipWithError("a frame reported a failure");
    state.counters["fill_Mpix"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TestScreenFrame)->Unit(benchmark::kMillisecond);

// Runs a program to its end; false when it could not be started or failed.
bool RunProgram(const std::string& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Baseline: starting and ending a program that does nothing.
void BM_StartEmptyProgram(benchmark::State& state) {
    for (auto _ : state)
        if (!RunProgram("/bin/true", {})) state.SkipWithError("/bin/true failed");
}
BENCHMARK(BM_StartEmptyProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// From starting the test screen to its first presented frame, and its end.
void BM_StartToFirstFrame(benchmark::State& state) {
    ::setenv("BRONTAR_INPUT", "wait 1 frames; key q", 1);
    for (auto _ : state)
        if (!RunProgram(machine->Program().string(), {"/800x600"})) state.SkipWithError("the test screen failed");
    ::unsetenv("BRONTAR_INPUT");
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    BenchMachine benchMachine;
    machine = &benchMachine;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
