#pragma once
// Colours the source as the assembler reads it: comments, labels, mnemonics,
// directives, registers, numbers and character literals.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tovi {

enum class SourceToken { Comment, Label, Mnemonic, Directive, Register, Number, Character };

class SyntaxHighlighter : public QSyntaxHighlighter {
public:
    explicit SyntaxHighlighter(QTextDocument* document);

    // The format each kind of token is shown in, readable on a light background.
    static QTextCharFormat formatFor(SourceToken token);

protected:
    void highlightBlock(const QString& text) override;

private:
    void highlightStatement(const QString& text, int start, int end);
    void highlightOperands(const QString& text, int start, int end);
    void mark(int start, int length, SourceToken token);
};

} // namespace tovi
