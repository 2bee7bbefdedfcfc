// tovi-sim and tovi-dis as processes: output formats and exit statuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support.h"
#include "support/process.h"

namespace tovi::test {
namespace {

class Tools : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(dir_ / name).parent_path());
        writeFile(dir_ / name, bytes);
        return dir_ / name;
    }
    std::string binary(const std::string& hexBytes) const {
        const auto bytes = program(hexBytes);
        return file("p.bin", std::string(bytes.begin(), bytes.end()));
    }
    ProcessRun run(const char* tool, const std::vector<std::string>& arguments) const {
        return runProgram(tool, arguments, dir_);
    }

private:
    Scratch dir_;
};

std::string repeated(const std::string& text, int count) {
    return count == 0 ? "" : text + repeated(text, count - 1);
}

TEST_F(Tools, SimTracesPortsAndReportsTheEnd) {
    const std::string stimulus = file("s.txt", "; INT pulse\n5 int=1\n\n3 INT=0 ; low\n");
    const ProcessRun result =
        run(TOVI_SIM_EXECUTABLE,
            {"--trace", "--ports", "--stop-on-idle", "--chip", "8048", "--stimulus", stimulus,
             binary("04 10 @003 93 @010 05 23 FE 39 04 14")});
    const auto state = [](const char* pcAndA, const char* p1, int cycles) {
        return std::string(pcAndA) +
               " PSW=08 F1=0 MB=0 R=00 00 00 00 00 00 00 00 T=00 TF=0 P1=" + p1 +
               " P2=FF BUS=FF CYC=" + std::to_string(cycles) + "\n";
    };
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "1 000: 04 10 jmp 010H | " + state("PC=010 A=00", "FF", 2) +
                              "2 010: 05 en i | " + state("PC=011 A=00", "FF", 3) +
                              "INT -> 003\n"
                              "3 003: 93 retr | " +
                              state("PC=011 A=00", "FF", 7) + "4 011: 23 FE mov a,#0FEH | " +
                              state("PC=013 A=FE", "FF", 9) +
                              "11 27.500 P1=FE\n"
                              "5 013: 39 outl p1,a | " +
                              state("PC=014 A=FE", "FE", 11) + "6 014: 04 14 jmp 014H | " +
                              state("PC=014 A=FE", "FE", 13) +
                              "Halt: Sprung auf sich selbst bei 014H\n"
                              "Befehle: 6, Zyklen: 13, Zeit: 32,500 µs\n" +
                              state("PC=014 A=FE", "FE", 13) + "RAM=00 00 00 00 00 00 00 00 11" +
                              repeated(" 00", 55) + "\nXRAM=00" + repeated(" 00", 255) + "\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(Tools, SimWritesATraceOfMegabytesOnce) {
    const ProcessRun result =
        run(TOVI_SIM_EXECUTABLE, {"--trace", "--steps", "20000", binary("04 00")});
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 20000 + 5);
}

