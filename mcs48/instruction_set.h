#pragma once
// The MCS-48 instruction set, described once: for each of the 256 opcodes
// whether it exists, how it is written and how long it takes.

#include <array>
#include <cstdint>
#include <string_view>

namespace tovi::mcs48 {

// What an operand is, as the assembler writes it.
enum class Operand : std::uint8_t {
    None,
    A,
    R0,
    R1,
    R2,
    R3,
    R4,
    R5,
    R6,
    R7,
    AtR0,
    AtR1,
    AtA,
    P1,
    P2,
    P4,
    P5,
    P6,
    P7,
    Bus,
    Psw,
    T,
    C,
    F0,
    F1,
    I,
    Tcnti,
    Clk,
    Cnt,
    Tcnt,
    Mb0,
    Mb1,
    Rb0,
    Rb1,
    P0,         // only in the second spellings below
    Data,       // #data: the second byte
    PageTarget, // the second byte within the page of the address after the opcode
    LongTarget, // bits 8–10 from opcode bits 5–7, bits 0–7 from the second byte
};

struct Instruction {
    std::string_view mnemonic; // empty: the opcode does not exist
    Operand first = Operand::None;
    Operand second = Operand::None;
    std::uint8_t length = 1; // bytes
    std::uint8_t cycles = 1; // machine cycles

    constexpr bool exists() const { return !mnemonic.empty(); }
    constexpr bool jumps() const {
        return first == Operand::PageTarget || first == Operand::LongTarget ||
               second == Operand::PageTarget;
    }
};

// Spellings the assembler takes beside the rows of the opcodes themselves: port
// 0 is the bus, so "in a,p0" reads it as INS A,BUS does, and "outl p0,a"
// writes it with the opcode of MOVX @R0,A.
struct SecondSpelling {
    std::string_view mnemonic;
    Operand first;
    Operand second;
    std::uint8_t opcode;
};

inline constexpr std::array<SecondSpelling, 2> secondSpellings = {{
    {"in", Operand::A, Operand::P0, 0x08},
    {"outl", Operand::P0, Operand::A, 0x90},
}};

// The row of one opcode.
const Instruction& instructionOf(std::uint8_t opcode);

// The machine cycles of every opcode, in opcode order (0 for one that does not exist).
const std::array<std::uint8_t, 256>& cycleTable();

// The assembler's name of an operand that stands for itself ("a", "@r0", "tcnti").
std::string_view operandName(Operand operand);

} // namespace tovi::mcs48
