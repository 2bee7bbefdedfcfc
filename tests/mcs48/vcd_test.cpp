// The Value Change Dump: the writer's exact text, and tovi-sim --vcd read back.

#include <gtest/gtest.h>

#include <string>

#include "mcs48/vcd.h"

namespace tovi::mcs48 {
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

} // namespace
} // namespace tovi::mcs48
