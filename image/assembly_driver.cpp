#include "image/assembly_driver.h"

#include "assembler/translation.h"
#include "common/source_text.h"

namespace tovi {

AssemblyResult Assembler::assemble(const AssemblyRequest& request, const AssemblyReport& report) {
    AssemblyResult result;
    if (holdsOnlyBlanks(request.lines)) {
        return result;
    }
    const SourceInput input{request.lines, request.sourcePath.parent_path(), request.includeFolders,
                            request.read};
    Translation translation = translate(input, report.diagnostic);
    program_ = std::move(translation.program);
    result.errorCount = translation.errorCount;
    if (result.errorCount != 0) {
        result.outcome = AssemblyOutcome::Failed;
        report.status(decimalText(result.errorCount) + std::u16string(assemblyFailedSuffix));
        return result;
    }
    const ImageTarget target{request.sourcePath, request.binaryPathOverride, request.fillByte,
                             request.format};
    BuiltImage built = buildObjectImage(program_, target, report.status);
    result.outcome = AssemblyOutcome::Succeeded;
    result.image = std::move(built.image);
    result.binaryPath = std::move(built.binaryPath);
    report.status(assemblySucceeded);
    return result;
}

AssemblyResult Assembler::assemble(const AssemblyRequest& request, const StatusSink& appendStatus) {
    return assemble(
        request, {[&appendStatus](const Diagnostic& error) { appendStatus(statusLineOf(error)); },
                  appendStatus});
}

} // namespace tovi
