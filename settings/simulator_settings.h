#pragma once
// What the debugger keeps between runs in "tovi-sim.ini", beside "tovi.ini"
// and in its style: the chip, the clock, whether runs go at the chip's real
// speed, and the places of the Simulator and the Platine windows.

#include <cstdint>
#include <filesystem>
#include <string>

#include "settings/settings.h"

namespace tovi {

inline constexpr char simulatorSettingsFileName[] = "tovi-sim.ini";

struct SimulatorSettings {
    WindowRect window{40, 10, 720, 470};       // frame in the workspace, inner size
    WindowRect boardWindow{770, 10, 460, 470}; // the Platine window
    std::u16string chip = u"8049";             // "8048", "8049" or "8050"
    std::int32_t clockKHz = 6000;
    bool realTime = false; // "Echtzeit"

    bool operator==(const SimulatorSettings&) const = default;
};

// "tovi-sim.ini" in the current working directory.
std::filesystem::path simulatorSettingsFilePath();

// Reads what the file holds; a value out of range keeps the one given.
SettingsFile loadSimulatorSettings(SimulatorSettings& settings, const std::filesystem::path& file);

// The file's exact bytes: byte-order mark, CR LF, the window group, then the
// simulator group.
std::string simulatorSettingsContent(const SimulatorSettings& settings);

bool saveSimulatorSettings(const SimulatorSettings& settings, const std::filesystem::path& file);

} // namespace tovi
