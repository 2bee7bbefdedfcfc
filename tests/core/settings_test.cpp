#include <gtest/gtest.h>

#include "common/text.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"

#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace tovi {
namespace {

namespace fs = std::filesystem;

// The file written at the first start: built-in window layout, empty emulator texts.
constexpr std::string_view firstStartFile = "\xEF\xBB\xBF\r\n"
                                            "[Fenster]\r\n"
                                            "F0X = 0\r\n"
                                            "F0Y = 0\r\n"
                                            "F0W = 800\r\n"
                                            "F0H = 600\r\n"
                                            "F1X = 0\r\n"
                                            "F1Y = 0\r\n"
                                            "F1W = 500\r\n"
                                            "F1H = 300\r\n"
                                            "F2X = 0\r\n"
                                            "F2Y = 400\r\n"
                                            "F2W = 500\r\n"
                                            "F2H = 100\r\n"
                                            "F3X = 550\r\n"
                                            "F3Y = 0\r\n"
                                            "F3W = 200\r\n"
                                            "F3H = 500\r\n"
                                            "[Emulator]\r\n"
                                            "COM = \r\n"
                                            "EPROM = \r\n"
                                            "SPI = 0\r\n"
                                            "AUTO = 0\r\n"
                                            "[Speicher]\r\n"
                                            "Wert = 0\r\n";

Settings distinctiveSettings() {
    Settings settings;
    settings.windowRects = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};
    settings.emulator = {u"COM9", u"E256", 1, 1};
    settings.fillByte = 0x00;
    return settings;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ =
            fs::path(::testing::TempDir()) / ("tovi_settings_" + std::to_string(::getpid()) + "_" +
                                              test->test_suite_name() + "_" + test->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path file() const { return directory_ / "tovi.ini"; }
    const fs::path& directory() const { return directory_; }

    void writeBytes(const fs::path& path, std::string_view bytes) const {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string readBytes(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    Settings loadedFrom(std::string_view bytes, Settings initial = {}) const {
        writeBytes(file(), bytes);
        loadSettings(initial, file());
        return initial;
    }

private:
    fs::path directory_;
};

// --- Writing -----------------------------------------------------------------

TEST(SettingsFileContent, FirstStartFileHoldsDefaultWindowsAndEmptyEmulatorTexts) {
    Settings settings;
    setDefaultWindowRects(settings);
    EXPECT_EQ(settingsFileContent(settings), firstStartFile);
}

TEST(SettingsFileContent, WritesEveryValueInDecimalAndUtf8) {
    Settings settings;
    settings.windowRects = {
        {{-10, 20, 1024, 768}, {3, -4, 50, 60}, {0, 0, 0, 0}, {-2147483647 - 1, 2147483647, 7, 8}}};
    settings.emulator = {u"COM\u00E4", u"E64", 1, 7};
    settings.fillByte = 0xFF;
    const std::string_view expected = "\xEF\xBB\xBF\r\n"
                                      "[Fenster]\r\n"
                                      "F0X = -10\r\n"
                                      "F0Y = 20\r\n"
                                      "F0W = 1024\r\n"
                                      "F0H = 768\r\n"
                                      "F1X = 3\r\n"
                                      "F1Y = -4\r\n"
                                      "F1W = 50\r\n"
                                      "F1H = 60\r\n"
                                      "F2X = 0\r\n"
                                      "F2Y = 0\r\n"
                                      "F2W = 0\r\n"
                                      "F2H = 0\r\n"
                                      "F3X = -2147483648\r\n"
                                      "F3Y = 2147483647\r\n"
                                      "F3W = 7\r\n"
                                      "F3H = 8\r\n"
                                      "[Emulator]\r\n"
                                      "COM = COM\xC3\xA4\r\n"
                                      "EPROM = E64\r\n"
                                      "SPI = 1\r\n"
                                      "AUTO = 7\r\n"
                                      "[Speicher]\r\n"
                                      "Wert = 255\r\n";
    EXPECT_EQ(settingsFileContent(settings), expected);
}

TEST(SettingsDefaults, SetsBuiltInWindowLayoutAndNothingElse) {
    Settings settings = distinctiveSettings();
    settings.fillByte = 0xFF;
    setDefaultWindowRects(settings);

    const std::array<WindowRect, windowCount> expectedRects{
        {{0, 0, 800, 600}, {0, 0, 500, 300}, {0, 400, 500, 100}, {550, 0, 200, 500}}};
    EXPECT_EQ(settings.windowRects, expectedRects);
    EXPECT_EQ(settings.emulator, distinctiveSettings().emulator);
    EXPECT_EQ(settings.fillByte, 0xFF);
}

TEST_F(SettingsFileTest, SaveWritesFirstStartFile) {
    Settings settings;
    setDefaultWindowRects(settings);
    ASSERT_TRUE(saveSettings(settings, file()));
    EXPECT_EQ(readBytes(file()), firstStartFile);
}

TEST_F(SettingsFileTest, SaveReplacesLongerEarlierFileWhole) {
    writeBytes(file(), std::string(5000, 'x'));
    Settings settings;
    setDefaultWindowRects(settings);
    ASSERT_TRUE(saveSettings(settings, file()));
    EXPECT_EQ(readBytes(file()), firstStartFile);
}

TEST_F(SettingsFileTest, SaveFailsWhenTargetIsADirectory) {
    fs::create_directory(file());
    fs::create_directory(file() / "inside");
    EXPECT_FALSE(saveSettings(Settings{}, file()));
    EXPECT_TRUE(fs::is_directory(file() / "inside"));
}

TEST_F(SettingsFileTest, SaveFailsWhenParentIsARegularFile) {
    const fs::path parent = directory() / "plain";
    writeBytes(parent, "keep");
    EXPECT_FALSE(saveSettings(Settings{}, parent / "tovi.ini"));
    EXPECT_EQ(readBytes(parent), "keep");
}

// Limits the size of files this process may write, so that the next write fails
// part-way even for a user whom no permission stops.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(SettingsFileTest, FailedWriteLeavesEarlierFileIntact) {
    const std::string_view earlier = "\xEF\xBB\xBF\r\n[Speicher]\r\nWert = 255\r\n";
    writeBytes(file(), earlier);
    Settings settings;
    setDefaultWindowRects(settings);
    bool saved = true;
    {
        const FileSizeLimit limit(64);
        saved = saveSettings(settings, file());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readBytes(file()), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory()), fs::directory_iterator()), 1)
        << "no temporary file may be left behind";
}

