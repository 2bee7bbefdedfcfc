#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/line_preparation.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;
using tovi::toUtf8;
using Lines = std::vector<std::u16string>;

LineTable prepared(const Lines& lines) {
    LineTable table;
    tovi::prepareLines(table, lines);
    return table;
}

// "label|mnemonic|operand1|operand2", then "|equ" for an equate and "|+" for
// text after a second comma.
std::u16string render(const SourceLine& r) {
    return r.label + u"|" + r.mnemonic + u"|" + r.operand1 + u"|" + r.operand2 +
           (r.kind != tovi::ordinaryLine ? u"|equ" : u"") + (r.excessOperands != 0 ? u"|+" : u"");
}

std::vector<std::u16string> fieldOfEach(const LineTable& table, std::u16string SourceLine::*field) {
    std::vector<std::u16string> values;
    for (int i = 0; i < table.size(); ++i) {
        values.push_back(table.records[static_cast<std::size_t>(i)].*field);
    }
    return values;
}

struct SplitCase {
    std::u16string line;
    std::u16string expected;
};

// Only blanks and tabs are trimmed; other control characters stay in the text.
TEST(LinePreparation, SplitsOneLineIntoItsParts) {
    // clang-format off
    const SplitCase cases[] = {
        {u"Loop: DJNZ R2,Loop ; count", u"Loop:|DJNZ|R2|Loop"},
        {u"count equ 10h", u"|count|10h||equ"},
        {u"count: equ 10h", u"count:|equ|10h|"}, {u"x equ 1,2", u"|x|equ 1|2"},
        {u"jmp equal", u"|jmp|al||equ"}, {u"mov a , r0", u"|mov|a|r0"},
        {u"\t\tmov\t\ta ,\t#5\t", u"|mov|a|#5"}, {u"loop : nop", u"loop :|nop||"},
        {u"db ';'", u"|db|'|"}, {u"db 'a:b'", u"db 'a:|b'||"}, {u"CNT EQU  5 ", u"|CNT|5||equ"},
        {u"cnt eQu5", u"|cnt|5||equ"}, {u"cnt equ", u"|cnt|||equ"}, {u"mov eq", u"|mov|eq|"},
        {u"mov a,@ r0", u"|mov|a|@ r0"}, {u"mov ,a", u"|mov||a"}, {u"mov a,", u"|mov|a|"},
        {u":nop", u"|:nop||"}, {u"a:b:c", u"a:|b:c||"}, {u"Größe equ 7", u"|Größe|7||equ"},
        {u"nop\r", u"|nop\r||"}, {u"END here", u"|END|here|"},
        {u"db 1,2,3", u"|db|1|2|+"}, {u"db 1,2,,3", u"|db|1|2|+"}, {u"db 1,2,", u"|db|1|2"},
        {u"db 1,2, \t ", u"|db|1|2"}, {u"db 1,2 ;,3", u"|db|1|2"}, {u"x equ 1,2,3", u"|x|equ 1|2|+"},
        {u"db 1,,", u"|db|1|"}, {u"db ,,x", u"|db|||+"},
    };
    // clang-format on
    for (const SplitCase& c : cases) {
        const LineTable table = prepared({c.line});
        ASSERT_EQ(table.lastLine, 0) << toUtf8(c.line);
        EXPECT_EQ(table.records[0].lineNumber, 1);
        EXPECT_EQ(render(table.records[0]), c.expected) << toUtf8(c.line);
    }
}

TEST(LinePreparation, BlankAndCommentLinesStoreNothingButCountAsLines) {
    for (const Lines& source : {Lines{}, Lines{u"", u"   ", u"\t", u" \t \t"},
                                Lines{u"; comment", u"   ; indented", u"\t;", u";;"}}) {
        LineTable table;
        table.lastLine = 7;
        EXPECT_EQ(tovi::prepareLines(table, source), -1);
        EXPECT_EQ(table.lastLine, -1);
    }
    const LineTable table = prepared({u"", u"; header", u"nop", u"\t", u"ret ; back"});
    ASSERT_EQ(table.lastLine, 1);
    EXPECT_EQ(table.records[0].lineNumber, 3);
    EXPECT_EQ(table.records[1].lineNumber, 5);
}

struct MultiLineCase {
    Lines source;
    std::vector<std::u16string> expected;
};

