#include "assembler/jump_resolution.h"

namespace tovi {

int resolveJumps(LineTable&, const StatusSink&) { return 0; }

} // namespace tovi
