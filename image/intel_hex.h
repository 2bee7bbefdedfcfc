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

// Whether a file's bytes are meant as Intel HEX rather than a raw image: the
// first character after an optional UTF-8 byte-order mark and white space is
// ":", and the rest is text (NUL and the DOS end-of-file byte 1AH included).
bool looksLikeIntelHex(std::string_view bytes);

struct HexImage {
    std::vector<std::uint8_t> bytes; // address 0 up to the highest byte a record gives
    std::u16string problem;          // empty when the text was a sound image
};

// The image a text of records stands for; bytes no record gives are FFH, as
// in an erased EPROM. The text may begin with a UTF-8 byte-order mark, each
// record stands on a line of its own with blanks around it, and after the end
// record only white space, NUL and 1AH may follow. Base-address records
// (types 02 and 04) with base 0 and start-address records (03, 05) are taken
// and change nothing. A record beyond `highestAddress`, a wrong checksum, a
// malformed line, any other record type or base, text after the end record
// or a missing end record leaves `bytes` empty and says what is wrong in
// German, naming the line.
HexImage fromIntelHex(std::string_view text, int highestAddress);

} // namespace tovi
