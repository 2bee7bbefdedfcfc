#pragma once
// Program-memory facts of the MCS-48 family, as every part of Tovi uses them.

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

} // namespace tovi::mcs48
