#include "assembler/vocabulary.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "assembler/instruction_table.h"
#include "common/text.h"

namespace tovi {
namespace {

constexpr std::array<std::u16string_view, 7> directives = {
    u"org", u".org", u"db", u".db", u"equ", u"end", u".end",
};

bool isDirective(std::u16string_view lower) {
    return std::ranges::find(directives, lower) != directives.end();
}

// The operand words of the instruction table, each once.
std::vector<std::u16string_view> registerNames() {
    std::vector<std::u16string_view> names;
    for (const std::u16string_view row : instructionTable) {
        for (const int field : {2, 3}) {
            const std::u16string_view operand = fieldOf(row, field);
            const bool placeholder = operand == dataPlaceholder || operand == addressPlaceholder;
            if (!operand.empty() && !placeholder &&
                std::ranges::find(names, operand) == names.end()) {
                names.push_back(operand);
            }
        }
    }
    return names;
}

bool isRegister(std::u16string_view lower) {
    static const std::vector<std::u16string_view> names = registerNames();
    return std::ranges::find(names, lower) != names.end();
}

} // namespace

WordKind kindOfWord(std::u16string_view word) {
    const std::u16string lower = toLowerCase(word);
    if (lower == u"jmp" || lower == u"call" || !patternsOf(lower).empty()) {
        return WordKind::Mnemonic;
    }
    if (isDirective(lower)) {
        return WordKind::Directive;
    }
    return isRegister(lower) ? WordKind::Register : WordKind::Other;
}

} // namespace tovi
