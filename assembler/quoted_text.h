#pragma once
// Quoted text in a source line: in single or double quotes, a doubled quote
// standing for the quote itself. Three single quotes in a row are the
// character constant for the quote, as sources have always written it.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tovi {

struct QuotedText {
    std::u16string content;
    std::size_t end = 0; // just past the closing quote, or the text's end
    bool closed = false;
};

// The quoted text that opens at `open` (a ' or ").
QuotedText readQuoted(std::u16string_view text, std::size_t open);

bool isQuote(char16_t c);

// The position of the first `wanted` outside quoted text, or npos.
std::size_t findOutsideQuotes(std::u16string_view text, char16_t wanted, std::size_t from = 0);

// The position of the ":" that ends a label: the first outside quotes and
// parentheses ("$include(:f1:x.inc)" has none), or npos.
std::size_t labelColon(std::u16string_view text);

// The text before its comment (the first ";" outside quotes).
std::u16string_view withoutComment(std::u16string_view line);

// Blanks removed at both ends.
std::u16string_view trimmed(std::u16string_view text);

// The items of a list separated by "," outside quotes and parentheses,
// trimmed; an empty text is an empty list.
std::vector<std::u16string_view> listItems(std::u16string_view text);

// The text with every name outside quotes (a whole word, not part of a
// number or a longer name) replaced by what `replacementFor` gives for it;
// nullptr keeps the name. `replaced` (when given) is set when one was.
using NameReplacement = std::function<const std::u16string*(std::u16string_view name)>;
std::u16string replaceNames(std::u16string_view text, const NameReplacement& replacementFor,
                            bool* replaced = nullptr);

// The text with each occurrence outside quotes of `spelling` (compared
// without regard to case) that stands as a word of its own replaced by `value`.
std::u16string replaceSpelling(std::u16string_view text, std::u16string_view spelling,
                               std::u16string_view value);

} // namespace tovi
