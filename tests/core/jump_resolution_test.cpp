#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "assembler/jump_resolution.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;

constexpr char16_t keptOpcode[] = u"11110110"; // jc, as code generation leaves it

// A line after code generation and address assignment.
struct Line {
    int address = 0;
    std::u16string label;
    std::u16string mnemonic;
    std::u16string target; // sets needsTarget when not null
    bool jumps = false;
};

Line labelAt(int address, std::u16string label) {
    return {address, std::move(label), u"nop", u"", false};
}
Line jumpAt(int address, std::u16string mnemonic, std::u16string target) {
    return {address, u"", std::move(mnemonic), std::move(target), true};
}

LineTable tableOf(const std::vector<Line>& lines) {
    LineTable table;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SourceLine& record = table.freshRecord(static_cast<int>(i));
        record.lineNumber = static_cast<int>(i) + 10;
        record.address = lines[i].address;
        record.label = lines[i].label;
        record.mnemonic = lines[i].mnemonic;
        record.byteCount = lines[i].jumps ? 2 : 1;
        if (!lines[i].jumps) {
            record.byte1Bits = u"00000000";
            continue;
        }
        record.needsTarget = 1;
        record.targetText = lines[i].target;
        const bool absolute = tovi::equalsIgnoringCase(record.mnemonic, u"jmp") ||
                              tovi::equalsIgnoringCase(record.mnemonic, u"call");
        record.byte1Bits = absolute ? u"" : keptOpcode;
    }
    table.lastLine = static_cast<int>(lines.size()) - 1;
    return table;
}

struct Resolution {
    int errors = 0;
    std::vector<std::u16string> reports;
};

Resolution resolve(LineTable& table) {
    Resolution result;
    result.errors = tovi::resolveJumps(
        table, [&result](std::u16string_view line) { result.reports.emplace_back(line); });
    return result;
}

int valueOfBits(std::u16string_view bits) {
    int value = 0;
    for (const char16_t bit : bits) {
        value = value * 2 + (bit == u'1' ? 1 : 0);
    }
    return value;
}

std::u16string reportAt(int lineNumber, std::u16string_view message) {
    return u"Zeile: " + tovi::decimalText(lineNumber) + std::u16string(message);
}

// --- Resolved targets ----------------------------------------------------------

struct BytesCase {
    const char* name;
    std::vector<Line> lines; // the last line is the jump
    std::u16string byte1Bits;
    std::u16string byte2Bits;
};

TEST(JumpResolution, ComposesTheBytesOfResolvedJumps) {
    const std::vector<BytesCase> cases = {
        {"jmp to 123H",
         {labelAt(0x123, u"dest:"), jumpAt(0, u"jmp", u"dest")},
         u"00100100",
         u"00100011"},
        {"call to 123H",
         {labelAt(0x123, u"dest:"), jumpAt(0, u"call", u"dest")},
         u"00110100",
         u"00100011"},
        {"jmp to 7FFH",
         {labelAt(0x7FF, u"top:"), jumpAt(0, u"jmp", u"top")},
         u"11100100",
         u"11111111"},
        {"call to 7FFH",
         {labelAt(0x7FF, u"top:"), jumpAt(0, u"call", u"top")},
         u"11110100",
         u"11111111"},
        {"jmp to 0",
         {labelAt(0, u"start:"), jumpAt(0x400, u"jmp", u"start")},
         u"00000100",
         u"00000000"},
        {"mnemonic in capitals",
         {labelAt(0x2AA, u"x:"), jumpAt(0, u"CALL", u"x")},
         u"01010100",
         u"10101010"},
        {"jmp does not care about pages",
         {labelAt(0x5, u"low:"), jumpAt(0x7F0, u"Jmp", u"low")},
         u"00000100",
         u"00000101"},
        {"conditional at 0F0H to 0FFH",
         {labelAt(0xFF, u"end:"), jumpAt(0xF0, u"jc", u"end")},
         keptOpcode,
         u"11111111"},
        {"conditional at 0FFH to 0F0H",
         {labelAt(0xF0, u"back:"), jumpAt(0xFF, u"jc", u"back")},
         keptOpcode,
         u"11110000"},
        {"djnz within page 1",
         {labelAt(0x100, u"loop:"), jumpAt(0x1FF, u"DJNZ", u"loop")},
         keptOpcode,
         u"00000000"},
        {"label in another case",
         {labelAt(0x12, u"LOOP:"), jumpAt(0, u"jmp", u"loop")},
         u"00000100",
         u"00010010"},
        {"umlauts in another case",
         {labelAt(0x34, u"Schleife_Ä:"), jumpAt(0, u"call", u"SCHLEIFE_ä")},
         u"00010100",
         u"00110100"},
        {"first carrier wins",
         {labelAt(0x10, u"twice:"), labelAt(0x20, u"TWICE:"), jumpAt(0, u"jmp", u"twice")},
         u"00000100",
         u"00010000"},
        {"label alone before its code",
         {{0x33, u"here:", u"", u"", false}, labelAt(0x33, u"here:"), jumpAt(0, u"jmp", u"here")},
         u"00000100",
         u"00110011"},
        {"target defined after the jump",
         {jumpAt(0x300, u"jnz", u"later"), labelAt(0x3C0, u"later:")},
         keptOpcode,
         u"11000000"},
    };
    for (const BytesCase& c : cases) {
        SCOPED_TRACE(c.name);
        LineTable table = tableOf(c.lines);
        const Resolution result = resolve(table);
        EXPECT_EQ(result.errors, 0);
        EXPECT_TRUE(result.reports.empty());
        const auto jump = std::find_if(table.records.begin(), table.records.end(),
                                       [](const SourceLine& r) { return r.needsTarget == 1; });
        ASSERT_NE(jump, table.records.end());
        EXPECT_EQ(jump->byte1Bits, c.byte1Bits);
        EXPECT_EQ(jump->byte2Bits, c.byte2Bits);
    }
}

