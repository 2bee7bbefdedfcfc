// Start-up and the orderly end: the settings file before the window shows,
// the main window's size and place, the file written at the end.

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

TEST_F(StartupTest, MainWindowIsCentredWithItsStoredSize) {
    Settings stored;
    setDefaultWindowRects(stored);
    stored.windowRects[mainWindow] = {7, 9, 640, 480};
    writeFile("tovi.ini", settingsFileContent(stored));
    MainWindow& window = start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window.size(), QSize(640, 480));
    EXPECT_EQ(window.pos(),
              screen.topLeft() + QPoint((screen.width() - 640) / 2, (screen.height() - 480) / 2));
}

TEST_F(StartupTest, WindowLargerThanTheScreenStartsAtItsTopLeftCorner) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Settings stored;
    setDefaultWindowRects(stored);
    stored.windowRects[mainWindow] = {0, 0, screen.width() + 100, screen.height() + 100};
    writeFile("tovi.ini", settingsFileContent(stored));
    EXPECT_EQ(start().pos(), screen.topLeft());
}

TEST_F(StartupTest, OrderlyEndWritesTheStateOfThatMoment) {
    start();
    commandAction("FillFF")->trigger();
    childWindow(2)->move(33, 44);
    restart();
    Settings written;
    loadSettings(written, pathOf("tovi.ini").toStdString());
    EXPECT_EQ(written.fillByte, 0xFF);
    EXPECT_EQ(written.windowRects[statusWindow].x, 33);
    EXPECT_EQ(written.windowRects[statusWindow].y, 44);
    EXPECT_TRUE(commandAction("FillFF")->isChecked());
}

} // namespace
} // namespace tovi::test
