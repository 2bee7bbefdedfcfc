#pragma once
// Small helpers for the UTF-16 text that flows through Tovi.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tovi {

// Receives one line for the end of the status list.
using StatusSink = std::function<void(std::u16string_view)>;

// Lower-cases ASCII letters and the letters of Windows-1252 (umlauts, accented
// letters, Š, Œ, Ž, Ÿ); every other character stays as it is.
char16_t toLowerChar(char16_t c);
std::u16string toLowerCase(std::u16string_view text);
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

// Removes blanks (character 32, nothing else) at both ends.
std::u16string_view trimBlanks(std::u16string_view text);

std::u16string decimalText(std::int64_t value);

// Plain ASCII literal or UTF-8 text to UTF-16 and back.
std::u16string fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view text);

} // namespace tovi
