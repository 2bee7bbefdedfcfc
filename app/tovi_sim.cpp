// tovi-sim: runs an MCS-48 program from reset, a program-memory image or a
// source assembled in memory, on its board, and reports how it ended,
// optionally with a trace of every instruction, a log of port writes and
// part changes, and a waveform file.

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/command_line.h"
#include "app/output.h"
#include "assembler/expression.h"
#include "common/file_io.h"
#include "common/hex_text.h"
#include "common/mcs48_memory.h"
#include "common/source_text.h"
#include "common/text.h"
#include "image/assembly_driver.h"
#include "mcs48/board.h"
#include "mcs48/disassembler.h"
#include "mcs48/processor.h"
#include "mcs48/trace.h"
#include "mcs48/vcd.h"

namespace {

namespace fs = std::filesystem;
using namespace tovi::mcs48;

constexpr int exitSuccess = 0;
constexpr int exitNotAsAskedOrBadProgram = 1;
constexpr int exitUsage = tovi::exitUsage;
constexpr std::uint64_t defaultInstructionLimit = 10'000'000;
constexpr double slowestClock = 0.001; // MHz
constexpr double fastestClock = 100;
// Hundreds of thousands of input changes fit; a larger file is taken for a mistake.
constexpr std::size_t largestInputFile = 4 << 20;
constexpr std::string_view program = "tovi-sim";
// A program file with one of these extensions (in any case) is a source.
constexpr std::string_view sourceExtensions[] = {".asm", ".a48", ".s"};

struct Options {
    std::string chip = "8049";
    std::string clock = "6";
    std::optional<std::string> steps;
    std::optional<std::string> cycles;
    std::optional<std::string> until;
    bool stopOnIdle = false;
    std::string boardPath;
    std::string stimulusPath;
    bool trace = false;
    bool ports = false;
    std::string vcdPath;
    std::string ramFill = "00";
    std::vector<std::string> includeFolders;
    std::string programPath;
};

// What runs: the image, and a source's labels.
struct LoadedProgram {
    std::vector<std::uint8_t> image;
    bool fromSource = false;
    std::vector<std::string> labels; // by address, "" where none; the first label of each
    std::unordered_map<std::u16string, std::uint16_t> labelAddresses; // by lower-case name
};

std::optional<double> megahertzOf(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !(value >= slowestClock) ||
        value > fastestClock) {
        return std::nullopt;
    }
    return value;
}

CLI::Validator clockRate() {
    return CLI::Validator(
        [](const std::string& value) {
            return megahertzOf(value)
                       ? std::string()
                       : "erwartet eine Taktfrequenz in MHz von 0.001 bis 100, nicht " +
                             tovi::quotedValue(value);
        },
        "", "");
}

// Why `text` is no hex address, or "" when it is one.
std::string hexAddressProblem(std::string text) {
    return tovi::hexInRange(0, addressSpace - 1)(text);
}

// A hex address, or a name that may be a label of a source.
CLI::Validator addressOrLabel() {
    return CLI::Validator(
        [](const std::string& value) {
            return tovi::isName(tovi::fromUtf8(value)) ? std::string() : hexAddressProblem(value);
        },
        "", "");
}

// "8048 (64 Byte RAM), 8049 (128, Vorgabe) oder 8050 (256)".
std::string chipChoices(const std::vector<std::string>& names, const std::string& preset) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string separator = i == 0 ? "" : i + 1 == names.size() ? " oder " : ", ";
        const int ramSize = ramSizeOf(*chipNamed(names[i]));
        text += separator + names[i] + " (" + std::to_string(ramSize) +
                (i == 0 ? " Byte RAM" : "") + (names[i] == preset ? ", Vorgabe)" : ")");
    }
    return text;
}

