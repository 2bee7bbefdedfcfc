#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "assembler/equates.h"
#include "assembler/line_preparation.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;
using Lines = std::vector<std::u16string>;

LineTable substituted(const Lines& source) {
    LineTable table;
    tovi::prepareLines(table, source);
    tovi::substituteEquates(table);
    return table;
}

std::u16string operandsOf(const SourceLine& record) {
    return record.operand1 + u"|" + record.operand2;
}

struct OperandCase {
    const char* name;
    Lines source;
    std::u16string operands; // of the last line
};

TEST(EquateSubstitution, ReplacesNamesInTheOperandsOfTheLastLine) {
    // clang-format off
    const OperandCase cases[] = {
        {"plain", {u"cnt equ 5", u"mov r0,#cnt"}, u"r0|#5"},
        {"case ignored", {u"CNT equ 5", u"mov r0,#Cnt"}, u"r0|#5"},
        {"substring", {u"cnt equ 5", u"mov r0,#cnt2"}, u"r0|#52"},
        {"first definition wins", {u"x equ 1", u"x equ 2", u"mov a,#x"}, u"a|#1"},
        {"register name", {u"a equ 10", u"mov a,r0"}, u"10|r0"},
        {"nested, inner first", {u"base equ 32", u"top equ base", u"mov a,#top"}, u"a|#32"},
        {"nested, inner last", {u"top equ base", u"base equ 32", u"mov a,#top"}, u"a|#32"},
        {"umlauts in mixed case", {u"ZÄHLER equ 3", u"mov a,#zähler"}, u"a|#3"},
        {"umlaut in the operand", {u"größe equ 9", u"mov r1,#GRÖSSE"}, u"r1|#GRÖSSE"},
        {"every occurrence", {u"x equ 1", u"db X+x-x"}, u"1+1-1|"},
        {"both operands", {u"port equ p1", u"bits equ 0fh", u"anl PORT,#Bits"}, u"p1|#0fh"},
        {"no rescan of inserted text", {u"x equ xx", u"db x"}, u"xx|"},
        {"left to right without overlap", {u"aa equ b", u"db aaa"}, u"ba|"},
        {"value taken before the walk", {u"n equ 5n", u"db n"}, u"5n|"},
        {"value with blanks", {u"v equ 1 + 2", u"db v"}, u"1 + 2|"},
        {"empty value", {u"gone equ", u"db 1gone2"}, u"12|"},
    };
    // clang-format on
    for (const OperandCase& c : cases) {
        const LineTable table = substituted(c.source);
        EXPECT_EQ(operandsOf(table.records[static_cast<std::size_t>(table.lastLine)]), c.operands)
            << c.name;
    }
}

TEST(EquateSubstitution, TouchesOnlyOperandsUpToTheLastLine) {
    LineTable table;
    tovi::prepareLines(table,
                       Lines{u"x equ 1", u"y equ x", u"x equ 2", u"x: mov x,#x", u"x", u"db x"});
    table.lastLine = 4;
    tovi::substituteEquates(table);
    EXPECT_EQ(table.records[0].mnemonic, u"x");
    // A later equate's value sees the first definition.
    EXPECT_EQ(table.records[1].operand1, u"1");
    EXPECT_EQ(table.records[2].operand1, u"2");
    EXPECT_EQ(table.records[3].label + table.records[3].mnemonic, u"x:mov");
    EXPECT_EQ(operandsOf(table.records[3]), u"1|#1");
    EXPECT_EQ(table.records[4].mnemonic, u"x");
    EXPECT_EQ(table.records[5].operand1, u"x");
}

// The substitution in its plainest form: every equate in table order against
// every operand, lower-casing whole texts for each search.
void replaceAllPlain(std::u16string& text, const std::u16string& lowerName,
                     const std::u16string& value) {
    const std::u16string lower = tovi::toLowerCase(text);
    std::u16string result;
    std::size_t from = 0;
    for (auto at = lower.find(lowerName); at != std::u16string::npos;
         at = lower.find(lowerName, from)) {
        result += text.substr(from, at - from) + value;
        from = at + lowerName.size();
    }
    text = result + text.substr(from);
}

void substitutePlain(LineTable& table) {
    for (const SourceLine& equate : table.records) {
        if (equate.kind != tovi::equateLine) {
            continue;
        }
        const std::u16string name = tovi::toLowerCase(equate.mnemonic);
        const std::u16string value = equate.operand1;
        for (SourceLine& record : table.records) {
            replaceAllPlain(record.operand1, name, value);
            replaceAllPlain(record.operand2, name, value);
        }
    }
}

// Names and operand pieces chosen so that several characters share a filter bit
// ('a' and '!', 'ä' and '$', 'Ä' and 'D'), upper and lower case mix, and names
// overlap one another. Few equates with short values keep nested substitution
// from growing the texts without bound.
Lines generatedProgram(std::uint32_t seed) {
    const std::vector<std::u16string> names = {u"a",  u"!",  u"ä",    u"$",      u"Äd", u"D",
                                               u"ab", u"ba", u"ZÄHL", u"zähler", u"x1", u"X"};
    const std::vector<std::u16string> pieces = {u"a", u"A", u"!", u"ä", u"Ä", u"$",    u"d",
                                                u"D", u"b", u"1", u"x", u"#", u"zÄhl", u"er"};
    std::uint32_t state = seed;
    auto next = [&state](std::size_t bound) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::size_t>((state >> 8) % bound);
    };
    auto randomText = [&](std::size_t maxPieces) {
        std::u16string text;
        for (std::size_t k = next(maxPieces + 1); k > 0; --k) {
            text += pieces[next(pieces.size())];
        }
        return text;
    };
    Lines source;
    for (int line = 0; line < 300; ++line) {
        source.push_back(line % 30 == 0 ? names[next(names.size())] + u" equ " + randomText(1)
                                        : u"mov " + randomText(4) + u"," + randomText(4));
    }
    return source;
}

TEST(EquateSubstitution, AgreesWithThePlainOrderOnGeneratedPrograms) {
    for (std::uint32_t seed = 1; seed <= 15; ++seed) {
        LineTable fast;
        LineTable plain;
        tovi::prepareLines(fast, generatedProgram(seed));
        tovi::prepareLines(plain, generatedProgram(seed));
        const LineTable untouched = plain;
        tovi::substituteEquates(fast);
        substitutePlain(plain);
        ASSERT_EQ(fast.lastLine, plain.lastLine);
        int changed = 0;
        for (std::size_t j = 0; j < fast.records.size(); ++j) {
            ASSERT_EQ(operandsOf(fast.records[j]), operandsOf(plain.records[j]))
                << "seed " << seed << ", line " << j;
            changed += operandsOf(fast.records[j]) != operandsOf(untouched.records[j]);
        }
        EXPECT_GT(changed, 0) << "seed " << seed; // the programs do exercise substitution
    }
}

} // namespace
