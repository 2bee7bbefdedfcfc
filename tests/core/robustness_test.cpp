// Hostile and oversized sources: every case ends with a clear result.

#include "image/listing_file.h"
#include "support.h"

namespace tovi::test {
namespace {

Assembled assembleBytes(const std::string& bytes) {
    return assembleText(decodeSourceBytes(bytes));
}

std::u16string failureSummary(int errors) {
    return decimalText(errors) + u" Fehler beim Assemblieren!";
}

TEST(Robustness, TenMegabyteSource) {
    const std::string line =
        "loop: nop ; ein Kommentar, der die Zeile fuellt ...................\r\n";
    std::string source;
    while (source.size() < 10'000'000) {
        source += line;
    }
    // Far more than 2 KiB of code: every line past 7FFH is reported.
    const int lines = static_cast<int>(source.size() / line.size());
    const Assembled run = assembleBytes(source);
    EXPECT_EQ(run.result.errorCount, lines - 2048);
    EXPECT_EQ(run.status.back(), failureSummary(lines - 2048));
}

TEST(Robustness, OneMegabyteLines) {
    const std::pair<std::string, std::u16string_view> cases[] = {
        {"db " + std::string(1'000'000, '1'), u"1: Wert außerhalb des zulässigen Bereiches"},
        {"jmp " + std::string(1'000'000, 'x'), u"1: ungültiges Sprungziel"},
        {" " + std::string(1'000'000, 'q'), u"1: Syntaxfehler"},
        {"mov a," + std::string(1'000'000, ','), u"1: Parameterfehler"},
        {"nop ;" + std::string(1'000'000, 'k'), u"000 00"},
        {"x equ r1\n mov a,#" + std::string(1'000'000, '0') + "1", u"000 23 01"}, // long as written
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(outcome(decodeSourceBytes(line)), expected) << line.substr(0, 8);
    }
}

TEST(Robustness, HundredThousandLinesAndEquates) {
    std::string jumps;
    std::string equates;
    for (int i = 0; i < 100'000; ++i) {
        jumps += "l" + std::to_string(i) + ": jnz l" + std::to_string(i) + "\n";
        equates += "e" + std::to_string(i) + "x equ " + std::to_string(i % 200) + "\n";
        equates += "db e" + std::to_string(i % 2000) + "x\n";
    }
    EXPECT_EQ(assembleBytes(jumps).result.errorCount, 100'000 - 1024);
    // 100,000 one-byte lines: everything from 800H on is out of range.
    EXPECT_EQ(assembleBytes(equates).result.errorCount, 100'000 - 2048);
}

// Five macros, each calling the next ten times: 300,000 lines of comments.
TEST(Robustness, MacrosThatMultiplyStopAtAQuarterMillionLines) {
    std::string source;
    for (int level = 1; level <= 5; ++level) {
        const std::string body = level < 5 ? " m" + std::to_string(level + 1) + "\n" : " ; x\n";
        source += "m" + std::to_string(level) + " macro\n";
        for (int i = 0; i < (level < 5 ? 10 : 30); ++i) {
            source += body;
        }
        source += " endm\n";
    }
    EXPECT_EQ(outcome(decodeSourceBytes(source + " m1\n")),
              u"81: mehr als 250000 Zeilen: Makros rufen sich ohne Ende auf");
}

// Each step doubles the text before it: forty steps would need a terabyte.
TEST(Robustness, TextsThatDoubleStop) {
    std::string macros = "m0 macro p\n db p\n endm\n";
    std::string legacy;
    std::string texts = "t40 equ r0\n";
    for (int i = 1; i <= 40; ++i) {
        const std::string n = std::to_string(i);
        const std::string next = std::to_string(i - 1);
        macros += "m" + n + " macro p\n m" + next + " (p)+(p)\n endm\n";
        legacy += "x-" + next + " equ x-" + n + "+x-" + n + "\n";
        texts = "t" + next + " equ t" + n + " t" + n + "\n" + texts;
    }
    const std::pair<std::string, std::u16string_view> cases[] = {
        {macros + " m40 1\n", u"124: mehr als 4000000 Zeichen: Makros erzeugen zu viel Text"},
        {legacy + " mov a,#x-0\n", u"41: Text nach Ersetzung der Equates länger als 4096 Zeichen"},
        {texts + " mov a,t0\n", u"11: Text nach Ersetzung der Equates länger als 4096 Zeichen"},
    };
    for (const auto& [source, first] : cases) {
        EXPECT_TRUE(outcome(decodeSourceBytes(source)).starts_with(first)) << source.substr(0, 20);
    }
}

// The listing shows an equate with the equates it names put in, eight deep: a text that names
// itself thirteen times would be 13^8 copies, and is shown as written.
TEST(Robustness, ListingOfATextNamingItselfEnds) {
    const auto lines = splitLines(u"x equ @x/x/x/x/x/x/x/x/x/x/x/x/x\n nop");
    Assembler assembler;
    (void)assembler.assemble(AssemblyRequest{lines, {}, {}, 0}, [](std::u16string_view) {});
    EXPECT_TRUE(fullListing(assembler.program()).ends_with("x  = @x/x/x/x/x/x/x/x/x/x/x/x/x\n"));
}

TEST(Robustness, LongChainsOfEquatesEnd) {
    std::string backward = "e0 equ 1\n";
    std::string forward;
    for (int i = 1; i <= 3000; ++i) {
        backward += "e" + std::to_string(i) + " equ e" + std::to_string(i - 1) + "+1\n";
        forward += "f" + std::to_string(i) + " equ f" + std::to_string(i + 1) + "+1\n";
    }
    // Defined in order, each is known when the next needs it, however long the chain.
    EXPECT_EQ(outcome(decodeSourceBytes(backward + " db e3000-2950\n")), u"000 33");
    EXPECT_EQ(outcome(decodeSourceBytes("f3001 equ 0\n db f1\n" + forward)),
              u"2: Symbol 'f1' ist zu tief verschachtelt definiert");
}

} // namespace
} // namespace tovi::test
