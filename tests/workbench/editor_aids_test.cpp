// The caret field, the editor's popup menu and the following of window
// positions and sizes.

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>

#include "workbench/caret_field.h"
#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// A selection given by line and column (both from 1) of its anchor and end.
struct CaretRow {
    const char* name;
    QString text;
    int startLine, startColumn, endLine, endColumn;
    QString expected;
};

void PrintTo(const CaretRow& row, std::ostream* out) {
    *out << row.name;
}

int positionOf(const QTextDocument& document, int line, int column) {
    return document.findBlockByNumber(line - 1).position() + column - 1;
}

QString numberedLines(int count, int length) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines << QString(length, QChar(static_cast<char16_t>(u'a' + i % 26)));
    }
    return lines.join(u'\n');
}

class CaretFieldTest : public WorkbenchTest, public ::testing::WithParamInterface<CaretRow> {};

TEST_P(CaretFieldTest, FieldShowsLineOfTheStartAndColumnOfTheEnd) {
    start();
    editor()->setPlainText(GetParam().text);
    QTextCursor cursor(editor()->document());
    cursor.setPosition(
        positionOf(*editor()->document(), GetParam().startLine, GetParam().startColumn));
    cursor.setPosition(positionOf(*editor()->document(), GetParam().endLine, GetParam().endColumn),
                       QTextCursor::KeepAnchor);
    editor()->setTextCursor(cursor);
    EXPECT_TRUE(QTest::qWaitFor([&] { return caretField() == GetParam().expected; }, 1000))
        << caretField().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CaretFieldTest,
    ::testing::Values(
        CaretRow{"AfterThirdCharacterOfLine12", numberedLines(20, 8), 12, 4, 12, 4,
                 "Zeile: 12, Spalte: 4"},
        CaretRow{"AcrossALineEnd", numberedLines(5, 10), 3, 5, 4, 2, "Zeile: 3, Spalte: 13"},
        CaretRow{"BackwardSelection", numberedLines(5, 10), 4, 2, 3, 5, "Zeile: 3, Spalte: 13"},
        CaretRow{"TabCountsAsOneColumn", "\t\tNOP", 1, 4, 1, 4, "Zeile: 1, Spalte: 4"}),
    [](const auto& info) { return std::string(info.param.name); });

class EditorAidsTest : public WorkbenchTest {};

TEST_F(EditorAidsTest, FieldChangesOnlyWhenTheCaretLeavesItsFirstPlace) {
    start();
    QTest::qWait(450);
    EXPECT_EQ(caretField(), "Zeile: 0, Spalte: 0") << "the caret stands at line 1, column 1";
    type("N");
    ASSERT_TRUE(QTest::qWaitFor([&] { return caretField() == "Zeile: 1, Spalte: 2"; }, 1000));
    QTest::keyClick(editor(), Qt::Key_Home);
    EXPECT_TRUE(QTest::qWaitFor([&] { return caretField() == "Zeile: 1, Spalte: 1"; }, 1000));
}

TEST_F(EditorAidsTest, FieldIsRewrittenOnlyWhenThePositionChanged) {
    start();
    QPlainTextEdit editor;
    QLabel field("untouched");
    CaretField caret(editor, field);
    caret.update();
    EXPECT_EQ(field.text(), "untouched");
    editor.setPlainText("NOP");
    editor.moveCursor(QTextCursor::End);
    caret.update();
    EXPECT_EQ(field.text(), "Zeile: 1, Spalte: 4");
    field.setText("untouched");
    caret.update();
    EXPECT_EQ(field.text(), "untouched");
}

TEST_F(EditorAidsTest, ClickingIntoTheStatusListKeepsTheEditorsCaretInTheField) {
    start();
    type("ab");
    ASSERT_TRUE(QTest::qWaitFor([&] { return caretField() == "Zeile: 1, Spalte: 3"; }, 1000));
    QTest::mouseClick(statusList()->viewport(), Qt::LeftButton);
    QTest::qWait(450);
    EXPECT_EQ(caretField(), "Zeile: 1, Spalte: 3");
}

// Sends a context-menu request as the mouse or the menu key would.
void requestContextMenu(QWidget* target, QContextMenuEvent::Reason reason) {
    QContextMenuEvent request(reason, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &request);
}

struct PopupRow {
    const char* name;
    const char* widget;
    bool viewport;
    QContextMenuEvent::Reason reason;
    bool opens;
};

void PrintTo(const PopupRow& row, std::ostream* out) {
    *out << row.name;
}

class PopupTest : public WorkbenchTest, public ::testing::WithParamInterface<PopupRow> {};

