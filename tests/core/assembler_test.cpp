// The assembler: every instruction form, the source language, the passes'
// edge cases and whole runs, mostly as source text against its listing.

#include "assembler/equates.h"
#include "assembler/line_preparation.h"
#include "assembler/number_literals.h"
#include "support.h"

namespace tovi::test {
namespace {

// A family of forms: "%" stands for first, first + 1, … in the text, and the
// opcode rises by one from form to form, as the MCS-48 tables list them.
struct Forms {
    std::u16string_view text;
    int opcode;
    int data = -1; // the second byte, or none
    int count = 1;
    int first = 0;
};

constexpr int target = 0; // jump targets are the label x at address 0

// Every instruction form and the bytes a hand-assembled listing shows.
// clang-format off
const Forms everyForm[] = {
    {u"add a,r%", 0x68, -1, 8}, {u"add a,@r%", 0x60, -1, 2}, {u"add a,#12h", 0x03, 0x12},
    {u"addc a,r%", 0x78, -1, 8}, {u"addc a,@r%", 0x70, -1, 2}, {u"addc a,#0", 0x13, 0x00},
    {u"anl a,r%", 0x58, -1, 8}, {u"anl a,@r%", 0x50, -1, 2}, {u"anl a,#0FH", 0x53, 0x0F},
    {u"anl bus,#0F0h", 0x98, 0xF0}, {u"anl p%,#0x7F", 0x99, 0x7F, 2, 1}, {u"anld p%,a", 0x9C, -1, 4, 4},
    {u"clr a", 0x27}, {u"clr c", 0x97}, {u"clr f1", 0xA5}, {u"clr f0", 0x85}, {u"cpl a", 0x37},
    {u"cpl c", 0xA7}, {u"cpl f0", 0x95}, {u"cpl f1", 0xB5}, {u"da a", 0x57}, {u"dec a", 0x07},
    {u"dec r%", 0xC8, -1, 8}, {u"dis i", 0x15}, {u"dis tcnti", 0x35}, {u"en i", 0x05},
    {u"en tcnti", 0x25}, {u"ent0 clk", 0x75}, {u"in a,p%", 0x08, -1, 3}, {u"inc a", 0x17},
    {u"inc r%", 0x18, -1, 8}, {u"inc @r%", 0x10, -1, 2}, {u"ins a,bus", 0x08}, {u"jmpp @a", 0xB3},
    {u"mov a,#'A'", 0x23, 0x41}, {u"mov a,psw", 0xC7}, {u"mov a,r%", 0xF8, -1, 8},
    {u"mov a,@r%", 0xF0, -1, 2}, {u"mov a,t", 0x42}, {u"mov psw,a", 0xD7}, {u"mov r%,a", 0xA8, -1, 8},
    {u"mov r%,#'z'", 0xB8, 0x7A, 8}, {u"mov @r%,a", 0xA0, -1, 2}, {u"mov @r%,#80h", 0xB0, 0x80, 2},
    {u"mov t,a", 0x62}, {u"movd a,p%", 0x0C, -1, 4, 4}, {u"movd p%,a", 0x3C, -1, 4, 4},
    {u"movp a,@a", 0xA3}, {u"movp3 a,@a", 0xE3}, {u"movx a,@r%", 0x80, -1, 2},
    {u"movx @r%,a", 0x90, -1, 2}, {u"nop", 0x00}, {u"orl a,r%", 0x48, -1, 8},
    {u"orl a,@r%", 0x40, -1, 2}, {u"orl a,#1", 0x43, 0x01}, {u"orl bus,#0A5h", 0x88, 0xA5},
    {u"orl p%,#254", 0x89, 0xFE, 2, 1}, {u"orld p%,a", 0x8C, -1, 4, 4}, {u"outl p0,a", 0x90},
    {u"outl bus,a", 0x02}, {u"outl p%,a", 0x39, -1, 2, 1}, {u"ret", 0x83}, {u"retr", 0x93},
    {u"rl a", 0xE7}, {u"rlc a", 0xF7}, {u"rr a", 0x77}, {u"rrc a", 0x67}, {u"sel mb0", 0xE5},
    {u"sel mb1", 0xF5}, {u"sel rb0", 0xC5}, {u"sel rb1", 0xD5}, {u"stop tcnt", 0x65},
    {u"strt cnt", 0x45}, {u"strt t", 0x55}, {u"swap a", 0x47}, {u"xch a,r%", 0x28, -1, 8},
    {u"xch a,@r%", 0x20, -1, 2}, {u"xchd a,@r%", 0x30, -1, 2}, {u"xrl a,r%", 0xD8, -1, 8},
    {u"xrl a,@r%", 0xD0, -1, 2}, {u"xrl a,#0AAh", 0xD3, 0xAA}, {u"djnz r%,x", 0xE8, target, 8},
    {u"jb0 x", 0x12, target}, {u"jb1 x", 0x32, target}, {u"jb2 x", 0x52, target},
    {u"jb3 x", 0x72, target}, {u"jb4 x", 0x92, target}, {u"jb5 x", 0xB2, target},
    {u"jb6 x", 0xD2, target}, {u"jb7 x", 0xF2, target}, {u"jc x", 0xF6, target},
    {u"jf0 x", 0xB6, target}, {u"jf1 x", 0x76, target}, {u"jnc x", 0xE6, target},
    {u"jni x", 0x86, target}, {u"jnt0 x", 0x26, target}, {u"jnt1 x", 0x46, target},
    {u"jnz x", 0x96, target}, {u"jtf x", 0x16, target}, {u"jt0 x", 0x36, target},
    {u"jt1 x", 0x56, target}, {u"jz x", 0xC6, target},
};
// clang-format on

std::u16string hex(int value) {
    const char16_t digits[] = u"0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

TEST(Assembler, EveryFormGivesItsBytes) {
    int forms = 0;
    for (const Forms& family : everyForm) {
        for (int i = 0; i < family.count; ++i, ++forms) {
            std::u16string text(family.text);
            if (const auto at = text.find(u'%'); at != std::u16string::npos) {
                text[at] = static_cast<char16_t>(u'0' + family.first + i);
            }
            const std::u16string source = u"x: " + text;
            const std::u16string row = u"000 " + hex(family.opcode + i) +
                                       (family.data < 0 ? u"" : u" " + hex(family.data));
            EXPECT_EQ(outcome(source), row) << toUtf8(text);
        }
    }
    EXPECT_EQ(forms, 216);
}

struct Case {
    std::u16string_view source;
    std::u16string_view expected;
};

constexpr std::u16string_view range = u"Wert außerhalb des zulässigen Bereiches";

TEST(Assembler, TranslatesTheSourceLanguage) {
    // clang-format off
    const Case cases[] = {
        // literals and directives
        {u"MOV A,#0FFH\nmov a,#'''\nmov a,#' '", u"000 23 FF | 002 23 27 | 004 23 20"},
        {u"mov a,##12\nmov a,#1#2\ndjnz r0,#5", u"000 23 0C | 002 23 0C | 004 E8 05"},
        {u"mov a,#4294967295\nmov a,#0FFFFFF80h", u"000 23 FF | 002 23 80"},
        {u"db 255\n.db 12h\nDB %7f\n.DB 0x80", u"000 FF | 001 12 | 002 7F | 003 80"},
        {u"db '''\ndb '#'\nDb ah\ndb 0", u"000 27 | 001 23 | 002 0A | 003 00"},
        {u"org 7FFH\nnop\n.org 100h\nnop", u"100 00 | 7FF 00"},
        {u"loop:\ncount equ 5\n; comment", u""},
        // addresses
        {u"org 16\nmov a,#1\nl:\nnop\njmp l", u"010 23 01 | 012 00 | 013 04 12"},
        {u"nop\nh:\norg 64\nnop\njmp h", u"000 00 | 040 00 | 041 04 01"},
        {u"start: org 64\nnop\njmp start", u"040 00 | 041 04 40"},
        {u".ORG 8\nnop\nOrg 3\nnop\nn equ 99\nnop", u"003 00 | 004 00 | 008 00"},
        {u"org 7FEh\nmov a,#1", u"7FE 23 01"},
        {u"org 7FFh\nnop\ne:\nc equ 0", u"7FF 00"},
        {u"org 7FFh\nmov a,#1", u"2: Adresse außerhalb des zulässigen Bereiches"},
        {u"org 7FFh\nnop\nnop\ndb 1\norg 0\nnop",
         u"3: Adresse außerhalb des zulässigen Bereiches | 4: Adresse außerhalb des zulässigen Bereiches"},
        // jumps and calls
        {u"jmp dest\ncall dest\norg 123h\ndest: nop", u"000 24 23 | 002 34 23 | 123 00"},
        {u"jmp top\nCALL top\norg 7FFh\ntop: nop", u"000 E4 FF | 002 F4 FF | 7FF 00"},
        {u"start: nop\norg 7F0h\nJmp START", u"000 00 | 7F0 04 00"},
        {u"org 34h\nSchleife_Ä: nop\norg 0\ncall SCHLEIFE_ä", u"000 14 34 | 034 00"},
        {u"two: nop\nTWO: nop\njmp two", u"000 00 | 001 00 | 002 04 00"},
        {u"org 0F0h\njc e\norg 0FFh\ne: nop", u"0F0 F6 FF | 0FF 00"},
        {u"org 0F0h\nb: nop\norg 0FEh\njc b", u"0F0 00 | 0FE F6 F0"},
        {u"org 0FFh\njnz on\norg 101h\non: nop", u"0FF 96 01 | 101 00"},
        {u"org 100h\nloop: nop\norg 1FEh\nDJNZ r0,loop", u"100 00 | 1FE E8 00"},
        {u"jmp far\norg 7FFh\nnop\nfar:", u"1: Sprungziel außerhalb des zulässigen Bereiches"},
        {u"org 0FFh\nprev: nop\njz prev", u"3: Sprungziel außerhalb der aktuellen Seite"},
        {u"org 0F0h\nback: nop\norg 0FFh\njnz back", u"4: Sprungziel außerhalb der aktuellen Seite"},
        {u"org 1FEh\ndjnz r0,next\norg 200h\nnext: nop", u"2: Sprungziel außerhalb der aktuellen Seite"},
        {u"org 7FEh\njc out\nout:", u"2: Sprungziel außerhalb der aktuellen Seite"},
        {u"org 0FFh\nt:\norg 110h\njt0 t\nt: nop", u"4: Sprungziel außerhalb der aktuellen Seite"},
        {u"here: nop\njmp there\njmp 100\ncall", u"2: ungültiges Sprungziel | 3: ungültiges Sprungziel | 4: ungültiges Sprungziel"},
        {u"loop : nop\nloop2: jnc loop", u"2: ungültiges Sprungziel"},
        {u"jmp nowhere\ncall far\nok: jmp ok\norg 100h\njnz ok\norg 7FFh\nnop\nfar:",
         u"1: ungültiges Sprungziel | 2: Sprungziel außerhalb des zulässigen Bereiches | 5: Sprungziel außerhalb der aktuellen Seite"},
        // the end directive, and faults reported in order
        {u"nop\nEND\nret", u"000 00"}, {u"nop\n\t .End ; stop\nret", u"000 00"},
        {u"nop\nEND;\nret", u"000 00"}, {u"END\nnop", u""}, {u"nop\n; end\nret", u"000 00 | 001 83"},
        {u"nop\nEND here\nendx\nende: end", u"2: Syntaxfehler | 3: Syntaxfehler | 4: Syntaxfehler"},
        {u"mov a,#256\nmov a,x\nnop\ndw 1\ndb 'A'\norg 800h",
         u"1: Wert außerhalb des zulässigen Bereiches | 2: Parameterfehler | 4: Syntaxfehler | 6: Wert außerhalb des zulässigen Bereiches"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(outcome(c.source), c.expected) << toUtf8(c.source);
    }
}

// One line each, and the one message it reports.
TEST(Assembler, ReportsEachFaultyLine) {
    // clang-format off
    const std::u16string_view parameterFaults[] = {
        u"db -1", u"db", u"db loop", u"db 'ab'", u"db 1 2", u"org 'A'", u"org", u"org start",
        u"mov a,r8", u"mov a", u"mov", u"nop a", u"mov ,a", u"jc", u"clr a,c", u"clr b",
        u"mov a,@ r0", u"mov;a", u"mov a,12", u"mov a,#", u"mov a,#-1", u"mov a,#'ab'",
        u"mov psw,#1", u"mov r0,r1", u"movx @r2,a", u"djnz a,loop", u"mov a,#'#'", u"db 1,2",
        u"db 256,2", u"org 10h,20h", u"jmp start,x", u"call sub,a", u"jmp ,x", u"db 1,,x",
        u"org 0,,x", u"jmp start,,x", u"mov a,r0,x", u"nop ,,x", u"djnz r0,loop,x", u"mov a,#1,x",
        u"db #12", u"db 12#", u".db #'A'", u"org #100h", u".org 1#0", u"mov a,#§data§",
        u"ADD A,#§DATA§", u"mov a,§adresse§",
    };
    const std::u16string_view rangeFaults[] = {
        u"db 256", u"db 4294967295", u"db '€'", u"org 800H", u".org 4294967295", u"mov a,#256",
        u"anl p1,#%FFFF", u"djnz r0,#300", u"mov a,#'€'", u"mov a,#2147483647",
    };
    const std::u16string_view syntaxFaults[] = {
        u"dw 1", u"movv a,r0", u"equ 5", u"$$$$", u"jb8 x", u"x equ 1,2", u"movxmovxmovx a,r0",
        u"orgx 5", u"count: equ 10h",
    };
    // clang-format on
    const std::pair<std::span<const std::u16string_view>, std::u16string> groups[] = {
        {parameterFaults, u"1: Parameterfehler"},
        {rangeFaults, u"1: " + std::u16string(range)},
        {syntaxFaults, u"1: Syntaxfehler"},
    };
    for (const auto& [texts, message] : groups) {
        for (const std::u16string_view text : texts) {
            EXPECT_EQ(outcome(text), message) << toUtf8(text);
        }
    }
}

// "label|mnemonic|operand1|operand2", then "|equ" for an equate and "|+" for
// text after a second comma.
std::u16string fieldsOf(std::u16string_view line) {
    LineTable table;
    EXPECT_EQ(prepareLines(table, std::vector<std::u16string>{std::u16string(line)}), 0);
    const SourceLine& r = table.records[0];
    return r.label + u"|" + r.mnemonic + u"|" + r.operand1 + u"|" + r.operand2 +
           (r.kind != ordinaryLine ? u"|equ" : u"") + (r.excessOperands != 0 ? u"|+" : u"");
}

TEST(Assembler, SplitsEachLineIntoItsParts) {
    // clang-format off
    const Case cases[] = {
        {u"Loop: DJNZ R2,Loop ; count", u"Loop:|DJNZ|R2|Loop"}, {u"count equ 10h", u"|count|10h||equ"},
        {u"count: equ 10h", u"count:|equ|10h|"}, {u"x equ 1,2", u"|x|equ 1|2"},
        {u"jmp equal", u"|jmp|al||equ"}, {u"mov a , r0", u"|mov|a|r0"},
        {u"\t\tmov\t\ta ,\t#5\t", u"|mov|a|#5"}, {u"loop : nop", u"loop :|nop||"},
        {u"db ';'", u"|db|'|"}, {u"db 'a:b'", u"db 'a:|b'||"}, {u"CNT EQU  5 ", u"|CNT|5||equ"},
        {u"cnt eQu5", u"|cnt|5||equ"}, {u"cnt equ", u"|cnt|||equ"}, {u"mov eq", u"|mov|eq|"},
        {u"mov a,@ r0", u"|mov|a|@ r0"}, {u"mov ,a", u"|mov||a"}, {u"mov a,", u"|mov|a|"},
        {u":nop", u"|:nop||"}, {u"a:b:c", u"a:|b:c||"}, {u"Größe equ 7", u"|Größe|7||equ"},
        {u"nop\r", u"|nop\r||"}, {u"END here", u"|END|here|"}, {u"db 1,2,3", u"|db|1|2|+"},
        {u"db 1,2,,3", u"|db|1|2|+"}, {u"db 1,2, \t ", u"|db|1|2"}, {u"db 1,2 ;,3", u"|db|1|2"},
        {u"x equ 1,2,3", u"|x|equ 1|2|+"}, {u"db 1,,", u"|db|1|"}, {u"db ,,x", u"|db|||+"},
    };
    const std::u16string_view parts[][3] = {
        {u"", u"", u""}, {u"nop", u"", u"nop"}, {u":", u"", u":"}, {u":a:", u"", u":a:"},
        {u"a: nop", u"a:", u"a: "}, {u"a :b", u"a :", u"a "}, {u" x", u"", u" "},
        {u"x:y:z", u"x:", u"x:y:z"},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(fieldsOf(c.source), c.expected) << toUtf8(c.source);
    }
    for (const auto& [text, label, firstWord] : parts) {
        EXPECT_EQ(labelOf(text), label) << toUtf8(text);
        EXPECT_EQ(firstWordOf(text), firstWord) << toUtf8(text);
    }
}

std::u16string operandsAfterEquates(const std::vector<std::u16string>& source) {
    LineTable table;
    prepareLines(table, source);
    substituteEquates(table);
    const SourceLine& last = table.records[static_cast<std::size_t>(table.lastLine)];
    return last.operand1 + u"|" + last.operand2;
}

TEST(Assembler, SubstitutesEquatesAsText) {
    const std::pair<std::vector<std::u16string>, std::u16string_view> cases[] = {
        {{u"cnt equ 5", u"mov r0,#cnt"}, u"r0|#5"},
        {{u"x equ 1", u"x equ 2", u"mov a,#x"}, u"a|#1"},
        {{u"a equ 10", u"mov a,r0"}, u"10|r0"},
        {{u"base equ 32", u"top equ base", u"mov a,#top"}, u"a|#32"},
        {{u"top equ base", u"base equ 32", u"mov a,#top"}, u"a|#32"},
        {{u"ZÄHLER equ 3", u"mov a,#zähler"}, u"a|#3"},
        {{u"größe equ 9", u"mov r1,#GRÖSSE"}, u"r1|#GRÖSSE"},
        {{u"port equ p1", u"bits equ 0fh", u"anl PORT,#Bits"}, u"p1|#0fh"},
        {{u"x equ xx", u"db x"}, u"xx|"},
        {{u"aa equ b", u"db aaa"}, u"ba|"},
        {{u"n equ 5n", u"db n"}, u"5n|"},
        {{u"gone equ", u"db 1gone2"}, u"12|"},
    };
    for (const auto& [source, operands] : cases) {
        EXPECT_EQ(operandsAfterEquates(source), operands) << toUtf8(source.back());
    }
}

// The substitution in its plainest form: every equate in table order against
// every operand, lower-casing whole texts for each search.
void substitutePlainly(LineTable& table) {
    for (const SourceLine& equate : table.records) {
        if (equate.kind != equateLine) {
            continue;
        }
        const std::u16string name = toLowerCase(equate.mnemonic);
        const std::u16string value = equate.operand1;
        for (SourceLine& record : table.records) {
            for (std::u16string* text : {&record.operand1, &record.operand2}) {
                const std::u16string lower = toLowerCase(*text);
                std::u16string result;
                std::size_t from = 0;
                for (auto at = lower.find(name); at != std::u16string::npos;
                     at = lower.find(name, from)) {
                    result += text->substr(from, at - from) + value;
                    from = at + name.size();
                }
                *text = result + text->substr(from);
            }
        }
    }
}

// Names overlap one another and mix case; few equates with short values keep
// nested substitution from growing the texts without bound.
TEST(Assembler, EquatesAgreeWithThePlainOrderOnGeneratedPrograms) {
    const std::u16string names[] = {u"a",  u"!",  u"ä",    u"$",      u"Äd", u"D",
                                    u"ab", u"ba", u"ZÄHL", u"zähler", u"x1", u"X"};
    const std::u16string pieces[] = {u"a", u"A", u"!", u"ä", u"Ä", u"$",    u"d",
                                     u"D", u"b", u"1", u"x", u"#", u"zÄhl", u"er"};
    for (std::uint32_t state = 1; state <= 15; ++state) {
        const auto next = [&state](std::size_t bound) {
            state = state * 1664525u + 1013904223u;
            return static_cast<std::size_t>((state >> 8) % bound);
        };
        const auto text = [&](std::size_t most) {
            std::u16string result;
            for (std::size_t k = next(most + 1); k > 0; --k) {
                result += pieces[next(std::size(pieces))];
            }
            return result;
        };
        std::vector<std::u16string> source;
        for (int line = 0; line < 300; ++line) {
            source.push_back(line % 30 == 0 ? names[next(std::size(names))] + u" equ " + text(1)
                                            : u"mov " + text(4) + u"," + text(4));
        }
        LineTable fast;
        LineTable plain;
        prepareLines(fast, source);
        prepareLines(plain, source);
        substituteEquates(fast);
        substitutePlainly(plain);
        for (int j = 0; j <= fast.lastLine; ++j) {
            const auto i = static_cast<std::size_t>(j);
            ASSERT_EQ(fast.records[i].operand1 + u"|" + fast.records[i].operand2,
                      plain.records[i].operand1 + u"|" + plain.records[i].operand2)
                << "line " << j;
        }
    }
}

TEST(Assembler, ReadsNumberLiterals) {
    // clang-format off
    const std::u16string_view numbers[] = {
        u"0", u"255", u"007", u"%1F", u"%1f", u"0x7ff", u"0X1f", u"0FFh", u"0ffH", u"FFH", u"ah",
        u"0h", u"0x0", u"%0", u"4294967296", u"#12", u"1#2", u"12#", u"##0FFh", u"%#1F", u"0#x1F",
        u"#0x1F", u"0FF#h", u"0FFh#",
    };
    const std::u16string_view nonNumbers[] = {
        u"", u"%", u"0x", u"h", u"H", u"0x12h", u"%12h", u"%0x12", u"-1", u"+1", u"101b", u"0b101",
        u"$1F", u"1+2", u"1 2", u" 12", u"12 ", u"1F", u"ff", u"0xg", u"%%1", u"12hh", u"x12",
        u"'A'", u"#", u"##", u"#%", u"1.5", u"#h", u"#0x#", u"#-1", u"١٢", u"１２",
    };
    const std::pair<std::u16string_view, std::int32_t> values[] = {
        {u"255", 255}, {u"007", 7}, {u"%1F", 31}, {u"%101", 257}, {u"0x7ff", 2047}, {u"0X1f", 31},
        {u"0ffH", 255}, {u"ah", 10}, {u"800H", 2048}, {u"'A'", 65}, {u"'a'", 97}, {u"'''", 39},
        {u"'ä'", 0xE4}, {u"'€'", 0x20AC}, {u"'h'", 104}, {u"2147483647", 2147483647},
        {u"2147483648", -2147483647 - 1}, {u"4294967295", -1}, {u"4294967553", 257},
        {u"0FFFFFFFFh", -1}, {u"%100000000", 0}, {u"0x1000000FF", 255},
        {u"18446744073709551621", 5}, {u"#12", 0}, {u"1#2", 1}, {u"12#", 12}, {u"0x1#2", 1},
        {u"", 0}, {u"0x", 0}, {u"0x12h", 0}, {u"1h2h", 0x12}, {u"%1%2", 0x12}, {u"0x10x2", 0x12},
    };
    // clang-format on
    for (const auto text : numbers) {
        EXPECT_TRUE(isNumber(text)) << toUtf8(text);
    }
    for (const auto text : nonNumbers) {
        EXPECT_FALSE(isNumber(text)) << toUtf8(text);
    }
    for (const auto text : {u"'A'", u"'''", u"' '", u"'#'", u"'ä'"}) {
        EXPECT_TRUE(isCharLiteral(text)) << toUtf8(text);
    }
    for (const auto text : {u"''", u"'ab'", u"'A", u"A'", u"\"A\"", u"", u"x'A'"}) {
        EXPECT_FALSE(isCharLiteral(text)) << toUtf8(text);
    }
    for (const auto& [text, value] : values) {
        EXPECT_EQ(valueOf(text), value) << toUtf8(text);
    }
}

// A program that mixes directives, every literal form, equates, labels
// (alone and on a line), conditional jumps, djnz, call and jmp.
constexpr std::u16string_view mixedProgram =
    u"; Mischprogramm\r\nCNT  equ 10h\r\nMASK EQU %0F\r\n        org 0\r\n"
    u"        jmp START   ; Reset\r\n        .org 3\r\n        JMP isr\r\n        org 0x7\r\n"
    u"        jmp TIMER\r\nISR:    nop\r\n        retr\r\nTIMER:\r\n\tretr\r\nSTART:  sel rb0\r\n"
    u"        sel mb0\r\n        mov a,#CNT\r\n        anl a,#mask\r\n        mov r2,#0x7f\r\n"
    u"Loop:   djnz r2,LOOP\r\n        mov a,#'A'\r\n        add a,@r1\r\n        orl p1,#255\r\n"
    u"        movd a,p5\r\n        call Sub\r\n        jnz loop\r\n        db 0aah\r\n"
    u"        .db 'Z'\r\nSUB:    movp3 a,@a\r\n        ret\r\n        org 100h\r\n"
    u"FAR:    jmp START\r\n        end\r\n        nop\r\n";

TEST(Assembler, MixedProgramGivesTheExpectedImageWithEitherFill) {
    for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        const Assembled run = assembleText(mixedProgram, {}, fill);
        ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
        std::vector<int> expected(0x102, fill);
        const std::pair<int, std::vector<int>> code[] = {
            {0x000, {0x04, 0x0C}},
            {0x003, {0x04, 0x09}},
            {0x007, {0x04, 0x0B}},
            {0x009,
             {0x00, 0x93, 0x93, 0xC5, 0xE5, 0x23, 0x10, 0x53, 0x0F, 0xBA, 0x7F, 0xEA, 0x14, 0x23,
              0x41, 0x61, 0x89, 0xFF, 0x0D, 0x14, 0x22, 0x96, 0x14, 0xAA, 0x5A, 0xE3, 0x83}},
            {0x100, {0x04, 0x0C}},
        };
        for (const auto& [address, bytes] : code) {
            std::copy(bytes.begin(), bytes.end(), expected.begin() + address);
        }
        const auto& image = run.result.image;
        EXPECT_EQ(std::vector<int>(image.bytes.begin(), image.bytes.begin() + image.imageLength()),
                  expected);
        EXPECT_EQ(run.status, std::vector<std::u16string>{u"Assemblieren ohne Fehler beendet."});
    }
}

// Each run appends its own error lines and summary; errors of a later stage
// show only once the earlier stage is clean; the reused table keeps nothing.
TEST(Assembler, RunsStageAfterStageWithASummary) {
    Assembler assembler;
    std::vector<std::u16string> status;
    const auto run = [&](std::u16string_view text) {
        const auto lines = splitLines(text);
        return assembler.assemble(
            {lines, {}, {}, 0}, [&status](std::u16string_view line) { status.emplace_back(line); });
    };
    EXPECT_EQ(run(u"foo\nbar a\njmp nirgends").errorCount, 2);
    EXPECT_EQ(run(u"nop\nnop\njmp nirgends").errorCount, 1);
    EXPECT_EQ(status, (std::vector<std::u16string>{
                          u"Zeile: 1 -> Syntaxfehler", u"Zeile: 2 -> Syntaxfehler",
                          u"2 Fehler beim Assemblieren!", u"Zeile: 3 -> ungültiges Sprungziel",
                          u"1 Fehler beim Assemblieren!"}));
    ASSERT_EQ(run(u"L1: mov a,#5\njmp L1\nret\nret").outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(run(u"nop").image.listing,
              (std::vector<std::u16string>{u"Adr Opcode", u"000 00   "}));
    for (const std::u16string_view blank : {u"", u" ", u"      "}) {
        EXPECT_EQ(run(blank).outcome, AssemblyOutcome::NothingToAssemble);
    }
    EXPECT_EQ(status.size(), 7u); // blank texts append nothing
}

TEST(Assembler, FillsTheWholeBankWhateverTheLineCount) {
    std::u16string text;
    for (int i = 0; i < 2047; ++i) {
        text += i % 3 == 0 ? u"; comment\nnop\n" : u"nop\n";
    }
    const Assembled full = assembleText(text + u"ret");
    ASSERT_EQ(full.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(full.result.image.imageLength(), 2048);
    EXPECT_EQ(full.result.image.bytes[2047], 0x83);
    EXPECT_EQ(full.result.image.listing.size(), 2049u);
    for (const std::u16string_view empty : {u"\n\n", u"\t", u"; nur Kommentar", u"END\nnop"}) {
        const Assembled run = assembleText(empty, {}, 0xFF);
        EXPECT_EQ(run.result.image.imageLength(), 1);
        EXPECT_EQ(run.result.image.bytes[0], 0xFF);
    }
}

} // namespace
} // namespace tovi::test