TEST_F(Tools, SimSaysWhyItStoppedAndInWhatState) {
    const std::string source =
        file("s.asm", " jmp start\n org 10h\nstart: mov a,#0FEh\nLoop: outl p1,a\n jmp loop\n");
    file("led.board", "led D1 P1.0 ; beside led.asm\n");
    const std::string led = file("led.asm", " jmp main\n org 7\n mov a,r7\n cpl a\n mov r7,a\n"
                                            " outl p1,a\n mov a,#0F0h\n mov t,a\n retr\n"
                                            "main: mov a,#0F0h\n mov t,a\n en tcnti\n strt t\n"
                                            " jmp $\n");
    const std::string lcd = file("lcd.asm", " mov a,#38h\n call cmd\n mov a,#0Ch\n call cmd\n"
                                            " mov r2,#text\nnext: mov a,r2\n movp a,@a\n jz $\n"
                                            " call chr\n inc r2\n jmp next\ncmd: anl p2,#0FEh\n"
                                            " jmp send\nchr: orl p2,#1\nsend: outl p1,a\n"
                                            " orl p2,#2\n anl p2,#0FDh\n ret\n"
                                            "text: db \"Hallo Welt\",0\n");
    file("v.inc", "v equ 7 ; not beside i.asm\n");
    file("src/v.inc", "v equ 5\n");
    file("lib/w.inc", "w equ 6\n");
    const std::string includes = file("src/i.asm", " include \"v.inc\"\n include \"w.inc\"\n"
                                                   " mov a,#v+w\n");
    // The digit goes dark while the last outl runs: its line comes first.
    const std::string digit =
        file("a.asm", " mov a,#0F9h\n outl p1,a\n anl p2,#0FEh\n orl p2,#1\n"
                      " mov r7,#38\nl: djnz r7,l\n cpl a\n outl p1,a\n jmp $\n");
    const std::string copy = file("copy.bin", "\x09\x3A\x04\x00"); // in a,p1; outl p2,a; jmp 0
    const struct {
        std::vector<std::string> options;
        const char* program;
        std::string lines; // a part of the output
        int exitStatus;
    } cases[] = {
        // clang-format off
        {{}, "04 00", "Halt: keine Grenze angegeben, nach 10000000 Befehlen angehalten\n"
                      "Befehle: 10000000, Zyklen: 20000000, Zeit: 50000000,000 µs\n", 0},
        {{"--steps", "1000"}, "04 00", "Halt: 1000 Befehle ausgeführt\nBefehle: 1000,", 0},
        {{"--steps", "0"}, "04 00", "Halt: 0 Befehle ausgeführt\nBefehle: 0, Zyklen: 0,", 0},
        {{"--cycles", "20000", "--steps", "20000"}, "00 04 00", "Halt: 20000 Zyklen erreicht\nBefehle: 13334, Zyklen: 20001,", 0},
        {{"--cycles", "3"}, "23 00 04 00", "Halt: 3 Zyklen erreicht\nBefehle: 2, Zyklen: 4,", 0},
        {{"--until", "123"}, "24 23", "Halt: Adresse 123H erreicht\nBefehle: 1,", 0},
        {{"--until", "0"}, "04 00", "Halt: Adresse 000H erreicht\nBefehle: 0, Zyklen: 0,", 0},
        {{"--until", "0xFFF", "--steps", "5"}, "04 00", "Halt: 5 Befehle ausgeführt\nAdresse 0FFFH nicht erreicht\nBefehle: 5,", 1},
        {{"--until", "900"}, "04 00", "Halt: keine Grenze angegeben, nach 10000000 Befehlen angehalten\nAdresse 900H nicht erreicht\n", 1},
        {{"--stop-on-idle"}, "04 09 @007 93 @009 25 55 04 0B", "Halt: keine Grenze angegeben, nach 10000000 Befehlen angehalten\n", 0},
        {{"--trace", "--steps", "30"}, "23 FF 62 25 55 04 05 @007 93", "\nTIMER -> 007\n", 0},
        {{"--stimulus", file("hex.txt", "0 P1=0xFB\n0 p2=0fbh\n0 BUS=%Fb\n"), "--steps", "6"}, "09 A8 0A A9 08 AA", " R=FB FB FB 00 ", 0},
        {{"--clock", "0.001", "--cycles", "3"}, "00 00 00 00", "Zeit: 45000,000 µs\n", 0},
        {{"--clock", "11.059", "--cycles", "3"}, "00 00 00 00", "Halt: 3 Zyklen erreicht\nBefehle: 3, Zyklen: 3, Zeit: 4,069 µs\n", 0},
        {{"--stop-on-idle"}, "00*10 01", "Halt: unbekannter Opcode 01H bei 00AH\nBefehle: 10,", 1},
        {{"--ram-fill", "a5", "--chip", "8048", "--steps", "1"}, "B8 00", "\nRAM=00" + repeated(" A5", 63) + "\nXRAM=A5 A5", 0},
        {{"--chip", "8050", "--steps", "1"}, "00", "\nRAM=" + repeated("00 ", 255) + "00\nX", 0},
        {{"--until", "LOOP", source}, "", "Halt: Adresse 012H erreicht\nBefehle: 2,", 0},
        {{"--until", "12", source}, "", "Halt: Adresse 012H erreicht\nBefehle: 2,", 0},
        {{"--trace", "--steps", "3", source}, "", "\n2 010: 23 FE start: mov a,#0FEH | PC=012 A=FE PSW=08 F1=0 MB=0 R=00 00 00 00 00 00 00 00 T=00 TF=0 P1=FF P2=FF BUS=FF CYC=4\n3 012: 39 Loop: outl p1,a | ", 0},
        {{file("e.ASM", " mov a,#1\n jmp nowhere\n")}, "", "Zeile: 2 -> ungültiges Sprungziel\n1 Fehler beim Assemblieren!\n", 1},
        {{"--trace", "--steps", "1", "-I", "lib", includes}, "", "1 000: 23 0B mov a,#0BH | ", 0},
        {{"--ports", "--cycles", "1100", led}, "", "1038 2595.000 P1=00\n2595.000 D1 an\nHalt:", 0},
        {{"--ports", "--stop-on-idle", "--board", file("lcd.txt", "lcd LCD P1 P2.0 P2.1\n"), lcd}, "",
         "\n522.500 LCD \"Hallo Wel       \" \"                \"\n225 562.500 P1=74\n227 567.500 P2=FF\n"
         "229 572.500 P2=FD\n572.500 LCD \"Hallo Welt      \" \"                \"\nHalt:", 0},
        {{"--clock", "0.06", "--ports", "--stop-on-idle", "--board", file("a.txt", "anzeige A P1 wahl P2.0\n"), digit}, "",
         "6 1500.000 P2=FE\n1500.000 A 1\n8 2000.000 P2=FF\n22000.000 A aus\n89 22250.000 P1=06\nHalt:", 0},
        {{"--ports", "--cycles", "90", "--board", file("s1.txt", "taste S1 P1.2\n"), "--stimulus", file("t.txt", "200us S1=0\n100us s1=1\n"), copy}, "", "46 115.000 P2=FB\n88 220.000 P2=FF\nHalt:", 0},
        // clang-format on
    };
    for (const auto& c : cases) {
        auto arguments = c.options;
        if (*c.program != '\0') {
            arguments.push_back(binary(c.program));
        }
        const ProcessRun result = run(TOVI_SIM_EXECUTABLE, arguments);
        EXPECT_NE(result.out.find(c.lines), std::string::npos) << result.out.substr(0, 200);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.lines;
    }
    EXPECT_FALSE(std::filesystem::exists(source.substr(0, source.size() - 3) + "bin"));
}

