#pragma once
// Colours the source as the assembler reads it: comments, labels, mnemonics,
// directives, registers, numbers, characters, strings and operators.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include "assembler/vocabulary.h"

namespace tovi {

class SyntaxHighlighter : public QSyntaxHighlighter {
public:
    explicit SyntaxHighlighter(QTextDocument* document);

    // The format each kind of token is shown in, readable on a light background.
    static QTextCharFormat formatFor(SourceToken token);

protected:
    void highlightBlock(const QString& text) override;
};

} // namespace tovi
