// Keys, close requests and the child windows' close boxes.

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

struct FocusRow {
    const char* widget;
    Qt::Key key;
    DialogCall expected;
};

class FunctionKeyTest : public WorkbenchTest, public ::testing::WithParamInterface<FocusRow> {};

// With nothing to assemble or upload, each key shows its own "Hinweis" box,
// which tells that the key reached its command.
TEST_P(FunctionKeyTest, KeyReachesItsCommandFromEveryChildWindow) {
    start();
    QWidget* focused = child<QWidget>(GetParam().widget);
    focused->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused->hasFocus(); }, 1000));
    QTest::keyClick(focused, GetParam().key);
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{GetParam().expected});
}

const DialogCall nothingToAssemble{
    DialogKind::Information, "Hinweis", "Es gibt nichts zu assemblieren.", {}};
const DialogCall nothingToUpload{
    DialogKind::Information, "Hinweis", "Es gibt nichts zu emulieren.", {}};

INSTANTIATE_TEST_SUITE_P(
    Keys, FunctionKeyTest,
    ::testing::Values(FocusRow{"sourceEditor", Qt::Key_F5, nothingToAssemble},
                      FocusRow{"statusList", Qt::Key_F5, nothingToAssemble},
                      FocusRow{"objectCodeList", Qt::Key_F5, nothingToAssemble},
                      FocusRow{"sourceEditor", Qt::Key_F6, nothingToUpload},
                      FocusRow{"statusList", Qt::Key_F6, nothingToUpload},
                      FocusRow{"objectCodeList", Qt::Key_F6, nothingToUpload}));

class WindowEventsTest : public WorkbenchTest {};

TEST_F(WindowEventsTest, ChildWindowCloseBoxesHaveNoEffect) {
    start();
    for (int n = 1; n <= 3; ++n) {
        EXPECT_FALSE(childWindow(n)->close()) << n;
        EXPECT_TRUE(childWindow(n)->isVisible()) << n;
    }
}

TEST_F(WindowEventsTest, ClosingAnUnchangedSourceEndsAtOnce) {
    MainWindow& window = start();
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 1000));
    EXPECT_TRUE(window.quitRequested());
    EXPECT_TRUE(dialogs.calls.empty());
}

struct CloseRow {
    bool answer;
    bool ends;
};

class CloseWithChangesTest : public WorkbenchTest,
                             public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CloseWithChangesTest, ClosingAChangedSourceAsksFirst) {
    MainWindow& window = start();
    type("nop");
    dialogs.answers = {GetParam().answer};
    window.close();
    // The close request comes back as the command "Beenden".
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.calls.empty(); }, 1000));
    QTest::qWait(10);
    const DialogCall question{
        DialogKind::Question, "Warnung", "Quelle wurde geändert. Trotzdem beenden?", {}};
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{question});
    EXPECT_EQ(window.quitRequested(), GetParam().ends);
    EXPECT_EQ(window.isVisible(), !GetParam().ends);
    EXPECT_EQ(editor()->toPlainText(), "nop");
    EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseWithChangesTest,
                         ::testing::Values(CloseRow{true, true}, CloseRow{false, false}));

TEST_F(WindowEventsTest, StatusListStartsWithTheWelcomeAndTakesNoTyping) {
    start();
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    QTest::keyClicks(statusList(), "abc");
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    EXPECT_TRUE(statusList()->isReadOnly());
}

TEST_F(WindowEventsTest, ObjectCodeListStartsWithItsHeading) {
    start();
    EXPECT_EQ(listingRows(), QStringList{"Adr Opcode"});
}

TEST_F(WindowEventsTest, StatusBarStartsWithItsTwoFields) {
    start();
    EXPECT_EQ(caretField(), "Zeile: 0, Spalte: 0");
    EXPECT_EQ(fileField(), "Datei: keine");
    EXPECT_EQ(child<QLabel>("caretField")->width(), 200);
    EXPECT_EQ(child<QLabel>("caretField")->alignment(), Qt::AlignCenter);
}

TEST_F(WindowEventsTest, EditorAndObjectCodeListUseTheFixedFont) {
    start();
    EXPECT_TRUE(QFontInfo(editor()->font()).fixedPitch());
    EXPECT_EQ(editor()->font().pointSize(), 10);
    EXPECT_EQ(objectCodeList()->font(), editor()->font());
    EXPECT_EQ(editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(statusList()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(WindowEventsTest, MainWindowIsTitledTovi) {
    EXPECT_EQ(start().windowTitle(), "Tovi");
}

} // namespace
} // namespace tovi::test
