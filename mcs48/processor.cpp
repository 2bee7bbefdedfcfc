#include "mcs48/processor.h"

#include <algorithm>
#include <limits>

#include "mcs48/instruction_set.h"

namespace tovi::mcs48 {
namespace {

constexpr unsigned pageBits = 0xF00;
constexpr unsigned bankBit = imageSize;
// An opcode that does not exist: it stands at the marked addresses of a run.
constexpr std::uint8_t markOpcode = 0x01;

constexpr unsigned next(unsigned pc) {
    return nextProgramAddress(pc);
}

// CALL and interrupt entry: PC bits 0–7, then PSW bits 4–7 over PC bits 8–11.
void pushFrame(std::uint8_t* ram, unsigned& psw, unsigned pc) {
    const unsigned sp = psw & pswStackPointer;
    const auto level = static_cast<std::size_t>(stackLevelAddress(static_cast<int>(sp)));
    ram[level] = static_cast<std::uint8_t>(pc);
    ram[level + 1] = static_cast<std::uint8_t>((psw & 0xF0) | (pc >> 8));
    psw = (psw & ~unsigned{pswStackPointer}) | ((sp + 1) & pswStackPointer);
}

// RET restores the PC; RETR the upper PSW bits too.
unsigned popFrame(const std::uint8_t* ram, unsigned& psw, bool restoreFlags) {
    const unsigned sp = (psw - 1) & pswStackPointer;
    const auto level = static_cast<std::size_t>(stackLevelAddress(static_cast<int>(sp)));
    const unsigned high = ram[level + 1];
    psw = (psw & ~unsigned{pswStackPointer}) | sp;
    if (restoreFlags) {
        psw = (high & 0xF0) | (psw & 0x0F);
    }
    return (high & 0x0F) << 8 | ram[level];
}

} // namespace

Processor::Processor(Chip chip) {
    state_.chip = chip;
    reset();
}

bool Processor::load(std::span<const std::uint8_t> image) {
    if (image.empty() || image.size() > rom_.size()) {
        return false;
    }
    rom_.fill(0x00);
    std::copy(image.begin(), image.end(), rom_.begin());
    opcodes_ = rom_;
    marks_.fill(Mark::None);
    marked_.clear();
    return true;
}

void Processor::setChip(Chip chip) {
    state_.chip = chip;
}

void Processor::reset(std::uint8_t ramFill) {
    State fresh;
    fresh.chip = state_.chip;
    fresh.ram.fill(ramFill);
    fresh.xram.fill(ramFill);
    fresh.latches = {0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x0F, 0x0F};
    state_ = fresh;
    timer_ = Timer();
    nextInput_ = 0;
    t1Seen_ = state_.t1;
    if (board_ != nullptr) {
        board_->restart();
        board_->latchesChanged(state_.latches, state_.cycles);
        takeBoardPins();
    }
}

const State& Processor::state() {
    syncTimerView();
    return state_;
}

State& Processor::editState() {
    syncTimerView();
    return state_;
}

void Processor::edited() {
    state_.pc &= addressSpace - 1;
    state_.psw |= pswOne;
    timer_.restore(state_.timer, state_.prescaler, state_.timerMode, state_.cycles);
    if (board_ != nullptr) {
        tellBoardEdits();
        return;
    }
    setT1(state_.t1);
}

void Processor::attachBoard(Board* board) {
    board_ = board;
    if (board_ != nullptr) {
        board_->startAt(state_.cycles);
        board_->latchesChanged(state_.latches, state_.cycles);
        takeBoardPins();
    }
}

// Pins edited by hand go to the board as the user's levels; then the board
// sees the latches and the pins follow it.
void Processor::tellBoardEdits() {
    struct Edit {
        Input input;
        std::uint8_t now;
        std::uint8_t taken;
    };
    const std::array<Edit, 6> edits = {{
        {Input::T0, state_.t0, boardPins_.t0},
        {Input::T1, state_.t1, boardPins_.t1},
        {Input::Int, state_.intPin, boardPins_.intPin},
        {Input::P1, state_.p1Pins, boardPins_.p1},
        {Input::P2, state_.p2Pins, boardPins_.p2},
        {Input::Bus, state_.busPins, boardPins_.bus},
    }};
    passBoardChanges(state_.cycles); // what was due happened before the edit
    for (const Edit& edit : edits) {
        if (edit.now != edit.taken) {
            board_->setInput(edit.input, edit.now, state_.cycles);
        }
    }
    board_->latchesChanged(state_.latches, state_.cycles);
    takeBoardPins();
}

void Processor::attachStimulus(std::vector<InputEvent> events) {
    std::stable_sort(events.begin(), events.end(),
                     [](const InputEvent& a, const InputEvent& b) { return a.cycle < b.cycle; });
    inputs_ = std::move(events);
    nextInput_ = 0;
    inputEventsEnd_.fill(0);
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
        inputEventsEnd_[static_cast<std::size_t>(inputs_[i].input)] = i + 1;
    }
}

