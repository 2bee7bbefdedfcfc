#include "common/text.h"

namespace tovi {

char16_t toLowerChar(char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) { // À … Þ without ×
        return static_cast<char16_t>(c + 0x20);
    }
    switch (c) {
    case 0x0160: // Š
    case 0x0152: // Œ
    case 0x017D: // Ž
        return static_cast<char16_t>(c + 1);
    case 0x0178: // Ÿ
        return 0x00FF;
    default:
        return c;
    }
}

std::u16string toLowerCase(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) {
        c = toLowerChar(c);
    }
    return lower;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLowerChar(a[i]) != toLowerChar(b[i])) {
            return false;
        }
    }
    return true;
}

std::u16string_view trimBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

std::u16string decimalText(std::int64_t value) {
    const bool negative = value < 0;
    // Work on the unsigned magnitude so that the most negative value is safe.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char16_t digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::u16string text;
    text.reserve(static_cast<std::size_t>(n) + 1);
    if (negative) {
        text.push_back(u'-');
    }
    while (n > 0) {
        text.push_back(digits[--n]);
    }
    return text;
}

std::int32_t readDigits(std::u16string_view digits, int base) {
    std::uint64_t value = 0;
    for (const char16_t c : digits) {
        const char16_t lower = toLowerChar(c);
        int digit = base;
        if (lower >= u'0' && lower <= u'9') {
            digit = lower - u'0';
        } else if (lower >= u'a' && lower <= u'f') {
            digit = lower - u'a' + 10;
        }
        if (digit >= base) {
            break;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::u16string withoutControlCharacters(std::u16string_view text) {
    std::u16string shown(text);
    for (char16_t& c : shown) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (control && c != u'\t') {
            c = u'?';
        }
    }
    return shown;
}

std::string printableText(std::string_view bytes) {
    return toUtf8(withoutControlCharacters(fromUtf8(bytes)));
}

std::string excerpt(std::string_view utf8, std::size_t limit) {
    const auto startsCharacter = [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    };
    std::size_t characters = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (startsCharacter(utf8[i]) && characters++ == limit) {
            return std::string(utf8.substr(0, i)) + "…";
        }
    }
    return std::string(utf8);
}

bool LineCursor::next(std::u16string_view& line) {
    if (done_) {
        return false;
    }
    const std::size_t end = text_.find_first_of(u"\r\n", next_);
    if (end == std::u16string_view::npos) {
        line = text_.substr(next_);
        next_ = text_.size();
        done_ = true;
        return true;
    }
    line = text_.substr(next_, end - next_);
    const bool crLf = text_[end] == u'\r' && end + 1 < text_.size() && text_[end + 1] == u'\n';
    next_ = end + (crLf ? 2 : 1);
    return true;
}

std::u16string fromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0xFFFD;
        std::size_t length = 1;
        auto continuation = [&](std::size_t k) {
            return i + k < utf8.size() && (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
        };
        auto bits = [&](std::size_t k) { return static_cast<char32_t>(utf8[i + k] & 0x3F); };
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0 && continuation(1)) {
            cp = (static_cast<char32_t>(b0 & 0x1F) << 6) | bits(1);
            length = 2;
        } else if ((b0 & 0xF0) == 0xE0 && continuation(1) && continuation(2)) {
            cp = (static_cast<char32_t>(b0 & 0x0F) << 12) | (bits(1) << 6) | bits(2);
            length = 3;
        } else if ((b0 & 0xF8) == 0xF0 && continuation(1) && continuation(2) && continuation(3)) {
            cp = (static_cast<char32_t>(b0 & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) |
                 bits(3);
            length = 4;
        }
        i += length;
        if (cp > 0x10FFFF) {
            cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace tovi
