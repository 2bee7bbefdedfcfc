#pragma once
// The full listing of an assembly, for a file: every source line with its
// number, address and bytes, then the symbols.

#include <span>
#include <string>

#include "assembler/source_line.h"

namespace tovi {

// One row per source line, "Zeile Adr Bytes Quelle"; then every label with its
// address and every equate with its value text, sorted by name. UTF-8, LF.
std::string fullListing(std::span<const std::u16string> sourceLines, const LineTable& table);

} // namespace tovi
