#pragma once
// Pass 1: reads the main source line by line with its included files and
// macro expansions, leaves out what conditional assembly skips, and makes the
// statements and the symbols they define. Labels get provisional addresses,
// enough for "if" lines that ask for them.

#include "assembler/findings.h"
#include "assembler/program.h"
#include "assembler/source_input.h"

namespace tovi {

// Errors that need no symbol values go to `syntax`; those of "if" lines that
// need them, to `values`.
void expandSource(Program& program, const SourceInput& input, Findings& syntax, Findings& values);

// The operands of a statement: the items of its list, without empty ones at the end.
std::vector<std::u16string> operandsOf(std::u16string_view text);

} // namespace tovi
