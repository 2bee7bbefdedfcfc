#include "settings/simulator_settings.h"

#include "common/file_io.h"
#include "common/mcs48_memory.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

namespace tovi {
namespace {

constexpr std::u16string_view windowGroup = u"Fenster";
constexpr std::u16string_view simulatorGroup = u"Simulator";
constexpr int simulatorWindow = 4; // after the four windows of "tovi.ini"
constexpr int boardWindow = 5;
constexpr std::int32_t slowestClockKHz = 1;
constexpr std::int32_t fastestClockKHz = 100'000;

// The names Tovi shows and stores: the first of each chip family.
bool isChipName(std::u16string_view name) {
    const std::string text = toUtf8(name);
    const auto family = mcs48::chipFamilyOf(text);
    return family && mcs48::chipFamilies[static_cast<std::size_t>(*family)].names[0] == text;
}

void readSimulator(const IniGroupReader& group, SimulatorSettings& settings) {
    if (const auto chip = group.text(u"Chip"); chip && isChipName(*chip)) {
        settings.chip = *chip;
    }
    const std::int32_t clock = group.number(u"TaktKHz");
    if (clock >= slowestClockKHz && clock <= fastestClockKHz) {
        settings.clockKHz = clock;
    }
    const std::int32_t realTime = group.number(u"Echtzeit");
    if (group.text(u"Echtzeit") && (realTime == 0 || realTime == 1)) {
        settings.realTime = realTime == 1;
    }
}

} // namespace

std::filesystem::path simulatorSettingsFilePath() {
    return settingsFilePath().replace_filename(simulatorSettingsFileName);
}

SettingsFile loadSimulatorSettings(SimulatorSettings& settings, const std::filesystem::path& file) {
    return readSettingsFile(file, [&settings](const IniDocument& document) {
        if (const auto group = document.group(windowGroup)) {
            settings.window = readWindowRect({document, *group}, simulatorWindow);
            settings.boardWindow = readWindowRect({document, *group}, boardWindow);
        }
        if (const auto group = document.group(simulatorGroup)) {
            readSimulator({document, *group}, settings);
        }
    });
}

std::string simulatorSettingsContent(const SimulatorSettings& settings) {
    IniWriter writer;
    writer.line(u"");
    writer.group(windowGroup);
    writeWindowRect(writer, simulatorWindow, settings.window);
    writeWindowRect(writer, boardWindow, settings.boardWindow);
    writer.group(simulatorGroup);
    writer.value(u"Chip", settings.chip);
    writer.number(u"TaktKHz", settings.clockKHz);
    writer.number(u"Echtzeit", settings.realTime ? 1 : 0);
    return writer.bytes();
}

bool saveSimulatorSettings(const SimulatorSettings& settings, const std::filesystem::path& file) {
    return writeFileAtomically(file, simulatorSettingsContent(settings));
}

} // namespace tovi
