#include "common/codepage.h"

#include <array>

namespace tovi {
namespace {

// Code points of the bytes 80H … 9FH; the unassigned bytes map to themselves.
constexpr std::array<char16_t, 32> windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

bool windows1252Byte(char16_t c, unsigned char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<unsigned char>(c);
        return true;
    }
    for (std::size_t i = 0; i < windows1252High.size(); ++i) {
        if (windows1252High[i] == c) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

} // namespace

std::u16string decodeWindows1252(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = (b >= 0x80 && b < 0xA0) ? windows1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    return text;
}

std::string encodeWindows1252(std::u16string_view text, bool* lossy) {
    std::string bytes;
    bytes.reserve(text.size());
    bool replaced = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char b = 0;
        if (windows1252Byte(text[i], b)) {
            bytes.push_back(static_cast<char>(b));
            continue;
        }
        replaced = true;
        bytes.push_back('?');
        // A surrogate pair is one character: one "?" stands for both halves.
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            ++i;
        }
    }
    if (lossy != nullptr) {
        *lossy = replaced;
    }
    return bytes;
}

std::u16string decodeLatin1(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[i] = static_cast<unsigned char>(bytes[i]);
    }
    return text;
}

} // namespace tovi