TEST(LinePreparation, EndDirectiveStopsThePassOnlyWhenAlone) {
    const MultiLineCase cases[] = {
        {{u"nop", u"END", u"ret"}, {u"nop"}},
        {{u"nop", u".End", u"ret"}, {u"nop"}},
        {{u"nop", u"\t  end ; stop here", u"ret"}, {u"nop"}},
        {{u"nop", u"END;", u"ret"}, {u"nop"}},
        {{u"END", u"nop"}, {}},
        {{u"nop", u"END here", u"ret"}, {u"nop", u"END", u"ret"}},
        {{u"nop", u"endx", u"ret"}, {u"nop", u"endx", u"ret"}},
        {{u"nop", u"e nd", u"ret"}, {u"nop", u"e", u"ret"}},
        {{u"nop", u"; end", u"ret"}, {u"nop", u"ret"}},
        {{u"nop", u"ende: end"}, {u"nop", u"end"}},
    };
    for (const MultiLineCase& c : cases) {
        EXPECT_EQ(fieldOfEach(prepared(c.source), &SourceLine::mnemonic), c.expected)
            << toUtf8(c.source[1 % c.source.size()]);
    }
}

// A label on a line of its own stays there and passes to the next instruction.
TEST(LinePreparation, PendingLabelReachesOnlyTheNextInstruction) {
    const MultiLineCase cases[] = {
        {{u"a:", u"nop", u"nop"}, {u"a:", u"a:", u""}},
        {{u"a:", u"b:", u"nop"}, {u"a:", u"b:", u"b:"}},
        {{u"a:", u"b: nop"}, {u"a:", u"b:"}},
        {{u"a: ; here", u"", u"; x", u"nop"}, {u"a:", u"a:"}},
        {{u"nop", u"tail:"}, {u"", u"tail:"}},
        {{u"tail:", u"end", u"nop"}, {u"tail:"}},
        {{u"a:", u"x equ 5"}, {u"a:", u"a:"}},
        {{u"a: nop", u"nop"}, {u"a:", u""}},
    };
    for (const MultiLineCase& c : cases) {
        EXPECT_EQ(fieldOfEach(prepared(c.source), &SourceLine::label), c.expected)
            << toUtf8(c.source[0]) << " / " << toUtf8(c.source[1]);
    }
}

TEST(LinePreparation, LabelOfAndFirstWordOf) {
    const std::u16string_view cases[][3] = {
        {u"", u"", u""},          {u"nop", u"", u"nop"},
        {u":", u"", u":"},        {u":a:", u"", u":a:"},
        {u"a:", u"a:", u"a:"},    {u"a: nop", u"a:", u"a: "},
        {u"a :b", u"a :", u"a "}, {u"mov a,b", u"", u"mov "},
        {u" x", u"", u" "},       {u"x:y:z", u"x:", u"x:y:z"},
    };
    for (const auto& [text, label, firstWord] : cases) {
        EXPECT_EQ(tovi::labelOf(text), label) << toUtf8(text);
        EXPECT_EQ(tovi::firstWordOf(text), firstWord) << toUtf8(text);
    }
}

TEST(LinePreparation, ReusedTableIsClearedAndShortened) {
    LineTable table;
    tovi::prepareLines(table, Lines{u"start: jmp start", u"db 1,2,3", u"nop"});
    for (SourceLine& record : table.records) {
        record.address = 77;
        record.needsTarget = 1;
        record.targetText = u"start";
        record.byte1Bits = record.byte2Bits = u"00000100";
        record.byteCount = 2;
        record.kind = tovi::equateLine;
    }
    ASSERT_EQ(tovi::prepareLines(table, Lines{u"nop", u"ret"}), 1);
    EXPECT_EQ(table.lastLine, 1);
    for (int i = 0; i < 2; ++i) {
        const SourceLine& record = table.records[static_cast<std::size_t>(i)];
        EXPECT_EQ(render(record), i == 0 ? u"|nop||" : u"|ret||");
        EXPECT_EQ(record.address + record.needsTarget + record.byteCount, 0);
        EXPECT_EQ(record.targetText + record.byte1Bits + record.byte2Bits, u"");
    }
}

TEST(LinePreparation, GrowsBeyondThousandAndOneRecords) {
    Lines source;
    for (int n = 0; n < 2500; ++n) {
        source.push_back(n % 5 == 0 ? u"; comment" : u"nop");
    }
    source.push_back(u"last: ret");
    const LineTable table = prepared(source);
    ASSERT_EQ(table.lastLine, 2000);
    EXPECT_EQ(table.records[2000].lineNumber, 2501);
    EXPECT_EQ(render(table.records[2000]), u"last:|ret||");
    EXPECT_EQ(table.records[1000].lineNumber, 1252);
    EXPECT_EQ(table.records[1001].lineNumber, 1253);
}

} // namespace
