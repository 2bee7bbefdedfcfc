#include "assembler/instruction_table.h"

#include <algorithm>
#include <cstddef>

namespace tovi {
namespace {

// One row per instruction form, grouped by mnemonic, in table order.
// clang-format off
constexpr std::array<std::u16string_view, patternRowCount + 1> rowTexts = {
    u"add;a;r0;2;1;01101000;",
    u"add;a;r1;2;1;01101001;",
    u"add;a;r2;2;1;01101010;",
    u"add;a;r3;2;1;01101011;",
    u"add;a;r4;2;1;01101100;",
    u"add;a;r5;2;1;01101101;",
    u"add;a;r6;2;1;01101110;",
    u"add;a;r7;2;1;01101111;",
    u"add;a;@r0;2;1;01100000;",
    u"add;a;@r1;2;1;01100001;",
    u"add;a;#§data§;2;2;00000011;§data§",

    u"addc;a;r0;2;1;01111000;",
    u"addc;a;r1;2;1;01111001;",
    u"addc;a;r2;2;1;01111010;",
    u"addc;a;r3;2;1;01111011;",
    u"addc;a;r4;2;1;01111100;",
    u"addc;a;r5;2;1;01111101;",
    u"addc;a;r6;2;1;01111110;",
    u"addc;a;r7;2;1;01111111;",
    u"addc;a;@r0;2;1;01110000;",
    u"addc;a;@r1;2;1;01110001;",
    u"addc;a;#§data§;2;2;00010011;§data§",

    u"anl;a;r0;2;1;01011000;",
    u"anl;a;r1;2;1;01011001;",
    u"anl;a;r2;2;1;01011010;",
    u"anl;a;r3;2;1;01011011;",
    u"anl;a;r4;2;1;01011100;",
    u"anl;a;r5;2;1;01011101;",
    u"anl;a;r6;2;1;01011110;",
    u"anl;a;r7;2;1;01011111;",
    u"anl;a;@r0;2;1;01010000;",
    u"anl;a;@r1;2;1;01010001;",
    u"anl;a;#§data§;2;2;01010011;§data§",
    u"anl;bus;#§data§;2;2;10011000;§data§",
    u"anl;p1;#§data§;2;2;10011001;§data§",
    u"anl;p2;#§data§;2;2;10011010;§data§",

    u"anld;p4;a;2;1;10011100;",
    u"anld;p5;a;2;1;10011101;",
    u"anld;p6;a;2;1;10011110;",
    u"anld;p7;a;2;1;10011111;",

    u"clr;a;;1;1;00100111;",
    u"clr;c;;1;1;10010111;",
    u"clr;f1;;1;1;10100101;",
    u"clr;f0;;1;1;10000101;",

    u"cpl;a;;1;1;00110111;",
    u"cpl;c;;1;1;10100111;",
    u"cpl;f0;;1;1;10010101;",
    u"cpl;f1;;1;1;10110101;",

    u"da;a;;1;1;01010111;",

    u"dec;a;;1;1;00000111;",
    u"dec;r0;;1;1;11001000;",
    u"dec;r1;;1;1;11001001;",
    u"dec;r2;;1;1;11001010;",
    u"dec;r3;;1;1;11001011;",
    u"dec;r4;;1;1;11001100;",
    u"dec;r5;;1;1;11001101;",
    u"dec;r6;;1;1;11001110;",
    u"dec;r7;;1;1;11001111;",

    u"dis;i;;1;1;00010101;",
    u"dis;tcnti;;1;1;00110101;",

    u"en;i;;1;1;00000101;",
    u"en;tcnti;;1;1;00100101;",

    u"ent0;clk;;1;1;01110101;",

    u"in;a;p0;2;1;00001000;",
    u"in;a;p1;2;1;00001001;",
    u"in;a;p2;2;1;00001010;",

    u"inc;a;;1;1;00010111;",
    u"inc;r0;;1;1;00011000;",
    u"inc;r1;;1;1;00011001;",
    u"inc;r2;;1;1;00011010;",
    u"inc;r3;;1;1;00011011;",
    u"inc;r4;;1;1;00011100;",
    u"inc;r5;;1;1;00011101;",
    u"inc;r6;;1;1;00011110;",
    u"inc;r7;;1;1;00011111;",
    u"inc;@r0;;1;1;00010000;",
    u"inc;@r1;;1;1;00010001;",

    u"ins;a;bus;2;1;00001000;",

    u"jmpp;@a;;1;1;10110011;",

    u"mov;a;#§data§;2;2;00100011;§data§",
    u"mov;a;psw;2;1;11000111;",
    u"mov;a;r0;2;1;11111000;",
    u"mov;a;r1;2;1;11111001;",
    u"mov;a;r2;2;1;11111010;",
    u"mov;a;r3;2;1;11111011;",
    u"mov;a;r4;2;1;11111100;",
    u"mov;a;r5;2;1;11111101;",
    u"mov;a;r6;2;1;11111110;",
    u"mov;a;r7;2;1;11111111;",
    u"mov;a;@r0;2;1;11110000;",
    u"mov;a;@r1;2;1;11110001;",
    u"mov;a;t;2;1;01000010;",
    u"mov;psw;a;2;1;11010111;",
    u"mov;r0;a;2;1;10101000;",
    u"mov;r1;a;2;1;10101001;",
    u"mov;r2;a;2;1;10101010;",
    u"mov;r3;a;2;1;10101011;",
    u"mov;r4;a;2;1;10101100;",
    u"mov;r5;a;2;1;10101101;",
    u"mov;r6;a;2;1;10101110;",
    u"mov;r7;a;2;1;10101111;",
    u"mov;r0;#§data§;2;2;10111000;§data§",
    u"mov;r1;#§data§;2;2;10111001;§data§",
    u"mov;r2;#§data§;2;2;10111010;§data§",
    u"mov;r3;#§data§;2;2;10111011;§data§",
    u"mov;r4;#§data§;2;2;10111100;§data§",
    u"mov;r5;#§data§;2;2;10111101;§data§",
    u"mov;r6;#§data§;2;2;10111110;§data§",
    u"mov;r7;#§data§;2;2;10111111;§data§",
    u"mov;@r0;a;2;1;10100000;",
    u"mov;@r1;a;2;1;10100001;",
    u"mov;@r0;#§data§;2;2;10110000;§data§",
    u"mov;@r1;#§data§;2;2;10110001;§data§",
    u"mov;t;a;2;1;01100010;",

    u"movd;a;p4;2;1;00001100;",
    u"movd;a;p5;2;1;00001101;",
    u"movd;a;p6;2;1;00001110;",
    u"movd;a;p7;2;1;00001111;",
    u"movd;p4;a;2;1;00111100;",
    u"movd;p5;a;2;1;00111101;",
    u"movd;p6;a;2;1;00111110;",
    u"movd;p7;a;2;1;00111111;",

    u"movp;a;@a;2;1;10100011;",

    u"movp3;a;@a;2;1;11100011;",

    u"movx;a;@r0;2;1;10000000;",
    u"movx;a;@r1;2;1;10000001;",
    u"movx;@r0;a;2;1;10010000;",
    u"movx;@r1;a;2;1;10010001;",

    u"nop;;;0;1;00000000;",

    u"orl;a;r0;2;1;01001000;",
    u"orl;a;r1;2;1;01001001;",
    u"orl;a;r2;2;1;01001010;",
    u"orl;a;r3;2;1;01001011;",
    u"orl;a;r4;2;1;01001100;",
    u"orl;a;r5;2;1;01001101;",
    u"orl;a;r6;2;1;01001110;",
    u"orl;a;r7;2;1;01001111;",
    u"orl;a;@r0;2;1;01000000;",
    u"orl;a;@r1;2;1;01000001;",
    u"orl;a;#§data§;2;2;01000011;§data§",
    u"orl;bus;#§data§;2;2;10001000;§data§",
    u"orl;p1;#§data§;2;2;10001001;§data§",
    u"orl;p2;#§data§;2;2;10001010;§data§",

    u"orld;p4;a;2;1;10001100;",
    u"orld;p5;a;2;1;10001101;",
    u"orld;p6;a;2;1;10001110;",
    u"orld;p7;a;2;1;10001111;",

    u"outl;p0;a;2;1;10010000;",
    u"outl;bus;a;2;1;00000010;",
    u"outl;p1;a;2;1;00111001;",
    u"outl;p2;a;2;1;00111010;",

    u"ret;;;0;1;10000011;",

    u"retr;;;0;1;10010011;",

    u"rl;a;;1;1;11100111;",

    u"rlc;a;;1;1;11110111;",

    u"rr;a;;1;1;01110111;",

    u"rrc;a;;1;1;01100111;",

    u"sel;mb0;;1;1;11100101;",
    u"sel;mb1;;1;1;11110101;",
    u"sel;rb0;;1;1;11000101;",
    u"sel;rb1;;1;1;11010101;",

    u"stop;tcnt;;1;1;01100101;",

    u"strt;cnt;;1;1;01000101;",
    u"strt;t;;1;1;01010101;",

    u"swap;a;;1;1;01000111;",

    u"xch;a;r0;2;1;00101000;",
    u"xch;a;r1;2;1;00101001;",
    u"xch;a;r2;2;1;00101010;",
    u"xch;a;r3;2;1;00101011;",
    u"xch;a;r4;2;1;00101100;",
    u"xch;a;r5;2;1;00101101;",
    u"xch;a;r6;2;1;00101110;",
    u"xch;a;r7;2;1;00101111;",
    u"xch;a;@r0;2;1;00100000;",
    u"xch;a;@r1;2;1;00100001;",

    u"xchd;a;@r0;2;1;00110000;",
    u"xchd;a;@r1;2;1;00110001;",

    u"xrl;a;r0;2;1;11011000;",
    u"xrl;a;r1;2;1;11011001;",
    u"xrl;a;r2;2;1;11011010;",
    u"xrl;a;r3;2;1;11011011;",
    u"xrl;a;r4;2;1;11011100;",
    u"xrl;a;r5;2;1;11011101;",
    u"xrl;a;r6;2;1;11011110;",
    u"xrl;a;r7;2;1;11011111;",
    u"xrl;a;@r0;2;1;11010000;",
    u"xrl;a;@r1;2;1;11010001;",
    u"xrl;a;#§data§;2;2;11010011;§data§",

    u"djnz;r0;§adresse§;2;2;11101000;§adresse§",
    u"djnz;r1;§adresse§;2;2;11101001;§adresse§",
    u"djnz;r2;§adresse§;2;2;11101010;§adresse§",
    u"djnz;r3;§adresse§;2;2;11101011;§adresse§",
    u"djnz;r4;§adresse§;2;2;11101100;§adresse§",
    u"djnz;r5;§adresse§;2;2;11101101;§adresse§",
    u"djnz;r6;§adresse§;2;2;11101110;§adresse§",
    u"djnz;r7;§adresse§;2;2;11101111;§adresse§",

    u"jb0;§adresse§;;1;2;00010010;§adresse§",

    u"jb1;§adresse§;;1;2;00110010;§adresse§",

    u"jb2;§adresse§;;1;2;01010010;§adresse§",

    u"jb3;§adresse§;;1;2;01110010;§adresse§",

    u"jb4;§adresse§;;1;2;10010010;§adresse§",

    u"jb5;§adresse§;;1;2;10110010;§adresse§",

    u"jb6;§adresse§;;1;2;11010010;§adresse§",

    u"jb7;§adresse§;;1;2;11110010;§adresse§",

    u"jc;§adresse§;;1;2;11110110;§adresse§",

    u"jf0;§adresse§;;1;2;10110110;§adresse§",

    u"jf1;§adresse§;;1;2;01110110;§adresse§",

    u"jnc;§adresse§;;1;2;11100110;§adresse§",

    u"jni;§adresse§;;1;2;10000110;§adresse§",

    u"jnt0;§adresse§;;1;2;00100110;§adresse§",

    u"jnt1;§adresse§;;1;2;01000110;§adresse§",

    u"jnz;§adresse§;;1;2;10010110;§adresse§",

    u"jtf;§adresse§;;1;2;00010110;§adresse§",

    u"jt0;§adresse§;;1;2;00110110;§adresse§",

    u"jt1;§adresse§;;1;2;01010110;§adresse§",

    u"jz;§adresse§;;1;2;11000110;§adresse§",

    u"$$$$;",
};
// clang-format on

constexpr std::u16string_view sentinelRow = u"$$$$;";
constexpr std::size_t noPosition = std::u16string_view::npos;

constexpr std::u16string_view fieldOfRow(std::u16string_view row, int n) {
    if (n < 1) {
        return {};
    }
    std::size_t start = 0;
    for (int field = 1; field < n; ++field) {
        const auto separator = row.find(u';', start);
        if (separator == noPosition) {
            return {};
        }
        start = separator + 1;
    }
    const auto end = row.find(u';', start);
    return row.substr(start, end == noPosition ? noPosition : end - start);
}

constexpr InstructionPattern splitRow(std::u16string_view row) {
    return {fieldOfRow(row, 1), fieldOfRow(row, 2), fieldOfRow(row, 3), fieldOfRow(row, 4),
            fieldOfRow(row, 5), fieldOfRow(row, 6), fieldOfRow(row, 7)};
}

constexpr std::array<InstructionPattern, patternRowCount> splitAllRows() {
    std::array<InstructionPattern, patternRowCount> patterns{};
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        patterns[i] = splitRow(rowTexts[i]);
    }
    return patterns;
}

constexpr std::array<InstructionPattern, patternRowCount> patterns = splitAllRows();

// The rows of one mnemonic: patterns[first] … patterns[first + count - 1].
struct MnemonicGroup {
    std::u16string_view mnemonic;
    std::size_t first = 0;
    std::size_t count = 0;
};

constexpr bool startsGroup(std::size_t index) {
    return index == 0 || patterns[index].mnemonic != patterns[index - 1].mnemonic;
}

constexpr std::size_t countGroups() {
    std::size_t count = 0;
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        count += startsGroup(i) ? 1 : 0;
    }
    return count;
}

