#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/line_preparation.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;
using Lines = std::vector<std::u16string>;

LineTable prepared(const Lines& lines) {
    LineTable table;
    tovi::prepareLines(table, lines);
    return table;
}

std::vector<std::u16string> mnemonicsOf(const LineTable& table) {
    std::vector<std::u16string> mnemonics;
    for (int i = 0; i < table.size(); ++i) {
        mnemonics.push_back(table.records[static_cast<std::size_t>(i)].mnemonic);
    }
    return mnemonics;
}

// --- Splitting one line -------------------------------------------------------

struct SplitCase {
    std::u16string line;
    std::u16string label;
    std::u16string mnemonic;
    std::u16string operand1;
    std::u16string operand2;
    int kind;
};

TEST(LinePreparationSplit, StoresEachPartAsWritten) {
    const std::vector<SplitCase> cases = {
        {u"Loop: DJNZ R2,Loop ; count", u"Loop:", u"DJNZ", u"R2", u"Loop", 0},
        {u"count equ 10h", u"", u"count", u"10h", u"", 1},
        {u"count: equ 10h", u"count:", u"equ", u"10h", u"", 0},
        {u"x equ 1,2", u"", u"x", u"equ 1", u"2", 0},
        {u"jmp equal", u"", u"jmp", u"al", u"", 1},
        {u"mov a , r0", u"", u"mov", u"a", u"r0", 0},
        {u"db 1,2,3", u"", u"db", u"1", u"2", 0},
        {u"jmp jmpend", u"", u"jmp", u"jmpend", u"", 0},
        {u"call callsub", u"", u"call", u"callsub", u"", 0},
        {u"Mov A,R0", u"", u"Mov", u"A", u"R0", 0},
        {u"mov\ta,#5", u"", u"mov", u"a", u"#5", 0},
        {u"loop : nop", u"loop :", u"nop", u"", u"", 0},
        {u"db ';'", u"", u"db", u"'", u"", 0},
        {u"db 'a:b'", u"db 'a:", u"b'", u"", u"", 0},
        // Further separators and case variants.
        {u"\t\tmov\t\ta ,\t#5\t", u"", u"mov", u"a", u"#5", 0},
        {u"   nop   ", u"", u"nop", u"", u"", 0},
        {u"CNT EQU  5 ", u"", u"CNT", u"5", u"", 1},
        {u"cnt eQu5", u"", u"cnt", u"5", u"", 1},
        {u"cnt equ", u"", u"cnt", u"", u"", 1},
        {u"mov eq", u"", u"mov", u"eq", u"", 0},
        {u"mov a,@ r0", u"", u"mov", u"a", u"@ r0", 0},
        {u"mov ,a", u"", u"mov", u"", u"a", 0},
        {u"mov a,", u"", u"mov", u"a", u"", 0},
        {u":nop", u"", u":nop", u"", u"", 0},
        {u"a:b:c", u"a:", u"b:c", u"", u"", 0},
        {u"Größe equ 7", u"", u"Größe", u"7", u"", 1},
        // Only blanks are trimmed; other control characters stay in the text.
        {u"nop\r", u"", u"nop\r", u"", u"", 0},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(tovi::toUtf8(c.line));
        const LineTable table = prepared({c.line});
        ASSERT_EQ(table.lastLine, 0);
        const SourceLine& record = table.records[0];
        EXPECT_EQ(record.lineNumber, 1);
        EXPECT_EQ(record.label, c.label);
        EXPECT_EQ(record.mnemonic, c.mnemonic);
        EXPECT_EQ(record.operand1, c.operand1);
        EXPECT_EQ(record.operand2, c.operand2);
        EXPECT_EQ(record.kind, c.kind);
    }
}

struct ExcessCase {
    std::u16string line;
    int excessOperands;
};

TEST(LinePreparationSplit, MarksTextAfterASecondComma) {
    const std::vector<ExcessCase> cases = {
        {u"db 1,2,3", 1},    {u"db 1,2,,3", 1},   {u"mov a,r0,x", 1}, {u"db 1,2,", 0},
        {u"db 1,2, \t ", 0}, {u"db 1,2", 0},      {u"db 1", 0},       {u"db 1,2 ;,3", 0},
        {u"x equ 1,2,3", 1}, {u"a: db 1,2,3", 1}, {u"db 1,,", 0},     {u"db ,,x", 1},
    };
    for (const ExcessCase& c : cases) {
        SCOPED_TRACE(tovi::toUtf8(c.line));
        const LineTable table = prepared({c.line});
        ASSERT_EQ(table.lastLine, 0);
        EXPECT_EQ(table.records[0].excessOperands, c.excessOperands);
    }
}

