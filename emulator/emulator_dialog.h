#pragma once
// "EPROM Emulator": chooses the serial port, the EPROM type and the two flags
// the upload sends to the emulator.

#include <QDialog>
#include <QIcon>
#include <functional>
#include <string_view>

#include "emulator/serial_port.h"
#include "settings/settings.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tovi {

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
