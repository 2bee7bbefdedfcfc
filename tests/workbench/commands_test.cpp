// The command table as the window offers it: menus, toolbar, pictures and keys; the window as it
// opens, its window menu and close boxes; the caret field and the editor's popup menu.

#include "workbench/icons.h"
#include "workbench_fixture.h"

namespace tovi::test {
namespace {

using CommandsTest = WorkbenchTest;

// Takes the shortcut events a key sends to the window's commands, so that the test learns which
// command a key reaches without running it.
class KeyCatcher : public QObject {
public:
    QObject* reached = nullptr;
    bool ambiguous = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Shortcut) {
            return false;
        }
        reached = watched;
        ambiguous = static_cast<QShortcutEvent*>(event)->isAmbiguous();
        return true;
    }
};

// Every command of the table is in a menu (or the editor's popup), on the toolbar when it has a
// tooltip, and its key reaches it alone while it is enabled; every picture is drawn, each its own.
TEST_F(CommandsTest, EveryCommandIsReachableAndEveryPictureItsOwn) {
    MainWindow& main = start();
    QList<QAction*> inMenus = child<QMenu>("editorPopup")->actions();
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        emit menu->aboutToShow();
        for (QAction* entry : menu->actions()) {
            inMenus << entry;
            if (entry->menu() != nullptr) {
                walk(entry->menu());
            }
        }
    };
    for (QAction* top : main.menuBar()->actions()) {
        walk(top->menu());
    }
    const QList<QAction*> buttons = child<QToolBar>("toolBar")->actions();
    EXPECT_FALSE(child<QToolBar>("toolBar")->isMovable());
    KeyCatcher keys;
    for (QAction* action : main.actions()) {
        action->installEventFilter(&keys);
    }
    for (const Command& command : commandTable) {
        const std::string name(command.name);
        auto* action = child<QAction>(name.c_str());
        EXPECT_TRUE(inMenus.contains(action)) << name;
        EXPECT_EQ(buttons.contains(action), !command.toolTip.empty()) << name;
        if (command.key != noKey) {
            keys.reached = nullptr;
            QTest::keyClick(editor(), command.key.key(), command.key.keyboardModifiers());
            EXPECT_EQ(keys.reached, action->isEnabled() ? action : nullptr) << name;
            EXPECT_FALSE(keys.ambiguous) << name;
        }
    }
    QList<QImage> pictures;
    for (int role = static_cast<int>(IconRole::New); role <= static_cast<int>(IconRole::Reset);
         ++role) {
        const QImage picture = iconPixmap(static_cast<IconRole>(role)).toImage();
        QImage blank(picture.size(), picture.format());
        blank.fill(Qt::transparent);
        EXPECT_FALSE(picture.isNull() || picture == blank || pictures.contains(picture)) << role;
        pictures << picture;
    }
}

// With only blanks to assemble and nothing to upload, each key shows its own
// "Hinweis" box, which tells that the key reached its command, and nothing else.
TEST_F(CommandsTest, FunctionKeysReachTheirCommandsWhereverTheFocusIs) {
    start();
    editor()->setPlainText("   ");
    for (const char* focus : {"sourceEditor", "statusList", "objectCodeList"}) {
        child(focus)->setFocus();
        ASSERT_TRUE(child(focus)->hasFocus());
        QTest::keyClick(child(focus), Qt::Key_F5);
        QTest::keyClick(child(focus), Qt::Key_F6);
        EXPECT_EQ(calls, (QStringList{"Hinweis: Es gibt nichts zu assemblieren.",
                                      "Hinweis: Es gibt nichts zu emulieren."}))
            << focus;
        calls.clear();
    }
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    EXPECT_EQ(child<QListWidget>("objectCodeList")->count(), 1);
    QString dialog; // the settings entry opens the emulator's dialog
    QTimer::singleShot(0, [&dialog] {
        dialog = QApplication::activeModalWidget()->windowTitle();
        QApplication::activeModalWidget()->close();
    });
    trigger("EmulatorDialog");
    EXPECT_EQ(dialog, "EPROM Emulator");
}

