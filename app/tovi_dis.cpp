// tovi-dis: shows an MCS-48 program-memory image as an address listing, or
// writes it as a source that tovi-asm assembles back to the same bytes.

#include <iostream>
#include <span>
#include <string>

#include "app/command_line.h"
#include "common/file_io.h"
#include "common/mcs48_memory.h"
#include "mcs48/disassembler.h"

namespace {

constexpr int exitSuccess = 0;
constexpr int exitBadBinary = 1;

struct Options {
    bool source = false;
    std::string binaryPath;
};

int run(const Options& options) {
    const auto binary = tovi::readFileBytes(options.binaryPath);
    if (!binary) {
        std::cerr << "tovi-dis: " << options.binaryPath << " kann nicht gelesen werden\n";
        return tovi::exitUsage;
    }
    const std::span image(reinterpret_cast<const std::uint8_t*>(binary->data()), binary->size());
    if (image.empty() || image.size() > static_cast<std::size_t>(tovi::mcs48::addressSpace)) {
        std::cerr << "tovi-dis: " << options.binaryPath
                  << (image.empty() ? " ist leer\n" : " ist größer als 4096 Byte\n");
        return exitBadBinary;
    }
    if (!options.source) {
        std::cout << tovi::mcs48::displayListing(image);
        return exitSuccess;
    }
    const auto source = tovi::mcs48::sourceForm(image);
    if (!source) {
        std::cerr << "tovi-dis: die Quellform gibt es nur für Abbilder bis 2048 Byte, "
                  << options.binaryPath << " hat " << image.size() << " Byte\n";
        return exitBadBinary;
    }
    std::cout << *source;
    return exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    tovi::CommandLine commandLine(
        "tovi-dis",
        "Zeigt BINAERDATEI als Adressliste oder schreibt sie als Quelltext, den tovi-asm\n"
        "wieder zu denselben Bytes assembliert.",
        "Exit-Status: 0 ohne Fehler, 1 bei unbrauchbarer Binärdatei (leer, größer als\n"
        "4096 Byte, für --source größer als 2048 Byte), 2 bei falschem Aufruf oder\n"
        "unlesbarer Datei.");
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
