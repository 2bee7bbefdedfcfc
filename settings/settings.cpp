#include "settings/settings.h"

namespace tovi {

std::filesystem::path settingsFilePath() { return std::filesystem::current_path() / settingsFileName; }
void loadSettings(Settings&, const std::filesystem::path&) {}
bool saveSettings(const Settings&, const std::filesystem::path&) { return false; }
std::string settingsFileContent(const Settings&) { return {}; }
void setDefaultWindowRects(Settings&) {}

} // namespace tovi
