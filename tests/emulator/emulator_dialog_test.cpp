// The "EPROM Emulator" dialog: its layout, the probed port list, the EPROM
// rows and what "Speichern" and "Abbrechen" do to the settings.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "common/file_io.h"
#include "emulator/emulator_dialog.h"
#include "fake_emulator.h"
#include "recording_port.h"

namespace tovi::testing {
namespace {

// COM3 and COM7 are present (two pseudo-terminals); every other name is absent.
class TwoPorts {
public:
    PortDeviceMap deviceMap() const {
        return [this](std::u16string_view name) -> std::optional<std::string> {
            if (name == u"COM3") {
                return com3_.devicePath();
            }
            if (name == u"COM7") {
                return com7_.devicePath();
            }
            return std::nullopt;
        };
    }
    std::string com3Path() const { return com3_.devicePath(); }
    std::string com7Path() const { return com7_.devicePath(); }

private:
    PseudoTerminal com3_;
    PseudoTerminal com7_;
};

class EmulatorDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<EmulatorDialog> makeDialog(EmulatorSettings& settings) {
        return std::make_unique<EmulatorDialog>(
            &window_, settings, port_, [this] { ++saves_; }, icon_);
    }

    template <typename T>
    static T* control(const EmulatorDialog& dialog, const char* name) {
        auto* widget = dialog.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QStringList comboTexts(const QComboBox& combo) {
        QStringList texts;
        for (int row = 0; row < combo.count(); ++row) {
            texts << combo.itemText(row);
        }
        return texts;
    }

    QMainWindow window_;
    TwoPorts ports_;
    RecordingPort port_{ports_.deviceMap()};
    QIcon icon_{QPixmap(16, 16)};
    int saves_ = 0;
};

// Layout ----------------------------------------------------------------------

struct Placement {
    const char* objectName;
    QRect geometry;
    const char* text; // nullptr: the control shows no fixed text
};

TEST_F(EmulatorDialogTest, PlacesEveryControlWithItsText) {
    EmulatorSettings settings{u"COM7", u"64", 0, 0};
    const auto dialog = makeDialog(settings);
    const std::vector<Placement> placements{
        {"upperFrame", {5, 5, 180, 80}, nullptr},
        {"lowerFrame", {5, 90, 180, 65}, nullptr},
        {"portLabel", {20, 25, 50, 20}, "COM:"},
        {"typeLabel", {20, 55, 50, 20}, "EPROM:"},
        {"comCombo", {100, 22, 60, 20}, nullptr},
        {"epromCombo", {100, 52, 60, 20}, nullptr},
        {"spiBox", {20, 100, 150, 25}, "Sicherung auf SPI"},
        {"autoLoadBox", {20, 120, 150, 25}, "Automatsiches Laden"},
        {"cancelButton", {5, 170, 80, 25}, "Abbrechen"},
        {"saveButton", {105, 170, 80, 25}, "Speichern"},
    };
    for (const Placement& placement : placements) {
        auto* widget = control<QWidget>(*dialog, placement.objectName);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), placement.geometry) << placement.objectName;
        if (!placement.text) {
            continue;
        }
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
        }
        EXPECT_EQ(text, QString::fromUtf8(placement.text)) << placement.objectName;
    }
    const auto* frame = control<QFrame>(*dialog, "upperFrame");
    EXPECT_EQ(frame->frameShadow(), QFrame::Sunken);
}

TEST_F(EmulatorDialogTest, IsASmallFixedModalWindowWithTheEmulatorIcon) {
    EmulatorSettings settings;
    const auto dialog = makeDialog(settings);
    EXPECT_EQ(dialog->windowTitle(), "EPROM Emulator");
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->size(), QSize(190, 200));
    EXPECT_EQ(dialog->minimumSize(), QSize(190, 200));
    EXPECT_EQ(dialog->maximumSize(), QSize(190, 200));
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog->windowIcon().cacheKey(), icon_.cacheKey());
}

TEST_F(EmulatorDialogTest, OpensCentredOnTheMainWindowWithFocusOnAbbrechen) {
    window_.setGeometry(100, 80, 800, 600);
    window_.show();
    EmulatorSettings settings;
    const auto dialog = makeDialog(settings);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    const QPoint offset = dialog->geometry().center() - window_.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    EXPECT_EQ(dialog->focusWidget(), control<QPushButton>(*dialog, "cancelButton"));
}

// The port list --------------------------------------------------------------

