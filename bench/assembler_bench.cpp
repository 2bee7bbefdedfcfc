// How fast one assembly of a full 2 KiB program is, in-process and as a
// tovi-asm process (with its peak memory), and of a 20,000-line source with
// macros, includes and a set symbol that counts through it.

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <filesystem>

#include <algorithm>
#include <fstream>

#include "bench/program_generator.h"
#include "image/assembly_driver.h"

namespace {

void assembleInProcess(benchmark::State& state) {
    const auto lines = tovi::bench::twoKilobyteProgram();
    tovi::Assembler assembler;
    int statusLines = 0;
    const tovi::StatusSink count = [&](std::u16string_view) { ++statusLines; };
    for (auto _ : state) {
        auto result = assembler.assemble({lines, {}, {}, 0x00}, count);
        if (result.outcome != tovi::AssemblyOutcome::Succeeded ||
            result.image.imageLength() != 2048) {
            state.SkipWithError("the benchmark program did not assemble to 2048 bytes");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(assembleInProcess)->Unit(benchmark::kMicrosecond);

void assembleMacrosAndIncludes(benchmark::State& state) {
    const auto source = tovi::bench::twentyThousandLines();
    tovi::AssemblyRequest request{source.lines, {}, {}, 0x00};
    request.read = [&source](const std::filesystem::path& path) {
        for (const auto& [name, text] : source.files) {
            if (path.filename() == name) {
                return tovi::FileRead{tovi::FileRead::Status::Read, text};
            }
        }
        return tovi::FileRead{};
    };
    tovi::Assembler assembler;
    const tovi::StatusSink ignore = [](std::u16string_view) {};
    for (auto _ : state) {
        auto result = assembler.assemble(request, ignore);
        if (result.outcome != tovi::AssemblyOutcome::Succeeded) {
            state.SkipWithError("the 20,000-line source did not assemble");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    state.counters["lines"] = static_cast<double>(source.lines.size());
}
BENCHMARK(assembleMacrosAndIncludes)->Unit(benchmark::kMillisecond);

// Runs tovi-asm on the program written to a file; reports the child's peak
// resident memory.
void toviAsmProcess(benchmark::State& state) {
    const auto directory = std::filesystem::temp_directory_path() / "tovi-bench";
    std::filesystem::create_directories(directory);
    const auto source = directory / "programm.asm";
    std::ofstream(source, std::ios::binary) << tovi::bench::twoKilobyteProgramFile();
    long peakKilobytes = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            const int devNull = ::open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
            execl(TOVI_ASM_EXECUTABLE, "tovi-asm", source.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("tovi-asm failed");
            break;
        }
        peakKilobytes = std::max(peakKilobytes, usage.ru_maxrss);
    }
    state.counters["peak_rss_kb"] = static_cast<double>(peakKilobytes);
}
BENCHMARK(toviAsmProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
