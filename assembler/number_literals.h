#pragma once
// The single literals operands have always been written as: a number in one
// of four forms or a character in quotes. An operand that is one of them
// keeps the value it always had ("ah" is 10, "##12" is 12), however the
// expressions around it read the same text.

#include <cstdint>
#include <string>
#include <string_view>

namespace tovi {

// Decimal, "%" + hex digits, "0x" + hex digits, or hex digits + "h"; every "#" is disregarded.
bool isNumber(std::u16string_view text);
// Exactly three characters, the first and the last "'".
bool isCharLiteral(std::u16string_view text);
// The value of a text one of the recognisers accepted; wraps to 32 bits.
std::int32_t valueOf(std::u16string_view text);

} // namespace tovi
