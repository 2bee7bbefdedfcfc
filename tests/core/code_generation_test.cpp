#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/code_generation.h"
#include "assembler/source_line.h"
#include "common/text.h"

namespace {

using tovi::LineTable;
using tovi::SourceLine;
using tovi::toUtf8;

constexpr std::u16string_view syntaxMessage = u" -> Syntaxfehler";
constexpr std::u16string_view parameterMessage = u" -> Parameterfehler";
constexpr std::u16string_view rangeMessage = u" -> Wert außerhalb des zulässigen Bereiches";

struct FormCase {
    std::u16string_view mnemonic;
    std::u16string_view operand1;
    std::u16string_view operand2;
    int byte1;
    int byte2 = -1;
    std::u16string_view target = {};
};

constexpr int none = -1;

// Every instruction form: source operands and the bytes a hand-assembled listing shows.
const FormCase everyForm[] = {
    {u"add", u"a", u"r0", 0x68},
    {u"add", u"a", u"r1", 0x69},
    {u"add", u"a", u"r2", 0x6A},
    {u"add", u"a", u"r3", 0x6B},
    {u"add", u"a", u"r4", 0x6C},
    {u"add", u"a", u"r5", 0x6D},
    {u"add", u"a", u"r6", 0x6E},
    {u"add", u"a", u"r7", 0x6F},
    {u"add", u"a", u"@r0", 0x60},
    {u"add", u"a", u"@r1", 0x61},
    {u"add", u"a", u"#12h", 0x03, 0x12},

    {u"addc", u"a", u"r0", 0x78},
    {u"addc", u"a", u"r1", 0x79},
    {u"addc", u"a", u"r2", 0x7A},
    {u"addc", u"a", u"r3", 0x7B},
    {u"addc", u"a", u"r4", 0x7C},
    {u"addc", u"a", u"r5", 0x7D},
    {u"addc", u"a", u"r6", 0x7E},
    {u"addc", u"a", u"r7", 0x7F},
    {u"addc", u"a", u"@r0", 0x70},
    {u"addc", u"a", u"@r1", 0x71},
    {u"addc", u"a", u"#0", 0x13, 0x00},

    {u"anl", u"a", u"r0", 0x58},
    {u"anl", u"a", u"r1", 0x59},
    {u"anl", u"a", u"r2", 0x5A},
    {u"anl", u"a", u"r3", 0x5B},
    {u"anl", u"a", u"r4", 0x5C},
    {u"anl", u"a", u"r5", 0x5D},
    {u"anl", u"a", u"r6", 0x5E},
    {u"anl", u"a", u"r7", 0x5F},
    {u"anl", u"a", u"@r0", 0x50},
    {u"anl", u"a", u"@r1", 0x51},
    {u"anl", u"a", u"#0FH", 0x53, 0x0F},
    {u"anl", u"bus", u"#%F0", 0x98, 0xF0},
    {u"anl", u"p1", u"#0x7F", 0x99, 0x7F},
    {u"anl", u"p2", u"#254", 0x9A, 0xFE},

    {u"anld", u"p4", u"a", 0x9C},
    {u"anld", u"p5", u"a", 0x9D},
    {u"anld", u"p6", u"a", 0x9E},
    {u"anld", u"p7", u"a", 0x9F},

    {u"clr", u"a", u"", 0x27},
    {u"clr", u"c", u"", 0x97},
    {u"clr", u"f1", u"", 0xA5},
    {u"clr", u"f0", u"", 0x85},
    {u"cpl", u"a", u"", 0x37},
    {u"cpl", u"c", u"", 0xA7},
    {u"cpl", u"f0", u"", 0x95},
    {u"cpl", u"f1", u"", 0xB5},
    {u"da", u"a", u"", 0x57},

    {u"dec", u"a", u"", 0x07},
    {u"dec", u"r0", u"", 0xC8},
    {u"dec", u"r1", u"", 0xC9},
    {u"dec", u"r2", u"", 0xCA},
    {u"dec", u"r3", u"", 0xCB},
    {u"dec", u"r4", u"", 0xCC},
    {u"dec", u"r5", u"", 0xCD},
    {u"dec", u"r6", u"", 0xCE},
    {u"dec", u"r7", u"", 0xCF},

    {u"dis", u"i", u"", 0x15},
    {u"dis", u"tcnti", u"", 0x35},
    {u"en", u"i", u"", 0x05},
    {u"en", u"tcnti", u"", 0x25},
    {u"ent0", u"clk", u"", 0x75},

    {u"in", u"a", u"p0", 0x08},
    {u"in", u"a", u"p1", 0x09},
    {u"in", u"a", u"p2", 0x0A},

    {u"inc", u"a", u"", 0x17},
    {u"inc", u"r0", u"", 0x18},
    {u"inc", u"r1", u"", 0x19},
    {u"inc", u"r2", u"", 0x1A},
    {u"inc", u"r3", u"", 0x1B},
    {u"inc", u"r4", u"", 0x1C},
    {u"inc", u"r5", u"", 0x1D},
    {u"inc", u"r6", u"", 0x1E},
    {u"inc", u"r7", u"", 0x1F},
    {u"inc", u"@r0", u"", 0x10},
    {u"inc", u"@r1", u"", 0x11},

    {u"ins", u"a", u"bus", 0x08},
    {u"jmpp", u"@a", u"", 0xB3},

    {u"mov", u"a", u"#'A'", 0x23, 0x41},
    {u"mov", u"a", u"psw", 0xC7},
    {u"mov", u"a", u"r0", 0xF8},
    {u"mov", u"a", u"r1", 0xF9},
    {u"mov", u"a", u"r2", 0xFA},
    {u"mov", u"a", u"r3", 0xFB},
    {u"mov", u"a", u"r4", 0xFC},
    {u"mov", u"a", u"r5", 0xFD},
    {u"mov", u"a", u"r6", 0xFE},
    {u"mov", u"a", u"r7", 0xFF},
    {u"mov", u"a", u"@r0", 0xF0},
    {u"mov", u"a", u"@r1", 0xF1},
    {u"mov", u"a", u"t", 0x42},
    {u"mov", u"psw", u"a", 0xD7},
    {u"mov", u"r0", u"a", 0xA8},
    {u"mov", u"r1", u"a", 0xA9},
    {u"mov", u"r2", u"a", 0xAA},
    {u"mov", u"r3", u"a", 0xAB},
    {u"mov", u"r4", u"a", 0xAC},
    {u"mov", u"r5", u"a", 0xAD},
    {u"mov", u"r6", u"a", 0xAE},
    {u"mov", u"r7", u"a", 0xAF},
    {u"mov", u"r0", u"#1", 0xB8, 0x01},
    {u"mov", u"r1", u"#2", 0xB9, 0x02},
    {u"mov", u"r2", u"#3", 0xBA, 0x03},
    {u"mov", u"r3", u"#12h", 0xBB, 0x12},
    {u"mov", u"r4", u"#%A5", 0xBC, 0xA5},
    {u"mov", u"r5", u"#0x5A", 0xBD, 0x5A},
    {u"mov", u"r6", u"#'z'", 0xBE, 0x7A},
    {u"mov", u"r7", u"#255", 0xBF, 0xFF},
    {u"mov", u"@r0", u"a", 0xA0},
    {u"mov", u"@r1", u"a", 0xA1},
    {u"mov", u"@r0", u"#10", 0xB0, 0x0A},
    {u"mov", u"@r1", u"#80h", 0xB1, 0x80},
    {u"mov", u"t", u"a", 0x62},

    {u"movd", u"a", u"p4", 0x0C},
    {u"movd", u"a", u"p5", 0x0D},
    {u"movd", u"a", u"p6", 0x0E},
    {u"movd", u"a", u"p7", 0x0F},
    {u"movd", u"p4", u"a", 0x3C},
    {u"movd", u"p5", u"a", 0x3D},
    {u"movd", u"p6", u"a", 0x3E},
    {u"movd", u"p7", u"a", 0x3F},
    {u"movp", u"a", u"@a", 0xA3},
    {u"movp3", u"a", u"@a", 0xE3},
    {u"movx", u"a", u"@r0", 0x80},
    {u"movx", u"a", u"@r1", 0x81},
    {u"movx", u"@r0", u"a", 0x90},
    {u"movx", u"@r1", u"a", 0x91},

    {u"nop", u"", u"", 0x00},

    {u"orl", u"a", u"r0", 0x48},
    {u"orl", u"a", u"r1", 0x49},
    {u"orl", u"a", u"r2", 0x4A},
    {u"orl", u"a", u"r3", 0x4B},
    {u"orl", u"a", u"r4", 0x4C},
    {u"orl", u"a", u"r5", 0x4D},
    {u"orl", u"a", u"r6", 0x4E},
    {u"orl", u"a", u"r7", 0x4F},
    {u"orl", u"a", u"@r0", 0x40},
    {u"orl", u"a", u"@r1", 0x41},
    {u"orl", u"a", u"#1", 0x43, 0x01},
    {u"orl", u"bus", u"#2", 0x88, 0x02},
    {u"orl", u"p1", u"#4", 0x89, 0x04},
    {u"orl", u"p2", u"#8", 0x8A, 0x08},

    {u"orld", u"p4", u"a", 0x8C},
    {u"orld", u"p5", u"a", 0x8D},
    {u"orld", u"p6", u"a", 0x8E},
    {u"orld", u"p7", u"a", 0x8F},

    {u"outl", u"p0", u"a", 0x90},
    {u"outl", u"bus", u"a", 0x02},
    {u"outl", u"p1", u"a", 0x39},
    {u"outl", u"p2", u"a", 0x3A},

    {u"ret", u"", u"", 0x83},
    {u"retr", u"", u"", 0x93},
    {u"rl", u"a", u"", 0xE7},
    {u"rlc", u"a", u"", 0xF7},
    {u"rr", u"a", u"", 0x77},
    {u"rrc", u"a", u"", 0x67},
    {u"sel", u"mb0", u"", 0xE5},
    {u"sel", u"mb1", u"", 0xF5},
    {u"sel", u"rb0", u"", 0xC5},
    {u"sel", u"rb1", u"", 0xD5},
    {u"stop", u"tcnt", u"", 0x65},
    {u"strt", u"cnt", u"", 0x45},
    {u"strt", u"t", u"", 0x55},
    {u"swap", u"a", u"", 0x47},

    {u"xch", u"a", u"r0", 0x28},
    {u"xch", u"a", u"r1", 0x29},
    {u"xch", u"a", u"r2", 0x2A},
    {u"xch", u"a", u"r3", 0x2B},
    {u"xch", u"a", u"r4", 0x2C},
    {u"xch", u"a", u"r5", 0x2D},
    {u"xch", u"a", u"r6", 0x2E},
    {u"xch", u"a", u"r7", 0x2F},
    {u"xch", u"a", u"@r0", 0x20},
    {u"xch", u"a", u"@r1", 0x21},
    {u"xchd", u"a", u"@r0", 0x30},
    {u"xchd", u"a", u"@r1", 0x31},

    {u"xrl", u"a", u"r0", 0xD8},
    {u"xrl", u"a", u"r1", 0xD9},
    {u"xrl", u"a", u"r2", 0xDA},
    {u"xrl", u"a", u"r3", 0xDB},
    {u"xrl", u"a", u"r4", 0xDC},
    {u"xrl", u"a", u"r5", 0xDD},
    {u"xrl", u"a", u"r6", 0xDE},
    {u"xrl", u"a", u"r7", 0xDF},
    {u"xrl", u"a", u"@r0", 0xD0},
    {u"xrl", u"a", u"@r1", 0xD1},
    {u"xrl", u"a", u"#0AAh", 0xD3, 0xAA},

    {u"djnz", u"r0", u"loop", 0xE8, none, u"loop"},
    {u"djnz", u"r1", u"l1", 0xE9, none, u"l1"},
    {u"djnz", u"r2", u"loop", 0xEA, none, u"loop"},
    {u"djnz", u"r3", u"l3", 0xEB, none, u"l3"},
    {u"djnz", u"r4", u"back", 0xEC, none, u"back"},
    {u"djnz", u"r5", u"l5", 0xED, none, u"l5"},
    {u"djnz", u"r6", u"w6", 0xEE, none, u"w6"},
    {u"djnz", u"r7", u"l7", 0xEF, none, u"l7"},

    {u"jb0", u"t0", u"", 0x12, none, u"t0"},
    {u"jb1", u"t1", u"", 0x32, none, u"t1"},
    {u"jb2", u"t2", u"", 0x52, none, u"t2"},
    {u"jb3", u"t3", u"", 0x72, none, u"t3"},
    {u"jb4", u"t4", u"", 0x92, none, u"t4"},
    {u"jb5", u"t5", u"", 0xB2, none, u"t5"},
    {u"jb6", u"t6", u"", 0xD2, none, u"t6"},
    {u"jb7", u"t7", u"", 0xF2, none, u"t7"},

    {u"jc", u"carry", u"", 0xF6, none, u"carry"},
    {u"jf0", u"flag0", u"", 0xB6, none, u"flag0"},
    {u"jf1", u"flag1", u"", 0x76, none, u"flag1"},
    {u"jnc", u"nocarry", u"", 0xE6, none, u"nocarry"},
    {u"jni", u"irq", u"", 0x86, none, u"irq"},
    {u"jnt0", u"low0", u"", 0x26, none, u"low0"},
    {u"jnt1", u"low1", u"", 0x46, none, u"low1"},
    {u"jnz", u"notzero", u"", 0x96, none, u"notzero"},
    {u"jtf", u"timer", u"", 0x16, none, u"timer"},
    {u"jt0", u"high0", u"", 0x36, none, u"high0"},
    {u"jt1", u"high1", u"", 0x56, none, u"high1"},
    {u"jz", u"zero", u"", 0xC6, none, u"zero"},
};

static_assert(std::size(everyForm) == 216);

// Eight binary digits, most significant first, as the listing writes a byte.
std::u16string bitsOf(int byte) {
    std::u16string bits;
    for (int mask = 0x80; mask != 0; mask >>= 1) {
        bits.push_back((byte & mask) != 0 ? u'1' : u'0');
    }
    return bits;
}

// Upper-cases ASCII letters outside character literals, whose case is their value.
std::u16string upperAscii(std::u16string_view text) {
    std::u16string upper(text);
    bool inLiteral = false;
    for (char16_t& c : upper) {
        inLiteral = inLiteral != (c == u'\'');
        if (!inLiteral && c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - 0x20);
        }
    }
    return upper;
}