void describeOptions(tovi::CommandLine& commandLine, Options& options) {
    CLI::App& app = commandLine.app();
    constexpr long long mostSteps = 1'000'000'000'000'000LL;
    std::vector<std::string> chips;
    for (const auto& family : tovi::mcs48::chipFamilies) {
        chips.emplace_back(family.names[0]);
    }
    app.add_option("--chip", options.chip, chipChoices(chips, options.chip))
        ->type_name("TYP")
        ->check(tovi::oneOf(chips));
    app.add_option("--clock", options.clock, "Quarzfrequenz in MHz, 0.001 bis 100 (Vorgabe 6)")
        ->type_name("MHZ")
        ->check(clockRate());
    app.add_option("--steps", options.steps, "nach N Befehlen anhalten")
        ->type_name("N")
        ->check(tovi::decimalInRange(0, mostSteps));
    app.add_option("--cycles", options.cycles, "nach dem Befehl anhalten, der N Zyklen erreicht")
        ->type_name("N")
        ->check(tovi::decimalInRange(0, mostSteps));
    app.add_option("--until", options.until,
                   "vor dem Befehl an Adresse ADR anhalten (hex, bei einer Quelle auch ein Label)")
        ->type_name("ADR")
        ->check(addressOrLabel());
    app.add_flag("--stop-on-idle", options.stopOnIdle,
                 "bei einem Sprung auf sich selbst anhalten, den kein Interrupt beendet");
    app.add_option("--board", options.boardPath,
                   "die Platine aus DATEI (Vorgabe: PROGRAMM mit der Endung .board, wenn es sie "
                   "gibt)")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_option("--stimulus", options.stimulusPath, "Eingänge und Bauteile nach DATEI ändern")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_flag("--trace", options.trace, "nach jedem Befehl eine Zeile mit dem Zustand");
    app.add_flag("--ports", options.ports,
                 "jede Änderung von P1, P2, BUS und P4–P7 und jeder Bauteilanzeige ausgeben");
    app.add_option("--vcd", options.vcdPath,
                   "die Signale der Platine als Value Change Dump nach DATEI schreiben")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_option("--ram-fill", options.ramFill, "Anfangswert von RAM und XRAM (hex, Vorgabe 00)")
        ->type_name("HEX")
        ->check(tovi::hexInRange(0, 0xFF));
    app.add_option("-I", options.includeFolders,
                   "Include-Dateien einer Quelle auch in VERZ suchen (mehrfach möglich)")
        ->type_name("VERZ")
        ->check(tovi::nonEmpty("einen Verzeichnisnamen"));
    app.add_option("PROGRAMM", options.programPath,
                   "das Programmspeicher-Abbild (1 bis 4096 Byte) oder die Quelle (.asm, .a48, .s)")
        ->type_name("")
        ->required();
}

// Machine cycles per second at the clock.
double cyclesPerSecondOf(const Options& options) {
    return *megahertzOf(options.clock) * 1e6 / oscillatorPeriodsPerCycle;
}

