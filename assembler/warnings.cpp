#include "assembler/warnings.h"

#include <algorithm>
#include <bitset>
#include <map>
#include <string>

#include "assembler/asm_error.h"
#include "common/mcs48_memory.h"

namespace tovi {
namespace {

struct Warning {
    int lineNumber;
    std::u16string text;
};

// The records in source order.
std::vector<const SourceLine*> inSourceOrder(const LineTable& table) {
    std::vector<const SourceLine*> lines;
    for (int i = 0; i < table.size(); ++i) {
        lines.push_back(&table.records[static_cast<std::size_t>(i)]);
    }
    std::ranges::stable_sort(lines, {}, &SourceLine::lineNumber);
    return lines;
}

bool isOrigin(const SourceLine& line) {
    return equalsIgnoringCase(line.mnemonic, u"org") || equalsIgnoringCase(line.mnemonic, u".org");
}

bool isPageJump(const SourceLine& line) {
    return line.needsTarget != 0 && !equalsIgnoringCase(line.mnemonic, u"jmp") &&
           !equalsIgnoringCase(line.mnemonic, u"call");
}

std::u16string nameOf(std::u16string_view label) {
    return std::u16string(label.substr(0, label.size() - 1));
}

// A label alone on its line passes on to the next line with a mnemonic,
// which then carries it too without defining it again.
void findTwiceDefined(const std::vector<const SourceLine*>& lines, std::vector<Warning>& warnings) {
    std::map<std::u16string, int> labels;
    std::map<std::u16string, int> equates;
    const SourceLine* previous = nullptr;
    for (const SourceLine* line : lines) {
        const bool inherited =
            previous != nullptr && previous->mnemonic.empty() && previous->label == line->label;
        if (!line->label.empty() && !inherited) {
            const auto [first, added] =
                labels.try_emplace(toLowerCase(line->label), line->lineNumber);
            if (!added) {
                warnings.push_back(
                    {line->lineNumber, u"Label '" + nameOf(line->label) + u"' ist schon in Zeile " +
                                           decimalText(first->second) + u" definiert"});
            }
        }
        if (line->kind == equateLine) {
            const auto [first, added] =
                equates.try_emplace(toLowerCase(line->mnemonic), line->lineNumber);
            if (!added) {
                warnings.push_back(
                    {line->lineNumber, u"Equate '" + line->mnemonic + u"' ist schon in Zeile " +
                                           decimalText(first->second) + u" definiert"});
            }
        }
        previous = line;
    }
}

void findPlacementWarnings(const std::vector<const SourceLine*>& lines,
                           std::vector<Warning>& warnings) {
    std::bitset<mcs48::imageSize> placed;
    int counter = 0;
    for (const SourceLine* line : lines) {
        if (line->kind == equateLine) {
            continue;
        }
        if (isOrigin(*line)) {
            bool overlaps = false;
            for (int address = line->address; address < counter && address < mcs48::imageSize;
                 ++address) {
                overlaps = overlaps || placed.test(static_cast<std::size_t>(address));
            }
            if (overlaps) {
                warnings.push_back(
                    {line->lineNumber, u"org geht zurück über schon belegten Speicher"});
            }
            counter = line->address;
            continue;
        }
        for (int i = 0; i < line->byteCount && line->address + i < mcs48::imageSize; ++i) {
            placed.set(static_cast<std::size_t>(line->address + i));
        }
        counter = line->address + line->byteCount;
        if (isPageJump(*line) && line->address % mcs48::pageSize == mcs48::pageSize - 1) {
            warnings.push_back(
                {line->lineNumber,
                 u"bedingter Sprung auf dem letzten Byte der Seite springt in die nächste Seite"});
        }
    }
}

} // namespace

int reportWarnings(const LineTable& table, const StatusSink& appendStatus) {
    const auto lines = inSourceOrder(table);
    std::vector<Warning> warnings;
    findTwiceDefined(lines, warnings);
    findPlacementWarnings(lines, warnings);
    std::ranges::stable_sort(warnings, {}, &Warning::lineNumber);
    for (const Warning& warning : warnings) {
        reportLineError(appendStatus, warning.lineNumber, u" -> Warnung: " + warning.text);
    }
    return static_cast<int>(warnings.size());
}

} // namespace tovi
