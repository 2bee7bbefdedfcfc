#include <gtest/gtest.h>

#include <span>
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

constexpr int J = -2; // a conditional jump: the last operand is its target

struct FormCase {
    std::u16string_view text;
    int byte1;
    int byte2 = -1;
};

// Every instruction form and the bytes a hand-assembled listing shows.
// clang-format off
const FormCase everyForm[] = {
    {u"add a,r0", 0x68}, {u"add a,r1", 0x69}, {u"add a,r2", 0x6A}, {u"add a,r3", 0x6B},
    {u"add a,r4", 0x6C}, {u"add a,r5", 0x6D}, {u"add a,r6", 0x6E}, {u"add a,r7", 0x6F},
    {u"add a,@r0", 0x60}, {u"add a,@r1", 0x61}, {u"add a,#12h", 0x03, 0x12},
    {u"addc a,r0", 0x78}, {u"addc a,r1", 0x79}, {u"addc a,r2", 0x7A}, {u"addc a,r3", 0x7B},
    {u"addc a,r4", 0x7C}, {u"addc a,r5", 0x7D}, {u"addc a,r6", 0x7E}, {u"addc a,r7", 0x7F},
    {u"addc a,@r0", 0x70}, {u"addc a,@r1", 0x71}, {u"addc a,#0", 0x13, 0x00},
    {u"anl a,r0", 0x58}, {u"anl a,r1", 0x59}, {u"anl a,r2", 0x5A}, {u"anl a,r3", 0x5B},
    {u"anl a,r4", 0x5C}, {u"anl a,r5", 0x5D}, {u"anl a,r6", 0x5E}, {u"anl a,r7", 0x5F},
    {u"anl a,@r0", 0x50}, {u"anl a,@r1", 0x51}, {u"anl a,#0FH", 0x53, 0x0F},
    {u"anl bus,#%F0", 0x98, 0xF0}, {u"anl p1,#0x7F", 0x99, 0x7F}, {u"anl p2,#254", 0x9A, 0xFE},
    {u"anld p4,a", 0x9C}, {u"anld p5,a", 0x9D}, {u"anld p6,a", 0x9E}, {u"anld p7,a", 0x9F},
    {u"clr a", 0x27}, {u"clr c", 0x97}, {u"clr f1", 0xA5}, {u"clr f0", 0x85},
    {u"cpl a", 0x37}, {u"cpl c", 0xA7}, {u"cpl f0", 0x95}, {u"cpl f1", 0xB5},
    {u"da a", 0x57},
    {u"dec a", 0x07}, {u"dec r0", 0xC8}, {u"dec r1", 0xC9}, {u"dec r2", 0xCA}, {u"dec r3", 0xCB},
    {u"dec r4", 0xCC}, {u"dec r5", 0xCD}, {u"dec r6", 0xCE}, {u"dec r7", 0xCF},
    {u"dis i", 0x15}, {u"dis tcnti", 0x35}, {u"en i", 0x05}, {u"en tcnti", 0x25},
    {u"ent0 clk", 0x75}, {u"in a,p0", 0x08}, {u"in a,p1", 0x09}, {u"in a,p2", 0x0A},
    {u"inc a", 0x17}, {u"inc r0", 0x18}, {u"inc r1", 0x19}, {u"inc r2", 0x1A}, {u"inc r3", 0x1B},
    {u"inc r4", 0x1C}, {u"inc r5", 0x1D}, {u"inc r6", 0x1E}, {u"inc r7", 0x1F}, {u"inc @r0", 0x10},
    {u"inc @r1", 0x11},
    {u"ins a,bus", 0x08}, {u"jmpp @a", 0xB3},
    {u"mov a,#'A'", 0x23, 0x41}, {u"mov a,psw", 0xC7}, {u"mov a,r0", 0xF8}, {u"mov a,r1", 0xF9},
    {u"mov a,r2", 0xFA}, {u"mov a,r3", 0xFB}, {u"mov a,r4", 0xFC}, {u"mov a,r5", 0xFD},
    {u"mov a,r6", 0xFE}, {u"mov a,r7", 0xFF}, {u"mov a,@r0", 0xF0}, {u"mov a,@r1", 0xF1},
    {u"mov a,t", 0x42}, {u"mov psw,a", 0xD7}, {u"mov r0,a", 0xA8}, {u"mov r1,a", 0xA9},
    {u"mov r2,a", 0xAA}, {u"mov r3,a", 0xAB}, {u"mov r4,a", 0xAC}, {u"mov r5,a", 0xAD},
    {u"mov r6,a", 0xAE}, {u"mov r7,a", 0xAF}, {u"mov r0,#1", 0xB8, 0x01},
    {u"mov r1,#2", 0xB9, 0x02}, {u"mov r2,#3", 0xBA, 0x03}, {u"mov r3,#12h", 0xBB, 0x12},
    {u"mov r4,#%A5", 0xBC, 0xA5}, {u"mov r5,#0x5A", 0xBD, 0x5A}, {u"mov r6,#'z'", 0xBE, 0x7A},
    {u"mov r7,#255", 0xBF, 0xFF}, {u"mov @r0,a", 0xA0}, {u"mov @r1,a", 0xA1},
    {u"mov @r0,#10", 0xB0, 0x0A}, {u"mov @r1,#80h", 0xB1, 0x80}, {u"mov t,a", 0x62},
    {u"movd a,p4", 0x0C}, {u"movd a,p5", 0x0D}, {u"movd a,p6", 0x0E}, {u"movd a,p7", 0x0F},
    {u"movd p4,a", 0x3C}, {u"movd p5,a", 0x3D}, {u"movd p6,a", 0x3E}, {u"movd p7,a", 0x3F},
    {u"movp a,@a", 0xA3}, {u"movp3 a,@a", 0xE3},
    {u"movx a,@r0", 0x80}, {u"movx a,@r1", 0x81}, {u"movx @r0,a", 0x90}, {u"movx @r1,a", 0x91},
    {u"nop", 0x00},
    {u"orl a,r0", 0x48}, {u"orl a,r1", 0x49}, {u"orl a,r2", 0x4A}, {u"orl a,r3", 0x4B},
    {u"orl a,r4", 0x4C}, {u"orl a,r5", 0x4D}, {u"orl a,r6", 0x4E}, {u"orl a,r7", 0x4F},
    {u"orl a,@r0", 0x40}, {u"orl a,@r1", 0x41}, {u"orl a,#1", 0x43, 0x01},
    {u"orl bus,#2", 0x88, 0x02}, {u"orl p1,#4", 0x89, 0x04}, {u"orl p2,#8", 0x8A, 0x08},
    {u"orld p4,a", 0x8C}, {u"orld p5,a", 0x8D}, {u"orld p6,a", 0x8E}, {u"orld p7,a", 0x8F},
    {u"outl p0,a", 0x90}, {u"outl bus,a", 0x02}, {u"outl p1,a", 0x39}, {u"outl p2,a", 0x3A},
    {u"ret", 0x83}, {u"retr", 0x93}, {u"rl a", 0xE7}, {u"rlc a", 0xF7}, {u"rr a", 0x77},
    {u"rrc a", 0x67},
    {u"sel mb0", 0xE5}, {u"sel mb1", 0xF5}, {u"sel rb0", 0xC5}, {u"sel rb1", 0xD5},
    {u"stop tcnt", 0x65}, {u"strt cnt", 0x45}, {u"strt t", 0x55}, {u"swap a", 0x47},
    {u"xch a,r0", 0x28}, {u"xch a,r1", 0x29}, {u"xch a,r2", 0x2A}, {u"xch a,r3", 0x2B},
    {u"xch a,r4", 0x2C}, {u"xch a,r5", 0x2D}, {u"xch a,r6", 0x2E}, {u"xch a,r7", 0x2F},
    {u"xch a,@r0", 0x20}, {u"xch a,@r1", 0x21},
    {u"xchd a,@r0", 0x30}, {u"xchd a,@r1", 0x31},
    {u"xrl a,r0", 0xD8}, {u"xrl a,r1", 0xD9}, {u"xrl a,r2", 0xDA}, {u"xrl a,r3", 0xDB},
    {u"xrl a,r4", 0xDC}, {u"xrl a,r5", 0xDD}, {u"xrl a,r6", 0xDE}, {u"xrl a,r7", 0xDF},
    {u"xrl a,@r0", 0xD0}, {u"xrl a,@r1", 0xD1}, {u"xrl a,#0AAh", 0xD3, 0xAA},
    {u"djnz r0,loop", 0xE8, J}, {u"djnz r1,l1", 0xE9, J}, {u"djnz r2,loop", 0xEA, J},
    {u"djnz r3,l3", 0xEB, J}, {u"djnz r4,back", 0xEC, J}, {u"djnz r5,l5", 0xED, J},
    {u"djnz r6,w6", 0xEE, J}, {u"djnz r7,l7", 0xEF, J},
    {u"jb0 t0", 0x12, J}, {u"jb1 t1", 0x32, J}, {u"jb2 t2", 0x52, J}, {u"jb3 t3", 0x72, J},
    {u"jb4 t4", 0x92, J}, {u"jb5 t5", 0xB2, J}, {u"jb6 t6", 0xD2, J}, {u"jb7 t7", 0xF2, J},
    {u"jc carry", 0xF6, J}, {u"jf0 flag0", 0xB6, J}, {u"jf1 flag1", 0x76, J},
    {u"jnc nocarry", 0xE6, J}, {u"jni irq", 0x86, J}, {u"jnt0 low0", 0x26, J},
    {u"jnt1 low1", 0x46, J}, {u"jnz notzero", 0x96, J}, {u"jtf timer", 0x16, J},
    {u"jt0 high0", 0x36, J}, {u"jt1 high1", 0x56, J}, {u"jz zero", 0xC6, J},
};
// clang-format on

