#include "workbench/simulator_session.h"

#include <QFileInfo>

#include <algorithm>

#include "common/file_io.h"
#include "image/object_image.h"
#include "mcs48/disassembler.h"
#include "mcs48/instruction_set.h"
#include "workbench/signal_recording.h"

namespace tovi {
namespace {

constexpr int sliceMilliseconds = 10;   // one slice of a run; the window handles events between
constexpr int refreshMilliseconds = 40; // the views are redrawn at least 25 times a second
constexpr std::uint64_t smallestSlice = 1'000;
constexpr std::uint64_t largestSlice = 50'000'000;
constexpr int pacedSliceMilliseconds = 4; // a real-time run catches up with the clock this often
constexpr std::size_t largestBoardFile = 1 << 20;
constexpr std::array<std::uint8_t, 6> inputsHigh = {1, 1, 1, 0xFF, 0xFF, 0xFF};

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
    : QObject(parent), settings_(settings), userInputs_(inputsHigh),
      lineAt_(mcs48::addressSpace, 0), rowAt_(mcs48::addressSpace, -1),
      codeMap_(mcs48::addressSpace, 0) {
    processor_.setChip(chip());
    processor_.attachBoard(&board_);
    slices_.setTimerType(Qt::PreciseTimer);
    connect(&slices_, &QTimer::timeout, this, &SimulatorSession::runSlice);
}

SimulatorSession::~SimulatorSession() = default;

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
    const std::int64_t cycles = state().cycles;
    processor_.reset();
    restoreUserSettings();
    if (recording_) {
        recording_->continueFrom(cycles, 0, nanosecondsPerCycle());
    }
    emit changed();
}

void SimulatorSession::edit(const std::function<void(mcs48::State&)>& change) {
    change(processor_.editState());
    processor_.edited();
    emit changed();
}

void SimulatorSession::setInput(mcs48::Input input, std::uint8_t value) {
    userInputs_[static_cast<std::size_t>(input)] = value;
    processor_.setInput(input, value);
    emit changed();
}

std::uint8_t SimulatorSession::userInput(mcs48::Input input) const {
    return userInputs_[static_cast<std::size_t>(input)];
}

// What the user set belongs to the circuit around the chip, not to the
// program: after a reset or on another board the inputs take the user's
// levels again and the switches their positions.
void SimulatorSession::restoreUserSettings() {
    for (std::size_t input = 0; input < userInputs_.size(); ++input) {
        if (userInputs_[input] != inputsHigh[input]) {
            processor_.setInput(static_cast<mcs48::Input>(input), userInputs_[input]);
        }
    }
    const std::int64_t now = state().cycles;
    const std::vector<mcs48::PartView> parts = board_.parts(now);
    for (const std::string& name : switchesOn_) {
        const int part = board_.partNamed(name);
        if (part >= 0 && parts[static_cast<std::size_t>(part)].kind == mcs48::PartKind::Switch) {
            board_.setPressed(part, 0, true, now);
        }
    }
    processor_.editState();
    processor_.edited();
}

std::optional<QString> SimulatorSession::loadBoard(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const auto text = readFileBytes(toPath(path.toStdU16String()), largestBoardFile);
    if (!text) {
        return QStringLiteral("%1 kann nicht gelesen werden").arg(name);
    }
    if (path == boardPath_ && *text == boardText_) {
        return std::nullopt;
    }
    mcs48::Board::Parsed parsed = parseBoard(*text, path);
    if (!parsed.board) {
        return QString::fromStdString(parsed.error);
    }
    endRecordingForAnotherBoard();
    boardPath_ = path;
    adopt(std::move(*parsed.board), *text);
    emit boardChanged();
    return std::nullopt;
}

void SimulatorSession::clearBoard() {
    if (boardPath_.isEmpty()) {
        return;
    }
    endRecordingForAnotherBoard();
    boardPath_.clear();
    adopt(mcs48::Board(), {});
    emit boardChanged();
}

// Times in the file are taken at the clock as it is now.
mcs48::Board::Parsed SimulatorSession::parseBoard(const std::string& text,
                                                  const QString& path) const {
    return mcs48::Board::parse(text, QFileInfo(path).fileName().toStdString(), cyclesPerSecond());
}

void SimulatorSession::adopt(mcs48::Board board, std::string text) {
    board_ = std::move(board);
    boardText_ = std::move(text);
    processor_.attachBoard(&board_);
    restoreUserSettings();
    if (recording_) {
        recording_->follow(board_);
    }
    emit changed();
}

std::vector<mcs48::PartView> SimulatorSession::boardParts() {
    return board_.parts(state().cycles);
}

void SimulatorSession::setPressed(int part, int key, bool pressed) {
    const std::int64_t now = state().cycles;
    const mcs48::PartView view = board_.parts(now).at(static_cast<std::size_t>(part));
    if (view.kind == mcs48::PartKind::Switch) {
        if (pressed) {
            switchesOn_.insert(view.name);
        } else {
            switchesOn_.erase(view.name);
        }
    }
    board_.setPressed(part, key, pressed, now);
    processor_.editState();
    processor_.edited();
    emit changed();
}

mcs48::Chip SimulatorSession::chip() const {
    return mcs48::chipNamed(toUtf8(settings_.chip)).value_or(mcs48::Chip::I8049);
}

void SimulatorSession::setChip(mcs48::Chip chip) {
    settings_.chip = fromUtf8(mcs48::nameOf(chip));
    processor_.setChip(chip);
    emit changed();
}

// The board's times were taken at the clock before: it is made anew.
void SimulatorSession::setClockKHz(int kHz) {
    settings_.clockKHz = kHz;
    if (recording_) {
        recording_->continueFrom(state().cycles, state().cycles, nanosecondsPerCycle());
    }
    if (!boardPath_.isEmpty()) {
        mcs48::Board::Parsed parsed = parseBoard(boardText_, boardPath_);
        if (!parsed.board) {
            emit statusLine(QString::fromStdString(parsed.error));
        } else {
            adopt(std::move(*parsed.board), std::move(boardText_));
        }
    }
    startPacing();
    emit changed();
}

double SimulatorSession::cyclesPerSecond() const {
    return settings_.clockKHz * 1000.0 / mcs48::oscillatorPeriodsPerCycle;
}

double SimulatorSession::nanosecondsPerCycle() const {
    return 1e9 / cyclesPerSecond();
}

std::optional<QString> SimulatorSession::startRecording(const QString& path) {
    stopRecording();
    recording_ = SignalRecording::start(toPath(path.toStdU16String()), board_, state().cycles,
                                        nanosecondsPerCycle());
    if (!recording_) {
        return QStringLiteral("%1 kann nicht geschrieben werden").arg(path);
    }
    recordingPath_ = path;
    emit recordingChanged(true);
    return std::nullopt;
}

void SimulatorSession::stopRecording() {
    if (!recording_) {
        return;
    }
    const bool written = recording_->finish();
    recording_.reset();
    if (!written) {
        emit statusLine(QStringLiteral("%1 kann nicht geschrieben werden").arg(recordingPath_));
    }
    emit recordingChanged(false);
}

// The recording's signals were those of the board before: it ends, and says so.
void SimulatorSession::endRecordingForAnotherBoard() {
    if (!recording_) {
        return;
    }
    stopRecording();
    emit statusLine(
        QStringLiteral("Aufzeichnung in %1 beendet: andere Platine").arg(recordingPath_));
}

// What has been recorded goes to the file; a write error ends the recording.
void SimulatorSession::flushRecording() {
    if (recording_ && !recording_->flush()) {
        stopRecording();
    }
}

void SimulatorSession::setRealTime(bool on) {
    settings_.realTime = on;
    startPacing();
}

// Real time counts from here: a run, or a change of the clock or of the pace.
void SimulatorSession::startPacing() {
    pace_.start();
    paceCycles_ = state().cycles;
    slices_.setInterval(settings_.realTime ? pacedSliceMilliseconds : 0);
}

// The cycle a real-time run should have reached by now.
std::int64_t SimulatorSession::cyclesDue() const {
    const double seconds = static_cast<double>(pace_.nsecsElapsed()) / 1e9;
    return paceCycles_ + static_cast<std::int64_t>(seconds * cyclesPerSecond());
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
    emit statusLine(
        line > 0 ? QStringLiteral("Angehalten in Zeile %1 (%2)").arg(line).arg(hexAddress(pc))
                 : QStringLiteral("Angehalten bei %1").arg(hexAddress(pc)));
    emit changed();
}

// The board restarts with the chip; its switches stay where they are.
void SimulatorSession::reset() {
    stopSlices();
    const mcs48::State before = state();
    processor_.reset();
    userInputs_ = inputsHigh;
    restoreUserSettings();
    mcs48::State& after = processor_.editState();
    after.ram = before.ram;
    after.xram = before.xram;
    processor_.edited();
    if (recording_) {
        recording_->continueFrom(before.cycles, 0, nanosecondsPerCycle());
    }
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
    startPacing();
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
    limits_.maxCycles = mcs48::never;
    if (settings_.realTime) {
        const std::int64_t due = cyclesDue();
        // Ahead of the clock the slices wait between them, behind it they follow at once.
        slices_.setInterval(due <= state().cycles ? pacedSliceMilliseconds : 0);
        if (due <= state().cycles) {
            return refreshIfDue();
        }
        limits_.maxCycles = due - state().cycles;
    }
    QElapsedTimer clock;
    clock.start();
    limits_.maxInstructions = sliceInstructions_;
    const mcs48::RunResult result = processor_.run(limits_);
    firstSlice_ = false;
    if (result.reason == mcs48::StopReason::InstructionLimit) {
        adaptSlice(clock.elapsed());
    } else if (result.reason != mcs48::StopReason::CycleLimit) {
        return finish(result);
    }
    refreshIfDue();
}

// Only a slice that ran all its instructions tells the speed.
void SimulatorSession::adaptSlice(qint64 elapsedMilliseconds) {
    if (elapsedMilliseconds < sliceMilliseconds / 2) {
        sliceInstructions_ = std::min(largestSlice, sliceInstructions_ * 2);
    } else if (elapsedMilliseconds > sliceMilliseconds * 2) {
        sliceInstructions_ = std::max(smallestSlice, sliceInstructions_ / 2);
    }
}

void SimulatorSession::refreshIfDue() {
    if (sinceRefresh_.elapsed() >= refreshMilliseconds) {
        sinceRefresh_.restart();
        flushRecording();
        emit changed();
    }
}

void SimulatorSession::finish(const mcs48::RunResult& result) {
    stopSlices();
    flushRecording();
    const bool atBreakpoint =
        result.reason == mcs48::StopReason::StopAddress &&
        std::ranges::find(stopAddresses_, result.address) != stopAddresses_.end();
    if (atBreakpoint) {
        emit statusLine(QStringLiteral("Haltepunkt in Zeile %1 (%2)")
                            .arg(lineOfAddress(result.address))
                            .arg(hexAddress(result.address)));
    } else if (result.reason == mcs48::StopReason::UnknownOpcode) {
        reportUnknownOpcode(result.opcode, result.address);
    } else if (result.reason == mcs48::StopReason::LeftCode) {
        emit statusLine(
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
    emit statusLine(
        QStringLiteral("Unbekannter Opcode %1 bei %2").arg(hexByte(opcode), hexAddress(address)) +
        (line > 0 ? QStringLiteral(" (Zeile %1)").arg(line) : QString()));
}

} // namespace tovi