TEST_F(Tools, RefuseWhatTheyCannotUse) {
    const std::string badStimulus = file("bad.txt", "0 T0=1\n10 T1=2\n");
    const std::string good = binary("00");
    const std::string empty = file("empty.bin", "");
    const std::string big = file("big.bin", std::string(4097, '\0'));
    const std::string huge = file("huge.txt", "");
    std::filesystem::resize_file(huge, (4 << 20) + 1);
    const char* const sim = TOVI_SIM_EXECUTABLE;
    const char* const dis = TOVI_DIS_EXECUTABLE;
    const struct {
        const char* tool;
        std::vector<std::string> arguments;
        int exitStatus;
        std::string message;
    } cases[] = {
        // clang-format off
        {sim, {}, 2, "PROGRAMM fehlt"},
        {sim, {"--chip", "8051", good}, 2, "--chip erwartet 8048, 8049 oder 8050"},
        {sim, {"--clock", "0", good}, 2, "--clock erwartet eine Taktfrequenz"},
        {sim, {"--clock", "6x", good}, 2, "--clock erwartet eine Taktfrequenz"},
        {sim, {"--clock", "1e-300", good}, 2, "--clock erwartet eine Taktfrequenz in MHz von 0.001 bis 100, nicht '1e-300'"},
        {sim, {"--steps", "x", good}, 2, "--steps erwartet eine Dezimalzahl"},
        {sim, {"--steps", "-0", good}, 2, "--steps erwartet eine Dezimalzahl"},
        {sim, {"--cycles", "+5", good}, 2, "--cycles erwartet eine Dezimalzahl"},
        {sim, {"--until", "\x1B[2J", good}, 2, "nicht '?[2J'"},
        {sim, {"--stimulus", file("long.txt", "0 P1=" + std::string(90, 'F') + "\x1B"), good}, 2, "ungültiger Wert '" + std::string(80, 'F') + "…' für P1\n"},
        {sim, {"--stimulus", huge, good}, 2, "huge.txt ist größer als 4 MiB\n"},
        {sim, {"--until", "1000", good}, 2, "--until erwartet eine Hexadezimalzahl"},
        {sim, {"--board", file("x.board", "led D1 P1.0\nled D2 P3.1\n"), good}, 2, "x.board, Zeile 2: unbekannter Pin 'P3.1'\n"},
        {sim, {"--vcd", good, good}, 2, "--vcd " + good + " ist eine Eingabedatei; sie wird nicht überschrieben\n"},
        {sim, {"--vcd", "/dev/full", good}, 2, "die VCD-Datei /dev/full konnte nicht geschrieben werden\n"},
        {sim, {"--until", "loop", good}, 2, "--until erwartet eine Hexadezimalzahl von 0 bis FFF, nicht 'loop'\n"},
        {sim, {"--until", "nix", file("l.asm", "loop: nop\n")}, 2, "Hexadezimalzahl von 0 bis FFF oder ein Label der Quelle, nicht 'nix'\n"},
        {sim, {"nix.a48"}, 2, "nix.a48 kann nicht gelesen werden\n"},
        {sim, {"--stimulus", badStimulus, good}, 2, "bad.txt, Zeile 2: ungültiger Wert '2' für T1\n"},
        {sim, {"--stimulus", badStimulus + "x", good}, 2, "x kann nicht gelesen werden\n"},
        {sim, {"--stimulus", file("c.txt", "5x T0=1"), good}, 2, "Zeile 1: ungültige Zyklenzahl '5x'"},
        {sim, {"--stimulus", file("p.txt", "0 P1=100h"), good}, 2, "Zeile 1: ungültiger Wert '100h' für P1"},
        {sim, {good + "x"}, 2, "x kann nicht gelesen werden\n"},
        {sim, {empty}, 1, "empty.bin ist leer\n"},
        {sim, {big}, 1, "big.bin ist größer als 4096 Byte\n"},
        {dis, {}, 2, "BINAERDATEI fehlt"},
        {dis, {"--source", file("half.bin", std::string(2049, '\0'))}, 1, "die Quellform gibt es nur für Abbilder bis 2048 Byte"},
        {dis, {empty}, 1, "empty.bin ist leer\n"},
        {dis, {big}, 1, "big.bin ist größer als 4096 Byte\n"},
        {dis, {"nowhere\x1B.bin"}, 2, "nowhere?.bin kann nicht gelesen werden\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const ProcessRun result = run(c.tool, c.arguments);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(
            result.err.starts_with(std::filesystem::path(c.tool).filename().string() + ": "));
        EXPECT_EQ(result.out, "");
    }
}

