#include "assembler/asm_error.h"

namespace tovi {

void reportLineError(const StatusSink& appendStatus, int lineNumber, std::u16string_view message) {
    std::u16string line = u"Zeile: ";
    line += decimalText(lineNumber);
    line += message;
    appendStatus(line);
}

} // namespace tovi
