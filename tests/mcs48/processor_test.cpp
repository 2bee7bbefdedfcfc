// The processor model, topic by topic: small programs as hex bytes, run for a
// number of instructions, and the state they must leave (worked out by hand).

#include <gtest/gtest.h>

#include <span>

#include "mcs48/processor.h"
#include "support.h"

namespace tovi::test {
namespace {

struct Case {
    const char* name;
    const char* program;
    std::uint64_t instructions;
    const char* expected;
    const char* stimulus = "";
    Chip chip = Chip::I8049;
};

Processor loaded(const std::string& bytes, Chip chip = Chip::I8049, const char* stimulus = "") {
    Processor processor(chip);
    EXPECT_TRUE(processor.load(program(bytes)));
    processor.reset();
    const ParsedStimulus parsed = parseStimulus(stimulus);
    EXPECT_EQ(parsed.badLine, 0) << stimulus;
    processor.attachStimulus(parsed.events);
    return processor;
}

void runTable(std::span<const Case> cases) {
    for (const Case& c : cases) {
        Processor processor = loaded(c.program, c.chip, c.stimulus);
        RunLimits limits;
        limits.maxInstructions = c.instructions;
        processor.run(limits);
        expectState(processor.state(), c.expected, c.name);
    }
}

TEST(Processor, ProgramCounterBanksAndPages) {
    const Case cases[] = {
        {"pc wraps inside bank 0", "E4 FF @7FF 00", 2, "PC=000 CYC=3"},
        {"pc wraps inside bank 1", "F5 E4 FF @FFF 00", 3, "PC=800 MB=1"},
        {"jmp in service uses bank 0", "F5 05 00 @003 04 20", 3, "PC=020 MB=1 IS=1", "0 INT=0"},
        {"call in bank 1 returns there", "F5 04 00 @800 14 10 @810 83", 4, "PC=802 @08=02 @09=08"},
        {"jnz at a page end", "23 01 04 FF @0FF 96 20", 3, "PC=120"},
        {"djnz at a page end", "B8 02 04 FF @0FF E8 10", 3, "PC=110 R0=01"},
        {"jmpp at a page end", "23 05 04 FF @0FF B3 @105 42", 3, "PC=142"},
        {"movp at a page end", "23 05 04 FF @0FF A3 @105 77", 3, "A=77 PC=100"},
        {"movp3 reads page 3", "23 02 E3 @302 99", 2, "A=99"},
        {"djnz falls through at zero", "B8 03 E8 02", 4, "PC=004 R0=00 CYC=8"},
    };
    runTable(cases);
}

TEST(Processor, PswStackRegisterBanksAndRam) {
    const Case cases[] = {
        {"call pushes pc and psw 4-7", "97 A7 D5 14 10", 4, "PC=010 PSW=99 @08=05 @09=90 DEPTH=1"},
        {"ret restores the pc only", "97 A7 D5 14 10 @010 97 83", 6, "PC=005 PSW=18 DEPTH=0"},
        {"retr restores psw 4-7", "97 A7 D5 14 10 @010 97 C5 93", 7, "PC=005 PSW=98"},
        {"stack wraps after 8 levels", "14 02 14 04 14 06 14 08 14 0A 14 0C 14 0E 14 10 14 12", 9,
         "PC=012 PSW=09 @08=12 @0A=04 @16=10 @17=00"},
        {"mov psw,a sets sp, bit 3 reads 1", "23 F5 D7 C7 14 10", 4,
         "A=FD PSW=FE @12=06 @13=F0 PC=010"},
        {"banks at 0 and 24", "B8 11 D5 B8 22 C5 F8", 5, "@00=11 @18=22 A=11"},
        {"@r0 wraps on 8048", "B8 C5 B0 AA", 2, "@05=AA", "", Chip::I8048},
        {"@r0 wraps on 8049", "B8 C5 B0 AA", 2, "@45=AA", "", Chip::I8049},
        {"@r0 on 8050", "B8 C5 B0 AA", 2, "@C5=AA", "", Chip::I8050},
        {"mov @r1,a", "B9 33 23 44 A1", 3, "@33=44"},
        {"xch a,r1", "B9 33 23 44 29", 3, "A=33 R1=44"},
        {"xch a,@r0", "B8 20 B0 AB 23 CD 20", 4, "A=AB @20=CD"},
        {"xchd swaps low nibbles", "B8 20 B0 AB 23 CD 30", 4, "A=CB @20=AD"},
        {"dec r0 wraps", "B8 00 C8", 2, "R0=FF"},
        {"inc @r1 wraps, no flags", "B9 30 B1 FF 11", 3, "@30=00 PSW=08"},
        {"inc r7", "1F 1F", 2, "R7=02"},
    };
    runTable(cases);
}

TEST(Processor, Arithmetic) {
    const Case cases[] = {
        {"add sets cy and ac", "23 8F 03 91", 2, "A=20 PSW=C8"},
        {"add clears cy and ac", "23 8F 03 91 03 01", 3, "A=21 PSW=08"},
        {"add to 0FFH: no cy, no ac", "23 F8 03 07", 2, "A=FF PSW=08"},
        {"addc adds the carry", "97 A7 23 0F 13 00", 4, "A=10 PSW=48"},
        {"add a,r0 and @r0", "B8 01 B9 05 23 10 68 60", 5, "A=16"},
        {"da a adjusts both digits", "23 9A 57", 2, "A=00 PSW=88"},
        {"da a after a half carry", "23 09 03 09 57", 3, "A=18 PSW=48"},
        {"da a after a carry", "23 90 03 90 57", 3, "A=80 PSW=88"},
        {"da a carry from the low step", "23 FA 57", 2, "A=60 PSW=88"},
        {"da a never clears cy", "97 A7 23 11 57", 4, "A=71 PSW=88"},
        {"da a keeps 99H", "23 99 57", 2, "A=99 PSW=08"},
        {"da a adjusts the low digit", "23 3B 57", 2, "A=41 PSW=08"},
        {"inc a to 0FFH and round, no flags", "23 FE 17 17", 3, "A=00 PSW=08"},
        {"dec a", "27 07", 2, "A=FF PSW=08"},
        {"rl", "23 81 E7", 2, "A=03 PSW=08"},
        {"rr", "23 81 77", 2, "A=C0 PSW=08"},
        {"rlc through cy", "97 A7 23 81 F7", 4, "A=03 PSW=88"},
        {"rrc through cy", "97 A7 23 02 67", 4, "A=81 PSW=08"},
        {"swap", "23 A5 47", 2, "A=5A"},
        {"cpl a then clr a", "37 27", 2, "A=00"},
        {"anl #", "23 F0 53 3C", 2, "A=30"},
        {"orl #", "23 F0 43 0F", 2, "A=FF"},
        {"xrl #", "23 FF D3 0F", 2, "A=F0"},
        {"anl a,r0", "B8 0F 23 3C 58", 3, "A=0C"},
        {"orl a,@r1", "B9 05 B1 81 23 10 41", 4, "A=91"},
        {"xrl a,r3", "BB 0F 23 FF DB", 3, "A=F0"},
        {"f0 and f1 set", "95 B5 B5 B5", 4, "PSW=28 F1=1"},
        {"f0 and f1 cleared", "95 B5 85 A5", 4, "PSW=08 F1=0"},
        {"cpl c, clr c", "A7 A7 A7 97", 4, "PSW=08"},
    };
    runTable(cases);
}

TEST(Processor, TimerAndCounter) {
    const Case cases[] = {
        {"no count before 32 cycles", "55 00*30 42", 32, "A=00"},
        {"counts at the 32nd cycle", "55 00*31 42", 33, "A=01 PRE=01"},
        {"strt t clears the prescaler", "55 00*19 55 00*30 42", 52, "A=00"},
        {"mov t,a keeps the prescaler", "55 00*9 23 FF 62 00*19 16 40", 32, "PC=040 TF=0"},
        {"overflow sets tf", "23 FF 62 55 00*32", 35, "T=00 TF=1 TP=0 PRE=01"},
        {"stop tcnt freezes t", "55 00*40 65 00*40 42", 83, "A=01"},
        {"counter counts t1 falling edges", "45 00*10 42", 12, "A=02",
         "2 T1=0\n4 T1=1\n6 T1=0\n8 T1=0"},
        {"counter overflow sets tf", "23 FF 62 45 00*5", 8, "T=00 TF=1", "5 T1=0"},
        {"timer mode ignores t1", "55 00*5 42", 7, "A=00 TF=0", "2 T1=0"},
    };
    runTable(cases);
}

TEST(Processor, Interrupts) {
    const Case cases[] = {
        {"timer interrupt to 007", "23 FF 62 25 55 00*40", 36,
         "PC=008 IS=1 TF=1 TP=0 @08=24 CYC=39"},
        {"tf alone requests nothing", "23 FF 62 55 00*32 25 00", 37, "PC=026 IS=0 TF=1"},
        {"dis tcnti drops the request",
         "04 10 @003 04 30 @010 25 23 FF 62 55 05 00*10 @030 00*30 35 25 93", 41,
         "PC=017 IS=0 TF=1 TP=0", "0 INT=0\n20 INT=1"},
        {"int low after en i", "05 00*5", 3, "PC=004 IS=1 @08=02 CYC=5 DEPTH=1", "2 INT=0"},
        {"dis i masks int", "05 15 00*4", 5, "PC=005 IS=0", "4 INT=0"},
        {"external first, no nesting", "04 10 @003 00 00 93 @007 00 @010 05 25 23 FF 62 55 00*40",
         41, "PC=008 IS=1 TP=0 @08=35 CYC=48 DEPTH=1", "39 INT=0\n45 INT=1"},
    };
    runTable(cases);
}

TEST(Processor, PortsPinsFlagsAndConditionalJumps) {
    const Case cases[] = {
        {"in a,p1 reads pins and latch", "23 F0 39 09", 3, "A=30 P1=F0", "0 P1=3C"},
        {"in a,p2 reads pins and latch", "23 0F 3A 0A", 3, "A=05 P2=0F", "0 P2=F5"},
        {"p1 pins back high", "00 09", 2, "A=FF", "0 P1=0\n1 P1=0FFH"},
        {"of two lines for a cycle the later counts", "00 09", 2, "A=F0", "1 P1=0F\n1 P1=F0"},
        {"anl and orl p1", "99 F0 89 01", 2, "P1=F1 P2=FF"},
        {"anl and orl p2", "9A 0F 8A 30", 2, "P2=3F P1=FF"},
        {"outl bus, ins reads the pins", "23 5A 02 08", 3, "BUS=5A A=C3", "0 BUS=C3"},
        {"anl and orl bus", "98 0F 88 50", 2, "BUS=5F"},
        {"movx leaves the bus latch", "B8 10 23 77 90 27 80 B9 20 91", 7,
         "X10=77 X20=77 A=77 BUS=FF"},
        {"movd writes and reads", "23 A5 3D 0D", 3, "P5=05 A=05"},
        {"anld and orld", "23 F3 9C 23 00 3E 23 05 8E", 6, "P4=03 P6=05 P7=0F"},
        {"jt0 high", "36 10", 1, "PC=010"},
        {"jnt0 low", "26 10", 1, "PC=010", "0 T0=0"},
        {"jt1 low", "56 10", 1, "PC=002", "0 T1=0"},
        {"jnt1 high", "46 10", 1, "PC=002"},
        {"jf0 clear", "B6 10", 1, "PC=002"},
        {"jf0 set", "95 B6 10", 2, "PC=010"},
        {"jf1 set", "B5 76 10", 2, "PC=010"},
        {"jb0", "23 01 12 10", 2, "PC=010"},
        {"jb4 bit clear", "23 20 92 10", 2, "PC=004"},
        {"jb7", "23 80 F2 10", 2, "PC=010"},
        {"jc clear", "F6 10", 1, "PC=002"},
        {"jc set", "A7 F6 10", 2, "PC=010"},
        {"jnc", "E6 10", 1, "PC=010"},
        {"jz", "C6 10", 1, "PC=010"},
        {"jnz zero", "96 10", 1, "PC=002"},
        {"jni low", "86 10", 1, "PC=010", "0 INT=0"},
        {"jni high", "86 10", 1, "PC=002"},
        {"jtf clear", "16 10", 1, "PC=002"},
    };
    runTable(cases);
}

struct StopCase {
    const char* name;
    const char* program;
    int stopAddress; // -1: none
    bool stopOnIdle;
    std::int64_t maxCycles;
    StopReason reason;
    const char* expected;
    const char* stimulus = "";
    std::optional<int> returnBelowDepth = {};
    std::pair<int, int> code = {0, 0}; // addresses from first to before last hold code
};

TEST(Processor, RunStopsWhereAsked) {
    const StopCase cases[] = {
        {"stop address, not the first", "00 00 04 00", 0x000, false, never, StopReason::StopAddress,
         "PC=000 N=3"},
        {"jmp to itself", "00 04 01", -1, true, never, StopReason::Idle, "PC=001 N=2"},
        {"djnz on itself is no idle", "B8 03 E8 02 04 04", -1, true, never, StopReason::Idle,
         "PC=004 N=5 R0=00"},
        {"jmpp to itself", "23 04 B3 00 02", -1, true, never, StopReason::Idle, "PC=002 N=2"},
        {"taken jz to itself", "C6 00", -1, true, never, StopReason::Idle, "PC=000 N=1"},
        {"cycles: after reaching them", "23 00 23 00 23 00", -1, false, 3, StopReason::CycleLimit,
         "CYC=4 N=2"},
        {"unknown opcode", "00 01", -1, false, never, StopReason::UnknownOpcode, "PC=001 N=1"},
        {"int still low: again after retr", "04 10 @003 93 @010 05 00 00", 0x012, false, never,
         StopReason::InstructionLimit, "PC=011 N=100 IS=0", "0 INT=0"},
        {"returned below depth 1, not at the nested ret", "14 10 @010 14 20 83 @020 83", -1, false,
         never, StopReason::Returned, "PC=002 N=4 DEPTH=0", "", 1},
        // a jump to itself is idle only when no interrupt can end it
        {"/INT enabled but high for good", "05 04 01", -1, true, never, StopReason::Idle,
         "PC=001 N=2"},
        {"/INT pulsed later: idle after the routine", "05 04 01 @003 93", -1, true, never,
         StopReason::Idle, "PC=001 N=28 IS=0", "50 INT=0\n52 INT=1"},
        {"timer running with its interrupt", "25 55 04 02 @007 93", -1, true, never,
         StopReason::InstructionLimit, "PC=002"},
        {"timer stopped with its interrupt", "25 04 01", -1, true, never, StopReason::Idle,
         "PC=001 N=2"},
        {"counter that T1 never drives", "25 45 04 02", -1, true, never, StopReason::Idle,
         "PC=002 N=3"},
        {"counter that T1 drives later", "25 45 04 02", -1, true, never,
         StopReason::InstructionLimit, "PC=002", "500 T1=0"},
        {"inside an interrupt routine", "05 04 01 @003 04 03", -1, true, never, StopReason::Idle,
         "PC=003 IS=1", "0 INT=0"},
        // stop addresses and code
        {"the second byte of an instruction", "23 05 04 00", 0x001, false, never,
         StopReason::InstructionLimit, "A=05"},
        {"on an opcode that does not exist", "00 01", 0x001, false, never, StopReason::StopAddress,
         "PC=001 N=1"},
        {"leaving it first onto no opcode", "01", 0x000, false, never, StopReason::UnknownOpcode,
         "PC=000 N=0"},
        {"leaving code",
         "00 04 10",
         -1,
         false,
         never,
         StopReason::LeftCode,
         "PC=010 N=2",
         "",
         {},
         {0, 3}},
        {"starting outside code",
         "00 00 00 04 00",
         -1,
         false,
         never,
         StopReason::InstructionLimit,
         "N=100",
         "",
         {},
         {1, 2}},
    };
    for (const StopCase& c : cases) {
        Processor processor = loaded(c.program, Chip::I8049, c.stimulus);
        RunLimits limits;
        const auto stopAt = static_cast<std::uint16_t>(c.stopAddress);
        if (c.stopAddress >= 0) {
            limits.stopAddresses = std::span(&stopAt, 1);
        }
        limits.stopOnIdle = c.stopOnIdle;
        limits.maxCycles = c.maxCycles;
        limits.maxInstructions = 100;
        limits.returnBelowDepth = c.returnBelowDepth;
        std::vector<std::uint8_t> codeMap;
        if (c.code.second > 0) {
            codeMap.resize(addressSpace);
            std::fill(codeMap.begin() + c.code.first, codeMap.begin() + c.code.second, 1);
            limits.codeMap = codeMap;
        }
        const RunResult result = processor.run(limits);
        EXPECT_EQ(result.reason, c.reason) << c.name;
        EXPECT_EQ(result.address, processor.state().pc) << c.name;
        expectState(processor.state(), c.expected, c.name);
    }
}

// Kind, address, opcode, operand, length, vector.
std::string described(const Step& step) {
    return std::to_string(static_cast<int>(step.kind)) + " " + hex(step.address, 3) + " " +
           hex(step.opcode, 2) + " " + hex(step.operand, 2) + " " + std::to_string(step.length) +
           " " + hex(step.vector, 3);
}

TEST(Processor, StepsReportInstructionsEntriesAndUnknownOpcodes) {
    Processor processor = loaded("05 23 3F 01", Chip::I8049, "1 INT=0");
    EXPECT_EQ(described(processor.step()), "0 000 05 00 1 000");
    EXPECT_EQ(described(processor.step()), "1 001 00 00 0 003");
    processor.editState().pc = 0x001;
    processor.edited();
    EXPECT_EQ(described(processor.step()), "0 001 23 3F 2 000");
    EXPECT_EQ(described(processor.step()), "2 003 01 00 1 000");
    expectState(processor.state(), "PC=003 A=3F CYC=5 N=2", "after the unknown opcode");
}

TEST(Processor, ReportsPortWritesThatChangeALatch) {
    Processor processor = loaded("23 FE 39 39 3A 23 05 3F 8F");
    std::vector<std::string> writes;
    processor.onPortWrite([&](Port port, std::uint8_t value, std::int64_t cycles) {
        writes.push_back(std::string(portName(port)) + "=" + hex(value, 2) + "@" +
                         std::to_string(cycles));
    });
    RunLimits limits;
    limits.maxInstructions = 7;
    processor.run(limits);
    EXPECT_EQ(writes, (std::vector<std::string>{"P1=FE@4", "P2=FE@8", "P7=05@12"}));
}

TEST(Processor, EditsBetweenRunsActAsIfMadeThen) {
    Processor processor = loaded("45 05 00 @003 09 55 00");
    processor.step(); // strt cnt
    processor.setInput(Input::T1, 0);
    processor.setInput(Input::T1, 0);
    processor.editState().t1 = true;
    processor.edited();
    processor.editState().t1 = false;
    processor.edited();
    expectState(processor.state(), "T=02", "two falling edges");
    processor.step(); // en i
    processor.setInput(Input::Int, 0);
    EXPECT_EQ(processor.step().kind, Step::Kind::InterruptEntry);
    processor.attachStimulus({{0, Input::P1, 0x3C}}); // already due
    processor.step();
    expectState(processor.state(), "A=3C", "in a,p1 after the late stimulus");
    processor.step(); // strt t at cycle 6
    State& state = processor.editState();
    state.timer = 0xFF;
    state.prescaler = 31;
    processor.edited();
    processor.step(); // nop from cycle 7 to 8: T counts up
    expectState(processor.state(), "T=00 TF=1 PRE=00", "overflow after the edit");
    Processor requested = loaded("25 00 00 00 @007 00 00");
    requested.editState().timerInterruptPending = true; // set by hand while TCNTI is off
    requested.edited();
    RunLimits three;
    three.maxInstructions = 3;
    requested.run(three);
    expectState(requested.state(), "PC=009 IS=1", "en tcnti takes the request at once");
}

TEST(Processor, ResetRestoresEverythingButTheChip) {
    Processor processor = loaded("D5 F5 A7 23 12 39 3C 02 B5 95 55 25 05 14 20", Chip::I8050);
    RunLimits limits;
    limits.maxInstructions = 14;
    processor.run(limits);
    processor.reset(0x5A);
    expectState(processor.state(),
                "PC=000 A=00 PSW=08 F1=0 MB=0 T=00 TF=0 TP=0 IS=0 DEPTH=0 CYC=0 N=0 P1=FF P2=FF "
                "BUS=FF P4=0F @00=5A @FF=5A X00=5A XFF=5A",
                "after reset");
    EXPECT_EQ(processor.state().chip, Chip::I8050);
    EXPECT_FALSE(processor.state().interruptEnabled || processor.state().timerInterruptEnabled);
    EXPECT_EQ(processor.state().timerMode, TimerMode::Stopped);
    ASSERT_TRUE(processor.load(program("00"))); // a shorter program leaves nothing of the longer
    processor.run(limits);
    expectState(processor.state(), "PC=00E MB=0 PSW=08", "NOPs after the new program");
}

} // namespace
} // namespace tovi::test
