#pragma once
// The MCS-48 instruction forms the assembler knows, as constant data: one row
// text per form, "mnemonic;operand1;operand2;operandCount;byteCount;opcodeBits;secondByte",
// followed by the sentinel row "$$$$;". jmp, call and the directives are not rows.

#include <array>
#include <span>
#include <string_view>

namespace tovi {

inline constexpr std::u16string_view dataPlaceholder = u"#§data§";
inline constexpr std::u16string_view addressPlaceholder = u"§adresse§";

// The fields of one row, split.
struct InstructionPattern {
    std::u16string_view mnemonic;
    std::u16string_view operand1;
    std::u16string_view operand2;
    std::u16string_view operandCount; // "0", "1" or "2"
    std::u16string_view byteCount;    // "1" or "2"
    std::u16string_view opcodeBits;   // eight binary digits, most significant first
    std::u16string_view secondByte;   // empty, "§data§" or "§adresse§"
};

inline constexpr int patternRowCount = 216;

// The 216 row texts and the sentinel, in table order.
extern const std::array<std::u16string_view, patternRowCount + 1> instructionTable;

// Field n (from 1) of a row text; field 0 and fields beyond the last are empty.
std::u16string_view fieldOf(std::u16string_view row, int n);

// All rows of one mnemonic (lower case), in table order; empty when the table
// has none. Gives exactly the rows a scan from the first row would find.
std::span<const InstructionPattern> patternsOf(std::u16string_view lowerMnemonic);

} // namespace tovi
