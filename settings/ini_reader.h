#pragma once
// A tolerant reader for files of "[group]" lines and "key = value" lines, as
// written by Tovi or edited by hand. It looks values up in the file's text and
// builds no copy of its structure, so a hostile file costs no more memory than
// its own text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovi {

// The lines of one group: from the line after its group line up to the next group line.
struct IniGroup {
    std::size_t begin = 0;
    std::size_t end = 0;
};

class IniDocument {
public:
    // Bytes starting with the UTF-8 byte-order mark are UTF-8, all others ISO 8859-1.
    static IniDocument fromBytes(std::string_view bytes);

    // The first group of that name, compared without regard to case.
    std::optional<IniGroup> group(std::u16string_view name) const;

    // The raw value of the first line of `key` in the group, or nothing when
    // the key is missing.
    std::optional<std::u16string_view> value(const IniGroup& group, std::u16string_view key) const;

private:
    std::u16string text_;
};

// One group of a document being read.
struct IniGroupReader {
    const IniDocument& document;
    IniGroup group;

    // The number of the key, 0 when it is missing.
    std::int32_t number(std::u16string_view key) const;
    // The trimmed text of the key, nothing when it is missing.
    std::optional<std::u16string> text(std::u16string_view key) const;
};

// A text value without leading and trailing blanks and tabs.
std::u16string_view trimBlanksAndTabs(std::u16string_view text);

// An optional sign and the decimal digits that follow, read as readDigits does.
std::int32_t readIniNumber(std::u16string_view value);

} // namespace tovi
