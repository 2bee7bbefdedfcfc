#include "settings/persistent_settings.h"

namespace tovi {

PersistentSettings::PersistentSettings() {
    const auto file = settingsFilePath();
    switch (loadSettings(values_, file)) {
    case SettingsFile::Read:
        break;
    case SettingsFile::Missing:
        setDefaultWindowRects(values_);
        saveSettings(values_, file);
        break;
    case SettingsFile::Unreadable:
        setDefaultWindowRects(values_);
        writable_ = false;
        break;
    }
    const auto simulatorFile = simulatorSettingsFilePath();
    simulatorWritable_ =
        loadSimulatorSettings(simulator_, simulatorFile) != SettingsFile::Unreadable;
}

void PersistentSettings::save() const {
    if (writable_) {
        saveSettings(values_, settingsFilePath());
    }
}

void PersistentSettings::saveAll() const {
    save();
    if (simulatorWritable_) {
        saveSimulatorSettings(simulator_, simulatorSettingsFilePath());
    }
}

} // namespace tovi
