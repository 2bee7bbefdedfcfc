#pragma once
// Stage 1 after pass 1: equates that stand for texts are put in place, each
// statement's operands are read, instructions get their forms, and values
// that need no symbols are checked. Errors here need no symbol values.

#include "assembler/findings.h"
#include "assembler/program.h"

namespace tovi {

void analyseStatements(Program& program, Findings& syntax);

// The bytes a statement takes as far as its text tells, without equates that
// stand for texts (pass 1 counts with it); 0 for org and ds.
std::int32_t sizeFromText(const Statement& statement);

} // namespace tovi
