// The LCD controller driven by bus transfers as a program sends them, against
// what the display shows and what reads return.

#include <gtest/gtest.h>

#include <cctype>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>

#include "common/hex_text.h"
#include "common/text.h"
#include "mcs48/hd44780.h"

namespace tovi::test {
namespace {

using mcs48::Hd44780;

// One transfer, or two in 4-bit mode (the unconnected lines D3–D0 float high);
// returns the lines read while E is high, in 4-bit mode from both nibbles.
unsigned transfer(Hd44780& lcd, bool nibbles, bool rs, bool rw, std::uint8_t byte) {
    const unsigned first = lcd.readLines(rs);
    lcd.fallingEdge(rs, rw, nibbles ? byte | 0x0F : byte);
    if (!nibbles) {
        return first;
    }
    const unsigned second = lcd.readLines(rs);
    lcd.fallingEdge(rs, rw, static_cast<std::uint8_t>(byte << 4 | 0x0F));
    return (first & 0xF0) | second >> 4;
}

// "I38 D'Hallo' D5C A R": I writes an instruction, D data (a hex byte or each
// character of a quoted text), A reads busy flag and address, R data; in lower
// case as two 4-bit transfers. Then what the display shows:
// "line 1|line 2|cursor line,column (_ underline, # blink) or -|width|reads".
std::string shownAfter(const std::string& bus) {
    Hd44780 lcd;
    std::istringstream words(bus);
    std::string reads;
    for (char kind; words >> kind;) {
        const bool nibbles = std::islower(kind) != 0;
        const bool rs = std::string_view("DdRr").find(kind) != std::string_view::npos;
        if (std::string_view("AaRr").find(kind) != std::string_view::npos) {
            reads += hexText(transfer(lcd, nibbles, rs, true, 0xFF), 2) + " ";
            continue;
        }
        std::string bytes;
        if (words.peek() == '\'') {
            words >> std::quoted(bytes, '\'');
        } else {
            unsigned byte = 0;
            words >> std::hex >> byte;
            bytes = std::string(1, static_cast<char>(byte));
        }
        for (const char byte : bytes) {
            transfer(lcd, nibbles, rs, false, static_cast<std::uint8_t>(byte));
        }
    }
    const auto lines = lcd.visibleText();
    const auto cursor = lcd.cursor();
    const std::string place =
        !cursor ? "-"
                : std::to_string(cursor->line) + "," + std::to_string(cursor->column) +
                      (cursor->underline ? "_" : "") + (cursor->blinks ? "#" : "");
    return toUtf8(lines[0]) + "|" + toUtf8(lines[1]) + "|" + place + "|" +
           std::to_string(lcd.interfaceWidth()) + "|" + reads;
}

struct Case {
    const char* bus;
    const char* shown;
};

// clang-format off
const Case cases[] = {
    {"",                                          "                |                |-|8|"},
    {"I0E D'Hallo' IC0 D'Welt' A",                "Hallo           |                |-|8|44 "},
    {"I38 I0E I06 D'Hallo' IC0 D'Welt'",          "Hallo           |Welt            |1,4_|8|"},
    {"I38 I08 D'Hallo' A",                        "                |                |-|8|05 "},
    {"I3F I3F I3F I2F i28 i0F i06 d'Hallo' iC0 d'Welt' a",
                                                  "Hallo           |Welt            |1,4_#|4|44 "},
    {"I2F I3F I3F I3F I2F i28 i0D d'Hi'",         "Hi              |                |0,2#|4|"},
    {"I2F iA7 d'x' a",                            "                |                |-|4|28 "},
    {"I38 I0C D'Hallo' I01 D'X' A",               "X               |                |-|8|01 "},
    {"I38 I0C I04 I01 D'ab'",                     "ab              |                |-|8|"},
    {"I38 I0E D'Hallo' I18 I18 I02 D'J'",         "Jallo           |                |0,1_|8|"},
    {"I38 I0E D'Hallo' I10 I10 D'X' I14",         "HalXo           |                |0,5_|8|"},
    {"I38 I0E D'Hallo' I1C I1C",                  "  Hallo         |                |0,7_|8|"},
    {"I38 I0E I04 I85 D'abc'",                    "   cba          |                |0,2_|8|"},
    {"I38 I0E I05 I88 D'abc'",                    "         cba    |                |0,8_|8|"},
    {"I38 I0E I07 I8F D'ABC'",                    "            ABC |                |0,15_|8|"},
    {"I38 I0E D'ABCDEFGHIJKLMNOPQR' I18 I18 I10", "CDEFGHIJKLMNOPQR|                |0,15_|8|"},
    {"I38 I0C IA6 D'xyz' A",                      "                |z               |-|8|41 "},
    {"I38 I0C I40 D1F D11 I80 D00 D08 D41 I40 R R A",
                                                  "▒▒A             |                |-|8|1F 11 02 "},
    {"I38 I0C D5C D7E D7F D10 DA0 DA1 DB1 DDF DE0 DE1 DEF DF2 DF4 DFA DFF",
                                                  "¥→←  ｡ｱﾟαäöθΩ千█ |                |-|8|"},
    {"I38 I0C D'Hallo' I81 R R A",                "Hallo           |                |-|8|61 6C 03 "},
    {"I2F i28 i0C d'Hallo' i81 r r a",            "Hallo           |                |-|4|61 6C 03 "},
};
// clang-format on

TEST(Hd44780, ShowsWhatTheBusTransfersWrote) {
    for (const Case& row : cases) {
        EXPECT_EQ(shownAfter(row.bus), row.shown) << row.bus;
    }
}

} // namespace
} // namespace tovi::test
