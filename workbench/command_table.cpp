#include "workbench/command_table.h"

#include <algorithm>

namespace tovi {

const Command& commandFor(CommandId id) {
    return *std::ranges::find(commandTable, id, &Command::id);
}

} // namespace tovi
