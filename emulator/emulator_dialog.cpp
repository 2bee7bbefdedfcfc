#include "emulator/emulator_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "common/text.h"
#include "qtshared/qt_text.h"
#include "settings/eprom_types.h"

namespace tovi {
namespace {

constexpr int dialogWidth = 190;
constexpr int dialogHeight = 200;

std::u16string toU16(const QString& text) {
    return text.toStdU16String();
}

// The type code of an EPROM row: after the first ";", up to a second one.
std::u16string_view typeCodeOf(std::u16string_view row) {
    const auto start = row.find(u';');
    if (start == std::u16string_view::npos) {
        return {};
    }
    const std::u16string_view rest = row.substr(start + 1);
    return rest.substr(0, rest.find(u';'));
}

} // namespace

EmulatorDialog::EmulatorDialog(QWidget* mainWindow, EmulatorSettings& settings, SerialPort& prober,
                               std::function<void()> save, const QIcon& icon)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      settings_(settings), prober_(prober), save_(std::move(save)) {
    setWindowTitle(tr("EPROM Emulator"));
    setWindowIcon(icon);
    setFixedSize(dialogWidth, dialogHeight);
    createControls();
    fillComPortList();
    fillEpromTypeList();
    cancelButton_->setFocus();
}

void EmulatorDialog::createControls() {
    auto* upperFrame = new QFrame(this);
    upperFrame->setObjectName("upperFrame");
    upperFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    upperFrame->setGeometry(5, 5, 180, 80);
    auto* lowerFrame = new QFrame(this);
    lowerFrame->setObjectName("lowerFrame");
    lowerFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    lowerFrame->setGeometry(5, 90, 180, 65);

    auto* portLabel = new QLabel(tr("COM:"), this);
    portLabel->setObjectName("portLabel");
    portLabel->setGeometry(20, 25, 50, 20);
    auto* typeLabel = new QLabel(tr("EPROM:"), this);
    typeLabel->setObjectName("typeLabel");
    typeLabel->setGeometry(20, 55, 50, 20);

    comCombo_ = new QComboBox(this);
    comCombo_->setObjectName("comCombo");
    comCombo_->setGeometry(100, 22, 60, 20);
    epromCombo_ = new QComboBox(this);
    epromCombo_->setObjectName("epromCombo");
    epromCombo_->setGeometry(100, 52, 60, 20);

    spiBox_ = new QCheckBox(tr("Sicherung auf SPI"), this);
    spiBox_->setObjectName("spiBox");
    spiBox_->setGeometry(20, 100, 150, 25);
    spiBox_->setChecked(settings_.spiBackup == 1);
    autoLoadBox_ = new QCheckBox(tr("Automatsiches Laden"), this);
    autoLoadBox_->setObjectName("autoLoadBox");
    autoLoadBox_->setGeometry(20, 120, 150, 25);
    autoLoadBox_->setChecked(settings_.autoLoad == 1);

    cancelButton_ = new QPushButton(tr("Abbrechen"), this);
    cancelButton_->setObjectName("cancelButton");
    cancelButton_->setGeometry(5, 170, 80, 25);
    saveButton_ = new QPushButton(tr("Speichern"), this);
    saveButton_->setObjectName("saveButton");
    saveButton_->setGeometry(105, 170, 80, 25);

    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(saveButton_, &QPushButton::clicked, this, &EmulatorDialog::saveChoices);
}

// Lists the ports that open now, in ascending order, and selects the stored one.
void EmulatorDialog::fillComPortList() {
    const std::u16string_view current = effectiveComPort(settings_);
    int currentRow = 0;
    for (const std::u16string& name : openablePorts(prober_)) {
        if (name == current) {
            currentRow = comCombo_->count();
        }
        comCombo_->addItem(toQString(name));
        const auto device = prober_.devicePath(name);
        comCombo_->setItemData(comCombo_->count() - 1,
                               QString::fromStdString(device.value_or(std::string())),
                               Qt::ToolTipRole);
    }
    if (comCombo_->count() > 0) {
        comCombo_->setCurrentIndex(currentRow);
    }
}

void EmulatorDialog::fillEpromTypeList() {
    const std::u16string_view current = effectiveEpromType(settings_);
    for (const EpromType& type : epromTypes) {
        epromCombo_->addItem(toQString(epromRowText(type)));
        if (type.code == current) {
            epromCombo_->setCurrentIndex(epromCombo_->count() - 1);
        }
    }
}

void EmulatorDialog::saveChoices() {
    const std::u16string port(trimBlanks(toU16(comCombo_->currentText())));
    if (!port.empty()) {
        settings_.comPort = port;
    }
    settings_.epromType = std::u16string(typeCodeOf(toU16(epromCombo_->currentText())));
    settings_.spiBackup = spiBox_->isChecked() ? 1 : 0;
    settings_.autoLoad = autoLoadBox_->isChecked() ? 1 : 0;
    if (save_) {
        save_();
    }
    accept();
}

} // namespace tovi
