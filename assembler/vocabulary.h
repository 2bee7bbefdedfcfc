#pragma once
// The source language as an editor colours it: each line split into the
// spans the assembler reads as a label, a mnemonic, a directive, a register,
// a number, a character, a string, an operator or a comment.

#include <cstddef>
#include <string_view>
#include <vector>

namespace tovi {

enum class SourceToken {
    Comment,
    Label,
    Mnemonic,
    Directive,
    Register,
    Number,
    Character,
    String,
    Operator,
};

struct SourceSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    SourceToken token = SourceToken::Comment;
};

// The coloured spans of one line, left to right; text between them has no colour.
std::vector<SourceSpan> spansOf(std::u16string_view line);

} // namespace tovi