TEST_P(PopupTest, PopupOpensOnlyInTheEditor) {
    start();
    auto* popup = child<QMenu>("editorPopup");
    auto* target = child<QAbstractScrollArea>(GetParam().widget);
    requestContextMenu(GetParam().viewport ? target->viewport() : target, GetParam().reason);
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
    ::testing::Values(
        PopupRow{"EditorByMouse", "sourceEditor", true, QContextMenuEvent::Mouse, true},
        PopupRow{"EditorByKey", "sourceEditor", false, QContextMenuEvent::Keyboard, true},
        PopupRow{"StatusList", "statusList", true, QContextMenuEvent::Mouse, false},
        PopupRow{"ObjectCodeList", "objectCodeList", true, QContextMenuEvent::Mouse, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorAidsTest, PopupHoldsCutCopyAndPaste) {
    start();
    QStringList items;
    for (const QAction* item : child<QMenu>("editorPopup")->actions()) {
        items << item->text();
        EXPECT_FALSE(item->icon().isNull());
    }
    EXPECT_EQ(items, (QStringList{"Ausschneiden", "Kopieren", "Einfügen"}));
}

TEST_F(EditorAidsTest, ClipboardCommandsActOnTheEditorWhereverTheFocusIs) {
    start();
    type("ORG 0");
    statusList()->setFocus();
    QTextCursor selection = editor()->textCursor();
    selection.setPosition(0);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    editor()->setTextCursor(selection);
    commandAction("Cut")->trigger();
    EXPECT_EQ(editor()->toPlainText(), " 0");
    editor()->moveCursor(QTextCursor::End);
    commandAction("Paste")->trigger();
    EXPECT_EQ(editor()->toPlainText(), " 0ORG");
    selection = editor()->textCursor();
    selection.setPosition(0);
    selection.setPosition(2, QTextCursor::KeepAnchor);
    editor()->setTextCursor(selection);
    commandAction("Copy")->trigger();
    editor()->moveCursor(QTextCursor::End);
    commandAction("Paste")->trigger();
    EXPECT_EQ(editor()->toPlainText(), " 0ORG 0");
}

TEST_F(EditorAidsTest, CuttingWithoutSelectionChangesNothing) {
    start();
    type("NOP");
    commandAction("Cut")->trigger();
    EXPECT_EQ(editor()->toPlainText(), "NOP");
}

WindowRect innerRect(QMdiSubWindow* window) {
    return {window->x(), window->y(), window->widget()->width(), window->widget()->height()};
}

WindowRect rectOf(MainWindow& window, int n) {
    return window.settings().windowRects[static_cast<std::size_t>(n)];
}

TEST_F(EditorAidsTest, FirstStartOpensTheBuiltInLayout) {
    MainWindow& window = start();
    Settings builtIn;
    setDefaultWindowRects(builtIn);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(innerRect(childWindow(n)), builtIn.windowRects[static_cast<std::size_t>(n)]) << n;
        EXPECT_EQ(rectOf(window, n), builtIn.windowRects[static_cast<std::size_t>(n)]) << n;
    }
    EXPECT_EQ(window.size(), QSize(800, 600));
}

TEST_F(EditorAidsTest, ResizedChildWindowIsFilledByItsWidgetAndTracked) {
    MainWindow& window = start();
    for (int n = 1; n <= 3; ++n) {
        QMdiSubWindow* child = childWindow(n);
        child->move(30 * n, 20 * n);
        child->resize(child->width() + 40, child->height() + 25);
        const QRect inside = child->contentsRect();
        EXPECT_EQ(child->widget()->geometry(), inside) << n;
        EXPECT_EQ(rectOf(window, n), innerRect(child)) << n;
    }
}

TEST_F(EditorAidsTest, WindowsReopenWhereTheyWereLeft) {
    start();
    std::array<WindowRect, 4> left{};
    for (int n = 1; n <= 3; ++n) {
        QMdiSubWindow* child = childWindow(n);
        child->move(10 + 50 * n, 5 + 30 * n);
        child->resize(250 + 10 * n, 150 + 20 * n);
        left[static_cast<std::size_t>(n)] = innerRect(child);
    }
    window().resize(700, 500);
    MainWindow& again = restart();
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(innerRect(childWindow(n)), left[static_cast<std::size_t>(n)]) << n;
    }
    EXPECT_EQ(again.size(), QSize(700, 500));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(again.pos(),
              screen.topLeft() + QPoint((screen.width() - 700) / 2, (screen.height() - 500) / 2));
}

TEST_F(EditorAidsTest, ChildWindowMovedOutOfSightKeepsItsPositionAndShowsScrollBars) {
    MainWindow& window = start();
    childWindow(3)->move(900, 0);
    EXPECT_EQ(rectOf(window, 3).x, 900);
    auto* workspace = child<QMdiArea>("workspace");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return workspace->horizontalScrollBar()->isVisible(); }, 1000));
}

struct SmallRectRow {
    const char* name;
    WindowRect stored;
    bool usable;
};

void PrintTo(const SmallRectRow& row, std::ostream* out) {
    *out << row.name;
}

class SmallWindowTest : public WorkbenchTest, public ::testing::WithParamInterface<SmallRectRow> {};

TEST_P(SmallWindowTest, UnusablySmallWindowOpensWithTheBuiltInRectangle) {
    Settings stored;
    setDefaultWindowRects(stored);
    const WindowRect builtIn = stored.windowRects[statusWindow];
    stored.windowRects[statusWindow] = GetParam().stored;
    writeFile("tovi.ini", settingsFileContent(stored));
    start();
    EXPECT_EQ(innerRect(childWindow(statusWindow)),
              GetParam().usable ? GetParam().stored : builtIn);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmallWindowTest,
                         ::testing::Values(SmallRectRow{"Zeros", {0, 0, 0, 0}, false},
                                           SmallRectRow{"Narrow", {10, 10, 99, 200}, false},
                                           SmallRectRow{"Low", {10, 10, 200, 49}, false},
                                           SmallRectRow{"Smallest", {10, 10, 100, 50}, true},
                                           SmallRectRow{"Negative", {10, 10, -300, 200}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorAidsTest, MainWindowWithoutUsableSizeOpensWithTheBuiltInSize) {
    Settings stored;
    writeFile("tovi.ini", settingsFileContent(stored));
    MainWindow& window = start();
    EXPECT_EQ(window.size(), QSize(800, 600));
}

} // namespace
} // namespace tovi::test
