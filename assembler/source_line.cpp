#include "assembler/source_line.h"

namespace tovi {

void SourceLine::clear() {
    lineNumber = 0;
    address = 0;
    needsTarget = 0;
    kind = ordinaryLine;
    label.clear();
    targetText.clear();
    mnemonic.clear();
    operand1.clear();
    operand2.clear();
    byte1Bits.clear();
    byte2Bits.clear();
    byteCount = 0;
    excessOperands = 0;
}

SourceLine& LineTable::freshRecord(int index) {
    const auto needed = static_cast<std::size_t>(index) + 1;
    if (records.size() < needed) {
        records.resize(needed);
    }
    SourceLine& record = records[static_cast<std::size_t>(index)];
    record.clear();
    return record;
}

} // namespace tovi
