// tovi-upload: sends a binary file to the EPROM emulator exactly as F6 in the
// workbench does, for scripted flashing.

#include <QCoreApplication>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/output.h"
#include "common/text.h"
#include "emulator/serial_port.h"
#include "emulator/upload.h"
#include "settings/eprom_types.h"
#include "settings/settings.h"

namespace {

constexpr int exitCompleted = 0;
constexpr int exitRefused = 1;
constexpr std::string_view program = "tovi-upload";

struct Options {
    std::optional<std::string> port;
    std::optional<std::string> epromType;
    std::optional<std::string> spiBackup;
    std::optional<std::string> autoLoad;
    std::string binaryPath;
    bool listPorts = false;
};

std::vector<std::string> epromCodes() {
    std::vector<std::string> codes;
    for (const tovi::EpromType& type : tovi::epromTypes) {
        codes.push_back(tovi::toUtf8(type.code));
    }
    return codes;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string text;
    for (const auto& item : texts) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

void describeOptions(tovi::CommandLine& commandLine, Options& options) {
    CLI::App& app = commandLine.app();
    app.add_option("--port", options.port, "serielle Schnittstelle (COM1 bis COM50)")
        ->type_name("COMn")
        ->check(tovi::nonEmpty("einen Namen wie COM4"));
    app.add_option("--eprom", options.epromType, "EPROM-Typ: " + joined(epromCodes()))
        ->type_name("TYP")
        ->check(tovi::oneOf(epromCodes()));
    app.add_option("--spi", options.spiBackup, "\"Sicherung auf SPI\"")
        ->type_name("0|1")
        ->check(tovi::oneOf({"0", "1"}));
    app.add_option("--auto", options.autoLoad, "\"Automatsiches Laden\"")
        ->type_name("0|1")
        ->check(tovi::oneOf({"0", "1"}));
    app.add_flag("--list-ports", options.listPorts,
                 "jede Schnittstelle, die sich öffnen lässt, mit ihrem Gerät zeigen");
    app.add_option("DATEI", options.binaryPath,
                   "das Abbild, höchstens 2048 Byte, roh oder als Intel HEX")
        ->type_name("");
}

// tovi.ini as the workbench reads it; without the file or its emulator group
// the upload takes its defaults.
tovi::EmulatorSettings emulatorSettings(const Options& options) {
    tovi::Settings settings;
    tovi::loadSettings(settings, tovi::settingsFilePath());
    tovi::EmulatorSettings emulator = settings.emulator;
    if (options.port) {
        emulator.comPort = tovi::fromUtf8(*options.port);
    }
    if (options.epromType) {
        emulator.epromType = tovi::fromUtf8(*options.epromType);
    }
    if (options.spiBackup) {
        emulator.spiBackup = *options.spiBackup == "1" ? 1 : 0;
    }
    if (options.autoLoad) {
        emulator.autoLoad = *options.autoLoad == "1" ? 1 : 0;
    }
    return emulator;
}

// Each line at once: an upload takes seconds, and the user watches it.
void printLine(tovi::StandardOutput& out, std::u16string_view text) {
    out.line(tovi::toUtf8(tovi::withoutControlCharacters(text)));
    out.flush();
}

// "Übertragung: 2,4 s": from the port's opening to its closing, in German decimals.
std::string durationText(std::chrono::steady_clock::duration elapsed) {
    const auto tenths =
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 100;
    return "Übertragung: " + std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " s";
}

int upload(const Options& options) {
    tovi::StandardOutput out(program);
    tovi::UploadEnvironment environment =
        tovi::systemEnvironment([&out](std::u16string_view line) { printLine(out, line); });
    // No window to draw: only what Qt itself has pending.
    environment.processEvents = [](int) { QCoreApplication::processEvents(); };
    tovi::SystemSerialPort port;
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = tovi::uploadToEmulator(std::filesystem::path(options.binaryPath),
                                                emulatorSettings(options), port, environment);
    if (outcome == tovi::UploadOutcome::Completed || outcome == tovi::UploadOutcome::Unanswered) {
        out.line(durationText(std::chrono::steady_clock::now() - start));
        out.flush();
    }
    return outcome == tovi::UploadOutcome::Completed ? exitCompleted : exitRefused;
}

int listPorts() {
    tovi::SystemSerialPort prober;
    const auto names = tovi::openablePorts(prober);
    tovi::StandardOutput out(program);
    for (const auto& name : names) {
        out.line(tovi::toUtf8(name) + " " + prober.devicePath(name).value_or(""));
    }
    out.flush();
    if (names.empty()) {
        tovi::reportError(program, "keine Schnittstelle von COM1 bis COM50 lässt sich öffnen");
        return exitRefused;
    }
    return exitCompleted;
}

} // namespace

int main(int argc, char** argv) {
    tovi::CommandLine commandLine(
        "tovi-upload",
        "Sendet DATEI wie F6 in Tovi an den EPROM-Emulator. Die Einstellungen\n"
        "kommen aus tovi.ini im aktuellen Verzeichnis; die Optionen gelten nur für\n"
        "diesen Aufruf, die Datei bleibt unverändert.",
        "Exit-Status: 0 wenn die Übertragung bis zum Ende lief und jeder Befehl eine\n"
        "Antwort bekam, 1 wenn die Datei oder die Schnittstelle abgelehnt wurde, Befehle\n"
        "ohne Antwort blieben oder die Verbindung verloren ging, 2 bei falschem Aufruf oder\n"
        "nicht schreibbarer Ausgabe.");
    Options options;
    describeOptions(commandLine, options);
    if (const auto exitStatus = commandLine.parse(argc, argv)) {
        return *exitStatus;
    }
    if (!options.listPorts && options.binaryPath.empty()) {
        return commandLine.usageError("DATEI fehlt");
    }
    QCoreApplication application(argc, argv);
    return options.listPorts ? listPorts() : upload(options);
}
