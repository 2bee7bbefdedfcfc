#include "assembler/code_generation.h"
#include "common/mcs48_memory.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "assembler/asm_error.h"
#include "assembler/instruction_table.h"
#include "assembler/number_literals.h"

namespace tovi {
namespace {

using Patterns = std::span<const InstructionPattern>;

// The error message for a line, or empty when the line was translated.
using LineError = std::u16string_view;

constexpr LineError noError{};

// A lower-cased copy of a short word, held on the stack. Every mnemonic,
// directive and register name of the language is shorter than the capacity,
// so a longer word equals none of them and needs no copy.
class LowerWord {
public:
    explicit LowerWord(std::u16string_view text) {
        if (text.size() > capacity) {
            tooLong = true;
            return;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            letters[i] = toLowerChar(text[i]);
        }
        length = text.size();
    }

    // Compares with a lower-case text; a word too long to copy equals nothing.
    bool operator==(std::u16string_view lowerText) const { return !tooLong && view() == lowerText; }

    std::u16string_view view() const { return {letters.data(), length}; }
    bool isTooLong() const { return tooLong; }

private:
    static constexpr std::size_t capacity = 8;
    std::array<char16_t, capacity> letters{};
    std::size_t length = 0;
    bool tooLong = false;
};

// The line's mnemonic and operands, lower-cased once for all comparisons.
struct LoweredLine {
    LowerWord mnemonic;
    LowerWord operand1;
    LowerWord operand2;

