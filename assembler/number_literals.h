#pragma once
// Number literals of the source language and the bit texts that carry code
// bytes from one pass to the next.

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
// The low `width` (up to 64) bits of the value as binary digits, most significant first,
// written into `target`, reusing its storage.
void assignBitsText(std::u16string& target, std::int64_t value, int width);

} // namespace tovi
