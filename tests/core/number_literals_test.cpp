#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "assembler/number_literals.h"
#include "common/text.h"

namespace {

using tovi::toUtf8;

struct RecognitionCase {
    std::u16string_view text;
    bool expected;
};

struct ValueCase {
    std::u16string_view text;
    std::int32_t expected;
};

struct BitsCase {
    std::int64_t value;
    int width;
    std::u16string_view expected;
};

TEST(NumberRecognition, AcceptsTheFourNumberForms) {
    const RecognitionCase cases[] = {
        {u"0", true},    {u"255", true},  {u"007", true},   {u"%1F", true},
        {u"%1f", true},  {u"%101", true}, {u"0x7ff", true}, {u"0X7FF", true},
        {u"0X1f", true}, {u"0FFh", true}, {u"0ffH", true},  {u"FFH", true},
        {u"ah", true},   {u"0h", true},   {u"12", true},    {u"4294967296", true},
        {u"0x0", true},  {u"%0", true},   {u"0", true},     {u"123456789012345", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::isNumber(c.text), c.expected);
    }
}

TEST(NumberRecognition, RejectsMalformedTexts) {
    const RecognitionCase cases[] = {
        {u"", false},      {u"%", false},     {u"0x", false},    {u"h", false},    {u"H", false},
        {u"0x12h", false}, {u"%12h", false},  {u"%0x12", false}, {u"-1", false},   {u"+1", false},
        {u"101b", false},  {u"0b101", false}, {u"$1F", false},   {u"1+2", false},  {u"1 2", false},
        {u" 12", false},   {u"12 ", false},   {u"1F", false},    {u"ff", false},   {u"0xg", false},
        {u"%%1", false},   {u"12hh", false},  {u"x12", false},   {u"'A'", false},  {u"#", false},
        {u"##", false},    {u"#%", false},    {u"loop", false},  {u"0xx1", false}, {u"1.5", false},
        {u"١٢", false},    {u"１２", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::isNumber(c.text), c.expected);
    }
}

TEST(NumberRecognition, DisregardsEveryHash) {
    const RecognitionCase cases[] = {
        {u"#12", true},  {u"1#2", true},   {u"12#", true},   {u"##0FFh", true}, {u"#%1F", true},
        {u"%#1F", true}, {u"0#x1F", true}, {u"#0x1F", true}, {u"0FF#h", true},  {u"0FFh#", true},
        {u"#h", false},  {u"#0x#", false}, {u"#-1", false},  {u"#1 2", false},  {u"#%12h", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::isNumber(c.text), c.expected);
    }
}

TEST(CharLiteralRecognition, NeedsExactlyThreeCharactersInQuotes) {
    const RecognitionCase cases[] = {
        {u"'A'", true},    {u"'a'", true}, {u"'''", true},   {u"' '", true},   {u"'#'", true},
        {u"'ä'", true},    {u"''", false}, {u"'ab'", false}, {u"'A", false},   {u"A'", false},
        {u"\"A\"", false}, {u"", false},   {u"'", false},    {u"x'A'", false}, {u"'A'x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::isCharLiteral(c.text), c.expected);
    }
}

TEST(NumberValue, EvaluatesEachForm) {
    const ValueCase cases[] = {
        {u"255", 255},    {u"007", 7},      {u"0", 0},       {u"%1F", 31},    {u"%101", 257},
        {u"0x7ff", 2047}, {u"0X7FF", 2047}, {u"0X1f", 31},   {u"0FFh", 255},  {u"0ffH", 255},
        {u"FFH", 255},    {u"ah", 10},      {u"7FFh", 2047}, {u"800H", 2048}, {u"'A'", 65},
        {u"'a'", 97},     {u"'''", 39},     {u"' '", 32},    {u"'ä'", 0xE4},  {u"'€'", 0x20AC},
        {u"'0'", 48},     {u"'h'", 104},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::valueOf(c.text), c.expected);
    }
}

TEST(NumberValue, WrapsToThirtyTwoBits) {
    const ValueCase cases[] = {
        {u"2147483647", 2147483647},
        {u"2147483648", -2147483647 - 1},
        {u"4294967295", -1},
        {u"4294967296", 0},
        {u"4294967553", 257},
        {u"0FFFFFFFFh", -1},
        {u"%100000000", 0},
        {u"0x1000000FF", 255},
        // 2^64 + 5 wraps the 64-bit sum to 5.
        {u"18446744073709551621", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::valueOf(c.text), c.expected);
    }
}

TEST(NumberValue, StopsAtTheFirstCharacterOutsideTheBase) {
    const ValueCase cases[] = {
        {u"#12", 0},     {u"1#2", 1},     {u"12#", 12},      {u"0x1#2", 1}, {u"#12h", 0},
        {u"", 0},        {u"%", 0},       {u"0x", 0},        {u"h", 0},     {u"0x12h", 0},
        {u"1h2h", 0x12}, {u"%1%2", 0x12}, {u"0x10x2", 0x12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.text));
        EXPECT_EQ(tovi::valueOf(c.text), c.expected);
    }
}

TEST(BitsText, GivesTheLowBitsZeroPadded) {
    const BitsCase cases[] = {
        {5, 8, u"00000101"},     {0, 8, u"00000000"},
        {7, 3, u"111"},          {255, 8, u"11111111"},
        {261, 8, u"00000101"},   {0x68, 8, u"01101000"},
        {-1, 8, u"11111111"},    {-256, 8, u"00000000"},
        {0x7FF >> 8, 3, u"111"}, {0x500 >> 8, 3, u"101"},
        {8, 3, u"000"},          {1, 1, u"1"},
        {0x80, 8, u"10000000"},  {-2147483647 - 1, 8, u"00000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        SCOPED_TRACE(c.width);
        EXPECT_EQ(tovi::bitsText(c.value, c.width), c.expected);
    }
}

TEST(BitsText, AssigningReplacesThePreviousDigits) {
    std::u16string target = u"previous text that is longer";
    tovi::assignBitsText(target, 0x12, 8);
    EXPECT_EQ(target, u"00010010");
    tovi::assignBitsText(target, 2, 3);
    EXPECT_EQ(target, u"010");
}

} // namespace