SourceLine sourceLine(std::u16string_view mnemonic, std::u16string_view operand1 = {},
                      std::u16string_view operand2 = {}, std::int32_t lineNumber = 1) {
    SourceLine line;
    line.lineNumber = lineNumber;
    line.mnemonic = mnemonic;
    line.operand1 = operand1;
    line.operand2 = operand2;
    return line;
}

SourceLine withExcessOperands(SourceLine line) {
    line.excessOperands = 1;
    return line;
}

SourceLine asEquate(SourceLine line) {
    line.kind = tovi::equateLine;
    return line;
}

struct Generated {
    LineTable table;
    std::vector<std::u16string> status;
    int errorCount = 0;

    const SourceLine& line(int index = 0) const {
        return table.records[static_cast<std::size_t>(index)];
    }
};

Generated generate(std::vector<SourceLine> lines) {
    Generated run;
    run.table.records = std::move(lines);
    run.table.lastLine = static_cast<int>(run.table.records.size()) - 1;
    run.errorCount = tovi::generateCode(
        run.table, [&run](std::u16string_view text) { run.status.emplace_back(text); });
    return run;
}

std::u16string describe(const SourceLine& line) {
    return line.mnemonic + u" " + line.operand1 + u"," + line.operand2 +
           (line.excessOperands != 0 ? u",…" : u"");
}