    explicit LoweredLine(const SourceLine& line)
        : mnemonic(line.mnemonic), operand1(line.operand1), operand2(line.operand2) {}
};

bool isDataDirective(const LowerWord& m) {
    return m == u"db" || m == u".db";
}
bool isOriginDirective(const LowerWord& m) {
    return m == u"org" || m == u".org";
}
bool isLongJump(const LowerWord& m) {
    return m == u"jmp" || m == u"call";
}

bool isPlaceholder(std::u16string_view field) {
    return field == dataPlaceholder || field == addressPlaceholder;
}

// A placeholder stands for a value or a target, so no source text equals it.
bool operandFits(const LowerWord& operand, std::u16string_view field) {
    return !isPlaceholder(field) && operand == field;
}

bool hasExtraOperand(const SourceLine& line) {
    return !line.operand2.empty() || line.excessOperands != 0;
}

// "#" belongs to immediate data only; in a directive it is a mistake, not a
// character to be skipped (a character literal may still be '#').
bool hasStrayHash(std::u16string_view operand) {
    return !isCharLiteral(operand) && operand.find(u'#') != std::u16string_view::npos;
}

LineError translateDataByte(SourceLine& line) {
    if (hasExtraOperand(line) || hasStrayHash(line.operand1)) {
        return parameterError;
    }
    if (!isNumber(line.operand1) && !isCharLiteral(line.operand1)) {
        return parameterError;
    }
    const std::int32_t value = valueOf(line.operand1);
    if (value < 0 || value > 255) {
        return valueOutOfRange;
    }
    assignBitsText(line.byte1Bits, value, 8);
    line.byteCount = 1;
    return noError;
}

LineError translateOrigin(SourceLine& line) {
    if (hasExtraOperand(line) || hasStrayHash(line.operand1) || !isNumber(line.operand1)) {
        return parameterError;
    }
    const std::int32_t value = valueOf(line.operand1);
    if (value < 0 || value > mcs48::highestImageAddress) {
        return valueOutOfRange;
    }
    line.address = value;
    return noError;
}

LineError recordLongJump(SourceLine& line) {
    if (hasExtraOperand(line)) {
        return parameterError;
    }
    line.byteCount = 2;
    line.needsTarget = 1;
    line.targetText = line.operand1;
    return noError;
}

void takeOneByteForm(SourceLine& line, const InstructionPattern& pattern) {
    line.byte1Bits = pattern.opcodeBits;
    line.byte2Bits.clear();
    line.byteCount = 1;
}

void takeJumpForm(SourceLine& line, const InstructionPattern& pattern, std::u16string_view target) {
    line.byte1Bits = pattern.opcodeBits;
    line.byte2Bits.clear();
    line.byteCount = 2;
    line.needsTarget = 1;
    line.targetText = target;
}

LineError matchNoOperand(SourceLine& line, Patterns patterns) {
    if (patterns.front().operandCount != u"0") {
        return parameterError;
    }
    takeOneByteForm(line, patterns.front());
    return noError;
}

LineError matchOneOperand(SourceLine& line, const LoweredLine& lowered, Patterns patterns) {
    if (patterns.front().operandCount != u"1") {
        return parameterError;
    }
    for (const InstructionPattern& pattern : patterns) {
        if (operandFits(lowered.operand1, pattern.operand1)) {
            takeOneByteForm(line, pattern);
            return noError;
        }
        if (pattern.operand1 == addressPlaceholder) {
            takeJumpForm(line, pattern, line.operand1);
            return noError;
        }
    }
    return parameterError;
}

// The data text with every "#" removed; a single leading "#" needs no copy,
// more are copied into the empty `buffer`.
std::u16string_view dataDigits(std::u16string_view operand, std::u16string& buffer) {
    if (operand.find(u'#', 1) == std::u16string_view::npos) {
        return operand.substr(1);
    }
    for (const char16_t c : operand) {
        if (c != u'#') {
            buffer.push_back(c);
        }
    }
    return buffer;
}

LineError takeImmediateData(SourceLine& line) {
    std::u16string buffer;
    const std::u16string_view digits = dataDigits(line.operand2, buffer);
    if (!isNumber(line.operand2) && !isCharLiteral(digits)) {
        return parameterError;
    }
    const std::int32_t value = valueOf(digits);
    if (value >= 256) {
        return valueOutOfRange;
    }
    // A negative value can only come from the 32-bit wrap; its low byte is taken.
    assignBitsText(line.byte2Bits, value, 8);
    line.byteCount = 2;
    return noError;
}

bool isImmediateData(const SourceLine& line, const InstructionPattern& pattern) {
    return line.operand2.starts_with(u'#') && pattern.byteCount == u"2";
}

LineError matchTwoOperands(SourceLine& line, const LoweredLine& lowered, Patterns patterns) {
    if (patterns.front().operandCount != u"2") {
        return parameterError;
    }
    for (const InstructionPattern& pattern : patterns) {
        if (!operandFits(lowered.operand1, pattern.operand1)) {
            continue;
        }
        line.byte1Bits = pattern.opcodeBits;
        line.byte2Bits.clear();
        if (isImmediateData(line, pattern)) {
            return takeImmediateData(line);
        }
        if (pattern.byteCount == u"2" && pattern.operand2 == addressPlaceholder) {
            takeJumpForm(line, pattern, line.operand2);
            return noError;
        }
        if (operandFits(lowered.operand2, pattern.operand2)) {
            line.byteCount = 1;
            return noError;
        }
    }
    return parameterError;
}

LineError translateInstruction(SourceLine& line, const LoweredLine& lowered) {
    const Patterns patterns =
        lowered.mnemonic.isTooLong() ? Patterns{} : patternsOf(lowered.mnemonic.view());
    if (patterns.empty()) {
        return syntaxError;
    }
    if (line.excessOperands != 0) {
        return parameterError;
    }
    const bool hasFirst = !line.operand1.empty();
    const bool hasSecond = !line.operand2.empty();
    if (!hasFirst && !hasSecond) {
        return matchNoOperand(line, patterns);
    }
    if (!hasFirst) {
        return parameterError; // a second operand without a first fits no form
    }
    if (!hasSecond) {
        return matchOneOperand(line, lowered, patterns);
    }
    return matchTwoOperands(line, lowered, patterns);
}

LineError translateLine(SourceLine& line) {
    if (line.mnemonic.empty() || line.kind != ordinaryLine) {
        return noError;
    }
    const LoweredLine lowered(line);
    if (isDataDirective(lowered.mnemonic)) {
        return translateDataByte(line);
    }
    if (isOriginDirective(lowered.mnemonic)) {
        return translateOrigin(line);
    }
    if (isLongJump(lowered.mnemonic)) {
        return recordLongJump(line);
    }
    return translateInstruction(line, lowered);
}

} // namespace

int generateCode(LineTable& table, const StatusSink& appendStatus) {
    int errorCount = 0;
    for (int index = 0; index <= table.lastLine; ++index) {
        SourceLine& line = table.records[static_cast<std::size_t>(index)];
        const LineError error = translateLine(line);
        if (error.empty()) {
            continue;
        }
        line.byteCount = 0;
        reportLineError(appendStatus, line.lineNumber, error);
        ++errorCount;
    }
    return errorCount;
}

} // namespace tovi
