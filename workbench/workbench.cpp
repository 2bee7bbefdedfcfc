#include "workbench/workbench.h"

#include "workbench/main_window.h"

#include <filesystem>
#include <system_error>

namespace tovi {

void readOrCreateSettingsFile(Settings& settings) {
    const std::filesystem::path file = settingsFilePath();
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        loadSettings(settings, file);
        return;
    }
    setDefaultWindowRects(settings);
    saveSettings(settings, file);
}

Workbench::Workbench(UserDialogs& dialogs) {
    readOrCreateSettingsFile(settings_);
    window_ = std::make_unique<MainWindow>(settings_, dialogs);
}

Workbench::~Workbench() = default;

void Workbench::finish() {
    saveSettings(settings_, settingsFilePath());
}

} // namespace tovi
