#pragma once
// "EPROM Emulator": chooses the serial port, the EPROM type and the two flags
// the upload sends to the emulator.

#include <QDialog>
#include <QIcon>
#include <array>
#include <functional>
#include <string_view>

#include "emulator/serial_port.h"
#include "settings/settings.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tovi {

// The rows of the EPROM list: part number, blanks, ";" and the type code.
inline constexpr std::array<std::u16string_view, 8> epromTypeRows{
    u"2716           ;16",     u"2732           ;32",   u"2764           ;64",
    u"28C64           ;E64",   u"27128           ;128", u"27256           ;256",
    u"28C256           ;E256", u"27512           ;512",
};

class EmulatorDialog : public QDialog {
    Q_OBJECT

public:
    // `save` runs after "Speichern" has written the choices into `settings`.
    EmulatorDialog(QWidget* mainWindow, EmulatorSettings& settings, SerialPort& prober,
                   std::function<void()> save, const QIcon& icon);

private slots:
    void saveChoices();

private:
    void createControls();
    void fillComPortList();
    void fillEpromTypeList();
    void centreOn(const QWidget* mainWindow);

    EmulatorSettings& settings_;
    SerialPort& prober_;
    std::function<void()> save_;
    QComboBox* comCombo_ = nullptr;
    QComboBox* epromCombo_ = nullptr;
    QCheckBox* spiBox_ = nullptr;
    QCheckBox* autoLoadBox_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
};

} // namespace tovi
