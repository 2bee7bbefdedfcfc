#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/address_assignment.h"
#include "assembler/asm_error.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;

// A line as code generation leaves it: an origin sits in `address`.
struct Line {
    std::u16string label;
    std::u16string mnemonic;
    int byteCount = 0;
    int origin = 0;
    int kind = tovi::ordinaryLine;
};

LineTable tableOf(const std::vector<Line>& lines) {
    LineTable table;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SourceLine& record = table.freshRecord(static_cast<int>(i));
        record.lineNumber = static_cast<int>(i) + 1;
        record.label = lines[i].label;
        record.mnemonic = lines[i].mnemonic;
        record.byteCount = lines[i].byteCount;
        record.address = lines[i].origin;
        record.kind = lines[i].kind;
    }
    table.lastLine = static_cast<int>(lines.size()) - 1;
    return table;
}

std::vector<int> addressesOf(const LineTable& table) {
    std::vector<int> addresses;
    for (int i = 0; i < table.size(); ++i) {
        addresses.push_back(table.records[static_cast<std::size_t>(i)].address);
    }
    return addresses;
}

// --- Address assignment --------------------------------------------------------

struct AddressCase {
    const char* name;
    std::vector<Line> lines;
    std::vector<int> addresses;
};

TEST(AddressAssignment, FollowsByteCountsAndOrigins) {
    const Line nop{u"", u"nop", 1};
    const std::vector<AddressCase> cases = {
        {"origin, then code", {{u"", u"org", 0, 256}, nop, {u"", u"mov", 2}}, {256, 256, 257}},
        {"no origin", {nop, nop}, {0, 1}},
        {"label alone takes the next address",
         {{u"", u"org", 0, 16}, {u"", u"mov", 2}, {u"loop:", u""}, {u"loop:", u"nop", 1}},
         {16, 16, 18, 18}},
        {"label alone before an origin",
         {nop, {u"here:", u""}, {u"", u"org", 0, 64}, nop},
         {0, 1, 64, 64}},
        {"origin carrying a label", {{u"start:", u"org", 0, 64}, nop}, {64, 64}},
        {"origin below the counter",
         {{u"", u"org", 0, 100}, nop, {u"", u"org", 0, 50}, nop},
         {100, 100, 50, 50}},
        {"directive in any case",
         {{u"", u".ORG", 0, 8}, nop, {u"", u"Org", 0, 3}, nop},
         {8, 8, 3, 3}},
        {"counter runs past 7FFH",
         {{u"", u"org", 0, 0x7FF}, nop, nop, nop},
         {0x7FF, 0x7FF, 0x800, 0x801}},
        {"orgx is an ordinary mnemonic", {{u"", u"orgx", 0, 40}, nop}, {0, 0}},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.name);
        LineTable table = tableOf(c.lines);
        tovi::assignAddresses(table);
        EXPECT_EQ(addressesOf(table), c.addresses);
    }
}

TEST(AddressAssignment, SkipsEquatesAndKeepsTheirAddress) {
    LineTable table = tableOf({{u"", u"nop", 1},
                               {u"", u"cnt", 2, 0, tovi::equateLine},
                               {u"", u"org", 0, 0, tovi::equateLine},
                               {u"", u"nop", 1}});
    table.records[1].address = 99;
    tovi::assignAddresses(table);
    EXPECT_EQ(addressesOf(table), (std::vector<int>{0, 99, 0, 1}));
}

TEST(AddressAssignment, OverwritesAddressesOfOrdinaryLines) {
    LineTable table = tableOf({{u"", u"nop", 1}, {u"", u"ret", 1}});
    table.records[0].address = 500;
    table.records[1].address = 600;
    tovi::assignAddresses(table);
    EXPECT_EQ(addressesOf(table), (std::vector<int>{0, 1}));
}

TEST(AddressAssignment, LeavesRecordsAboveLastLineAlone) {
    LineTable table = tableOf({{u"", u"nop", 1}, {u"", u"nop", 1}});
    table.records[1].address = 42;
    table.lastLine = 0;
    tovi::assignAddresses(table);
    EXPECT_EQ(table.records[1].address, 42);
}

// --- Program memory bound -------------------------------------------------------

struct RangeCase {
    const char* name;
    std::vector<Line> lines;
    std::vector<std::u16string> reports;
};

std::u16string outOfRangeAt(int lineNumber) {
    return u"Zeile: " + tovi::decimalText(lineNumber) +
           u" -> Adresse außerhalb des zulässigen Bereiches";
}

TEST(AddressRangeCheck, ReportsEveryLineWhoseLastByteLiesAbove7FFH) {
    const std::vector<RangeCase> cases = {
        {"last byte at 7FFH", {{u"", u"org", 0, 0x7FE}, {u"", u"mov", 2}}, {}},
        {"one byte at 7FFH", {{u"", u"org", 0, 0x7FF}, {u"", u"nop", 1}}, {}},
        {"second byte at 800H", {{u"", u"org", 0, 0x7FF}, {u"", u"mov", 2}}, {outOfRangeAt(2)}},
        {"code after 7FFH",
         {{u"", u"org", 0, 0x7FF}, {u"", u"nop", 1}, {u"", u"db", 1}, {u"", u"jmp", 2}},
         {outOfRangeAt(3), outOfRangeAt(4)}},
        {"lines without bytes at 800H",
         {{u"", u"org", 0, 0x7FF},
          {u"", u"nop", 1},
          {u"end:", u""},
          {u"", u"cnt", 0, 0, tovi::equateLine}},
         {}},
        {"after an origin back into range",
         {{u"", u"org", 0, 0x7FF},
          {u"", u"nop", 1},
          {u"", u"nop", 1},
          {u"", u"org", 0, 0},
          {u"", u"nop", 1}},
         {outOfRangeAt(3)}},
        {"whole memory filled", std::vector<Line>(2048, Line{u"", u"nop", 1}), {}},
        {"one byte too many", std::vector<Line>(2049, Line{u"", u"nop", 1}), {outOfRangeAt(2049)}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        LineTable table = tableOf(c.lines);
        tovi::assignAddresses(table);
        std::vector<std::u16string> reports;
        const int count = tovi::checkAddressRange(
            table, [&reports](std::u16string_view line) { reports.emplace_back(line); });
        EXPECT_EQ(reports, c.reports);
        EXPECT_EQ(count, static_cast<int>(c.reports.size()));
    }
}

} // namespace
