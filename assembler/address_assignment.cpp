#include "assembler/address_assignment.h"
#include "common/mcs48_memory.h"

#include <cstdint>

#include "assembler/asm_error.h"

namespace tovi {

namespace {

bool isOrigin(const SourceLine& record) {
    return equalsIgnoringCase(record.mnemonic, u"org") ||
           equalsIgnoringCase(record.mnemonic, u".org");
}

std::int64_t lastByteAddress(const SourceLine& record) {
    return std::int64_t{record.address} + record.byteCount - 1;
}

} // namespace

void assignAddresses(LineTable& table) {
    std::int32_t counter = 0;
    for (int i = 0; i < table.size(); ++i) {
        SourceLine& record = table.records[static_cast<std::size_t>(i)];
        if (record.kind == equateLine) {
            continue;
        }
        if (isOrigin(record)) {
            counter = record.address;
            continue;
        }
        record.address = counter;
        counter += record.byteCount;
    }
}

int checkAddressRange(const LineTable& table, const StatusSink& appendStatus) {
    int errors = 0;
    for (int i = 0; i < table.size(); ++i) {
        const SourceLine& record = table.records[static_cast<std::size_t>(i)];
        if (record.byteCount <= 0 || lastByteAddress(record) < mcs48::imageSize) {
            continue;
        }
        reportLineError(appendStatus, record.lineNumber, addressOutOfRange);
        ++errors;
    }
    return errors;
}

} // namespace tovi
