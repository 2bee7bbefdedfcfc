#pragma once

#include "assembler/source_line.h"
#include "common/text.h"

namespace tovi {

// Translates every prepared line into its bytes as bit texts; reports each line
// it cannot translate and returns the number of error lines appended.
int generateCode(LineTable& table, const StatusSink& appendStatus);

} // namespace tovi
