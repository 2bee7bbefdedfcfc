#include "assembler/translation.h"

#include "assembler/addresses.h"
#include "assembler/code.h"
#include "assembler/expansion.h"
#include "assembler/findings.h"
#include "assembler/operands.h"

namespace tovi {
namespace {

// Reports the findings; true when there were any.
bool reported(const Findings& findings, const DiagnosticSink& report, int& count) {
    if (findings.empty()) {
        return false;
    }
    for (const Diagnostic& diagnostic : findings.inOrder()) {
        report(diagnostic);
    }
    count = findings.count();
    return true;
}

} // namespace

Translation translate(const SourceInput& input, const DiagnosticSink& report) {
    Translation translation;
    Program& program = translation.program;
    Findings syntax;
    Findings addresses;
    expandSource(program, input, syntax, addresses);
    analyseStatements(program, syntax);
    if (reported(syntax, report, translation.errorCount)) {
        return translation;
    }
    assignAddresses(program, addresses);
    if (reported(addresses, report, translation.errorCount)) {
        return translation;
    }
    Findings values;
    generateCode(program, values);
    reported(values, report, translation.errorCount);
    return translation;
}

} // namespace tovi
