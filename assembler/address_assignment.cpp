#include "assembler/address_assignment.h"

namespace tovi {

void assignAddresses(LineTable&) {}
int checkAddressRange(const LineTable&, const StatusSink&) { return 0; }

} // namespace tovi
