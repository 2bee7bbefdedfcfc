#include "assembler/quoted_text.h"

#include "assembler/expression.h"
#include "common/text.h"

namespace tovi {
namespace {

bool isDigitOrLetter(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Past a number ("0FFh", "12$", "$1F", "%1F") that starts at `at`.
std::size_t numberEnd(std::u16string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && (isDigitOrLetter(text[end]) || text[end] == u'$')) {
        ++end;
    }
    return end;
}

bool startsNumber(std::u16string_view text, std::size_t at) {
    const char16_t c = text[at];
    if (c >= u'0' && c <= u'9') {
        return true;
    }
    return (c == u'$' || c == u'%') && at + 1 < text.size() && isDigitOrLetter(text[at + 1]);
}

} // namespace

bool isQuote(char16_t c) {
    return c == u'\'' || c == u'"';
}

QuotedText readQuoted(std::u16string_view text, std::size_t open) {
    const char16_t quote = text[open];
    const bool tripleQuote = quote == u'\'' && text.substr(open).starts_with(u"'''") &&
                             (open + 3 == text.size() || text[open + 3] != u'\'');
    if (tripleQuote) {
        return {u"'", open + 3, true};
    }
    QuotedText quoted;
    std::size_t at = open + 1;
    while (at < text.size()) {
        if (text[at] != quote) {
            quoted.content.push_back(text[at++]);
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == quote) {
            quoted.content.push_back(quote);
            at += 2;
            continue;
        }
        quoted.end = at + 1;
        quoted.closed = true;
        return quoted;
    }
    quoted.end = text.size();
    return quoted;
}

std::size_t findOutsideQuotes(std::u16string_view text, char16_t wanted, std::size_t from) {
    for (std::size_t at = from; at < text.size();) {
        if (text[at] == wanted) {
            return at;
        }
        at = isQuote(text[at]) ? readQuoted(text, at).end : at + 1;
    }
    return std::u16string_view::npos;
}

std::size_t labelColon(std::u16string_view text) {
    int depth = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char16_t c = text[at];
        if (isQuote(c)) {
            at = readQuoted(text, at).end;
            continue;
        }
        if (c == u':' && depth <= 0) {
            return at;
        }
        depth += c == u'(' ? 1 : c == u')' ? -1 : 0;
        ++at;
    }
    return std::u16string_view::npos;
}

std::u16string_view withoutComment(std::u16string_view line) {
    return line.substr(0, findOutsideQuotes(line, u';'));
}

std::u16string_view trimmed(std::u16string_view text) {
    return trimBlanks(text);
}

std::vector<std::u16string_view> listItems(std::u16string_view text) {
    std::vector<std::u16string_view> items;
    if (trimmed(text).empty()) {
        return items;
    }
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char16_t c = text[at];
        if (isQuote(c)) {
            at = readQuoted(text, at).end;
            continue;
        }
        depth += c == u'(' ? 1 : c == u')' ? -1 : 0;
        if (c == u',' && depth <= 0) {
            items.push_back(trimmed(text.substr(start, at - start)));
            start = at + 1;
        }
        ++at;
    }
    items.push_back(trimmed(text.substr(start)));
    return items;
}

std::u16string replaceNames(std::u16string_view text, const NameReplacement& replacementFor,
                            bool* replaced) {
    std::u16string result;
    result.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const char16_t c = text[at];
        std::size_t end = at + 1;
        if (isQuote(c)) {
            end = readQuoted(text, at).end;
        } else if (startsNumber(text, at)) {
            end = numberEnd(text, at);
        } else if (isNameStart(c)) {
            while (end < text.size() && isNameCharacter(text[end])) {
                ++end;
            }
            const std::u16string_view name = text.substr(at, end - at);
            const std::u16string* value = replacementFor(name);
            // "@name" is the indirect register a name stands for, as in "mov a,@ptr".
            const bool indirect = value == nullptr && name.size() > 1 && name[0] == u'@';
            if (indirect) {
                value = replacementFor(name.substr(1));
            }
            if (value != nullptr) {
                result += indirect ? u"@" + *value : *value;
                at = end;
                if (replaced != nullptr) {
                    *replaced = true;
                }
                continue;
            }
        }
        result.append(text.substr(at, end - at));
        at = end;
    }
    return result;
}

std::u16string replaceSpelling(std::u16string_view text, std::u16string_view spelling,
                               std::u16string_view value) {
    const bool nameAtStart = !spelling.empty() && isNameCharacter(spelling.front());
    const bool nameAtEnd = !spelling.empty() && isNameCharacter(spelling.back());
    std::u16string result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (isQuote(text[at])) {
            const std::size_t end = readQuoted(text, at).end;
            result.append(text.substr(at, end - at));
            at = end;
            continue;
        }
        const bool fits = at + spelling.size() <= text.size() &&
                          equalsIgnoringCase(text.substr(at, spelling.size()), spelling);
        const bool freeBefore = !nameAtStart || at == 0 || !isNameCharacter(text[at - 1]);
        const std::size_t after = at + spelling.size();
        const bool freeAfter = !nameAtEnd || after >= text.size() || !isNameCharacter(text[after]);
        if (!spelling.empty() && fits && freeBefore && freeAfter) {
            result += value;
            at = after;
            continue;
        }
        result.push_back(text[at++]);
    }
    return result;
}

} // namespace tovi