// --- Failures ------------------------------------------------------------------

struct FailureCase {
    const char* name;
    std::vector<Line> lines; // the last line is the jump, reported as line lines.size() + 9
    std::u16string_view message;
};

TEST(JumpResolution, ReportsUnreachableAndUnknownTargets) {
    const std::vector<FailureCase> cases = {
        {"jmp to 800H",
         {labelAt(0x800, u"far:"), jumpAt(0, u"jmp", u"far")},
         u" -> Sprungziel außerhalb des zulässigen Bereiches"},
        {"call to 0C00H",
         {labelAt(0xC00, u"far:"), jumpAt(0, u"call", u"far")},
         u" -> Sprungziel außerhalb des zulässigen Bereiches"},
        {"jmp below 0",
         {labelAt(-1, u"neg:"), jumpAt(0, u"jmp", u"neg")},
         u" -> Sprungziel außerhalb des zulässigen Bereiches"},
        {"conditional at 100H to 0FFH",
         {labelAt(0xFF, u"prev:"), jumpAt(0x100, u"jz", u"prev")},
         u" -> Sprungziel außerhalb der aktuellen Seite"},
        {"djnz to the next page",
         {labelAt(0x200, u"next:"), jumpAt(0x1FF, u"djnz", u"next")},
         u" -> Sprungziel außerhalb der aktuellen Seite"},
        {"conditional beyond 7FFH in its page",
         {labelAt(0x800, u"out:"), jumpAt(0x7FF, u"jc", u"out")},
         u" -> Sprungziel außerhalb der aktuellen Seite"},
        {"undefined label",
         {labelAt(0, u"here:"), jumpAt(0, u"jmp", u"there")},
         u" -> ungültiges Sprungziel"},
        {"number as target",
         {labelAt(0x100, u"x:"), jumpAt(0, u"jmp", u"100")},
         u" -> ungültiges Sprungziel"},
        {"empty target",
         {labelAt(0, u"x:"), jumpAt(0, u"call", u"")},
         u" -> ungültiges Sprungziel"},
        {"blank before the colon",
         {labelAt(0, u"loop :"), jumpAt(0, u"jmp", u"loop")},
         u" -> ungültiges Sprungziel"},
        {"target with its colon",
         {labelAt(0, u"loop:"), jumpAt(0, u"jmp", u"loop:")},
         u" -> ungültiges Sprungziel"},
        {"prefix of a label",
         {labelAt(0, u"loop2:"), jumpAt(0, u"jnc", u"loop")},
         u" -> ungültiges Sprungziel"},
        {"first carrier out of page",
         {labelAt(0x0FF, u"t:"), labelAt(0x120, u"t:"), jumpAt(0x110, u"jt0", u"t")},
         u" -> Sprungziel außerhalb der aktuellen Seite"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        LineTable table = tableOf(c.lines);
        const int jumpLine = static_cast<int>(c.lines.size()) + 9;
        const Resolution result = resolve(table);
        EXPECT_EQ(result.errors, 1);
        EXPECT_EQ(result.reports, std::vector<std::u16string>{reportAt(jumpLine, c.message)});
    }
}

TEST(JumpResolution, FailedLineKeepsItsEarlierBytes) {
    LineTable table = tableOf({labelAt(0x800, u"far:"), jumpAt(0, u"jmp", u"far"),
                               labelAt(0x100, u"next:"), jumpAt(0, u"jc", u"next")});
    table.records[1].byte1Bits = u"earlier1";
    table.records[1].byte2Bits = u"earlier2";
    table.records[3].byte2Bits = u"earlier3";
    EXPECT_EQ(resolve(table).errors, 2);
    EXPECT_EQ(table.records[1].byte1Bits, u"earlier1");
    EXPECT_EQ(table.records[1].byte2Bits, u"earlier2");
    EXPECT_EQ(table.records[3].byte1Bits, keptOpcode);
    EXPECT_EQ(table.records[3].byte2Bits, u"earlier3");
}

TEST(JumpResolution, ListsEveryFaultInSourceOrder) {
    LineTable table =
        tableOf({jumpAt(0, u"jmp", u"nowhere"), labelAt(0x800, u"far:"), jumpAt(2, u"call", u"far"),
                 labelAt(0x20, u"ok:"), jumpAt(4, u"jmp", u"ok"), jumpAt(0x100, u"jnz", u"ok")});
    const Resolution result = resolve(table);
    EXPECT_EQ(result.errors, 3);
    EXPECT_EQ(result.reports,
              (std::vector<std::u16string>{
                  reportAt(10, u" -> ungültiges Sprungziel"),
                  reportAt(12, u" -> Sprungziel außerhalb des zulässigen Bereiches"),
                  reportAt(15, u" -> Sprungziel außerhalb der aktuellen Seite")}));
    EXPECT_EQ(table.records[4].byte1Bits, u"00000100");
    EXPECT_EQ(table.records[4].byte2Bits, u"00100000");
}

// --- What the pass looks at ------------------------------------------------------

TEST(JumpResolution, IgnoresLinesWithoutAPendingTarget) {
    LineTable table = tableOf({labelAt(0x10, u"x:"), jumpAt(0, u"jmp", u"missing")});
    table.records[1].needsTarget = 0;
    EXPECT_EQ(resolve(table).errors, 0);
    EXPECT_EQ(table.records[1].byte1Bits, u"");
    EXPECT_EQ(table.records[1].byte2Bits, u"");
}

TEST(JumpResolution, IgnoresLabelsAboveLastLine) {
    LineTable table = tableOf({jumpAt(0, u"jmp", u"gone"), labelAt(0x10, u"gone:")});
    table.lastLine = 0;
    const Resolution result = resolve(table);
    EXPECT_EQ(result.errors, 1);
    EXPECT_EQ(result.reports,
              std::vector<std::u16string>{reportAt(10, u" -> ungültiges Sprungziel")});
}

TEST(JumpResolution, ResolvesManyJumpsAgainstTheFirstCarrier) {
    std::vector<Line> lines;
    for (int i = 0; i < 1500; ++i) {
        lines.push_back(labelAt(i % 0x800, u"L" + tovi::decimalText(i % 700) + u":"));
        lines.push_back(
            jumpAt(0, i % 2 == 0 ? u"jmp" : u"call", u"l" + tovi::decimalText(i % 700)));
    }
    LineTable table = tableOf(lines);
    ASSERT_EQ(resolve(table).errors, 0);
    for (int i = 0; i < 1500; ++i) {
        const SourceLine& jump = table.records[static_cast<std::size_t>(2 * i + 1)];
        const int target = i % 700; // the first carrier of L<n> sits at address n
        const std::u16string opcode = i % 2 == 0 ? u"00100" : u"10100";
        ASSERT_EQ(jump.byte1Bits.size(), 8u) << i;
        ASSERT_EQ(jump.byte2Bits.size(), 8u) << i;
        EXPECT_EQ(jump.byte1Bits.substr(3), opcode) << i;
        EXPECT_EQ(valueOfBits(jump.byte1Bits.substr(0, 3)), target / 256) << i;
        EXPECT_EQ(valueOfBits(jump.byte2Bits), target % 256) << i;
    }
}

} // namespace
