#include "settings/ini_reader.h"

#include "common/codepage.h"
#include "common/text.h"

namespace tovi {
namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::u16string_view blanksAndTabs = u" \t";

std::u16string decodeIniBytes(std::string_view bytes) {
    if (bytes.starts_with(utf8ByteOrderMark)) {
        return fromUtf8(bytes.substr(utf8ByteOrderMark.size()));
    }
    return decodeLatin1(bytes);
}

std::u16string_view skipLeadingBlanksAndTabs(std::u16string_view text) {
    const auto first = text.find_first_not_of(blanksAndTabs);
    return first == std::u16string_view::npos ? std::u16string_view{} : text.substr(first);
}

std::u16string_view dropTrailingBlanksAndTabs(std::u16string_view text) {
    const auto last = text.find_last_not_of(blanksAndTabs);
    return last == std::u16string_view::npos ? std::u16string_view{} : text.substr(0, last + 1);
}

// Splits at CR LF, CR or LF.
std::vector<std::u16string_view> splitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        const bool crLf = text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

std::u16string groupName(std::u16string_view line) {
    const auto name = line.substr(1);
    return std::u16string(name.substr(0, name.find(u']')));
}

std::pair<std::u16string, std::u16string> keyAndValue(std::u16string_view line) {
    const auto equals = line.find(u'=');
    if (equals == std::u16string_view::npos) {
        return {std::u16string(dropTrailingBlanksAndTabs(line)), {}};
    }
    return {std::u16string(dropTrailingBlanksAndTabs(line.substr(0, equals))),
            std::u16string(skipLeadingBlanksAndTabs(line.substr(equals + 1)))};
}

int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    const char16_t lower = toLowerChar(c);
    if (lower >= u'a' && lower <= u'f') {
        return lower - u'a' + 10;
    }
    return 99;
}

std::int32_t lowSigned32(std::uint64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

IniDocument IniDocument::fromBytes(std::string_view bytes) {
    return fromText(decodeIniBytes(bytes));
}

IniDocument IniDocument::fromText(std::u16string_view text) {
    IniDocument document;
    for (const auto rawLine : splitLines(text)) {
        const auto line = skipLeadingBlanksAndTabs(rawLine);
        if (line.empty() || line.front() == u';') {
            continue;
        }
        if (line.front() == u'[') {
            document.groups_.push_back({groupName(line), {}});
            continue;
        }
        // A value line before the first group belongs to no group and is never looked up.
        if (!document.groups_.empty()) {
            document.groups_.back().entries.push_back(keyAndValue(line));
        }
    }
    return document;
}

const IniGroup* IniDocument::group(std::u16string_view name) const {
    for (const auto& candidate : groups_) {
        if (equalsIgnoringCase(candidate.name, name)) {
            return &candidate;
        }
    }
    return nullptr;
}

std::optional<std::u16string_view> findValue(const IniGroup& group, std::u16string_view key) {
    for (const auto& [entryKey, value] : group.entries) {
        if (equalsIgnoringCase(entryKey, key)) {
            return std::u16string_view(value);
        }
    }
    return std::nullopt;
}

std::u16string_view trimBlanksAndTabs(std::u16string_view text) {
    return dropTrailingBlanksAndTabs(skipLeadingBlanksAndTabs(text));
}

std::int32_t readDigits(std::u16string_view digits, int base) {
    std::uint64_t value = 0;
    for (const char16_t c : digits) {
        const int digit = digitValue(c);
        if (digit >= base) {
            break;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return lowSigned32(value);
}

std::int32_t readIniNumber(std::u16string_view value) {
    const bool negative = value.starts_with(u'-');
    if (negative || value.starts_with(u'+')) {
        value.remove_prefix(1);
    }
    const auto magnitude = static_cast<std::uint32_t>(readDigits(value, 10));
    return lowSigned32(negative ? 0u - magnitude : magnitude);
}

} // namespace tovi
