#pragma once
// One run of the workbench: the settings, read at start (or written with the
// built-in layout at the first start), the main window, and the settings file
// written again at the orderly end.

#include <memory>

#include "settings/persistent_settings.h"

namespace tovi {

class MainWindow;
class UserDialogs;

class Workbench {
public:
    // Reads the settings, then builds the main window; it is not shown yet.
    explicit Workbench(UserDialogs& dialogs);
    ~Workbench();

    MainWindow& mainWindow() { return *window_; }

    // Writes the settings file with the state of this moment.
    void finish();

private:
    PersistentSettings settings_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace tovi
