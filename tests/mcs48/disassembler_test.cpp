// The instruction set's cycles, the disassembler's texts, and the source form
// assembled back by the assembler.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/support.h"
#include "mcs48/disassembler.h"
#include "mcs48/instruction_set.h"
#include "support.h"

namespace tovi::test {
namespace {

TEST(InstructionSet, TwoCyclesForTwoBytesAndForTheSlowOneByteInstructions) {
    const std::set<std::string_view> slow = {"in",   "outl", "ins",   "movd", "anld", "orld",
                                             "movx", "movp", "movp3", "jmpp", "ret",  "retr"};
    for (int opcode = 0; opcode < 256; ++opcode) {
        const Instruction& instruction = instructionOf(static_cast<std::uint8_t>(opcode));
        const int expected = !instruction.exists()                                            ? 0
                             : instruction.length == 2 || slow.contains(instruction.mnemonic) ? 2
                                                                                              : 1;
        EXPECT_EQ(cycleTable()[static_cast<std::size_t>(opcode)], expected) << opcode;
    }
}

TEST(Disassembler, WritesOperandsAsTheAssemblerDoes) {
    const struct {
        int address;
        const char* bytes;
        const char* text;
    } cases[] = {
        {0x000, "04 09", "jmp 009H"},      {0x000, "24 23", "jmp 123H"},
        {0x000, "F4 FF", "call 7FFH"},     {0x0E0, "96 F0", "jnz 0F0H"},
        {0x9FF, "E8 00", "djnz r0,0A00H"}, {0x0FF, "12 05", "jb0 105H"},
        {0x000, "23 FF", "mov a,#0FFH"},   {0x000, "03 01", "add a,#01H"},
        {0x000, "B0 3F", "mov @r0,#3FH"},  {0x000, "08", "ins a,bus"},
        {0x000, "90", "movx @r0,a"},       {0x000, "A3", "movp a,@a"},
        {0x000, "B3", "jmpp @a"},          {0x000, "75", "ent0 clk"},
        {0x000, "D7", "mov psw,a"},        {0x000, "3F", "movd p7,a"},
        {0x000, "9A 0F", "anl p2,#0FH"},   {0x000, "01", "db 01H"},
        {0x000, "C0", "db 0C0H"},          {0x000, "04", "db 04H"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> memory(static_cast<std::size_t>(c.address));
        for (const std::uint8_t byte : program(c.bytes)) {
            memory.push_back(byte);
        }
        EXPECT_EQ(disassemble(memory, c.address).text, c.text) << c.bytes;
    }
}

std::optional<std::vector<std::uint8_t>> assembled(const std::string& source) {
    const AssemblyResult result = assembleText(fromUtf8(source)).result;
    if (result.outcome != AssemblyOutcome::Succeeded) {
        return std::nullopt;
    }
    const auto end = result.image.bytes.begin() + result.image.imageLength();
    return std::vector<std::uint8_t>(result.image.bytes.begin(), end);
}

TEST(Disassembler, SourceFormLabelsTargetsAndWritesTheRestAsData) {
    const auto image = program("04 05 01 96 00 04 04 14 FF");
    EXPECT_EQ(sourceForm(image), "        org 000H\n"
                                 "L000:   jmp L005\n"
                                 "        db 01H\n"
                                 "        jnz L000\n"
                                 "L005:   db 04H\n"
                                 "        db 04H\n"
                                 "        db 14H\n"
                                 "        db 0FFH\n");
    EXPECT_EQ(sourceForm(program("00*40 27")),
              "        org 000H\n        org 028H\n        clr a\n");
    EXPECT_EQ(sourceForm(program("00*2049")), std::nullopt);
}

// Random images, rich in jumps, zero runs and page ends, assemble back to themselves.
TEST(Disassembler, SourceFormAssemblesBackToTheImage) {
    std::mt19937 random(48);
    const std::vector<std::uint8_t> jumps = {0x04, 0x14, 0x96, 0xE8, 0x12, 0xB3, 0x01, 0xFF};
    for (int round = 0; round < 120; ++round) {
        const std::size_t size = round < 4 ? std::size_t{2048} - round : 1 + random() % 2048;
        std::vector<std::uint8_t> image;
        while (image.size() < size) {
            const unsigned choice = random() % 10;
            if (choice < 2) {
                image.insert(image.end(), random() % 40, 0x00);
            } else if (choice < 5) {
                image.push_back(jumps[random() % jumps.size()]);
            }
            image.push_back(static_cast<std::uint8_t>(random()));
        }
        image.resize(size);
        const auto source = sourceForm(image);
        ASSERT_TRUE(source.has_value());
        EXPECT_EQ(assembled(*source), image) << *source;
    }
}

} // namespace
} // namespace tovi::test
