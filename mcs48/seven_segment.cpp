#include "mcs48/seven_segment.h"

#include <array>
#include <string_view>

#include "common/hex_text.h"

namespace tovi::mcs48 {
namespace {

constexpr std::uint8_t a = 0x01, b = 0x02, c = 0x04, d = 0x08, e = 0x10, f = 0x20, g = 0x40;
constexpr std::uint8_t point = 0x80;

struct Figure {
    std::uint8_t segments;
    std::string_view text;
};

// 6 without its top bar is the b; 7 and 9 come with and without f and d.
// clang-format off
constexpr std::array<Figure, 20> figures = {{
    {a | b | c | d | e | f,     "0"},
    {b | c,                     "1"},
    {a | b | d | e | g,         "2"},
    {a | b | c | d | g,         "3"},
    {b | c | f | g,             "4"},
    {a | c | d | f | g,         "5"},
    {a | c | d | e | f | g,     "6"},
    {a | b | c,                 "7"},
    {a | b | c | f,             "7"},
    {a | b | c | d | e | f | g, "8"},
    {a | b | c | d | f | g,     "9"},
    {a | b | c | f | g,         "9"},
    {a | b | c | e | f | g,     "A"},
    {c | d | e | f | g,         "b"},
    {a | d | e | f,             "C"},
    {b | c | d | e | g,         "d"},
    {a | d | e | f | g,         "E"},
    {a | e | f | g,             "F"},
    {g,                         "-"},
    {0,                         " "},
}};
// clang-format on

std::string figureOfSegments(std::uint8_t segments) {
    for (const Figure& figure : figures) {
        if (figure.segments == segments) {
            return std::string(figure.text);
        }
    }
    return hexText(segments, 2);
}

} // namespace

std::string figureOf(std::uint8_t segments) {
    std::string text = figureOfSegments(segments & ~point);
    if (segments & point) {
        text += '.';
    }
    return text;
}

} // namespace tovi::mcs48
