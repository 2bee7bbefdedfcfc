// The command table as the source of the menu tree, the toolbar and the keys.

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <set>

#include "workbench/command_table.h"
#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// One line per menu entry: its text, "---" for a separator, submenus indented
// by two blanks below their own line.
void describeMenu(const QMenu* menu, const QString& indent, QStringList& lines) {
    for (const QAction* entry : menu->actions()) {
        if (entry->isSeparator()) {
            lines << indent + QStringLiteral("---");
            continue;
        }
        lines << indent + entry->text();
        if (entry->menu() != nullptr) {
            describeMenu(entry->menu(), indent + QStringLiteral("  "), lines);
        }
    }
}

QStringList menuTree(QMenuBar* bar) {
    QStringList lines;
    for (const QAction* top : bar->actions()) {
        lines << top->text();
        // The window list is filled when the menu opens.
        emit top->menu()->aboutToShow();
        describeMenu(top->menu(), QStringLiteral("  "), lines);
    }
    return lines;
}

class CommandTableTest : public WorkbenchTest {};

TEST_F(CommandTableTest, MenuTreeHasEveryItemInItsPlace) {
    MainWindow& window = start();
    const QStringList expected{
        "Programm",
        "  Quelle neu",
        "  Quelle laden",
        "  Quelle speichern",
        "  Quelle speichern als",
        "  ---",
        "  Einstellungen",
        "    EPROM Emulator",
        "    ungenutzter Programmspeicher",
        "      00H",
        "      FFH",
        "  ---",
        "  Beenden",
        "Ausführen",
        "  Assembler\tF5",
        "  EPROM Emulator\tF6",
        "Fenster",
        "  Info",
        "  ---",
        "  &1 Quelle",
        "  &2 Status",
        "  &3 Objektcode (HEX)",
    };
    EXPECT_EQ(menuTree(window.menuBar()), expected);
}

TEST_F(CommandTableTest, ToolbarShowsItsButtonsWithTooltips) {
    MainWindow& window = start();
    QStringList buttons;
    for (const QAction* button : window.findChild<QToolBar*>("toolBar")->actions()) {
        buttons << (button->isSeparator() ? QStringLiteral("---") : button->toolTip());
    }
    const QStringList expected{"Quelle neu", "Quelle laden",   "Quelle speichern",
                               "---",        "Assembler [F5]", "EPROM Emulator [F6]"};
    EXPECT_EQ(buttons, expected);
}

struct KeyRow {
    const char* command;
    QKeySequence key;
};

class CommandKeyTest : public WorkbenchTest, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(CommandKeyTest, FunctionKeyIsAWindowShortcutOfItsCommand) {
    start();
    QAction* action = commandAction(GetParam().command);
    EXPECT_EQ(action->shortcut(), GetParam().key);
    EXPECT_EQ(action->shortcutContext(), Qt::WindowShortcut);
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandKeyTest,
                         ::testing::Values(KeyRow{"Assemble", QKeySequence(Qt::Key_F5)},
                                           KeyRow{"Upload", QKeySequence(Qt::Key_F6)},
                                           KeyRow{"NewSource", QKeySequence()},
                                           KeyRow{"Exit", QKeySequence()}));

TEST_F(CommandTableTest, EveryIdHasOneRowAndOneAction) {
    start();
    std::set<int> ids;
    for (const Command& command : commandTable) {
        EXPECT_TRUE(ids.insert(static_cast<int>(command.id)).second) << command.name;
        EXPECT_EQ(&commandFor(command.id), &command);
        QAction* action = commandAction(std::string(command.name).c_str());
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text().toStdU16String(), command.menuText);
    }
    EXPECT_EQ(ids, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14}));
}

struct IconRow {
    const char* command;
    bool hasIcon;
};

class CommandIconTest : public WorkbenchTest, public ::testing::WithParamInterface<IconRow> {};

TEST_P(CommandIconTest, ItemsCarryTheirIcons) {
    start();
    EXPECT_EQ(!commandAction(GetParam().command)->icon().isNull(), GetParam().hasIcon);
}

