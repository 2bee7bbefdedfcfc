// The caret field, the editor's popup menu and clipboard commands, and the
// following of child window positions and sizes.

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// A selection given by line and column (both from 1) of its anchor and end.
struct CaretRow {
    const char* name;
    QString text;
    int anchorLine, anchorColumn, endLine, endColumn;
    QString expected;
};

class CaretFieldTest : public WorkbenchTest, public ::testing::WithParamInterface<CaretRow> {
protected:
    int positionOf(int line, int column) {
        return editor()->document()->findBlockByNumber(line - 1).position() + column - 1;
    }
};

TEST_P(CaretFieldTest, FieldShowsLineOfTheStartAndColumnOfTheEnd) {
    start();
    editor()->setPlainText(GetParam().text);
    select(positionOf(GetParam().anchorLine, GetParam().anchorColumn),
           positionOf(GetParam().endLine, GetParam().endColumn));
    EXPECT_TRUE(QTest::qWaitFor([&] { return caretField() == GetParam().expected; }, 1000))
        << caretField().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CaretFieldTest,
    ::testing::Values(CaretRow{"AfterThirdCharacterOfLine12", QString("abcdefgh\n").repeated(20),
                               12, 4, 12, 4, "Zeile: 12, Spalte: 4"},
                      CaretRow{"AcrossALineEnd", QString("abcdefghij\n").repeated(5), 3, 5, 4, 2,
                               "Zeile: 3, Spalte: 13"},
                      CaretRow{"BackwardSelection", QString("abcdefghij\n").repeated(5), 4, 2, 3, 5,
                               "Zeile: 3, Spalte: 13"},
                      CaretRow{"TabCountsAsOneColumn", "\t\tNOP", 1, 4, 1, 4,
                               "Zeile: 1, Spalte: 4"}),
    byName);

class EditorAidsTest : public WorkbenchTest {};

// The field shows 0/0 until the caret leaves line 1, column 1, and then
// follows the editor's caret only, wherever the focus goes.
TEST_F(EditorAidsTest, FieldFollowsTheEditorsCaretOnceItHasMoved) {
    start();
    QTest::qWait(450);
    EXPECT_EQ(caretField(), "Zeile: 0, Spalte: 0");
    type("ab");
    ASSERT_TRUE(QTest::qWaitFor([&] { return caretField() == "Zeile: 1, Spalte: 3"; }, 1000));
    QTest::mouseClick(statusList()->viewport(), Qt::LeftButton);
    QTest::qWait(450);
    EXPECT_EQ(caretField(), "Zeile: 1, Spalte: 3");
    QTest::keyClick(editor(), Qt::Key_Home);
    EXPECT_TRUE(QTest::qWaitFor([&] { return caretField() == "Zeile: 1, Spalte: 1"; }, 1000));
}

struct PopupRow {
    const char* name;
    const char* widget;
    QContextMenuEvent::Reason reason;
    bool opens;
};

class PopupTest : public WorkbenchTest, public ::testing::WithParamInterface<PopupRow> {};

TEST_P(PopupTest, PopupOpensOnlyInTheEditorAtTheMousePointer) {
    start();
    auto* popup = child<QMenu>("editorPopup");
    auto* area = child<QAbstractScrollArea>(GetParam().widget);
    // The mouse asks on the viewport, the menu key on the widget itself.
    QWidget* target = GetParam().reason == QContextMenuEvent::Mouse ? area->viewport() : area;
    QContextMenuEvent request(GetParam().reason, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &request);
    EXPECT_EQ(popup->isVisible(), GetParam().opens);
    if (popup->isVisible()) {
        EXPECT_EQ(popup->pos(), QCursor::pos() - QPoint(1, 1));
    }
    while (QWidget* open = QApplication::activePopupWidget()) {
        open->close();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Widgets, PopupTest,
    ::testing::Values(PopupRow{"EditorByMouse", "sourceEditor", QContextMenuEvent::Mouse, true},
                      PopupRow{"EditorByKey", "sourceEditor", QContextMenuEvent::Keyboard, true},
                      PopupRow{"StatusList", "statusList", QContextMenuEvent::Mouse, false}),
    byName);

TEST_F(EditorAidsTest, PopupHoldsCutCopyAndPasteActingOnTheEditorWhereverTheFocusIs) {
    start();
    QStringList items;
    for (const QAction* item : child<QMenu>("editorPopup")->actions()) {
        items << item->text();
        EXPECT_FALSE(item->icon().isNull());
    }
    EXPECT_EQ(items, (QStringList{"Ausschneiden", "Kopieren", "Einfügen"}));
    type("ORG 0");
    statusList()->setFocus();
    select(0, 3);
    trigger("Cut");
    EXPECT_EQ(editor()->toPlainText(), " 0");
    editor()->moveCursor(QTextCursor::End);
    trigger("Paste");
    select(0, 2);
    trigger("Copy");
    editor()->moveCursor(QTextCursor::End);
    trigger("Paste");
    EXPECT_EQ(editor()->toPlainText(), " 0ORG 0");
}

TEST_F(EditorAidsTest, ChildWindowsOpenInTheBuiltInLayoutAndAreTrackedAsTheyChange) {
    MainWindow& window = start();
    Settings builtIn;
    setDefaultWindowRects(builtIn);
    EXPECT_EQ(window.size(), QSize(800, 600));
    for (int n = 1; n <= 3; ++n) {
        const auto index = static_cast<std::size_t>(n);
        QMdiSubWindow* child = childWindow(n);
        EXPECT_EQ(innerRect(child), builtIn.windowRects[index]) << n;
        child->move(30 * n, 20 * n);
        child->resize(child->width() + 40, child->height() + 25);
        EXPECT_EQ(child->widget()->geometry(), child->contentsRect()) << n;
        EXPECT_EQ(window.settings().windowRects[index], innerRect(child)) << n;
    }
    // Out of sight, a window keeps its place and the workspace can scroll to it.
    childWindow(3)->move(900, 0);
    EXPECT_EQ(window.settings().windowRects[3].x, 900);
    auto* workspace = child<QMdiArea>("workspace");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return workspace->horizontalScrollBar()->isVisible(); }, 1000));
}

struct SmallRectRow {
    const char* name;
    WindowRect stored;
    bool usable;
};

class SmallWindowTest : public WorkbenchTest, public ::testing::WithParamInterface<SmallRectRow> {};

TEST_P(SmallWindowTest, UnusablySmallWindowOpensWithTheBuiltInRectangle) {
    Settings builtIn;
    setDefaultWindowRects(builtIn);
    storeSettings([](Settings& stored) { stored.windowRects[statusWindow] = GetParam().stored; });
    start();
    EXPECT_EQ(innerRect(childWindow(statusWindow)),
              GetParam().usable ? GetParam().stored : builtIn.windowRects[statusWindow]);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmallWindowTest,
                         ::testing::Values(SmallRectRow{"Narrow", {10, 10, 99, 200}, false},
                                           SmallRectRow{"Low", {10, 10, 200, 49}, false},
                                           SmallRectRow{"Smallest", {10, 10, 100, 50}, true}),
                         byName);

} // namespace
} // namespace tovi::test
