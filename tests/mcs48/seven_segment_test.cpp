// The figures a seven-segment digit shows (bit 0 = a … bit 6 = g, bit 7 = point).

#include <gtest/gtest.h>

#include "mcs48/seven_segment.h"

namespace tovi::test {
namespace {

struct Case {
    std::uint8_t segments;
    const char* figure;
};

// clang-format off
const Case cases[] = {
    {0x3F, "0"}, {0x06, "1"}, {0x5B, "2"}, {0x4F, "3"}, {0x66, "4"}, {0x6D, "5"},
    {0x7D, "6"}, {0x07, "7"}, {0x27, "7"}, {0x7F, "8"}, {0x6F, "9"}, {0x67, "9"},
    {0x77, "A"}, {0x7C, "b"}, {0x39, "C"}, {0x5E, "d"}, {0x79, "E"}, {0x71, "F"},
    {0x40, "-"}, {0x00, " "}, {0xBF, "0."}, {0x80, " ."},
    {0x49, "49"}, {0xC9, "49."}, {0x08, "08"}, {0x7E, "7E"}, {0x3E, "3E"},
};
// clang-format on

TEST(SevenSegment, ShowsTheFigureOrTheSegmentsInHex) {
    for (const Case& row : cases) {
        EXPECT_EQ(mcs48::figureOf(row.segments), row.figure) << int(row.segments);
    }
}

} // namespace
} // namespace tovi::test
