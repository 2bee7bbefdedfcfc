// tovi-asm: assembles an MCS-48 source file exactly as F5 in the workbench does.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/output.h"
#include "assembler/warnings.h"
#include "common/file_io.h"
#include "common/source_text.h"
#include "common/text.h"
#include "image/assembly_driver.h"
#include "image/listing_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int exitSuccess = 0;
constexpr int exitAssemblyFailed = 1;
constexpr int exitIoFailed = 2;
constexpr std::string_view program = "tovi-asm";

struct Options {
    std::string fill = "00";
    std::string format = "bin";
    std::string errors;
    std::string listingPath;
    bool list = false;
    bool warn = false;
    std::string outputPath;
    std::vector<std::string> includeFolders;
    std::string sourcePath;
};

void describeOptions(tovi::CommandLine& commandLine, Options& options) {
    CLI::App& app = commandLine.app();
    app.add_option("--fill", options.fill, "Wert des ungenutzten Programmspeichers (Vorgabe 00)")
        ->type_name("00|FF")
        ->transform(tovi::upperCase())
        ->check(tovi::oneOf({"00", "FF"}));
    app.add_option("--format", options.format,
                   "bin: das rohe Abbild (Vorgabe), hex: Intel HEX (Endung .hex)")
        ->type_name("bin|hex")
        ->check(tovi::oneOf({"bin", "hex"}));
    app.add_flag("--list", options.list, "zuerst die Objektcode-Liste ausgeben");
    app.add_option("--listing", options.listingPath,
                   "vollständige Liste mit Quelltext und Symbolen nach DATEI schreiben")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_option("--errors", options.errors,
                   "gnu: Fehler als QUELLE:ZEILE: Text, wie Editoren sie anspringen")
        ->type_name("gnu")
        ->check(tovi::oneOf({"gnu"}));
    app.add_flag("--warn", options.warn,
                 "Warnungen für doppelte Labels und Equates, org über belegten Speicher, "
                 "bedingte Sprünge auf dem letzten Byte einer Seite und Anweisungen, die "
                 "nichts bewirken");
    app.add_option("-I", options.includeFolders,
                   "Include-Dateien nach denen neben der einschließenden Datei auch in VERZ suchen "
                   "(mehrfach möglich)")
        ->type_name("VERZ")
        ->check(tovi::nonEmpty("einen Verzeichnisnamen"));
    app.add_option("-o", options.outputPath, "das Abbild nach DATEI schreiben")
        ->type_name("DATEI")
        ->check(tovi::nonEmpty("einen Dateinamen"));
    app.add_option("QUELLE", options.sourcePath, "die Quelldatei (Windows-1252)")
        ->type_name("")
        ->required();
}

void printLine(tovi::StandardOutput& out, std::u16string_view text) {
    out.line(tovi::toUtf8(tovi::withoutControlCharacters(text)));
}

// The image file: -o's, or the one beside the source.
fs::path imagePath(const Options& options) {
    if (!options.outputPath.empty()) {
        return options.outputPath;
    }
    return tovi::binaryPathFor(options.sourcePath, options.format == "hex" ? "hex" : "bin");
}

// Why the files would overwrite one another, or nothing when the source,
// the image and the listing are three files.
std::optional<std::string> clashingFiles(const Options& options) {
    const fs::path image = imagePath(options);
    const std::string imageNamed =
        options.outputPath.empty() ? "die Binärdatei " + image.native() : "-o " + image.native();
    const std::string notReplaced = " ist die Quelldatei selbst; sie wird nicht überschrieben";
    if (tovi::isSameFile(image, options.sourcePath)) {
        return imageNamed + notReplaced;
    }
    if (options.listingPath.empty()) {
        return std::nullopt;
    }
    const std::string listingNamed = "--listing " + options.listingPath;
    if (tovi::isSameFile(options.listingPath, options.sourcePath)) {
        return listingNamed + notReplaced;
    }
    if (tovi::isSameFile(options.listingPath, image)) {
        return listingNamed + " ist auch die Binärdatei; nichts wird geschrieben";
    }
    return std::nullopt;
}

