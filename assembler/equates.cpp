#include "assembler/equates.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/text.h"

namespace tovi {

// Equates are applied one after the other, in table order, each to every
// operand. Instead of walking all operands for every equate, each operand is
// walked once: it only needs the equates whose names it contains, in table
// order. Between two replacements it asks the index for the first equate at or
// after the current position in that order whose name occurs in its text;
// the result equals the equate-by-equate walk.

namespace {

// Substitution can nest ("a equ aa" written several times doubles and
// redoubles a text), so an operand may not grow beyond this many characters,
// or beyond its own length if that is larger. Such an operand is marked
// unusable instead of growing without bound.
constexpr std::size_t growthLimit = std::size_t{1} << 16;

struct Equate {
    std::u16string lowerName;
    std::u16string value; // the value text at the moment the equate is applied
    bool unusable;        // the value grew beyond the limit
};

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::u16string_view text) const {
        return std::hash<std::u16string_view>{}(text);
    }
};

// Lower-cased name → positions of the equates with that name, ascending.
using NameIndex = std::unordered_map<std::u16string, std::vector<int>, StringHash, std::equal_to<>>;

class EquateIndex {
public:
    void add(std::u16string_view lowerName, int position) {
        auto [entry, added] = byName_.try_emplace(std::u16string(lowerName));
        entry->second.push_back(position);
        if (added &&
            std::find(lengths_.begin(), lengths_.end(), lowerName.size()) == lengths_.end()) {
            lengths_.push_back(lowerName.size());
        }
    }

    // The first equate at or after `from` and before `to` whose name occurs in
    // the lower-cased text, or `to` when there is none.
    int firstOccurring(std::u16string_view lowerText, const std::vector<Equate>& equates, int from,
                       int to) const {
        const auto enumerationCost = static_cast<std::size_t>(lowerText.size()) * lengths_.size();
        if (static_cast<std::size_t>(to - from) <= enumerationCost) {
            return firstByScanning(lowerText, equates, from, to);
        }
        return firstBySubstrings(lowerText, from, to);
    }

private:
    static int firstByScanning(std::u16string_view lowerText, const std::vector<Equate>& equates,
                               int from, int to) {
        for (int e = from; e < to; ++e) {
            if (lowerText.find(equates[static_cast<std::size_t>(e)].lowerName) !=
                std::u16string_view::npos) {
                return e;
            }
        }
        return to;
    }

    int firstBySubstrings(std::u16string_view lowerText, int from, int to) const {
        int first = to;
        for (const std::size_t length : lengths_) {
            for (std::size_t start = 0; start + length <= lowerText.size(); ++start) {
                const auto entry = byName_.find(lowerText.substr(start, length));
                if (entry == byName_.end()) {
                    continue;
                }
                const auto& positions = entry->second;
                const auto next = std::lower_bound(positions.begin(), positions.end(), from);
                if (next != positions.end() && *next < first) {
                    first = *next;
                }
            }
        }
        return first;
    }

    NameIndex byName_;
    std::vector<std::size_t> lengths_;
};

// Replaces every occurrence of the name, left to right, without looking at
// inserted text again. Returns false, leaving the text as it was, when the
// result would exceed the growth limit.
bool replaceAll(std::u16string& text, std::u16string& lowerText, std::u16string_view lowerName,
                std::u16string_view value) {
    std::u16string replaced;
    std::size_t copiedUpTo = 0;
    for (std::size_t match = lowerText.find(lowerName); match != std::u16string::npos;
         match = lowerText.find(lowerName, copiedUpTo)) {
        replaced.append(text, copiedUpTo, match - copiedUpTo);
        replaced.append(value);
        copiedUpTo = match + lowerName.size();
        if (replaced.size() > std::max(growthLimit, text.size())) {
            return false;
        }
    }
    replaced.append(text, copiedUpTo);
    if (replaced.size() > std::max(growthLimit, text.size())) {
        return false;
    }
    text = std::move(replaced);
    lowerText = toLowerCase(text);
    return true;
}

// Applies the equates from..to-1 in order to one operand; returns false when
// the operand became unusable.
bool applyEquates(std::u16string& text, const std::vector<Equate>& equates,
                  const EquateIndex& index, int from, int to) {
    if (text.empty() || from >= to) {
        return true;
    }
    std::u16string lowerText = toLowerCase(text);
    for (int e = index.firstOccurring(lowerText, equates, from, to); e < to;
         e = index.firstOccurring(lowerText, equates, e + 1, to)) {
        const Equate& equate = equates[static_cast<std::size_t>(e)];
        if (equate.unusable || !replaceAll(text, lowerText, equate.lowerName, equate.value)) {
            return false;
        }
    }
    return true;
}

} // namespace

void substituteEquates(LineTable& table) {
    std::vector<int> equateRecords;
    for (int i = 0; i < table.size(); ++i) {
        const SourceLine& line = table.records[static_cast<std::size_t>(i)];
        if (line.kind == equateLine && !line.mnemonic.empty()) {
            equateRecords.push_back(i);
        }
    }
    if (equateRecords.empty()) {
        return;
    }

    // Each value is what the earlier equates left of its text when its own
    // turn comes.
    std::vector<Equate> equates;
    equates.reserve(equateRecords.size());
    EquateIndex index;
    for (const int record : equateRecords) {
        const SourceLine& line = table.records[static_cast<std::size_t>(record)];
        const int position = static_cast<int>(equates.size());
        std::u16string value = line.operand1;
        const bool usable = applyEquates(value, equates, index, 0, position);
        equates.push_back({toLowerCase(line.mnemonic), std::move(value), !usable});
        index.add(equates.back().lowerName, position);
    }

    const int count = static_cast<int>(equates.size());
    for (int i = 0; i < table.size(); ++i) {
        SourceLine& line = table.records[static_cast<std::size_t>(i)];
        const bool usable = applyEquates(line.operand1, equates, index, 0, count) &&
                            applyEquates(line.operand2, equates, index, 0, count);
        if (!usable) {
            line.excessOperands = 1;
        }
    }
}

} // namespace tovi
