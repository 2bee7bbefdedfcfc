#include "workbench/workbench.h"

#include "workbench/main_window.h"

namespace tovi {

Workbench::Workbench(UserDialogs& dialogs)
    : window_(std::make_unique<MainWindow>(settings_, dialogs)) {}

Workbench::~Workbench() = default;

void Workbench::finish() {
    settings_.saveAll();
}

} // namespace tovi
