#pragma once

#include "assembler/source_line.h"

namespace tovi {

// Replaces every equate name in all operands, without regard to case, by its
// value text; equates are taken in table order, each against every record.
void substituteEquates(LineTable& table);

} // namespace tovi
