#pragma once
// What the main window needs for F6 and for "Einstellungen" › "EPROM Emulator".

#include <QIcon>
#include <QString>
#include <functional>
#include <memory>

#include "common/text.h"
#include "emulator/serial_port.h"
#include "settings/persistent_settings.h"

class QMainWindow;

namespace tovi {

class EmulatorLink {
public:
    using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

    // Without a port factory the real serial ports are used.
    EmulatorLink(QMainWindow* window, PersistentSettings& settings, StatusSink appendStatus,
                 QIcon icon, PortFactory makePort = {});

    // Sends the binary file to the emulator. Until the port is closed again the
    // window takes no input but keeps painting; a progress bar in the status
    // bar counts the blocks sent.
    void upload(const QString& binaryPath);

    // The modal "EPROM Emulator" dialog; "Speichern" writes the settings file.
    void openSettingsDialog();

private:
    std::unique_ptr<SerialPort> makePort() const;

    QMainWindow* window_;
    PersistentSettings& settings_;
    StatusSink appendStatus_;
    QIcon icon_;
    PortFactory makePort_;
    bool uploading_ = false;
};

} // namespace tovi
