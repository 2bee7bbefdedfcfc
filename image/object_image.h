#pragma once
// The 2 KiB program-memory image, its address/opcode listing and the binary file.

#include <array>
#include <bitset>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/program.h"
#include "common/mcs48_memory.h"
#include "common/text.h"

namespace tovi {

inline constexpr std::u16string_view listingHeading = u"Adr Opcode";

struct ObjectImage {
    std::array<std::uint8_t, mcs48::imageSize> bytes{};
    std::bitset<mcs48::imageSize> occupied; // the addresses a byte of the source went to
    int highestAddress = 0; // highest address holding a byte of any code-bearing line
    // The heading, then rows of at most two bytes of each statement with code.
    std::vector<std::u16string> listing;
    // For each listing row: the line of the main source that produced it (an
    // include's or a macro call's line for theirs) and its address; 0 and -1
    // for the heading.
    std::vector<std::int32_t> rowLines;
    std::vector<std::int32_t> rowAddresses;

    int imageLength() const { return highestAddress + 1; }
};

// Where the binary file goes: beside the source, or where the caller says.
// How the image is written: the raw bytes, or Intel HEX text.
enum class ImageFormat { Binary, IntelHex };

// Paths keep the bytes the file system knows them by; they are shown to the
// user decoded leniently.
struct ImageTarget {
    std::filesystem::path sourcePath;         // empty: no file is written
    std::filesystem::path binaryPathOverride; // non-empty: write here instead
    std::uint8_t fillByte = 0x00;
    ImageFormat format = ImageFormat::Binary;
};

struct BuiltImage {
    ObjectImage image;
    // Set when a file was to be written: its path as shown, or empty when writing failed.
    std::optional<std::u16string> binaryPath;
};

// Fills the listing and the image from the program's statements, in address
// order, with unused bytes set to fillByte. Bytes above 7FFH are never stored.
ObjectImage buildImage(const Program& program, std::uint8_t fillByte);

// The source path with its extension replaced by "bin", or ".bin" appended
// when it has none; "/" and "\" both separate directories. Every other byte
// of the name stays as it is.
std::filesystem::path binaryPathFor(const std::filesystem::path& sourcePath,
                                    std::string_view extension = "bin");

// Builds the image and, when the source has a path, writes the binary file
// ("bin", or "hex" for Intel HEX) and appends "<path> (<n> Byte) gespeichert",
// n the file's size, or the failure line.
BuiltImage buildObjectImage(const Program& program, const ImageTarget& target,
                            const StatusSink& appendStatus);

} // namespace tovi
