// The glue the main window calls: F6 through the real serial code while the
// window keeps painting but takes no input, and the dialog writing tovi.ini.

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "common/file_io.h"
#include "emulator/emulator_dialog.h"
#include "emulator/emulator_link.h"
#include "fake_emulator.h"
#include "harness.h"

namespace tovi::testing {
namespace {

// The workbench runs in the directory holding tovi.ini: each test runs in a
// fresh one.
class EmulatorLinkTest : public ::testing::Test {
protected:
    EmulatorLinkTest() : previous_(QDir::currentPath()) {
        QDir::setCurrent(directory_.path());
        settings_.emulator = {u"COM7", u"64", 0, 0};
        setDefaultWindowRects(settings_);
        window_.resize(400, 300);
        window_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    ~EmulatorLinkTest() override { QDir::setCurrent(previous_); }

    EmulatorLink makeLink() {
        return EmulatorLink(
            &window_, settings_, [this](std::u16string_view line) { onStatus(line); }, QIcon(),
            [this] { return std::make_unique<SystemSerialPort>(emulator_.deviceMap(u"COM7")); });
    }

    QTemporaryDir directory_;
    QString previous_;
    FakeEmulator emulator_;
    QMainWindow window_;
    Settings settings_;
    std::function<void(std::u16string_view)> onStatus;
};

TEST_F(EmulatorLinkTest, UploadShowsLinesAndProgressAndTakesNoInputWhileTimersRun) {
    int clicks = 0;
    int shortcuts = 0;
    auto* button = new QPushButton("Knopf");
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window_.setCentralWidget(button);
    QObject::connect(new QShortcut(Qt::Key_F6, &window_), &QShortcut::activated,
                     [&] { ++shortcuts; });

    std::vector<std::u16string> lines;
    std::vector<int> progressSeen;
    onStatus = [&](std::u16string_view line) {
        lines.emplace_back(line);
        const auto* bar = window_.statusBar()->findChild<QProgressBar*>();
        progressSeen.push_back(bar && bar->isVisible() ? bar->value() : -1);
        if (lines.size() == 1) {
            emulator_.greet(); // once the port is open, as the real one does
        }
    };
    int ticks = 0;
    bool closed = true;
    QTimer poker;
    QObject::connect(&poker, &QTimer::timeout, [&] {
        ++ticks;
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(&window_, Qt::Key_F6);
        closed = window_.close();
    });
    poker.start(50);
    const auto path =
        writeBinary(directory_.filePath("image.bin").toStdString(), patternBytes(200));
    makeLink().upload(QString::fromStdU16String(path));
    poker.stop();

    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[6], u"SBN 128 ok");
    EXPECT_EQ(lines.back(), u"COM7 geschlossen");
    // The bar appears with the first block and shows the blocks sent.
    EXPECT_EQ(progressSeen, (std::vector<int>{-1, -1, -1, -1, -1, 1, 2, 2, 2, 2}));
    EXPECT_EQ(window_.statusBar()->findChild<QProgressBar*>(), nullptr) << "gone afterwards";
    EXPECT_GT(ticks, 5) << "timers run during the upload";
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(shortcuts, 0);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(window_.isVisible());

    // The same input reaches the window once the upload is over.
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(&window_, Qt::Key_F6);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shortcuts, 1);
}

TEST_F(EmulatorLinkTest, DialogWritesTheWholeToviIniOnlyOnSpeichern) {
    const auto pressInDialog = [this](const char* buttonName) {
        bool dialogSeen = false;
        QTimer::singleShot(0, [buttonName, &dialogSeen] {
            auto* dialog = qobject_cast<EmulatorDialog*>(QApplication::activeModalWidget());
            dialogSeen = dialog != nullptr;
            ASSERT_NE(dialog, nullptr);
            QTest::mouseClick(dialog->findChild<QPushButton*>(buttonName), Qt::LeftButton);
        });
        makeLink().openSettingsDialog();
        EXPECT_TRUE(dialogSeen);
    };
    settings_.emulator = {u"COM9", u"E64", 1, 1};
    settings_.fillByte = 0xFF;
    const Settings before = settings_;
    const std::string ini = directory_.filePath("tovi.ini").toStdString();

    pressInDialog("cancelButton");
    EXPECT_EQ(settings_, before);
    EXPECT_FALSE(std::filesystem::exists(ini));

    pressInDialog("saveButton");
    EXPECT_EQ(settings_.emulator, (EmulatorSettings{u"COM7", u"E64", 1, 1}));
    EXPECT_EQ(readFileBytes(ini), settingsFileContent(settings_));
}

} // namespace
} // namespace tovi::testing
