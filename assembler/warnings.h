#pragma once
// What the language allows but a user wants to be told about, found in the
// program of an assembly that ran without errors.

#include <vector>

#include "assembler/diagnostic.h"
#include "assembler/program.h"

namespace tovi {

// "Zeile: N -> Warnung: …" in source order: a label or an equate defined
// twice, an org that steps back over code already placed, a conditional jump
// on the last byte of a page, and each directive that changed nothing.
std::vector<Diagnostic> warningsOf(const Program& program);

} // namespace tovi
