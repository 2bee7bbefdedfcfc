// Whole assemblies: passes in order, summary lines, image and binary file.

#include <gtest/gtest.h>

#include <filesystem>

#include "assembler/assembly_driver.h"
#include "common/file_io.h"
#include "common/source_text.h"
#include "test_support.h"

namespace tovi {
namespace {

using tovi::testing::ScratchDirectory;
using tovi::testing::StatusRecorder;
using Lines = std::vector<std::u16string>;

struct AssemblyRun {
    AssemblyResult result;
    Lines status;
};

AssemblyRun assembleText(Assembler& assembler, std::u16string_view text,
                         std::u16string_view sourcePath = {}, std::uint8_t fill = 0x00) {
    const Lines lines = splitLines(text);
    StatusRecorder status;
    AssemblyRun run{assembler.assemble({lines, sourcePath, {}, fill}, status.sink()), {}};
    run.status = std::move(status.lines);
    return run;
}

AssemblyRun assembleText(std::u16string_view text, std::u16string_view sourcePath = {},
                         std::uint8_t fill = 0) {
    Assembler assembler;
    return assembleText(assembler, text, sourcePath, fill);
}

std::vector<int> imageBytes(const ObjectImage& image) {
    return {image.bytes.begin(), image.bytes.begin() + image.imageLength()};
}

// A program that mixes directives, every literal form, equates, labels
// (alone and on a line), conditional jumps, djnz, call and jmp.
constexpr std::u16string_view mixedProgram = u"; Mischprogramm\r\n"
                                             u"CNT  equ 10h\r\n"
                                             u"MASK EQU %0F\r\n"
                                             u"        org 0\r\n"
                                             u"        jmp START   ; Reset\r\n"
                                             u"        .org 3\r\n"
                                             u"        JMP isr\r\n"
                                             u"        org 0x7\r\n"
                                             u"        jmp TIMER\r\n"
                                             u"ISR:    nop\r\n"
                                             u"        retr\r\n"
                                             u"TIMER:\r\n"
                                             u"\tretr\r\n"
                                             u"START:  sel rb0\r\n"
                                             u"        sel mb0\r\n"
                                             u"        mov a,#CNT\r\n"
                                             u"        anl a,#mask\r\n"
                                             u"        mov r2,#0x7f\r\n"
                                             u"Loop:   djnz r2,LOOP\r\n"
                                             u"        mov a,#'A'\r\n"
                                             u"        add a,@r1\r\n"
                                             u"        orl p1,#255\r\n"
                                             u"        movd a,p5\r\n"
                                             u"        call Sub\r\n"
                                             u"        jnz loop\r\n"
                                             u"        db 0aah\r\n"
                                             u"        .db 'Z'\r\n"
                                             u"SUB:    movp3 a,@a\r\n"
                                             u"        ret\r\n"
                                             u"        org 100h\r\n"
                                             u"FAR:    jmp START\r\n"
                                             u"        end\r\n"
                                             u"        nop\r\n";

TEST(AssemblyDriver, MixedProgramGivesTheExpectedImage) {
    for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        const AssemblyRun run = assembleText(mixedProgram, {}, fill);
        ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
        std::vector<int> expected(0x102, fill);
        const std::vector<std::pair<int, std::vector<int>>> code = {
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
        EXPECT_EQ(imageBytes(run.result.image), expected);
        EXPECT_EQ(run.status, Lines{u"Assemblieren ohne Fehler beendet."});
    }
}

TEST(AssemblyDriver, ListingFollowsAddressOrder) {
    const AssemblyRun run = assembleText(u"org 10\nnop\norg 2\nmov a,#1\nret");
    ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(run.result.image.listing,
              (Lines{u"Adr Opcode", u"002 23 01", u"004 83   ", u"00A 00   "}));
}

TEST(AssemblyDriver, LaterCodeWinsWhereAnOriginStepsBack) {
    const AssemblyRun run = assembleText(u"org 4\nnop\norg 4\nret");
    ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(run.result.image.bytes[4], 0x83);
    EXPECT_EQ(run.result.image.listing, (Lines{u"Adr Opcode", u"004 00   ", u"004 83   "}));
}

TEST(AssemblyDriver, BlankTextIsNothingToAssemble) {
    for (const std::u16string_view text : {u"", u" ", u"      "}) {
        const AssemblyRun run = assembleText(text);
        EXPECT_EQ(run.result.outcome, AssemblyOutcome::NothingToAssemble);
        EXPECT_TRUE(run.status.empty());
    }
}

TEST(AssemblyDriver, CommentsAndEmptyLinesAssembleToOneFillByte) {
    for (const std::u16string_view text : {u"\n\n", u"\t", u"; nur Kommentar", u"END\nnop"}) {
        const AssemblyRun run = assembleText(text, {}, 0xFF);
        ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
        EXPECT_EQ(imageBytes(run.result.image), std::vector<int>{0xFF});
        EXPECT_EQ(run.status, Lines{u"Assemblieren ohne Fehler beendet."});
    }
}

TEST(AssemblyDriver, StopsAfterTheFirstStageWithErrors) {
    Assembler assembler;
    const std::u16string faulty = u"foo\nbar a\njmp nirgends\n";
    const AssemblyRun first = assembleText(assembler, faulty);
    EXPECT_EQ(first.result.outcome, AssemblyOutcome::Failed);
    EXPECT_EQ(first.status, (Lines{u"Zeile: 1 -> Syntaxfehler", u"Zeile: 2 -> Syntaxfehler",
                                   u"2 Fehler beim Assemblieren!"}));
    const AssemblyRun second = assembleText(assembler, u"nop\nnop\njmp nirgends\n");
    EXPECT_EQ(second.status,
              (Lines{u"Zeile: 3 -> ungültiges Sprungziel", u"1 Fehler beim Assemblieren!"}));
    EXPECT_EQ(second.result.errorCount, 1);
}

TEST(AssemblyDriver, CodeBeyondProgramMemoryIsAnErrorBeforeJumps) {
    const AssemblyRun run = assembleText(u"org 7feh\nnop\nnop\nnop\njmp x\ndb 1\n");
    EXPECT_EQ(run.result.outcome, AssemblyOutcome::Failed);
    EXPECT_EQ(run.status, (Lines{u"Zeile: 4 -> Adresse außerhalb des zulässigen Bereiches",
                                 u"Zeile: 5 -> Adresse außerhalb des zulässigen Bereiches",
                                 u"Zeile: 6 -> Adresse außerhalb des zulässigen Bereiches",
                                 u"3 Fehler beim Assemblieren!"}));
}

TEST(AssemblyDriver, ProgramEndingExactlyAt7FFIsFine) {
    const AssemblyRun run = assembleText(u"org 7fdh\nL: nop\njmp L\n");
    ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(run.result.image.imageLength(), 2048);
    EXPECT_EQ(run.result.image.bytes[0x7FE], 0xE4);
    EXPECT_EQ(run.result.image.bytes[0x7FF], 0xFD);
}

TEST(AssemblyDriver, HandlesMoreThanAThousandLines) {
    std::u16string text;
    for (int i = 0; i < 2047; ++i) {
        text += u"nop\n";
    }
    text += u"ret";
    const AssemblyRun run = assembleText(text);
    ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(run.result.image.imageLength(), 2048);
    EXPECT_EQ(run.result.image.bytes[2047], 0x83);
    EXPECT_EQ(run.result.image.listing.size(), 2049u);
}

TEST(AssemblyDriver, ReusedTableKeepsNothingOfAnEarlierRun) {
    Assembler assembler;
    ASSERT_EQ(assembleText(assembler, u"L1: mov a,#5\njmp L1\nret\nret").result.outcome,
              AssemblyOutcome::Succeeded);
    const AssemblyRun run = assembleText(assembler, u"nop");
    ASSERT_EQ(run.result.outcome, AssemblyOutcome::Succeeded);
    EXPECT_EQ(run.result.image.listing, (Lines{u"Adr Opcode", u"000 00   "}));
}

TEST(AssemblyDriver, WritesTheBinaryBeforeTheSummary) {
    ScratchDirectory dir;
    const std::u16string source = dir.file("hallowelt.asm");
    const AssemblyRun run = assembleText(u"org 7\nnop", source);
    const std::u16string binary = dir.file("hallowelt.bin");
    EXPECT_EQ(run.result.binaryPath, binary);
    EXPECT_EQ(run.status,
              (Lines{binary + u" (8 Byte) gespeichert", u"Assemblieren ohne Fehler beendet."}));
    EXPECT_EQ(readFileBytes(toPath(binary)), std::string(7, '\0') + '\0');
}

TEST(AssemblyDriver, AFailedRunWritesNoFile) {
    ScratchDirectory dir;
    const AssemblyRun run = assembleText(u"nop\nxyz", dir.file("p.asm"));
    EXPECT_EQ(run.result.outcome, AssemblyOutcome::Failed);
    EXPECT_FALSE(run.result.binaryPath.has_value());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "p.bin"));
}

} // namespace
} // namespace tovi
