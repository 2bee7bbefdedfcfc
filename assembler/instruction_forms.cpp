#include "assembler/instruction_forms.h"

#include "assembler/keyword.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tovi {
namespace {

using mcs48::Operand;

struct Mnemonic {
    std::uint64_t name = 0; // Keyword::pack of the lower-case mnemonic
    std::vector<InstructionForm> forms;
};

std::u16string wide(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

void addForm(std::vector<Mnemonic>& table, std::string_view name, const InstructionForm& form) {
    const std::uint64_t key = Keyword::pack(wide(name));
    auto entry = std::ranges::find(table, key, &Mnemonic::name);
    if (entry == table.end()) {
        table.push_back({key, {}});
        entry = table.end() - 1;
    }
    entry->forms.push_back(form);
}

// JMP and CALL have one opcode per page of their target: one form stands for all.
bool isFurtherLongJump(const mcs48::Instruction& instruction, unsigned opcode) {
    return instruction.first == Operand::LongTarget && opcode >= 0x20;
}

std::vector<Mnemonic> buildTable() {
    std::vector<Mnemonic> table;
    for (unsigned opcode = 0; opcode < 256; ++opcode) {
        const auto& instruction = mcs48::instructionOf(static_cast<std::uint8_t>(opcode));
        if (!instruction.exists() || isFurtherLongJump(instruction, opcode)) {
            continue;
        }
        addForm(table, instruction.mnemonic,
                {instruction.first, instruction.second, static_cast<std::uint8_t>(opcode),
                 instruction.length});
    }
    for (const auto& spelling : mcs48::secondSpellings) {
        addForm(table, spelling.mnemonic, {spelling.first, spelling.second, spelling.opcode, 1});
    }
    std::ranges::sort(table, {}, &Mnemonic::name);
    return table;
}

const std::vector<Mnemonic>& mnemonicTable() {
    static const std::vector<Mnemonic> table = buildTable();
    return table;
}

bool isRegisterLike(Operand operand) {
    return operand != Operand::None && operand != Operand::Data && operand != Operand::PageTarget &&
           operand != Operand::LongTarget;
}

} // namespace

int InstructionForm::arity() const {
    return (first != Operand::None ? 1 : 0) + (second != Operand::None ? 1 : 0);
}

bool InstructionForm::isPageJump() const {
    return first == Operand::PageTarget || second == Operand::PageTarget;
}

std::span<const InstructionForm> formsOf(std::u16string_view mnemonic) {
    const std::uint64_t key = Keyword(mnemonic).packed();
    const auto& table = mnemonicTable();
    const auto entry = std::ranges::lower_bound(table, key, {}, &Mnemonic::name);
    if (key == 0 || entry == table.end() || entry->name != key) {
        return {};
    }
    return entry->forms;
}

mcs48::Operand operandKeyword(std::u16string_view word) {
    static const std::vector<std::pair<std::uint64_t, Operand>> keywords = [] {
        std::vector<std::pair<std::uint64_t, Operand>> table;
        for (int kind = 0; kind <= static_cast<int>(Operand::LongTarget); ++kind) {
            const auto operand = static_cast<Operand>(kind);
            if (isRegisterLike(operand)) {
                table.emplace_back(Keyword::pack(wide(mcs48::operandName(operand))), operand);
            }
        }
        std::ranges::sort(table);
        return table;
    }();
    const std::uint64_t key = Keyword(word).packed();
    const auto found =
        std::ranges::lower_bound(keywords, key, {}, &std::pair<std::uint64_t, Operand>::first);
    return key != 0 && found != keywords.end() && found->first == key ? found->second
                                                                      : Operand::None;
}

} // namespace tovi
