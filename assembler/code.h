#pragma once
// Stage 3: every value that needed symbols is taken, jump targets are checked
// against what the instruction reaches, and each statement gets its bytes.

#include "assembler/findings.h"
#include "assembler/program.h"

namespace tovi {

void generateCode(Program& program, Findings& values);

} // namespace tovi
