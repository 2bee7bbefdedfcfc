// tovi-dis: shows an MCS-48 program-memory image as an address listing, or
// writes it as a source that tovi-asm assembles back to the same bytes.

#include <span>
#include <string>

#include "app/command_line.h"
#include "app/output.h"
#include "common/file_io.h"
#include "common/mcs48_memory.h"
#include "mcs48/disassembler.h"

namespace {

constexpr int exitSuccess = 0;
constexpr int exitBadBinary = 1;
constexpr std::string_view program = "tovi-dis";

struct Options {
    bool source = false;
    std::string binaryPath;
};

int run(const Options& options) {
    constexpr auto largest = static_cast<std::size_t>(tovi::mcs48::addressSpace);
    const auto binary = tovi::readFileStart(options.binaryPath, largest + 1);
    if (!binary) {
        tovi::reportError(program, options.binaryPath + " kann nicht gelesen werden");
        return tovi::exitUsage;
    }
    const std::span image(reinterpret_cast<const std::uint8_t*>(binary->data()), binary->size());
    if (image.empty() || image.size() > largest) {
        tovi::reportError(program, options.binaryPath +
                                       (image.empty() ? " ist leer" : " ist größer als 4096 Byte"));
        return exitBadBinary;
    }
    const auto text =
        options.source ? tovi::mcs48::sourceForm(image) : tovi::mcs48::displayListing(image);
    if (!text) {
        tovi::reportError(program, "die Quellform gibt es nur für Abbilder bis 2048 Byte, " +
                                       options.binaryPath + " hat " + std::to_string(image.size()) +
                                       " Byte");
        return exitBadBinary;
    }
    tovi::StandardOutput out(program);
    out.buffer() = *text;
    out.flush();
    return exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    tovi::CommandLine commandLine(
        "tovi-dis",
        "Zeigt BINAERDATEI als Adressliste oder schreibt sie als Quelltext, den tovi-asm\n"
        "wieder zu denselben Bytes assembliert.",
        "Exit-Status: 0 ohne Fehler, 1 bei unbrauchbarer Binärdatei (leer, größer als\n"
        "4096 Byte, für --source größer als 2048 Byte), 2 bei falschem Aufruf, unlesbarer\n"
        "Datei oder nicht schreibbarer Ausgabe.");
    Options options;
    CLI::App& app = commandLine.app();
    app.add_flag("--source", options.source, "Quelltext für tovi-asm statt der Adressliste");
    app.add_option("BINAERDATEI", options.binaryPath, "das Programmspeicher-Abbild")
        ->type_name("")
        ->required();
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    return run(options);
}
