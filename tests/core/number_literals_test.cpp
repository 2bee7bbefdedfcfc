#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "assembler/number_literals.h"
#include "common/text.h"

namespace {

using tovi::toUtf8;

// Decimal, "%" + hex, "0x" + hex, hex + "h"; every "#" is disregarded.
TEST(NumberLiterals, RecognisesNumbers) {
    const std::u16string_view numbers[] = {
        u"0",     u"255", u"007", u"%1F",    u"%1f",  u"0x7ff", u"0X1f",       u"0FFh",
        u"0ffH",  u"FFH", u"ah",  u"0h",     u"0x0",  u"%0",    u"4294967296", u"123456789012345",
        u"#12",   u"1#2", u"12#", u"##0FFh", u"%#1F", u"0#x1F", u"#0x1F",      u"0FF#h",
        u"0FFh#",
    };
    const std::u16string_view nonNumbers[] = {
        u"",    u"%",    u"0x",    u"h",    u"H",   u"0x12h", u"%12h", u"%0x12", u"-1",
        u"+1",  u"101b", u"0b101", u"$1F",  u"1+2", u"1 2",   u" 12",  u"12 ",   u"1F",
        u"ff",  u"0xg",  u"%%1",   u"12hh", u"x12", u"'A'",   u"#",    u"##",    u"#%",
        u"1.5", u"#h",   u"#0x#",  u"#-1",  u"١٢",  u"１２",
    };
    for (const auto text : numbers) {
        EXPECT_TRUE(tovi::isNumber(text)) << toUtf8(text);
    }
    for (const auto text : nonNumbers) {
        EXPECT_FALSE(tovi::isNumber(text)) << toUtf8(text);
    }
}

TEST(NumberLiterals, RecognisesCharacterLiteralsOfExactlyThreeCharacters) {
    for (const std::u16string_view text : {u"'A'", u"'''", u"' '", u"'#'", u"'ä'"}) {
        EXPECT_TRUE(tovi::isCharLiteral(text)) << toUtf8(text);
    }
    for (const std::u16string_view text :
         {u"''", u"'ab'", u"'A", u"A'", u"\"A\"", u"", u"'", u"x'A'", u"'A'x"}) {
        EXPECT_FALSE(tovi::isCharLiteral(text)) << toUtf8(text);
    }
}

struct ValueCase {
    std::u16string_view text;
    std::int32_t expected;
};

// Values wrap to 32 bits (2^64 + 5 wraps the 64-bit sum to 5); reading stops at
// the first character outside the base.
TEST(NumberLiterals, EvaluatesEachForm) {
    // clang-format off
    const ValueCase cases[] = {
        {u"255", 255}, {u"007", 7}, {u"%1F", 31}, {u"%101", 257}, {u"0x7ff", 2047}, {u"0X1f", 31},
        {u"0ffH", 255}, {u"ah", 10}, {u"800H", 2048}, {u"'A'", 65}, {u"'a'", 97}, {u"'''", 39},
        {u"'ä'", 0xE4}, {u"'€'", 0x20AC}, {u"'h'", 104}, {u"2147483647", 2147483647},
        {u"2147483648", -2147483647 - 1}, {u"4294967295", -1}, {u"4294967553", 257},
        {u"0FFFFFFFFh", -1}, {u"%100000000", 0}, {u"0x1000000FF", 255},
        {u"18446744073709551621", 5}, {u"#12", 0}, {u"1#2", 1}, {u"12#", 12}, {u"0x1#2", 1},
        {u"", 0}, {u"0x", 0}, {u"0x12h", 0}, {u"1h2h", 0x12}, {u"%1%2", 0x12}, {u"0x10x2", 0x12},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(tovi::valueOf(c.text), c.expected) << toUtf8(c.text);
    }
}

struct BitsCase {
    std::int64_t value;
    int width;
    std::u16string_view expected;
};

TEST(NumberLiterals, BitsTextGivesTheLowBitsZeroPadded) {
    const BitsCase cases[] = {
        {5, 8, u"00000101"},    {0, 8, u"00000000"},    {7, 3, u"111"},
        {261, 8, u"00000101"},  {0x80, 8, u"10000000"}, {-1, 8, u"11111111"},
        {-256, 8, u"00000000"}, {8, 3, u"000"},         {1, 1, u"1"},
    };
    std::u16string reused = u"previous text that is longer";
    for (const auto& c : cases) {
        EXPECT_EQ(tovi::bitsText(c.value, c.width), c.expected) << c.value << "/" << c.width;
        tovi::assignBitsText(reused, c.value, c.width);
        EXPECT_EQ(reused, c.expected) << c.value << "/" << c.width;
    }
}

} // namespace
