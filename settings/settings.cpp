#include "settings/settings.h"

#include "common/file_io.h"
#include "common/text.h"
#include "settings/eprom_types.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

#include <system_error>

namespace tovi {
namespace {

constexpr std::u16string_view windowGroup = u"Fenster";
constexpr std::u16string_view emulatorGroup = u"Emulator";
constexpr std::u16string_view memoryGroup = u"Speicher";

constexpr std::array<WindowRect, windowCount> defaultWindowRects{{
    {0, 0, 800, 600},
    {0, 0, 500, 300},
    {0, 400, 500, 100},
    {550, 0, 200, 500},
}};

// "F0X" … "F4H": "F", the window number, then one of X, Y, W, H.
std::u16string windowKey(int window, char16_t letter) {
    return u"F" + decimalText(window) + letter;
}

void readWindowRects(const IniGroupReader& group, Settings& settings) {
    for (int window = 0; window < windowCount; ++window) {
        settings.windowRects[static_cast<std::size_t>(window)] = readWindowRect(group, window);
    }
}

void readEmulatorSettings(const IniGroupReader& group, EmulatorSettings& emulator) {
    const auto comPort = group.text(u"COM").value_or(u"");
    emulator.comPort = comPort.empty() ? std::u16string(defaultComPort) : comPort;
    const auto epromType = group.text(u"EPROM").value_or(u"");
    emulator.epromType = isEpromTypeCode(epromType) ? epromType : std::u16string(defaultEpromType);
    emulator.spiBackup = group.number(u"SPI");
    emulator.autoLoad = group.number(u"AUTO");
}

// Decimal, "$" hexadecimal or "%" binary.
std::int32_t fillValueOf(std::u16string_view text) {
    if (text.starts_with(u'$')) {
        return readDigits(text.substr(1), 16);
    }
    if (text.starts_with(u'%')) {
        return readDigits(text.substr(1), 2);
    }
    return readIniNumber(text);
}

void readFillByte(const IniGroupReader& group, Settings& settings) {
    const auto text = group.text(u"Wert").value_or(u"0");
    if (fillValueOf(text) == 255) {
        settings.fillByte = 0xFF;
    }
}

} // namespace

std::filesystem::path settingsFilePath() {
    std::error_code error;
    const auto directory = std::filesystem::current_path(error);
    if (error) {
        return settingsFileName; // relative: still the current directory, if there is one
    }
    return directory / settingsFileName;
}

WindowRect readWindowRect(const IniGroupReader& group, int window) {
    return {group.number(windowKey(window, u'X')), group.number(windowKey(window, u'Y')),
            group.number(windowKey(window, u'W')), group.number(windowKey(window, u'H'))};
}

void writeWindowRect(IniWriter& writer, int window, const WindowRect& rect) {
    writer.number(windowKey(window, u'X'), rect.x);
    writer.number(windowKey(window, u'Y'), rect.y);
    writer.number(windowKey(window, u'W'), rect.width);
    writer.number(windowKey(window, u'H'), rect.height);
}

SettingsFile readSettingsFile(const std::filesystem::path& file,
                              const std::function<void(const IniDocument&)>& read) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return SettingsFile::Missing;
    }
    const auto bytes = readFileBytes(file, largestSettingsFile);
    if (!bytes) {
        return SettingsFile::Unreadable;
    }
    read(IniDocument::fromBytes(*bytes));
    return SettingsFile::Read;
}

std::u16string_view effectiveComPort(const EmulatorSettings& emulator) {
    return emulator.comPort.empty() ? defaultComPort : std::u16string_view(emulator.comPort);
}

std::u16string_view effectiveEpromType(const EmulatorSettings& emulator) {
    return emulator.epromType.empty() ? defaultEpromType : std::u16string_view(emulator.epromType);
}

SettingsFile loadSettings(Settings& settings, const std::filesystem::path& file) {
    return readSettingsFile(file, [&settings](const IniDocument& document) {
        if (const auto group = document.group(windowGroup)) {
            readWindowRects({document, *group}, settings);
        }
        if (const auto group = document.group(emulatorGroup)) {
            readEmulatorSettings({document, *group}, settings.emulator);
        }
        if (const auto group = document.group(memoryGroup)) {
            readFillByte({document, *group}, settings);
        }
    });
}

std::string settingsFileContent(const Settings& settings) {
    IniWriter writer;
    writer.line(u"");
    writer.group(windowGroup);
    for (int window = 0; window < windowCount; ++window) {
        writeWindowRect(writer, window, settings.windowRects[static_cast<std::size_t>(window)]);
    }
    writer.group(emulatorGroup);
    writer.value(u"COM", settings.emulator.comPort);
    writer.value(u"EPROM", settings.emulator.epromType);
    writer.number(u"SPI", settings.emulator.spiBackup);
    writer.number(u"AUTO", settings.emulator.autoLoad);
    writer.group(memoryGroup);
    writer.number(u"Wert", settings.fillByte);
    return writer.bytes();
}

bool saveSettings(const Settings& settings, const std::filesystem::path& file) {
    return writeFileAtomically(file, settingsFileContent(settings));
}

void setDefaultWindowRects(Settings& settings) {
    settings.windowRects = defaultWindowRects;
}

} // namespace tovi