Step Processor::step() {
    Step taken;
    RunLimits limits;
    limits.maxInstructions = 1;
    limits.stopAfterInterruptEntry = true;
    const RunResult result = run(limits, [&](const Step& step, const State&) { taken = step; });
    if (result.reason == StopReason::UnknownOpcode) {
        taken = {Step::Kind::UnknownOpcode, result.address, result.opcode, 0, 1, 0};
    }
    return taken;
}

RunResult Processor::run(const RunLimits& limits, const StepObserver& observer) {
    beginRun(limits);
    return observer ? runLoop<true>(observer) : runLoop<false>(observer);
}

void Processor::beginRun(const RunLimits& limits) {
    const auto maxInstructions = std::numeric_limits<std::uint64_t>::max();
    cycleLimit_ =
        limits.maxCycles >= never - state_.cycles ? never : state_.cycles + limits.maxCycles;
    instructionLimit_ = limits.maxInstructions >= maxInstructions - state_.instructions
                            ? maxInstructions
                            : state_.instructions + limits.maxInstructions;
    returnBelow_ = limits.returnBelowDepth.value_or(std::numeric_limits<int>::min());
    stopOnIdle_ = limits.stopOnIdle;
    stopAfterEntry_ = limits.stopAfterInterruptEntry;
    markStops(limits);
}

// Clears the marks of the last run and sets this run's.
void Processor::markStops(const RunLimits& limits) {
    for (const std::uint16_t address : marked_) {
        opcodes_[address] = rom_[address];
        marks_[address] = Mark::None;
    }
    marked_.clear();
    const auto mark = [this](std::size_t address, Mark kind) {
        if (marks_[address] == Mark::None) {
            marked_.push_back(static_cast<std::uint16_t>(address));
        }
        opcodes_[address] = markOpcode;
        marks_[address] = kind;
    };
    const bool guardsCode = limits.codeMap.size() == static_cast<std::size_t>(addressSpace) &&
                            limits.codeMap[state_.pc] != 0;
    if (guardsCode) {
        for (std::size_t address = 0; address < limits.codeMap.size(); ++address) {
            if (limits.codeMap[address] == 0) {
                mark(address, Mark::NoCode);
            }
        }
    }
    for (const std::uint16_t address : limits.stopAddresses) {
        mark(address % addressSpace, Mark::StopAddress);
    }
}

// Everything that is not an instruction happens here, between instructions,
// when the cycle count reaches dueCycle(): timer overflows, the run's limits,
// stimulus events and interrupt entries.
Processor::Service Processor::serviceEvents() {
    passTimerOverflows();
    if (stopRequest_) {
        const RunResult stop = *stopRequest_;
        stopRequest_.reset();
        return {stop};
    }
    if (state_.cycles >= cycleLimit_) {
        return {RunResult{StopReason::CycleLimit, state_.pc}};
    }
    if (state_.instructions >= instructionLimit_) {
        return {RunResult{StopReason::InstructionLimit, state_.pc}};
    }
    if (board_ != nullptr) {
        passBoardChanges(state_.cycles);
    } else {
        applyDueInputs();
    }
    if (!interruptDue()) {
        return {};
    }
    enterInterrupt();
    return {std::nullopt, true};
}

