#pragma once
// The persistent settings and the settings file "tovi.ini".

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tovi {

inline constexpr char settingsFileName[] = "tovi.ini";

// Window numbers: 0 main window, 1 "Quelle", 2 "Status", 3 "Objektcode (HEX)".
inline constexpr int mainWindow = 0;
inline constexpr int sourceWindow = 1;
inline constexpr int statusWindow = 2;
inline constexpr int objectCodeWindow = 3;
inline constexpr int windowCount = 4;

struct WindowRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0; // inner size
    std::int32_t height = 0;

    bool operator==(const WindowRect&) const = default;
};

struct EmulatorSettings {
    std::u16string comPort;   // "COM4"
    std::u16string epromType; // "16", "32", "64", "E64", "128", "256", "E256" or "512"
    std::int32_t spiBackup = 0;
    std::int32_t autoLoad = 0;

    bool operator==(const EmulatorSettings&) const = default;
};

struct Settings {
    std::array<WindowRect, windowCount> windowRects{};
    EmulatorSettings emulator;
    std::uint8_t fillByte = 0x00;

    bool operator==(const Settings&) const = default;
};

class IniDocument;
struct IniGroupReader;
class IniWriter;

// Window n's place and size under the keys "FnX", "FnY", "FnW" and "FnH".
WindowRect readWindowRect(const IniGroupReader& group, int window);
void writeWindowRect(IniWriter& writer, int window, const WindowRect& rect);

// What an empty text in memory stands for, wherever the value is used. The
// empty texts themselves stay, so the first-start file keeps its empty values.
std::u16string_view effectiveComPort(const EmulatorSettings& emulator);
std::u16string_view effectiveEpromType(const EmulatorSettings& emulator);

// "tovi.ini" in the current working directory, formed anew at every call.
std::filesystem::path settingsFilePath();

// A settings file larger than this is not read: no hand-edited file is.
inline constexpr std::size_t largestSettingsFile = std::size_t{1} << 20;

enum class SettingsFile { Missing, Read, Unreadable };

// Hands the document of a settings file to `read`. A missing file, or one that
// cannot be read or is larger than largestSettingsFile, hands nothing.
SettingsFile readSettingsFile(const std::filesystem::path& file,
                              const std::function<void(const IniDocument&)>& read);

// Reads the file into `settings`; what the file lacks keeps its value. A file
// that exists but cannot be read, or is larger than largestSettingsFile,
// changes nothing and is reported as Unreadable.
SettingsFile loadSettings(Settings& settings, const std::filesystem::path& file);

// Writes the whole file (byte-order mark, CR LF, 25 lines) by replacing it
// atomically; returns false when it could not be written.
bool saveSettings(const Settings& settings, const std::filesystem::path& file);

// The file's exact bytes for these settings.
std::string settingsFileContent(const Settings& settings);

// The built-in window layout; touches nothing else.
void setDefaultWindowRects(Settings& settings);

} // namespace tovi
