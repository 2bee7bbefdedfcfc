#pragma once
// The instruction forms the assembler accepts, taken from the MCS-48
// instruction set as mcs48/ describes it: for each mnemonic the operands of
// each form, its opcode and its length.

#include <cstdint>
#include <span>
#include <string_view>

#include "mcs48/instruction_set.h"

namespace tovi {

struct InstructionForm {
    mcs48::Operand first = mcs48::Operand::None;
    mcs48::Operand second = mcs48::Operand::None;
    std::uint8_t opcode = 0; // JMP and CALL: the opcode for a target in page 0
    std::uint8_t length = 1;

    int arity() const;
    bool isLongJump() const { return first == mcs48::Operand::LongTarget; }
    // The operand that is a jump target within a page, or nothing.
    bool isPageJump() const;
};

// The forms of a mnemonic in any case, in opcode order; empty when it is none.
std::span<const InstructionForm> formsOf(std::u16string_view mnemonic);

// What a register, port or flag word in any case stands for ("a", "@R0",
// "p0", "tcnti"); None for any other text.
mcs48::Operand operandKeyword(std::u16string_view word);

} // namespace tovi
