#pragma once
// Intel HEX, the text format EPROM programmers and most tools exchange
// program images in: records of ":" + byte count + address + type + data +
// checksum, and an end record.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovi {

// The image as data records of 16 bytes each from address 0, then the end
// record; every record ends in CR LF.
std::string toIntelHex(std::span<const std::uint8_t> image);

// Whether a file's bytes are Intel HEX rather than a raw image: text of
// records only, beginning with ":".
bool looksLikeIntelHex(std::string_view bytes);

struct HexImage {
    std::vector<std::uint8_t> bytes; // address 0 up to the highest byte a record gives
    std::u16string problem;          // empty when the text was a sound image
};

// The image a text of records stands for; bytes no record gives are FFH, as
// in an erased EPROM. A record beyond `highestAddress`, a wrong checksum, a
// malformed line, an unknown record type or a missing end record leaves
// `bytes` empty and says what is wrong in German, naming the line.
HexImage fromIntelHex(std::string_view text, int highestAddress);

} // namespace tovi
