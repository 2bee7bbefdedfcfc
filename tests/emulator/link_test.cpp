// What the main window reaches of the emulator link: F6 through the real
// serial code while the window takes no input but Escape, and the settings
// dialog with its probed ports, its preselection and "Speichern".

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "common/file_io.h"
#include "emulator/emulator_dialog.h"
#include "emulator/emulator_link.h"
#include "fake_emulator.h"
#include "support.h"

namespace tovi::test {
namespace {

// Runs in a fresh working directory, where tovi.ini lives; COM3 and COM7 are
// fake emulators, every other port name leads nowhere.
class EmulatorLinkTest : public ::testing::Test {
protected:
    EmulatorLinkTest() : previous_(QDir::currentPath()) {
        QDir::setCurrent(directory_.path());
        settings_ = std::make_unique<PersistentSettings>();
        settings_->values().emulator = {u"COM7", u"64", 0, 0};
        window_.resize(400, 300);
        window_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    ~EmulatorLinkTest() override { QDir::setCurrent(previous_); }

    // Every port the link makes reaches the fake devices and notes each name it opens.
    EmulatorLink makeLink() {
        const PortDeviceMap devices = [this](std::u16string_view name) {
            opened.emplace_back(name);
            return name == u"COM3"   ? std::optional(com3_.devicePath())
                   : name == u"COM7" ? std::optional(com7_.devicePath())
                                     : std::nullopt;
        };
        return EmulatorLink(
            &window_, *settings_, [this](std::u16string_view line) { onStatus(line); }, QIcon(),
            [devices] { return std::make_unique<SystemSerialPort>(devices); });
    }

    // Opens the dialog, lets `act` work on it, then leaves it by `button`.
    void inDialog(const std::function<void(EmulatorDialog&)>& act) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<EmulatorDialog*>(QApplication::activeModalWidget());
            seen = dialog != nullptr;
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
        });
        makeLink().openSettingsDialog();
        EXPECT_TRUE(seen);
    }

    QTemporaryDir directory_;
    QString previous_;
    FakeEmulator com3_{{Answer::Never}};
    FakeEmulator com7_{{Answer::AtOnce}};
    QMainWindow window_;
    std::unique_ptr<PersistentSettings> settings_;
    std::vector<std::u16string> opened;
    std::function<void(std::u16string_view)> onStatus = [](std::u16string_view) {};
};

void press(QWidget& dialog, const char* name) {
    QTest::mouseClick(dialog.findChild<QAbstractButton*>(name), Qt::LeftButton);
}

TEST_F(EmulatorLinkTest, UploadTakesNoInputButShowsProgressAndPaints) {
    int clicks = 0;
    int shortcuts = 0;
    auto* button = new QPushButton("Knopf");
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window_.setCentralWidget(button);
    QObject::connect(new QShortcut(Qt::Key_F6, &window_), &QShortcut::activated,
                     [&] { ++shortcuts; });
    std::vector<std::u16string> lines;
    std::vector<int> progress;
    onStatus = [&](std::u16string_view line) {
        lines.emplace_back(line);
        const auto* bar = window_.statusBar()->findChild<QProgressBar*>("uploadProgress");
        progress.push_back(bar && bar->isVisible() ? bar->value() : -1);
        if (lines.size() == 1) {
            com7_.greet(); // once the port is open, as the real one does
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
    EXPECT_EQ(lines.back(), u"COM7 geschlossen");
    EXPECT_EQ(progress, (std::vector<int>{-1, -1, -1, -1, -1, 1, 2, 2, 2, 2}));
    EXPECT_EQ(window_.statusBar()->findChild<QProgressBar*>(), nullptr);
    EXPECT_GT(ticks, 5);
    EXPECT_EQ(clicks + shortcuts, 0);
    EXPECT_FALSE(closed);
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(&window_, Qt::Key_F6);
    EXPECT_EQ(clicks + shortcuts, 2);
}

TEST_F(EmulatorLinkTest, EscapeCancelsAnUploadToASilentEmulator) {
    settings_->values().emulator.comPort = u"COM3"; // never answers: 7 waits of 3 s
    std::vector<std::u16string> lines;
    onStatus = [&lines](std::u16string_view line) { lines.emplace_back(line); };
    QTimer::singleShot(500, [this] { QTest::keyClick(&window_, Qt::Key_Escape); });
    const auto path = writeBinary(directory_.filePath("image.bin").toStdString(), patternBytes(1));
    makeLink().upload(QString::fromStdU16String(path));
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"COM3 geöffnet, warte auf Eprom Emulator ...",
                                                  u"Übertragung abgebrochen"}));
}