// The earliest cycle at which serviceEvents() has something to do. Every
// instruction takes at least one cycle, so the instruction limit is reached
// no earlier than `remaining` cycles from now.
std::int64_t Processor::dueCycle(std::int64_t cycles, std::uint64_t instructions) const {
    if (stopRequest_ || interruptDue() || instructions >= instructionLimit_) {
        return cycles;
    }
    const std::int64_t nextInput = board_ != nullptr             ? board_->nextChange()
                                   : nextInput_ < inputs_.size() ? inputs_[nextInput_].cycle
                                                                 : never;
    std::int64_t due = std::min({cycleLimit_, timer_.overflowCycle(), nextInput});
    const std::uint64_t remaining = instructionLimit_ - instructions;
    if (due > cycles && remaining < static_cast<std::uint64_t>(due - cycles)) {
        due = cycles + static_cast<std::int64_t>(remaining);
    }
    return due;
}

bool Processor::interruptDue() const {
    const State& s = state_;
    return !s.inInterrupt && ((s.interruptEnabled && !s.intPin) ||
                              (s.timerInterruptEnabled && s.timerInterruptPending));
}

// A two-cycle call to the vector; the external interrupt comes first.
void Processor::enterInterrupt() {
    const bool external = state_.interruptEnabled && !state_.intPin;
    if (!external) {
        state_.timerInterruptPending = false;
    }
    unsigned psw = state_.psw;
    pushFrame(state_.ram.data(), psw, state_.pc);
    state_.psw = static_cast<std::uint8_t>(psw);
    state_.pc = external ? externalInterruptVector : timerInterruptVector;
    state_.inInterrupt = true;
    state_.cycles += 2;
    ++state_.callDepth;
}

// Whether an interrupt may still come and end a jump to itself.
bool Processor::interruptCanEndLoop() const {
    const State& s = state_;
    if (s.inInterrupt) {
        return false; // nothing is taken before RETR
    }
    const bool external = s.interruptEnabled && (!s.intPin || inputMayChange(Input::Int));
    const TimerMode mode = timer_.mode();
    const bool counting =
        mode == TimerMode::Timer || (mode == TimerMode::Counter && inputMayChange(Input::T1));
    const bool timer = s.timerInterruptEnabled && (s.timerInterruptPending || counting);
    return external || timer;
}

bool Processor::inputMayChange(Input input) const {
    if (board_ != nullptr) {
        return board_->mayChange(input);
    }
    return inputEventsEnd_[static_cast<std::size_t>(input)] > nextInput_;
}

void Processor::passTimerOverflows() {
    while (timer_.overflowCycle() <= state_.cycles) {
        timer_.passOverflow();
        raiseTimerOverflow();
    }
}

void Processor::raiseTimerOverflow() {
    state_.timerFlag = true;
    if (state_.timerInterruptEnabled) {
        state_.timerInterruptPending = true;
    }
}

void Processor::applyDueInputs() {
    while (nextInput_ < inputs_.size() && inputs_[nextInput_].cycle <= state_.cycles) {
        const InputEvent& event = inputs_[nextInput_++];
        setInput(event.input, event.value);
    }
}

void Processor::setInput(Input input, std::uint8_t value) {
    if (board_ != nullptr) {
        passBoardChanges(state_.cycles);
        board_->setInput(input, value, state_.cycles);
        takeBoardPins();
        return;
    }
    switch (input) {
    case Input::T0:
        state_.t0 = value != 0;
        return;
    case Input::T1:
        setT1(value != 0);
        return;
    case Input::Int:
        state_.intPin = value != 0;
        return;
    case Input::P1:
        state_.p1Pins = value;
        return;
    case Input::P2:
        state_.p2Pins = value;
        return;
    case Input::Bus:
        state_.busPins = value;
        return;
    }
}

