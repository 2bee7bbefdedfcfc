#include "workbench/caret_field.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace tovi {

CaretPosition caretPositionOf(const QTextCursor& cursor) {
    const QTextBlock line = cursor.document()->findBlock(cursor.selectionStart());
    return {line.blockNumber() + 1, cursor.selectionEnd() - line.position() + 1};
}

CaretField::CaretField(const QPlainTextEdit& editor, QLabel& field)
    : editor_(editor), field_(field) {}

void CaretField::update() {
    caret_ = caretPositionOf(editor_.textCursor());
    if (caret_ == shown_) {
        return;
    }
    shown_ = caret_;
    field_.setText(QStringLiteral("Zeile: %1, Spalte: %2").arg(caret_.line).arg(caret_.column));
}

} // namespace tovi
