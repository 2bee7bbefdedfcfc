#pragma once
// The source editor: a plain-text editor with a gutter for line numbers,
// breakpoint marks and the marker of the current instruction, syntax colours,
// search and replace, and Ctrl+Y as a second redo key. A breakpoint belongs to
// its line's text: it moves with the line while editing and goes when the
// line is deleted or another text is set.

#include <QPlainTextEdit>

#include <set>

namespace tovi {

class SyntaxHighlighter;

class SourceEditor : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit SourceEditor(QWidget* parent = nullptr);

    // Lines count from 1, as the status list names them.
    void goToLine(int line);
    int caretLine() const;

    bool hasBreakpoint(int line) const;
    void setBreakpoint(int line, bool on);
    // The lines that carry a breakpoint now.
    std::set<int> breakpointLines() const;
    // The line of the instruction the simulator stands at, marked and kept in
    // view; 0 for none.
    void setExecutionLine(int line);
    int executionLine() const { return executionLine_; }

    // The next match after the caret, wrapping to the start; false when the
    // text holds none.
    bool findNext(const QString& text, bool matchCase);
    // Replaces the selection when it is a match, then finds the next one.
    bool replaceNext(const QString& text, const QString& replacement, bool matchCase);
    // Replaces every match as one undoable step; returns how many.
    int replaceAll(const QString& text, const QString& replacement, bool matchCase);

    int gutterWidth() const;
    void paintGutter(QPaintEvent* event);

signals:
    // A click into the gutter beside `line`.
    void gutterClicked(int line);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateGutterWidth();
    void showExecutionLine();
    void keepBreakpointWithItsText(int position, int charsRemoved, int charsAdded);
    int lineAtGutterY(int y) const;

    QWidget* gutter_;
    SyntaxHighlighter* highlighter_;
    int executionLine_ = 0;

    friend class Gutter;
};

} // namespace tovi
