#pragma once

#include "assembler/source_line.h"
#include "common/text.h"

namespace tovi {

// Gives every line its address, honouring org.
void assignAddresses(LineTable& table);

// Reports every code-bearing line whose last byte lies above 7FFH, in source
// order; returns how many it reported.
int checkAddressRange(const LineTable& table, const StatusSink& appendStatus);

} // namespace tovi
