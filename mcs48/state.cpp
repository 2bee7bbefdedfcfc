#include "mcs48/state.h"

#include "common/mcs48_memory.h"

namespace tovi::mcs48 {
namespace {

// clang-format off
constexpr std::array<std::string_view, portCount> portNames = {
    "P1", "P2", "BUS", "P4", "P5", "P6", "P7",
};
// clang-format on

} // namespace

int ramSizeOf(Chip chip) {
    return chipFamilies[static_cast<std::size_t>(chip)].ramSize;
}

std::optional<Chip> chipNamed(std::string_view name) {
    const auto family = chipFamilyOf(name);
    if (!family) {
        return std::nullopt;
    }
    return static_cast<Chip>(*family);
}

std::string_view nameOf(Chip chip) {
    return chipFamilies[static_cast<std::size_t>(chip)].names[0];
}

std::string_view portName(Port port) {
    return portNames[static_cast<std::size_t>(port)];
}

} // namespace tovi::mcs48