void expectForm(const Generated& run, const FormCase& form, std::u16string_view target) {
    const SourceLine& line = run.line();
    EXPECT_EQ(run.errorCount, 0);
    EXPECT_TRUE(run.status.empty());
    EXPECT_EQ(line.byte1Bits, bitsOf(form.byte1));
    const bool twoBytes = form.byte2 >= 0 || !form.target.empty();
    EXPECT_EQ(line.byteCount, twoBytes ? 2 : 1);
    EXPECT_EQ(line.byte2Bits, form.byte2 >= 0 ? bitsOf(form.byte2) : u"");
    EXPECT_EQ(line.needsTarget, form.target.empty() ? 0 : 1);
    EXPECT_EQ(line.targetText, target);
}

void expectForms(const FormCase* begin, const FormCase* end) {
    for (const FormCase* form = begin; form != end; ++form) {
        const Generated run =
            generate({sourceLine(form->mnemonic, form->operand1, form->operand2)});
        SCOPED_TRACE(toUtf8(describe(run.line())));
        expectForm(run, *form, form->target);
    }
}

TEST(CodeGenerationForms, EveryFormGivesItsBytes) {
    expectForms(std::begin(everyForm), std::end(everyForm));
}

TEST(CodeGenerationForms, EveryFormGivesItsBytesInUpperCase) {
    for (const FormCase& form : everyForm) {
        const Generated run = generate({sourceLine(
            upperAscii(form.mnemonic), upperAscii(form.operand1), upperAscii(form.operand2))});
        SCOPED_TRACE(toUtf8(describe(run.line())));
        // A target keeps the case it was written in.
        expectForm(run, form, upperAscii(form.target));
    }
}

