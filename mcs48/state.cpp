#include "mcs48/state.h"

namespace tovi::mcs48 {
namespace {

struct ChipName {
    std::string_view name;
    Chip chip;
};

// clang-format off
constexpr std::array<ChipName, 8> chipNames = {{
    {"8048", Chip::I8048}, {"8748", Chip::I8048}, {"8035", Chip::I8048},
    {"8049", Chip::I8049}, {"8749", Chip::I8049}, {"8039", Chip::I8049},
    {"8050", Chip::I8050}, {"8040", Chip::I8050},
}};
constexpr std::array<std::string_view, portCount> portNames = {
    "P1", "P2", "BUS", "P4", "P5", "P6", "P7",
};
// clang-format on

} // namespace

int ramSizeOf(Chip chip) {
    switch (chip) {
    case Chip::I8048:
        return 64;
    case Chip::I8049:
        return 128;
    case Chip::I8050:
        return 256;
    }
    return 128;
}

std::optional<Chip> chipNamed(std::string_view name) {
    for (const ChipName& entry : chipNames) {
        if (entry.name == name) {
            return entry.chip;
        }
    }
    return std::nullopt;
}

std::string_view portName(Port port) {
    return portNames[static_cast<std::size_t>(port)];
}

} // namespace tovi::mcs48
