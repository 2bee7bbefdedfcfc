// The "EPROM Emulator" dialog: its layout, the probed port list, the EPROM
// rows and what "Speichern" and "Abbrechen" do to the settings.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <array>
#include <gtest/gtest.h>

#include "common/text.h"
#include <memory>

#include "emulator/emulator_dialog.h"
#include "fake_emulator.h"

namespace tovi::testing {
namespace {

struct OpenAttempt {
    std::u16string portName;
    LineSettings line;
    QueueSizes queues;
};

// A real serial port that notes every open attempt.
class RecordingPort : public SerialPort {
public:
    explicit RecordingPort(PortDeviceMap deviceMap) : port_(std::move(deviceMap)) {}

    bool open(std::u16string_view name, const LineSettings& line,
              const QueueSizes& queues) override {
        attempts.push_back({std::u16string(name), line, queues});
        return port_.open(name, line, queues);
    }
    std::size_t bytesWaiting() override { return port_.bytesWaiting(); }
    std::size_t read(std::span<std::uint8_t> buffer) override { return port_.read(buffer); }
    void writeText(std::u16string_view text) override { port_.writeText(text); }
    void writeBytes(std::span<const std::uint8_t> bytes) override { port_.writeBytes(bytes); }
    void close() override { port_.close(); }
    std::optional<std::string> devicePath(std::u16string_view name) const override {
        return port_.devicePath(name);
    }

    std::vector<OpenAttempt> attempts;

private:
    SystemSerialPort port_;
};

QStringList comboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int row = 0; row < combo->count(); ++row) {
        texts << combo->itemText(row);
    }
    return texts;
}

// COM3 and COM7 are present (two emulators) unless `unplugged_`;
// every other name is absent.
class EmulatorDialogTest : public ::testing::Test {
protected:
    PortDeviceMap twoPorts() const {
        return [this](std::u16string_view name) -> std::optional<std::string> {
            if (unplugged_ || (name != u"COM3" && name != u"COM7")) {
                return std::nullopt;
            }
            return (name == u"COM3" ? com3_ : com7_).devicePath();
        };
    }

    EmulatorDialog& makeDialog(EmulatorSettings settings) {
        settings_ = std::move(settings);
        dialog_ = std::make_unique<EmulatorDialog>(
            &window_, settings_, port_, [this] { ++saves_; }, icon_);
        return *dialog_;
    }

    template <typename T>
    T* control(const char* name) const {
        auto* widget = dialog_->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void click(const char* name) const {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
    }

    FakeEmulator com3_;
    FakeEmulator com7_;
    bool unplugged_ = false;
    QMainWindow window_;
    RecordingPort port_{twoPorts()};
    QIcon icon_{QPixmap(16, 16)};
    EmulatorSettings settings_;
    std::unique_ptr<EmulatorDialog> dialog_;
    int saves_ = 0;
};

TEST_F(EmulatorDialogTest, IsASmallFixedModalWindowCentredOnTheMainWindow) {
    window_.setGeometry(100, 80, 800, 600);
    window_.show();
    EmulatorDialog& dialog = makeDialog({u"COM7", u"64", 0, 0});
    struct Placement {
        const char* objectName;
        QRect geometry;
        QString text; // empty: the control shows no fixed text
    };
    const std::vector<Placement> placements{
        {"upperFrame", {5, 5, 180, 80}, {}},
        {"lowerFrame", {5, 90, 180, 65}, {}},
        {"portLabel", {20, 25, 50, 20}, "COM:"},
        {"typeLabel", {20, 55, 50, 20}, "EPROM:"},
        {"comCombo", {100, 22, 60, 20}, {}},
        {"epromCombo", {100, 52, 60, 20}, {}},
        {"spiBox", {20, 100, 150, 25}, "Sicherung auf SPI"},
        {"autoLoadBox", {20, 120, 150, 25}, "Automatsiches Laden"},
        {"cancelButton", {5, 170, 80, 25}, "Abbrechen"},
        {"saveButton", {105, 170, 80, 25}, "Speichern"},
    };
    for (const Placement& placement : placements) {
        auto* widget = control<QWidget>(placement.objectName);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), placement.geometry) << placement.objectName;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), placement.text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(button->text(), placement.text);
        }
    }
    EXPECT_EQ(control<QFrame>("upperFrame")->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(dialog.windowTitle(), "EPROM Emulator");
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.minimumSize(), QSize(190, 200));
    EXPECT_EQ(dialog.maximumSize(), QSize(190, 200));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.windowIcon().cacheKey(), icon_.cacheKey());

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QPoint offset = dialog.geometry().center() - window_.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    EXPECT_EQ(dialog.focusWidget(), control<QPushButton>("cancelButton"));
}

