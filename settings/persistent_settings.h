#pragma once
// The settings a run of the workbench keeps, with their files.

#include "settings/settings.h"
#include "settings/simulator_settings.h"

namespace tovi {

// The settings of one run and their file "tovi.ini" in the working directory.
// A missing file is written with the built-in window layout at once. A file
// that cannot be read leaves the run with the built-in layout and is never
// written during the run, so nothing the user cannot see is lost.
// The debugger's "tovi-sim.ini" is kept alike, but written only at the end.
class PersistentSettings {
public:
    PersistentSettings();

    Settings& values() { return values_; }
    const Settings& values() const { return values_; }
    SimulatorSettings& simulator() { return simulator_; }

    // Writes "tovi.ini" with the values of this moment; silent when it fails.
    void save() const;
    // Writes both files, as at the orderly end.
    void saveAll() const;

private:
    Settings values_;
    SimulatorSettings simulator_;
    bool writable_ = true;
    bool simulatorWritable_ = true;
};

} // namespace tovi