long long decimalOf(const std::string& text) {
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Microseconds at the clock, with three decimals and the given decimal point.
// The clock's range keeps the longest run's time far below the buffer's 64 digits.
std::string microseconds(std::int64_t cycles, double megahertz, char point) {
    char text[64];
    const double value = static_cast<double>(cycles) * oscillatorPeriodsPerCycle / megahertz;
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    std::string result(text, error == std::errc() ? end : text);
    if (const auto dot = result.find('.'); dot != std::string::npos) {
        result[dot] = point;
    }
    return result;
}

std::string haltMessage(const RunResult& result, const Options& options, bool defaultLimit) {
    switch (result.reason) {
    case StopReason::InstructionLimit:
        if (defaultLimit) {
            return "keine Grenze angegeben, nach " + std::to_string(defaultInstructionLimit) +
                   " Befehlen angehalten";
        }
        return *options.steps + " Befehle ausgeführt";
    case StopReason::CycleLimit:
        return *options.cycles + " Zyklen erreicht";
    case StopReason::StopAddress:
        return "Adresse " + hexNumber(result.address, 3) + " erreicht";
    case StopReason::Idle:
        return "Sprung auf sich selbst bei " + hexNumber(result.address, 3);
    case StopReason::UnknownOpcode:
        return "unbekannter Opcode " + hexNumber(result.opcode, 2) + " bei " +
               hexNumber(result.address, 3);
    case StopReason::Returned:
    case StopReason::InterruptEntered:
    case StopReason::LeftCode:
        break;
    }
    return "angehalten";
}

void appendSummary(std::string& out, const State& state, double megahertz) {
    out += "Befehle: " + std::to_string(state.instructions) +
           ", Zyklen: " + std::to_string(state.cycles) +
           ", Zeit: " + microseconds(state.cycles, megahertz, ',') + " µs\n";
    appendStateTokens(out, state);
    out += "\nRAM=";
    appendHexBytes(out,
                   std::span(state.ram).first(static_cast<std::size_t>(ramSizeOf(state.chip))));
    out += "\nXRAM=";
    appendHexBytes(out, state.xram);
    out += '\n';
}

bool isSource(const fs::path& path) {
    const std::u16string extension = tovi::toLowerCase(tovi::fromUtf8(path.extension().string()));
    for (const std::string_view known : sourceExtensions) {
        if (extension == tovi::fromUtf8(known)) {
            return true;
        }
    }
    return false;
}

// A board file or a stimulus; nothing, with a line on standard error, when
// it cannot be read or is too large.
std::optional<std::string> readInputFile(const std::string& path) {
    auto text = tovi::readFileStart(path, largestInputFile + 1);
    if (!text) {
        tovi::reportError(program, path + " kann nicht gelesen werden");
        return std::nullopt;
    }
    if (text->size() > largestInputFile) {
        tovi::reportError(program, path + " ist größer als 4 MiB");
        return std::nullopt;
    }
    return text;
}

// The source is assembled without a path, so that no binary file is written.
// Its includes are still looked for beside it first, as tovi-asm does: its
// folder leads the list, every folder is made absolute, and the relative
// names the missing path would give (the current directory's) are not read.
tovi::AssemblyRequest requestFor(const Options& options, std::span<const std::u16string> lines) {
    tovi::AssemblyRequest request;
    request.lines = lines;
    std::error_code ignored;
    request.includeFolders.push_back(fs::absolute(options.programPath, ignored).parent_path());
    for (const std::string& folder : options.includeFolders) {
        request.includeFolders.push_back(fs::absolute(folder, ignored));
    }
    request.read = [](const fs::path& path) {
        return path.is_absolute() ? tovi::readFromDisk(path) : tovi::FileRead();
    };
    return request;
}

// Each label's address; for the trace, the first label of each address.
void collectLabels(const tovi::Program& assembled, LoadedProgram& loaded) {
    loaded.labels.resize(addressSpace);
    std::vector<int> labelStatement(addressSpace, -1);
    for (const auto& [key, id] : assembled.symbolIds) {
        const tovi::Symbol& symbol = assembled.symbol(id);
        if (symbol.kind != tovi::SymbolKind::Label || !symbol.addressKnown || symbol.address < 0 ||
            symbol.address >= addressSpace) {
            continue;
        }
        const auto address = static_cast<std::size_t>(symbol.address);
        loaded.labelAddresses.emplace(key, static_cast<std::uint16_t>(address));
        if (labelStatement[address] < 0 || symbol.statement < labelStatement[address]) {
            labelStatement[address] = symbol.statement;
            loaded.labels[address] = tovi::toUtf8(tovi::shownName(symbol));
        }
    }
}

void printLine(tovi::StandardOutput& out, std::u16string_view text) {
    out.line(tovi::toUtf8(tovi::withoutControlCharacters(text)));
}

// Assembles the source as tovi-asm does; on errors prints the status lines
// as tovi-asm prints them and returns the exit status.
std::optional<int> assembleSource(const Options& options, tovi::StandardOutput& out,
                                  LoadedProgram& loaded) {
    const auto bytes = tovi::readBytesUpToNul(options.programPath);
    if (!bytes) {
        tovi::reportError(program, options.programPath + " kann nicht gelesen werden");
        return exitUsage;
    }
    const std::vector<std::u16string> lines = tovi::splitLines(tovi::decodeSourceBytes(*bytes));
    if (tovi::holdsOnlyBlanks(lines)) {
        printLine(out, tovi::nothingToAssemble);
        return exitNotAsAskedOrBadProgram;
    }
    std::vector<std::u16string> statusLines;
    tovi::Assembler assembler;
    const tovi::AssemblyResult result =
        assembler.assemble(requestFor(options, lines),
                           [&](std::u16string_view line) { statusLines.emplace_back(line); });
    if (result.outcome != tovi::AssemblyOutcome::Succeeded) {
        for (const auto& line : statusLines) {
            printLine(out, line);
        }
        return exitNotAsAskedOrBadProgram;
    }
    const auto& image = result.image.bytes;
    loaded.image.assign(image.begin(), image.begin() + result.image.imageLength());
    loaded.fromSource = true;
    collectLabels(assembler.program(), loaded);
    return std::nullopt;
}

std::optional<int> loadProgram(const Options& options, tovi::StandardOutput& out,
                               LoadedProgram& loaded) {
    if (isSource(options.programPath)) {
        return assembleSource(options, out, loaded);
    }
    const auto binary = tovi::readFileStart(options.programPath, addressSpace + 1);
    if (!binary) {
        tovi::reportError(program, options.programPath + " kann nicht gelesen werden");
        return exitUsage;
    }
    loaded.image.assign(binary->begin(), binary->end());
    return std::nullopt;
}

// --until's address: a label of the source, or a hex number.
std::optional<std::uint16_t> untilAddress(const std::string& text, const LoadedProgram& loaded) {
    const auto label = loaded.labelAddresses.find(tovi::toLowerCase(tovi::fromUtf8(text)));
    if (label != loaded.labelAddresses.end()) {
        return label->second;
    }
    if (!hexAddressProblem(text).empty()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(tovi::hexValue(text));
}

// The board file: --board's, or the one beside the program with its stem
// when there is one; "" for none.
std::string boardPathFor(const Options& options) {
    if (!options.boardPath.empty()) {
        return options.boardPath;
    }
    fs::path beside(options.programPath);
    beside.replace_extension(".board");
    std::error_code ignored;
    return fs::exists(beside, ignored) ? beside.string() : std::string();
}

// The board file's text: "" for an empty board.
std::optional<std::string> boardText(const std::string& path) {
    return path.empty() ? std::string() : readInputFile(path);
}

// The board the text describes; nothing, with the parser's line on standard
// error, when it describes none.
std::optional<Board> boardOf(const std::string& text, const std::string& path,
                             double cyclesPerSecond) {
    Board::Parsed parsed = Board::parse(text, path, cyclesPerSecond);
    if (!parsed.board) {
        tovi::reportError(program, parsed.error);
    }
    return std::move(parsed.board);
}

std::optional<std::vector<StimulusEvent>> readStimulus(const std::string& path,
                                                       const StimulusContext& context) {
    if (path.empty()) {
        return std::vector<StimulusEvent>();
    }
    const auto text = readInputFile(path);
    if (!text) {
        return std::nullopt;
    }
    ParsedBoardStimulus parsed = parseStimulus(*text, context);
    if (parsed.badLine != 0) {
        tovi::reportError(program, path + ", Zeile " + std::to_string(parsed.badLine) + ": " +
                                       parsed.problem);
        return std::nullopt;
    }
    return std::move(parsed.events);
}

// The board's signals written to a VCD file as the run goes, in nanoseconds:
// an edge is at most 0.5 ns off its true time, while even at 100 MHz a
// machine cycle lasts 150 ns, so no two cycles share a time. A write that
// fails ends the program at once, as one to standard output does.
class VcdRecording {
public:
    VcdRecording(const std::string& path, const Board& board, double megahertz)
        : path_(path), file_(path, std::ios::binary | std::ios::trunc),
          nanosecondsPerCycle_(oscillatorPeriodsPerCycle * 1000.0 / megahertz),
          writer_(vcdSignalsOf(board)) {
        if (!file_) {
            fail();
        }
    }

    void start(std::span<const std::uint32_t> initialValues) {
        writer_.appendHeader(pending_, vcdHeaderDatedNow("Tovi " TOVI_VERSION), initialValues);
    }
    void change(const SignalChange& change) {
        const double nanoseconds =
            std::round(static_cast<double>(change.cycle) * nanosecondsPerCycle_);
        writer_.appendChange(pending_, static_cast<std::uint64_t>(nanoseconds), change.signal,
                             change.value);
        if (pending_.size() >= 1 << 20) {
            write();
        }
    }
    void finish() {
        write();
        file_.close();
        if (!file_) {
            fail();
        }
    }

private:
    void write() {
        file_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        pending_.clear();
        if (!file_) {
            fail();
        }
    }
    [[noreturn]] void fail() const {
        tovi::reportError(program, "die VCD-Datei " + path_ + " konnte nicht geschrieben werden");
        std::exit(exitUsage);
    }

    std::string path_;
    std::ofstream file_;
    double nanosecondsPerCycle_;
    VcdWriter writer_;
    std::string pending_;
};

// The --ports lines in the order of their times. A port write is told before
// the board catches up with the cycles it took, so its line waits for the
// part changes that came earlier.
class PortLines {
public:
    PortLines(tovi::StandardOutput& output, double megahertz)
        : output_(output), megahertz_(megahertz) {}

    void portWritten(Port port, std::uint8_t value, std::int64_t cycles) {
        release();
        waiting_ = std::to_string(cycles) + " " + microseconds(cycles, megahertz_, '.') + " ";
        waiting_ += portName(port);
        waiting_ += '=';
        tovi::appendHex(waiting_, value, 2);
        waiting_ += '\n';
        waitingCycles_ = cycles;
    }
    void partChanged(const PartChange& change) {
        if (change.cycle >= waitingCycles_) {
            release();
        }
        output_.buffer() += microseconds(change.cycle, megahertz_, '.') + " " +
                            tovi::printableText(change.text) + "\n";
        output_.flushIfFull();
    }
    void release() {
        output_.buffer() += waiting_;
        waiting_.clear();
        waitingCycles_ = 0;
        output_.flushIfFull();
    }

private:
    tovi::StandardOutput& output_;
    double megahertz_;
    std::string waiting_;
    std::int64_t waitingCycles_ = 0;
};

// Why an output would replace one of the inputs, or nothing.
std::optional<std::string> clashingFiles(const Options& options, const std::string& boardPath) {
    if (options.vcdPath.empty()) {
        return std::nullopt;
    }
    for (const std::string& input : {options.programPath, boardPath, options.stimulusPath}) {
        if (!input.empty() && tovi::isSameFile(options.vcdPath, input)) {
            return "--vcd " + options.vcdPath +
                   " ist eine Eingabedatei; sie wird nicht überschrieben";
        }
    }
    return std::nullopt;
}

RunLimits limitsOf(const Options& options, const std::optional<std::uint16_t>& until) {
    RunLimits limits;
    const bool defaultLimit = !options.steps && !options.cycles;
    limits.maxInstructions = options.steps  ? static_cast<std::uint64_t>(decimalOf(*options.steps))
                             : defaultLimit ? defaultInstructionLimit
                                            : limits.maxInstructions;
    if (options.cycles) {
        limits.maxCycles = decimalOf(*options.cycles);
    }
    if (until) {
        limits.stopAddresses = std::span(&*until, 1);
    }
    limits.stopOnIdle = options.stopOnIdle;
    return limits;
}

// What a run needs besides the options, read and checked before it starts.
struct Setup {
    LoadedProgram loaded;
    std::optional<std::uint16_t> until;
    std::string boardPath;
    std::optional<Board> board;
    std::vector<StimulusEvent> events;
};

// Reads the program, the board and the stimulus; the exit status when one is unusable.
std::optional<int> prepare(const Options& options, const tovi::CommandLine& commandLine,
                           tovi::StandardOutput& output, Setup& setup) {
    if (const auto failed = loadProgram(options, output, setup.loaded)) {
        return failed;
    }
    if (options.until) {
        setup.until = untilAddress(*options.until, setup.loaded);
        if (!setup.until) {
            return commandLine.usageError(
                setup.loaded.fromSource
                    ? "--until erwartet eine Hexadezimalzahl von 0 bis FFF oder ein Label der "
                      "Quelle, nicht " +
                          tovi::quotedValue(*options.until)
                    : "--until " + hexAddressProblem(*options.until));
        }
    }
    setup.boardPath = boardPathFor(options);
    if (const auto clash = clashingFiles(options, setup.boardPath)) {
        tovi::reportError(program, *clash);
        return exitUsage;
    }
    const auto text = boardText(setup.boardPath);
    if (text) {
        setup.board = boardOf(*text, setup.boardPath, cyclesPerSecondOf(options));
    }
    if (!setup.board) {
        return exitUsage;
    }
    auto events = readStimulus(options.stimulusPath, setup.board->stimulusContext());
    if (!events) {
        return exitUsage;
    }
    setup.events = std::move(*events);
    return std::nullopt;
}

int run(const Options& options, const tovi::CommandLine& commandLine) {
    tovi::StandardOutput output(program);
    Setup setup;
    if (const auto failed = prepare(options, commandLine, output, setup)) {
        output.flush();
        return *failed;
    }
    Processor processor(*chipNamed(options.chip));
    if (!processor.load(setup.loaded.image)) {
        tovi::reportError(program, options.programPath + (setup.loaded.image.empty()
                                                              ? " ist leer"
                                                              : " ist größer als 4096 Byte"));
        return exitNotAsAskedOrBadProgram;
    }
    const double megahertz = *megahertzOf(options.clock);
    Board& board = *setup.board;
    board.schedule(std::move(setup.events));
    processor.attachBoard(&board);

    PortLines portLines(output, megahertz);
    if (options.ports) {
        processor.onPortWrite([&](Port port, std::uint8_t value, std::int64_t cycles) {
            portLines.portWritten(port, value, cycles);
        });
        board.onPartChange([&](const PartChange& change) { portLines.partChanged(change); });
    }
    processor.reset(static_cast<std::uint8_t>(tovi::hexValue(options.ramFill)));
    std::optional<VcdRecording> vcd;
    if (!options.vcdPath.empty()) {
        vcd.emplace(options.vcdPath, board, megahertz);
        vcd->start(board.signalValues());
        board.onSignalChange([&](const SignalChange& change) { vcd->change(change); });
    }

    const std::optional<std::uint16_t> until = setup.until;
    RunResult result{StopReason::StopAddress, until.value_or(0)};
    if (!until || processor.state().pc != *until) {
        TraceFormatter trace(std::move(setup.loaded.labels));
        StepObserver observer;
        if (options.trace) {
            observer = [&](const Step& step, const State& state) {
                portLines.release();
                trace.append(output.buffer(), step, state);
                output.flushIfFull();
            };
        }
        result = processor.run(limitsOf(options, until), observer);
    }
    portLines.release();
    if (vcd) {
        vcd->finish();
    }
    std::string& out = output.buffer();
    const bool defaultLimit = !options.steps && !options.cycles;
    out += "Halt: " + haltMessage(result, options, defaultLimit) + "\n";
    const bool untilMissed = until && result.reason != StopReason::StopAddress;
    if (untilMissed) {
        out += "Adresse " + hexNumber(*until, 3) + " nicht erreicht\n";
    }
    appendSummary(out, processor.state(), megahertz);
    output.flush();
    return result.reason == StopReason::UnknownOpcode || untilMissed ? exitNotAsAskedOrBadProgram
                                                                     : exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    tovi::CommandLine commandLine(
        std::string(program),
        "Führt PROGRAMM ab dem Reset auf einem simulierten MCS-48 aus und gibt aus,\n"
        "warum und in welchem Zustand er anhielt. PROGRAMM ist ein Abbild oder eine\n"
        "Quelle (.asm, .a48, .s), die wie mit tovi-asm assembliert wird, ohne eine\n"
        "Datei zu schreiben.",
        "Ohne --steps und --cycles hält er spätestens nach 10000000 Befehlen an.\n\n"
        "Platine (--board, sonst PROGRAMM mit der Endung .board): eine Anweisung je\n"
        "Zeile, etwa T1 = P1.3, T0 = takt 1kHz, INT = puls 10ms 1ms, led D1 P1.0,\n"
        "taste S1 P1.7, schalter S2 T0, tastenfeld K P2.0-3 P1.4-7 \"123A456B789C*0#D\",\n"
        "anzeige A P1 [kathode] [wahl P2.0], lcd LCD P1 P2.0 P2.1 [rw P2.2].\n\n"
        "Stimulus-Zeilen: <Zeit> <Name>=<Wert>; Zeit in Zyklen oder mit Einheit (100ms,\n"
        "2.5us, 1s); T0, T1, INT (0 oder 1), P1, P2, BUS (hex: FB, 0FBH, 0xFB oder %FB),\n"
        "Tasten und Schalter (S1=1, S1=0) und Tastenfelder (K.2.1=1, K='5'); ';'\n"
        "beginnt einen Kommentar. Die Dateien dürfen höchstens 4 MiB groß sein.\n\n"
        "Exit-Status: 0 beim Halt wie verlangt, 1 bei unbekanntem Opcode, nicht\n"
        "erreichter Adresse (--until), unbrauchbarer Binärdatei oder Fehlern in der\n"
        "Quelle, 2 bei falschem Aufruf, unlesbarer oder fehlerhafter Datei (Platine,\n"
        "Stimulus) oder nicht schreibbarer Ausgabe.");
    Options options;
    describeOptions(commandLine, options);
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    return run(options, commandLine);
}
