#pragma once
// The full listing of an assembly, for a file: every line read with its
// number, address and bytes, then the symbols.

#include <string>

#include "assembler/program.h"

namespace tovi {

// One row per line as it was read, "Zeile Adr Bytes Quelle": the main
// source's lines by number, an included file's with its name before the text,
// a macro expansion's with "+" before it. Then every symbol, sorted by name:
// a label with its address, an equate with its value. UTF-8, LF.
std::string fullListing(const Program& program);

} // namespace tovi
