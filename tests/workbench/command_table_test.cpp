// The command table as the source of the menu tree, the toolbar and the fill choice.

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// Calls `visit` for every menu entry with its text indented by two blanks per
// level, "---" for a separator; the window list is filled as the menu opens.
void walkMenus(QMenuBar* bar, const std::function<void(const QString&, const QAction*)>& visit) {
    std::function<void(const QMenu*, const QString&)> walk = [&](const QMenu* menu,
                                                                 const QString& indent) {
        for (const QAction* entry : menu->actions()) {
            visit(indent + (entry->isSeparator() ? QStringLiteral("---") : entry->text()), entry);
            if (entry->menu() != nullptr) {
                walk(entry->menu(), indent + QStringLiteral("  "));
            }
        }
    };
    for (const QAction* top : bar->actions()) {
        visit(top->text(), top);
        emit top->menu()->aboutToShow();
        walk(top->menu(), QStringLiteral("  "));
    }
}

class CommandTableTest : public WorkbenchTest {};

TEST_F(CommandTableTest, MenuTreeHasEveryItemInItsPlace) {
    QStringList tree;
    walkMenus(start().menuBar(), [&](const QString& line, const QAction*) { tree << line; });
    // clang-format off
    const QStringList expected{
        "Programm", "  Quelle neu", "  Quelle laden", "  Quelle speichern", "  Quelle speichern als",
        "  ---", "  Einstellungen", "    EPROM Emulator", "    ungenutzter Programmspeicher",
        "      00H", "      FFH", "  ---", "  Beenden",
        "Ausführen", "  Assembler\tF5", "  EPROM Emulator\tF6",
        "Fenster", "  Info", "  ---", "  &1 Quelle", "  &2 Status", "  &3 Objektcode (HEX)"};
    // clang-format on
    EXPECT_EQ(tree, expected);
}

TEST_F(CommandTableTest, EveryItemButTheFillChoiceAndTheWindowListCarriesAnIcon) {
    QStringList withoutIcon;
    QImage fillMenuIcon;
    walkMenus(start().menuBar(), [&](const QString& line, const QAction* entry) {
        if (!entry->isSeparator() && entry->icon().isNull() && line.startsWith(u' ')) {
            withoutIcon << line.trimmed();
        }
        if (line.trimmed() == "ungenutzter Programmspeicher") {
            fillMenuIcon = entry->icon().pixmap(16).toImage();
        }
    });
    EXPECT_EQ(withoutIcon,
              (QStringList{"00H", "FFH", "&1 Quelle", "&2 Status", "&3 Objektcode (HEX)"}));
    EXPECT_EQ(fillMenuIcon, commandAction("Upload")->icon().pixmap(16).toImage());
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

// The fill byte after a stored value and a sequence of choices.
struct FillRow {
    const char* name;
    std::uint8_t stored;
    std::vector<const char*> commands;
    std::uint8_t fillByte;
};

class FillChoiceTest : public WorkbenchTest, public ::testing::WithParamInterface<FillRow> {};

TEST_P(FillChoiceTest, ExactlyOneOfTheTwoIsChecked) {
    storeSettings([](Settings& stored) { stored.fillByte = GetParam().stored; });
    MainWindow& window = start();
    for (const char* command : GetParam().commands) {
        trigger(command);
    }
    EXPECT_EQ(window.settings().fillByte, GetParam().fillByte);
    EXPECT_EQ(commandAction("Fill00")->isChecked(), GetParam().fillByte == 0x00);
    EXPECT_EQ(commandAction("FillFF")->isChecked(), GetParam().fillByte == 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Choices, FillChoiceTest,
                         ::testing::Values(FillRow{"Default", 0x00, {}, 0x00},
                                           FillRow{"StoredFF", 0xFF, {}, 0xFF},
                                           FillRow{"ChosenFF", 0x00, {"FillFF"}, 0xFF},
                                           FillRow{"ChosenTwice", 0x00, {"FillFF", "FillFF"}, 0xFF},
                                           FillRow{"ChosenBack", 0xFF, {"Fill00"}, 0x00}),
                         byName);

// "Info" changes nothing; a window list entry brings its window to the front only.
TEST_F(CommandTableTest, WindowMenuEntriesChangeNothingButTheActiveWindow) {
    MainWindow& window = start();
    editor()->setPlainText("ORG 0\nNOP");
    select(2, 7);
    const QStringList status = statusLines();
    QMenu* windows = window.menuBar()->actions().at(2)->menu();
    emit windows->aboutToShow();
    EXPECT_TRUE(windows->actions().at(2)->isChecked()); // "Quelle" is active at start
    windows->actions().at(0)->trigger();                // "Info"
    windows->actions().at(3)->trigger();                // "Status"
    EXPECT_EQ(child<QMdiArea>("workspace")->activeSubWindow(), childWindow(2));
    EXPECT_EQ(editor()->toPlainText(), "ORG 0\nNOP");
    EXPECT_EQ(editor()->textCursor().selectionStart(), 2);
    EXPECT_EQ(editor()->textCursor().selectionEnd(), 7);
    EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
    EXPECT_EQ(statusLines(), status);
    EXPECT_TRUE(dialogs.calls.empty());
    emit windows->aboutToShow();
    EXPECT_FALSE(windows->actions().at(2)->isChecked());
    EXPECT_TRUE(windows->actions().at(3)->isChecked());
}

} // namespace
} // namespace tovi::test
