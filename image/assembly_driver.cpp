#include "image/assembly_driver.h"

#include <algorithm>

#include "assembler/address_assignment.h"
#include "assembler/code_generation.h"
#include "assembler/equates.h"
#include "assembler/jump_resolution.h"
#include "assembler/line_preparation.h"
#include "common/source_text.h"

namespace tovi {
namespace {

// The passes after line preparation; each stage runs only when the one before
// found no error. Returns the error count of the stage that stopped the run.
int translate(LineTable& table, const StatusSink& appendStatus) {
    substituteEquates(table);
    if (const int errors = generateCode(table, appendStatus); errors != 0) {
        return errors;
    }
    assignAddresses(table);
    if (const int errors = checkAddressRange(table, appendStatus); errors != 0) {
        return errors;
    }
    return resolveJumps(table, appendStatus);
}

// Orders the prepared records by address. Stable, so that where an org steps
// back over earlier code the later source line still wins in the image.
void orderByAddress(LineTable& table) {
    const auto first = table.records.begin();
    const auto last = first + table.size();
    const auto byAddress = [](const SourceLine& a, const SourceLine& b) {
        return a.address < b.address;
    };
    if (!std::is_sorted(first, last, byAddress)) {
        std::stable_sort(first, last, byAddress);
    }
}

} // namespace

AssemblyResult Assembler::assemble(const AssemblyRequest& request, const StatusSink& appendStatus) {
    AssemblyResult result;
    if (holdsOnlyBlanks(request.lines)) {
        result.outcome = AssemblyOutcome::NothingToAssemble;
        return result;
    }
    table_.lastLine = prepareLines(table_, request.lines);
    result.errorCount = translate(table_, appendStatus);
    if (result.errorCount != 0) {
        result.outcome = AssemblyOutcome::Failed;
        appendStatus(decimalText(result.errorCount) + std::u16string(assemblyFailedSuffix));
        return result;
    }
    orderByAddress(table_);
    const ImageTarget target{request.sourcePath, request.binaryPathOverride, request.fillByte,
                             request.format};
    BuiltImage built = buildObjectImage(table_, target, appendStatus);
    result.outcome = AssemblyOutcome::Succeeded;
    result.image = std::move(built.image);
    result.binaryPath = std::move(built.binaryPath);
    appendStatus(assemblySucceeded);
    return result;
}

} // namespace tovi
