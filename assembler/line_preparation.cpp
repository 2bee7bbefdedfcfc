#include "assembler/line_preparation.h"

#include <algorithm>

#include "common/text.h"

namespace tovi {

namespace {

// Tabs and blanks separate alike, so tabs become blanks before anything else.
// The buffer is reused from line to line.
std::u16string_view withTabsAsBlanks(std::u16string_view text, std::u16string& buffer) {
    buffer.assign(text);
    std::replace(buffer.begin(), buffer.end(), u'\t', u' ');
    return buffer;
}

// The text before the first ";", trimmed; a comment may stand anywhere, even inside quotes.
std::u16string_view withoutComment(std::u16string_view line) {
    const auto semicolon = line.find(u';');
    if (semicolon == std::u16string_view::npos) {
        return line;
    }
    return trimBlanks(line.substr(0, semicolon));
}

bool isEndDirective(std::u16string_view line) {
    if (line.size() > 4) {
        return false;
    }
    const std::u16string lower = toLowerCase(line);
    return lower == u"end" || lower == u".end";
}

bool startsWithEqu(std::u16string_view operandText) {
    return operandText.size() >= 3 && equalsIgnoringCase(operandText.substr(0, 3), u"equ");
}

// True when anything but blanks follows the second "," of the operand text.
bool hasTextAfterSecondComma(std::u16string_view operandText, std::size_t secondComma) {
    if (secondComma == std::u16string_view::npos) {
        return false;
    }
    return !trimBlanks(operandText.substr(secondComma + 1)).empty();
}

void splitOperands(SourceLine& record, std::u16string_view operandText) {
    const auto firstComma = operandText.find(u',');
    if (firstComma != std::u16string_view::npos) {
        const auto secondComma = operandText.find(u',', firstComma + 1);
        record.operand1 = trimBlanks(operandText.substr(0, firstComma));
        record.operand2 =
            trimBlanks(operandText.substr(firstComma + 1, secondComma == std::u16string_view::npos
                                                              ? std::u16string_view::npos
                                                              : secondComma - firstComma - 1));
        record.excessOperands = hasTextAfterSecondComma(operandText, secondComma) ? 1 : 0;
        return;
    }
    if (startsWithEqu(operandText)) {
        operandText = trimBlanks(operandText.substr(3));
        record.kind = equateLine;
    }
    record.operand1 = operandText;
}

} // namespace

std::u16string_view labelOf(std::u16string_view text) {
    const auto colon = text.find(u':');
    if (colon == std::u16string_view::npos || colon == 0) {
        return {};
    }
    return text.substr(0, colon + 1);
}

std::u16string_view firstWordOf(std::u16string_view text) {
    const auto blank = text.find(u' ');
    if (blank == std::u16string_view::npos) {
        return text;
    }
    return text.substr(0, blank + 1);
}

int prepareLines(LineTable& table, std::span<const std::u16string> lines) {
    // At most one record per line: reserving once avoids moving every record
    // each time the table grows.
    table.records.reserve(lines.size());
    std::u16string pendingLabel;
    std::u16string buffer;
    int stored = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::u16string_view line = withoutComment(trimBlanks(withTabsAsBlanks(lines[n], buffer)));
        if (isEndDirective(line)) {
            break;
        }
        if (line.empty()) {
            continue;
        }
        SourceLine& record = table.freshRecord(stored);
        record.lineNumber = static_cast<std::int32_t>(n + 1);
        record.label = labelOf(line);
        if (!record.label.empty()) {
            pendingLabel = record.label;
            line = trimBlanks(line.substr(record.label.size()));
        }
        const std::u16string_view word = firstWordOf(line);
        record.mnemonic = trimBlanks(word);
        line = trimBlanks(line.substr(word.size()));
        if (!record.mnemonic.empty() && !pendingLabel.empty()) {
            record.label = pendingLabel;
            pendingLabel.clear();
        }
        splitOperands(record, line);
        ++stored;
    }
    table.lastLine = stored - 1;
    return table.lastLine;
}

} // namespace tovi
