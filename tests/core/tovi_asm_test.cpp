// tovi-asm as a process: what it prints, what it writes, how it exits.

#include "support.h"

namespace tovi::test {
namespace {

struct Call {
    const char* name;
    std::string source; // written to p.asm first
    std::vector<std::string> arguments;
    int exitStatus;
    std::string out; // "$" stands for the scratch directory
    std::string errHas = "";
    std::string binary = "<missing>"; // p.bin afterwards
};

std::string expanded(std::string text, const Scratch& dir) {
    for (auto at = text.find('$'); at != std::string::npos; at = text.find('$', at)) {
        text.replace(at, 1, dir.path().string());
    }
    return text;
}

const std::string summary = "Assemblieren ohne Fehler beendet.\n";

TEST(ToviAsm, PrintsWritesAndExitsAsAsked) {
    // clang-format off
    const Call calls[] = {
        {"beside the source", "ORG 0\r\n   JMP START\r\nSTART:\r\n   SEL RB0\r\n   JMP START\r\n",
         {"p.asm"}, 0, "p.bin (5 Byte) gespeichert\n" + summary, "", "\x04\x02\xC5\x04\x02"},
        {"listing first, fill FF", "org 2\rnop\rmov a,#0ffh", {"--list", "--fill", "ff", "p.asm"}, 0,
         "Adr Opcode\n002 00   \n003 23 FF\np.bin (5 Byte) gespeichert\n" + summary, "",
         std::string("\xFF\xFF\x00\x23\xFF", 5)},
        {"to -o", "ret", {"-o", "rom.img", "p.asm"}, 0, "rom.img (1 Byte) gespeichert\n" + summary},
        {"errors in UTF-8", "mov a,#256\njmp Gr\xF6\xDF" "e\n", {"p.asm"}, 1,
         "Zeile: 1 -> Wert außerhalb des zulässigen Bereiches\n1 Fehler beim Assemblieren!\n"},
        {"only heading after errors", " xyz", {"--list", "p.asm"}, 1,
         "Adr Opcode\nZeile: 1 -> Syntaxfehler\n1 Fehler beim Assemblieren!\n"},
        {"up to the first NUL", std::string("nop\n\0garbage\n", 14), {"p.asm"}, 0,
         "p.bin (1 Byte) gespeichert\n" + summary, "", std::string(1, '\0')},
        {"blanks only", "    ", {"p.asm"}, 1, "Es gibt nichts zu assemblieren.\n"},
        {"unwritable binary", "nop", {"-o", ".", "p.asm"}, 2,
         "Fehler beim Speichern der Binärdatei .\n" + summary, "nicht geschrieben werden"},
        {"-o is the source", "nop", {"-o", "./p.asm", "p.asm"}, 2, "", "ist die Quelldatei selbst"},
        {"listing is the source", "nop", {"--listing", "p.asm", "p.asm"}, 2, "",
         "tovi-asm: --listing p.asm ist die Quelldatei selbst; sie wird nicht überschrieben\n"},
        {"listing over the image", "nop", {"--listing", "p.bin", "p.asm"}, 2, "",
         "tovi-asm: --listing p.bin ist auch die Binärdatei; nichts wird geschrieben\n"},
        {"listing over -o, spelt apart", "nop", {"-o", "p.bin", "--listing", "./p.bin", "p.asm"},
         2, "", "--listing ./p.bin ist auch die Binärdatei"},
        {"no source", "nop", {}, 2, "", "QUELLE fehlt\nAufruf: tovi-asm [OPTIONEN] QUELLE"},
        {"bad fill", "nop", {"--fill", "12", "p.asm"}, 2, "", "--fill erwartet 00 oder FF"},
        {"unknown option", "nop", {"--bogus", "p.asm"}, 2, "", "unerwartetes Argument: --bogus"},
        {"missing source", "nop", {"fehlt\x1B.asm"}, 2, "", "fehlt?.asm kann nicht gelesen werden"},
        {"help", "nop", {"--help"}, 0, "Aufruf: tovi-asm [OPTIONEN] QUELLE"},
    };
    // clang-format on
    for (const Call& call : calls) {
        Scratch dir;
        writeFile(dir / "p.asm", call.source);
        const ProcessRun run = runProgram(TOVI_ASM_EXECUTABLE, call.arguments, dir);
        EXPECT_EQ(run.exitStatus, call.exitStatus) << call.name;
        if (call.exitStatus == 0 && call.out.starts_with("Aufruf")) {
            EXPECT_TRUE(run.out.starts_with(call.out) &&
                        run.out.find("REQUIRED") == std::string::npos)
                << run.out;
        } else {
            EXPECT_EQ(run.out, expanded(call.out, dir)) << call.name;
        }
        EXPECT_NE(run.err.find(call.errHas), std::string::npos) << call.name << ": " << run.err;
        EXPECT_EQ(fileBytes(dir / "p.bin"), call.binary) << call.name;
        EXPECT_EQ(fileBytes(dir / "p.asm"), call.source) << call.name;
    }
}

TEST(ToviAsm, WritesIntelHexAFullListingGnuErrorsAndWarnings) {
    Scratch dir;
    writeFile(
        dir / "w.asm",
        "x equ 1\nx equ 2\n org 20h\nloop: nop\nloop: jmp loop\n org 0\n nop\n org 10h\n nop");
    const ProcessRun run = runProgram(
        TOVI_ASM_EXECUTABLE, {"--format", "hex", "--warn", "--listing", "w.lst", "w.asm"}, dir);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "w.hex (122 Byte) gespeichert\n" + summary +
                           "Zeile: 2 -> Warnung: Equate 'x' ist schon in Zeile 1 definiert\n"
                           "Zeile: 5 -> Warnung: Label 'loop' ist schon in Zeile 4 definiert\n"
                           "Zeile: 6 -> Warnung: org geht zurück über schon belegten Speicher\n");
    EXPECT_EQ(fileBytes(dir / "w.hex"), ":10000000" + std::string(32, '0') + "F0\r\n:10001000" +
                                            std::string(32, '0') +
                                            "E0\r\n:03002000000420B9\r\n:00000001FF\r\n");
    EXPECT_EQ(fileBytes(dir / "w.lst"), "Zeile  Adr  Bytes  Quelle\n"
                                        "    1              x equ 1\n"
                                        "    2              x equ 2\n"
                                        "    3  020          org 20h\n"
                                        "    4  020  00     loop: nop\n"
                                        "    5  021  04 20  loop: jmp loop\n"
                                        "    6  000          org 0\n"
                                        "    7  000  00      nop\n"
                                        "    8  010          org 10h\n"
                                        "    9  010  00      nop\n"
                                        "\nSymbole\nloop  020\nx     = 1\n");
    writeFile(dir / "f -> g.asm", "nop\n foo\norg 0FFh\njnz x\nx: nop");
    EXPECT_EQ(runProgram(TOVI_ASM_EXECUTABLE, {"--errors", "gnu", "f -> g.asm"}, dir).out,
              "f -> g.asm:2: Syntaxfehler\n1 Fehler beim Assemblieren!\n");
    writeFile(
        dir / "f -> g.asm",
        "org 0FFh\njnz x\nx: jnz x\na:\nb:\nc:\nb:\nd:\n; d\n\nd: nop"); // c: does not pass b: on
    EXPECT_EQ(
        runProgram(TOVI_ASM_EXECUTABLE, {"--errors", "gnu", "--warn", "f -> g.asm"}, dir).out,
        "f -> g.bin (260 Byte) gespeichert\n" + summary +
            "f -> g.asm:2: Warnung: bedingter Sprung auf dem letzten Byte der Seite springt in die "
            "nächste Seite\n"
            "f -> g.asm:7: Warnung: Label 'b' ist schon in Zeile 5 definiert\n");
}

// Names keep their bytes on disk and are shown decoded leniently.
TEST(ToviAsm, ShowsControlCharactersOfFileNamesAsQuestionMarks) {
    Scratch dir;
    writeFile(dir / "a\nb\x1B\xC2\x9F.asm", "nop");
    const ProcessRun run = runProgram(TOVI_ASM_EXECUTABLE, {"a\nb\x1B\xC2\x9F.asm"}, dir);
    EXPECT_EQ(run.out, "a?b??.bin (1 Byte) gespeichert\n" + summary);
    writeFile(dir / "caf\xE9.asm", "nop");
    EXPECT_EQ(runProgram(TOVI_ASM_EXECUTABLE, {"caf\xE9.asm"}, dir).out,
              "caf\uFFFD.bin (1 Byte) gespeichert\n" + summary);
    EXPECT_EQ(fileBytes(dir / "caf\xE9.bin"), std::string(1, '\0'));
}

// A write the disk cuts short (here a file size limit of 512 bytes) is a
// failed write, and leaves no cut file behind.
TEST(ToviAsm, ReportsAWriteCutShort) {
    Scratch dir;
    writeFile(dir / "big.asm", "org 7FFh\nnop");
    const ProcessRun run = runProgram(
        "/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" big.asm", TOVI_ASM_EXECUTABLE},
        dir);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "Fehler beim Speichern der Binärdatei big.bin\n" + summary);
    EXPECT_FALSE(std::filesystem::exists(dir / "big.bin"));
    const ProcessRun full = runProgram(
        "/bin/sh", {"-c", "exec \"$0\" --list big.asm >/dev/full", TOVI_ASM_EXECUTABLE}, dir);
    EXPECT_EQ(full.exitStatus, 2);
    EXPECT_EQ(full.err, "tovi-asm: die Ausgabe konnte nicht geschrieben werden\n");
}

} // namespace
} // namespace tovi::test