// --- Round trip --------------------------------------------------------------

TEST_F(SettingsFileTest, ReadsBackWhatWasSaved) {
    Settings variants[3] = {distinctiveSettings(), distinctiveSettings(), distinctiveSettings()};
    variants[1].windowRects[2] = {-300, -1, 0, 99};
    variants[1].emulator = {u"/dev/ttyUSB0", u"16", 0, 0};
    variants[1].fillByte = 0xFF;
    variants[2].emulator = {u"COM\u00E4\u20AC", u"512", -3, 42};
    for (const Settings& saved : variants) {
        ASSERT_TRUE(saveSettings(saved, file()));
        Settings loaded;
        loadSettings(loaded, file());
        EXPECT_EQ(loaded, saved) << readBytes(file());
    }
}

TEST_F(SettingsFileTest, FirstStartFileReadsBackWithDefaultPortAndType) {
    Settings expected;
    setDefaultWindowRects(expected);
    expected.emulator = {u"COM4", u"64", 0, 0};
    EXPECT_EQ(loadedFrom(firstStartFile), expected);
}

// --- Unreadable files ----------------------------------------------------------

TEST_F(SettingsFileTest, MissingFileChangesNothing) {
    Settings settings = distinctiveSettings();
    loadSettings(settings, directory() / "absent.ini");
    EXPECT_EQ(settings, distinctiveSettings());
}