TEST_F(EmulatorDialogTest, ProbesComOneToFiftyInOrderWithSmallQueues) {
    EmulatorSettings settings{u"COM7", u"64", 0, 0};
    const auto dialog = makeDialog(settings);
    ASSERT_EQ(port_.attempts.size(), 50u);
    for (int number = 1; number <= 50; ++number) {
        const OpenAttempt& attempt = port_.attempts[static_cast<std::size_t>(number - 1)];
        EXPECT_EQ(attempt.portName, comPortName(number));
        EXPECT_EQ(attempt.queues.input, 1024);
        EXPECT_EQ(attempt.queues.output, 1024);
        EXPECT_EQ(attempt.line.baudRate, 115200);
        EXPECT_EQ(attempt.line.dataBits, 8);
        EXPECT_EQ(attempt.line.parity, Parity::None);
        EXPECT_EQ(attempt.line.stopBits, StopBits::One);
        EXPECT_EQ(attempt.line.handshake, Handshake::None);
    }
    EXPECT_FALSE(port_.isOpen) << "every probed port is closed again";
    const auto* combo = control<QComboBox>(*dialog, "comCombo");
    EXPECT_EQ(comboTexts(*combo), (QStringList{"COM3", "COM7"}));
    EXPECT_EQ(combo->itemData(0, Qt::ToolTipRole).toString().toStdString(), ports_.com3Path());
    EXPECT_EQ(combo->itemData(1, Qt::ToolTipRole).toString().toStdString(), ports_.com7Path());
    EXPECT_FALSE(combo->isEditable());
}

TEST_F(EmulatorDialogTest, PortHeldElsewhereIsNotListed) {
    SystemSerialPort holder(ports_.deviceMap());
    ASSERT_TRUE(holder.open(u"COM3", emulatorLine, uploadQueues));
    EmulatorSettings settings{u"COM3", u"64", 0, 0};
    const auto dialog = makeDialog(settings);
    const auto* combo = control<QComboBox>(*dialog, "comCombo");
    EXPECT_EQ(comboTexts(*combo), QStringList{"COM7"});
    EXPECT_EQ(combo->currentText(), "COM7");
}

struct PortSelection {
    std::u16string stored;
    int row;
};

class SelectsStoredPort : public EmulatorDialogTest,
                          public ::testing::WithParamInterface<PortSelection> {};