TEST_F(EmulatorLinkTest, DialogListsThePortsThatOpenAndTheEpromTypes) {
    inDialog([this](EmulatorDialog& dialog) {
        const auto* ports = dialog.findChild<QComboBox*>("comCombo");
        ASSERT_EQ(ports->count(), 2);
        EXPECT_EQ(ports->itemText(0), "COM3");
        EXPECT_EQ(ports->itemData(1, Qt::ToolTipRole).toString().toStdString(), com7_.devicePath());
        const auto* types = dialog.findChild<QComboBox*>("epromCombo");
        ASSERT_EQ(types->count(), 8);
        EXPECT_EQ(types->itemText(3), "28C64           ;E64");
        EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QPushButton*>("cancelButton"));
        const QPoint offCentre = dialog.geometry().center() - window_.frameGeometry().center();
        EXPECT_LE(offCentre.manhattanLength(), 2);
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()); // not to be resized
        press(dialog, "cancelButton");
    });
    // Every name is opened once, in order; the listed ones are asked for their device again.
    ASSERT_EQ(opened.size(), 52u);
    for (std::size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(opened[i], u"COM" + decimalText(static_cast<int>(i) + 1));
    }
}

// Stored values are shown and saved as they are; an unknown or absent port or
// type gives way to the first row, and empty ones stand for COM4 and 64; a
// flag other than 1 shows clear and is stored as 0.
TEST_F(EmulatorLinkTest, DialogPreselectsTheStoredValuesAndSavesThemOnSpeichern) {
    const std::tuple<EmulatorSettings, EmulatorSettings> cases[] = {
        {{u"COM7", u"16", 0, 0}, {u"COM7", u"16", 0, 0}},
        {{u"COM3", u"E256", 1, 1}, {u"COM3", u"E256", 1, 1}},
        {{u"COM9", u"512", 2, -1}, {u"COM3", u"512", 0, 0}},
        {{u"com7", u"e64", 1, 0}, {u"COM3", u"16", 1, 0}},
        {{u"", u"", 0, 1}, {u"COM3", u"64", 0, 1}},
    };
    for (const auto& [stored, saved] : cases) {
        settings_->values().emulator = stored;
        inDialog([](EmulatorDialog& dialog) { press(dialog, "saveButton"); });
        EXPECT_EQ(settings_->values().emulator, saved) << toUtf8(stored.comPort + stored.epromType);
        EXPECT_EQ(readFileBytes("tovi.ini"), settingsFileContent(settings_->values()));
    }
}

TEST_F(EmulatorLinkTest, DialogChangesNothingUnlessSaved) {
    const std::function<void(EmulatorDialog&)> leaving[] = {
        [](EmulatorDialog& d) { press(d, "cancelButton"); },
        [](EmulatorDialog& d) { d.close(); },
        [](EmulatorDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](EmulatorDialog& d) { press(d, "saveButton"); },
    };
    const EmulatorSettings before = settings_->values().emulator;
    std::filesystem::remove("tovi.ini");
    for (std::size_t i = 0; i < std::size(leaving); ++i) {
        inDialog([&leave = leaving[i]](EmulatorDialog& dialog) {
            dialog.findChild<QComboBox*>("comCombo")->setCurrentIndex(0);
            dialog.findChild<QComboBox*>("epromCombo")->setCurrentIndex(5);
            press(dialog, "spiBox");
            press(dialog, "autoLoadBox");
            leave(dialog);
        });
        const bool saved = i + 1 == std::size(leaving);
        EXPECT_EQ(settings_->values().emulator,
                  (saved ? EmulatorSettings{u"COM3", u"256", 1, 1} : before));
        EXPECT_EQ(std::filesystem::exists("tovi.ini"), saved);
    }
}

} // namespace
} // namespace tovi::test
