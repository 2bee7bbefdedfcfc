#pragma once
// Hexadecimal numbers as Tovi writes them everywhere: capital digits, a fixed
// count of them, no prefix or suffix.

#include <string>

namespace tovi {

// Appends the low `digits` hex digits of the value to an std::string or std::u16string.
template <typename Text>
void appendHex(Text& out, unsigned value, int digits) {
    constexpr char digitChars[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        out.push_back(static_cast<typename Text::value_type>(digitChars[(value >> shift) & 0xF]));
    }
}

inline std::string hexText(unsigned value, int digits) {
    std::string text;
    appendHex(text, value, digits);
    return text;
}

} // namespace tovi
