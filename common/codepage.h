#pragma once
// The 8-bit code pages Tovi reads and writes: Windows-1252 for sources and
// serial text, ISO 8859-1 for settings files written without a byte-order mark.

#include <string>
#include <string_view>

namespace tovi {

// Never fails: the five bytes Windows-1252 leaves unassigned (81H, 8DH, 8FH,
// 90H, 9DH) become the code points of the same value.
std::u16string decodeWindows1252(std::string_view bytes);

// Characters without a Windows-1252 byte become "?"; `lossy` (when given) is
// set when that happened.
std::string encodeWindows1252(std::u16string_view text, bool* lossy = nullptr);

std::u16string decodeLatin1(std::string_view bytes);

} // namespace tovi
