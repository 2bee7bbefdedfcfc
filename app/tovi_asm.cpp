// tovi-asm: assembles an MCS-48 source file exactly as F5 in the workbench does.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "common/file_io.h"
#include "common/source_text.h"
#include "common/text.h"
#include "image/assembly_driver.h"

namespace {

constexpr int exitSuccess = 0;
constexpr int exitAssemblyFailed = 1;
constexpr int exitIoFailed = 2;

struct Options {
    std::string fill = "00";
    bool list = false;
    std::string outputPath;
    std::string sourcePath;
};

void describeOptions(tovi::CommandLine& commandLine, Options& options) {
    CLI::App& app = commandLine.app();
    app.add_option("--fill", options.fill, "Wert des ungenutzten Programmspeichers (Vorgabe 00)")
        ->type_name("00|FF")
        ->transform(tovi::upperCase())
        ->check(tovi::oneOf({"00", "FF"}));
    app.add_flag("--list", options.list, "zuerst die Objektcode-Liste ausgeben");
    app.add_option("-o", options.outputPath, "die Binärdatei nach DATEI schreiben")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_option("QUELLE", options.sourcePath, "die Quelldatei (Windows-1252)")
        ->type_name("")
        ->required();
}

void printLine(std::u16string_view text) {
    std::cout << tovi::toUtf8(tovi::withoutControlCharacters(text)) << '\n';
}

int run(const Options& options) {
    const auto bytes = tovi::readBytesUpToNul(options.sourcePath);
    if (!bytes) {
        std::cerr << "tovi-asm: " << options.sourcePath << " kann nicht gelesen werden\n";
        return exitIoFailed;
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
    const std::uint8_t fillByte = options.fill == "00" ? 0x00 : 0xFF;
    tovi::Assembler assembler;
    const tovi::AssemblyResult result =
        assembler.assemble({lines, sourcePath, outputPath, fillByte}, collect);

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
        return exitIoFailed;
    }
    return exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    tovi::CommandLine commandLine(
        "tovi-asm",
        "Assembliert QUELLE wie F5 in Tovi und schreibt das Abbild neben die Quelle\n"
        "(Endung .bin) oder nach DATEI.",
        "Exit-Status: 0 ohne Fehler, 1 bei Fehlern im Quelltext oder leerer Quelle,\n"
        "2 bei falschem Aufruf, unlesbarer Quelle oder nicht schreibbarer Binärdatei.");
    Options options;
    describeOptions(commandLine, options);
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    if (!options.outputPath.empty() && tovi::isSameFile(options.outputPath, options.sourcePath)) {
        std::cerr << "tovi-asm: -o " << options.outputPath
                  << " ist die Quelldatei selbst; sie wird nicht überschrieben\n";
        return exitIoFailed;
    }
    return run(options);
}
