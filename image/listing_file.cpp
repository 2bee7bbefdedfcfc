#include "image/listing_file.h"

#include <algorithm>
#include <map>
#include <vector>

#include "assembler/quoted_text.h"
#include "common/hex_text.h"
#include "common/text.h"

namespace tovi {
namespace {

// Equates whose values name other equates are shown with those values, this
// deep, and only while the shown value stays this long.
constexpr int deepestShownValue = 8;
constexpr std::size_t longestShownValue = 4096;

std::string padded(std::string text, std::size_t width, bool right = false) {
    if (text.size() < width) {
        text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    }
    return text;
}

bool showsAddress(StatementKind kind) {
    return kind != StatementKind::Definition && kind != StatementKind::Ignored;
}

// "Adr  Bytes" of a line: its address unless it defines or ignores, and every byte it emits.
std::string placeOf(const Program& program, int statementIndex) {
    if (statementIndex < 0 || !showsAddress(program.statement(statementIndex).kind)) {
        return padded("", 3) + "  " + padded("", 5);
    }
    const Statement& statement = program.statement(statementIndex);
    std::string bytes;
    for (std::int32_t i = 0; statement.emits && i < statement.size; ++i) {
        bytes += (i == 0 ? "" : " ") +
                 hexText(program.bytes[statement.firstByte + static_cast<std::uint32_t>(i)], 2);
    }
    return hexText(static_cast<unsigned>(statement.address), 3) + "  " + padded(bytes, 5);
}

std::string rowOf(const Program& program, const ListingEntry& entry) {
    std::string number = entry.fromMacro ? "" : std::to_string(entry.line);
    std::u16string shown = entry.text;
    std::replace(shown.begin(), shown.end(), u'\u0001', u'#'); // a label of one expansion
    std::string text = toUtf8(shown);
    if (entry.fromMacro) {
        text = "+ " + text;
    } else if (entry.file != 0) {
        text = "[" + toUtf8(program.files[static_cast<std::size_t>(entry.file)].name) + "] " + text;
    }
    return padded(number, 5, true) + "  " + placeOf(program, entry.statement) + "  " + text + "\n";
}

class SymbolValues {
public:
    explicit SymbolValues(const Program& program) : program_(program) {}

    // What a symbol stands for: a label's address, an equate's value as
    // written with the equates it names put in.
    std::string of(const Symbol& symbol) {
        if (symbol.kind == SymbolKind::Label) {
            return hexText(static_cast<unsigned>(symbol.address), 3);
        }
        const std::u16string& text =
            symbol.kind == SymbolKind::Set ? symbol.sets.back().text : symbol.text;
        return "= " + toUtf8(expanded(text, 0));
    }

private:
    std::u16string expanded(std::u16string_view text, int depth) {
        if (depth >= deepestShownValue) {
            return std::u16string(text);
        }
        std::u16string result =
            replaceNames(text, [&](std::u16string_view name) -> const std::u16string* {
                const auto found = program_.symbolIds.find(toLowerCase(name));
                if (found == program_.symbolIds.end()) {
                    return nullptr;
                }
                const Symbol& symbol = program_.symbol(found->second);
                if (symbol.kind != SymbolKind::Equate && symbol.kind != SymbolKind::Text) {
                    return nullptr;
                }
                return &valueOf(found->second, symbol.text, depth + 1);
            });
        return result.size() > longestShownValue ? std::u16string(text) : result;
    }

    // Each symbol's value at each depth is worked out once: an equate that
    // names others many times would otherwise take exponential time.
    const std::u16string& valueOf(int id, std::u16string_view text, int depth) {
        const auto key = std::pair{id, depth};
        if (const auto known = values_.find(key); known != values_.end()) {
            return known->second;
        }
        std::u16string value = expanded(text, depth);
        return values_.insert_or_assign(key, std::move(value)).first->second;
    }

    const Program& program_;
    std::map<std::pair<int, int>, std::u16string> values_;
};

// A name as the listing shows it: a label of a macro expansion with its number.
std::string listedName(const Symbol& symbol) {
    std::u16string name = symbol.name;
    std::replace(name.begin(), name.end(), u'\u0001', u'#');
    return toUtf8(name);
}

} // namespace

std::string fullListing(const Program& program) {
    std::string text = "Zeile  Adr  Bytes  Quelle\n";
    for (const ListingEntry& entry : program.entries) {
        text += rowOf(program, entry);
    }
    std::vector<const Symbol*> symbols;
    for (const Symbol& symbol : program.symbols) {
        if (symbol.kind != SymbolKind::Referenced) {
            symbols.push_back(&symbol);
        }
    }
    std::ranges::stable_sort(symbols, {},
                             [](const Symbol* symbol) { return toLowerCase(symbol->name); });
    std::size_t width = 0;
    for (const Symbol* symbol : symbols) {
        width = std::max(width, listedName(*symbol).size());
    }
    SymbolValues values(program);
    text += "\nSymbole\n";
    for (const Symbol* symbol : symbols) {
        text += padded(listedName(*symbol), width) + "  " + values.of(*symbol) + "\n";
    }
    return text;
}

} // namespace tovi
