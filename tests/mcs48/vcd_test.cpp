// The Value Change Dump: the writer's exact text, and tovi-sim --vcd read back.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "mcs48/vcd.h"
#include "support.h"
#include "support/process.h"

namespace tovi::test {
namespace {

TEST(Vcd, WritesHeaderInitialValuesAndChanges) {
    std::vector<VcdSignal> signals = {{"P1", 8}, {"T0", 1}, {"a b", 3}};
    for (int i = 3; i < 96; ++i) {
        signals.push_back({"S" + std::to_string(i), 1});
    }
    VcdWriter writer(signals);
    std::string out;
    const std::uint32_t initial[] = {0xFF, 1, 5};
    writer.appendHeader(out, {"today", "Tovi 1.1", "1ns", "tovi"}, initial);
    writer.appendChange(out, 0, 1, 0);
    writer.appendChange(out, 2500, 0, 0xFE);
    writer.appendChange(out, 2500, 2, 5); // unchanged: nothing
    writer.appendChange(out, 2400, 1, 1); // earlier: at the last time
    writer.appendChange(out, 5000, 95, 1);
    const std::string expected = "$date today $end\n$version Tovi 1.1 $end\n"
                                 "$timescale 1ns $end\n$scope module tovi $end\n"
                                 "$var wire 8 ! P1 $end\n$var wire 1 \" T0 $end\n"
                                 "$var wire 3 # a_b $end\n";
    ASSERT_EQ(out.substr(0, expected.size()), expected);
    EXPECT_NE(out.find("$var wire 1 ~ S93 $end\n$var wire 1 !! S94 $end\n"
                       "$var wire 1 \"! S95 $end\n$upscope $end\n$enddefinitions $end\n"
                       "#0\n$dumpvars\nb11111111 !\n1\"\nb101 #\n0$\n"),
              std::string::npos);
    EXPECT_TRUE(out.ends_with("0\"!\n$end\n0\"\n#2500\nb11111110 !\n1\"\n#5000\n1\"!\n")) << out;
}

// A reader of its own: every value as "time name=value" (hex), those of
// $dumpvars at time 0.
std::string valuesIn(const std::string& dump) {
    std::map<std::string, std::string> names; // by identifier code
    std::istringstream words(dump);
    std::string time = "0";
    std::string values;
    for (std::string word; words >> word;) {
        std::string type, width, code = word.substr(1), bits = word.substr(0, 1);
        if (word == "$var") {
            words >> type >> width >> code;
            words >> names[code];
        } else if (word[0] == '#') {
            time = code;
        } else if (word[0] == 'b' || ((bits == "0" || bits == "1") && names.contains(code))) {
            if (word[0] == 'b') {
                bits = code;
                words >> code;
            }
            values +=
                time + " " + names.at(code) + "=" + hex(std::stoul(bits, nullptr, 2), 1) + "\n";
        }
    }
    return values;
}

// A run at 11.0592 MHz: cycle n is at n * 1356.337 ns, rounded.
TEST(Vcd, SimRecordsEveryChangeOfTheBoardAtItsTime) {
    const Scratch dir;
    writeFile(dir / "w.asm", " mov a,#0\nloop: outl p1,a\n cpl a\n jmp loop\n");
    writeFile(dir / "w.board", "led D1 P1.0\nT1 = !P1.0\n");
    writeFile(dir / "w.txt", "4 T0=0\n10us T0=1\n");
    const ProcessRun run = runProgram(
        TOVI_SIM_EXECUTABLE,
        {"--clock", "11.0592", "--cycles", "20", "--stimulus", "w.txt", "--vcd", "w.vcd", "w.asm"},
        dir);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string dump = fileBytes(dir / "w.vcd");
    EXPECT_NE(dump.find("$timescale 1ns $end\n$scope module tovi $end\n"), std::string::npos);
    EXPECT_EQ(valuesIn(dump), "0 P1=FF\n0 P2=FF\n0 BUS=FF\n0 T0=1\n0 T1=0\n0 INT=1\n0 D1=1\n"
                              "5425 T0=0\n5425 P1=0\n5425 T1=1\n5425 D1=0\n9494 T0=1\n"
                              "12207 P1=FF\n12207 T1=0\n12207 D1=1\n18989 P1=0\n18989 T1=1\n"
                              "18989 D1=0\n25770 P1=FF\n25770 T1=0\n25770 D1=1\n");
}

} // namespace
} // namespace tovi::test