// --- Comments, blank lines and the end directive ------------------------------

TEST(LinePreparationSkipping, BlankAndCommentLinesStoreNothing) {
    const std::vector<Lines> sources = {
        {},
        {u""},
        {u"", u"   ", u"\t", u" \t \t"},
        {u"; comment", u"   ; indented comment", u"\t;", u";;"},
    };
    for (const Lines& source : sources) {
        LineTable table;
        table.lastLine = 7;
        EXPECT_EQ(tovi::prepareLines(table, source), -1);
        EXPECT_EQ(table.lastLine, -1);
    }
}

TEST(LinePreparationSkipping, LineNumbersCountEveryEditorLine) {
    const LineTable table = prepared({u"", u"; header", u"nop", u"\t", u"ret ; back"});
    ASSERT_EQ(table.lastLine, 1);
    EXPECT_EQ(table.records[0].lineNumber, 3);
    EXPECT_EQ(table.records[1].lineNumber, 5);
    EXPECT_EQ(table.records[1].mnemonic, u"ret");
}

struct EndCase {
    Lines source;
    std::vector<std::u16string> mnemonics;
};

TEST(LinePreparationSkipping, EndDirectiveStopsThePass) {
    const std::vector<EndCase> cases = {
        {{u"nop", u"END", u"ret"}, {u"nop"}},
        {{u"nop", u"end", u"ret"}, {u"nop"}},
        {{u"nop", u".End", u"ret"}, {u"nop"}},
        {{u"nop", u"\t  END ; stop here", u"ret"}, {u"nop"}},
        {{u"nop", u"END;", u"ret"}, {u"nop"}},
        {{u"END", u"nop"}, {}},
        {{u"nop", u"END here", u"ret"}, {u"nop", u"END", u"ret"}},
        {{u"nop", u"endx", u"ret"}, {u"nop", u"endx", u"ret"}},
        {{u"nop", u"e nd", u"ret"}, {u"nop", u"e", u"ret"}},
        {{u"nop", u"; end", u"ret"}, {u"nop", u"ret"}},
        {{u"nop", u"ende: end"}, {u"nop", u"end"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(mnemonicsOf(prepared(cases[i].source)), cases[i].mnemonics);
    }
}

TEST(LinePreparationSkipping, EndDirectiveKeepsItsOperandWhenNotAlone) {
    const LineTable table = prepared({u"END here"});
    ASSERT_EQ(table.lastLine, 0);
    EXPECT_EQ(table.records[0].operand1, u"here");
}

// --- Labels --------------------------------------------------------------------

TEST(LinePreparationLabels, LabelAloneIsCarriedByItsOwnRecordAndTheNextInstruction) {
    Lines source(19, u"");
    source.push_back(u"START:");
    source.push_back(u"SEL RB0");
    const LineTable table = prepared(source);
    ASSERT_EQ(table.lastLine, 1);
    EXPECT_EQ(table.records[0].lineNumber, 20);
    EXPECT_EQ(table.records[0].label, u"START:");
    EXPECT_EQ(table.records[0].mnemonic, u"");
    EXPECT_EQ(table.records[1].lineNumber, 21);
    EXPECT_EQ(table.records[1].label, u"START:");
    EXPECT_EQ(table.records[1].mnemonic, u"SEL");
    EXPECT_EQ(table.records[1].operand1, u"RB0");
}

struct LabelFlowCase {
    const char* name;
    Lines source;
    std::vector<std::u16string> labels;
};

TEST(LinePreparationLabels, PendingLabelReachesOnlyTheNextInstruction) {
    const std::vector<LabelFlowCase> cases = {
        {"consumed once", {u"a:", u"nop", u"nop"}, {u"a:", u"a:", u""}},
        {"last of several", {u"a:", u"b:", u"nop"}, {u"a:", u"b:", u"b:"}},
        {"own label wins", {u"a:", u"b: nop"}, {u"a:", u"b:"}},
        {"across blanks and comments", {u"a: ; here", u"", u"; x", u"nop"}, {u"a:", u"a:"}},
        {"label last in source", {u"nop", u"tail:"}, {u"", u"tail:"}},
        {"label before end", {u"tail:", u"end", u"nop"}, {u"tail:"}},
        {"equate inherits", {u"a:", u"x equ 5"}, {u"a:", u"a:"}},
        {"own label on instruction", {u"a: nop", u"nop"}, {u"a:", u""}},
    };
    for (const LabelFlowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LineTable table = prepared(c.source);
        ASSERT_EQ(table.size(), static_cast<int>(c.labels.size()));
        for (int i = 0; i < table.size(); ++i) {
            EXPECT_EQ(table.records[static_cast<std::size_t>(i)].label,
                      c.labels[static_cast<std::size_t>(i)])
                << "record " << i;
        }
    }
}

struct WordCase {
    std::u16string text;
    std::u16string label;
    std::u16string firstWord;
};

TEST(LinePreparationLabels, LabelOfAndFirstWordOf) {
    const std::vector<WordCase> cases = {
        {u"", u"", u""},          {u"nop", u"", u"nop"},
        {u":", u"", u":"},        {u":a:", u"", u":a:"},
        {u"a:", u"a:", u"a:"},    {u"a: nop", u"a:", u"a: "},
        {u"a :b", u"a :", u"a "}, {u"mov a,b", u"", u"mov "},
        {u" x", u"", u" "},       {u"x:y:z", u"x:", u"x:y:z"},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(tovi::toUtf8(c.text));
        EXPECT_EQ(tovi::labelOf(c.text), c.label);
        EXPECT_EQ(tovi::firstWordOf(c.text), c.firstWord);
    }
}

// --- The table ----------------------------------------------------------------

TEST(LinePreparationTable, ClearsEveryFieldLeftByAnEarlierAssembly) {
    LineTable table;
    tovi::prepareLines(table, Lines{u"start: jmp start", u"db 1,2,3"});
    for (SourceLine& record : table.records) {
        record.address = 77;
        record.needsTarget = 1;
        record.targetText = u"start";
        record.byte1Bits = u"00000100";
        record.byte2Bits = u"00000000";
        record.byteCount = 2;
        record.kind = tovi::equateLine;
    }
    ASSERT_EQ(tovi::prepareLines(table, Lines{u"nop", u"ret"}), 1);
    for (int i = 0; i < 2; ++i) {
        const SourceLine& record = table.records[static_cast<std::size_t>(i)];
        EXPECT_EQ(record.address, 0);
        EXPECT_EQ(record.needsTarget, 0);
        EXPECT_EQ(record.kind, tovi::ordinaryLine);
        EXPECT_EQ(record.label, u"");
        EXPECT_EQ(record.targetText, u"");
        EXPECT_EQ(record.byte1Bits, u"");
        EXPECT_EQ(record.byte2Bits, u"");
        EXPECT_EQ(record.byteCount, 0);
        EXPECT_EQ(record.excessOperands, 0);
    }
}

TEST(LinePreparationTable, GrowsBeyondThousandAndOneRecords) {
    Lines source;
    for (int n = 0; n < 2500; ++n) {
        source.push_back(n % 5 == 0 ? u"; comment" : u"nop");
    }
    source.push_back(u"last: ret");
    LineTable table;
    ASSERT_EQ(tovi::prepareLines(table, source), 2000);
    EXPECT_EQ(table.lastLine, 2000);
    const SourceLine& last = table.records[2000];
    EXPECT_EQ(last.lineNumber, 2501);
    EXPECT_EQ(last.label, u"last:");
    EXPECT_EQ(last.mnemonic, u"ret");
    EXPECT_EQ(table.records[1000].lineNumber, 1252);
    EXPECT_EQ(table.records[1001].lineNumber, 1253);
}

TEST(LinePreparationTable, ShorterSourceAfterLongerOneSetsLastLine) {
    LineTable table;
    tovi::prepareLines(table, Lines(30, u"nop"));
    EXPECT_EQ(tovi::prepareLines(table, Lines{u"ret"}), 0);
    EXPECT_EQ(table.lastLine, 0);
    EXPECT_EQ(table.records[0].mnemonic, u"ret");
}

} // namespace
