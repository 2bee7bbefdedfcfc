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

bool isGroupLine(std::u16string_view line) {
    return line.starts_with(u'[');
}

bool isSkipped(std::u16string_view line) {
    return line.empty() || line.starts_with(u';');
}

std::u16string_view groupName(std::u16string_view line) {
    const auto name = line.substr(1);
    return name.substr(0, name.find(u']'));
}

std::u16string_view keyOf(std::u16string_view line) {
    return dropTrailingBlanksAndTabs(line.substr(0, line.find(u'=')));
}

std::u16string_view valueOf(std::u16string_view line) {
    const auto equals = line.find(u'=');
    return equals == std::u16string_view::npos ? std::u16string_view{}
                                               : skipLeadingBlanksAndTabs(line.substr(equals + 1));
}

} // namespace

IniDocument IniDocument::fromBytes(std::string_view bytes) {
    IniDocument document;
    document.text_ = decodeIniBytes(bytes);
    return document;
}

std::optional<IniGroup> IniDocument::group(std::u16string_view name) const {
    std::optional<IniGroup> found;
    LineCursor cursor(text_);
    for (std::u16string_view raw; cursor.next(raw);) {
        const auto line = skipLeadingBlanksAndTabs(raw);
        if (isSkipped(line) || !isGroupLine(line)) {
            continue;
        }
        const std::size_t lineStart = static_cast<std::size_t>(raw.data() - text_.data());
        if (found) {
            found->end = lineStart;
            return found;
        }
        if (equalsIgnoringCase(groupName(line), name)) {
            found = IniGroup{cursor.position(), text_.size()};
        }
    }
    return found;
}

std::optional<std::u16string_view> IniDocument::value(const IniGroup& group,
                                                      std::u16string_view key) const {
    const std::u16string_view body = std::u16string_view(text_).substr(0, group.end);
    LineCursor cursor(body, group.begin);
    for (std::u16string_view raw; cursor.next(raw);) {
        const auto line = skipLeadingBlanksAndTabs(raw);
        if (!isSkipped(line) && equalsIgnoringCase(keyOf(line), key)) {
            return valueOf(line);
        }
    }
    return std::nullopt;
}

std::int32_t IniGroupReader::number(std::u16string_view key) const {
    const auto found = document.value(group, key);
    return found ? readIniNumber(*found) : 0;
}

std::optional<std::u16string> IniGroupReader::text(std::u16string_view key) const {
    const auto found = document.value(group, key);
    if (!found) {
        return std::nullopt;
    }
    return std::u16string(trimBlanksAndTabs(*found));
}

std::u16string_view trimBlanksAndTabs(std::u16string_view text) {
    return dropTrailingBlanksAndTabs(skipLeadingBlanksAndTabs(text));
}

std::int32_t readIniNumber(std::u16string_view value) {
    const bool negative = value.starts_with(u'-');
    if (negative || value.starts_with(u'+')) {
        value.remove_prefix(1);
    }
    const auto magnitude = static_cast<std::uint32_t>(readDigits(value, 10));
    return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}

} // namespace tovi