// The counter counts falling edges of T1.
void Processor::setT1(bool level) {
    if (t1Seen_ && !level && timer_.countEdge()) {
        raiseTimerOverflow();
    }
    state_.t1 = level;
    t1Seen_ = level;
}

// The board's changes up to `cycles` one change time after the other, so
// that the counter sees every edge on T1.
void Processor::passBoardChanges(std::int64_t cycles) {
    for (std::int64_t next = board_->nextChange(); next <= cycles; next = board_->nextChange()) {
        board_->advanceTo(next);
        takeBoardPins();
    }
}

void Processor::takeBoardPins() {
    boardPins_ = board_->pins();
    state_.p1Pins = boardPins_.p1;
    state_.p2Pins = boardPins_.p2;
    state_.busPins = boardPins_.bus;
    state_.t0 = boardPins_.t0;
    state_.intPin = boardPins_.intPin;
    setT1(boardPins_.t1);
}

void Processor::writePort(Port port, std::uint8_t value, std::int64_t cycles) {
    std::uint8_t& latch = state_.latch(port);
    if (latch == value) {
        return;
    }
    latch = value;
    if (portListener_) {
        portListener_(port, value, cycles);
    }
    if (board_ != nullptr) {
        passBoardChanges(cycles);
        board_->latchesChanged(state_.latches, cycles);
        takeBoardPins();
    }
}

void Processor::syncTimerView() {
    state_.timer = timer_.value(state_.cycles);
    state_.prescaler = timer_.prescaler(state_.cycles);
    state_.timerMode = timer_.mode();
}

// Bit 11 that JMP and CALL load: the memory bank flag, but bank 0 while an
// interrupt is being serviced.
unsigned Processor::jumpBank() const {
    return state_.mb && !state_.inInterrupt ? bankBit : 0;
}

void Processor::requestStop(StopReason reason, unsigned address) {
    stopRequest_ = RunResult{reason, static_cast<std::uint16_t>(address)};
}