TEST_P(SelectsStoredPort, OrTheFirstRow) {
    EmulatorSettings settings{GetParam().stored, u"64", 0, 0};
    const auto dialog = makeDialog(settings);
    EXPECT_EQ(control<QComboBox>(*dialog, "comCombo")->currentIndex(), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(Stored, SelectsStoredPort,
                         ::testing::Values(PortSelection{u"COM7", 1}, PortSelection{u"COM3", 0},
                                           PortSelection{u"COM9", 0}, PortSelection{u"com7", 0},
                                           PortSelection{u"COM7 ", 0}, PortSelection{u"", 0}));

TEST_F(EmulatorDialogTest, AbsentStoredPortIsReplacedByTheFirstOnSave) {
    EmulatorSettings settings{u"COM9", u"64", 0, 0};
    const auto dialog = makeDialog(settings);
    QTest::mouseClick(control<QPushButton>(*dialog, "saveButton"), Qt::LeftButton);
    EXPECT_EQ(settings.comPort, u"COM3");
}

TEST(EmulatorDialogWithoutPorts, ShowsNoPortAndKeepsTheStoredOneOnSave) {
    RecordingPort port([](std::u16string_view) { return std::nullopt; });
    EmulatorSettings settings{u"COM9", u"64", 0, 0};
    int saves = 0;
    EmulatorDialog dialog(
        nullptr, settings, port, [&] { ++saves; }, QIcon());
    auto* combo = dialog.findChild<QComboBox*>("comCombo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(combo->currentIndex(), -1);
    dialog.findChild<QCheckBox*>("spiBox")->setChecked(true);
    dialog.findChild<QComboBox*>("epromCombo")->setCurrentIndex(7);
    QTest::mouseClick(dialog.findChild<QPushButton*>("saveButton"), Qt::LeftButton);
    EXPECT_EQ(settings, (EmulatorSettings{u"COM9", u"512", 1, 0}));
    EXPECT_EQ(saves, 1);
}

// The EPROM list --------------------------------------------------------------

TEST_F(EmulatorDialogTest, ListsTheEightEpromRows) {
    EmulatorSettings settings;
    const auto dialog = makeDialog(settings);
    EXPECT_EQ(comboTexts(*control<QComboBox>(*dialog, "epromCombo")),
              (QStringList{"2716           ;16", "2732           ;32", "2764           ;64",
                           "28C64           ;E64", "27128           ;128", "27256           ;256",
                           "28C256           ;E256", "27512           ;512"}));
}

struct TypeSelection {
    std::u16string stored;
    int row;
};

class SelectsStoredType : public EmulatorDialogTest,
                          public ::testing::WithParamInterface<TypeSelection> {};

TEST_P(SelectsStoredType, OrRowZero) {
    EmulatorSettings settings{u"COM7", GetParam().stored, 0, 0};
    const auto dialog = makeDialog(settings);
    EXPECT_EQ(control<QComboBox>(*dialog, "epromCombo")->currentIndex(), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(Codes, SelectsStoredType,
                         ::testing::Values(TypeSelection{u"16", 0}, TypeSelection{u"32", 1},
                                           TypeSelection{u"64", 2}, TypeSelection{u"E64", 3},
                                           TypeSelection{u"128", 4}, TypeSelection{u"256", 5},
                                           TypeSelection{u"E256", 6}, TypeSelection{u"512", 7},
                                           TypeSelection{u"", 0}, TypeSelection{u"e64", 0},
                                           TypeSelection{u"2764", 0}, TypeSelection{u"64 ", 0}));

// The check boxes -------------------------------------------------------------

struct FlagDisplay {
    std::int32_t stored;
    bool ticked;
    std::int32_t saved;
};

class ShowsFlag : public EmulatorDialogTest, public ::testing::WithParamInterface<FlagDisplay> {};

TEST_P(ShowsFlag, TickedOnlyForOneAndSavedAsZeroOrOne) {
    EmulatorSettings settings{u"COM7", u"64", GetParam().stored, GetParam().stored};
    const auto dialog = makeDialog(settings);
    EXPECT_EQ(control<QCheckBox>(*dialog, "spiBox")->isChecked(), GetParam().ticked);
    EXPECT_EQ(control<QCheckBox>(*dialog, "autoLoadBox")->isChecked(), GetParam().ticked);
    QTest::mouseClick(control<QPushButton>(*dialog, "saveButton"), Qt::LeftButton);
    EXPECT_EQ(settings.spiBackup, GetParam().saved);
    EXPECT_EQ(settings.autoLoad, GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(Values, ShowsFlag,
                         ::testing::Values(FlagDisplay{0, false, 0}, FlagDisplay{1, true, 1},
                                           FlagDisplay{2, false, 0}, FlagDisplay{-1, false, 0}));

// Speichern and Abbrechen -----------------------------------------------------

void changeEveryControl(const EmulatorDialog& dialog) {
    dialog.findChild<QComboBox*>("comCombo")->setCurrentIndex(0);
    dialog.findChild<QComboBox*>("epromCombo")->setCurrentIndex(5);
    QTest::mouseClick(dialog.findChild<QCheckBox*>("spiBox"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QCheckBox*>("autoLoadBox"), Qt::LeftButton);
}

TEST_F(EmulatorDialogTest, SpeichernStoresAllFourFieldsAndSaves) {
    EmulatorSettings settings{u"COM7", u"E64", 0, 1};
    const auto dialog = makeDialog(settings);
    changeEveryControl(*dialog);
    EXPECT_EQ(saves_, 0);
    QTest::mouseClick(control<QPushButton>(*dialog, "saveButton"), Qt::LeftButton);
    EXPECT_EQ(settings, (EmulatorSettings{u"COM3", u"256", 1, 0}));
    EXPECT_EQ(saves_, 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(EmulatorDialogTest, SpeichernWritesTheWholeSettingsFile) {
    QTemporaryDir directory;
    const std::filesystem::path file = directory.filePath("tovi.ini").toStdString();
    Settings all;
    setDefaultWindowRects(all);
    all.fillByte = 0xFF;
    all.emulator = {u"COM7", u"64", 0, 0};
    EmulatorDialog dialog(
        &window_, all.emulator, port_, [&] { saveSettings(all, file); }, icon_);
    changeEveryControl(dialog);
    QTest::mouseClick(dialog.findChild<QPushButton*>("saveButton"), Qt::LeftButton);
    EXPECT_EQ(readFileBytes(file), settingsFileContent(all));
    Settings reread;
    loadSettings(reread, file);
    EXPECT_EQ(reread, all);
    EXPECT_EQ(reread.emulator, (EmulatorSettings{u"COM3", u"256", 1, 1}));
}

enum class Dismissal { Abbrechen, CloseBox, Escape };

class DismissingTouchesNothing : public EmulatorDialogTest,
                                 public ::testing::WithParamInterface<Dismissal> {};

TEST_P(DismissingTouchesNothing, AfterEveryControlChanged) {
    const EmulatorSettings before{u"COM7", u"E64", 0, 1};
    EmulatorSettings settings = before;
    const auto dialog = makeDialog(settings);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    changeEveryControl(*dialog);
    switch (GetParam()) {
    case Dismissal::Abbrechen:
        QTest::mouseClick(control<QPushButton>(*dialog, "cancelButton"), Qt::LeftButton);
        break;
    case Dismissal::CloseBox:
        dialog->close();
        break;
    case Dismissal::Escape:
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        break;
    }
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(saves_, 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, DismissingTouchesNothing,
                         ::testing::Values(Dismissal::Abbrechen, Dismissal::CloseBox,
                                           Dismissal::Escape));

} // namespace
} // namespace tovi::testing