// The window as it opens; "Info" shows the name, the version and the keys, the
// close boxes change nothing, a window list entry brings its window to the
// front only, and the clipboard commands act on the editor wherever the focus is.
TEST_F(CommandsTest, WindowMenuAndCloseBoxesChangeNothingButTheActiveWindow) {
    MainWindow& main = start();
    auto* status = child<QPlainTextEdit>("statusList");
    EXPECT_EQ(main.windowTitle() + " " + label("fileField"), "Tovi Datei: keine");
    const QFontMetrics metrics(editor()->font());
    EXPECT_EQ(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W')); // fixed width
    EXPECT_EQ(child("objectCodeList")->font(), editor()->font());
    EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(status->lineWrapMode(), QPlainTextEdit::NoWrap);
    QTest::keyClicks(status, "abc"); // the list is read-only
    run("Type");
    editor()->selectAll();
    QMenu* windows = main.menuBar()->actions().last()->menu();
    emit windows->aboutToShow();
    EXPECT_TRUE(windows->actions().at(2)->isChecked());       // "Quelle" is active at start
    QImage none(16, 16, QImage::Format_ARGB32_Premultiplied); // no picture in the title bars
    none.fill(Qt::transparent);
    EXPECT_EQ(childWindow(1)->windowIcon().pixmap(16).toImage().convertToFormat(none.format()),
              none);
    trigger("Info");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_FALSE(childWindow(n)->close() || !childWindow(n)->isVisible() ||
                     childWindow(n)->systemMenu() != nullptr)
            << n;
    }
    windows->actions().at(3)->trigger(); // "&2 Status"
    EXPECT_EQ(child<QMdiArea>("workspace")->activeSubWindow(), childWindow(2));
    emit windows->aboutToShow();
    EXPECT_FALSE(windows->actions().at(2)->isChecked());
    EXPECT_TRUE(windows->actions().at(3)->isChecked());
    EXPECT_EQ(editor()->textCursor().selectedText() + " " + sourceTitle(), "NOP Quelle [geändert]");
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    ASSERT_EQ(calls.size(), 1);
    EXPECT_TRUE(calls[0].startsWith("Info: Tovi 1.1\n")) << calls[0].toStdString();
    EXPECT_TRUE(calls[0].contains("\nF9\tStarten/Fortsetzen\n")) << calls[0].toStdString();
    EXPECT_TRUE(calls[0].contains("+S\tQuelle speichern\n")) << calls[0].toStdString();
    status->setFocus();
    for (const char* command : {"Cut", "Paste", "Paste"}) { // the selected NOP out and back twice
        trigger(command);
    }
    editor()->selectAll();
    trigger("Copy");
    editor()->moveCursor(QTextCursor::End);
    trigger("Paste");
    EXPECT_EQ(editor()->toPlainText(), "NOPNOPNOPNOP");
}

// Selections (anchor and end) and the field once the timer has sampled the editor, while the focus
// is elsewhere: the line of the start and the column of the end, a line end counting as one column.
TEST_F(CommandsTest, CaretFieldShowsWhereTheSelectionIsAsTheTimerSamples) {
    const QString tenPerLine = QString("abcdefghi\n").repeated(20);
    const std::tuple<QString, int, int, QString> rows[] = {
        {"NOP", 0, 0, "Zeile: 0, Spalte: 0"},           // not moved yet
        {tenPerLine, 113, 113, "Zeile: 12, Spalte: 4"}, // after the third character
        {tenPerLine, 24, 31, "Zeile: 3, Spalte: 12"},   // from line 3 into line 4
        {tenPerLine, 31, 24, "Zeile: 3, Spalte: 12"},   // the same, backward
        {"\t\tNOP", 3, 3, "Zeile: 1, Spalte: 4"},       // a tab is one column
    };
    start();
    auto* timer = child<QTimer>("caretTimer");
    ASSERT_TRUE(timer->isActive());
    const int width = child<QLabel>("caretField")->width();
    for (const auto& [text, anchor, end, field] : rows) {
        const QString shown = label("caretField");
        editor()->setPlainText(text);
        QTextCursor cursor(editor()->document());
        cursor.setPosition(anchor);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        editor()->setTextCursor(cursor);
        QTest::mouseClick(child<QPlainTextEdit>("statusList")->viewport(), Qt::LeftButton);
        EXPECT_EQ(label("caretField"), shown) << "not sampled yet";
        QTimerEvent timeout(timer->timerId());
        QCoreApplication::sendEvent(timer, &timeout);
        EXPECT_EQ(label("caretField"), field);
        QCoreApplication::processEvents();
        EXPECT_EQ(child<QLabel>("caretField")->width(), width) << "the field keeps its width";
    }
}

// The editor's popup opens alone at the mouse pointer, also when asked by
// key; the other windows never show it.
TEST_F(CommandsTest, PopupOpensOnceAndOnlyInTheEditor) {
    start();
    auto* popup = child<QMenu>("editorPopup");
    for (const auto& [name, reason] : {std::pair{"sourceEditor", QContextMenuEvent::Mouse},
                                       {"sourceEditor", QContextMenuEvent::Keyboard},
                                       {"statusList", QContextMenuEvent::Mouse},
                                       {"objectCodeList", QContextMenuEvent::Mouse}}) {
        auto* area = child<QAbstractScrollArea>(name);
        // The mouse asks on the viewport, the menu key on the widget itself.
        QWidget* target = reason == QContextMenuEvent::Mouse ? area->viewport() : area;
        QContextMenuEvent request(reason, {5, 5}, target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &request);
        QWidgetList menus = QApplication::topLevelWidgets();
        menus.removeIf([](QWidget* w) { return !qobject_cast<QMenu*>(w) || !w->isVisible(); });
        EXPECT_EQ(popup->isVisible(), area == editor()) << name;
        if (area == editor()) {
            EXPECT_EQ(menus, QWidgetList{popup});
            EXPECT_EQ(popup->pos(), QCursor::pos() - QPoint(1, 1));
        }
        for (QWidget* menu : menus) {
            menu->close();
        }
    }
}

} // namespace
} // namespace tovi::test