// The listing file; false, with a line on standard error, when it cannot be written.
bool writeListing(const Options& options, const tovi::Assembler& assembler) {
    if (!tovi::writeFileAtomically(options.listingPath, tovi::fullListing(assembler.program()))) {
        tovi::reportError(program,
                          "die Liste " + options.listingPath + " konnte nicht geschrieben werden");
        return false;
    }
    return true;
}

int run(const Options& options, tovi::StandardOutput& out) {
    const auto bytes = tovi::readBytesUpToNul(options.sourcePath);
    if (!bytes) {
        tovi::reportError(program, options.sourcePath + " kann nicht gelesen werden");
        return exitIoFailed;
    }
    const std::vector<std::u16string> lines = tovi::splitLines(tovi::decodeSourceBytes(*bytes));
    if (tovi::holdsOnlyBlanks(lines)) {
        printLine(out, tovi::nothingToAssemble);
        return exitAssemblyFailed;
    }

    std::vector<std::u16string> statusLines;
    const std::u16string sourceShown = tovi::fromUtf8(options.sourcePath);
    const tovi::DiagnosticSink diagnostic = [&](const tovi::Diagnostic& found) {
        statusLines.push_back(options.errors == "gnu" ? tovi::gnuLineOf(found, sourceShown)
                                                      : tovi::statusLineOf(found));
    };
    const std::uint8_t fillByte = options.fill == "00" ? 0x00 : 0xFF;
    const auto format =
        options.format == "hex" ? tovi::ImageFormat::IntelHex : tovi::ImageFormat::Binary;
    tovi::Assembler assembler;
    const tovi::AssemblyResult result = assembler.assemble(
        {lines,
         fs::path(options.sourcePath),
         fs::path(options.outputPath),
         fillByte,
         format,
         {options.includeFolders.begin(), options.includeFolders.end()}},
        {diagnostic, [&](std::u16string_view line) { statusLines.emplace_back(line); }});
    const bool succeeded = result.outcome == tovi::AssemblyOutcome::Succeeded;
    if (succeeded && options.warn) {
        for (const tovi::Diagnostic& warning : tovi::warningsOf(assembler.program())) {
            diagnostic(warning);
        }
    }

    if (options.list) {
        // What the object-code list shows after this run: the new listing, or
        // only its heading when the run failed.
        if (succeeded) {
            for (const auto& row : result.image.listing) {
                printLine(out, row);
            }
        } else {
            printLine(out, tovi::listingHeading);
        }
    }
    for (const auto& line : statusLines) {
        printLine(out, line);
    }
    if (!succeeded) {
        return exitAssemblyFailed;
    }
    if (!options.listingPath.empty() && !writeListing(options, assembler)) {
        return exitIoFailed;
    }
    if (result.binaryPath && result.binaryPath->empty()) {
        tovi::reportError(program, "die Binärdatei konnte nicht geschrieben werden");
        return exitIoFailed;
    }
    return exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    tovi::CommandLine commandLine(
        std::string(program),
        "Assembliert QUELLE wie F5 in Tovi und schreibt das Abbild neben die Quelle\n"
        "(Endung .bin, mit --format hex .hex) oder nach DATEI.",
        "Exit-Status: 0 ohne Fehler, 1 bei Fehlern im Quelltext oder leerer Quelle,\n"
        "2 bei falschem Aufruf, unlesbarer Quelle, nicht schreibbarer Binärdatei oder\n"
        "Ausgabe, oder wenn Quelle, Binärdatei und Liste nicht drei verschiedene Dateien\n"
        "sind.");
    Options options;
    describeOptions(commandLine, options);
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    if (const auto clash = clashingFiles(options)) {
        tovi::reportError(program, *clash);
        return exitIoFailed;
    }
    tovi::StandardOutput out(program);
    const int exitStatus = run(options, out);
    out.flush();
    return exitStatus;
}