// A full disk and a closed pipe (SIGPIPE ignored) end the programs at once.
TEST_F(Tools, ReportAWriteToStandardOutputThatFails) {
    const std::string image = binary("04 00");
    const std::pair<std::string, const char*> cases[] = {
        {"\"$0\" --steps 3 p.bin >/dev/full", TOVI_SIM_EXECUTABLE},
        {"\"$0\" --help >/dev/full", TOVI_SIM_EXECUTABLE},
        {"\"$0\" p.bin >/dev/full", TOVI_DIS_EXECUTABLE},
        {"\"$0\" --source p.bin >/dev/full", TOVI_DIS_EXECUTABLE},
        {"trap '' PIPE; (\"$0\" --trace p.bin; echo $? >&2) | head -c 1 >/dev/null",
         TOVI_SIM_EXECUTABLE},
    };
    for (const auto& [command, tool] : cases) {
        const ProcessRun result = run("/bin/sh", {"-c", command, tool});
        EXPECT_EQ(result.err, std::filesystem::path(tool).filename().string() +
                                  ": die Ausgabe konnte nicht geschrieben werden\n" +
                                  (command.starts_with("trap") ? "2\n" : ""))
            << command;
        EXPECT_EQ(result.exitStatus, command.starts_with("trap") ? 0 : 2) << command;
    }
}

TEST_F(Tools, DisListsAndWritesSource) {
    const ProcessRun listing = run(TOVI_DIS_EXECUTABLE, {binary("04 02 96 00 C5 01 96")});
    EXPECT_EQ(listing.exitStatus, 0);
    EXPECT_EQ(listing.out, "000: 04 02  jmp 002H\n002: 96 00  jnz 000H\n004: C5     sel rb0\n"
                           "005: 01     db 01H\n006: 96     db 96H\n");
    const ProcessRun source = run(TOVI_DIS_EXECUTABLE, {"--source", binary("04 02 96 00")});
    EXPECT_EQ(source.exitStatus, 0);
    EXPECT_EQ(source.out, "        org 000H\nL000:   jmp L002\nL002:   jnz L000\n");
    const ProcessRun full = run(TOVI_DIS_EXECUTABLE, {file("full.bin", std::string(4096, '\x23'))});
    EXPECT_EQ(full.exitStatus, 0);
    EXPECT_TRUE(full.out.ends_with("FFE: 23 23  mov a,#23H\n"));
}

} // namespace
} // namespace tovi::test