static_assert(std::size(everyForm) == 216);

const std::u16string param = u"Zeile: 7 -> Parameterfehler";
const std::u16string range = u"Zeile: 7 -> Wert außerhalb des zulässigen Bereiches";
const std::u16string syntax = u"Zeile: 7 -> Syntaxfehler";

// "mnemonic op1,op2[,more]": a third comma-separated part marks excess operands.
SourceLine lineOf(std::u16string_view text, int lineNumber = 7) {
    SourceLine line;
    line.lineNumber = lineNumber;
    const auto blank = text.find(u' ');
    line.mnemonic = text.substr(0, blank);
    if (blank == std::u16string_view::npos) {
        return line;
    }
    std::u16string_view rest = text.substr(blank + 1);
    const auto comma = rest.find(u',');
    line.operand1 = rest.substr(0, comma);
    if (comma != std::u16string_view::npos) {
        rest = rest.substr(comma + 1);
        const auto second = rest.find(u',');
        line.operand2 = rest.substr(0, second);
        line.excessOperands = second != std::u16string_view::npos ? 1 : 0;
    }
    return line;
}

struct Generated {
    LineTable table;
    std::vector<std::u16string> status;
    int errors = 0;
};

Generated generate(std::vector<SourceLine> lines) {
    Generated run;
    run.table.records = std::move(lines);
    run.table.lastLine = static_cast<int>(run.table.records.size()) - 1;
    run.errors = tovi::generateCode(
        run.table, [&run](std::u16string_view text) { run.status.emplace_back(text); });
    return run;
}

