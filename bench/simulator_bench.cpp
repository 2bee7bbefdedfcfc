// How fast the processor model runs: a nested delay loop with the timer and
// its interrupt running, in-process (without and with ten breakpoints the loop
// never reaches) and as a tovi-sim process, and how fast tovi-sim writes a trace.

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mcs48/processor.h"

namespace {

// 000 jmp 010H; 007 (timer vector) jmp 020H;
// 010 mov a,#00H / mov t,a / strt t / en tcnti
// 015 mov r2,#0FFH; 017 mov r3,#0FFH; 019 djnz r3,019H; 01B djnz r2,017H; 01D jmp 015H
// 020 inc r7 / mov a,r7 / retr
std::vector<std::uint8_t> delayLoop() {
    std::vector<std::uint8_t> image(0x23, 0x00);
    const auto put = [&](std::size_t address, std::initializer_list<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(address));
    };
    put(0x000, {0x04, 0x10});
    put(0x007, {0x04, 0x20});
    put(0x010, {0x23, 0x00, 0x62, 0x55, 0x25});
    put(0x015, {0xBA, 0xFF, 0xBB, 0xFF, 0xEB, 0x19, 0xEA, 0x17, 0x04, 0x15});
    put(0x020, {0x1F, 0xFF, 0x93});
    return image;
}

void delayLoopInProcess(benchmark::State& state) {
    tovi::mcs48::Processor processor;
    if (!processor.load(delayLoop())) {
        state.SkipWithError("the delay loop did not load");
        return;
    }
    processor.reset();
    std::vector<std::uint16_t> breakpoints;
    for (int n = 0; n < state.range(0); ++n) {
        breakpoints.push_back(static_cast<std::uint16_t>(0x100 + n));
    }
    tovi::mcs48::RunLimits limits;
    limits.maxInstructions = 10'000'000;
    limits.stopAddresses = breakpoints;
    std::uint64_t instructions = 0;
    for (auto _ : state) {
        const auto before = processor.state().instructions;
        processor.run(limits);
        instructions += processor.state().instructions - before;
    }
    if (processor.state().ram[7] == 0) {
        state.SkipWithError("the timer interrupt never came");
    }
    state.counters["instructions_per_second"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}
BENCHMARK(delayLoopInProcess)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);

std::string delayLoopFile() {
    const auto path = std::filesystem::temp_directory_path() / "tovi-bench-delay.bin";
    const auto image = delayLoop();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    return path.string();
}

// Runs tovi-sim with its output to /dev/null.
void toviSimProcess(benchmark::State& state, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "tovi-sim");
    arguments.push_back(delayLoopFile());
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            const int devNull = ::open("/dev/null", O_WRONLY);
            dup2(devNull, STDOUT_FILENO);
            execv(TOVI_SIM_EXECUTABLE, argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("tovi-sim failed");
            break;
        }
    }
}

void hundredMillionCycles(benchmark::State& state) {
    toviSimProcess(state, {"--cycles", "100000000"});
}
BENCHMARK(hundredMillionCycles)->Unit(benchmark::kMillisecond)->UseRealTime();

void millionLineTrace(benchmark::State& state) {
    toviSimProcess(state, {"--trace", "--steps", "1000000"});
}
BENCHMARK(millionLineTrace)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
