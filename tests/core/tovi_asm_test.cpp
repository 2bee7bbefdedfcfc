// tovi-asm as a process: arguments, output, exit status and the binary file.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "common/file_io.h"
#include "test_support.h"

namespace tovi {
namespace {

using tovi::testing::ScratchDirectory;

struct Outcome {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (char c : argument) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

Outcome runToviAsm(const std::vector<std::string>& arguments, const std::filesystem::path& dir) {
    std::string command = quoted(TOVI_ASM_EXECUTABLE);
    for (const auto& argument : arguments) {
        command += " " + quoted(argument);
    }
    const auto errFile = dir / "stderr.txt";
    command += " 2>" + quoted(errFile.string());
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        outcome.out.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = readFileBytes(errFile).value_or("");
    return outcome;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ToviAsm : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir_.path() / name).string(); }
    ScratchDirectory dir_;
};

TEST_F(ToviAsm, AssemblesBesideTheSource) {
    writeFile(path("blink.asm"),
              "ORG 0\r\n   JMP START\r\nSTART:\r\n   SEL RB0\r\n   JMP START\r\n");
    const Outcome result = runToviAsm({path("blink.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out,
              path("blink.bin") + " (5 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
    EXPECT_EQ(readFileBytes(path("blink.bin")), std::string("\x04\x02\xC5\x04\x02", 5));
}

TEST_F(ToviAsm, ListsTheObjectCodeFirst) {
    writeFile(path("p.asm"), "org 2\rnop\rmov a,#0ffh");
    const Outcome result = runToviAsm({"--list", "--fill", "FF", path("p.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "Adr Opcode\n002 00   \n003 23 FF\n" + path("p.bin") +
                              " (5 Byte) gespeichert\nAssemblieren ohne Fehler beendet.\n");
    EXPECT_EQ(readFileBytes(path("p.bin")), std::string("\xFF\xFF\x00\x23\xFF", 5));
}

TEST_F(ToviAsm, WritesWhereDashOSays) {
    writeFile(path("p.asm"), "ret");
    const Outcome result = runToviAsm({"-o", path("rom.img"), path("p.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFileBytes(path("rom.img")), "\x83");
    EXPECT_FALSE(std::filesystem::exists(path("p.bin")));
}

TEST_F(ToviAsm, ReportsSourceErrorsInUtf8) {
    // Windows-1252 source: the label "Größe" written with bytes F6 and DF.
    writeFile(path("f.asm"), "mov a,#256\njmp Gr\xF6\xDF"
                             "e\n");
    const Outcome result = runToviAsm({path("f.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "Zeile: 1 -> Wert außerhalb des zulässigen Bereiches\n"
                          "1 Fehler beim Assemblieren!\n");
    EXPECT_FALSE(std::filesystem::exists(path("f.bin")));
}

TEST_F(ToviAsm, ReadsUpToTheFirstNulByte) {
    writeFile(path("n.asm"), std::string("nop\n\0garbage here\n", 19));
    const Outcome result = runToviAsm({path("n.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(readFileBytes(path("n.bin")), std::string(1, '\0'));
}

TEST_F(ToviAsm, BlankSourceIsNothingToAssemble) {
    writeFile(path("leer.asm"), "    ");
    const Outcome result = runToviAsm({path("leer.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "Es gibt nichts zu assemblieren.\n");
    EXPECT_FALSE(std::filesystem::exists(path("leer.bin")));
}

TEST_F(ToviAsm, UsageAndInputErrorsExitWithTwo) {
    writeFile(path("p.asm"), "nop");
    const std::vector<std::vector<std::string>> calls = {
        {},
        {"--fill", "12", path("p.asm")},
        {"--fill"},
        {"-o"},
        {"--bogus", path("p.asm")},
        {path("p.asm"), path("p.asm")},
        {path("fehlt.asm")},
        {dir_.path().string()},
    };
    for (const auto& call : calls) {
        const Outcome result = runToviAsm(call, dir_.path());
        EXPECT_EQ(result.exitStatus, 2) << ::testing::PrintToString(call);
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(result.out.empty());
    }
}

TEST_F(ToviAsm, UnwritableBinaryExitsWithTwo) {
    writeFile(path("p.asm"), "nop");
    std::filesystem::create_directory(path("p.bin"));
    const Outcome result = runToviAsm({path("p.asm")}, dir_.path());
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "Fehler beim Speichern der Binärdatei " + path("p.bin") +
                              "\nAssemblieren ohne Fehler beendet.\n");
    EXPECT_FALSE(result.err.empty());
}

TEST_F(ToviAsm, HelpPrintsUsage) {
    const Outcome result = runToviAsm({"--help"}, dir_.path());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.out.find("Aufruf: tovi-asm [OPTIONEN] QUELLE"), std::string::npos);
}

} // namespace
} // namespace tovi
