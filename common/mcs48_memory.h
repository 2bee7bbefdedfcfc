#pragma once
// Facts of the MCS-48 family, as every part of Tovi uses them: program
// memory, the program counter, the machine cycle and the chips.

#include <array>
#include <optional>
#include <string_view>

namespace tovi::mcs48 {

// One program-memory bank, 000H … 7FFH: what the assembler fills, what the
// binary file holds and what the EPROM emulator receives.
inline constexpr int imageSize = 2048;
inline constexpr int highestImageAddress = imageSize - 1;

// Conditional jumps, DJNZ, JMPP and MOVP reach only the 256 bytes of one page.
inline constexpr int pageSize = 256;

// Both banks, as the program counter reaches them after SEL MB1.
inline constexpr int addressSpace = 2 * imageSize;

constexpr int pageOf(int address) {
    return address / pageSize;
}

// The program counter after fetching the byte at `address`: it counts up in
// bits 0–10 only, so it wraps inside its bank and bit 11 stays.
constexpr unsigned nextProgramAddress(unsigned address) {
    return (address & imageSize) | ((address + 1) & highestImageAddress);
}

// Where an interrupt entry calls to: /INT, then the timer/counter overflow.
inline constexpr unsigned externalInterruptVector = 0x003;
inline constexpr unsigned timerInterruptVector = 0x007;

// A machine cycle takes 15 periods of the crystal: 2.5 µs at 6 MHz.
inline constexpr int oscillatorPeriodsPerCycle = 15;

// The chips differ only in their internal RAM. The first name of each row is
// the one Tovi shows and stores; the others are its ROM-less and EPROM kin.
struct ChipFamily {
    std::array<std::string_view, 3> names;
    int ramSize; // bytes
};

inline constexpr std::array<ChipFamily, 3> chipFamilies = {{
    {{"8048", "8748", "8035"}, 64},
    {{"8049", "8749", "8039"}, 128},
    {{"8050", "8040", ""}, 256},
}};

// The row of `chipFamilies` a chip name belongs to, or nothing.
constexpr std::optional<int> chipFamilyOf(std::string_view name) {
    for (int family = 0; family < static_cast<int>(chipFamilies.size()); ++family) {
        for (const std::string_view known : chipFamilies[static_cast<std::size_t>(family)].names) {
            if (!known.empty() && known == name) {
                return family;
            }
        }
    }
    return std::nullopt;
}

} // namespace tovi::mcs48
