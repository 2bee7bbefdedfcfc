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

constexpr char16_t keptOpcode[] = u"11110110"; // jc (F6H), as code generation leaves it

// A line after code generation and address assignment.
struct Line {
    int address = 0;
    std::u16string label;
    std::u16string mnemonic;
    std::u16string target;
    bool jumps = false;
};

Line L(int address, std::u16string label) {
    return {address, std::move(label), u"nop", u"", false};
}
Line J(int address, std::u16string mnemonic, std::u16string target) {
    return {address, u"", std::move(mnemonic), std::move(target), true};
}

// Record i carries line number i + 10.
LineTable tableOf(const std::vector<Line>& lines) {
    LineTable table;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SourceLine& record = table.freshRecord(static_cast<int>(i));
        record.lineNumber = static_cast<int>(i) + 10;
        record.address = lines[i].address;
        record.label = lines[i].label;
        record.mnemonic = lines[i].mnemonic;
        record.byteCount = lines[i].jumps ? 2 : 1;
        record.byte1Bits = u"00000000";
        if (lines[i].jumps) {
            record.needsTarget = 1;
            record.targetText = lines[i].target;
            const bool absolute = tovi::equalsIgnoringCase(record.mnemonic, u"jmp") ||
                                  tovi::equalsIgnoringCase(record.mnemonic, u"call");
            record.byte1Bits = absolute ? u"" : keptOpcode;
        }
    }
    table.lastLine = static_cast<int>(lines.size()) - 1;
    return table;
}

std::vector<std::u16string> resolve(LineTable& table) {
    std::vector<std::u16string> reports;
    const int errors = tovi::resolveJumps(
        table, [&reports](std::u16string_view line) { reports.emplace_back(line); });
    EXPECT_EQ(errors, static_cast<int>(reports.size()));
    return reports;
}

std::u16string hexOf(const std::u16string& bits) {
    int value = 0;
    for (const char16_t bit : bits) {
        if (bit != u'0' && bit != u'1') {
            return u"?" + bits;
        }
        value = value * 2 + (bit - u'0');
    }
    const char16_t digits[] = u"0123456789ABCDEF";
    return bits.size() == 8 ? std::u16string{digits[value >> 4], digits[value & 15]} : u"?" + bits;
}

std::u16string bytesOf(const SourceLine& record) {
    return hexOf(record.byte1Bits) + u" " + hexOf(record.byte2Bits);
}

const std::u16string range = u" -> Sprungziel außerhalb des zulässigen Bereiches";
const std::u16string page = u" -> Sprungziel außerhalb der aktuellen Seite";
const std::u16string invalid = u" -> ungültiges Sprungziel";

// The jump's two bytes in hex, or the one report about it without its line number.
std::u16string outcome(const std::vector<Line>& lines) {
    LineTable table = tableOf(lines);
    const auto reports = resolve(table);
    const auto jump = std::find_if(table.records.begin(), table.records.end(),
                                   [](const SourceLine& r) { return r.needsTarget == 1; });
    if (reports.empty()) {
        return bytesOf(*jump);
    }
    const std::u16string prefix = u"Zeile: " + tovi::decimalText(jump->lineNumber);
    EXPECT_EQ(reports.size(), 1u);
    return reports[0].starts_with(prefix) ? reports[0].substr(prefix.size()) : reports[0];
}

struct Case {
    const char* name;
    std::vector<Line> lines;
    std::u16string expected;
};

