// The window as it opens, the function keys from every child window, and the
// child windows' close boxes.

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

class WindowEventsTest : public WorkbenchTest {};

TEST_F(WindowEventsTest, WindowOpensWithItsTitleListsFieldsAndFonts) {
    EXPECT_EQ(start().windowTitle(), "Tovi");
    EXPECT_EQ(listingRows(), QStringList{"Adr Opcode"});
    QTest::keyClicks(statusList(), "abc");
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    EXPECT_EQ(caretField(), "Zeile: 0, Spalte: 0");
    EXPECT_EQ(fileField(), "Datei: keine");
    EXPECT_EQ(child<QLabel>("caretField")->width(), 200);
    EXPECT_EQ(child<QLabel>("caretField")->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(QFontInfo(editor()->font()).fixedPitch());
    EXPECT_EQ(editor()->font().pointSize(), 10);
    EXPECT_EQ(objectCodeList()->font(), editor()->font());
    EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(statusList()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(WindowEventsTest, ChildWindowCloseBoxesHaveNoEffect) {
    start();
    for (int n = 1; n <= 3; ++n) {
        EXPECT_FALSE(childWindow(n)->close()) << n;
        EXPECT_TRUE(childWindow(n)->isVisible()) << n;
    }
}

struct FocusRow {
    const char* name;
    const char* widget;
    Qt::Key key;
    QString notice;
};

class FunctionKeyTest : public WorkbenchTest, public ::testing::WithParamInterface<FocusRow> {};

// With only blanks to assemble and nothing to upload, each key shows its own
// "Hinweis" box, which tells that the key reached its command, and nothing else.
TEST_P(FunctionKeyTest, KeyReachesItsCommandFromEveryChildWindow) {
    start();
    editor()->setPlainText("   ");
    QWidget* focused = child<QWidget>(GetParam().widget);
    focused->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused->hasFocus(); }, 1000));
    QTest::keyClick(focused, GetParam().key);
    EXPECT_EQ(dialogs.calls, std::vector{notice(GetParam().notice)});
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    EXPECT_EQ(listingRows(), QStringList{"Adr Opcode"});
}

const QString nothingToAssemble = "Es gibt nichts zu assemblieren.";
const QString nothingToUpload = "Es gibt nichts zu emulieren.";

INSTANTIATE_TEST_SUITE_P(
    Keys, FunctionKeyTest,
    ::testing::Values(FocusRow{"EditorF5", "sourceEditor", Qt::Key_F5, nothingToAssemble},
                      FocusRow{"StatusF5", "statusList", Qt::Key_F5, nothingToAssemble},
                      FocusRow{"ObjectCodeF5", "objectCodeList", Qt::Key_F5, nothingToAssemble},
                      FocusRow{"EditorF6", "sourceEditor", Qt::Key_F6, nothingToUpload},
                      FocusRow{"StatusF6", "statusList", Qt::Key_F6, nothingToUpload},
                      FocusRow{"ObjectCodeF6", "objectCodeList", Qt::Key_F6, nothingToUpload}),
    byName);

} // namespace
} // namespace tovi::test
