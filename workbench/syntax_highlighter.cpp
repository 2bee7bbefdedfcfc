#include "workbench/syntax_highlighter.h"

namespace tovi {
namespace {

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
    case SourceToken::String:
        return coloured(QColor(0x1F, 0x7A, 0x1F));
    case SourceToken::Operator:
        return coloured(QColor(0x55, 0x55, 0x55));
    }
    return {};
}

void SyntaxHighlighter::highlightBlock(const QString& text) {
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text.constData()),
                                   static_cast<std::size_t>(text.size()));
    for (const SourceSpan& span : spansOf(line)) {
        setFormat(static_cast<int>(span.start), static_cast<int>(span.length),
                  formatFor(span.token));
    }
}

} // namespace tovi
