#pragma once
// The first pass: editor lines to prepared SourceLine records.

#include <span>
#include <string>
#include <string_view>

#include "assembler/source_line.h"

namespace tovi {

// Fills records 0 … k-1 from the lines (comments, blank lines and everything
// from the end directive on are dropped), sets the table's lastLine to k - 1
// and returns it.
int prepareLines(LineTable& table, std::span<const std::u16string> lines);

// The text up to and including the first ":" when it is not the first character.
std::u16string_view labelOf(std::u16string_view text);
// The text up to and including the first blank, or all of it.
std::u16string_view firstWordOf(std::u16string_view text);

} // namespace tovi
