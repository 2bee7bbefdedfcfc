#include "common/source_text.h"

#include "common/codepage.h"
#include "common/text.h"

namespace tovi {

std::u16string decodeSourceBytes(std::string_view bytes) {
    return decodeWindows1252(bytes.substr(0, bytes.find('\0')));
}

std::vector<std::u16string> splitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    LineCursor cursor(text);
    for (std::u16string_view line; cursor.next(line);) {
        lines.emplace_back(line);
    }
    return lines;
}

bool holdsOnlyBlanks(std::span<const std::u16string> lines) {
    // Two or more lines hold a line end, and a line end is not a blank.
    return lines.empty() || (lines.size() == 1 && trimBlanks(lines.front()).empty());
}

} // namespace tovi
