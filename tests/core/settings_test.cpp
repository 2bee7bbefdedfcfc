// The settings file "tovi.ini": what is written, how tolerantly it is read,
// and what a run does with a file that is missing or cannot be read.

#include <unistd.h>

#include "settings/ini_reader.h"
#include "settings/persistent_settings.h"
#include "settings/simulator_settings.h"
#include "support.h"

namespace tovi::test {
namespace {

Settings distinctive() {
    Settings settings;
    settings.windowRects = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};
    settings.emulator = {u"COM9", u"E256", 1, 1};
    settings.fillByte = 0xFF;
    return settings;
}

// Loads the bytes over `initial` and shows the group the case is about.
class SettingsFileTest : public ::testing::Test {
protected:
    Settings loaded(const std::string& bytes, Settings initial = distinctive()) {
        writeFile(dir_ / "tovi.ini", bytes);
        loadSettings(initial, dir_ / "tovi.ini");
        return initial;
    }
    std::string emulatorOf(const std::string& bytes) {
        const EmulatorSettings e = loaded(bytes).emulator;
        return toUtf8(e.comPort + u"|" + e.epromType) + "|" + std::to_string(e.spiBackup) + "|" +
               std::to_string(e.autoLoad);
    }
    std::string windowsOf(const std::string& bytes) {
        std::string shown;
        for (const WindowRect& r : loaded(bytes).windowRects) {
            shown += std::to_string(r.x) + "," + std::to_string(r.y) + "," +
                     std::to_string(r.width) + "," + std::to_string(r.height) + " ";
        }
        return shown;
    }

    Scratch dir_;
};

TEST_F(SettingsFileTest, WritesTheFirstStartFileAndEveryValue) {
    Settings settings = distinctive();
    setDefaultWindowRects(settings);
    EXPECT_EQ(settings.emulator, distinctive().emulator); // the layout touches nothing else
    settings.emulator = {};
    settings.fillByte = 0x00;
    EXPECT_EQ(settingsFileContent(settings),
              "\xEF\xBB\xBF\r\n[Fenster]\r\n"
              "F0X = 0\r\nF0Y = 0\r\nF0W = 800\r\nF0H = 600\r\n"
              "F1X = 0\r\nF1Y = 0\r\nF1W = 500\r\nF1H = 300\r\n"
              "F2X = 0\r\nF2Y = 400\r\nF2W = 500\r\nF2H = 100\r\n"
              "F3X = 550\r\nF3Y = 0\r\nF3W = 200\r\nF3H = 500\r\n"
              "[Emulator]\r\nCOM = \r\nEPROM = \r\nSPI = 0\r\nAUTO = 0\r\n"
              "[Speicher]\r\nWert = 0\r\n");
    // Whatever is saved reads back the same, negative numbers and UTF-8 included.
    settings.windowRects[2] = {-300, -2147483647 - 1, 0, 2147483647};
    settings.emulator = {u"COM\u00E4\u20AC", u"512", -3, 42};
    settings.fillByte = 0xFF;
    ASSERT_TRUE(saveSettings(settings, dir_ / "tovi.ini"));
    EXPECT_EQ(loaded(fileBytes(dir_ / "tovi.ini"), Settings{}), settings);
    // The empty emulator texts of a first start read back as the defaults.
    EXPECT_EQ(loaded("[Emulator]\r\nCOM = \r\nEPROM = \r\n").emulator.comPort, u"COM4");
    EXPECT_FALSE(saveSettings(settings, dir_.path()));
}

TEST_F(SettingsFileTest, ReadsTheEmulatorGroupTolerantly) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"[Emulator]\r\nCOM = COM2\r\nEPROM = 128\r\nSPI = 1\r\nAUTO = 1\r\n", "COM2|128|1|1"},
        {"[EMULATOR]\r\ncom = COM7\r\n", "COM7|64|0|0"},
        {"[Emulator]\r\n", "COM4|64|0|0"},
        {"[Emulator]\r\nCOM\r\nEPROM = 32\r\n", "COM4|32|0|0"},
        {"[Emulator]\r\nCOM \t=\t  COM5 \t \r\nEPROM =  E256\t\r\n", "COM5|E256|0|0"},
        {"[Emulator]\r\nCOM = my port\r\n", "my port|64|0|0"},
        {"[Emulator]\r\nCOM = a=b\r\n", "a=b|64|0|0"},
        {"[Emulator]\r\nEPROM = e64\r\n", "COM4|64|0|0"},
        {"[Emulator]\r\nSPI = 7\r\nAUTO = -1\r\n", "COM4|64|7|-1"},
        {"[Emulator]\r\nSPI = 1x\r\nAUTO = yes\r\n", "COM4|64|1|0"},
        {"[Emulator]\r\nCOM = COM1\r\ncom = COM2\r\n", "COM1|64|0|0"},
        {"[Emulator]\r\nCOM = COM1\r\n[emulator]\r\nCOM = COM2\r\nSPI = 1\r\n", "COM1|64|0|0"},
        {"COM = COM7\r\n[Speicher]\r\nCOM = COM8\r\n[Emulator]\r\n[X]\r\nCOM = COM9\r\n", "COM4|64|0|0"},
        {"[Emulator]\r\n;COM = COM8\r\n  \t; EPROM = 16\r\nCOM = COM6\r\n", "COM6|64|0|0"},
        {"  \t[Emulator] ; port\r\n\t COM = COM6\r\n", "COM6|64|0|0"},
        {"[Emulator\r\nCOM = COM6\r\n", "COM6|64|0|0"},
        {"\r\n\n[Emulator]\r\r\nCOM = COM6\n\n\rEPROM = 16", "COM6|16|0|0"},
        {"[Emulator]\r\nCOM = COM\xE4\xFF\r\n", "COM\xC3\xA4\xC3\xBF|64|0|0"},
        {"\xEF\xBB\xBF[Emulator]\r\nCOM = \xC3\xA4\xE2\x82\xAC\r\n", "\xC3\xA4\xE2\x82\xAC|64|0|0"},
        {"; nur ein Kommentar\r\nCOM = COM1\r\n", "COM9|E256|1|1"},
    };
    // clang-format on
    for (const auto& [file, expected] : cases) {
        EXPECT_EQ(emulatorOf(file), expected) << file;
    }
    for (const char* code : {"16", "32", "64", "E64", "128", "256", "E256", "512"}) {
        EXPECT_EQ(emulatorOf("[Emulator]\nEPROM = " + std::string(code)),
                  "COM4|" + std::string(code) + "|0|0");
    }
}