std::u16string hexOf(int byte) {
    const char16_t digits[] = u"0123456789ABCDEF";
    return {digits[(byte >> 4) & 15], digits[byte & 15]};
}

std::u16string hexOfBits(const std::u16string& bits) {
    int value = 0;
    for (const char16_t bit : bits) {
        if (bit != u'0' && bit != u'1') {
            return u"?" + bits;
        }
        value = value * 2 + (bit - u'0');
    }
    return bits.size() == 8 ? hexOf(value) : u"?" + bits;
}

// "count:byte1 byte2 >target @address", each part only where present.
std::u16string render(const SourceLine& line) {
    std::u16string text = tovi::decimalText(line.byteCount) + u":";
    if (!line.byte1Bits.empty()) {
        text += hexOfBits(line.byte1Bits);
    }
    if (!line.byte2Bits.empty()) {
        text += u" " + hexOfBits(line.byte2Bits);
    }
    if (line.needsTarget != 0) {
        text += u" >" + line.targetText;
    }
    if (line.address != 0) {
        text += u" @" + tovi::decimalText(line.address);
    }
    return text;
}

// The rendered record of one translated line, or the status line it reported.
std::u16string outcome(std::u16string_view text) {
    const Generated run = generate({lineOf(text)});
    EXPECT_EQ(run.errors, static_cast<int>(run.status.size()));
    if (run.status.empty()) {
        return render(run.table.records[0]);
    }
    EXPECT_EQ(run.status.size(), 1u);
    EXPECT_EQ(run.table.records[0].byteCount, 0);
    return run.status[0];
}

