#pragma once
// Program memory as text: one instruction in the assembler's syntax, the
// address listing of an image, and a source that assembles back to the image.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tovi::mcs48 {

// A number as the assembler writes hexadecimal: `digits` capital hex digits,
// a leading 0 when the first is a letter, then "H" ("01H", "0FFH", "7FFH", "0A00H").
std::string hexNumber(unsigned value, int digits);

// Where a jump at `address` with these bytes goes; nullopt when it is no jump.
std::optional<int> jumpTarget(int address, std::uint8_t opcode, std::uint8_t operand);

// The text of the instruction with these bytes at `address` ("jnz 0F0H",
// "mov a,#3FH"), or "db 01H" when the opcode does not exist.
std::string instructionText(int address, std::uint8_t opcode, std::uint8_t operand);

struct Disassembly {
    int length = 1;             // bytes taken
    bool isInstruction = false; // false: one byte of data ("db")
    std::string text;
};

// The instruction at `address` of `memory`; a two-byte instruction whose
// second byte lies past the end shows as "db".
Disassembly disassemble(std::span<const std::uint8_t> memory, int address);

// One line per instruction: "000: 04 09  jmp 009H".
std::string displayListing(std::span<const std::uint8_t> image);

// A source that tovi-asm assembles (fill 00H) to exactly these bytes;
// nullopt for an empty image or one larger than 2048 bytes.
std::optional<std::string> sourceForm(std::span<const std::uint8_t> image);

} // namespace tovi::mcs48
