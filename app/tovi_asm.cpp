// tovi-asm: assembles an MCS-48 source file exactly as F5 in the workbench does.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/assembly_driver.h"
#include "common/file_io.h"
#include "common/source_text.h"
#include "common/text.h"

namespace {

constexpr int exitSuccess = 0;
constexpr int exitAssemblyFailed = 1;
constexpr int exitUsageOrIo = 2;

constexpr std::string_view usage =
    "Aufruf: tovi-asm [--fill 00|FF] [--list] [-o DATEI] QUELLE\n"
    "\n"
    "Assembliert QUELLE (Windows-1252) wie F5 in Tovi und schreibt das Abbild\n"
    "neben die Quelle (Endung .bin) oder nach DATEI.\n"
    "\n"
    "  --fill 00|FF  Wert des ungenutzten Programmspeichers (Vorgabe 00)\n"
    "  --list        zuerst die Objektcode-Liste ausgeben\n"
    "  -o DATEI      die Binärdatei nach DATEI schreiben\n"
    "  --help        diese Hilfe\n"
    "\n"
    "Exit-Status: 0 ohne Fehler, 1 bei Fehlern im Quelltext oder leerer Quelle,\n"
    "2 bei falschem Aufruf, unlesbarer Quelle oder nicht schreibbarer Binärdatei.\n";

struct Options {
    std::uint8_t fillByte = 0x00;
    bool list = false;
    std::string outputPath;
    std::string sourcePath;
    bool help = false;
};

std::optional<std::uint8_t> parseFill(std::string_view value) {
    if (value == "00") {
        return std::uint8_t{0x00};
    }
    if (value == "FF" || value == "ff") {
        return std::uint8_t{0xFF};
    }
    return std::nullopt;
}

// Returns an error text, or nothing when the arguments are sound.
std::optional<std::string> parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--list") {
            options.list = true;
        } else if (argument == "--fill") {
            const auto fill = hasValue ? parseFill(argv[++i]) : std::nullopt;
            if (!fill) {
                return "--fill erwartet 00 oder FF";
            }
            options.fillByte = *fill;
        } else if (argument == "-o") {
            if (!hasValue || std::string_view(argv[i + 1]).empty()) {
                return "-o erwartet einen Dateinamen";
            }
            options.outputPath = argv[++i];
        } else if (argument.size() > 1 && argument.front() == '-') {
            return "unbekannte Option " + std::string(argument);
        } else if (!options.sourcePath.empty()) {
            return "nur eine Quelldatei erlaubt";
        } else {
            options.sourcePath = argument;
        }
    }
    if (!options.help && options.sourcePath.empty()) {
        return "keine Quelldatei angegeben";
    }
    return std::nullopt;
}

void printLine(std::u16string_view text) {
    std::cout << tovi::toUtf8(text) << '\n';
}

int run(const Options& options) {
    const auto bytes = tovi::readFileBytes(options.sourcePath);
    if (!bytes) {
        std::cerr << "tovi-asm: " << options.sourcePath << " kann nicht gelesen werden\n";
        return exitUsageOrIo;
    }
    const std::vector<std::u16string> lines = tovi::splitLines(tovi::decodeSourceBytes(*bytes));
    if (tovi::holdsOnlyBlanks(lines)) {
        printLine(tovi::nothingToAssemble);
        return exitAssemblyFailed;
    }

    std::vector<std::u16string> statusLines;
    const tovi::StatusSink collect = [&](std::u16string_view line) {
        statusLines.emplace_back(line);
    };
    const std::u16string sourcePath = tovi::fromUtf8(options.sourcePath);
    const std::u16string outputPath = tovi::fromUtf8(options.outputPath);
    tovi::Assembler assembler;
    const tovi::AssemblyResult result =
        assembler.assemble({lines, sourcePath, outputPath, options.fillByte}, collect);

    if (options.list) {
        // What the object-code list shows after this run: the new listing, or
        // only its heading when the run failed.
        if (result.outcome == tovi::AssemblyOutcome::Succeeded) {
            for (const auto& row : result.image.listing) {
                printLine(row);
            }
        } else {
            printLine(tovi::listingHeading);
        }
    }
    for (const auto& line : statusLines) {
        printLine(line);
    }
    if (result.outcome != tovi::AssemblyOutcome::Succeeded) {
        return exitAssemblyFailed;
    }
    if (result.binaryPath && result.binaryPath->empty()) {
        std::cerr << "tovi-asm: die Binärdatei konnte nicht geschrieben werden\n";
        return exitUsageOrIo;
    }
    return exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    Options options;
    if (const auto error = parseArguments(argc, argv, options)) {
        std::cerr << "tovi-asm: " << *error << "\n" << usage;
        return exitUsageOrIo;
    }
    if (options.help) {
        std::cout << usage;
        return exitSuccess;
    }
    return run(options);
}
