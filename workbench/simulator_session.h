#pragma once
// The debugger without its widgets: the processor with the program of the
// last successful assembly, where each address came from in the source and
// which addresses hold code, the breakpoints of a run, and runs in short
// slices on the window's thread so that the window stays responsive.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "mcs48/processor.h"
#include "settings/simulator_settings.h"

namespace tovi {

struct ObjectImage;

class SimulatorSession : public QObject {
    Q_OBJECT

public:
    // `settings` lives for the run: the chip and the clock are kept there.
    explicit SimulatorSession(SimulatorSettings& settings, QObject* parent = nullptr);

    // A new program: the image of a successful assembly with its listing rows.
    // The processor starts over from reset; the input pins keep their levels.
    void loadProgram(const ObjectImage& image);
    bool hasProgram() const { return hasProgram_; }

    const mcs48::State& state() { return processor_.state(); }
    // Edits of the state go through here, so that the processor takes them over.
    void edit(const std::function<void(mcs48::State&)>& change);
    void setInput(mcs48::Input input, std::uint8_t value);
    std::span<const std::uint8_t> programMemory() const { return processor_.programMemory(); }

    mcs48::Chip chip() const;
    void setChip(mcs48::Chip chip);
    int clockKHz() const { return settings_.clockKHz; }
    void setClockKHz(int kHz);
    // Simulated time so far, at the chosen clock.
    double elapsedMicroseconds();

    // Where things are, for a program address 000H…FFFH: 0 or -1 when an
    // address has no source line or row.
    int lineOfAddress(int address) const;
    std::optional<int> addressOfLine(int line) const;
    int listingRowOfAddress(int address) const;

    // The source lines the runs from now on stop at; lines without code are passed over.
    void useBreakpoints(const std::set<int>& lines);

    bool isRunning() const { return running_; }
    void stepInto();
    void stepOver();
    void stepOut();
    void run();
    void runTo(int address);
    void pause();
    // The reset of the chip: internal and external RAM keep their contents.
    void reset();

signals:
    // The state changed: after a step or a stop, and during a run at least 20
    // times a second.
    void changed();
    void runningChanged(bool running);
    // Why a run stopped, for the status list: a breakpoint, a stop asked for,
    // an opcode that does not exist, an address without code.
    void stopReport(const QString& line);

private:
    void start(mcs48::RunLimits limits, std::optional<int> target);
    void runSlice();
    void finish(const mcs48::RunResult& result);
    void stopSlices();
    void reportUnknownOpcode(int opcode, int address);
    bool leftCodeAt(int pc) const;
    void setInputs(const mcs48::State& levels);

    SimulatorSettings& settings_;
    mcs48::Processor processor_;
    bool hasProgram_ = false;
    std::vector<int> lineAt_;                  // by address
    std::vector<int> rowAt_;                   // by address
    std::vector<std::uint8_t> codeMap_;        // by address: non-zero where the program is
    std::vector<std::uint16_t> stopAddresses_; // of the breakpoints
    std::vector<std::uint16_t> runStops_;      // of this run: the breakpoints and its target
    mcs48::RunLimits limits_;
    QTimer slices_;
    QElapsedTimer sinceRefresh_;
    std::uint64_t sliceInstructions_ = 100'000;
    bool running_ = false;
    bool firstSlice_ = false;
};

} // namespace tovi
