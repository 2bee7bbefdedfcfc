#include "settings/simulator_settings.h"

#include <system_error>

#include "common/file_io.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

namespace tovi {
namespace {

constexpr std::u16string_view windowGroup = u"Fenster";
constexpr std::u16string_view simulatorGroup = u"Simulator";
constexpr int simulatorWindow = 4; // after the four windows of "tovi.ini"
constexpr std::int32_t slowestClockKHz = 1;
constexpr std::int32_t fastestClockKHz = 100'000;

bool isChipName(std::u16string_view name) {
    return name == u"8048" || name == u"8049" || name == u"8050";
}

void readWindow(const IniGroupReader& group, WindowRect& rect) {
    rect.x = group.number(windowKey(simulatorWindow, u'X'));
    rect.y = group.number(windowKey(simulatorWindow, u'Y'));
    rect.width = group.number(windowKey(simulatorWindow, u'W'));
    rect.height = group.number(windowKey(simulatorWindow, u'H'));
}

void readSimulator(const IniGroupReader& group, SimulatorSettings& settings) {
    if (const auto chip = group.text(u"Chip"); chip && isChipName(*chip)) {
        settings.chip = *chip;
    }
    const std::int32_t clock = group.number(u"TaktKHz");
    if (clock >= slowestClockKHz && clock <= fastestClockKHz) {
        settings.clockKHz = clock;
    }
}

} // namespace

std::filesystem::path simulatorSettingsFilePath() {
    return settingsFilePath().replace_filename(simulatorSettingsFileName);
}

SettingsFile loadSimulatorSettings(SimulatorSettings& settings, const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return SettingsFile::Missing;
    }
    const auto bytes = readFileBytes(file, largestSettingsFile);
    if (!bytes) {
        return SettingsFile::Unreadable;
    }
    const auto document = IniDocument::fromBytes(*bytes);
    if (const auto group = document.group(windowGroup)) {
        readWindow({document, *group}, settings.window);
    }
    if (const auto group = document.group(simulatorGroup)) {
        readSimulator({document, *group}, settings);
    }
    return SettingsFile::Read;
}

std::string simulatorSettingsContent(const SimulatorSettings& settings) {
    IniWriter writer;
    writer.line(u"");
    writer.group(windowGroup);
    writer.number(windowKey(simulatorWindow, u'X'), settings.window.x);
    writer.number(windowKey(simulatorWindow, u'Y'), settings.window.y);
    writer.number(windowKey(simulatorWindow, u'W'), settings.window.width);
    writer.number(windowKey(simulatorWindow, u'H'), settings.window.height);
    writer.group(simulatorGroup);
    writer.value(u"Chip", settings.chip);
    writer.number(u"TaktKHz", settings.clockKHz);
    return writer.bytes();
}

bool saveSimulatorSettings(const SimulatorSettings& settings, const std::filesystem::path& file) {
    return writeFileAtomically(file, simulatorSettingsContent(settings));
}

} // namespace tovi
