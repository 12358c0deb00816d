// The boot file rewrite against a plain copy of the same file (read whole,
// written beside, renamed over), both through the C runtime on DOS paths.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "machine/machine_folder.h"
#include "propsheet/autoexec.h"
#include "tests/support/temp_machine.h"

namespace {

const char* const kNewLines[AUTOEXEC_NEW_LINES] = {"SET HGI_SCREENREFRESH=75", "SET HGI_RGAMMA=1.70",
                                                   "SET HGI_GGAMMA=1.70", "SET HGI_BGAMMA=1.70",
                                                   "SET HGI_GRXCLK=57"};

// A machine folder of its own with a boot file of the given number of lines,
// some of them the board's own.
void PrepareMachine(int lines) {
    static const brontar::testing::TempMachine machine;
    const std::filesystem::path driveC = brontar::machine::DriveRootPath(brontar::machine::EnsureMachineFolder(), 'c');
    std::ofstream out(driveC / "AUTOEXEC.BAT", std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        if (i % 100 == 50)
            out << "SET HGI_RGAMMA=1.20\r\n";
        else
            out << "REM line " << i << " of the user's own boot file\r\n";
    }
}

void BM_RewriteBootFile(benchmark::State& state) {
    PrepareMachine(static_cast<int>(state.range(0)));
    for (auto _ : state) WriteAutoexecSettings("C:\\AUTOEXEC.BAT", kNewLines);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Read whole, write beside, move the old file aside, rename, delete the old:
// the file work of the rewrite without looking at a single line.
void BM_CopyBootFileBaseline(benchmark::State& state) {
    PrepareMachine(static_cast<int>(state.range(0)));
    std::vector<char> buffer;
    for (auto _ : state) {
        FILE* in = std::fopen("C:\\AUTOEXEC.BAT", "r+b");
        std::fseek(in, 0, SEEK_END);
        buffer.resize(static_cast<size_t>(std::ftell(in)));
        std::fseek(in, 0, SEEK_SET);
        const size_t read = std::fread(buffer.data(), 1, buffer.size(), in);
        std::fclose(in);
        FILE* out = std::fopen("C:\\AUTOEXEC.$$$", "w+b");
        std::fwrite(buffer.data(), 1, read, out);
        std::fclose(out);
        std::rename("C:\\AUTOEXEC.BAT", "C:\\AUTOEXEC.~$$");
        std::rename("C:\\AUTOEXEC.$$$", "C:\\AUTOEXEC.BAT");
        std::remove("C:\\AUTOEXEC.~$$");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_CopyBootFileBaseline)->Arg(10)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RewriteBootFile)->Arg(10)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