std::u16string expectedOf(const FormCase& form) {
    if (form.byte2 == J) {
        const auto start = form.text.find_last_of(u" ,") + 1;
        return u"2:" + hexOf(form.byte1) + u" >" + std::u16string(form.text.substr(start));
    }
    if (form.byte2 >= 0) {
        return u"2:" + hexOf(form.byte1) + u" " + hexOf(form.byte2);
    }
    return u"1:" + hexOf(form.byte1);
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

struct Case {
    std::u16string_view text;
    std::u16string expected;
};

void expectOutcomes(std::span<const Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(outcome(c.text), c.expected) << toUtf8(c.text);
    }
}

void expectFault(std::span<const std::u16string_view> texts, const std::u16string& message) {
    for (const std::u16string_view text : texts) {
        EXPECT_EQ(outcome(text), message) << toUtf8(text);
    }
}

TEST(CodeGenerationForms, EveryFormGivesItsBytesInEitherCase) {
    for (const FormCase& form : everyForm) {
        EXPECT_EQ(outcome(form.text), expectedOf(form)) << toUtf8(form.text);
        // A target keeps the case it was written in.
        EXPECT_EQ(outcome(upperAscii(form.text)), upperAscii(expectedOf(form)))
            << toUtf8(form.text);
    }
}

// Every "#" is removed before the value is read; only the 32-bit wrap makes a
// negative value, whose low byte is taken; djnz takes immediate data as well
// and then has no target to resolve. An address placeholder written in the
// source is an ordinary label.
TEST(CodeGenerationForms, LiteralsDirectivesAndLongJumps) {
    // clang-format off
    const Case cases[] = {
        {u"MOV A,#0FFH", u"2:23 FF"}, {u"mov a,#'''", u"2:23 27"}, {u"mov a,#' '", u"2:23 20"},
        {u"mov a,#ah", u"2:23 0A"}, {u"mov a,#0X1f", u"2:23 1F"}, {u"mov a,#007", u"2:23 07"},
        {u"mov a,##12", u"2:23 0C"}, {u"mov a,#1#2", u"2:23 0C"},
        {u"mov a,#4294967295", u"2:23 FF"}, {u"mov a,#0FFFFFF80h", u"2:23 80"},
        {u"djnz r0,#5", u"2:E8 05"},
        {u"db 255", u"1:FF"}, {u"db 0", u"1:00"}, {u".db 12h", u"1:12"}, {u"DB %7f", u"1:7F"},
        {u".DB 0x80", u"1:80"}, {u"db '''", u"1:27"}, {u"db '#'", u"1:23"}, {u"Db ah", u"1:0A"},
        {u"org 7FFH", u"0: @2047"}, {u".org 100h", u"0: @256"}, {u"ORG %400", u"0: @1024"},
        {u".ORG 0x10", u"0: @16"}, {u"org 0", u"0:"},
        {u"jmp start", u"2: >start"}, {u"JMP Start", u"2: >Start"}, {u"Call x", u"2: >x"},
        {u"jmp", u"2: >"}, {u"jmp #12", u"2: >#12"}, {u"call 12h", u"2: >12h"},
        {u"jmp §adresse§", u"2: >§adresse§"}, {u"jc §adresse§", u"2:F6 >§adresse§"},
        {u"JZ §ADRESSE§", u"2:C6 >§ADRESSE§"}, {u"djnz r1,§adresse§", u"2:E9 >§adresse§"},
        {u"jb3 #§data§", u"2:72 >#§data§"},
    };
    // clang-format on
    expectOutcomes(cases);
}

