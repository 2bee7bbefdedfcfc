#include "workbench/syntax_highlighter.h"

#include "assembler/number_literals.h"
#include "assembler/vocabulary.h"

namespace tovi {
namespace {

bool isSeparator(QChar c) {
    return c == u' ' || c == u'\t' || c == u',';
}

int skipSeparators(const QString& text, int from, int end) {
    while (from < end && isSeparator(text[from])) {
        ++from;
    }
    return from;
}

int wordEnd(const QString& text, int from, int end) {
    while (from < end && !isSeparator(text[from])) {
        ++from;
    }
    return from;
}

std::u16string_view viewOf(const QString& text, int start, int end) {
    return {reinterpret_cast<const char16_t*>(text.constData()) + start,
            static_cast<std::size_t>(end - start)};
}

QTextCharFormat coloured(const QColor& colour, bool bold = false, bool italic = false) {
    QTextCharFormat result;
    result.setForeground(colour);
    result.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    result.setFontItalic(italic);
    return result;
}

} // namespace

SyntaxHighlighter::SyntaxHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

QTextCharFormat SyntaxHighlighter::formatFor(SourceToken token) {
    switch (token) {
    case SourceToken::Comment:
        return coloured(QColor(0x5F, 0x7F, 0x5F), false, true);
    case SourceToken::Label:
        return coloured(QColor(0x8B, 0x45, 0x13), true);
    case SourceToken::Mnemonic:
        return coloured(QColor(0x00, 0x33, 0x99), true);
    case SourceToken::Directive:
        return coloured(QColor(0x80, 0x00, 0x80), true);
    case SourceToken::Register:
        return coloured(QColor(0x00, 0x6B, 0x6B));
    case SourceToken::Number:
        return coloured(QColor(0xA3, 0x15, 0x15));
    case SourceToken::Character:
        return coloured(QColor(0xB3, 0x59, 0x00));
    }
    return {};
}

// A line as the assembler splits it: a comment from the first ";", a label up
// to the first ":" (not the first character), a mnemonic, then operands.
void SyntaxHighlighter::highlightBlock(const QString& text) {
    const int comment = static_cast<int>(text.indexOf(u';'));
    const int end = comment < 0 ? static_cast<int>(text.size()) : comment;
    if (comment >= 0) {
        mark(comment, static_cast<int>(text.size()) - comment, SourceToken::Comment);
    }
    highlightStatement(text, skipSeparators(text, 0, end), end);
}

void SyntaxHighlighter::highlightStatement(const QString& text, int start, int end) {
    const int colon = static_cast<int>(text.indexOf(u':', start));
    if (colon > start && colon < end) {
        mark(start, colon + 1 - start, SourceToken::Label);
        start = skipSeparators(text, colon + 1, end);
    }
    const int mnemonicEnd = wordEnd(text, start, end);
    const int rest = skipSeparators(text, mnemonicEnd, end);
    // As for the assembler, a line without "," whose operands begin with "equ".
    const bool hasComma = text.indexOf(u',', start) >= 0 && text.indexOf(u',', start) < end;
    const bool isEquate =
        !hasComma && end - rest >= 3 && text.mid(rest, 3).compare(u"equ", Qt::CaseInsensitive) == 0;
    if (isEquate) {
        mark(start, mnemonicEnd - start, SourceToken::Label);
        mark(rest, 3, SourceToken::Directive);
        highlightOperands(text, rest + 3, end);
        return;
    }
    switch (kindOfWord(viewOf(text, start, mnemonicEnd))) {
    case WordKind::Mnemonic:
        mark(start, mnemonicEnd - start, SourceToken::Mnemonic);
        break;
    case WordKind::Directive:
        mark(start, mnemonicEnd - start, SourceToken::Directive);
        break;
    default:
        break;
    }
    highlightOperands(text, rest, end);
}

void SyntaxHighlighter::highlightOperands(const QString& text, int start, int end) {
    for (int word = skipSeparators(text, start, end); word < end;
         word = skipSeparators(text, wordEnd(text, word, end), end)) {
        const int wordStop = wordEnd(text, word, end);
        const std::u16string_view value = viewOf(text, word, wordStop);
        if (isCharLiteral(value) ||
            (value.size() == 4 && value[0] == u'#' && isCharLiteral(value.substr(1)))) {
            mark(word, wordStop - word, SourceToken::Character);
        } else if (isNumber(value)) {
            mark(word, wordStop - word, SourceToken::Number);
        } else if (kindOfWord(value) == WordKind::Register) {
            mark(word, wordStop - word, SourceToken::Register);
        }
    }
}

void SyntaxHighlighter::mark(int start, int length, SourceToken token) {
    setFormat(start, length, formatFor(token));
}

} // namespace tovi
