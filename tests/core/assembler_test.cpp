// The assembler: every instruction form, the source language feature by
// feature, the stages' edge cases and whole runs, as source text against its
// listing rows or its error lines.

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
        {u"mov a,##12\nmov a,#1#2\nmov a,#ah", u"000 23 0C | 002 23 0C | 004 23 0A"},
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
        {u"here: nop\njmp there\njmp 100\ncall", u"2: ungültiges Sprungziel | 4: ungültiges Sprungziel"},
        {u"loop : nop\nloop2: jnc loop", u"2: ungültiges Sprungziel"},
        {u"jmp nowhere\ncall far\nok: jmp ok\norg 100h\njnz ok\norg 7FFh\nnop\nfar:",
         u"1: ungültiges Sprungziel | 2: Sprungziel außerhalb des zulässigen Bereiches | 5: Sprungziel außerhalb der aktuellen Seite"},
        // the end directive, and faults reported in order
        {u"nop\nEND\nret", u"000 00"}, {u"nop\n\t .End ; stop\nret", u"000 00"},
        {u"nop\nEND;\nret", u"000 00"}, {u"END\nnop", u""}, {u"nop\n; end\nret", u"000 00 | 001 83"},
        {u"nop\nEND here\nret", u"000 00"}, {u"endx\nende: end\nret", u""},
        {u"mov a,#256\nmov a,x\nnop\ndv 1\ndb 'A'\norg 800h",
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
        u"db", u"db 1 2", u"org",
        u"mov a,r8", u"mov a", u"mov", u"nop a", u"mov ,a", u"jc", u"clr a,c", u"clr b",
        u"mov a,@ r0", u"mov;a", u"mov a,12", u"mov a,#", u"mov a,#'ab'",
        u"mov psw,#1", u"mov r0,r1", u"movx @r2,a", u"djnz a,loop", u"mov a,#'#'",
        u"org 10h,20h", u"jmp start,x", u"call sub,a", u"jmp ,x", u"db 1,,x",
        u"org 0,,x", u"jmp start,,x", u"mov a,r0,x", u"nop ,,x", u"djnz r0,loop,x", u"mov a,#1,x",
        u"db #12", u"db 12#", u".db #'A'", u"org #100h", u".org 1#0", u"db 1#2", u"mov a,#§data§",
        u"ADD A,#§DATA§", u"mov a,§adresse§", u"db r0", u"mov a,#1+", u"db (1", u"x set",
        u"include", u"ifdef 5\nendif", u"if 1 2\nendif",
    };
    const std::u16string_view rangeFaults[] = {
        u"db 256", u"db 4294967295", u"db '€'", u"org 800H", u".org 4294967295", u"mov a,#256",
        u"anl p1,#%FFFF", u"mov a,#'€'", u"mov a,#2147483647",
        u"mov a,#-129", u"db 1,300", u"dw 65536", u"dw -32769", u"ds -1", u"org 1000h-1", u"align 0",
        u"db \"€\u4E00\"",
    };
    const std::u16string_view syntaxFaults[] = {
        u"dv 1", u" movv a,r0", u"equ 5", u"$$$$", u"x equ 1,2", u"movxmovxmovx a,r0",
        u" orgx 5", u".equ x", u".equ 1, 2", u"set 3", u".macro 1x", u"movv a,r0",
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

// Each feature of the language, from source text to listing rows or error lines.
void expectOutcomes(std::span<const Case> cases, const Files& files = {}) {
    for (const Case& c : cases) {
        EXPECT_EQ(outcome(c.source, files), c.expected) << toUtf8(c.source);
    }
}

TEST(Language, SymbolsAreValuesUsedByWholeName) {
    // clang-format off
    const Case cases[] = {
        {u"ten equ 10\ntenh equ 16h\n mov a,#tenh\n mov a,#ten", u"000 23 16 | 002 23 0A"},
        {u" jmp equal\nequal: nop", u"000 04 02 | 002 00"},
        {u"x = 5\n.equ y, 7\nz .equ 3\nw: equ 4\nv: .EQU 1\n mov a,#x+y+z+w+v", u"000 23 14"},
        {u"n set 1\n mov a,#n\nn set n+1\n mov a,#n\nn = 9", u"000 23 01 | 002 23 02"},
        {u" outl led,a\nled equ p1\nptr equ @r0\nr equ led\n mov a,ptr\n anl r,#1\n mov a,@idx\nidx equ r1",
         u"000 39 | 001 F0 | 002 99 01 | 004 F1"},
        {u"cnt reg r2\n add a,cnt\n djnz cnt,$\n jmp reg\nreg: jmp set\nset: nop", u"000 6A | 001 EA 01 | 003 04 05 | 005 04 07 | 007 00"},
        {u"a equ 10\n mov a,r0", u"2: Parameterfehler"},
        {u"x equ 1\nx equ 2\n mov a,#x\nt: nop\nt: jmp t", u"000 23 01 | 002 00 | 003 04 02"},
        {u"start mov a,#1\nloop djnz r7,loop\n jmp start\nEND", u"000 23 01 | 002 EF 02 | 004 04 00"},
        {u"main:\n.lp djnz r0,.lp\nsub:\n.lp djnz r1,.lp\n jmp main.lp", u"000 E8 00 | 002 E9 02 | 004 04 00"},
        {u"a1:\n1$ djnz r0,1$\nb1:\n1$: djnz r1,1$", u"000 E8 00 | 002 E9 02"},
        {u"my-l: nop\n jmp my-l\n1: jmp 1\nGröße: jmp GRÖßE", u"000 00 | 001 04 00 | 003 04 03 | 005 04 05"},
        {u"loop : nop\nloop2: jnc loop", u"2: ungültiges Sprungziel"},
        {u" mov a,#tabel+1\n jmp nirgends\n jmp tabel+1",
         u"1: Symbol 'tabel' ist nicht definiert | 2: ungültiges Sprungziel | 3: Symbol 'tabel' ist nicht definiert"},
        {u"x equ y\ny equ x+1\n mov a,#x", u"3: Symbol 'x' hängt von sich selbst ab"},
        {u"my-val equ 5\n mov a,#my-val", u"000 23 05"},
        {u"far:: nop\n jmp far\nk == 3\n#define d 4\n db k+d", u"000 00 | 001 04 00 | 003 07"},
    };
    // clang-format on
    expectOutcomes(cases);
}

TEST(Language, ExpressionsComputeWithCsPrecedence) {
    // clang-format off
    const Case cases[] = {
        {u" db 1010b,0b1010,$1F,17o,17q,255d,'A',%FF,0x10,10h,\"B\",0o17,0q17,0d12",
         u"000 0A 0A | 002 1F 0F | 004 0F FF | 006 41 FF | 008 10 10 | 00A 42 0F | 00C 0F 0C"},
        {u" jmp $\n djnz r7,$\n jnz $+2\n jmp *", u"000 04 00 | 002 EF 02 | 004 96 06 | 006 04 06"},
        {u" db 3 eq 3,3 ne 3,2 lt 3,3 le 2,2 gt 3,3 ge 3", u"000 01 00 | 002 01 00 | 004 00 01"},
        {u" db 2+3*4,(2+3)*4,7/2,7 mod 3,-7/2,-7 MOD 2,2-1-1,t # 8*2\nt equ 15", u"000 0E 14 | 002 03 01 | 004 FD FF | 006 00 0E"},
        {u" mov a,#(10 # 8)\n mov a,#1#2\n mov a,##'a'#\n mov a,#x\nx equ 1#2", u"000 23 02 | 002 23 0C | 004 23 61 | 006 23 0C"},
        {u" db 1 shl 4 or 1,0F0h>>4,1<<3,80h shr 7,~0 and 0Fh,not 0FEh and 0FFh,!0,!5",
         u"000 11 0F | 002 08 01 | 004 0F 01 | 006 01 00"},
        {u" db 3=3,3<>3,2<3,3<=2,2>3,3>=3,1==1,1!=1,-1<0", u"000 01 00 | 002 01 00 | 004 00 01 | 006 01 00 | 008 01"},
        {u" db 5&3,5^3,5|3,5 and 3,5 xor 3,5 or 3,1|2^3&4,2&&3,0||0,1||0&&0", u"000 01 06 | 002 07 01 | 004 06 07 | 006 03 01 | 008 00 01"},
        {u"org 123h\nt: db high(1234h),low(1234h),high t+1,low t,HIGH(t),low -t",
         u"123 12 34 | 125 02 23 | 127 01 DD"},
        {u" mov a,#-1\n mov a,#-128\n mov a,#255\n mov a,#3-4+1", u"000 23 FF | 002 23 80 | 004 23 FF | 006 23 00"},
        {u" db 1/0", u"1: Division durch null"}, {u" db t mod 0\nt:", u"1: Division durch null"},
        {u" djnz r0,#5\n jmp #t\nt: jmp", u"1: ungültiges Sprungziel | 2: ungültiges Sprungziel | 3: ungültiges Sprungziel"},
        {u"org 20h\n jmp 7FFh\n call t+2\nt: jnz $", u"020 E4 FF | 022 14 26 | 024 96 24"},
        {u" jmp 800h\n jc 200h\n call -1",
         u"1: Sprungziel außerhalb des zulässigen Bereiches | 2: Sprungziel außerhalb der aktuellen Seite | 3: Sprungziel außerhalb des zulässigen Bereiches"},
        {u" mov a,#t\n db t\norg 100h\nt:", u"1: Wert außerhalb des zulässigen Bereiches | 2: Wert außerhalb des zulässigen Bereiches"},
    };
    // clang-format on
    expectOutcomes(cases);
}

TEST(Language, DataListsStringsAndReservedBytes) {
    // clang-format off
    const Case cases[] = {
        {u" db 1,2,3,4,5\n DB 6", u"000 01 02 | 002 03 04 | 004 05 | 005 06"},
        {u" db \"Hi\",0,'it''s',\"\"\"\",''''", u"000 48 69 | 002 00 69 | 004 74 27 | 006 73 22 | 008 27"},
        {u" db ';',\"a;b\",':' ; c:d", u"000 3B 61 | 002 3B 62 | 004 3A"},
        {u" mov a,#';'\n mov a,#','", u"000 23 3B | 002 23 2C"},
        {u" dw 1234h,-1\n.word t\nt:", u"000 34 12 | 002 FF FF | 004 06 00"},
        {u" ds 3\n nop\n rs 2\n.block 1\n nop\n defs 0\n.blkb 1\n nop", u"003 00 | 007 00 | 009 00"},
        {u" nop\n align 4\n nop\n.align 2\n align 1\n nop", u"000 00 | 004 00 | 006 00"},
        {u"org 7FEh\n nop\n align 3", u"3: Adresse außerhalb des zulässigen Bereiches"},
        {u" defm \"ab\"\n.asciiz 'c'", u"000 61 62 | 002 63 00"},
        {u".text \"ab\"\n.ascii 'c'\n.asciz \"d\"\n defb 1\n.byte 2\n db \"ä€\"",
         u"000 61 62 | 002 63 | 003 64 00 | 005 01 | 006 02 | 007 E4 80"},
        {u" db \"abc\n db 'x", u"1: Zeichenkette ohne schließendes Anführungszeichen | 2: Parameterfehler"},
        {u" ds later\nlater: nop\n org later2\nlater2:", u"1: Vorwärtsbezug hier nicht erlaubt | 3: Vorwärtsbezug hier nicht erlaubt"},
        {u"n equ 2\n ds n\n org 7FFh\n ds 2", u"4: Adresse außerhalb des zulässigen Bereiches"},
    };
    // clang-format on
    expectOutcomes(cases);
}

TEST(Language, IncludesReadOtherSourcesInPlace) {
    const Files files = {
        {"a.inc", "fa: nop\r\n  include \"sub/b.inc\""},
        {"sub/b.inc", "  $include 'c.inc'\n"},
        {"sub/c.inc", "fc: ret"},
        {"inc/d.inc", "fd: ret"},
        {"bad.inc", "  nop\n  foo x"},
        {"self.inc", "  include \"self.inc\""},
        {"deep.inc", "  include \"deep2.inc\""},
        {"deep2.inc", "  include \"deep.inc\""},
    };
    // clang-format off
    const Case cases[] = {
        {u" include \"a.inc\"\n#include <d.inc>\n jmp fc\n$INCLUDE(:F1:d.inc)",
         u"000 00 | 001 83 | 002 83 | 003 04 01 | 005 83"},
        {u" include \"bad.inc\"\n include \"none.inc\"",
         u"2 in 'bad.inc': Syntaxfehler | 2: Include-Datei 'none.inc' nicht gefunden"},
        {u" include \"self.inc\"", u"1 in 'self.inc': Include-Datei 'self.inc' schließt sich selbst ein"},
        {u" include \"deep.inc\"", u"1 in 'deep2.inc': Include-Datei 'deep.inc' schließt sich selbst ein"},
    };
    // clang-format on
    expectOutcomes(cases, files);
}

TEST(Language, ConditionalAssemblyLeavesOutWhatIsFalse) {
    // clang-format off
    const Case cases[] = {
        {u" if 1\n nop\n else\n ret\n endif", u"000 00"},
        {u"x equ 2\n if x = 1\n db 1\n elseif x = 2\n db 2\n elseif 1\n db 3\n else\n db 4\n endif", u"000 02"},
        {u" if 0\n if 1\n db 1\n endif\n else\n .if 1\n db 2\n .else\n db 3\n .endif\n endif", u"000 02"},
        {u"d equ 1\n ifdef d\n db 1\n endif\n ifndef d\n db 2\n endif\n IFNDEF e\n db 3\n ENDIF\n#ifdef d\n db 4\n#else\n db 5\n#endif", u"000 01 | 001 03 | 002 04"},
        {u" if 0\n bad line here\n endif\n nop", u"000 00"},
        {u"t: nop\n if t = 0\n db 5\n endif\n if $ = 2\n db 6\n endif", u"000 00 | 001 05 | 002 06"},
        {u" endif\n else\n if 1\n nop", u"1: 'endif' ohne 'if' | 2: 'else' ohne 'if' | 3: 'if' ohne 'endif'"},
        {u" if 1\n else\n else\n endif", u"3: 'else' ohne 'if'"},
        {u" if later\n endif\nlater: nop\n if nowhere\n endif",
         u"1: Vorwärtsbezug hier nicht erlaubt | 4: Symbol 'nowhere' ist nicht definiert"},
    };
    // clang-format on
    expectOutcomes(cases);
}

TEST(Language, MacrosExpandWithTheirOwnLabels) {
    // clang-format off
    const Case cases[] = {
        {u"wait macro n\n mov r7,#n\nw: djnz r7,w\n endm\n wait 5\n wait 6", u"000 BF 05 | 002 EF 02 | 004 BF 06 | 006 EF 06"},
        {u".macro twice a, b\n db a,a,b+0\n.endm\n twice 3\n TWICE 4\n.macro one(v)\n db v\n.endm\n one 9", u"000 03 03 | 002 00 | 003 04 04 | 005 00 | 006 09"},
        {u"outer macro\n inner 1\n endm\ninner macro v\n db v,'v'\n endm\n outer", u"000 01 76"},
        {u"put macro reg\n mov a,@reg\n endm\n put r1", u"000 F1"},
        {u"FAIL macro\n nop\n endm\nm macro\nfail: FAIL\n jmp fail\n endm\n m", u"000 00 | 001 04 00"},
        {u"d macro n\n local lp\n jmp lp\nlp: rept n\n nop\n endm\n endm\n d 1\n d 2", u"000 04 02 | 002 00 | 003 04 05 | 005 00 | 006 00"},
        {u" rept 2\nx: jmp x\n endm\n rept 0\n foo\n endm", u"000 04 00 | 002 04 02"},
        {u" rept -1\n endm\n rept y\n endm", u"1: Wert außerhalb des zulässigen Bereiches | 3: Symbol 'y' ist nicht definiert"},
        {u" local x\n rept 1\n nop", u"1: Syntaxfehler | 2: 'rept' ohne 'endm'"},
        {u"m macro\n foo\n endm\n nop\n m", u"5: Syntaxfehler"},
        {u"m macro\n m\n endm\n m\n foo", u"4: Makroaufrufe zu tief verschachtelt"},
        {u"m macro a\n endm\n m 1,2\n endm\n m macro",
         u"3: zu viele Parameter für Makro 'm' | 4: 'endm' ohne 'macro' | 5: 'macro' ohne 'endm'"},
    };
    // clang-format on
    expectOutcomes(cases);
}

TEST(Language, DirectivesThatChangeNoBytesAreAccepted) {
    EXPECT_EQ(outcome(u" cpu 8048\n.8049\n.8039\n.8035\n title \"x\"\n page\n listing on\n.list\n"
                      u".nolist\n name foo\n$MOD48\n$TITLE('x')\n .module m\n .area CODE\n"
                      u" nop\n end start\n ret"),
              u"000 00");
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
    EXPECT_EQ(run(u" foo\n bar a\n jmp nirgends").errorCount, 2);
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
