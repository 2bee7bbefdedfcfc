#pragma once
// A tolerant reader for files of "[group]" lines and "key = value" lines, as
// written by Tovi or edited by hand.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovi {

struct IniGroup {
    std::u16string name;
    // Keys and their raw values in file order, duplicates included.
    std::vector<std::pair<std::u16string, std::u16string>> entries;
};

class IniDocument {
public:
    // Bytes starting with the UTF-8 byte-order mark are UTF-8, all others ISO 8859-1.
    static IniDocument fromBytes(std::string_view bytes);
    static IniDocument fromText(std::u16string_view text);

    // The first group of that name, compared without regard to case.
    const IniGroup* group(std::u16string_view name) const;

    const std::vector<IniGroup>& groups() const { return groups_; }

private:
    std::vector<IniGroup> groups_;
};

// The value of the first line of `key` in the group, or nothing when the key is missing.
std::optional<std::u16string_view> findValue(const IniGroup& group, std::u16string_view key);

// A text value without leading and trailing blanks and tabs.
std::u16string_view trimBlanksAndTabs(std::u16string_view text);

// An optional sign and the decimal digits that follow; reading stops at the
// first other character and no digits read as 0. Digits accumulate in 64 bits
// with wrap-around and the low 32 bits are the signed result.
std::int32_t readIniNumber(std::u16string_view value);

// The digits of `base` (2, 10 or 16, either letter case) from the start of the
// text, with the same accumulation as `readIniNumber`.
std::int32_t readDigits(std::u16string_view digits, int base);

} // namespace tovi
