#pragma once
// The MCS-48 processor: runs program memory instruction by instruction, with
// its timer/counter, interrupts, ports, 8243 expander and external data RAM,
// its inputs driven by a stimulus.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "common/mcs48_memory.h"
#include "mcs48/board.h"
#include "mcs48/state.h"
#include "mcs48/stimulus.h"
#include "mcs48/timer.h"

namespace tovi::mcs48 {

enum class StopReason : std::uint8_t {
    InstructionLimit,
    CycleLimit,
    StopAddress,      // the PC reached one of the stop addresses
    Idle,             // a jump left the PC at its own address, and no interrupt can end it
    Returned,         // a return brought the call depth below the asked value
    InterruptEntered, // after an interrupt entry, when asked to stop there
    UnknownOpcode,    // nothing executed; the PC stays at the opcode
    LeftCode,         // the PC reached an address without code (see RunLimits::codeMap)
};

struct RunLimits {
    std::uint64_t maxInstructions = std::numeric_limits<std::uint64_t>::max(); // in this run
    // Cycles of this run; the run stops after the instruction that reaches them.
    std::int64_t maxCycles = never;
    // Checked before each instruction except the run's first, so that a run
    // can go on from a stop address.
    std::span<const std::uint16_t> stopAddresses;
    // JMP, JMPP or a conditional jump to its own address, when no interrupt
    // can end the loop: neither /INT (enabled, and low now or changed later by
    // the stimulus) nor the timer (its interrupt enabled and pending, or
    // counting: in timer mode, or in counter mode with T1 changed later).
    bool stopOnIdle = false;
    std::optional<int> returnBelowDepth; // step over: depth + 1; run until return: depth
    bool stopAfterInterruptEntry = false;
    // Empty, or one entry per address of the address space, non-zero where the
    // program holds code or data. A run that starts on such an address stops
    // before the first instruction at an address without.
    std::span<const std::uint8_t> codeMap;
};

struct RunResult {
    StopReason reason = StopReason::InstructionLimit;
    std::uint16_t address = 0; // the PC; for Idle the jump's address
    std::uint8_t opcode = 0;   // for UnknownOpcode
};

// What one step did.
struct Step {
    enum class Kind : std::uint8_t { Instruction, InterruptEntry, UnknownOpcode };
    Kind kind = Kind::Instruction;
    std::uint16_t address = 0; // the instruction's; for an entry the PC it saved
    std::uint8_t opcode = 0;
    std::uint8_t operand = 0; // the second byte of a two-byte instruction
    std::uint8_t length = 1;
    std::uint16_t vector = 0; // interrupt entry: 003H external, 007H timer
};

// Told after each instruction and interrupt entry, with the state after it.
// It must not change the processor.
using StepObserver = std::function<void(const Step&, const State&)>;
// Told of every write that changes a port latch: the new value and the cycle
// count after the writing instruction.
using PortListener = std::function<void(Port, std::uint8_t value, std::int64_t cycles)>;

class Processor {
public:
    explicit Processor(Chip chip = Chip::I8049);

    // The image at 000H, the rest of the 4 KiB 00H. False, and nothing loaded,
    // for an empty image or one larger than 4096 bytes.
    [[nodiscard]] bool load(std::span<const std::uint8_t> image);
    std::span<const std::uint8_t> programMemory() const { return rom_; }

    void setChip(Chip chip);
    // The reset state; RAM and external RAM filled with ramFill; the stimulus starts over.
    void reset(std::uint8_t ramFill = 0x00);

    // The whole state, timer value and prescaler brought up to date.
    const State& state();
    // For editing between runs; call edited() afterwards.
    State& editState();
    // Takes over edits: timer, flags, and pin changes as if a stimulus made them now.
    void edited();
    // One input change now, exactly as a stimulus event at this cycle.
    void setInput(Input input, std::uint8_t value);

    // Replaces the stimulus; events are applied in cycle order, ties in the given order.
    void attachStimulus(std::vector<InputEvent> events);
    // Wires a board to the pins (null: none): it is told of every latch change
    // and of time passing, and the inputs read as it drives them; its stimulus
    // takes the place of attachStimulus's, reset() restarts it, and a wired
    // input follows its source from the next instruction on. After the board
    // was worked directly, edited() takes its pins. The board outlives its
    // attachment.
    void attachBoard(Board* board);
    void onPortWrite(PortListener listener) { portListener_ = std::move(listener); }

    // One instruction, or one interrupt entry when one is due.
    Step step();
    RunResult run(const RunLimits& limits, const StepObserver& observer = {});

private:
    struct Service {
        std::optional<RunResult> stop;
        bool enteredInterrupt = false;
    };

    template <bool Observed>
    RunResult runLoop(const StepObserver& observer);
    void beginRun(const RunLimits& limits);
    Service serviceEvents();
    std::int64_t dueCycle(std::int64_t cycles, std::uint64_t instructions) const;
    bool interruptDue() const;
    bool interruptCanEndLoop() const;
    bool inputMayChange(Input input) const;
    void markStops(const RunLimits& limits);
    void enterInterrupt();
    void passTimerOverflows();
    void raiseTimerOverflow();
    void applyDueInputs();
    void setT1(bool level);
    void passBoardChanges(std::int64_t cycles);
    void takeBoardPins();
    void tellBoardEdits();
    void writePort(Port port, std::uint8_t value, std::int64_t cycles);
    void syncTimerView();
    unsigned jumpBank() const;
    void requestStop(StopReason reason, unsigned address);

    State state_;
    Timer timer_;
    // What a run stops before, besides its limits.
    enum class Mark : std::uint8_t { None, StopAddress, NoCode };

    std::array<std::uint8_t, addressSpace> rom_{};
    // The run dispatches on a copy of the program memory in which every marked
    // address holds an opcode that does not exist: marks cost nothing until
    // the PC reaches one.
    std::array<std::uint8_t, addressSpace> opcodes_{};
    std::array<Mark, addressSpace> marks_{};
    std::vector<std::uint16_t> marked_;
    std::vector<InputEvent> inputs_;
    std::size_t nextInput_ = 0;
    // For each input, one past the index of its last stimulus event.
    std::array<std::size_t, 6> inputEventsEnd_{};
    bool t1Seen_ = true; // the T1 level that edges are counted from
    PortListener portListener_;
    Board* board_ = nullptr;
    // The pins as last taken from the board: an edit is what differs from them.
    PinLevels boardPins_;

    // Set for one run.
    std::int64_t cycleLimit_ = never;
    std::uint64_t instructionLimit_ = 0;
    int returnBelow_ = 0;
    bool stopOnIdle_ = false;
    bool stopAfterEntry_ = false;
    std::optional<RunResult> stopRequest_;
};

} // namespace tovi::mcs48
