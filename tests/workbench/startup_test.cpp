// The settings file at the first start, at the next start and at the orderly
// end: the windows' places and sizes and the fill choice.

#include <climits>

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// A child window's place and the size of its inside, as the settings keep them.
WindowRect innerRect(const QMdiSubWindow* window) {
    return {window->x(), window->y(), window->widget()->width(), window->widget()->height()};
}

Settings builtInLayout() {
    Settings settings;
    setDefaultWindowRects(settings);
    return settings;
}

using StartupTest = WorkbenchTest;

TEST_F(StartupTest, FirstStartWritesTheBuiltInLayoutBeforeTheWindowShows) {
    Workbench workbench(*this);
    EXPECT_FALSE(workbench.mainWindow().isVisible());
    EXPECT_EQ(fileBytes("tovi.ini"), settingsFileContent(builtInLayout()));
}

// tovi.ini: the built-in layout with window n at `stored`, padded to `size` bytes (0: a folder).
// Window n opens as stored where the file is read and the rectangle usable, fitted to the screen,
// else as built in; the main window is centred. Moves, sizes and the fill choice come back after
// the orderly end where the file can be read; one that cannot is never written.
struct FileRow {
    const char* name;
    int n;
    WindowRect stored;
    bool usable;
    std::size_t size;
    bool read;
};

using SettingsFileTest = TableTest<FileRow>;

TEST_P(SettingsFileTest, WindowsOpenAsStoredAndComeBackAfterTheOrderlyEnd) {
    const auto [name, n, stored, usable, size, read] = GetParam();
    const Settings builtIn = builtInLayout();
    Settings settings = builtIn;
    settings.windowRects.at(static_cast<std::size_t>(n)) = stored;
    std::string content = settingsFileContent(settings);
    content.resize(size, '\n');
    if (size == 0) {
        ASSERT_TRUE(QDir().mkdir("tovi.ini"));
    } else {
        writeFile("tovi.ini", content);
    }
    const std::string before = fileBytes("tovi.ini");
    MainWindow& main = start();
    EXPECT_EQ(fileBytes("tovi.ini"), before) << "not written at start";
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const WindowRect expected =
        read && usable ? stored : builtIn.windowRects.at(static_cast<std::size_t>(n));
    QWidget* inside = n == mainWindow ? &main : childWindow(n)->widget();
    EXPECT_EQ(inside->size(), QSize(std::min(expected.width, screen.width()),
                                    std::min(expected.height, screen.height())));
    if (n == mainWindow) {
        EXPECT_LE((QRect(main.pos(), main.size()).center() - screen.center()).manhattanLength(), 1);
    } else if (expected.x > screen.width()) { // brought back into sight
        EXPECT_TRUE(QRect({}, screen.size()).intersects(childWindow(n)->geometry()));
    } else {
        EXPECT_EQ(childWindow(n)->pos(), QPoint(expected.x, expected.y));
    }

    std::array<WindowRect, windowCount> left = builtIn.windowRects;
    for (int k = 1; k <= 3; ++k) {
        QMdiSubWindow* child = childWindow(k);
        child->move(200 * k, 5 + 30 * k);
        child->resize(300 + 20 * k, 150 + 10 * k);
        EXPECT_EQ(child->widget()->geometry(), child->contentsRect()) << k;
        EXPECT_EQ(main.settings().windowRects.at(static_cast<std::size_t>(k)), innerRect(child));
        if (read) {
            left.at(static_cast<std::size_t>(k)) = innerRect(child);
        }
    }
    main.resize(700, 500); // the workspace scrolls to a window out of sight
    auto* scrollBar = child<QMdiArea>("workspace")->horizontalScrollBar();
    EXPECT_TRUE(QTest::qWaitFor([&] { return scrollBar->isVisible(); }));
    run("FillFF");
    run("Restart");
    EXPECT_EQ(fileBytes("tovi.ini") == before, !read);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(innerRect(childWindow(k)), left.at(static_cast<std::size_t>(k))) << k;
    }
    const WindowRect mainLeft = read ? WindowRect{0, 0, 700, 500} : builtIn.windowRects[mainWindow];
    EXPECT_EQ(window().size(), QSize(mainLeft.width, mainLeft.height));
    EXPECT_EQ(child<QAction>("FillFF")->isChecked(), read);
    run("Fill00");
    EXPECT_TRUE(child<QAction>("Fill00")->isChecked() && !child<QAction>("FillFF")->isChecked());
    EXPECT_EQ(window().settings().fillByte, 0x00);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, SettingsFileTest, ::testing::Values(
    FileRow{"Main",            mainWindow,   {7, 9, 640, 480},         true,  1000,          true},
    FileRow{"MainTooLow",      mainWindow,   {7, 9, 640, 49},          false, 1000,          true},
    FileRow{"MainHuge",        mainWindow,   {0, 0, INT_MAX, INT_MAX}, true,  1000,          true},
    FileRow{"StatusSmallest",  statusWindow, {10, 10, 100, 50},        true,  1000,          true},
    FileRow{"StatusTooNarrow", statusWindow, {10, 10, 99, 200},        false, 1000,          true},
    FileRow{"StatusTooLow",    statusWindow, {10, 10, 200, 49},        false, 1000,          true},
    FileRow{"StatusHuge",      statusWindow, {0, 0, INT_MAX, INT_MAX}, true,  1000,          true},
    FileRow{"StatusFarAway",   statusWindow, {5000, -5000, 200, 100},  true,  1000,          true},
    FileRow{"OneMebibyte",     statusWindow, {20, 30, 300, 200},       true,  1 << 20,       true},
    FileRow{"Larger",          statusWindow, {20, 30, 300, 200},       true,  (1 << 20) + 1, false},
    FileRow{"Folder",          statusWindow, {20, 30, 300, 200},       true,  0,             false}),
    byName);
// clang-format on

} // namespace
} // namespace tovi::test
