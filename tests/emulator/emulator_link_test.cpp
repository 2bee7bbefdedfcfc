// The glue the main window calls: F6 through the real serial code while the
// window keeps painting but takes no input, and the dialog writing tovi.ini.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

#include "common/file_io.h"
#include "emulator/emulator_dialog.h"
#include "emulator/emulator_link.h"
#include "fake_emulator.h"

namespace tovi::testing {
namespace {

// Runs the test inside a fresh current directory, as the workbench runs in
// the directory holding tovi.ini.
class InTemporaryDirectory {
public:
    InTemporaryDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(directory_.path()); }
    ~InTemporaryDirectory() { QDir::setCurrent(previous_); }
    InTemporaryDirectory(const InTemporaryDirectory&) = delete;
    InTemporaryDirectory& operator=(const InTemporaryDirectory&) = delete;

    QString filePath(const QString& name) const { return directory_.filePath(name); }

private:
    QTemporaryDir directory_;
    QString previous_;
};

class EmulatorLinkTest : public ::testing::Test {
protected:
    EmulatorLinkTest() {
        settings_.emulator = {u"COM7", u"64", 0, 0};
        setDefaultWindowRects(settings_);
        auto* button = new QPushButton("Knopf");
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks_; });
        window_.setCentralWidget(button);
        auto* action = new QAction("EPROM Emulator", &window_);
        action->setShortcut(Qt::Key_F6);
        QObject::connect(action, &QAction::triggered, [this] { ++shortcuts_; });
        window_.addAction(action);
        window_.resize(400, 300);
        window_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    EmulatorLink makeLink(FakeEmulator& emulator) {
        return EmulatorLink(
            &window_, settings_, [this](std::u16string_view line) { onStatus(line); }, QIcon(),
            [&emulator] {
                return std::make_unique<SystemSerialPort>(emulator.deviceMap(u"COM7"));
            });
    }

    std::function<void(std::u16string_view)> onStatus = [this](std::u16string_view line) {
        lines_.emplace_back(line);
    };

    // The emulator greets once the port is open, as the real one does.
    void greetWhenOpened(FakeEmulator& emulator) {
        QObject::connect(&greeter_, &QTimer::timeout, [this, &emulator] {
            if (lines_.size() == 1) {
                emulator.greet();
                greeter_.stop();
            }
        });
        greeter_.start(20);
    }

    QString writeImage(const InTemporaryDirectory& directory, std::size_t size) {
        const QString path = directory.filePath("image.bin");
        std::ofstream(path.toStdString(), std::ios::binary) << std::string(size, '\x5A');
        return path;
    }

    QMainWindow window_;
    QTimer greeter_;
    Settings settings_;
    std::vector<std::u16string> lines_;
    int clicks_ = 0;
    int shortcuts_ = 0;
};

TEST_F(EmulatorLinkTest, UploadShowsEachLineAndAProgressBarWhileItRuns) {
    InTemporaryDirectory directory;
    FakeEmulator emulator;
    std::vector<int> progressSeen;
    onStatus = [&](std::u16string_view line) {
        lines_.emplace_back(line);
        if (const auto* bar = window_.statusBar()->findChild<QProgressBar*>()) {
            progressSeen.push_back(bar->isVisible() ? bar->value() : -1);
        }
    };
    greetWhenOpened(emulator);
    makeLink(emulator).upload(writeImage(directory, 200));

    ASSERT_EQ(lines_.size(), 10u);
    EXPECT_EQ(lines_.front(), u"COM7 geöffnet, warte auf Eprom Emulator ...");
    EXPECT_EQ(lines_[1], u"bereit ok");
    EXPECT_EQ(lines_[5], u"SBN 0 ok");
    EXPECT_EQ(lines_[6], u"SBN 128 ok");
    EXPECT_EQ(lines_.back(), u"COM7 geschlossen");
    // Lines 5 and 6 answer blocks 1 and 2; the bar showed them as sent.
    ASSERT_EQ(progressSeen.size(), lines_.size());
    EXPECT_EQ(progressSeen[5], 1);
    EXPECT_EQ(progressSeen[6], 2);
    EXPECT_EQ(window_.statusBar()->findChild<QProgressBar*>(), nullptr) << "gone afterwards";
}

TEST_F(EmulatorLinkTest, WindowTakesNoInputDuringTheUploadButKeepsRunning) {
    InTemporaryDirectory directory;
    FakeEmulator emulator;
    greetWhenOpened(emulator);
    auto* button = qobject_cast<QPushButton*>(window_.centralWidget());
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
    auto link = makeLink(emulator);
    bool uploading = false;
    QTimer::singleShot(0, [&] { uploading = link.isUploading(); });
    link.upload(writeImage(directory, 129));
    poker.stop();

    EXPECT_TRUE(uploading);
    EXPECT_GT(ticks, 5) << "timers run during the upload";
    EXPECT_EQ(clicks_, 0);
    EXPECT_EQ(shortcuts_, 0);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(lines_.back(), u"COM7 geschlossen");

    // The same input reaches the window once the upload is over.
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(&window_, Qt::Key_F6);
    EXPECT_EQ(clicks_, 1);
    EXPECT_EQ(shortcuts_, 1);
}

TEST_F(EmulatorLinkTest, RefusedFileLeavesNoProgressBar) {
    InTemporaryDirectory directory;
    FakeEmulator emulator;
    makeLink(emulator).upload(directory.filePath("missing.bin"));
    EXPECT_EQ(lines_,
              std::vector<std::u16string>{directory.filePath("missing.bin").toStdU16String() +
                                          u" - Datei nicht gefunden"});
    EXPECT_EQ(window_.statusBar()->findChild<QProgressBar*>(), nullptr);
}

// Presses a button of the dialog once it runs modally.
void pressInDialog(const char* buttonName, bool& dialogSeen) {
    QTimer::singleShot(0, [buttonName, &dialogSeen] {
        auto* dialog = qobject_cast<EmulatorDialog*>(QApplication::activeModalWidget());
        dialogSeen = dialog != nullptr;
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(dialog->findChild<QPushButton*>(buttonName), Qt::LeftButton);
    });
}

TEST_F(EmulatorLinkTest, SpeichernWritesTovIniInTheCurrentDirectory) {
    InTemporaryDirectory directory;
    FakeEmulator emulator;
    settings_.emulator = {u"COM9", u"E64", 1, 1};
    bool dialogSeen = false;
    pressInDialog("saveButton", dialogSeen);
    makeLink(emulator).openSettingsDialog();
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(settings_.emulator, (EmulatorSettings{u"COM7", u"E64", 1, 1}));
    EXPECT_EQ(readFileBytes(directory.filePath("tovi.ini").toStdString()),
              settingsFileContent(settings_));
}

TEST_F(EmulatorLinkTest, AbbrechenWritesNothing) {
    InTemporaryDirectory directory;
    FakeEmulator emulator;
    const Settings before = settings_;
    bool dialogSeen = false;
    pressInDialog("cancelButton", dialogSeen);
    makeLink(emulator).openSettingsDialog();
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(settings_, before);
    EXPECT_FALSE(QFile::exists(directory.filePath("tovi.ini")));
}

} // namespace
} // namespace tovi::testing
