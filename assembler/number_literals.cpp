#include "assembler/number_literals.h"

#include <cstddef>

#include "common/text.h"

namespace tovi {
namespace {

constexpr std::size_t noPosition = std::u16string_view::npos;

bool isDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(char16_t c) {
    const char16_t lower = toLowerChar(c);
    return isDecimalDigit(lower) || (lower >= u'a' && lower <= u'f');
}

bool isDigitOfBase(char16_t c, int base) {
    return base == 16 ? isHexDigit(c) : isDecimalDigit(c);
}

bool isHexMarker(char16_t first, char16_t second) {
    return first == u'0' && toLowerChar(second) == u'x';
}

std::size_t nextNonHash(std::u16string_view text, std::size_t from) {
    return text.find_first_not_of(u'#', from);
}

bool isHSuffix(std::u16string_view text, std::size_t i) {
    return toLowerChar(text[i]) == u'h';
}
bool isPercent(std::u16string_view text, std::size_t i) {
    return text[i] == u'%';
}
bool isHexPrefixAt(std::u16string_view text, std::size_t i) {
    return i + 1 < text.size() && isHexMarker(text[i], text[i + 1]);
}

// The text without every marker of `length` characters that `isMarker` finds.
template <typename IsMarker>
std::u16string withoutMarkers(std::u16string_view text, std::size_t length, IsMarker isMarker) {
    std::u16string rest;
    rest.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (isMarker(text, i)) {
            i += length;
            continue;
        }
        rest.push_back(text[i++]);
    }
    return rest;
}

} // namespace

bool isNumber(std::u16string_view text) {
    // Every "#" is disregarded, wherever it stands; [begin, end) holds the rest.
    std::size_t begin = nextNonHash(text, 0);
    if (begin == noPosition) {
        return false;
    }
    std::size_t end = text.find_last_not_of(u'#') + 1;
    const std::size_t second = nextNonHash(text, begin + 1);
    int base = 16;
    if (text[begin] == u'%') {
        ++begin;
    } else if (second < end && isHexMarker(text[begin], text[second])) {
        begin = second + 1;
    } else if (toLowerChar(text[end - 1]) == u'h') {
        --end;
    } else {
        base = 10;
    }
    bool hasDigit = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] == u'#') {
            continue;
        }
        if (!isDigitOfBase(text[i], base)) {
            return false;
        }
        hasDigit = true;
    }
    return hasDigit;
}

bool isCharLiteral(std::u16string_view text) {
    return text.size() == 3 && text.front() == u'\'' && text.back() == u'\'';
}

std::int32_t valueOf(std::u16string_view text) {
    if (isCharLiteral(text)) {
        return text[1];
    }
    // Every occurrence of the marker is removed, then the digits are read.
    if (!text.empty() && toLowerChar(text.back()) == u'h') {
        return readDigits(withoutMarkers(text, 1, isHSuffix), 16);
    }
    if (!text.empty() && text.front() == u'%') {
        return readDigits(withoutMarkers(text, 1, isPercent), 16);
    }
    if (text.size() >= 2 && isHexMarker(text[0], text[1])) {
        return readDigits(withoutMarkers(text, 2, isHexPrefixAt), 16);
    }
    return readDigits(text, 10);
}

} // namespace tovi
