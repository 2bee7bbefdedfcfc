// Start-up and the orderly end: the settings file before the window shows,
// the main window's size and place, the state restored after a restart.

#include <QGuiApplication>
#include <QScreen>

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// The file a first start writes: the built-in layout, empty emulator values.
const std::string firstStartFile = "\xEF\xBB\xBF\r\n"
                                   "[Fenster]\r\n"
                                   "F0X = 0\r\nF0Y = 0\r\nF0W = 800\r\nF0H = 600\r\n"
                                   "F1X = 0\r\nF1Y = 0\r\nF1W = 500\r\nF1H = 300\r\n"
                                   "F2X = 0\r\nF2Y = 400\r\nF2W = 500\r\nF2H = 100\r\n"
                                   "F3X = 550\r\nF3Y = 0\r\nF3W = 200\r\nF3H = 500\r\n"
                                   "[Emulator]\r\n"
                                   "COM = \r\nEPROM = \r\nSPI = 0\r\nAUTO = 0\r\n"
                                   "[Speicher]\r\n"
                                   "Wert = 0\r\n";

QPoint centredOnScreen(QSize size) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return screen.topLeft() + QPoint(std::max(0, (screen.width() - size.width()) / 2),
                                     std::max(0, (screen.height() - size.height()) / 2));
}

class StartupTest : public WorkbenchTest {};

TEST_F(StartupTest, FirstStartWritesTheSettingsFileBeforeTheWindowShows) {
    Workbench workbench(dialogs);
    EXPECT_FALSE(workbench.mainWindow().isVisible());
    EXPECT_EQ(fileBytes(pathOf("tovi.ini")), firstStartFile);
}

TEST_F(StartupTest, ExistingSettingsFileIsReadNotRewrittenAtStart) {
    const std::string handEdited = "[emulator]\ncom=COM7\n";
    writeFile("tovi.ini", handEdited);
    Workbench workbench(dialogs);
    EXPECT_EQ(workbench.settings().emulator.comPort, u"COM7");
    EXPECT_EQ(fileBytes(pathOf("tovi.ini")), handEdited);
}

// A stored main window size; `beyondScreen` adds it to the screen's size.
struct PlacementRow {
    const char* name;
    QSize stored;
    bool beyondScreen;
    QSize opened;
};

class MainWindowPlacementTest : public WorkbenchTest,
                                public ::testing::WithParamInterface<PlacementRow> {};

TEST_P(MainWindowPlacementTest, MainWindowIsCentredWithItsStoredSize) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize stored = GetParam().beyondScreen ? GetParam().stored + screen : GetParam().stored;
    storeSettings([&](Settings& settings) {
        settings.windowRects[mainWindow] = {7, 9, stored.width(), stored.height()};
    });
    const QSize opened = GetParam().opened.isValid() ? GetParam().opened : stored;
    MainWindow& window = start();
    EXPECT_EQ(window.size(), opened);
    EXPECT_EQ(window.pos(), centredOnScreen(opened));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, MainWindowPlacementTest,
    ::testing::Values(PlacementRow{"Stored", {640, 480}, false, {}},
                      PlacementRow{"LargerThanTheScreen", {100, 100}, true, {}},
                      PlacementRow{"UnusablySmall", {640, 49}, false, {800, 600}}),
    byName);

TEST_F(StartupTest, RestartRestoresWhatTheOrderlyEndWrote) {
    start();
    std::array<WindowRect, 4> left{};
    for (int n = 1; n <= 3; ++n) {
        childWindow(n)->move(10 + 50 * n, 5 + 30 * n);
        childWindow(n)->resize(250 + 10 * n, 150 + 20 * n);
        left[static_cast<std::size_t>(n)] = innerRect(childWindow(n));
    }
    window().resize(700, 500);
    trigger("FillFF");
    MainWindow& again = restart();
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(innerRect(childWindow(n)), left[static_cast<std::size_t>(n)]) << n;
    }
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_EQ(again.pos(), centredOnScreen({700, 500}));
    EXPECT_TRUE(commandAction("FillFF")->isChecked());
    Settings written;
    loadSettings(written, pathOf("tovi.ini").toStdString());
    EXPECT_EQ(written.fillByte, 0xFF);
    EXPECT_EQ(written.windowRects[statusWindow], left[statusWindow]);
}

} // namespace
} // namespace tovi::test
