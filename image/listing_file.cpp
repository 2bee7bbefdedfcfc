#include "image/listing_file.h"

#include <algorithm>
#include <map>
#include <vector>

#include "common/hex_text.h"
#include "common/text.h"

namespace tovi {
namespace {

std::string byteText(std::u16string_view bits) {
    unsigned value = 0;
    for (const char16_t bit : bits) {
        value = value << 1 | (bit == u'1' ? 1u : 0u);
    }
    return hexText(value & 0xFF, 2);
}

std::string padded(std::string text, std::size_t width, bool right = false) {
    if (text.size() < width) {
        text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    }
    return text;
}

// "Adr Bytes" of a record: the address unless it is an equate, the bytes it emits.
std::string placeOf(const SourceLine& line) {
    if (line.kind == equateLine) {
        return padded("", 3) + "  " + padded("", 5);
    }
    std::string bytes;
    if (line.byteCount > 0) {
        bytes = byteText(line.byte1Bits);
        if (!line.byte2Bits.empty()) {
            bytes += " " + byteText(line.byte2Bits);
        }
    }
    return hexText(static_cast<unsigned>(line.address), 3) + "  " + padded(bytes, 5);
}

// Lower-cased name to the symbol's text and what it stands for; the first
// definition in source order counts, as in the assembly.
std::map<std::u16string, std::pair<std::string, std::string>>
symbolsOf(const std::vector<const SourceLine*>& lines) {
    std::map<std::u16string, std::pair<std::string, std::string>> symbols;
    for (const SourceLine* line : lines) {
        if (!line->label.empty()) {
            const std::u16string name = line->label.substr(0, line->label.size() - 1);
            symbols.try_emplace(toLowerCase(name), toUtf8(name),
                                hexText(static_cast<unsigned>(line->address), 3));
        }
        if (line->kind == equateLine) {
            symbols.try_emplace(toLowerCase(line->mnemonic), toUtf8(line->mnemonic),
                                "= " + toUtf8(line->operand1));
        }
    }
    return symbols;
}

} // namespace

std::string fullListing(std::span<const std::u16string> sourceLines, const LineTable& table) {
    std::vector<const SourceLine*> byLine(sourceLines.size() + 1, nullptr);
    std::vector<const SourceLine*> lines;
    for (int i = 0; i < table.size(); ++i) {
        const SourceLine& record = table.records[static_cast<std::size_t>(i)];
        lines.push_back(&record);
        if (record.lineNumber > 0 && static_cast<std::size_t>(record.lineNumber) < byLine.size()) {
            byLine[static_cast<std::size_t>(record.lineNumber)] = &record;
        }
    }
    std::ranges::stable_sort(lines, {}, &SourceLine::lineNumber);
    std::string text = "Zeile  Adr  Bytes  Quelle\n";
    for (std::size_t n = 1; n <= sourceLines.size(); ++n) {
        const SourceLine* line = byLine[n];
        text += padded(std::to_string(n), 5, true) + "  " +
                (line != nullptr ? placeOf(*line) : padded("", 10)) + "  " +
                toUtf8(sourceLines[n - 1]) + "\n";
    }
    const auto symbols = symbolsOf(lines);
    std::size_t width = 0;
    for (const auto& [key, symbol] : symbols) {
        width = std::max(width, symbol.first.size());
    }
    text += "\nSymbole\n";
    for (const auto& [key, symbol] : symbols) {
        text += padded(symbol.first, width) + "  " + symbol.second + "\n";
    }
    return text;
}

} // namespace tovi
