#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assembler/address_assignment.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;

// A line as code generation leaves it: an origin sits in `address`.
struct Line {
    std::u16string label;
    std::u16string mnemonic;
    int byteCount = 0;
    int address = 0;
    int kind = tovi::ordinaryLine;
};

Line org(int origin, std::u16string mnemonic = u"org") {
    return {u"", std::move(mnemonic), 0, origin};
}
Line code(int bytes, int staleAddress = 0) {
    return {u"", bytes == 2 ? u"mov" : u"nop", bytes, staleAddress};
}
Line labelAlone(std::u16string label) {
    return {std::move(label), u""};
}
Line equate(std::u16string name, int address) {
    return {u"", std::move(name), 2, address, tovi::equateLine};
}

LineTable tableOf(const std::vector<Line>& lines) {
    LineTable table;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SourceLine& record = table.freshRecord(static_cast<int>(i));
        record.lineNumber = static_cast<int>(i) + 1;
        record.label = lines[i].label;
        record.mnemonic = lines[i].mnemonic;
        record.byteCount = lines[i].byteCount;
        record.address = lines[i].address;
        record.kind = lines[i].kind;
    }
    table.lastLine = static_cast<int>(lines.size()) - 1;
    return table;
}

std::vector<int> addressesOf(const LineTable& table) {
    std::vector<int> addresses;
    for (const SourceLine& record : table.records) {
        addresses.push_back(record.address);
    }
    return addresses;
}

struct AddressCase {
    const char* name;
    std::vector<Line> lines;
    std::vector<int> addresses;
};

TEST(AddressAssignment, FollowsByteCountsAndOrigins) {
    Line labelledOrigin = org(64);
    labelledOrigin.label = u"start:";
    // clang-format off
    const AddressCase cases[] = {
        {"origin, then code", {org(256), code(1), code(2), code(1)}, {256, 256, 257, 259}},
        {"stale addresses replaced", {code(1, 500), code(1, 600)}, {0, 1}},
        {"label alone", {org(16), code(2), labelAlone(u"l:"), code(1)}, {16, 16, 18, 18}},
        {"label alone before org", {code(1), labelAlone(u"h:"), org(64), code(1)}, {0, 1, 64, 64}},
        {"origin carrying a label", {labelledOrigin, code(1)}, {64, 64}},
        {"origin below counter", {org(100), code(1), org(50), code(1)}, {100, 100, 50, 50}},
        {"any case", {org(8, u".ORG"), code(1), org(3, u"Org"), code(1)}, {8, 8, 3, 3}},
        {"past 7FFH", {org(0x7FF), code(1), code(1), code(1)}, {0x7FF, 0x7FF, 0x800, 0x801}},
        {"orgx is no origin", {org(40, u"orgx"), code(1)}, {0, 0}},
        {"equates skipped", {code(1), equate(u"n", 99), equate(u"org", 0), code(1)}, {0, 99, 0, 1}},
    };
    // clang-format on
    for (const AddressCase& c : cases) {
        LineTable table = tableOf(c.lines);
        tovi::assignAddresses(table);
        EXPECT_EQ(addressesOf(table), c.addresses) << c.name;
    }
}

TEST(AddressAssignment, LeavesRecordsAboveLastLineAlone) {
    LineTable table = tableOf({code(1), code(1, 42)});
    table.lastLine = 0;
    tovi::assignAddresses(table);
    EXPECT_EQ(addressesOf(table), (std::vector<int>{0, 42}));
}

struct RangeCase {
    const char* name;
    std::vector<Line> lines;
    std::vector<int> reportedLines;
};

TEST(AddressRangeCheck, ReportsEveryLineWhoseLastByteLiesAbove7FFH) {
    // clang-format off
    const RangeCase cases[] = {
        {"last byte at 7FFH", {org(0x7FE), code(2)}, {}},
        {"one byte at 7FFH", {org(0x7FF), code(1)}, {}},
        {"second byte at 800H", {org(0x7FF), code(2)}, {2}},
        {"code after 7FFH", {org(0x7FF), code(1), code(1), code(2)}, {3, 4}},
        {"no bytes at 800H", {org(0x7FF), code(1), labelAlone(u"e:"), equate(u"c", 0)}, {}},
        {"back into range", {org(0x7FF), code(1), code(1), org(0), code(1)}, {3}},
        {"whole memory filled", std::vector<Line>(2048, code(1)), {}},
        {"one byte too many", std::vector<Line>(2049, code(1)), {2049}},
    };
    // clang-format on
    for (const RangeCase& c : cases) {
        LineTable table = tableOf(c.lines);
        tovi::assignAddresses(table);
        std::vector<std::u16string> reports;
        const int count = tovi::checkAddressRange(
            table, [&reports](std::u16string_view line) { reports.emplace_back(line); });
        std::vector<std::u16string> expected;
        for (const int line : c.reportedLines) {
            expected.push_back(u"Zeile: " + tovi::decimalText(line) +
                               u" -> Adresse außerhalb des zulässigen Bereiches");
        }
        EXPECT_EQ(reports, expected) << c.name;
        EXPECT_EQ(count, static_cast<int>(expected.size())) << c.name;
    }
}

} // namespace
