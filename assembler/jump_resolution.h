#pragma once

#include "assembler/source_line.h"
#include "common/text.h"

namespace tovi {

// Looks up every jump and call target as a label (the first carrier in source
// order), checks its reach and fills in the address bits; returns the number
// of error lines appended.
int resolveJumps(LineTable& table, const StatusSink& appendStatus);

} // namespace tovi
