#include "settings/settings.h"

#include "common/file_io.h"
#include "common/text.h"
#include "settings/ini_reader.h"

#include <algorithm>
#include <system_error>

namespace tovi {
namespace {

constexpr std::u16string_view windowGroup = u"Fenster";
constexpr std::u16string_view emulatorGroup = u"Emulator";
constexpr std::u16string_view memoryGroup = u"Speicher";

constexpr std::u16string_view defaultComPort = u"COM4";
constexpr std::u16string_view defaultEpromType = u"64";
constexpr std::u16string_view epromTypes[] = {u"16",  u"32",  u"64",   u"E64",
                                              u"128", u"256", u"E256", u"512"};

constexpr std::array<WindowRect, windowCount> defaultWindowRects{{
    {0, 0, 800, 600},
    {0, 0, 500, 300},
    {0, 400, 500, 100},
    {550, 0, 200, 500},
}};

// "F0X" … "F3H": the window index, then one of X, Y, W, H.
std::u16string windowKey(int window, char16_t letter) {
    return u"F" + decimalText(window) + letter;
}

class FileWriter {
public:
    void group(std::u16string_view name) { line(u"[" + std::u16string(name) + u"]"); }
    void value(std::u16string_view key, std::u16string_view text) {
        line(std::u16string(key) + u" = " + std::u16string(text));
    }
    void number(std::u16string_view key, std::int64_t number) { value(key, decimalText(number)); }
    void line(std::u16string_view text) { bytes_ += toUtf8(text) + "\r\n"; }
    std::string bytes() const { return bytes_; }

private:
    std::string bytes_ = "\xEF\xBB\xBF";
};

std::int32_t numberOf(const IniGroup& group, std::u16string_view key) {
    const auto value = findValue(group, key);
    return value ? readIniNumber(*value) : 0;
}

std::optional<std::u16string> textOf(const IniGroup& group, std::u16string_view key) {
    const auto value = findValue(group, key);
    if (!value) {
        return std::nullopt;
    }
    return std::u16string(trimBlanksAndTabs(*value));
}

void readWindowRects(const IniGroup& group, Settings& settings) {
    for (int window = 0; window < windowCount; ++window) {
        WindowRect& rect = settings.windowRects[static_cast<std::size_t>(window)];
        rect.x = numberOf(group, windowKey(window, u'X'));
        rect.y = numberOf(group, windowKey(window, u'Y'));
        rect.width = numberOf(group, windowKey(window, u'W'));
        rect.height = numberOf(group, windowKey(window, u'H'));
    }
}

bool isEpromType(std::u16string_view text) {
    return std::ranges::find(epromTypes, text) != std::end(epromTypes);
}

void readEmulatorSettings(const IniGroup& group, EmulatorSettings& emulator) {
    const auto comPort = textOf(group, u"COM").value_or(u"");
    emulator.comPort = comPort.empty() ? std::u16string(defaultComPort) : comPort;
    const auto epromType = textOf(group, u"EPROM").value_or(u"");
    emulator.epromType = isEpromType(epromType) ? epromType : std::u16string(defaultEpromType);
    emulator.spiBackup = numberOf(group, u"SPI");
    emulator.autoLoad = numberOf(group, u"AUTO");
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

void readFillByte(const IniGroup& group, Settings& settings) {
    const auto text = textOf(group, u"Wert").value_or(u"0");
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

void loadSettings(Settings& settings, const std::filesystem::path& file) {
    const auto bytes = readFileBytes(file);
    if (!bytes) {
        return;
    }
    const auto document = IniDocument::fromBytes(*bytes);
    if (const auto* group = document.group(windowGroup)) {
        readWindowRects(*group, settings);
    }
    if (const auto* group = document.group(emulatorGroup)) {
        readEmulatorSettings(*group, settings.emulator);
    }
    if (const auto* group = document.group(memoryGroup)) {
        readFillByte(*group, settings);
    }
}

std::string settingsFileContent(const Settings& settings) {
    FileWriter writer;
    writer.line(u"");
    writer.group(windowGroup);
    for (int window = 0; window < windowCount; ++window) {
        const WindowRect& rect = settings.windowRects[static_cast<std::size_t>(window)];
        writer.number(windowKey(window, u'X'), rect.x);
        writer.number(windowKey(window, u'Y'), rect.y);
        writer.number(windowKey(window, u'W'), rect.width);
        writer.number(windowKey(window, u'H'), rect.height);
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
