// Hostile and oversized input: every case ends with a clear result.

#include <gtest/gtest.h>

#include <random>

#include "assembler/assembly_driver.h"
#include "common/source_text.h"
#include "test_support.h"

namespace tovi {
namespace {

using tovi::testing::StatusRecorder;

struct Outcome {
    AssemblyResult result;
    std::vector<std::u16string> status;
};

Outcome assembleBytes(const std::string& bytes) {
    const auto lines = splitLines(decodeSourceBytes(bytes));
    StatusRecorder status;
    Assembler assembler;
    auto result = assembler.assemble({lines, {}, {}, 0x00}, status.sink());
    return {std::move(result), std::move(status.lines)};
}

std::u16string summaryOf(const Outcome& outcome) {
    return outcome.status.empty() ? std::u16string() : outcome.status.back();
}

std::u16string failureSummary(int errors) {
    return decimalText(errors) + u" Fehler beim Assemblieren!";
}

TEST(Robustness, TenMegabyteSourceOfCommentsAndCode) {
    std::string source;
    const std::string line =
        "loop: nop ; ein Kommentar, der die Zeile fuellt .....................\r\n";
    while (source.size() < 10'000'000) {
        source += line;
    }
    const Outcome outcome = assembleBytes(source);
    // Far more than 2 KiB of code: every line past 7FFH is reported.
    const int lines = static_cast<int>(source.size() / line.size());
    EXPECT_EQ(outcome.result.outcome, AssemblyOutcome::Failed);
    EXPECT_EQ(outcome.result.errorCount, lines - 2048);
    EXPECT_EQ(summaryOf(outcome), failureSummary(lines - 2048));
}

TEST(Robustness, OneMegabyteLine) {
    const struct {
        std::string line;
        std::u16string message;
    } cases[] = {
        {"db " + std::string(1'000'000, '1'),
         u"Zeile: 1 -> Wert außerhalb des zulässigen Bereiches"},
        {"jmp " + std::string(1'000'000, 'x'), u"Zeile: 1 -> ungültiges Sprungziel"},
        {std::string(1'000'000, 'q'), u"Zeile: 1 -> Syntaxfehler"},
        {"mov a," + std::string(1'000'000, ','), u"Zeile: 1 -> Parameterfehler"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = assembleBytes(c.line);
        ASSERT_EQ(outcome.status.size(), 2u);
        EXPECT_EQ(outcome.status[0], c.message);
        EXPECT_EQ(outcome.status[1], failureSummary(1));
    }
    const Outcome comment = assembleBytes("nop ;" + std::string(1'000'000, 'k'));
    EXPECT_EQ(comment.result.outcome, AssemblyOutcome::Succeeded);
}

TEST(Robustness, BinaryGarbage) {
    std::mt19937 random(4711);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(20'000, '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random() % 255 + 1); // no NUL, so all of it is read
        }
        const Outcome outcome = assembleBytes(bytes);
        ASSERT_FALSE(outcome.status.empty());
        if (outcome.result.outcome == AssemblyOutcome::Failed) {
            EXPECT_EQ(static_cast<int>(outcome.status.size()), outcome.result.errorCount + 1);
            EXPECT_EQ(summaryOf(outcome), failureSummary(outcome.result.errorCount));
        }
    }
}

TEST(Robustness, HundredThousandLines) {
    std::string source;
    for (int i = 0; i < 100'000; ++i) {
        source += "l" + std::to_string(i) + ": jnz l" + std::to_string(i) + "\n";
    }
    const Outcome outcome = assembleBytes(source);
    EXPECT_EQ(outcome.result.errorCount, 100'000 - 1024);
}

TEST(Robustness, HundredThousandEquates) {
    std::string source;
    for (int i = 0; i < 100'000; ++i) {
        source += "e" + std::to_string(i) + "x equ " + std::to_string(i % 200) + "\n";
        source += "db e" + std::to_string(i % 2000) + "x\n";
    }
    const Outcome outcome = assembleBytes(source);
    // 100,000 one-byte lines: everything from 800H on is out of range.
    EXPECT_EQ(outcome.result.errorCount, 100'000 - 2048);
}

TEST(Robustness, NestedEquatesCannotGrowWithoutBound) {
    std::string source;
    for (int i = 0; i < 40; ++i) {
        source += "a equ aa\n";
    }
    source += "db a\nnop\n";
    const Outcome outcome = assembleBytes(source);
    EXPECT_EQ(outcome.status,
              (std::vector<std::u16string>{u"Zeile: 41 -> Parameterfehler", failureSummary(1)}));
}

TEST(Robustness, GrowthWithinTheLimitStillSubstitutes) {
    // Each level doubles the text: db 0000, which is the byte 0.
    const Outcome outcome = assembleBytes("v equ 0\nw equ vv\nu equ ww\ndb u\nret\n");
    ASSERT_EQ(outcome.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(outcome.result.image.listing,
              (std::vector<std::u16string>{u"Adr Opcode", u"000 00   ", u"001 83   "}));
}

} // namespace
} // namespace tovi