// Removing every "#" from "#'#'" leaves two quotes, which are no character
// literal. Text after a second comma is an error, and so is a second operand or
// a "#" in a directive.
TEST(CodeGenerationFaults, ParameterErrors) {
    const std::u16string_view texts[] = {
        u"db -1",           u"db",          u"db loop",       u"db 'ab'",
        u"db 1 2",          u"org 'A'",     u"org",           u"org start",
        u"mov a,r8",        u"mov a",       u"mov",           u"nop a",
        u"mov ,a",          u"jc",          u"clr a,c",       u"clr b",
        u"mov a,@ r0",      u"mov a ,r0",   u"mov a,12",      u"mov a,#",
        u"mov a,#-1",       u"mov a,#'ab'", u"mov psw,#1",    u"mov r0,r1",
        u"movx @r2,a",      u"djnz a,loop", u"mov a,#'#'",    u"db 1,2",
        u"db 256,2",        u"org 10h,20h", u"jmp start,x",   u"call sub,a",
        u"jmp ,x",          u"db 1,,x",     u"org 0,,x",      u"jmp start,,x",
        u"call ,,x",        u"mov a,r0,x",  u"nop ,,x",       u"djnz r0,loop,x",
        u"mov a,#1,x",      u"db #12",      u"db 12#",        u".db #'A'",
        u"org #100h",       u".org 1#0",    u"mov a,#§data§", u"ADD A,#§DATA§",
        u"mov a,§adresse§",
    };
    expectFault(texts, param);
}

TEST(CodeGenerationFaults, RangeErrors) {
    const std::u16string_view texts[] = {
        u"db 256",     u"db 4294967295", u"db '€'",       u"org 800H",   u".org 4294967295",
        u"mov a,#256", u"anl p1,#%FFFF", u"djnz r0,#300", u"mov a,#'€'", u"mov a,#2147483647",
    };
    expectFault(texts, range);
}

// An unknown mnemonic is named as such before its operands are looked at.
TEST(CodeGenerationFaults, SyntaxErrors) {
    const std::u16string_view texts[] = {
        u"dw 1",  u"movv a,r0",         u"equ 5",    u"$$$$", u"jb8 x",
        u"mov;a", u"movxmovxmovx a,r0", u"dw 1,2,3",
    };
    expectFault(texts, syntax);
}

TEST(CodeGenerationLines, LinesWithoutAnInstructionProduceNothing) {
    std::vector<SourceLine> lines = {lineOf(u""), lineOf(u""), lineOf(u"count 5"),
                                     lineOf(u"db 300"), lineOf(u"value 1,2,3")};
    lines[1].label = u"loop:";
    for (std::size_t i = 2; i < lines.size(); ++i) {
        lines[i].kind = tovi::equateLine;
    }
    const Generated run = generate(lines);
    EXPECT_EQ(run.errors, 0);
    EXPECT_TRUE(run.status.empty());
    for (const SourceLine& line : run.table.records) {
        EXPECT_EQ(render(line), u"0:") << toUtf8(line.mnemonic);
    }
}

TEST(CodeGenerationLines, ReportsEveryFaultyLineInOrderAndGoesOn) {
    const Generated run =
        generate({lineOf(u"mov a,#256", 3), lineOf(u"mov a,x", 4), lineOf(u"nop", 5),
                  lineOf(u"dw 1", 1234), lineOf(u"db 'A'", 1235), lineOf(u"org 800h", 1236)});
    EXPECT_EQ(run.errors, 4);
    const std::vector<std::u16string> expected = {
        u"Zeile: 3 -> Wert außerhalb des zulässigen Bereiches", u"Zeile: 4 -> Parameterfehler",
        u"Zeile: 1234 -> Syntaxfehler", u"Zeile: 1236 -> Wert außerhalb des zulässigen Bereiches"};
    EXPECT_EQ(run.status, expected);
    EXPECT_EQ(render(run.table.records[2]), u"1:00");
    EXPECT_EQ(render(run.table.records[4]), u"1:41");
}

TEST(CodeGenerationLines, TranslatesOnlyTheRecordsUpToTheLastLine) {
    LineTable table;
    table.records = {lineOf(u"ret"), lineOf(u"dw")};
    table.lastLine = 0;
    EXPECT_EQ(tovi::generateCode(table, [](std::u16string_view) { ADD_FAILURE(); }), 0);
    EXPECT_EQ(render(table.records[0]), u"1:83");
    EXPECT_EQ(render(table.records[1]), u"0:");
    EXPECT_EQ(generate({}).errors, 0);
}

} // namespace
