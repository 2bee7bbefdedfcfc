#pragma once
// What the language allows but a user wants to be told about, found in the
// lines of an assembly that ran without errors.

#include <vector>

#include "assembler/source_line.h"
#include "common/text.h"

namespace tovi {

// Appends "Zeile: N -> Warnung: …" lines in source order for a label defined
// twice, an equate defined twice, an org that steps back over code already
// placed, and a conditional jump whose first byte is the last of a page.
// Returns how many it appended.
int reportWarnings(const LineTable& table, const StatusSink& appendStatus);

} // namespace tovi
