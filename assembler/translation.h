#pragma once
// One translation of a source into its program, stage after stage: pass 1
// and the errors that need no symbol values, then addresses, then values and
// bytes. A stage runs only when the ones before found no error.

#include "assembler/diagnostic.h"
#include "assembler/program.h"
#include "assembler/source_input.h"

namespace tovi {

struct Translation {
    Program program;
    int errorCount = 0; // of the stage that stopped it
};

// The errors of the stage that found some go to `report`, in source order.
Translation translate(const SourceInput& input, const DiagnosticSink& report);

} // namespace tovi
