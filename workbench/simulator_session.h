#pragma once
// The debugger without its widgets: the processor with the program of the
// last successful assembly and the board around it, where each address came
// from in the source and which addresses hold code, the breakpoints of a run,
// and runs in short slices on the window's thread so that the window stays
// responsive, as fast as they go or at the chip's real speed, their signals
// recorded on request.

#include "mcs48/board.h"
#include "mcs48/processor.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/simulator_settings.h"

namespace tovi {

struct ObjectImage;
class SignalRecording;

class SimulatorSession : public QObject {
    Q_OBJECT

public:
    // `settings` lives for the run: the chip and the clock are kept there.
    explicit SimulatorSession(SimulatorSettings& settings, QObject* parent = nullptr);
    ~SimulatorSession() override;

    // A new program: the image of a successful assembly with its listing rows.
    // The processor starts over from reset; the input pins keep the levels
    // the user gave them, the switches their positions.
    void loadProgram(const ObjectImage& image);
    bool hasProgram() const { return hasProgram_; }

    const mcs48::State& state() { return processor_.state(); }
    // Edits of the state go through here, so that the processor takes them over.
    void edit(const std::function<void(mcs48::State&)>& change);
    // The user's level of an input (0 or 1, or a port's eight pins); the pin
    // reads it ANDed with whatever else drives it.
    void setInput(mcs48::Input input, std::uint8_t value);
    std::uint8_t userInput(mcs48::Input input) const;
    std::span<const std::uint8_t> programMemory() const { return processor_.programMemory(); }

    mcs48::Chip chip() const;
    void setChip(mcs48::Chip chip);
    int clockKHz() const { return settings_.clockKHz; }
    void setClockKHz(int kHz);
    // Simulated time so far, at the chosen clock.
    double elapsedMicroseconds();
    // Runs at the chip's real speed for the clock, or as fast as they go.
    bool realTime() const { return settings_.realTime; }
    void setRealTime(bool on);

    // The board a file describes, its times taken at the chosen clock, takes
    // the place of the one before; the parts keep what the user set. On an
    // error nothing changes and the line that tells it is returned.
    std::optional<QString> loadBoard(const QString& path);
    void clearBoard(); // an empty board
    std::vector<mcs48::PartView> boardParts();
    // The user works a part: a button or key held or let go, a switch set.
    void setPressed(int part, int key, bool pressed);

    // Every signal change of the board from now on goes to a VCD file; an
    // error is returned as the line that tells it.
    std::optional<QString> startRecording(const QString& path);
    void stopRecording();
    bool isRecording() const { return recording_ != nullptr; }

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
    // A line for the status list: why a run stopped (a breakpoint, a stop
    // asked for, an opcode that does not exist, an address without code), or
    // why a recording ended.
    void statusLine(const QString& line);
    void recordingChanged(bool recording);
    // Another board was loaded, or the board was emptied.
    void boardChanged();

private:
    void start(mcs48::RunLimits limits, std::optional<int> target);
    void runSlice();
    void adaptSlice(qint64 elapsedMilliseconds);
    void refreshIfDue();
    void finish(const mcs48::RunResult& result);
    void stopSlices();
    void reportUnknownOpcode(int opcode, int address);
    bool leftCodeAt(int pc) const;
    void startPacing();
    std::int64_t cyclesDue() const;
    double cyclesPerSecond() const;
    double nanosecondsPerCycle() const;
    mcs48::Board::Parsed parseBoard(const std::string& text, const QString& path) const;
    void adopt(mcs48::Board board, std::string text);
    void restoreUserSettings();
    void flushRecording();
    void endRecordingForAnotherBoard();

    SimulatorSettings& settings_;
    mcs48::Processor processor_;
    mcs48::Board board_;
    QString boardPath_; // the board file, empty for none
    std::string boardText_;
    std::array<std::uint8_t, 6> userInputs_; // by Input
    std::set<std::string> switchesOn_;       // by name
    std::unique_ptr<SignalRecording> recording_;
    QString recordingPath_;
    bool hasProgram_ = false;
    std::vector<int> lineAt_;                  // by address
    std::vector<int> rowAt_;                   // by address
    std::vector<std::uint8_t> codeMap_;        // by address: non-zero where the program is
    std::vector<std::uint16_t> stopAddresses_; // of the breakpoints
    std::vector<std::uint16_t> runStops_;      // of this run: the breakpoints and its target
    mcs48::RunLimits limits_;
    QTimer slices_;
    QElapsedTimer sinceRefresh_;
    QElapsedTimer pace_;          // since the real-time run started
    std::int64_t paceCycles_ = 0; // the cycles then
    std::uint64_t sliceInstructions_ = 100'000;
    bool running_ = false;
    bool firstSlice_ = false;
};

} // namespace tovi
