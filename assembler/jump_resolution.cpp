#include "assembler/jump_resolution.h"

#include <optional>
#include <string>
#include <unordered_map>

#include "assembler/asm_error.h"
#include "common/mcs48_memory.h"

namespace tovi {

namespace {

// Lower-cased label text (with its ":") to the index of its first carrier in source order.
using LabelIndex = std::unordered_map<std::u16string, int>;

LabelIndex indexLabels(const LineTable& table) {
    LabelIndex labels;
    for (int j = 0; j < table.size(); ++j) {
        const SourceLine& record = table.records[static_cast<std::size_t>(j)];
        if (!record.label.empty()) {
            labels.try_emplace(toLowerCase(record.label), j); // a later carrier never wins
        }
    }
    return labels;
}

std::optional<std::int32_t> labelAddress(const LineTable& table, const LabelIndex& labels,
                                         std::u16string_view targetText) {
    std::u16string key = toLowerCase(targetText);
    key += u':';
    const auto found = labels.find(key);
    if (found == labels.end()) {
        return std::nullopt;
    }
    return table.records[static_cast<std::size_t>(found->second)].address;
}

// The low `width` bits of a non-negative value as binary digits, most significant first.
std::u16string binaryDigits(std::int32_t value, int width) {
    std::u16string digits(static_cast<std::size_t>(width), u'0');
    for (int bit = 0; bit < width; ++bit) {
        if ((value >> bit) & 1) {
            digits[static_cast<std::size_t>(width - 1 - bit)] = u'1';
        }
    }
    return digits;
}

bool isAbsoluteJump(std::u16string_view mnemonic) {
    return equalsIgnoringCase(mnemonic, u"jmp") || equalsIgnoringCase(mnemonic, u"call");
}

// jmp and call: a10..a8 above the five opcode bits, then a7..a0.
std::u16string_view resolveAbsolute(SourceLine& line, std::int32_t target) {
    if (target < 0 || target > mcs48::highestImageAddress) {
        return targetOutOfRange;
    }
    const bool isCall = equalsIgnoringCase(line.mnemonic, u"call");
    line.byte1Bits = binaryDigits(mcs48::pageOf(target), 3);
    line.byte1Bits += isCall ? u"10100" : u"00100";
    line.byte2Bits = binaryDigits(target % mcs48::pageSize, 8);
    return {};
}

// Conditional jumps and djnz reach only one page: the processor takes it from
// the program counter after fetching the opcode, so a jump whose first byte is
// the last of a page reaches the next page.
std::u16string_view resolveInPage(SourceLine& line, std::int32_t target) {
    if (mcs48::pageOf(line.address + 1) != mcs48::pageOf(target)) {
        return targetOutsidePage;
    }
    line.byte2Bits = binaryDigits(target % mcs48::pageSize, 8);
    return {};
}

} // namespace

int resolveJumps(LineTable& table, const StatusSink& appendStatus) {
    std::optional<LabelIndex> labels;
    int errors = 0;
    for (int i = 0; i < table.size(); ++i) {
        SourceLine& line = table.records[static_cast<std::size_t>(i)];
        if (line.needsTarget != 1) {
            continue;
        }
        if (!labels) {
            labels = indexLabels(table);
        }
        const std::optional<std::int32_t> target = labelAddress(table, *labels, line.targetText);
        std::u16string_view failure = invalidTarget;
        if (target) {
            failure = isAbsoluteJump(line.mnemonic) ? resolveAbsolute(line, *target)
                                                    : resolveInPage(line, *target);
        }
        if (!failure.empty()) {
            reportLineError(appendStatus, line.lineNumber, failure);
            ++errors;
        }
    }
    return errors;
}

} // namespace tovi