constexpr std::size_t groupCount = countGroups();

// The groups ordered by mnemonic, so that a lookup is a binary search.
constexpr std::array<MnemonicGroup, groupCount> groupsByMnemonic() {
    std::array<MnemonicGroup, groupCount> groups{};
    std::size_t group = 0;
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (startsGroup(i)) {
            groups[group++] = {patterns[i].mnemonic, i, 0};
        }
        ++groups[group - 1].count;
    }
    std::sort(groups.begin(), groups.end(), [](const MnemonicGroup& a, const MnemonicGroup& b) {
        return a.mnemonic < b.mnemonic;
    });
    return groups;
}

constexpr std::array<MnemonicGroup, groupCount> groups = groupsByMnemonic();

// A mnemonic split over two groups would hide its later rows from the lookup.
constexpr bool everyMnemonicInOneGroup() {
    for (std::size_t i = 1; i < groups.size(); ++i) {
        if (groups[i].mnemonic == groups[i - 1].mnemonic) {
            return false;
        }
    }
    return true;
}

constexpr bool hasSixSeparators(std::u16string_view row) {
    return std::count(row.begin(), row.end(), u';') == 6;
}

constexpr bool everyRowHasSevenFields() {
    return std::all_of(rowTexts.begin(), rowTexts.end() - 1, hasSixSeparators);
}

static_assert(rowTexts.back() == sentinelRow);
static_assert(everyRowHasSevenFields());
static_assert(everyMnemonicInOneGroup());

} // namespace

const std::array<std::u16string_view, patternRowCount + 1> instructionTable = rowTexts;

std::u16string_view fieldOf(std::u16string_view row, int n) {
    return fieldOfRow(row, n);
}

std::span<const InstructionPattern> patternsOf(std::u16string_view lowerMnemonic) {
    const auto found = std::lower_bound(groups.begin(), groups.end(), lowerMnemonic,
                                        [](const MnemonicGroup& group, std::u16string_view wanted) {
                                            return group.mnemonic < wanted;
                                        });
    if (found == groups.end() || found->mnemonic != lowerMnemonic) {
        return {};
    }
    return std::span<const InstructionPattern>(patterns).subspan(found->first, found->count);
}

} // namespace tovi
