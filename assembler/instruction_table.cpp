#include "assembler/instruction_table.h"

namespace tovi {

const std::array<std::u16string_view, patternRowCount + 1> instructionTable = {};

std::u16string_view fieldOf(std::u16string_view, int) { return {}; }

std::span<const InstructionPattern> patternsOf(std::u16string_view) { return {}; }

} // namespace tovi
