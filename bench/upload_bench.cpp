// F6 with a 2048-byte image against the fake emulator answering at once. The
// protocol itself sets the floor: 22 waits that each end at their first 100 ms
// poll, plus the bytes on the wire at 115200 baud (10 bits per byte).

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>

#include "common/mcs48_memory.h"
#include "fake_emulator.h"
#include "support.h"

namespace {

constexpr int waitsFor2048Bytes = 22;
constexpr double bitsPerByte = 10.0;
constexpr double baudRate = 115200.0;

double floorSeconds(std::size_t wireBytes) {
    return waitsFor2048Bytes * tovi::replyPollIntervalMs / 1000.0 +
           static_cast<double>(wireBytes) * bitsPerByte / baudRate;
}

void uploadFullImage(benchmark::State& state) {
    QTemporaryDir directory;
    const QString path = directory.filePath("image.bin");
    const auto image = tovi::test::patternBytes(tovi::mcs48::imageSize);
    std::ofstream(path.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    const tovi::EmulatorSettings settings{u"COM4", u"64", 0, 0};
    const std::size_t wireBytes = tovi::test::wireStream(image, 0, 0, "64").size();

    for (auto _ : state) {
        tovi::test::FakeEmulator emulator;
        tovi::SystemSerialPort port(emulator.deviceMap(u"COM4"));
        tovi::UploadEnvironment environment = tovi::systemEnvironment([](std::u16string_view) {});
        environment.processEvents = [&emulator](int) { emulator.greet(); };

        const auto start = std::chrono::steady_clock::now();
        const auto outcome =
            tovi::uploadToEmulator(path.toStdU16String(), settings, port, environment);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

        if (outcome != tovi::UploadOutcome::Completed || emulator.received().size() != wireBytes) {
            state.SkipWithError("the upload did not complete");
            break;
        }
        state.SetIterationTime(elapsed.count());
    }
    state.counters["floor_ms"] = floorSeconds(wireBytes) * 1000.0;
    state.counters["wire_bytes"] = static_cast<double>(wireBytes);
}

BENCHMARK(uploadFullImage)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Qt SerialPort's notifiers need an application on this thread.
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
