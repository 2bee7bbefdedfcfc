#include <gtest/gtest.h>

#include "common/text.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"

#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace tovi {

// Failure messages show settings as the file that would hold them.
[[maybe_unused]] static void PrintTo(const Settings& settings, std::ostream* out) {
    *out << settingsFileContent(settings);
}

namespace {

namespace fs = std::filesystem;

// The file written at the first start: built-in window layout, empty emulator texts.
constexpr std::string_view firstStartFile =
    "\xEF\xBB\xBF\r\n[Fenster]\r\n"
    "F0X = 0\r\nF0Y = 0\r\nF0W = 800\r\nF0H = 600\r\n"
    "F1X = 0\r\nF1Y = 0\r\nF1W = 500\r\nF1H = 300\r\n"
    "F2X = 0\r\nF2Y = 400\r\nF2W = 500\r\nF2H = 100\r\n"
    "F3X = 550\r\nF3Y = 0\r\nF3W = 200\r\nF3H = 500\r\n"
    "[Emulator]\r\nCOM = \r\nEPROM = \r\nSPI = 0\r\nAUTO = 0\r\n"
    "[Speicher]\r\nWert = 0\r\n";

Settings defaults() {
    Settings settings;
    setDefaultWindowRects(settings);
    return settings;
}

Settings distinctive() {
    Settings settings;
    settings.windowRects = {{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};
    settings.emulator = {u"COM9", u"E256", 1, 1};
    settings.fillByte = 0xFF;
    return settings;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = fs::path(::testing::TempDir()) /
                     ("tovi_settings_" + std::to_string(::getpid()) + "_" + test->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path file() const { return directory_ / "tovi.ini"; }
    const fs::path& directory() const { return directory_; }

    static void writeBytes(const fs::path& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string readBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    Settings loadedFrom(std::string_view bytes, Settings initial = distinctive()) const {
        writeBytes(file(), bytes);
        loadSettings(initial, file());
        return initial;
    }

private:
    fs::path directory_;
};

// --- Writing -----------------------------------------------------------------

TEST(SettingsContent, WritesEveryValueInDecimalAndUtf8) {
    EXPECT_EQ(settingsFileContent(defaults()), firstStartFile);

    Settings settings;
    settings.windowRects = {
        {{-10, 20, 1024, 768}, {3, -4, 50, 60}, {0, 0, 0, 0}, {-2147483647 - 1, 2147483647, 7, 8}}};
    settings.emulator = {u"COM\u00E4", u"E64", 1, 7};
    settings.fillByte = 0xFF;
    EXPECT_EQ(settingsFileContent(settings),
              "\xEF\xBB\xBF\r\n[Fenster]\r\n"
              "F0X = -10\r\nF0Y = 20\r\nF0W = 1024\r\nF0H = 768\r\n"
              "F1X = 3\r\nF1Y = -4\r\nF1W = 50\r\nF1H = 60\r\n"
              "F2X = 0\r\nF2Y = 0\r\nF2W = 0\r\nF2H = 0\r\n"
              "F3X = -2147483648\r\nF3Y = 2147483647\r\nF3W = 7\r\nF3H = 8\r\n"
              "[Emulator]\r\nCOM = COM\xC3\xA4\r\nEPROM = E64\r\nSPI = 1\r\nAUTO = 7\r\n"
              "[Speicher]\r\nWert = 255\r\n");
}

TEST(SettingsContent, DefaultWindowLayoutTouchesNothingElse) {
    Settings settings = distinctive();
    setDefaultWindowRects(settings);
    Settings expected = distinctive();
    expected.windowRects = {
        {{0, 0, 800, 600}, {0, 0, 500, 300}, {0, 400, 500, 100}, {550, 0, 200, 500}}};
    EXPECT_EQ(settings, expected);
}

TEST_F(SettingsFile, SaveReplacesALongerEarlierFileWhole) {
    writeBytes(file(), std::string(5000, 'x'));
    ASSERT_TRUE(saveSettings(defaults(), file()));
    EXPECT_EQ(readBytes(file()), firstStartFile);
}

TEST_F(SettingsFile, SaveFailsWhereNoFileCanBe) {
    fs::create_directories(file() / "inside");
    EXPECT_FALSE(saveSettings(Settings{}, file()));
    EXPECT_TRUE(fs::is_directory(file() / "inside"));
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

TEST_F(SettingsFile, FailedWriteLeavesEarlierFileIntact) {
    const std::string_view earlier = "\xEF\xBB\xBF\r\n[Speicher]\r\nWert = 255\r\n";
    writeBytes(file(), earlier);
    bool saved = true;
    {
        const FileSizeLimit limit(64);
        saved = saveSettings(defaults(), file());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readBytes(file()), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(directory()), fs::directory_iterator()), 1)
        << "no temporary file may be left behind";
}

// --- Reading -----------------------------------------------------------------

TEST_F(SettingsFile, ReadsBackWhatWasSaved) {
    Settings variants[3] = {distinctive(), distinctive(), distinctive()};
    variants[1].windowRects[2] = {-300, -1, 0, 99};
    variants[1].emulator = {u"/dev/ttyUSB0", u"16", 0, 0};
    variants[1].fillByte = 0x00;
    variants[2].emulator = {u"COM\u00E4\u20AC", u"512", -3, 42};
    for (const Settings& saved : variants) {
        ASSERT_TRUE(saveSettings(saved, file()));
        Settings loaded;
        loadSettings(loaded, file());
        EXPECT_EQ(loaded, saved) << readBytes(file());
    }
    // The empty emulator texts of the first start read as the default port and type.
    Settings expected = defaults();
    expected.emulator = {u"COM4", u"64", 0, 0};
    EXPECT_EQ(loadedFrom(firstStartFile, Settings{}), expected);
}

TEST_F(SettingsFile, UnreadableOrGrouplessFileChangesNothing) {
    Settings settings = distinctive();
    loadSettings(settings, directory() / "absent.ini");
    EXPECT_EQ(settings, distinctive());
    for (const std::string_view bytes : {std::string_view{}, std::string_view("\xEF\xBB\xBF"),
                                         std::string_view("; only a comment\r\nCOM = COM1\r\n")}) {
        EXPECT_EQ(loadedFrom(bytes), distinctive());
    }
    fs::remove(file());
    fs::create_directory(file());
    loadSettings(settings, file());
    EXPECT_EQ(settings, distinctive());
}

struct EmulatorCase {
    const char* name;
    std::string_view file;
    EmulatorSettings expected;
};

// Every case leaves the window and memory groups alone.
TEST_F(SettingsFile, ReadsTheEmulatorGroupTolerantly) {
    // clang-format off
    const EmulatorCase cases[] = {
        {"all keys", "[Emulator]\r\nCOM = COM2\r\nEPROM = 128\r\nSPI = 1\r\nAUTO = 1\r\n",
         {u"COM2", u"128", 1, 1}},
        {"key in lower case", "[Emulator]\r\ncom = COM7\r\n", {u"COM7", u"64", 0, 0}},
        {"group in upper case", "[EMULATOR]\r\nCom = COM3\r\n", {u"COM3", u"64", 0, 0}},
        {"empty group", "[Emulator]\r\n", {u"COM4", u"64", 0, 0}},
        {"blank port", "[Emulator]\r\nCOM = \t  \r\n", {u"COM4", u"64", 0, 0}},
        {"key without =", "[Emulator]\r\nCOM\r\nEPROM = 32\r\n", {u"COM4", u"32", 0, 0}},
        {"trimmed values", "[Emulator]\r\nCOM \t=\t  COM5 \t \r\nEPROM =  E256\t\r\n",
         {u"COM5", u"E256", 0, 0}},
        {"inner blanks", "[Emulator]\r\nCOM = my port\r\n", {u"my port", u"64", 0, 0}},
        {"value with =", "[Emulator]\r\nCOM = a=b\r\n", {u"a=b", u"64", 0, 0}},
        {"lower-case type", "[Emulator]\r\nEPROM = e64\r\n", {u"COM4", u"64", 0, 0}},
        {"unknown type", "[Emulator]\r\nEPROM = 1024\r\n", {u"COM4", u"64", 0, 0}},
        {"flags unchanged", "[Emulator]\r\nSPI = 7\r\nAUTO = -1\r\n", {u"COM4", u"64", 7, -1}},
        {"flags stop at letters", "[Emulator]\r\nSPI = 1x\r\nAUTO = yes\r\n",
         {u"COM4", u"64", 1, 0}},
        {"first key wins", "[Emulator]\r\nCOM = COM1\r\ncom = COM2\r\n", {u"COM1", u"64", 0, 0}},
        {"first group wins", "[Emulator]\r\nCOM = COM1\r\n[emulator]\r\nCOM = COM2\r\nSPI = 1\r\n",
         {u"COM1", u"64", 0, 0}},
        {"key only below its group",
         "COM = COM7\r\n[Speicher]\r\nCOM = COM8\r\n[Emulator]\r\n[X]\r\nCOM = COM9\r\n",
         {u"COM4", u"64", 0, 0}},
        {"comments", "[Emulator]\r\n;COM = COM8\r\n  \t; EPROM = 16\r\nCOM = COM6\r\n",
         {u"COM6", u"64", 0, 0}},
        {"leading blanks", "  \t[Emulator]\r\n\t COM = COM6\r\n", {u"COM6", u"64", 0, 0}},
        {"rest of group line", "[Emulator] ; port\r\nCOM = COM6\r\n", {u"COM6", u"64", 0, 0}},
        {"group without ]", "[Emulator\r\nCOM = COM6\r\n", {u"COM6", u"64", 0, 0}},
        {"LF", "[Emulator]\nCOM = COM6\nEPROM = 16\n", {u"COM6", u"16", 0, 0}},
        {"CR", "[Emulator]\rCOM = COM6\rEPROM = 16\r", {u"COM6", u"16", 0, 0}},
        {"mixed and empty lines", "\r\n\n[Emulator]\r\r\nCOM = COM6\n\n\rEPROM = 16",
         {u"COM6", u"16", 0, 0}},
        {"Latin-1 without BOM", "[Emulator]\r\nCOM = COM\xE4\xFF\r\n",
         {u"COM\u00E4\u00FF", u"64", 0, 0}},
        {"UTF-8 without BOM", "[Emulator]\r\nCOM = \xC3\xA4\r\n", {u"\u00C3\u00A4", u"64", 0, 0}},
        {"UTF-8 with BOM", "\xEF\xBB\xBF[Emulator]\r\nCOM = \xC3\xA4\xE2\x82\xAC\r\n",
         {u"\u00E4\u20AC", u"64", 0, 0}},
    };
    // clang-format on
    for (const EmulatorCase& c : cases) {
        Settings expected = distinctive();
        expected.emulator = c.expected;
        EXPECT_EQ(loadedFrom(c.file), expected) << c.name;
    }
    for (const char* code : {"16", "32", "64", "E64", "128", "256", "E256", "512"}) {
        const Settings loaded = loadedFrom("[Emulator]\r\nEPROM = " + std::string(code) + "\r\n");
        EXPECT_EQ(loaded.emulator.epromType, fromUtf8(code));
    }
}

struct WindowCase {
    const char* name;
    std::string_view file;
    std::array<WindowRect, windowCount> expected;
};

// Every case leaves the emulator and memory groups alone.
TEST_F(SettingsFile, ReadsTheWindowGroupTolerantly) {
    const WindowRect zero{};
    // clang-format off
    const WindowCase cases[] = {
        {"missing keys read 0", "[Fenster]\r\nF1W = 640\r\nF3H = 480\r\n",
         {{zero, {0, 0, 640, 0}, zero, {0, 0, 0, 480}}}},
        {"negative and small", "[Fenster]\r\nF0X = -20\r\nF0Y = -1\r\nF0W = 5\r\nF0H = 0\r\n",
         {{{-20, -1, 5, 0}, zero, zero, zero}}},
        {"names in any case", "[fenSTER]\r\nf2x = 12\r\nF2y = 34\r\n",
         {{zero, zero, {12, 34, 0, 0}, zero}}},
        {"numbers stop at other characters",
         "[Fenster]\r\nF0X = 12px\r\nF0Y = +7\r\nF0W = px\r\nF0H = -\r\nF1X = - 4\r\nF1Y = 3.9\r\n",
         {{{12, 7, 0, 0}, {0, 3, 0, 0}, zero, zero}}},
        {"low 32 bits", "[Fenster]\r\nF0X = 4294967295\r\nF0Y = 2147483648\r\nF0W = 4294967296\r\n",
         {{{-1, -2147483647 - 1, 0, 0}, zero, zero, zero}}},
        {"first group wins", "[Fenster]\r\nF0X = 1\r\n[Fenster]\r\nF0X = 2\r\nF0Y = 3\r\n",
         {{{1, 0, 0, 0}, zero, zero, zero}}},
        {"group missing", "[Speicher]\r\nWert = 0\r\n", distinctive().windowRects},
    };
    // clang-format on
    for (const WindowCase& c : cases) {
        Settings expected = distinctive();
        expected.windowRects = c.expected;
        EXPECT_EQ(loadedFrom(c.file), expected) << c.name;
    }
}

struct FillByteCase {
    std::string_view value;
    std::uint8_t initial;
    std::uint8_t expected;
};

// Only a value of 255 sets FFH; any other value leaves the fill byte as it was.
TEST_F(SettingsFile, ReadsTheMemoryGroupTolerantly) {
    // clang-format off
    const FillByteCase cases[] = {
        {"Wert = 255", 0x00, 0xFF}, {"Wert = $FF", 0x00, 0xFF}, {"Wert = $ff", 0x00, 0xFF},
        {"Wert = %11111111", 0x00, 0xFF}, {"Wert =\t 255 \t", 0x00, 0xFF},
        {"Wert = 255 Bytes", 0x00, 0xFF}, {"WERT = 255", 0x00, 0xFF},
        {"Wert = %11111111 2", 0x00, 0xFF}, {"Wert = 1", 0x00, 0x00}, {"Wert = 0", 0xFF, 0xFF},
        {"Wert = $FE", 0x00, 0x00}, {"Wert = %1111111", 0x00, 0x00}, {"Wert = $", 0x00, 0x00},
        {"Wert = -255", 0x00, 0x00}, {"", 0x00, 0x00}, {"", 0xFF, 0xFF},
    };
    // clang-format on
    for (const FillByteCase& c : cases) {
        Settings initial = distinctive();
        initial.fillByte = c.initial;
        Settings expected = initial;
        expected.fillByte = c.expected;
        EXPECT_EQ(loadedFrom("[speicher]\r\n" + std::string(c.value) + "\r\n", initial), expected)
            << c.value;
    }
    Settings initial = distinctive();
    initial.fillByte = 0x00;
    EXPECT_EQ(loadedFrom("[Emulator]\r\nWert = 255\r\n[Speicher]\r\n", initial).fillByte, 0x00);
}

// --- File location and reader --------------------------------------------------

TEST_F(SettingsFile, PathFollowsCurrentDirectoryAtEachCall) {
    const fs::path previous = fs::current_path();
    fs::create_directory(directory() / "other");
    for (const fs::path& place :
         {fs::canonical(directory()), fs::canonical(directory() / "other")}) {
        fs::current_path(place);
        EXPECT_EQ(settingsFilePath(), place / "tovi.ini");
    }
    fs::current_path(previous);
}

TEST(SettingsIniReader, KeepsGroupsAndEntriesInFileOrder) {
    const auto document = IniDocument::fromText(u"[A]\nk = 1\nk = 2\n[B] x\n key\t=\n[a]\nm=3");
    ASSERT_EQ(document.groups().size(), 3u);
    EXPECT_EQ(document.groups()[1].name, u"B");
    EXPECT_EQ(document.groups()[2].name, u"a");
    ASSERT_EQ(document.groups()[0].entries.size(), 2u);
    EXPECT_EQ(document.groups()[0].entries[1].second, u"2");
    ASSERT_EQ(document.groups()[1].entries.size(), 1u);
    EXPECT_EQ(document.groups()[1].entries[0],
              (std::pair<std::u16string, std::u16string>{u"key", u""}));
    EXPECT_EQ(document.group(u"a"), &document.groups()[0]);
    EXPECT_EQ(document.group(u"c"), nullptr);
}

TEST(SettingsIniReader, ReadsNumbers) {
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"42", 42},
        {u"-42", -42},
        {u"+42", 42},
        {u"007", 7},
        {u"", 0},
        {u"-", 0},
        {u"x12", 0},
        {u"12x3", 12},
        {u" 12", 0},
        {u"--1", 0},
        {u"1-1", 1},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"4294967295", -1},
        {u"4294967296", 0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(readIniNumber(text), expected) << toUtf8(text);
    }
}

} // namespace
} // namespace tovi
