#include "mcs48/disassembler.h"

#include <vector>

#include "common/hex_text.h"
#include "common/mcs48_memory.h"
#include "mcs48/instruction_set.h"

namespace tovi::mcs48 {
namespace {

// Writes an instruction with its target spelt as the caller wants it.
std::string composeText(std::uint8_t opcode, std::uint8_t operand, const std::string& target) {
    const Instruction& instruction = instructionOf(opcode);
    std::string text(instruction.mnemonic);
    const auto operandText = [&](Operand kind) {
        if (kind == Operand::Data) {
            return "#" + hexNumber(operand, 2);
        }
        if (kind == Operand::PageTarget || kind == Operand::LongTarget) {
            return target;
        }
        return std::string(operandName(kind));
    };
    if (instruction.first != Operand::None) {
        text += " " + operandText(instruction.first);
    }
    if (instruction.second != Operand::None) {
        text += "," + operandText(instruction.second);
    }
    return text;
}

std::string dataText(std::uint8_t byte) {
    return "db " + hexNumber(byte, 2);
}

std::string labelOf(int address) {
    return "L" + hexText(static_cast<unsigned>(address), 3);
}

} // namespace

std::string hexNumber(unsigned value, int digits) {
    std::string text = hexText(value, digits);
    if (text.front() > '9') {
        text.insert(text.begin(), '0');
    }
    return text + "H";
}

std::optional<int> jumpTarget(int address, std::uint8_t opcode, std::uint8_t operand) {
    const Instruction& instruction = instructionOf(opcode);
    if (instruction.first == Operand::LongTarget) {
        return (opcode >> 5) * pageSize | operand;
    }
    if (instruction.jumps()) {
        const int page =
            pageOf(static_cast<int>(nextProgramAddress(static_cast<unsigned>(address))));
        return page * pageSize | operand;
    }
    return std::nullopt;
}

std::string instructionText(int address, std::uint8_t opcode, std::uint8_t operand) {
    if (!instructionOf(opcode).exists()) {
        return dataText(opcode);
    }
    const auto target = jumpTarget(address, opcode, operand);
    return composeText(opcode, operand, target ? hexNumber(static_cast<unsigned>(*target), 3) : "");
}

Disassembly disassemble(std::span<const std::uint8_t> memory, int address) {
    const auto at = static_cast<std::size_t>(address);
    const std::uint8_t opcode = memory[at];
    const Instruction& instruction = instructionOf(opcode);
    if (!instruction.exists() || (instruction.length == 2 && at + 1 >= memory.size())) {
        return {1, false, dataText(opcode)};
    }
    const std::uint8_t operand = instruction.length == 2 ? memory[at + 1] : 0;
    return {instruction.length, true, instructionText(address, opcode, operand)};
}

std::string displayListing(std::span<const std::uint8_t> image) {
    std::string listing;
    for (int address = 0; address < static_cast<int>(image.size());) {
        const Disassembly instruction = disassemble(image, address);
        const auto at = static_cast<std::size_t>(address);
        std::string bytes = hexText(image[at], 2);
        if (instruction.length == 2) {
            bytes += " " + hexText(image[at + 1], 2);
        }
        bytes.resize(5, ' ');
        listing += hexText(static_cast<unsigned>(address), 3) + ": " + bytes + "  " +
                   instruction.text + "\n";
        address += instruction.length;
    }
    return listing;
}

namespace {

// One line of the source form: an instruction, or one byte of data.
struct SourceLine {
    int address = 0;
    int length = 1;
    bool data = false;
};

// Decodes from 000H on; a byte that is no instruction, and a two-byte
// instruction cut off by the end, become data.
std::vector<SourceLine> decodeLines(std::span<const std::uint8_t> image) {
    std::vector<SourceLine> lines;
    for (int address = 0; address < static_cast<int>(image.size());) {
        const Disassembly instruction = disassemble(image, address);
        lines.push_back({address, instruction.length, !instruction.isInstruction});
        address += instruction.length;
    }
    return lines;
}

// A jump is written with a label only when its target starts a line inside
// the image; the others become data, so labels mark exactly the kept targets.
std::vector<bool> keepJumps(std::span<const std::uint8_t> image, std::vector<SourceLine>& lines) {
    std::vector<bool> startsLine(image.size(), false);
    for (const SourceLine& line : lines) {
        startsLine[static_cast<std::size_t>(line.address)] = true;
    }
    std::vector<bool> labelled(image.size(), false);
    for (SourceLine& line : lines) {
        const auto at = static_cast<std::size_t>(line.address);
        if (line.data || line.length != 2) {
            continue;
        }
        const auto target = jumpTarget(line.address, image[at], image[at + 1]);
        if (!target) {
            continue;
        }
        const auto to = static_cast<std::size_t>(*target);
        if (to >= image.size() || !startsLine[to]) {
            line.data = true;
            continue;
        }
        labelled[to] = true;
    }
    return labelled;
}

// How many lines from `first` on are unlabelled NOPs that end before the last byte.
std::size_t nopRun(std::span<const std::uint8_t> image, const std::vector<SourceLine>& lines,
                   const std::vector<bool>& labelled, std::size_t first) {
    std::size_t end = first;
    while (end < lines.size()) {
        const auto at = static_cast<std::size_t>(lines[end].address);
        if (image[at] != 0x00 || labelled[at] || at + 1 >= image.size()) {
            break;
        }
        ++end;
    }
    return end - first;
}

constexpr std::size_t shortestSkippedRun = 16; // the assembler fills gaps with 00H
constexpr std::string_view noLabel = "        ";

std::string labelColumn(bool labelled, int address) {
    if (!labelled) {
        return std::string(noLabel);
    }
    std::string column = labelOf(address) + ":";
    column.resize(noLabel.size(), ' ');
    return column;
}

} // namespace

std::optional<std::string> sourceForm(std::span<const std::uint8_t> image) {
    if (image.empty() || image.size() > static_cast<std::size_t>(imageSize)) {
        return std::nullopt;
    }
    std::vector<SourceLine> lines = decodeLines(image);
    const std::vector<bool> labelled = keepJumps(image, lines);
    std::string source = std::string(noLabel) + "org 000H\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const std::size_t run = nopRun(image, lines, labelled, i); run >= shortestSkippedRun) {
            i += run; // the run ends before the last byte, so line i exists
            source += std::string(noLabel) + "org " +
                      hexNumber(static_cast<unsigned>(lines[i].address), 3) + "\n";
        }
        const SourceLine& line = lines[i];
        const auto at = static_cast<std::size_t>(line.address);
        source += labelColumn(labelled[at], line.address);
        if (line.data) {
            source += dataText(image[at]) + "\n";
            for (int extra = 1; extra < line.length; ++extra) {
                source += std::string(noLabel) + dataText(image[at + 1]) + "\n";
            }
            continue;
        }
        const std::uint8_t operand = line.length == 2 ? image[at + 1] : 0;
        const auto target = jumpTarget(line.address, image[at], operand);
        source += composeText(image[at], operand, target ? labelOf(*target) : "") + "\n";
    }
    return source;
}

} // namespace tovi::mcs48