TEST_F(SettingsFileTest, ReadsTheWindowAndMemoryGroupsTolerantly) {
    // clang-format off
    const std::pair<std::string, std::string> windows[] = {
        {"[Fenster]\r\nF1W = 640\r\nF3H = 480\r\n", "0,0,0,0 0,0,640,0 0,0,0,0 0,0,0,480 "},
        {"[fenSTER]\r\nf2x = 12\r\nF2y = -34\r\n", "0,0,0,0 0,0,0,0 12,-34,0,0 0,0,0,0 "},
        {"[Fenster]\r\nF0X = 12px\r\nF0Y = +7\r\nF0W = px\r\nF0H = -\r\nF1X = - 4\r\nF1Y = 3.9\r\n",
         "12,7,0,0 0,3,0,0 0,0,0,0 0,0,0,0 "},
        {"[Fenster]\r\nF0X = 4294967295\r\nF0Y = 2147483648\r\nF0W = 4294967296\r\n",
         "-1,-2147483648,0,0 0,0,0,0 0,0,0,0 0,0,0,0 "},
        {"[Fenster]\r\nF0X = 1\r\n[Fenster]\r\nF0X = 2\r\n", "1,0,0,0 0,0,0,0 0,0,0,0 0,0,0,0 "},
        {"[Speicher]\r\nWert = 0\r\n", "1,2,3,4 5,6,7,8 9,10,11,12 13,14,15,16 "},
    };
    const std::tuple<std::string, std::uint8_t, std::uint8_t> fills[] = {
        {"Wert = 255", 0x00, 0xFF}, {"Wert = $FF", 0x00, 0xFF}, {"Wert = $ff", 0x00, 0xFF},
        {"Wert = %11111111", 0x00, 0xFF}, {"Wert =\t 255 \t", 0x00, 0xFF}, {"WERT = 255 Bytes", 0x00, 0xFF},
        {"Wert = 1", 0x00, 0x00}, {"Wert = 0", 0xFF, 0xFF}, {"Wert = $FE", 0x00, 0x00},
        {"Wert = %1111111", 0x00, 0x00}, {"Wert = $", 0x00, 0x00}, {"Wert = -255", 0x00, 0x00},
    };
    // clang-format on
    for (const auto& [file, expected] : windows) {
        EXPECT_EQ(windowsOf(file), expected) << file;
    }
    for (const auto& [line, initial, expected] : fills) {
        Settings start = distinctive();
        start.fillByte = initial;
        EXPECT_EQ(loaded("[speicher]\r\n" + line + "\r\n", start).fillByte, expected) << line;
    }
    EXPECT_EQ(readIniNumber(u"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(readIniNumber(u"--1"), 0);
}

// A missing file is written at once with the built-in layout; a file that
// cannot be read (here: a directory, and a file beyond 1 MiB) gives the
// built-in layout and is never written during the run.
// tovi-sim.ini takes the chip names Tovi shows; a kin's name or any other keeps the chip. Echtzeit
// is 0 or 1, anything else keeps it; the Platine window is number 5.
TEST_F(SettingsFileTest, ReadsOnlyTheChipNamesToviShows) {
    const std::pair<std::string, std::string> cases[] = {
        {"[Simulator]\r\nChip = 8048", "8048 1 770"},
        {"[Simulator]\r\nChip = 8050", "8050 1 770"},
        {"[Simulator]\r\nChip = 8748", "8049 1 770"},
        {"[Simulator]\r\nChip = 8051", "8049 1 770"},
        {"[Simulator]\r\nEchtzeit = 0", "8049 0 770"},
        {"[Simulator]\r\nEchtzeit = 2", "8049 1 770"},
        {"[Fenster]\r\nF5X = 12", "8049 1 12"},
    };
    for (const auto& [file, expected] : cases) {
        writeFile(dir_ / "tovi-sim.ini", file + "\r\n");
        SimulatorSettings settings;
        settings.realTime = true;
        loadSimulatorSettings(settings, dir_ / "tovi-sim.ini");
        EXPECT_EQ(toUtf8(settings.chip) + " " + std::to_string(settings.realTime) + " " +
                      std::to_string(settings.boardWindow.x),
                  expected)
            << file;
    }
    SimulatorSettings written;
    written.realTime = true;
    written.boardWindow.y = 7;
    EXPECT_NE(simulatorSettingsContent(written).find("F5Y = 7\r\n"), std::string::npos);
    EXPECT_NE(simulatorSettingsContent(written).find("TaktKHz = 6000\r\nEchtzeit = 1\r\n"),
              std::string::npos);
}

TEST_F(SettingsFileTest, ARunWritesOnlyWhatItCouldRead) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir_.path());
    Settings builtIn;
    setDefaultWindowRects(builtIn);
    {
        PersistentSettings settings;
        EXPECT_EQ(settings.values(), builtIn);
        EXPECT_EQ(fileBytes("tovi.ini"), settingsFileContent(builtIn));
    }
    const std::string oversized = "[Speicher]\r\nWert = 255\r\n" + std::string(1 << 20, '[');
    writeFile("tovi.ini", oversized);
    Settings untouched = distinctive();
    EXPECT_EQ(loadSettings(untouched, "tovi.ini"), SettingsFile::Unreadable);
    EXPECT_EQ(untouched, distinctive());
    {
        PersistentSettings settings;
        EXPECT_EQ(settings.values(), builtIn);
        settings.values().fillByte = 0xFF;
        settings.save();
    }
    EXPECT_EQ(fileBytes("tovi.ini"), oversized);
    fs::remove("tovi.ini");
    fs::create_directory("tovi.ini");
    PersistentSettings().save();
    EXPECT_TRUE(fs::is_directory("tovi.ini"));
    fs::current_path(previous);
    // Many groups of the largest readable size cost no more than their text.
    writeFile(dir_ / "many.ini", std::string((1 << 20) - 64, '[') + "\n[Speicher]\nWert=255");
    Settings settings;
    EXPECT_EQ(loadSettings(settings, dir_ / "many.ini"), SettingsFile::Read);
    EXPECT_EQ(loadSettings(settings, dir_ / "absent.ini"), SettingsFile::Missing);
}

} // namespace
} // namespace tovi::test
