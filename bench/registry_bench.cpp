// Registry costs with 100 and 100,000 values in the file: a warm read of one
// value and a write of one value, each beside a baseline of the same run (a
// std::map lookup, a plain write-flush-rename of a file of the same size).
// The ratios are printed after the table.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "machine/registry/registry_store.h"
#include "tests/support/temp_machine.h"

namespace mr = brontar::machine::registry;

namespace {

constexpr const char* kPath = "Software\\Bench";

std::string ValueName(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "v%06d", index);
    return name;
}

// One throwaway machine per value count, filled once.
struct BenchMachine {
    explicit BenchMachine(int values) {
        std::filesystem::create_directories(machine.folder());
        mr::EditRegistry(machine.folder(), [&](mr::RegistryTree& tree) {
            mr::RegistryKey& key = tree.CreateKey(std::string("HKLM\\") + kPath);
            for (int i = 0; i < values; ++i) key.SetValue(ValueName(i), REG_DWORD, mr::DwordBytes(i));
        });
    }
    brontar::testing::TempMachine machine;
};

BenchMachine& MachineWith(int values) {
    static std::map<int, std::unique_ptr<BenchMachine>> machines;
    auto& slot = machines[values];
    if (!slot) slot = std::make_unique<BenchMachine>(values);
    ::setenv("BRONTAR_MACHINE", slot->machine.folder().c_str(), 1);
    return *slot;
}

// Opens the bench key of the machine with state.range(0) values.
HKEY OpenBenchKey(benchmark::State& state) {
    MachineWith(static_cast<int>(state.range(0)));
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kPath, &key) != ERROR_SUCCESS) state.SkipWithError("open failed");
    return key;
}

void WarmRead(benchmark::State& state) {
    HKEY key = OpenBenchKey(state);
    const std::string name = ValueName(static_cast<int>(state.range(0)) / 2);
    DWORD data = 0;
    for (auto _ : state) {
        DWORD size = sizeof data;
        RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size);
        benchmark::DoNotOptimize(data);
    }
    RegCloseKey(key);
}

// Open, query, close from the root: what each read of the deliverables costs.
void WarmOpenReadClose(benchmark::State& state) {
    const int values = static_cast<int>(state.range(0));
    MachineWith(values);
    const std::string name = ValueName(values / 2);
    DWORD data = 0;
    for (auto _ : state) {
        HKEY key = nullptr;
        DWORD size = sizeof data;
        RegOpenKeyA(HKEY_LOCAL_MACHINE, kPath, &key);
        RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size);
        RegCloseKey(key);
        benchmark::DoNotOptimize(data);
    }
}

void MapLookup(benchmark::State& state) {
    const int values = static_cast<int>(state.range(0));
    std::map<std::string, mr::Bytes, std::less<>> map;
    for (int i = 0; i < values; ++i) map.emplace(ValueName(i), mr::DwordBytes(i));
    const std::string name = ValueName(values / 2);
    for (auto _ : state) benchmark::DoNotOptimize(map.find(name));
}

void StatFile(benchmark::State& state) {
    BenchMachine& bench = MachineWith(static_cast<int>(state.range(0)));
    const std::string file = (bench.machine.folder() / "registry.reg").string();
    struct stat status{};
    for (auto _ : state) benchmark::DoNotOptimize(::stat(file.c_str(), &status));
}

void Write(benchmark::State& state) {
    HKEY key = OpenBenchKey(state);
    const std::string name = ValueName(static_cast<int>(state.range(0)) / 2);
    DWORD data = 0;
    for (auto _ : state) {
        ++data;  // a new value each time, so every call writes the file
        if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&data), 4) != ERROR_SUCCESS)
            state.SkipWithError("write failed");
    }
    RegCloseKey(key);
}

void PlainFileWrite(benchmark::State& state) {
    BenchMachine& bench = MachineWith(static_cast<int>(state.range(0)));
    const auto file = bench.machine.scratch() / "plain.reg";
    const std::string content = brontar::testing::ReadFileText(bench.machine.folder() / "registry.reg");
    for (auto _ : state) {
        const std::string temporary = file.string() + ".new";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(::write(fd, content.data(), content.size()));
        ::fsync(fd);
        ::close(fd);
        ::rename(temporary.c_str(), file.c_str());
    }
}

BENCHMARK(WarmRead)->Arg(100)->Arg(100000);
BENCHMARK(WarmOpenReadClose)->Arg(100)->Arg(100000);
BENCHMARK(MapLookup)->Arg(100)->Arg(100000);
BENCHMARK(StatFile)->Arg(100)->Arg(100000);
BENCHMARK(Write)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFileWrite)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond);

// Prints the table as usual, then each measurement over its baseline.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const std::pair<const char*, const char*> pairs[] = {{"WarmRead", "MapLookup"},
                                                             {"WarmOpenReadClose", "MapLookup"},
                                                             {"Write", "PlainFileWrite"}};
        for (const char* count : {"100", "100000"})
            for (const auto& [measured, baseline] : pairs) {
                const std::string a = std::string(measured) + "/" + count, b = std::string(baseline) + "/" + count;
                if (seconds_.contains(a) && seconds_.contains(b) && seconds_[b] > 0)
                    std::printf("%-26s %8.1fx %s\n", a.c_str(), seconds_[a] / seconds_[b], b.c_str());
            }
    }

private:
    std::map<std::string, double> seconds_;  // adjusted real time per benchmark, in its own unit
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
