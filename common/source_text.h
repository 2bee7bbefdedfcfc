#pragma once
// Source text as Tovi stores it: Windows-1252 bytes, lines separated by CR LF.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovi {

// The bytes up to the first NUL byte, decoded from Windows-1252.
std::u16string decodeSourceBytes(std::string_view bytes);

// Splits at CR LF, LF and a lone CR. n line ends give n + 1 lines, so an empty
// text is one empty line, just as an empty editor holds one empty line.
std::vector<std::u16string> splitLines(std::u16string_view text);

// True when the text, with blanks removed at both ends, is empty.
bool holdsOnlyBlanks(std::span<const std::u16string> lines);

} // namespace tovi