TEST(JumpResolution, ResolvesOrReportsEachTarget) {
    // clang-format off
    const Case cases[] = {
        {"jmp to 123H", {L(0x123, u"dest:"), J(0, u"jmp", u"dest")}, u"24 23"},
        {"call to 123H", {L(0x123, u"dest:"), J(0, u"call", u"dest")}, u"34 23"},
        {"jmp to 7FFH", {L(0x7FF, u"top:"), J(0, u"jmp", u"top")}, u"E4 FF"},
        {"jmp to 0", {L(0, u"start:"), J(0x400, u"jmp", u"start")}, u"04 00"},
        {"mnemonic in capitals", {L(0x2AA, u"x:"), J(0, u"CALL", u"x")}, u"54 AA"},
        {"jmp ignores pages", {L(0x5, u"low:"), J(0x7F0, u"Jmp", u"low")}, u"04 05"},
        {"at 0F0H to 0FFH", {L(0xFF, u"end:"), J(0xF0, u"jc", u"end")}, u"F6 FF"},
        {"at 0FEH to 0F0H", {L(0xF0, u"back:"), J(0xFE, u"jc", u"back")}, u"F6 F0"},
        {"at 0FFH into the next page", {L(0x101, u"on:"), J(0xFF, u"jnz", u"on")}, u"F6 01"},
        {"djnz within page 1", {L(0x100, u"loop:"), J(0x1FE, u"DJNZ", u"loop")}, u"F6 00"},
        {"label in another case", {L(0x12, u"LOOP:"), J(0, u"jmp", u"loop")}, u"04 12"},
        {"umlauts", {L(0x34, u"Schleife_Ä:"), J(0, u"call", u"SCHLEIFE_ä")}, u"14 34"},
        {"first carrier", {L(0x10, u"two:"), L(0x20, u"TWO:"), J(0, u"jmp", u"two")}, u"04 10"},
        {"target after the jump", {J(0x300, u"jnz", u"later"), L(0x3C0, u"later:")}, u"F6 C0"},
        {"jmp to 800H", {L(0x800, u"far:"), J(0, u"jmp", u"far")}, range},
        {"call below 0", {L(-1, u"neg:"), J(0, u"call", u"neg")}, range},
        {"at 100H to 0FFH", {L(0xFF, u"prev:"), J(0x100, u"jz", u"prev")}, page},
        {"at 0FFH back into its own page", {L(0xF0, u"back:"), J(0xFF, u"jnz", u"back")}, page},
        {"djnz to the next page", {L(0x200, u"next:"), J(0x1FE, u"djnz", u"next")}, page},
        {"beyond 7FFH in its page", {L(0x800, u"out:"), J(0x7FE, u"jc", u"out")}, page},
        {"first out of page", {L(0xFF, u"t:"), L(0x120, u"t:"), J(0x110, u"jt0", u"t")}, page},
        {"undefined label", {L(0, u"here:"), J(0, u"jmp", u"there")}, invalid},
        {"number as target", {L(0x100, u"x:"), J(0, u"jmp", u"100")}, invalid},
        {"empty target", {L(0, u"x:"), J(0, u"call", u"")}, invalid},
        {"blank before the colon", {L(0, u"loop :"), J(0, u"jmp", u"loop")}, invalid},
        {"target with its colon", {L(0, u"loop:"), J(0, u"jmp", u"loop:")}, invalid},
        {"prefix of a label", {L(0, u"loop2:"), J(0, u"jnc", u"loop")}, invalid},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(outcome(c.lines), c.expected) << c.name;
    }
}

TEST(JumpResolution, ListsEveryFaultInOrderAndKeepsFailedBytes) {
    LineTable table = tableOf({J(0, u"jmp", u"nowhere"), L(0x800, u"far:"), J(2, u"call", u"far"),
                               L(0x20, u"ok:"), J(4, u"jmp", u"ok"), J(0x100, u"jnz", u"ok")});
    table.records[2].byte1Bits = u"01010101";
    table.records[2].byte2Bits = u"10101010";
    table.records[5].byte2Bits = u"11001100";
    EXPECT_EQ(resolve(table),
              (std::vector<std::u16string>{u"Zeile: 10" + invalid, u"Zeile: 12" + range,
                                           u"Zeile: 15" + page}));
    EXPECT_EQ(bytesOf(table.records[2]), u"55 AA");
    EXPECT_EQ(bytesOf(table.records[4]), u"04 20");
    EXPECT_EQ(bytesOf(table.records[5]), u"F6 CC");
}

TEST(JumpResolution, LooksOnlyAtPendingTargetsAndLabelsUpToTheLastLine) {
    LineTable table = tableOf(
        {L(0x10, u"x:"), J(0, u"jmp", u"missing"), J(0, u"jmp", u"gone"), L(0x10, u"gone:")});
    table.records[1].needsTarget = 0;
    table.lastLine = 2;
    EXPECT_EQ(resolve(table), std::vector<std::u16string>{u"Zeile: 12" + invalid});
    EXPECT_EQ(table.records[1].byte1Bits + table.records[1].byte2Bits, u"");
}

TEST(JumpResolution, ResolvesManyJumpsAgainstTheFirstCarrier) {
    std::vector<Line> lines;
    for (int i = 0; i < 1500; ++i) {
        lines.push_back(L(i % 0x800, u"L" + tovi::decimalText(i % 700) + u":"));
        lines.push_back(J(0, i % 2 == 0 ? u"jmp" : u"call", u"l" + tovi::decimalText(i % 700)));
    }
    LineTable table = tableOf(lines);
    ASSERT_TRUE(resolve(table).empty());
    for (int i = 0; i < 1500; ++i) {
        // The first carrier of L<n> sits at address n.
        const int target = i % 700;
        const int opcode = (target / 256) << 5 | (i % 2 == 0 ? 0x04 : 0x14);
        const char16_t digits[] = u"0123456789ABCDEF";
        const std::u16string expected = {digits[opcode >> 4], digits[opcode & 15], u' ',
                                         digits[(target >> 4) & 15], digits[target & 15]};
        ASSERT_EQ(bytesOf(table.records[static_cast<std::size_t>(2 * i + 1)]), expected) << i;
    }
}

} // namespace
