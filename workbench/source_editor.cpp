#include "workbench/source_editor.h"

#include "workbench/syntax_highlighter.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

namespace tovi {

// The strip left of the text; it paints what the editor tells it and reports clicks.
class Gutter : public QWidget {
public:
    explicit Gutter(SourceEditor* editor) : QWidget(editor), editor_(editor) {
        setObjectName(QStringLiteral("gutter"));
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override { return {editor_->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { editor_->paintGutter(event); }
    void mousePressEvent(QMouseEvent* event) override {
        const int line = editor_->lineAtGutterY(static_cast<int>(event->position().y()));
        if (line > 0 && event->button() == Qt::LeftButton) {
            emit editor_->gutterClicked(line);
        }
    }

private:
    SourceEditor* editor_;
};

namespace {

const QColor gutterBackground(0xEE, 0xEE, 0xEE);
const QColor lineNumberColour(0x80, 0x80, 0x80);
const QColor breakpointColour(0xC8, 0x20, 0x20);
const QColor executionColour(0xFF, 0xE6, 0x80);
const QColor arrowColour(0xD0, 0x8C, 0x00);
constexpr int markSpace = 16; // room for the breakpoint dot and the arrow

// The mark a block with a breakpoint carries; the block owns it.
class BreakpointMark : public QTextBlockUserData {};

bool isMarked(const QTextBlock& block) {
    return dynamic_cast<BreakpointMark*>(block.userData()) != nullptr;
}

QTextDocument::FindFlags flagsFor(bool matchCase) {
    return matchCase ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags();
}

} // namespace

SourceEditor::SourceEditor(QWidget* parent)
    : QPlainTextEdit(parent), gutter_(new Gutter(this)),
      highlighter_(new SyntaxHighlighter(document())) {
    connect(this, &QPlainTextEdit::blockCountChanged, this, &SourceEditor::updateGutterWidth);
    // The gutter holds only the visible lines' numbers and marks: it repaints whole.
    connect(this, &QPlainTextEdit::updateRequest, gutter_, qOverload<>(&QWidget::update));
    connect(document(), &QTextDocument::contentsChange, this,
            &SourceEditor::keepBreakpointWithItsText);
    updateGutterWidth();
}

void SourceEditor::goToLine(int line) {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid()) {
        return;
    }
    setTextCursor(QTextCursor(block));
    centerCursor();
    setFocus();
}

int SourceEditor::caretLine() const {
    return textCursor().blockNumber() + 1;
}

bool SourceEditor::hasBreakpoint(int line) const {
    return isMarked(document()->findBlockByNumber(line - 1));
}

void SourceEditor::setBreakpoint(int line, bool on) {
    QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid() || isMarked(block) == on) {
        return;
    }
    block.setUserData(on ? new BreakpointMark : nullptr);
    gutter_->update();
}

std::set<int> SourceEditor::breakpointLines() const {
    std::set<int> lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (isMarked(block)) {
            lines.insert(block.blockNumber() + 1);
        }
    }
    return lines;
}

// A block split keeps its mark on the first part, so text inserted at the
// start of a marked line would take the mark away from the line's own text,
// which now begins after the insertion.
void SourceEditor::keepBreakpointWithItsText(int position, int, int charsAdded) {
    QTextBlock first = document()->findBlock(position);
    QTextBlock own = document()->findBlock(position + charsAdded);
    if (charsAdded == 0 || first.position() != position || !isMarked(first) || own == first ||
        !own.isValid()) {
        return;
    }
    first.setUserData(nullptr);
    own.setUserData(new BreakpointMark);
}

void SourceEditor::setExecutionLine(int line) {
    if (line == executionLine_) {
        return;
    }
    executionLine_ = line;
    showExecutionLine();
    gutter_->update();
}

void SourceEditor::showExecutionLine() {
    QList<QTextEdit::ExtraSelection> selections;
    const QTextBlock block = document()->findBlockByNumber(executionLine_ - 1);
    if (executionLine_ > 0 && block.isValid()) {
        QTextEdit::ExtraSelection current;
        current.format.setBackground(executionColour);
        current.format.setProperty(QTextFormat::FullWidthSelection, true);
        current.cursor = QTextCursor(block);
        selections.append(current);
        // Kept in view without moving the user's caret.
        const QRectF area = blockBoundingGeometry(block).translated(contentOffset());
        if (area.top() < 0 || area.bottom() > viewport()->height()) {
            const int lineHeight = fontMetrics().height();
            verticalScrollBar()->setValue(
                std::max(0, block.firstLineNumber() - viewport()->height() / lineHeight / 2));
        }
    }
    setExtraSelections(selections);
}

bool SourceEditor::findNext(const QString& text, bool matchCase) {
    if (text.isEmpty()) {
        return false;
    }
    QTextCursor found = document()->find(text, textCursor(), flagsFor(matchCase));
    if (found.isNull()) {
        found = document()->find(text, 0, flagsFor(matchCase));
    }
    if (found.isNull()) {
        return false;
    }
    setTextCursor(found);
    return true;
}

bool SourceEditor::replaceNext(const QString& text, const QString& replacement, bool matchCase) {
    const Qt::CaseSensitivity sensitivity = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QTextCursor cursor = textCursor();
    const bool replaced =
        cursor.hasSelection() && cursor.selectedText().compare(text, sensitivity) == 0;
    if (replaced) {
        cursor.insertText(replacement);
        setTextCursor(cursor);
    }
    return findNext(text, matchCase) || replaced;
}

int SourceEditor::replaceAll(const QString& text, const QString& replacement, bool matchCase) {
    if (text.isEmpty()) {
        return 0;
    }
    int count = 0;
    QTextCursor edit(document());
    edit.beginEditBlock();
    for (QTextCursor found = document()->find(text, 0, flagsFor(matchCase)); !found.isNull();
         found = document()->find(text, found, flagsFor(matchCase))) {
        found.insertText(replacement);
        ++count;
    }
    edit.endEditBlock();
    return count;
}

int SourceEditor::gutterWidth() const {
    int digits = 1;
    for (int lines = std::max(1, blockCount()); lines >= 10; lines /= 10) {
        ++digits;
    }
    return markSpace + 6 + fontMetrics().horizontalAdvance(u'9') * std::max(3, digits);
}

void SourceEditor::paintGutter(QPaintEvent* event) {
    QPainter painter(gutter_);
    painter.fillRect(event->rect(), gutterBackground);
    painter.setRenderHint(QPainter::Antialiasing);
    const int lineHeight = fontMetrics().height();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const int top =
            static_cast<int>(blockBoundingGeometry(block).translated(contentOffset()).top());
        if (top > event->rect().bottom()) {
            break;
        }
        const int line = block.blockNumber() + 1;
        if (isMarked(block)) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(breakpointColour);
            painter.drawEllipse(QPointF(markSpace / 2.0, top + lineHeight / 2.0), 5, 5);
        }
        if (line == executionLine_) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(arrowColour);
            const qreal middle = top + lineHeight / 2.0;
            painter.drawPolygon(
                QPolygonF({QPointF(3, middle - 4), QPointF(13, middle), QPointF(3, middle + 4)}));
        }
        painter.setPen(lineNumberColour);
        painter.drawText(markSpace, top, gutter_->width() - markSpace - 4, lineHeight,
                         Qt::AlignRight, QString::number(line));
    }
}

void SourceEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    gutter_->setGeometry(area.left(), area.top(), gutterWidth(), area.height());
}

// Ctrl+Y redoes, beside the platform's own redo keys.
void SourceEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) {
        redo();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void SourceEditor::updateGutterWidth() {
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

int SourceEditor::lineAtGutterY(int y) const {
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF area = blockBoundingGeometry(block).translated(contentOffset());
        if (y >= area.top() && y < area.bottom()) {
            return block.blockNumber() + 1;
        }
        if (area.top() > y) {
            break;
        }
    }
    return 0;
}

} // namespace tovi
