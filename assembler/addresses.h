#pragma once
// Stage 2: every statement gets its address and every label its value, in
// source order, with org and ds taking values that depend on nothing below
// them; code beyond program memory is refused.

#include "assembler/findings.h"
#include "assembler/program.h"

namespace tovi {

void assignAddresses(Program& program, Findings& values);

} // namespace tovi
