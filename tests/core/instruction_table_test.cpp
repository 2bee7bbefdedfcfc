#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assembler/instruction_table.h"
#include "common/text.h"

namespace {

using tovi::fieldOf;
using tovi::instructionTable;
using tovi::patternsOf;
using tovi::toUtf8;

constexpr std::u16string_view sentinel = u"$$$$;";

std::vector<std::u16string_view> patternRows() {
    return {instructionTable.begin(), instructionTable.end() - 1};
}

// The rows a scan from the first row finds for a mnemonic, stopping at the sentinel.
std::vector<std::u16string_view> scannedRows(std::u16string_view lowerMnemonic) {
    std::vector<std::u16string_view> rows;
    for (const std::u16string_view row : instructionTable) {
        if (fieldOf(row, 1) == u"$$$$") {
            break;
        }
        if (fieldOf(row, 1) == lowerMnemonic) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::u16string joinedFields(const tovi::InstructionPattern& p) {
    std::u16string row;
    for (const auto field :
         {p.mnemonic, p.operand1, p.operand2, p.operandCount, p.byteCount, p.opcodeBits}) {
        row += field;
        row += u';';
    }
    row += p.secondByte;
    return row;
}

std::vector<std::u16string> joinedRowsOf(std::u16string_view mnemonic) {
    std::vector<std::u16string> rows;
    for (const auto& pattern : patternsOf(mnemonic)) {
        rows.push_back(joinedFields(pattern));
    }
    return rows;
}

std::vector<std::u16string> asStrings(const std::vector<std::u16string_view>& views) {
    return {views.begin(), views.end()};
}

TEST(InstructionTableData, HoldsTwoHundredSixteenRowsThenTheSentinel) {
    EXPECT_EQ(instructionTable.size(), 217u);
    EXPECT_EQ(instructionTable.back(), sentinel);
    EXPECT_EQ(std::count(instructionTable.begin(), instructionTable.end(), sentinel), 1);
    EXPECT_EQ(instructionTable.front(), u"add;a;r0;2;1;01101000;");
    EXPECT_EQ(instructionTable[215], u"jz;§adresse§;;1;2;11000110;§adresse§");
}

TEST(InstructionTableData, StoresTheExampleRowsVerbatim) {
    const std::u16string_view examples[] = {
        u"add;a;r0;2;1;01101000;",
        u"add;a;#§data§;2;2;00000011;§data§",
        u"nop;;;0;1;00000000;",
        u"djnz;r0;§adresse§;2;2;11101000;§adresse§",
        u"jb0;§adresse§;;1;2;00010010;§adresse§",
        u"in;a;p0;2;1;00001000;",
        u"ins;a;bus;2;1;00001000;",
        u"outl;p0;a;2;1;10010000;",
        u"movx;@r0;a;2;1;10010000;",
    };
    const auto rows = patternRows();
    for (const auto example : examples) {
        SCOPED_TRACE(toUtf8(example));
        EXPECT_EQ(std::count(rows.begin(), rows.end(), example), 1);
    }
}

TEST(InstructionTableData, EveryRowIsLowerCaseWithSevenFields) {
    for (const auto row : patternRows()) {
        SCOPED_TRACE(toUtf8(row));
        EXPECT_EQ(std::count(row.begin(), row.end(), u';'), 6);
        EXPECT_EQ(tovi::toLowerCase(row), row);
        const auto bits = fieldOf(row, 6);
        EXPECT_EQ(bits.size(), 8u);
        EXPECT_TRUE(std::all_of(bits.begin(), bits.end(),
                                [](char16_t c) { return c == u'0' || c == u'1'; }));
    }
}

TEST(InstructionTableData, EveryRowKeepsItsFieldsConsistent) {
    for (const auto row : patternRows()) {
        SCOPED_TRACE(toUtf8(row));
        const auto operand1 = fieldOf(row, 2);
        const auto operand2 = fieldOf(row, 3);
        const auto secondByte = fieldOf(row, 7);
        const int operands = (operand1.empty() ? 0 : 1) + (operand2.empty() ? 0 : 1);
        EXPECT_EQ(fieldOf(row, 4), operands == 0 ? u"0" : operands == 1 ? u"1" : u"2");
        EXPECT_EQ(fieldOf(row, 5) == u"2", !secondByte.empty());
        EXPECT_EQ(fieldOf(row, 5) == u"1", secondByte.empty());
        EXPECT_EQ(secondByte == u"§data§", operand2 == u"#§data§");
        EXPECT_EQ(secondByte == u"§adresse§", operand1 == u"§adresse§" || operand2 == u"§adresse§");
    }
}

TEST(InstructionTableData, RowsOfOneMnemonicStandTogetherWithOneOperandCount) {
    std::set<std::u16string_view> finished;
    std::set<std::pair<std::u16string_view, std::u16string_view>> operandPairs;
    std::u16string_view current;
    std::u16string_view currentCount;
    for (const auto row : patternRows()) {
        SCOPED_TRACE(toUtf8(row));
        const auto mnemonic = fieldOf(row, 1);
        if (mnemonic != current) {
            EXPECT_TRUE(finished.insert(current).second);
            EXPECT_EQ(finished.count(mnemonic), 0u);
            current = mnemonic;
            currentCount = fieldOf(row, 4);
            operandPairs.clear();
        }
        EXPECT_EQ(fieldOf(row, 4), currentCount);
        EXPECT_TRUE(operandPairs.insert({fieldOf(row, 2), fieldOf(row, 3)}).second);
    }
}

TEST(InstructionTableData, HoldsTheRightNumberOfRowsPerMnemonic) {
    const std::pair<std::u16string_view, std::size_t> expectedCounts[] = {
        {u"add", 11},  {u"addc", 11}, {u"anl", 14}, {u"anld", 4}, {u"clr", 4},  {u"cpl", 4},
        {u"da", 1},    {u"dec", 9},   {u"dis", 2},  {u"en", 2},   {u"ent0", 1}, {u"in", 3},
        {u"inc", 11},  {u"ins", 1},   {u"jmpp", 1}, {u"mov", 35}, {u"movd", 8}, {u"movp", 1},
        {u"movp3", 1}, {u"movx", 4},  {u"nop", 1},  {u"orl", 14}, {u"orld", 4}, {u"outl", 4},
        {u"ret", 1},   {u"retr", 1},  {u"rl", 1},   {u"rlc", 1},  {u"rr", 1},   {u"rrc", 1},
        {u"sel", 4},   {u"stop", 1},  {u"strt", 2}, {u"swap", 1}, {u"xch", 10}, {u"xchd", 2},
        {u"xrl", 11},  {u"djnz", 8},  {u"jb0", 1},  {u"jb1", 1},  {u"jb2", 1},  {u"jb3", 1},
        {u"jb4", 1},   {u"jb5", 1},   {u"jb6", 1},  {u"jb7", 1},  {u"jc", 1},   {u"jf0", 1},
        {u"jf1", 1},   {u"jnc", 1},   {u"jni", 1},  {u"jnt0", 1}, {u"jnt1", 1}, {u"jnz", 1},
        {u"jtf", 1},   {u"jt0", 1},   {u"jt1", 1},  {u"jz", 1},
    };
    std::size_t total = 0;
    for (const auto& [mnemonic, count] : expectedCounts) {
        SCOPED_TRACE(toUtf8(mnemonic));
        EXPECT_EQ(scannedRows(mnemonic).size(), count);
        EXPECT_EQ(patternsOf(mnemonic).size(), count);
        total += count;
    }
    EXPECT_EQ(total, 216u);
}

struct FieldCase {
    std::u16string_view row;
    int n;
    std::u16string_view expected;
};

TEST(InstructionTableFields, SplitsAtSemicolonsCountingEmptyFields) {
    const FieldCase cases[] = {
        {u"nop;;;0;1;00000000;", 0, u""},
        {u"nop;;;0;1;00000000;", 1, u"nop"},
        {u"nop;;;0;1;00000000;", 2, u""},
        {u"nop;;;0;1;00000000;", 3, u""},
        {u"nop;;;0;1;00000000;", 4, u"0"},
        {u"nop;;;0;1;00000000;", 5, u"1"},
        {u"nop;;;0;1;00000000;", 6, u"00000000"},
        {u"nop;;;0;1;00000000;", 7, u""},
        {u"nop;;;0;1;00000000;", 8, u""},
        {u"nop;;;0;1;00000000;", -1, u""},
        {u"add;a;#§data§;2;2;00000011;§data§", 3, u"#§data§"},
        {u"add;a;#§data§;2;2;00000011;§data§", 7, u"§data§"},
        {u"add;a;#§data§;2;2;00000011;§data§", 8, u""},
        {u"jb0;§adresse§;;1;2;00010010;§adresse§", 2, u"§adresse§"},
        {u"$$$$;", 1, u"$$$$"},
        {u"$$$$;", 2, u""},
        {u"$$$$;", 3, u""},
        {u"", 1, u""},
        {u"", 2, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.row));
        SCOPED_TRACE(c.n);
        EXPECT_EQ(fieldOf(c.row, c.n), c.expected);
    }
}

TEST(InstructionTableLookup, FindsExactlyWhatAScanFinds) {
    std::set<std::u16string_view> mnemonics;
    for (const auto row : patternRows()) {
        mnemonics.insert(fieldOf(row, 1));
    }
    for (const auto mnemonic : mnemonics) {
        SCOPED_TRACE(toUtf8(mnemonic));
        const auto scanned = asStrings(scannedRows(mnemonic));
        EXPECT_FALSE(scanned.empty());
        EXPECT_EQ(joinedRowsOf(mnemonic), scanned);
        const std::u16string copyOutsideTheTable(mnemonic);
        EXPECT_EQ(joinedRowsOf(copyOutsideTheTable), scanned);
    }
}

TEST(InstructionTableLookup, FindsNothingForMnemonicsOutsideTheTable) {
    const std::u16string_view unknown[] = {
        u"jmp", u"call", u"db",    u".db", u"org",   u".org", u"equ", u"end",   u"dw",
        u"",    u"$$$$", u"$$$$;", u"a",   u"m",     u"zz",   u"inx", u"movp4", u"mo",
        u"in ", u" in",  u"addcc", u"jb8", u"mov;a", u"ädd",  u"MOV", u"Nop",
    };
    for (const auto mnemonic : unknown) {
        SCOPED_TRACE(toUtf8(mnemonic));
        EXPECT_TRUE(scannedRows(mnemonic).empty());
        EXPECT_TRUE(patternsOf(mnemonic).empty());
    }
}

TEST(InstructionTableLookup, ComparesMnemonicsWhole) {
    const std::pair<std::u16string_view, std::size_t> cases[] = {
        {u"in", 3},   {u"inc", 11},  {u"ins", 1},  {u"mov", 35}, {u"movd", 8},
        {u"movp", 1}, {u"movp3", 1}, {u"movx", 4}, {u"jb1", 1},
    };
    for (const auto& [mnemonic, count] : cases) {
        SCOPED_TRACE(toUtf8(mnemonic));
        const auto rows = patternsOf(mnemonic);
        EXPECT_EQ(rows.size(), count);
        for (const auto& pattern : rows) {
            EXPECT_EQ(pattern.mnemonic, mnemonic);
        }
    }
}

TEST(InstructionTableLookup, KeepsTableOrderWithinAMnemonic) {
    const auto mov = joinedRowsOf(u"mov");
    ASSERT_FALSE(mov.empty());
    EXPECT_EQ(mov.front(), u"mov;a;#§data§;2;2;00100011;§data§");
    EXPECT_EQ(mov.back(), u"mov;t;a;2;1;01100010;");
    const auto in = joinedRowsOf(u"in");
    const std::vector<std::u16string> expectedIn = {
        u"in;a;p0;2;1;00001000;", u"in;a;p1;2;1;00001001;", u"in;a;p2;2;1;00001010;"};
    EXPECT_EQ(in, expectedIn);
}

} // namespace