INSTANTIATE_TEST_SUITE_P(Icons, CommandIconTest,
                         ::testing::Values(IconRow{"NewSource", true},
                                           IconRow{"SaveSourceAs", true},
                                           IconRow{"EmulatorDialog", true}, IconRow{"Exit", true},
                                           IconRow{"Assemble", true}, IconRow{"Upload", true},
                                           IconRow{"Info", true}, IconRow{"Cut", true},
                                           IconRow{"Fill00", false}, IconRow{"FillFF", false}));

TEST_F(CommandTableTest, SubmenusOfTheSettingsCarryIcons) {
    MainWindow& window = start();
    const QMenu* program = window.menuBar()->actions().at(0)->menu();
    const QAction* settings = program->actions().at(5);
    ASSERT_EQ(settings->text(), "Einstellungen");
    EXPECT_FALSE(settings->icon().isNull());
    const QAction* fill = settings->menu()->actions().at(1);
    ASSERT_EQ(fill->text(), "ungenutzter Programmspeicher");
    EXPECT_EQ(fill->icon().pixmap(16).toImage(),
              commandAction("Upload")->icon().pixmap(16).toImage());
}

// Fill byte choices, each row a sequence of commands and the state after it.
struct FillRow {
    std::vector<const char*> commands;
    std::uint8_t fillByte;
};

class FillChoiceTest : public WorkbenchTest, public ::testing::WithParamInterface<FillRow> {};

TEST_P(FillChoiceTest, ExactlyOneOfTheTwoIsChecked) {
    MainWindow& window = start();
    for (const char* command : GetParam().commands) {
        commandAction(command)->trigger();
    }
    EXPECT_EQ(window.settings().fillByte, GetParam().fillByte);
    EXPECT_EQ(commandAction("Fill00")->isChecked(), GetParam().fillByte == 0x00);
    EXPECT_EQ(commandAction("FillFF")->isChecked(), GetParam().fillByte == 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Choices, FillChoiceTest,
                         ::testing::Values(FillRow{{}, 0x00}, FillRow{{"FillFF"}, 0xFF},
                                           FillRow{{"FillFF", "FillFF"}, 0xFF},
                                           FillRow{{"FillFF", "Fill00"}, 0x00},
                                           FillRow{{"Fill00", "Fill00"}, 0x00}));

TEST_F(CommandTableTest, StoredFillByteIsCheckedAtStart) {
    Settings stored;
    setDefaultWindowRects(stored);
    stored.fillByte = 0xFF;
    writeFile("tovi.ini", settingsFileContent(stored));
    MainWindow& window = start();
    EXPECT_EQ(window.settings().fillByte, 0xFF);
    EXPECT_TRUE(commandAction("FillFF")->isChecked());
    EXPECT_FALSE(commandAction("Fill00")->isChecked());
}

TEST_F(CommandTableTest, InfoChangesNothing) {
    start();
    type("nop");
    const QString title = sourceTitle();
    const QString text = editor()->toPlainText();
    const QStringList status = statusLines();
    commandAction("Info")->trigger();
    EXPECT_EQ(sourceTitle(), title);
    EXPECT_EQ(editor()->toPlainText(), text);
    EXPECT_EQ(statusLines(), status);
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(CommandTableTest, WindowListEntryBringsItsWindowToTheFrontOnly) {
    MainWindow& window = start();
    editor()->setPlainText("ORG 0\nNOP");
    QTextCursor selection = editor()->textCursor();
    selection.setPosition(2);
    selection.setPosition(7, QTextCursor::KeepAnchor);
    editor()->setTextCursor(selection);
    QMenu* windows = window.menuBar()->actions().at(2)->menu();
    emit windows->aboutToShow();
    EXPECT_TRUE(windows->actions().at(2)->isChecked()); // "Quelle" is active at start
    windows->actions().at(3)->trigger();                // "Status"
    auto* workspace = child<QMdiArea>("workspace");
    EXPECT_EQ(workspace->activeSubWindow(), childWindow(2));
    EXPECT_EQ(editor()->textCursor().selectionStart(), 2);
    EXPECT_EQ(editor()->textCursor().selectionEnd(), 7);
    emit windows->aboutToShow();
    EXPECT_FALSE(windows->actions().at(2)->isChecked());
    EXPECT_TRUE(windows->actions().at(3)->isChecked());
}

} // namespace
} // namespace tovi::test