TEST_F(SettingsFileTest, DirectoryInPlaceOfFileChangesNothing) {
    fs::create_directory(file());
    Settings settings = distinctiveSettings();
    loadSettings(settings, file());
    EXPECT_EQ(settings, distinctiveSettings());
}

// --- Emulator group ------------------------------------------------------------

struct EmulatorCase {
    const char* name;
    std::string_view file;
    EmulatorSettings expected;
};

// Test names and failure messages show the case name, not the bytes of the case.
void PrintTo(const EmulatorCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsLoadEmulator : public SettingsFileTest,
                             public ::testing::WithParamInterface<EmulatorCase> {};

TEST_P(SettingsLoadEmulator, ReadsEmulatorGroup) {
    const Settings loaded = loadedFrom(GetParam().file);
    EXPECT_EQ(loaded.emulator.comPort, GetParam().expected.comPort);
    EXPECT_EQ(loaded.emulator.epromType, GetParam().expected.epromType);
    EXPECT_EQ(loaded.emulator.spiBackup, GetParam().expected.spiBackup);
    EXPECT_EQ(loaded.emulator.autoLoad, GetParam().expected.autoLoad);
}

const EmulatorCase emulatorCases[] = {
    {"AllKeys",
     "[Emulator]\r\nCOM = COM2\r\nEPROM = 128\r\nSPI = 1\r\nAUTO = 1\r\n",
     {u"COM2", u"128", 1, 1}},
    {"KeyInLowerCase", "[Emulator]\r\ncom = COM7\r\n", {u"COM7", u"64", 0, 0}},
    {"GroupInUpperCase", "[EMULATOR]\r\nCom = COM3\r\n", {u"COM3", u"64", 0, 0}},
    {"EmptyGroup", "[Emulator]\r\n", {u"COM4", u"64", 0, 0}},
    {"EmptyComPort", "[Emulator]\r\nCOM = \r\n", {u"COM4", u"64", 0, 0}},
    {"BlankComPort", "[Emulator]\r\nCOM = \t  \r\n", {u"COM4", u"64", 0, 0}},
    {"KeyWithoutEquals", "[Emulator]\r\nCOM\r\nEPROM = 32\r\n", {u"COM4", u"32", 0, 0}},
    {"ValueTrimmedOfBlanksAndTabs",
     "[Emulator]\r\nCOM \t=\t  COM5 \t \r\nEPROM =  E256\t\r\n",
     {u"COM5", u"E256", 0, 0}},
    {"ValueKeepsInnerBlanks", "[Emulator]\r\nCOM = my port\r\n", {u"my port", u"64", 0, 0}},
    {"ValueWithEqualsSign", "[Emulator]\r\nCOM = a=b\r\n", {u"a=b", u"64", 0, 0}},
    {"LowerCaseEpromCodeFallsBack", "[Emulator]\r\nEPROM = e64\r\n", {u"COM4", u"64", 0, 0}},
    {"UpperCaseEpromCodeStays", "[Emulator]\r\nEPROM = E64\r\n", {u"COM4", u"E64", 0, 0}},
    {"UnknownEpromCodeFallsBack", "[Emulator]\r\nEPROM = 1024\r\n", {u"COM4", u"64", 0, 0}},
    {"EmptyEpromCodeFallsBack", "[Emulator]\r\nEPROM =\r\n", {u"COM4", u"64", 0, 0}},
    {"FlagsTakenUnchanged", "[Emulator]\r\nSPI = 7\r\nAUTO = -1\r\n", {u"COM4", u"64", 7, -1}},
    {"FlagsStopAtOtherCharacters",
     "[Emulator]\r\nSPI = 1x\r\nAUTO = yes\r\n",
     {u"COM4", u"64", 1, 0}},
    {"FirstKeyWins", "[Emulator]\r\nCOM = COM1\r\ncom = COM2\r\n", {u"COM1", u"64", 0, 0}},
    {"FirstGroupWins",
     "[Emulator]\r\nCOM = COM1\r\n[emulator]\r\nCOM = COM2\r\nSPI = 1\r\n",
     {u"COM1", u"64", 0, 0}},
    {"KeyOnlyBelowItsGroup",
     "[Fenster]\r\nCOM = COM8\r\n[Emulator]\r\n[Speicher]\r\nCOM = COM9\r\n",
     {u"COM4", u"64", 0, 0}},
    {"ValueLinesBeforeAnyGroupIgnored", "COM = COM8\r\n[Emulator]\r\n", {u"COM4", u"64", 0, 0}},
    {"CommentLinesIgnored",
     "[Emulator]\r\n;COM = COM8\r\n  \t; EPROM = 16\r\nCOM = COM6\r\n",
     {u"COM6", u"64", 0, 0}},
    {"LeadingBlanksOfLinesIgnored", "  \t[Emulator]\r\n\t COM = COM6\r\n", {u"COM6", u"64", 0, 0}},
    {"GroupLineRestIgnored",
     "[Emulator] ; port settings\r\nCOM = COM6\r\n",
     {u"COM6", u"64", 0, 0}},
    {"GroupLineWithoutBracket", "[Emulator\r\nCOM = COM6\r\n", {u"COM6", u"64", 0, 0}},
    {"LineFeedEndings", "[Emulator]\nCOM = COM6\nEPROM = 16\n", {u"COM6", u"16", 0, 0}},
    {"CarriageReturnEndings", "[Emulator]\rCOM = COM6\rEPROM = 16\r", {u"COM6", u"16", 0, 0}},
    {"MixedEndingsAndEmptyLines",
     "\r\n\n[Emulator]\r\r\nCOM = COM6\n\n\rEPROM = 16",
     {u"COM6", u"16", 0, 0}},
    {"Latin1WithoutByteOrderMark",
     "[Emulator]\r\nCOM = COM\xE4\xFF\r\n",
     {u"COM\u00E4\u00FF", u"64", 0, 0}},
    {"Utf8BytesWithoutByteOrderMarkReadAsLatin1",
     "[Emulator]\r\nCOM = \xC3\xA4\r\n",
     {u"\u00C3\u00A4", u"64", 0, 0}},
    {"Utf8WithByteOrderMark",
     "\xEF\xBB\xBF[Emulator]\r\nCOM = \xC3\xA4\xE2\x82\xAC\r\n",
     {u"\u00E4\u20AC", u"64", 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Settings, SettingsLoadEmulator, ::testing::ValuesIn(emulatorCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, EveryEpromCodeIsKept) {
    for (const char* code : {"16", "32", "64", "E64", "128", "256", "E256", "512"}) {
        const Settings loaded = loadedFrom("[Emulator]\r\nEPROM = " + std::string(code) + "\r\n");
        EXPECT_EQ(loaded.emulator.epromType, fromUtf8(code));
    }
}

TEST_F(SettingsFileTest, EmulatorGroupAloneLeavesWindowsAndFillByte) {
    Settings expected;
    expected.emulator = {u"COM7", u"64", 0, 0};
    EXPECT_EQ(loadedFrom("[Emulator]\r\ncom = COM7\r\n"), expected);
}

// --- Window group --------------------------------------------------------------

struct WindowCase {
    const char* name;
    std::string_view file;
    std::array<WindowRect, windowCount> expected;
};

void PrintTo(const WindowCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsLoadWindows : public SettingsFileTest,
                            public ::testing::WithParamInterface<WindowCase> {};

TEST_P(SettingsLoadWindows, ReadsWindowGroup) {
    const Settings loaded = loadedFrom(GetParam().file, distinctiveSettings());
    EXPECT_EQ(loaded.windowRects, GetParam().expected);
    EXPECT_EQ(loaded.emulator, distinctiveSettings().emulator);
}

const WindowCase windowCases[] = {
    {"MissingKeysReadZero",
     "[Fenster]\r\nF1W = 640\r\nF3H = 480\r\n",
     {{{0, 0, 0, 0}, {0, 0, 640, 0}, {0, 0, 0, 0}, {0, 0, 0, 480}}}},
    {"NegativeAndSmallValuesTakenUnchanged",
     "[Fenster]\r\nF0X = -20\r\nF0Y = -1\r\nF0W = 5\r\nF0H = 0\r\n",
     {{{-20, -1, 5, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
    {"CaseInsensitiveNames",
     "[fenSTER]\r\nf2x = 12\r\nF2y = 34\r\n",
     {{{0, 0, 0, 0}, {0, 0, 0, 0}, {12, 34, 0, 0}, {0, 0, 0, 0}}}},
    {"NumbersStopAtOtherCharacters",
     "[Fenster]\r\nF0X = 12px\r\nF0Y = +7\r\nF0W = px\r\nF0H = -\r\nF1X = - 4\r\nF1Y = 3.9\r\n",
     {{{12, 7, 0, 0}, {0, 3, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
    {"NumbersKeepLow32Bits",
     "[Fenster]\r\nF0X = 4294967295\r\nF0Y = 2147483648\r\nF0W = 4294967296\r\n",
     {{{-1, -2147483647 - 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
    {"FirstGroupWins",
     "[Fenster]\r\nF0X = 1\r\n[Fenster]\r\nF0X = 2\r\nF0Y = 3\r\n",
     {{{1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}}},
    {"GroupMissingLeavesRects",
     "[Speicher]\r\nWert = 0\r\n",
     {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}}},
};

INSTANTIATE_TEST_SUITE_P(Settings, SettingsLoadWindows, ::testing::ValuesIn(windowCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Memory group --------------------------------------------------------------

struct FillByteCase {
    const char* name;
    std::string_view file;
    std::uint8_t initial;
    std::uint8_t expected;
};

void PrintTo(const FillByteCase& c, std::ostream* out) {
    *out << c.name;
}

class SettingsLoadFillByte : public SettingsFileTest,
                             public ::testing::WithParamInterface<FillByteCase> {};

TEST_P(SettingsLoadFillByte, ReadsMemoryGroup) {
    Settings initial;
    initial.fillByte = GetParam().initial;
    EXPECT_EQ(loadedFrom(GetParam().file, initial).fillByte, GetParam().expected);
}

const FillByteCase fillByteCases[] = {
    {"Decimal255", "[Speicher]\r\nWert = 255\r\n", 0x00, 0xFF},
    {"Hexadecimal", "[Speicher]\r\nWert = $FF\r\n", 0x00, 0xFF},
    {"HexadecimalLowerCase", "[Speicher]\r\nWert = $ff\r\n", 0x00, 0xFF},
    {"Binary", "[Speicher]\r\nWert = %11111111\r\n", 0x00, 0xFF},
    {"PaddedWithBlanksAndTabs", "[Speicher]\r\nWert =\t 255 \t\r\n", 0x00, 0xFF},
    {"TrailingCharactersIgnored", "[Speicher]\r\nWert = 255 Bytes\r\n", 0x00, 0xFF},
    {"LowerCaseKey", "[speicher]\r\nWERT = 255\r\n", 0x00, 0xFF},
    {"OneKeepsZero", "[Speicher]\r\nWert = 1\r\n", 0x00, 0x00},
    {"ZeroKeepsFF", "[Speicher]\r\nWert = 0\r\n", 0xFF, 0xFF},
    {"HexadecimalNotFF", "[Speicher]\r\nWert = $FE\r\n", 0x00, 0x00},
    {"BinaryOfSevenOnes", "[Speicher]\r\nWert = %1111111\r\n", 0x00, 0x00},
    {"BinaryDigitsOnly", "[Speicher]\r\nWert = %11111111 2\r\n", 0x00, 0xFF},
    {"DollarWithoutDigits", "[Speicher]\r\nWert = $\r\n", 0x00, 0x00},
    {"Negative255", "[Speicher]\r\nWert = -255\r\n", 0x00, 0x00},
    {"MissingKey", "[Speicher]\r\n", 0x00, 0x00},
    {"KeyOfOtherGroup", "[Emulator]\r\nWert = 255\r\n[Speicher]\r\n", 0x00, 0x00},
    {"MissingGroup", "[Emulator]\r\n", 0xFF, 0xFF},
};

INSTANTIATE_TEST_SUITE_P(Settings, SettingsLoadFillByte, ::testing::ValuesIn(fillByteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Missing groups ------------------------------------------------------------

TEST_F(SettingsFileTest, FileWithoutGroupsChangesNothing) {
    for (const std::string_view bytes : {std::string_view{}, std::string_view("\xEF\xBB\xBF"),
                                         std::string_view("; only a comment\r\nCOM = COM1\r\n")}) {
        EXPECT_EQ(loadedFrom(bytes, distinctiveSettings()), distinctiveSettings());
    }
}

TEST_F(SettingsFileTest, MemoryGroupAloneLeavesWindowsAndEmulator) {
    Settings expected = distinctiveSettings();
    expected.fillByte = 0xFF;
    EXPECT_EQ(loadedFrom("[Speicher]\r\nWert = 255\r\n", distinctiveSettings()), expected);
}

// --- File location -------------------------------------------------------------

class CurrentDirectory {
public:
    explicit CurrentDirectory(const fs::path& directory) : previous_(fs::current_path()) {
        fs::current_path(directory);
    }
    ~CurrentDirectory() { fs::current_path(previous_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    fs::path previous_;
};

TEST_F(SettingsFileTest, PathFollowsCurrentDirectoryAtEachCall) {
    const fs::path other = directory() / "other";
    fs::create_directory(other);
    const fs::path first = fs::canonical(directory());
    const fs::path second = fs::canonical(other);
    {
        const CurrentDirectory inFirst(first);
        EXPECT_EQ(settingsFilePath(), first / "tovi.ini");
    }
    {
        const CurrentDirectory inSecond(second);
        EXPECT_EQ(settingsFilePath(), second / "tovi.ini");
    }
}

// --- Reader --------------------------------------------------------------------

TEST(SettingsIniReader, KeepsGroupsAndEntriesInFileOrder) {
    const auto document = IniDocument::fromText(u"[A]\nk = 1\nk = 2\n[B] x\n key\t=\n[a]\nm=3");
    ASSERT_EQ(document.groups().size(), 3u);
    EXPECT_EQ(document.groups()[0].name, u"A");
    EXPECT_EQ(document.groups()[1].name, u"B");
    EXPECT_EQ(document.groups()[2].name, u"a");
    ASSERT_EQ(document.groups()[0].entries.size(), 2u);
    EXPECT_EQ(document.groups()[0].entries[1].second, u"2");
    ASSERT_EQ(document.groups()[1].entries.size(), 1u);
    EXPECT_EQ(document.groups()[1].entries[0].first, u"key");
    EXPECT_EQ(document.groups()[1].entries[0].second, u"");
    EXPECT_EQ(document.group(u"a"), &document.groups()[0]);
    EXPECT_EQ(document.group(u"c"), nullptr);
}

struct NumberCase {
    std::u16string_view text;
    std::int32_t expected;
};

TEST(SettingsIniReader, ReadsNumbers) {
    const NumberCase cases[] = {
        {u"0", 0},
        {u"42", 42},
        {u"-42", -42},
        {u"+42", 42},
        {u"007", 7},
        {u"", 0},
        {u"-", 0},
        {u"x12", 0},
        {u"12x3", 12},
        {u" 12", 0},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"4294967295", -1},
        {u"4294967296", 0},
        {u"--1", 0},
        {u"1-1", 1},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(readIniNumber(text), expected) << toUtf8(text);
    }
}

} // namespace
} // namespace tovi
