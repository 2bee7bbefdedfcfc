#include "assembler/vocabulary.h"

#include "assembler/directives.h"
#include "assembler/expression.h"
#include "assembler/instruction_forms.h"
#include "assembler/number_literals.h"
#include "assembler/quoted_text.h"
#include "common/text.h"

namespace tovi {
namespace {

enum class WordKind { Mnemonic, Directive, Register, Operator, Other };

constexpr std::u16string_view wordOperators[] = {
    u"not", u"mod", u"shl", u"shr", u"and", u"xor", u"or", u"high",
    u"low", u"eq",  u"ne",  u"lt",  u"le",  u"gt",  u"ge",
};
constexpr std::u16string_view operatorCharacters = u"+-*/~!&|^<>=()"; // && and || too

WordKind kindOf(std::u16string_view word) {
    if (!formsOf(word).empty()) {
        return WordKind::Mnemonic;
    }
    if (directiveOf(word) != Directive::None) {
        return WordKind::Directive;
    }
    if (operandKeyword(word) != mcs48::Operand::None) {
        return WordKind::Register;
    }
    const std::u16string lower = toLowerCase(word);
    for (const std::u16string_view op : wordOperators) {
        if (lower == op) {
            return WordKind::Operator;
        }
    }
    return WordKind::Other;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::size_t skipBlanks(std::u16string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    return at;
}

std::size_t wordEnd(std::u16string_view text, std::size_t at) {
    while (at < text.size() && !isBlank(text[at]) && text[at] != u',') {
        ++at;
    }
    return at;
}

bool isDefinitionWord(std::u16string_view word) {
    if (word == u"=") {
        return true;
    }
    const Directive directive = directiveOf(word);
    return directive == Directive::Equate || directive == Directive::Set ||
           directive == Directive::Macro;
}

class LineSpans {
public:
    explicit LineSpans(std::u16string_view line) : line_(line) {}

    std::vector<SourceSpan> split() {
        const std::size_t comment = findOutsideQuotes(line_, u';');
        const std::u16string_view code = line_.substr(0, comment);
        statement(code, label(code));
        if (comment != std::u16string_view::npos) {
            add(comment, line_.size() - comment, SourceToken::Comment);
        }
        return spans_;
    }

private:
    // Where the statement begins after a label: one up to ":", or a word in
    // the first column that is nothing the language knows.
    std::size_t label(std::u16string_view code) {
        const std::size_t start = skipBlanks(code, 0);
        const std::size_t colon = labelColon(code);
        if (colon != std::u16string_view::npos && colon > start) {
            add(start, colon + 1 - start, SourceToken::Label);
            return skipBlanks(code, colon + 1);
        }
        const std::size_t end = wordEnd(code, start);
        const std::u16string_view word = code.substr(start, end - start);
        const std::size_t next = skipBlanks(code, end);
        const std::u16string_view second = code.substr(next, wordEnd(code, next) - next);
        if (start == 0 && isName(word) && kindOf(word) == WordKind::Other &&
            !isDefinitionWord(second)) {
            add(0, end, SourceToken::Label);
            return next;
        }
        return start;
    }

    void statement(std::u16string_view code, std::size_t start) {
        const std::size_t end = wordEnd(code, start);
        const std::size_t next = skipBlanks(code, end);
        const std::size_t secondEnd = wordEnd(code, next);
        if (end > start && isDefinitionWord(code.substr(next, secondEnd - next))) {
            add(start, end - start, SourceToken::Label);
            add(next, secondEnd - next,
                code[next] == u'=' ? SourceToken::Operator : SourceToken::Directive);
            return operands(code, secondEnd);
        }
        const WordKind kind = kindOf(code.substr(start, end - start));
        if (kind == WordKind::Mnemonic || kind == WordKind::Directive) {
            add(start, end - start,
                kind == WordKind::Mnemonic ? SourceToken::Mnemonic : SourceToken::Directive);
        }
        operands(code, end);
    }

    void operands(std::u16string_view code, std::size_t at) {
        while (at < code.size()) {
            at = token(code, at);
        }
    }

    // Colours the token at `at`; returns where the next one may begin.
    std::size_t token(std::u16string_view code, std::size_t at) {
        const char16_t c = code[at];
        const bool hash = c == u'#' && at + 1 < code.size();
        const std::size_t from = hash ? at + 1 : at;
        const char16_t first = code[from];
        if (isQuote(first)) {
            const QuotedText quoted = readQuoted(code, from);
            add(at, quoted.end - at,
                quoted.content.size() == 1 ? SourceToken::Character : SourceToken::String);
            return quoted.end;
        }
        std::size_t end = from;
        while (end < code.size() &&
               (isNameCharacter(code[end]) || code[end] == u'$' || code[end] == u'%')) {
            ++end;
        }
        const std::u16string_view word = code.substr(from, end - from);
        if (!word.empty() && (numberValue(word) || isNumber(word))) {
            add(at, end - at, SourceToken::Number);
            return end;
        }
        if (!word.empty()) {
            const WordKind kind = kindOf(word);
            if (kind == WordKind::Register || kind == WordKind::Operator) {
                add(from, end - from,
                    kind == WordKind::Register ? SourceToken::Register : SourceToken::Operator);
            }
            return end;
        }
        if (operatorCharacters.find(c) != std::u16string_view::npos) {
            add(at, 1, SourceToken::Operator);
        }
        return at + 1;
    }

    void add(std::size_t start, std::size_t length, SourceToken token) {
        spans_.push_back({start, length, token});
    }

    std::u16string_view line_;
    std::vector<SourceSpan> spans_;
};

} // namespace

std::vector<SourceSpan> spansOf(std::u16string_view line) {
    return LineSpans(line).split();
}

} // namespace tovi