TEST(CodeGenerationForms, SharedOpcodesComeFromBothRows) {
    const FormCase cases[] = {
        {u"in", u"a", u"p0", 0x08},
        {u"ins", u"a", u"bus", 0x08},
        {u"outl", u"p0", u"a", 0x90},
        {u"movx", u"@r0", u"a", 0x90},
    };
    expectForms(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationForms, ImmediateDataTakesEveryLiteralForm) {
    const FormCase cases[] = {
        {u"MOV", u"A", u"#0FFH", 0x23, 0xFF},
        {u"mov", u"a", u"#255", 0x23, 0xFF},
        {u"mov", u"a", u"#'A'", 0x23, 0x41},
        {u"mov", u"a", u"#'''", 0x23, 0x27},
        {u"mov", u"a", u"#' '", 0x23, 0x20},
        {u"mov", u"a", u"#ah", 0x23, 0x0A},
        {u"mov", u"a", u"#%1F", 0x23, 0x1F},
        {u"mov", u"a", u"#0X1f", 0x23, 0x1F},
        {u"mov", u"a", u"#007", 0x23, 0x07},
        {u"mov", u"a", u"#0", 0x23, 0x00},
        // Every "#" is removed before the value is read.
        {u"mov", u"a", u"##12", 0x23, 0x0C},
        {u"mov", u"a", u"#1#2", 0x23, 0x0C},
        // Only the 32-bit wrap makes a negative value; its low byte is taken.
        {u"mov", u"a", u"#4294967295", 0x23, 0xFF},
        {u"mov", u"a", u"#0FFFFFF80h", 0x23, 0x80},
        // djnz takes immediate data as well, and then has no target to resolve.
        {u"djnz", u"r0", u"#5", 0xE8, 0x05},
    };
    expectForms(std::begin(cases), std::end(cases));
}

struct DataByteCase {
    std::u16string_view mnemonic;
    std::u16string_view operand;
    int expectedByte;
};

TEST(CodeGenerationDirectives, DataByteStoresOneByte) {
    const DataByteCase cases[] = {
        {u"db", u"255", 0xFF},  {u"db", u"0", 0x00},   {u"db", u"'A'", 0x41},
        {u".db", u"12h", 0x12}, {u"DB", u"%7f", 0x7F}, {u".DB", u"0x80", 0x80},
        {u"db", u"'''", 0x27},  {u"db", u"'#'", 0x23}, {u"Db", u"ah", 0x0A},
    };
    for (const auto& c : cases) {
        const Generated run = generate({sourceLine(c.mnemonic, c.operand)});
        SCOPED_TRACE(toUtf8(describe(run.line())));
        EXPECT_EQ(run.errorCount, 0);
        EXPECT_EQ(run.line().byteCount, 1);
        EXPECT_EQ(run.line().byte1Bits, bitsOf(c.expectedByte));
        EXPECT_EQ(run.line().byte2Bits, u"");
        EXPECT_EQ(run.line().needsTarget, 0);
        EXPECT_EQ(run.line().address, 0);
    }
}

struct OriginCase {
    std::u16string_view mnemonic;
    std::u16string_view operand;
    std::int32_t expectedAddress;
};

TEST(CodeGenerationDirectives, OriginSetsTheAddressAndTakesNoBytes) {
    const OriginCase cases[] = {
        {u"org", u"7FFH", 2047}, {u"org", u"0", 0},      {u".org", u"100h", 256},
        {u"ORG", u"%400", 1024}, {u".ORG", u"0x10", 16}, {u"org", u"2047", 2047},
    };
    for (const auto& c : cases) {
        const Generated run = generate({sourceLine(c.mnemonic, c.operand)});
        SCOPED_TRACE(toUtf8(describe(run.line())));
        EXPECT_EQ(run.errorCount, 0);
        EXPECT_EQ(run.line().address, c.expectedAddress);
        EXPECT_EQ(run.line().byteCount, 0);
        EXPECT_EQ(run.line().byte1Bits, u"");
        EXPECT_EQ(run.line().needsTarget, 0);
    }
}

struct LongJumpCase {
    std::u16string_view mnemonic;
    std::u16string_view operand;
};

TEST(CodeGenerationDirectives, LongJumpsAreRecordedForResolution) {
    const LongJumpCase cases[] = {
        {u"jmp", u"start"}, {u"call", u"Sub1"}, {u"JMP", u"Start"}, {u"Call", u"x"},
        {u"jmp", u""},      {u"jmp", u"#12"},   {u"call", u"12h"},  {u"jmp", u"§adresse§"},
    };
    for (const auto& c : cases) {
        const Generated run = generate({sourceLine(c.mnemonic, c.operand)});
        SCOPED_TRACE(toUtf8(describe(run.line())));
        EXPECT_EQ(run.errorCount, 0);
        EXPECT_EQ(run.line().byteCount, 2);
        EXPECT_EQ(run.line().needsTarget, 1);
        EXPECT_EQ(run.line().targetText, c.operand);
        EXPECT_EQ(run.line().byte1Bits, u"");
        EXPECT_EQ(run.line().byte2Bits, u"");
    }
}

struct ErrorCase {
    SourceLine line;
    std::u16string_view message;
};

void expectErrors(const ErrorCase* begin, const ErrorCase* end) {
    for (const ErrorCase* c = begin; c != end; ++c) {
        SourceLine line = c->line;
        line.lineNumber = 7;
        const Generated run = generate({line});
        SCOPED_TRACE(toUtf8(describe(line)));
        EXPECT_EQ(run.errorCount, 1);
        ASSERT_EQ(run.status.size(), 1u);
        EXPECT_EQ(run.status[0], u"Zeile: 7" + std::u16string(c->message));
        EXPECT_EQ(run.line().byteCount, 0);
    }
}

TEST(CodeGenerationErrors, DataByteRejectsWhatIsNoByte) {
    const ErrorCase cases[] = {
        {sourceLine(u"db", u"256"), rangeMessage},
        {sourceLine(u"db", u"100h"), rangeMessage},
        {sourceLine(u"db", u"4294967295"), rangeMessage},
        {sourceLine(u"db", u"'€'"), rangeMessage},
        {sourceLine(u"db", u"-1"), parameterMessage},
        {sourceLine(u"db", u""), parameterMessage},
        {sourceLine(u"db", u"loop"), parameterMessage},
        {sourceLine(u"db", u"'ab'"), parameterMessage},
        {sourceLine(u"db", u"1 2"), parameterMessage},
        {sourceLine(u".db", u"1+2"), parameterMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationErrors, OriginRejectsWhatIsNoAddress) {
    const ErrorCase cases[] = {
        {sourceLine(u"org", u"800H"), rangeMessage},
        {sourceLine(u"org", u"2048"), rangeMessage},
        {sourceLine(u".org", u"4294967295"), rangeMessage},
        {sourceLine(u"org", u"'A'"), parameterMessage},
        {sourceLine(u"org", u""), parameterMessage},
        {sourceLine(u"org", u"-1"), parameterMessage},
        {sourceLine(u"org", u"start"), parameterMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationErrors, OperandsThatFitNoPattern) {
    const ErrorCase cases[] = {
        {sourceLine(u"mov", u"a", u"r8"), parameterMessage},
        {sourceLine(u"mov", u"a"), parameterMessage},
        {sourceLine(u"mov"), parameterMessage},
        {sourceLine(u"nop", u"a"), parameterMessage},
        {sourceLine(u"mov", u"", u"a"), parameterMessage},
        {sourceLine(u"jc"), parameterMessage},
        {sourceLine(u"djnz", u"r0"), parameterMessage},
        {sourceLine(u"mov", u"a", u"@ r0"), parameterMessage},
        {sourceLine(u"mov", u"a ", u"r0"), parameterMessage},
        {sourceLine(u"mov", u"a", u"12"), parameterMessage},
        {sourceLine(u"mov", u"a", u"#"), parameterMessage},
        {sourceLine(u"mov", u"a", u"#-1"), parameterMessage},
        {sourceLine(u"mov", u"a", u"#loop"), parameterMessage},
        {sourceLine(u"mov", u"a", u"#'ab'"), parameterMessage},
        // Removing every "#" leaves two quotes, which are no character literal.
        {sourceLine(u"mov", u"a", u"#'#'"), parameterMessage},
        {sourceLine(u"mov", u"psw", u"#1"), parameterMessage},
        {sourceLine(u"mov", u"r0", u"r1"), parameterMessage},
        {sourceLine(u"add", u"r0", u"a"), parameterMessage},
        {sourceLine(u"in", u"a", u"p4"), parameterMessage},
        {sourceLine(u"clr", u"b"), parameterMessage},
        {sourceLine(u"clr", u"a", u"c"), parameterMessage},
        {sourceLine(u"ret", u"", u"x"), parameterMessage},
        {sourceLine(u"djnz", u"r8", u"loop"), parameterMessage},
        {sourceLine(u"djnz", u"a", u"loop"), parameterMessage},
        {sourceLine(u"movx", u"@r2", u"a"), parameterMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationErrors, ImmediateDataAboveAByte) {
    const ErrorCase cases[] = {
        {sourceLine(u"mov", u"a", u"#256"), rangeMessage},
        {sourceLine(u"mov", u"r0", u"#100h"), rangeMessage},
        {sourceLine(u"anl", u"p1", u"#%FFFF"), rangeMessage},
        {sourceLine(u"djnz", u"r0", u"#300"), rangeMessage},
        {sourceLine(u"mov", u"a", u"#'€'"), rangeMessage},
        {sourceLine(u"mov", u"a", u"#2147483647"), rangeMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationErrors, UnknownMnemonics) {
    const ErrorCase cases[] = {
        {sourceLine(u"dw", u"1"), syntaxMessage},
        {sourceLine(u"movv", u"a", u"r0"), syntaxMessage},
        {sourceLine(u"equ", u"5"), syntaxMessage},
        {sourceLine(u"end"), syntaxMessage},
        {sourceLine(u"$$$$"), syntaxMessage},
        {sourceLine(u"jb8", u"x"), syntaxMessage},
        {sourceLine(u"mov;a"), syntaxMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationErrors, NoOperandIsSilentlyIgnored) {
    const ErrorCase cases[] = {
        {sourceLine(u"db", u"1", u"2"), parameterMessage},
        {sourceLine(u".db", u"'A'", u"'B'"), parameterMessage},
        {sourceLine(u"db", u"256", u"2"), parameterMessage},
        {sourceLine(u"org", u"10h", u"20h"), parameterMessage},
        {sourceLine(u".org", u"0", u"x"), parameterMessage},
        {sourceLine(u"jmp", u"start", u"x"), parameterMessage},
        {sourceLine(u"call", u"sub", u"a"), parameterMessage},
        {sourceLine(u"jmp", u"", u"x"), parameterMessage},
        {withExcessOperands(sourceLine(u"db", u"1")), parameterMessage},
        {withExcessOperands(sourceLine(u"org", u"0")), parameterMessage},
        {withExcessOperands(sourceLine(u"jmp", u"start")), parameterMessage},
        {withExcessOperands(sourceLine(u"call", u"")), parameterMessage},
        {withExcessOperands(sourceLine(u"mov", u"a", u"r0")), parameterMessage},
        {withExcessOperands(sourceLine(u"nop")), parameterMessage},
        {withExcessOperands(sourceLine(u"djnz", u"r0", u"loop")), parameterMessage},
        {withExcessOperands(sourceLine(u"mov", u"a", u"#1")), parameterMessage},
        // An unknown mnemonic is named as such first.
        {withExcessOperands(sourceLine(u"dw", u"1", u"2")), syntaxMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationErrors, HashIsNoPartOfADirectiveOperand) {
    const ErrorCase cases[] = {
        {sourceLine(u"db", u"#12"), parameterMessage},
        {sourceLine(u"db", u"1#2"), parameterMessage},
        {sourceLine(u"db", u"12#"), parameterMessage},
        {sourceLine(u".db", u"#'A'"), parameterMessage},
        {sourceLine(u"org", u"#100h"), parameterMessage},
        {sourceLine(u".org", u"1#0"), parameterMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationPlaceholders, DataPlaceholderIsNoValue) {
    const ErrorCase cases[] = {
        {sourceLine(u"mov", u"a", u"#§data§"), parameterMessage},
        {sourceLine(u"ADD", u"A", u"#§DATA§"), parameterMessage},
        {sourceLine(u"mov", u"r0", u"#§data§"), parameterMessage},
        {sourceLine(u"mov", u"a", u"§data§"), parameterMessage},
        {sourceLine(u"mov", u"a", u"§adresse§"), parameterMessage},
        {sourceLine(u"mov", u"§adresse§", u"a"), parameterMessage},
        {sourceLine(u"nop", u"§adresse§"), parameterMessage},
    };
    expectErrors(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationPlaceholders, AddressPlaceholderIsAnOrdinaryLabel) {
    const FormCase cases[] = {
        {u"jc", u"§adresse§", u"", 0xF6, -1, u"§adresse§"},
        {u"JZ", u"§ADRESSE§", u"", 0xC6, -1, u"§ADRESSE§"},
        {u"djnz", u"r1", u"§adresse§", 0xE9, -1, u"§adresse§"},
        {u"jb3", u"#§data§", u"", 0x72, -1, u"#§data§"},
    };
    expectForms(std::begin(cases), std::end(cases));
}

TEST(CodeGenerationLines, LinesWithoutAnInstructionProduceNothing) {
    SourceLine labelOnly = sourceLine(u"");
    labelOnly.label = u"loop:";
    const SourceLine lines[] = {
        sourceLine(u""),
        labelOnly,
        asEquate(sourceLine(u"count", u"5")),
        asEquate(sourceLine(u"db", u"300")),
        asEquate(sourceLine(u"dw", u"x")),
        asEquate(withExcessOperands(sourceLine(u"value", u"1"))),
    };
    for (const SourceLine& line : lines) {
        const Generated run = generate({line});
        SCOPED_TRACE(toUtf8(describe(line)));
        EXPECT_EQ(run.errorCount, 0);
        EXPECT_TRUE(run.status.empty());
        EXPECT_EQ(run.line().byteCount, 0);
        EXPECT_EQ(run.line().byte1Bits, u"");
        EXPECT_EQ(run.line().needsTarget, 0);
        EXPECT_EQ(run.line().targetText, u"");
        EXPECT_EQ(run.line().address, 0);
    }
}

TEST(CodeGenerationLines, ReportsEveryFaultyLineInOrderAndGoesOn) {
    const Generated run = generate({
        sourceLine(u"mov", u"a", u"#256", 3),
        sourceLine(u"mov", u"a", u"x", 4),
        sourceLine(u"nop", u"", u"", 5),
        sourceLine(u"dw", u"1", u"", 1234),
        sourceLine(u"db", u"'A'", u"", 1235),
        sourceLine(u"org", u"800h", u"", 1236),
    });
    EXPECT_EQ(run.errorCount, 4);
    const std::vector<std::u16string> expected = {
        u"Zeile: 3 -> Wert außerhalb des zulässigen Bereiches",
        u"Zeile: 4 -> Parameterfehler",
        u"Zeile: 1234 -> Syntaxfehler",
        u"Zeile: 1236 -> Wert außerhalb des zulässigen Bereiches",
    };
    EXPECT_EQ(run.status, expected);
    EXPECT_EQ(run.line(2).byte1Bits, u"00000000");
    EXPECT_EQ(run.line(2).byteCount, 1);
    EXPECT_EQ(run.line(4).byte1Bits, u"01000001");
    EXPECT_EQ(run.line(4).byteCount, 1);
}

TEST(CodeGenerationLines, TranslatesOnlyTheRecordsUpToTheLastLine) {
    LineTable table;
    table.records = {sourceLine(u"ret", u"", u"", 1), sourceLine(u"dw", u"", u"", 2)};
    table.lastLine = 0;
    std::vector<std::u16string> status;
    const int errors = tovi::generateCode(
        table, [&status](std::u16string_view text) { status.emplace_back(text); });
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(status.empty());
    EXPECT_EQ(table.records[0].byte1Bits, u"10000011");
    EXPECT_EQ(table.records[1].byteCount, 0);
}

TEST(CodeGenerationLines, AnEmptyTableReportsNothing) {
    const Generated run = generate({});
    EXPECT_EQ(run.errorCount, 0);
    EXPECT_TRUE(run.status.empty());
}

} // namespace
