#pragma once
// The caret's line and column in field 0 of the status bar, sampled by the
// 200 ms timer rather than on every key.

class QLabel;
class QPlainTextEdit;
class QTextCursor;

namespace tovi {

struct CaretPosition {
    int line = 1;
    int column = 1;

    bool operator==(const CaretPosition&) const = default;
};

// Line of the selection's start, column measured from that line's first
// character to the selection's end, both counted from 1. A line end counts as
// one position, so a selection over several lines can give a column beyond
// its first line's length.
CaretPosition caretPositionOf(const QTextCursor& cursor);

class CaretField {
public:
    CaretField(const QPlainTextEdit& editor, QLabel& field);

    // Samples the editor and rewrites the field only when the position changed.
    void update();

private:
    const QPlainTextEdit& editor_;
    QLabel& field_;
    CaretPosition caret_;
    CaretPosition shown_;
};

} // namespace tovi