// The hot state lives in locals; everything that is not an instruction waits
// until the cycle count reaches `due`, so the loop makes one compare per
// instruction beside the dispatch. Stop addresses and addresses without code
// hold an opcode that does not exist in the copy the loop dispatches on.
template <bool Observed>
RunResult Processor::runLoop(const StepObserver& observer) {
    const std::uint8_t* const rom = rom_.data();
    const std::uint8_t* const opcodes = opcodes_.data();
    std::uint8_t* const ram = state_.ram.data();
    std::uint8_t* const xram = state_.xram.data();
    const std::uint8_t* const cyclesOf = cycleTable().data();
    const auto ramMask = static_cast<unsigned>(ramSizeOf(state_.chip) - 1);
    const std::int64_t runStart = state_.cycles;

    unsigned pc = state_.pc;
    unsigned a = state_.a;
    unsigned psw = state_.psw;
    std::int64_t cycles = state_.cycles;
    std::uint64_t instructions = state_.instructions;
    std::uint8_t* regs = ram + state_.registerBase();
    std::int64_t due = dueCycle(cycles, instructions);

    const auto store = [&] {
        state_.pc = static_cast<std::uint16_t>(pc);
        state_.a = static_cast<std::uint8_t>(a);
        state_.psw = static_cast<std::uint8_t>(psw);
        state_.cycles = cycles;
        state_.instructions = instructions;
    };
    const auto load = [&] {
        pc = state_.pc;
        psw = state_.psw;
        cycles = state_.cycles;
        regs = ram + state_.registerBase();
    };
    const auto fetch = [&] {
        const unsigned value = rom[pc];
        pc = next(pc);
        return value;
    };
    const auto indirect = [&](unsigned opcode) -> std::uint8_t& {
        return ram[regs[opcode & 1] & ramMask];
    };
    const auto add = [&](unsigned value, unsigned carryIn) {
        const unsigned sum = a + value + carryIn;
        const unsigned lowSum = (a & 0x0F) + (value & 0x0F) + carryIn;
        psw = (psw & 0x3F) | (sum > 0xFF ? pswCarry : 0) | (lowSum > 0x0F ? pswAuxiliaryCarry : 0);
        a = sum & 0xFF;
    };
    const auto carry = [&] { return (psw & pswCarry) != 0 ? 1u : 0u; };
    const auto reschedule = [&] { due = dueCycle(cycles, instructions); };
    // A jump that leaves the PC at its own address. (No lambda here calls
    // another: a captured closure would pin the locals in memory.)
    const auto stopIfIdle = [&](unsigned at) {
        if (pc == at && stopOnIdle_ && !interruptCanEndLoop()) [[unlikely]] {
            requestStop(StopReason::Idle, at);
            due = cycles;
        }
    };
    // Conditional jumps reach the page of the address after the opcode.
    const auto jumpIf = [&](bool condition, unsigned at) {
        const unsigned target = (pc & pageBits) | rom[pc];
        pc = condition ? target : next(pc);
        if (pc == at && stopOnIdle_ && !interruptCanEndLoop()) [[unlikely]] {
            requestStop(StopReason::Idle, at);
            due = cycles;
        }
    };
    const auto returned = [&] {
        if (--state_.callDepth < returnBelow_) [[unlikely]] {
            requestStop(StopReason::Returned, pc);
            due = cycles;
        }
    };
    // Opcode bits 0–1 name the port: 1 P1, 2 P2, 0 BUS.
    const auto port = [](unsigned opcode) {
        constexpr std::array<Port, 4> ports = {Port::Bus, Port::P1, Port::P2, Port::Bus};
        return ports[opcode & 3];
    };
    const auto expander = [](unsigned opcode) { return static_cast<Port>(3 + (opcode & 3)); };
    // With a board, the pins a write changes may request an interrupt, and
    // the board's next change may come sooner: serviced before the next instruction.
    const auto writePortNow = [&](Port target, unsigned value, unsigned opcode) {
        writePort(target, static_cast<std::uint8_t>(value), cycles + cyclesOf[opcode]);
        if (board_ != nullptr) [[unlikely]] {
            due = cycles;
        }
    };

    for (;;) {
        if (cycles >= due) [[unlikely]] {
            store();
            const Service service = serviceEvents();
            if (service.stop) {
                return *service.stop;
            }
            const auto interrupted = static_cast<std::uint16_t>(pc);
            load();
            reschedule();
            if (service.enteredInterrupt) {
                if constexpr (Observed) {
                    syncTimerView();
                    observer({Step::Kind::InterruptEntry, interrupted, 0, 0, 0, state_.pc}, state_);
                }
                if (stopAfterEntry_) {
                    return {StopReason::InterruptEntered, static_cast<std::uint16_t>(pc)};
                }
                continue;
            }
        }
        const unsigned at = pc;
        unsigned opcode = opcodes[at];
        bool passedMark = false;
        pc = next(at);
    dispatch:
        // clang-format off
        switch (opcode) {
        case 0x00: // nop
        case 0x75: // ent0 clk: the clock output is not simulated
            break;

        // Accumulator arithmetic and logic
        case 0x68: case 0x69: case 0x6A: case 0x6B: case 0x6C: case 0x6D: case 0x6E: case 0x6F:
            add(regs[opcode & 7], 0);
            break;
        case 0x60: case 0x61:
            add(indirect(opcode), 0);
            break;
        case 0x03:
            add(fetch(), 0);
            break;
        case 0x78: case 0x79: case 0x7A: case 0x7B: case 0x7C: case 0x7D: case 0x7E: case 0x7F:
            add(regs[opcode & 7], carry());
            break;
        case 0x70: case 0x71:
            add(indirect(opcode), carry());
            break;
        case 0x13:
            add(fetch(), carry());
            break;
        case 0x58: case 0x59: case 0x5A: case 0x5B: case 0x5C: case 0x5D: case 0x5E: case 0x5F:
            a &= regs[opcode & 7];
            break;
        case 0x50: case 0x51:
            a &= indirect(opcode);
            break;
        case 0x53:
            a &= fetch();
            break;
        case 0x48: case 0x49: case 0x4A: case 0x4B: case 0x4C: case 0x4D: case 0x4E: case 0x4F:
            a |= regs[opcode & 7];
            break;
        case 0x40: case 0x41:
            a |= indirect(opcode);
            break;
        case 0x43:
            a |= fetch();
            break;
        case 0xD8: case 0xD9: case 0xDA: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF:
            a ^= regs[opcode & 7];
            break;
        case 0xD0: case 0xD1:
            a ^= indirect(opcode);
            break;
        case 0xD3:
            a ^= fetch();
            break;
        case 0x17: // inc a
            a = (a + 1) & 0xFF;
            break;
        case 0x07: // dec a
            a = (a - 1) & 0xFF;
            break;
        case 0x27: // clr a
            a = 0;
            break;
        case 0x37: // cpl a
            a ^= 0xFF;
            break;
        case 0x47: // swap a
            a = ((a << 4) | (a >> 4)) & 0xFF;
            break;
        case 0xE7: // rl a
            a = ((a << 1) | (a >> 7)) & 0xFF;
            break;
        case 0xF7: { // rlc a
            const unsigned carryIn = carry();
            psw = (psw & ~unsigned{pswCarry}) | (a & 0x80);
            a = ((a << 1) | carryIn) & 0xFF;
            break;
        }
        case 0x77: // rr a
            a = ((a >> 1) | (a << 7)) & 0xFF;
            break;
        case 0x67: { // rrc a
            const unsigned carryIn = psw & pswCarry;
            psw = (psw & ~unsigned{pswCarry}) | ((a & 1) << 7);
            a = (a >> 1) | carryIn;
            break;
        }
        case 0x57: // da a: only ever sets CY
            if ((a & 0x0F) > 9 || (psw & pswAuxiliaryCarry) != 0) {
                a += 0x06;
                psw |= a > 0xFF ? pswCarry : 0;
                a &= 0xFF;
            }
            if ((a >> 4) > 9 || (psw & pswCarry) != 0) {
                a += 0x60;
                psw |= a > 0xFF ? pswCarry : 0;
                a &= 0xFF;
            }
            break;

        // Registers and data memory
        case 0x18: case 0x19: case 0x1A: case 0x1B: case 0x1C: case 0x1D: case 0x1E: case 0x1F:
            ++regs[opcode & 7];
            break;
        case 0x10: case 0x11:
            ++indirect(opcode);
            break;
        case 0xC8: case 0xC9: case 0xCA: case 0xCB: case 0xCC: case 0xCD: case 0xCE: case 0xCF:
            --regs[opcode & 7];
            break;
        case 0xF8: case 0xF9: case 0xFA: case 0xFB: case 0xFC: case 0xFD: case 0xFE: case 0xFF:
            a = regs[opcode & 7];
            break;
        case 0xF0: case 0xF1:
            a = indirect(opcode);
            break;
        case 0x23:
            a = fetch();
            break;
        case 0xA8: case 0xA9: case 0xAA: case 0xAB: case 0xAC: case 0xAD: case 0xAE: case 0xAF:
            regs[opcode & 7] = static_cast<std::uint8_t>(a);
            break;
        case 0xA0: case 0xA1:
            indirect(opcode) = static_cast<std::uint8_t>(a);
            break;
        case 0xB8: case 0xB9: case 0xBA: case 0xBB: case 0xBC: case 0xBD: case 0xBE: case 0xBF:
            regs[opcode & 7] = static_cast<std::uint8_t>(fetch());
            break;
        case 0xB0:
        case 0xB1: {
            const unsigned value = fetch();
            indirect(opcode) = static_cast<std::uint8_t>(value);
            break;
        }
        case 0x28: case 0x29: case 0x2A: case 0x2B: case 0x2C: case 0x2D: case 0x2E:
        case 0x2F: {
            const unsigned value = regs[opcode & 7];
            regs[opcode & 7] = static_cast<std::uint8_t>(a);
            a = value;
            break;
        }
        case 0x20:
        case 0x21: {
            std::uint8_t& cell = indirect(opcode);
            const unsigned value = cell;
            cell = static_cast<std::uint8_t>(a);
            a = value;
            break;
        }
        case 0x30:
        case 0x31: { // xchd: the low nibbles only
            std::uint8_t& cell = indirect(opcode);
            const unsigned value = cell;
            cell = static_cast<std::uint8_t>((value & 0xF0) | (a & 0x0F));
            a = (a & 0xF0) | (value & 0x0F);
            break;
        }
        case 0x80: case 0x81:
            a = xram[regs[opcode & 1]];
            break;
        case 0x90: case 0x91:
            xram[regs[opcode & 1]] = static_cast<std::uint8_t>(a);
            break;
        case 0xA3: // movp: the page of the address after the opcode
            a = rom[(pc & pageBits) | a];
            break;
        case 0xE3: // movp3
            a = rom[0x300 | a];
            break;

        // Flags, PSW and banks
        case 0x97:
            psw &= ~unsigned{pswCarry};
            break;
        case 0xA7:
            psw ^= pswCarry;
            break;
        case 0x85:
            psw &= ~unsigned{pswF0};
            break;
        case 0x95:
            psw ^= pswF0;
            break;
        case 0xA5:
            state_.f1 = false;
            break;
        case 0xB5:
            state_.f1 = !state_.f1;
            break;
        case 0xC7: // mov a,psw
            a = psw;
            break;
        case 0xD7: // mov psw,a: the stack pointer too
            psw = a | pswOne;
            regs = ram + registerBaseOf(psw);
            break;
        case 0xC5:
            psw &= ~unsigned{pswBankSelect};
            regs = ram;
            break;
        case 0xD5:
            psw |= pswBankSelect;
            regs = ram + registerBaseOf(psw);
            break;
        case 0xE5:
            state_.mb = false;
            break;
        case 0xF5:
            state_.mb = true;
            break;

        // Jumps, calls and returns
        case 0x04: case 0x24: case 0x44: case 0x64: case 0x84: case 0xA4: case 0xC4: case 0xE4:
            pc = jumpBank() | (opcode & 0xE0) << 3 | rom[pc];
            stopIfIdle(at);
            break;
        case 0x14: case 0x34: case 0x54: case 0x74: case 0x94: case 0xB4: case 0xD4:
        case 0xF4: {
            const unsigned target = jumpBank() | (opcode & 0xE0) << 3 | fetch();
            pushFrame(ram, psw, pc);
            pc = target;
            ++state_.callDepth;
            break;
        }
        case 0x83: // ret
            pc = popFrame(ram, psw, false);
            returned();
            break;
        case 0x93: // retr
            pc = popFrame(ram, psw, true);
            regs = ram + registerBaseOf(psw);
            state_.inInterrupt = false;
            reschedule();
            returned();
            break;
        case 0xB3: // jmpp @a
            pc = (pc & pageBits) | rom[(pc & pageBits) | a];
            stopIfIdle(at);
            break;
        case 0xE8: case 0xE9: case 0xEA: case 0xEB: case 0xEC: case 0xED: case 0xEE:
        case 0xEF: {
            // djnz counts down, so a loop on itself is not idle
            const unsigned target = (pc & pageBits) | rom[pc];
            pc = --regs[opcode & 7] != 0 ? target : next(pc);
            break;
        }
        case 0xF6: jumpIf(carry() != 0, at); break;
        case 0xE6: jumpIf(carry() == 0, at); break;
        case 0xC6: jumpIf(a == 0, at); break;
        case 0x96: jumpIf(a != 0, at); break;
        case 0x36: jumpIf(state_.t0, at); break;
        case 0x26: jumpIf(!state_.t0, at); break;
        case 0x56: jumpIf(state_.t1, at); break;
        case 0x46: jumpIf(!state_.t1, at); break;
        case 0xB6: jumpIf((psw & pswF0) != 0, at); break;
        case 0x76: jumpIf(state_.f1, at); break;
        case 0x86: jumpIf(!state_.intPin, at); break;
        case 0x16: { // jtf clears the flag it tests
            const bool flag = state_.timerFlag;
            state_.timerFlag = false;
            jumpIf(flag, at);
            break;
        }
        case 0x12: case 0x32: case 0x52: case 0x72: case 0x92: case 0xB2: case 0xD2: case 0xF2:
            jumpIf(((a >> (opcode >> 5)) & 1) != 0, at);
            break;

        // Timer/counter and interrupts
        case 0x42:
            a = timer_.value(cycles);
            break;
        case 0x62:
            timer_.set(static_cast<std::uint8_t>(a), cycles);
            reschedule();
            break;
        case 0x55:
            timer_.switchTo(TimerMode::Timer, cycles);
            reschedule();
            break;
        case 0x45:
            timer_.switchTo(TimerMode::Counter, cycles);
            reschedule();
            break;
        case 0x65:
            timer_.switchTo(TimerMode::Stopped, cycles);
            reschedule();
            break;
        case 0x25:
            state_.timerInterruptEnabled = true;
            reschedule();
            break;
        case 0x35: // dis tcnti also drops a pending request
            state_.timerInterruptEnabled = false;
            state_.timerInterruptPending = false;
            reschedule();
            break;
        case 0x05:
            state_.interruptEnabled = true;
            reschedule();
            break;
        case 0x15:
            state_.interruptEnabled = false;
            reschedule();
            break;

        // Ports: P1 and P2 read pins AND latch; BUS reads its pins
        case 0x09: case 0x0A:
            a = state_.latch(port(opcode)) &
                (port(opcode) == Port::P1 ? state_.p1Pins : state_.p2Pins);
            break;
        case 0x08:
            a = state_.busPins;
            break;
        case 0x02:
            writePortNow(Port::Bus, a, opcode);
            break;
        case 0x39: case 0x3A:
            writePortNow(port(opcode), a, opcode);
            break;
        case 0x88: case 0x89: case 0x8A:
            writePortNow(port(opcode), state_.latch(port(opcode)) | fetch(), opcode);
            break;
        case 0x98: case 0x99: case 0x9A:
            writePortNow(port(opcode), state_.latch(port(opcode)) & fetch(), opcode);
            break;
        case 0x0C: case 0x0D: case 0x0E: case 0x0F:
            a = state_.latch(expander(opcode)) & 0x0F;
            break;
        case 0x3C: case 0x3D: case 0x3E: case 0x3F:
            writePortNow(expander(opcode), a & 0x0F, opcode);
            break;
        case 0x8C: case 0x8D: case 0x8E: case 0x8F:
            writePortNow(expander(opcode), (state_.latch(expander(opcode)) | a) & 0x0F, opcode);
            break;
        case 0x9C: case 0x9D: case 0x9E: case 0x9F:
            writePortNow(expander(opcode), state_.latch(expander(opcode)) & a & 0x0F, opcode);
            break;

        default:
            if (marks_[at] != Mark::None && !passedMark) {
                // A run leaves the stop address it starts on.
                if (marks_[at] == Mark::StopAddress && cycles == runStart) {
                    opcode = rom[at];
                    passedMark = true;
                    goto dispatch;
                }
                pc = at;
                store();
                return {marks_[at] == Mark::StopAddress ? StopReason::StopAddress
                                                        : StopReason::LeftCode,
                        static_cast<std::uint16_t>(at)};
            }
            pc = at;
            store();
            return {StopReason::UnknownOpcode, static_cast<std::uint16_t>(at),
                    static_cast<std::uint8_t>(rom[at])};
        }
        // clang-format on
        cycles += cyclesOf[opcode];
        ++instructions;
        if constexpr (Observed) {
            const Instruction& instruction = instructionOf(static_cast<std::uint8_t>(opcode));
            const std::uint8_t operand = instruction.length == 2 ? rom[next(at)] : 0;
            const Step done{Step::Kind::Instruction,
                            static_cast<std::uint16_t>(at),
                            static_cast<std::uint8_t>(opcode),
                            operand,
                            instruction.length,
                            0};
            store();
            syncTimerView();
            observer(done, state_);
        }
    }
}

} // namespace tovi::mcs48
