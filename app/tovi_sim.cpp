// tovi-sim: runs an MCS-48 program-memory image from reset and reports how
// it ended, optionally with a trace of every instruction and a log of port writes.

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/output.h"
#include "common/file_io.h"
#include "common/hex_text.h"
#include "common/mcs48_memory.h"
#include "mcs48/disassembler.h"
#include "mcs48/processor.h"
#include "mcs48/trace.h"

namespace {

using namespace tovi::mcs48;

constexpr int exitSuccess = 0;
constexpr int exitNotAsAskedOrBadBinary = 1;
constexpr int exitUsage = tovi::exitUsage;
constexpr std::uint64_t defaultInstructionLimit = 10'000'000;
constexpr double slowestClock = 0.001; // MHz
constexpr double fastestClock = 100;
// Hundreds of thousands of input changes fit; a larger file is taken for a mistake.
constexpr std::size_t largestStimulus = 4 << 20;
constexpr std::string_view program = "tovi-sim";

struct Options {
    std::string chip = "8049";
    std::string clock = "6";
    std::optional<std::string> steps;
    std::optional<std::string> cycles;
    std::optional<std::string> until;
    bool stopOnIdle = false;
    std::string stimulusPath;
    bool trace = false;
    bool ports = false;
    std::string ramFill = "00";
    std::string binaryPath;
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
    app.add_option("--until", options.until, "vor dem Befehl an Adresse ADR anhalten (hex)")
        ->type_name("ADR")
        ->check(tovi::hexInRange(0, tovi::mcs48::addressSpace - 1));
    app.add_flag("--stop-on-idle", options.stopOnIdle,
                 "bei einem Sprung auf sich selbst anhalten, den kein Interrupt beendet");
    app.add_option("--stimulus", options.stimulusPath, "Eingänge nach DATEI ändern")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_flag("--trace", options.trace, "nach jedem Befehl eine Zeile mit dem Zustand");
    app.add_flag("--ports", options.ports, "jede Änderung von P1, P2, BUS und P4–P7 ausgeben");
    app.add_option("--ram-fill", options.ramFill, "Anfangswert von RAM und XRAM (hex, Vorgabe 00)")
        ->type_name("HEX")
        ->check(tovi::hexInRange(0, 0xFF));
    app.add_option("BINAERDATEI", options.binaryPath,
                   "das Programmspeicher-Abbild (1 bis 4096 Byte)")
        ->type_name("")
        ->required();
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

std::optional<std::vector<InputEvent>> readStimulus(const std::string& path) {
    if (path.empty()) {
        return std::vector<InputEvent>();
    }
    const auto text = tovi::readFileStart(path, largestStimulus + 1);
    if (!text) {
        tovi::reportError(program, path + " kann nicht gelesen werden");
        return std::nullopt;
    }
    if (text->size() > largestStimulus) {
        tovi::reportError(program, path + " ist größer als 4 MiB");
        return std::nullopt;
    }
    ParsedStimulus parsed = parseStimulus(*text);
    if (parsed.badLine != 0) {
        tovi::reportError(program, path + ", Zeile " + std::to_string(parsed.badLine) + ": " +
                                       parsed.problem);
        return std::nullopt;
    }
    return std::move(parsed.events);
}

int run(const Options& options) {
    const auto binary = tovi::readFileStart(options.binaryPath, addressSpace + 1);
    if (!binary) {
        tovi::reportError(program, options.binaryPath + " kann nicht gelesen werden");
        return exitUsage;
    }
    auto events = readStimulus(options.stimulusPath);
    if (!events) {
        return exitUsage;
    }
    Processor processor(*chipNamed(options.chip));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(binary->data());
    if (!processor.load(std::span(bytes, binary->size()))) {
        tovi::reportError(program,
                          options.binaryPath +
                              (binary->empty() ? " ist leer" : " ist größer als 4096 Byte"));
        return exitNotAsAskedOrBadBinary;
    }
    processor.reset(static_cast<std::uint8_t>(tovi::hexValue(options.ramFill)));
    processor.attachStimulus(std::move(*events));
    const double megahertz = *megahertzOf(options.clock);

    tovi::StandardOutput output(program);
    if (options.ports) {
        processor.onPortWrite([&](Port port, std::uint8_t value, std::int64_t cycles) {
            std::string& out = output.buffer();
            out += std::to_string(cycles) + " " + microseconds(cycles, megahertz, '.') + " ";
            out += portName(port);
            out += '=';
            tovi::appendHex(out, value, 2);
            out += '\n';
            output.flushIfFull();
        });
    }

    const bool defaultLimit = !options.steps && !options.cycles;
    RunLimits limits;
    limits.maxInstructions = options.steps  ? static_cast<std::uint64_t>(decimalOf(*options.steps))
                             : defaultLimit ? defaultInstructionLimit
                                            : limits.maxInstructions;
    if (options.cycles) {
        limits.maxCycles = decimalOf(*options.cycles);
    }
    const std::uint16_t until =
        options.until ? static_cast<std::uint16_t>(tovi::hexValue(*options.until)) : 0;
    if (options.until) {
        limits.stopAddresses = std::span(&until, 1);
    }
    limits.stopOnIdle = options.stopOnIdle;

    RunResult result{StopReason::StopAddress, until};
    if (!options.until || processor.state().pc != until) {
        TraceFormatter trace;
        StepObserver observer;
        if (options.trace) {
            observer = [&](const Step& step, const State& state) {
                trace.append(output.buffer(), step, state);
                output.flushIfFull();
            };
        }
        result = processor.run(limits, observer);
    }
    std::string& out = output.buffer();
    out += "Halt: " + haltMessage(result, options, defaultLimit) + "\n";
    const bool untilMissed = options.until && result.reason != StopReason::StopAddress;
    if (untilMissed) {
        out += "Adresse " + hexNumber(until, 3) + " nicht erreicht\n";
    }
    appendSummary(out, processor.state(), megahertz);
    output.flush();
    return result.reason == StopReason::UnknownOpcode || untilMissed ? exitNotAsAskedOrBadBinary
                                                                     : exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    tovi::CommandLine commandLine(
        "tovi-sim",
        "Führt BINAERDATEI ab dem Reset auf einem simulierten MCS-48 aus und gibt aus,\n"
        "warum und in welchem Zustand er anhielt.",
        "Ohne --steps und --cycles hält er spätestens nach 10000000 Befehlen an.\n"
        "Stimulus-Zeilen: <Zyklus> <Name>=<Wert> mit T0, T1, INT (0 oder 1) und P1, P2,\n"
        "BUS (hex: FB, 0FBH, 0xFB oder %FB); ';' beginnt einen Kommentar. Die Datei darf\n"
        "höchstens 4 MiB groß sein.\n"
        "Exit-Status: 0 beim Halt wie verlangt, 1 bei unbekanntem Opcode, nicht\n"
        "erreichter Adresse (--until) oder unbrauchbarer Binärdatei, 2 bei falschem\n"
        "Aufruf, unlesbarer Datei oder nicht schreibbarer Ausgabe.");
    Options options;
    describeOptions(commandLine, options);
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    return run(options);
}
