#include "assembler/warnings.h"

#include <algorithm>
#include <bitset>

#include "assembler/findings.h"
#include "common/mcs48_memory.h"
#include "common/text.h"

namespace tovi {
namespace {

void findRedefinitions(const Program& program, Findings& warnings) {
    for (const Redefinition& again : program.redefinitions) {
        const Statement& second = program.statement(again.statement);
        const Statement& first = program.statement(program.symbol(again.symbol).statement);
        const bool isEquate = second.kind == StatementKind::Definition;
        warnings.add(program, second,
                     message::warning((isEquate ? u"Equate '" : u"Label '") + again.name +
                                      u"' ist schon in Zeile " + decimalText(first.place.line) +
                                      u" definiert"));
    }
}

void findPlacement(const Program& program, Findings& warnings) {
    std::bitset<mcs48::imageSize> placed;
    std::int64_t counter = 0;
    for (const Statement& statement : program.statements) {
        if (statement.kind == StatementKind::Origin) {
            bool overlaps = false;
            for (std::int64_t address = statement.address;
                 address < counter && address < mcs48::imageSize; ++address) {
                overlaps = overlaps || placed.test(static_cast<std::size_t>(address));
            }
            if (overlaps) {
                warnings.add(program, statement,
                             message::warning(u"org geht zurück über schon belegten Speicher"));
            }
            counter = statement.address;
            continue;
        }
        if (statement.kind == StatementKind::Definition ||
            statement.kind == StatementKind::Ignored) {
            continue;
        }
        for (std::int64_t address = statement.address;
             statement.emits && address < statement.address + statement.size &&
             address < mcs48::imageSize;
             ++address) {
            placed.set(static_cast<std::size_t>(address));
        }
        counter = std::int64_t{statement.address} + statement.size;
        if (statement.form != nullptr && statement.form->isPageJump() &&
            statement.address % mcs48::pageSize == mcs48::pageSize - 1) {
            warnings.add(program, statement,
                         message::warning(u"bedingter Sprung auf dem letzten Byte der Seite "
                                          u"springt in die nächste Seite"));
        }
    }
}

void findIgnored(const Program& program, Findings& warnings) {
    for (const Statement& statement : program.statements) {
        if (statement.kind != StatementKind::Ignored) {
            continue;
        }
        if (statement.directive == Directive::End) {
            warnings.add(
                program, statement,
                message::warning(u"Startadresse von '" + statement.word + u"' wird ignoriert"));
        } else if (statement.directive == Directive::Ignored) {
            warnings.add(program, statement,
                         message::warning(u"Anweisung '" + statement.word + u"' wird ignoriert"));
        }
    }
}

} // namespace

std::vector<Diagnostic> warningsOf(const Program& program) {
    Findings warnings;
    findRedefinitions(program, warnings);
    findPlacement(program, warnings);
    findIgnored(program, warnings);
    return warnings.inOrder();
}

} // namespace tovi
