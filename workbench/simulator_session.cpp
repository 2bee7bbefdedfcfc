#include "workbench/simulator_session.h"

#include <algorithm>

#include "image/object_image.h"
#include "mcs48/disassembler.h"
#include "mcs48/instruction_set.h"

namespace tovi {
namespace {

constexpr int sliceMilliseconds = 10;   // one slice of a run; the window handles events between
constexpr int refreshMilliseconds = 40; // the views are redrawn at least 25 times a second
constexpr std::uint64_t smallestSlice = 1'000;
constexpr std::uint64_t largestSlice = 50'000'000;

QString hexAddress(int address) {
    return QString::fromStdString(mcs48::hexNumber(static_cast<unsigned>(address), 3));
}

QString hexByte(int value) {
    return QString::fromStdString(mcs48::hexNumber(static_cast<unsigned>(value), 2));
}

bool isCall(std::uint8_t opcode) {
    return mcs48::instructionOf(opcode).mnemonic == "call";
}

} // namespace

SimulatorSession::SimulatorSession(SimulatorSettings& settings, QObject* parent)
    : QObject(parent), settings_(settings), lineAt_(mcs48::addressSpace, 0),
      rowAt_(mcs48::addressSpace, -1), codeMap_(mcs48::addressSpace, 0) {
    processor_.setChip(chip());
    slices_.setInterval(0);
    connect(&slices_, &QTimer::timeout, this, &SimulatorSession::runSlice);
}

void SimulatorSession::loadProgram(const ObjectImage& image) {
    pause();
    std::fill(lineAt_.begin(), lineAt_.end(), 0);
    std::fill(rowAt_.begin(), rowAt_.end(), -1);
    for (std::size_t row = 1; row < image.listing.size(); ++row) {
        const auto address = static_cast<std::size_t>(image.rowAddresses[row]); // below 800H
        lineAt_[address] = image.rowLines[row];
        rowAt_[address] = static_cast<int>(row);
    }
    std::fill(codeMap_.begin(), codeMap_.end(), 0);
    for (std::size_t address = 0; address < image.occupied.size(); ++address) {
        codeMap_[address] = image.occupied[address] ? 1 : 0;
    }
    const auto length = static_cast<std::size_t>(image.imageLength());
    hasProgram_ = processor_.load(std::span(image.bytes).first(length));
    stopAddresses_.clear();
    const mcs48::State before = state();
    processor_.reset();
    setInputs(before);
    emit changed();
}

void SimulatorSession::edit(const std::function<void(mcs48::State&)>& change) {
    change(processor_.editState());
    processor_.edited();
    emit changed();
}

void SimulatorSession::setInput(mcs48::Input input, std::uint8_t value) {
    processor_.setInput(input, value);
    emit changed();
}

// The levels on the pins belong to the circuit around the chip, not to the program.
void SimulatorSession::setInputs(const mcs48::State& levels) {
    using mcs48::Input;
    const std::pair<Input, std::uint8_t> inputs[] = {
        {Input::T0, levels.t0},     {Input::T1, levels.t1},     {Input::Int, levels.intPin},
        {Input::P1, levels.p1Pins}, {Input::P2, levels.p2Pins}, {Input::Bus, levels.busPins},
    };
    for (const auto& [input, value] : inputs) {
        processor_.setInput(input, value);
    }
}

mcs48::Chip SimulatorSession::chip() const {
    return mcs48::chipNamed(toUtf8(settings_.chip)).value_or(mcs48::Chip::I8049);
}

void SimulatorSession::setChip(mcs48::Chip chip) {
    settings_.chip = fromUtf8(mcs48::nameOf(chip));
    processor_.setChip(chip);
    emit changed();
}

void SimulatorSession::setClockKHz(int kHz) {
    settings_.clockKHz = kHz;
    emit changed();
}

double SimulatorSession::elapsedMicroseconds() {
    return static_cast<double>(state().cycles) * mcs48::oscillatorPeriodsPerCycle * 1000.0 /
           settings_.clockKHz;
}

int SimulatorSession::lineOfAddress(int address) const {
    return lineAt_[static_cast<std::size_t>(address)];
}

std::optional<int> SimulatorSession::addressOfLine(int line) const {
    const auto found = std::find(lineAt_.begin(), lineAt_.end(), line);
    if (line <= 0 || found == lineAt_.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - lineAt_.begin());
}

int SimulatorSession::listingRowOfAddress(int address) const {
    return rowAt_[static_cast<std::size_t>(address)];
}

void SimulatorSession::useBreakpoints(const std::set<int>& lines) {
    stopAddresses_.clear();
    for (const int line : lines) {
        if (const auto address = addressOfLine(line)) {
            stopAddresses_.push_back(static_cast<std::uint16_t>(*address));
        }
    }
}

void SimulatorSession::stepInto() {
    if (running_ || !hasProgram_) {
        return;
    }
    const mcs48::Step step = processor_.step();
    if (step.kind == mcs48::Step::Kind::UnknownOpcode) {
        reportUnknownOpcode(step.opcode, step.address);
    }
    emit changed();
}

// A call runs until it has returned; anything else is one step.
void SimulatorSession::stepOver() {
    if (running_ || !hasProgram_) {
        return;
    }
    const mcs48::State& now = state();
    if (!isCall(processor_.programMemory()[now.pc])) {
        stepInto();
        return;
    }
    mcs48::RunLimits limits;
    limits.returnBelowDepth = now.callDepth + 1;
    start(limits, std::nullopt);
}

void SimulatorSession::stepOut() {
    mcs48::RunLimits limits;
    limits.returnBelowDepth = state().callDepth;
    start(limits, std::nullopt);
}

void SimulatorSession::run() {
    start({}, std::nullopt);
}

void SimulatorSession::runTo(int address) {
    start({}, address);
}

void SimulatorSession::pause() {
    if (!running_) {
        return;
    }
    stopSlices();
    const int pc = state().pc;
    const int line = lineOfAddress(pc);
    emit stopReport(
        line > 0 ? QStringLiteral("Angehalten in Zeile %1 (%2)").arg(line).arg(hexAddress(pc))
                 : QStringLiteral("Angehalten bei %1").arg(hexAddress(pc)));
    emit changed();
}

void SimulatorSession::reset() {
    stopSlices();
    const mcs48::State before = state();
    processor_.reset();
    mcs48::State& after = processor_.editState();
    after.ram = before.ram;
    after.xram = before.xram;
    processor_.edited();
    emit changed();
}

void SimulatorSession::start(mcs48::RunLimits limits, std::optional<int> target) {
    if (running_ || !hasProgram_) {
        return;
    }
    runStops_ = stopAddresses_;
    if (target) {
        runStops_.push_back(static_cast<std::uint16_t>(*target));
    }
    limits_ = limits;
    limits_.stopAddresses = runStops_;
    // A run that starts where the program has no code goes wherever that leads.
    if (codeMap_[state().pc] != 0) {
        limits_.codeMap = codeMap_;
    }
    firstSlice_ = true;
    running_ = true;
    sinceRefresh_.start();
    slices_.start();
    emit runningChanged(true);
}

// One slice of about sliceMilliseconds; its size follows the measured speed.
void SimulatorSession::runSlice() {
    const int pc = state().pc;
    if (!firstSlice_ && std::ranges::find(runStops_, pc) != runStops_.end()) {
        finish({mcs48::StopReason::StopAddress, static_cast<std::uint16_t>(pc), 0});
        return;
    }
    if (!firstSlice_ && leftCodeAt(pc)) {
        finish({mcs48::StopReason::LeftCode, static_cast<std::uint16_t>(pc), 0});
        return;
    }
    QElapsedTimer clock;
    clock.start();
    limits_.maxInstructions = sliceInstructions_;
    const mcs48::RunResult result = processor_.run(limits_);
    firstSlice_ = false;
    const auto elapsed = clock.elapsed();
    if (elapsed < sliceMilliseconds / 2) {
        sliceInstructions_ = std::min(largestSlice, sliceInstructions_ * 2);
    } else if (elapsed > sliceMilliseconds * 2) {
        sliceInstructions_ = std::max(smallestSlice, sliceInstructions_ / 2);
    }
    if (result.reason != mcs48::StopReason::InstructionLimit) {
        finish(result);
        return;
    }
    if (sinceRefresh_.elapsed() >= refreshMilliseconds) {
        sinceRefresh_.restart();
        emit changed();
    }
}

void SimulatorSession::finish(const mcs48::RunResult& result) {
    stopSlices();
    const bool atBreakpoint =
        result.reason == mcs48::StopReason::StopAddress &&
        std::ranges::find(stopAddresses_, result.address) != stopAddresses_.end();
    if (atBreakpoint) {
        emit stopReport(QStringLiteral("Haltepunkt in Zeile %1 (%2)")
                            .arg(lineOfAddress(result.address))
                            .arg(hexAddress(result.address)));
    } else if (result.reason == mcs48::StopReason::UnknownOpcode) {
        reportUnknownOpcode(result.opcode, result.address);
    } else if (result.reason == mcs48::StopReason::LeftCode) {
        emit stopReport(
            QStringLiteral("Halt: kein Programmcode bei %1").arg(hexAddress(result.address)));
    }
    emit changed();
}

// The slice before ended where this run, guarding the code, must not go on.
bool SimulatorSession::leftCodeAt(int pc) const {
    return !limits_.codeMap.empty() && codeMap_[static_cast<std::size_t>(pc)] == 0;
}

void SimulatorSession::stopSlices() {
    if (!running_) {
        return;
    }
    slices_.stop();
    running_ = false;
    emit runningChanged(false);
}

void SimulatorSession::reportUnknownOpcode(int opcode, int address) {
    const int line = lineOfAddress(address);
    emit stopReport(
        QStringLiteral("Unbekannter Opcode %1 bei %2").arg(hexByte(opcode), hexAddress(address)) +
        (line > 0 ? QStringLiteral(" (Zeile %1)").arg(line) : QString()));
}

} // namespace tovi