TEST_F(EmulatorDialogTest, ProbesComOneToFiftyInOrderAndListsThePresentOnes) {
    makeDialog({u"COM7", u"64", 0, 0});
    ASSERT_EQ(port_.attempts.size(), 50u);
    for (std::size_t i = 0; i < 50; ++i) {
        const OpenAttempt& attempt = port_.attempts[i];
        EXPECT_EQ(QString::fromStdU16String(attempt.portName), QString("COM%1").arg(i + 1));
        EXPECT_EQ(
            std::tie(attempt.line.baudRate, attempt.line.dataBits, attempt.line.parity,
                     attempt.line.stopBits, attempt.line.handshake, attempt.queues.input,
                     attempt.queues.output),
            std::make_tuple(115200, 8, Parity::None, StopBits::One, Handshake::None, 1024, 1024));
    }
    const auto* combo = control<QComboBox>("comCombo");
    EXPECT_EQ(comboTexts(combo), (QStringList{"COM3", "COM7"}));
    EXPECT_EQ(combo->itemData(0, Qt::ToolTipRole).toString().toStdString(), com3_.devicePath());
    EXPECT_EQ(combo->itemData(1, Qt::ToolTipRole).toString().toStdString(), com7_.devicePath());
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(comboTexts(control<QComboBox>("epromCombo")),
              (QStringList{"2716           ;16", "2732           ;32", "2764           ;64",
                           "28C64           ;E64", "27128           ;128", "27256           ;256",
                           "28C256           ;E256", "27512           ;512"}));
}

// What the dialog shows for stored values and "Speichern" stores unchanged:
// an unknown port or type gives way to the first row, a flag other than 1 is
// shown clear and stored as 0.
struct Stored {
    std::u16string port;
    std::u16string type;
    std::int32_t flag;
    int portRow;
    int typeRow;
};
// Test names and messages show the case, not its bytes.
void PrintTo(const Stored& c, std::ostream* out) {
    *out << tovi::toUtf8(c.port) << "/" << tovi::toUtf8(c.type) << "/" << c.flag;
}

class StoredValues : public EmulatorDialogTest, public ::testing::WithParamInterface<Stored> {};

TEST_P(StoredValues, AreShownAndSavedOrGiveWayToTheFirstRow) {
    const Stored& stored = GetParam();
    makeDialog({stored.port, stored.type, stored.flag, stored.flag});
    EXPECT_EQ(control<QComboBox>("comCombo")->currentIndex(), stored.portRow);
    EXPECT_EQ(control<QComboBox>("epromCombo")->currentIndex(), stored.typeRow);
    EXPECT_EQ(control<QCheckBox>("spiBox")->isChecked(), stored.flag == 1);
    EXPECT_EQ(control<QCheckBox>("autoLoadBox")->isChecked(), stored.flag == 1);
    click("saveButton");
    const std::array<std::u16string, 8> codes{u"16",  u"32",  u"64",   u"E64",
                                              u"128", u"256", u"E256", u"512"};
    const std::int32_t flag = stored.flag == 1 ? 1 : 0;
    EXPECT_EQ(settings_,
              (EmulatorSettings{stored.portRow == 0 ? u"COM3" : u"COM7",
                                codes[static_cast<std::size_t>(stored.typeRow)], flag, flag}));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, StoredValues,
    ::testing::Values(Stored{u"COM7", u"16", 0, 1, 0}, Stored{u"COM3", u"32", 1, 0, 1},
                      Stored{u"COM9", u"64", 2, 0, 2}, Stored{u"com7", u"E64", 1, 0, 3},
                      Stored{u"COM7 ", u"128", 0, 0, 4}, Stored{u"", u"256", 0, 0, 5},
                      Stored{u"COM7", u"E256", 1, 1, 6}, Stored{u"COM7", u"512", 0, 1, 7},
                      Stored{u"COM7", u"", 0, 1, 0}, Stored{u"COM7", u"e64", 0, 1, 0},
                      Stored{u"COM7", u"2764", 0, 1, 0}, Stored{u"COM7", u"64 ", 0, 1, 0}));

TEST_F(EmulatorDialogTest, WithoutPortsShowsNoneAndKeepsTheStoredOneOnSave) {
    unplugged_ = true;
    makeDialog({u"COM9", u"64", 0, 0});
    EXPECT_EQ(control<QComboBox>("comCombo")->count(), 0);
    EXPECT_EQ(control<QComboBox>("comCombo")->currentIndex(), -1);
    click("spiBox");
    control<QComboBox>("epromCombo")->setCurrentIndex(7);
    click("saveButton");
    EXPECT_EQ(settings_, (EmulatorSettings{u"COM9", u"512", 1, 0}));
}

void press(QDialog& dialog, const char* buttonName) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(buttonName), Qt::LeftButton);
}

// Every control changed, then the dialog is left one way or another.
struct Leaving {
    const char* name;
    void (*leave)(QDialog&);
    bool saved;
};
void PrintTo(const Leaving& c, std::ostream* out) {
    *out << c.name;
}

class LeavingTheDialog : public EmulatorDialogTest,
                         public ::testing::WithParamInterface<Leaving> {};

TEST_P(LeavingTheDialog, StoresAllFourFieldsOnlyOnSpeichern) {
    const EmulatorSettings before{u"COM7", u"E64", 0, 1};
    EmulatorDialog& dialog = makeDialog(before);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    control<QComboBox>("comCombo")->setCurrentIndex(0);
    control<QComboBox>("epromCombo")->setCurrentIndex(5);
    click("spiBox");
    click("autoLoadBox");
    GetParam().leave(dialog);
    const bool saved = GetParam().saved;
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), saved ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(settings_, (saved ? EmulatorSettings{u"COM3", u"256", 1, 0} : before));
    EXPECT_EQ(saves_, saved ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeavingTheDialog,
    ::testing::Values(Leaving{"Speichern", [](QDialog& d) { press(d, "saveButton"); }, true},
                      Leaving{"Abbrechen", [](QDialog& d) { press(d, "cancelButton"); }, false},
                      Leaving{"CloseBox", [](QDialog& d) { d.close(); }, false},
                      Leaving{"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovi::testing
