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

const SourceLine& lastRecord(const LineTable& table) {
    return table.records[static_cast<std::size_t>(table.lastLine)];
}

// --- Substitution results ------------------------------------------------------

struct OperandCase {
    const char* name;
    Lines source;
    std::u16string operand1; // of the last line
    std::u16string operand2;
};

TEST(EquateSubstitution, ReplacesNamesInTheOperandsOfTheLastLine) {
    const std::vector<OperandCase> cases = {
        {"plain", {u"cnt equ 5", u"mov r0,#cnt"}, u"r0", u"#5"},
        {"case ignored", {u"CNT equ 5", u"mov r0,#Cnt"}, u"r0", u"#5"},
        {"substring", {u"cnt equ 5", u"mov r0,#cnt2"}, u"r0", u"#52"},
        {"first definition wins", {u"x equ 1", u"x equ 2", u"mov a,#x"}, u"a", u"#1"},
        {"register name", {u"a equ 10", u"mov a,r0"}, u"10", u"r0"},
        {"nested, inner first", {u"base equ 32", u"top equ base", u"mov a,#top"}, u"a", u"#32"},
        {"nested, inner last", {u"top equ base", u"base equ 32", u"mov a,#top"}, u"a", u"#32"},
        {"umlauts in mixed case", {u"ZÄHLER equ 3", u"mov a,#zähler"}, u"a", u"#3"},
        {"umlaut in the operand", {u"größe equ 9", u"mov r1,#GRÖSSE"}, u"r1", u"#GRÖSSE"},
        {"every occurrence", {u"x equ 1", u"db X+x-x"}, u"1+1-1", u""},
        {"both operands", {u"port equ p1", u"bits equ 0fh", u"anl PORT,#Bits"}, u"p1", u"#0fh"},
        {"no rescan of inserted text", {u"x equ xx", u"db x"}, u"xx", u""},
        {"left to right without overlap", {u"aa equ b", u"db aaa"}, u"ba", u""},
        {"jump target", {u"dest equ there", u"jmp dest"}, u"there", u""},
        {"undefined name kept", {u"cnt equ 5", u"mov r0,#cmt"}, u"r0", u"#cmt"},
        {"value taken before the walk", {u"n equ 5n", u"db n"}, u"5n", u""},
        {"value with blanks", {u"v equ 1 + 2", u"db v"}, u"1 + 2", u""},
        {"empty value", {u"gone equ", u"db 1gone2"}, u"12", u""},
    };
    for (const OperandCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LineTable table = substituted(c.source);
        EXPECT_EQ(lastRecord(table).operand1, c.operand1);
        EXPECT_EQ(lastRecord(table).operand2, c.operand2);
    }
}

TEST(EquateSubstitution, LeavesLabelsMnemonicsAndEquateRecordsInPlace) {
    const LineTable table = substituted({u"x equ 1", u"x: mov x,#x", u"x"});
    ASSERT_EQ(table.lastLine, 2);
    EXPECT_EQ(table.records[0].kind, tovi::equateLine);
    EXPECT_EQ(table.records[0].mnemonic, u"x");
    EXPECT_EQ(table.records[1].label, u"x:");
    EXPECT_EQ(table.records[1].mnemonic, u"mov");
    EXPECT_EQ(table.records[1].operand1, u"1");
    EXPECT_EQ(table.records[1].operand2, u"#1");
    EXPECT_EQ(table.records[2].mnemonic, u"x");
    EXPECT_EQ(table.records[2].operand1, u"");
}

TEST(EquateSubstitution, LaterEquateValueSeesTheFirstDefinition) {
    const LineTable table = substituted({u"x equ 1", u"y equ x", u"x equ 2"});
    EXPECT_EQ(table.records[1].operand1, u"1");
    EXPECT_EQ(table.records[2].operand1, u"2");
}

TEST(EquateSubstitution, IgnoresRecordsAboveLastLine) {
    LineTable table;
    tovi::prepareLines(table, Lines{u"x equ 1", u"db x", u"db x"});
    table.lastLine = 1;
    tovi::substituteEquates(table);
    EXPECT_EQ(table.records[1].operand1, u"1");
    EXPECT_EQ(table.records[2].operand1, u"x");
}

// --- Agreement with the plain order on generated programs ---------------------

// The substitution in its plainest form: every equate in table order against
// every operand, lower-casing whole texts for each search.
void replaceAllPlain(std::u16string& text, const std::u16string& lowerName,
                     const std::u16string& value) {
    std::u16string lower = tovi::toLowerCase(text);
    std::u16string result;
    std::size_t from = 0;
    for (auto at = lower.find(lowerName); at != std::u16string::npos;
         at = lower.find(lowerName, from)) {
        result += text.substr(from, at - from) + value;
        from = at + lowerName.size();
    }
    result += text.substr(from);
    text = result;
}

void substitutePlain(LineTable& table) {
    for (int i = 0; i <= table.lastLine; ++i) {
        const SourceLine& equate = table.records[static_cast<std::size_t>(i)];
        if (equate.kind != tovi::equateLine) {
            continue;
        }
        const std::u16string name = tovi::toLowerCase(equate.mnemonic);
        const std::u16string value = equate.operand1;
        for (int j = 0; j <= table.lastLine; ++j) {
            replaceAllPlain(table.records[static_cast<std::size_t>(j)].operand1, name, value);
            replaceAllPlain(table.records[static_cast<std::size_t>(j)].operand2, name, value);
        }
    }
}

// Names and operand pieces chosen so that several characters share a filter bit
// ('a' and '!', 'ä' and '$', 'Ä' and 'D'), upper and lower case mix, and names
// overlap one another.
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
    // Few equates with short values: each substitution may lengthen operands,
    // and a chain of them must not grow the texts without bound.
    Lines source;
    for (int line = 0; line < 300; ++line) {
        if (line % 30 == 0) {
            source.push_back(names[next(names.size())] + u" equ " + randomText(1));
        } else {
            source.push_back(u"mov " + randomText(4) + u"," + randomText(4));
        }
    }
    return source;
}

TEST(EquateSubstitution, AgreesWithThePlainOrderOnGeneratedPrograms) {
    for (std::uint32_t seed = 1; seed <= 15; ++seed) {
        SCOPED_TRACE(seed);
        LineTable fast;
        LineTable plain;
        tovi::prepareLines(fast, generatedProgram(seed));
        tovi::prepareLines(plain, generatedProgram(seed));
        tovi::substituteEquates(fast);
        substitutePlain(plain);
        ASSERT_EQ(fast.lastLine, plain.lastLine);
        int changed = 0;
        for (int j = 0; j <= fast.lastLine; ++j) {
            const auto index = static_cast<std::size_t>(j);
            ASSERT_EQ(fast.records[index].operand1, plain.records[index].operand1) << j;
            ASSERT_EQ(fast.records[index].operand2, plain.records[index].operand2) << j;
        }
        LineTable untouched;
        tovi::prepareLines(untouched, generatedProgram(seed));
        for (int j = 0; j <= fast.lastLine; ++j) {
            const auto index = static_cast<std::size_t>(j);
            changed += fast.records[index].operand1 != untouched.records[index].operand1;
        }
        EXPECT_GT(changed, 0); // the generated programs do exercise substitution
    }
}

} // namespace
