// tovi-upload: sends a binary file to the EPROM emulator exactly as F6 in the
// workbench does, for scripted flashing.

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"
#include "emulator/serial_port.h"
#include "emulator/upload.h"
#include "settings/settings.h"

namespace {

constexpr int exitCompleted = 0;
constexpr int exitRefused = 1;
constexpr int exitUsage = 2;

constexpr std::string_view usage =
    "Aufruf: tovi-upload [--port COMn] [--eprom TYP] [--spi 0|1] [--auto 0|1] BINÄRDATEI\n"
    "\n"
    "Sendet BINÄRDATEI wie F6 in Tovi an den EPROM-Emulator. Die Einstellungen\n"
    "kommen aus tovi.ini im aktuellen Verzeichnis; die Optionen gelten nur für\n"
    "diesen Aufruf, die Datei bleibt unverändert.\n"
    "\n"
    "  --port COMn   serielle Schnittstelle (COM1 bis COM50)\n"
    "  --eprom TYP   16, 32, 64, E64, 128, 256, E256 oder 512\n"
    "  --spi 0|1     \"Sicherung auf SPI\"\n"
    "  --auto 0|1    \"Automatsiches Laden\"\n"
    "  --help        diese Hilfe\n"
    "\n"
    "Exit-Status: 0 wenn die Übertragung bis zum Ende lief, 1 wenn die Datei oder\n"
    "die Schnittstelle abgelehnt wurde, 2 bei falschem Aufruf.\n";

constexpr std::array<std::string_view, 8> epromTypeCodes{"16",  "32",  "64",   "E64",
                                                         "128", "256", "E256", "512"};

struct Options {
    std::optional<std::string> port;
    std::optional<std::string> epromType;
    std::optional<int> spiBackup;
    std::optional<int> autoLoad;
    std::string binaryPath;
    bool help = false;
};

std::optional<int> parseFlag(std::string_view value) {
    if (value == "0") {
        return 0;
    }
    if (value == "1") {
        return 1;
    }
    return std::nullopt;
}

bool isEpromTypeCode(std::string_view value) {
    return std::find(epromTypeCodes.begin(), epromTypeCodes.end(), value) != epromTypeCodes.end();
}

// Returns an error text, or nothing when the arguments are sound.
std::optional<std::string> parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const std::optional<std::string_view> value =
            i + 1 < argc ? std::optional<std::string_view>(argv[i + 1]) : std::nullopt;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--port") {
            if (!value || value->empty()) {
                return "--port erwartet einen Namen wie COM4";
            }
            options.port = std::string(*value);
            ++i;
        } else if (argument == "--eprom") {
            if (!value || !isEpromTypeCode(*value)) {
                return "--eprom erwartet 16, 32, 64, E64, 128, 256, E256 oder 512";
            }
            options.epromType = std::string(*value);
            ++i;
        } else if (argument == "--spi" || argument == "--auto") {
            const auto flag = value ? parseFlag(*value) : std::nullopt;
            if (!flag) {
                return std::string(argument) + " erwartet 0 oder 1";
            }
            (argument == "--spi" ? options.spiBackup : options.autoLoad) = flag;
            ++i;
        } else if (argument.size() > 1 && argument.front() == '-') {
            return "unbekannte Option " + std::string(argument);
        } else if (!options.binaryPath.empty()) {
            return "nur eine Binärdatei erlaubt";
        } else {
            options.binaryPath = argument;
        }
    }
    if (!options.help && options.binaryPath.empty()) {
        return "keine Binärdatei angegeben";
    }
    return std::nullopt;
}

// tovi.ini as the workbench reads it; without the file or its emulator group
// the values an empty group reads as.
tovi::EmulatorSettings emulatorSettings(const Options& options) {
    tovi::Settings settings;
    settings.emulator = {u"COM4", u"64", 0, 0};
    tovi::loadSettings(settings, tovi::settingsFilePath());
    tovi::EmulatorSettings emulator = settings.emulator;
    if (options.port) {
        emulator.comPort = tovi::fromUtf8(*options.port);
    }
    if (options.epromType) {
        emulator.epromType = tovi::fromUtf8(*options.epromType);
    }
    emulator.spiBackup = options.spiBackup.value_or(emulator.spiBackup);
    emulator.autoLoad = options.autoLoad.value_or(emulator.autoLoad);
    return emulator;
}

void printLine(std::u16string_view text) {
    std::cout << tovi::toUtf8(text) << std::endl;
}

int run(const Options& options) {
    tovi::UploadEnvironment environment = tovi::systemEnvironment(printLine);
    // No window to draw: only what Qt itself has pending.
    environment.processEvents = [](int) { QCoreApplication::processEvents(); };
    tovi::SystemSerialPort port;
    const auto outcome = tovi::uploadToEmulator(tovi::fromUtf8(options.binaryPath),
                                                emulatorSettings(options), port, environment);
    return outcome == tovi::UploadOutcome::Completed ? exitCompleted : exitRefused;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto error = parseArguments(argc, argv, options)) {
        std::cerr << "tovi-upload: " << *error << "\n" << usage;
        return exitUsage;
    }
    if (options.help) {
        std::cout << usage;
        return exitCompleted;
    }
    QCoreApplication application(argc, argv);
    return run(options);
}
