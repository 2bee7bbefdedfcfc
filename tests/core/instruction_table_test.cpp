#include <gtest/gtest.h>

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

// The rows a scan from the first row finds for a mnemonic, stopping at the sentinel.
std::vector<std::u16string> scannedRows(std::u16string_view lowerMnemonic) {
    std::vector<std::u16string> rows;
    for (const std::u16string_view row : instructionTable) {
        if (fieldOf(row, 1) == u"$$$$") {
            break;
        }
        if (fieldOf(row, 1) == lowerMnemonic) {
            rows.emplace_back(row);
        }
    }
    return rows;
}

std::vector<std::u16string> foundRows(std::u16string_view mnemonic) {
    std::vector<std::u16string> rows;
    for (const auto& p : patternsOf(mnemonic)) {
        std::u16string row;
        for (const auto field :
             {p.mnemonic, p.operand1, p.operand2, p.operandCount, p.byteCount, p.opcodeBits}) {
            row += std::u16string(field) + u';';
        }
        rows.push_back(row + std::u16string(p.secondByte));
    }
    return rows;
}

struct FieldCase {
    std::u16string_view row;
    int n;
    std::u16string_view expected;
};

TEST(InstructionTable, FieldOfSplitsAtSemicolonsCountingEmptyFields) {
    const FieldCase cases[] = {
        {u"nop;;;0;1;00000000;", 0, u""},
        {u"nop;;;0;1;00000000;", 1, u"nop"},
        {u"nop;;;0;1;00000000;", 2, u""},
        {u"nop;;;0;1;00000000;", 4, u"0"},
        {u"nop;;;0;1;00000000;", 6, u"00000000"},
        {u"nop;;;0;1;00000000;", 7, u""},
        {u"nop;;;0;1;00000000;", 8, u""},
        {u"nop;;;0;1;00000000;", -1, u""},
        {u"add;a;#§data§;2;2;00000011;§data§", 3, u"#§data§"},
        {u"add;a;#§data§;2;2;00000011;§data§", 7, u"§data§"},
        {u"$$$$;", 1, u"$$$$"},
        {u"$$$$;", 2, u""},
        {u"", 1, u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldOf(c.row, c.n), c.expected) << toUtf8(c.row) << " field " << c.n;
    }
}

TEST(InstructionTable, LookupFindsExactlyWhatAScanFinds) {
    std::set<std::u16string_view> mnemonics;
    for (auto row = instructionTable.begin(); row + 1 != instructionTable.end(); ++row) {
        mnemonics.insert(fieldOf(*row, 1));
    }
    EXPECT_EQ(mnemonics.size(), 58u);
    std::size_t total = 0;
    for (const auto mnemonic : mnemonics) {
        const auto scanned = scannedRows(mnemonic);
        EXPECT_EQ(foundRows(mnemonic), scanned) << toUtf8(mnemonic);
        // A copy outside the table finds the same rows.
        EXPECT_EQ(foundRows(std::u16string(mnemonic)), scanned) << toUtf8(mnemonic);
        total += scanned.size();
    }
    EXPECT_EQ(total, 216u);
}

TEST(InstructionTable, LookupComparesWholeLowerCaseMnemonics) {
    const std::pair<std::u16string_view, std::size_t> cases[] = {
        {u"in", 3},    {u"inc", 11}, {u"ins", 1}, {u"mov", 35},  {u"movd", 8},  {u"movp", 1},
        {u"movp3", 1}, {u"movx", 4}, {u"jb1", 1}, {u"jmp", 0},   {u"call", 0},  {u"db", 0},
        {u".org", 0},  {u"equ", 0},  {u"", 0},    {u"$$$$", 0},  {u"$$$$;", 0}, {u"a", 0},
        {u"zz", 0},    {u"mo", 0},   {u"in ", 0}, {u"addcc", 0}, {u"jb8", 0},   {u"mov;a", 0},
        {u"ädd", 0},   {u"MOV", 0},  {u"Nop", 0}, {u"movp4", 0},
    };
    for (const auto& [mnemonic, count] : cases) {
        EXPECT_EQ(patternsOf(mnemonic).size(), count) << toUtf8(mnemonic);
        EXPECT_EQ(scannedRows(mnemonic).size(), count) << toUtf8(mnemonic);
    }
}

} // namespace
