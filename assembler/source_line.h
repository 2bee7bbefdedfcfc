#pragma once
// The record every assembler pass works on, and the table that holds them.

#include <cstdint>
#include <string>
#include <vector>

namespace tovi {

// One prepared source line.
struct SourceLine {
    std::int32_t lineNumber = 0;  // 1-based editor line, blank and comment lines counted
    std::int32_t address = 0;     // address of the first byte; for an org line its origin
    std::int32_t needsTarget = 0; // 1 while a jump target is still to be resolved
    std::int32_t kind = 0;        // 0 ordinary line, 1 equate definition
    std::u16string label;         // as written, with its trailing ":"
    std::u16string targetText;    // jump-target operand as written
    std::u16string mnemonic;      // first word as written; for an equate the defined name
    std::u16string operand1;      // trimmed; for an equate the value text
    std::u16string operand2;
    std::u16string byte1Bits; // eight "0"/"1" characters, or empty
    std::u16string byte2Bits;
    std::int32_t byteCount = 0; // 0, 1 or 2
    // 1 when the operands hold text the line cannot use: text after a second
    // ",", or an operand that equate substitution made grow without bound.
    std::int32_t excessOperands = 0;

    // Empties every field while keeping the strings' storage for reuse.
    void clear();
};

inline constexpr std::int32_t ordinaryLine = 0;
inline constexpr std::int32_t equateLine = 1;

// The prepared lines of one assembly. Records 0 … lastLine are valid; the
// table grows as a source needs and is reused by every assembly.
struct LineTable {
    std::vector<SourceLine> records;
    int lastLine = -1;

    // The record at `index`, cleared; the table grows when it is too short.
    SourceLine& freshRecord(int index);
    int size() const { return lastLine + 1; }
};

} // namespace tovi
