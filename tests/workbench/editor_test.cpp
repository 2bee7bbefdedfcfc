// The editor aids: going to the line an error names, the gutter and the
// colours, the keys people expect, find and replace, and a file at start.

#include "workbench/source_editor.h"
#include "workbench/syntax_highlighter.h"
#include "workbench_fixture.h"

namespace tovi::test {
namespace {

class EditorTest : public WorkbenchTest {
protected:
    SourceEditor* source() { return static_cast<SourceEditor*>(editor()); }
};

const QString faulty = "; Fehler in Zeile 3 und 5\nnop\nmov a,#256\nnop\n foo\nnop";

// A double click or Enter on "Zeile: N" in the status list, a double click on
// a listing row: the caret goes to the start of that line, the editor gets the focus.
TEST_F(EditorTest, ErrorLinesAndListingRowsLeadToTheirSourceLine) {
    start();
    editor()->setPlainText(faulty);
    trigger("Assemble");
    auto* status = child<QPlainTextEdit>("statusList");
    const auto lineAt = [&](int block) {
        return status->cursorRect(QTextCursor(status->document()->findBlockByNumber(block)))
            .center();
    };
    QTest::mouseDClick(status->viewport(), Qt::LeftButton, {}, lineAt(1)); // Zeile: 3 -> …
    EXPECT_EQ(source()->caretLine(), 3);
    EXPECT_EQ(editor()->textCursor().positionInBlock(), 0);
    EXPECT_TRUE(editor()->hasFocus());
    status->setTextCursor(QTextCursor(status->document()->findBlockByNumber(2))); // Zeile: 5 -> …
    QTest::keyClick(status, Qt::Key_Return);
    EXPECT_EQ(source()->caretLine(), 5);
    QTest::mouseDClick(status->viewport(), Qt::LeftButton, {}, lineAt(0)); // no error line
    EXPECT_EQ(source()->caretLine(), 5);
    // An error in an included file leads to the line that includes it.
    QFile include("teil.inc");
    ASSERT_TRUE(include.open(QIODevice::WriteOnly));
    include.write("  nop\n  foo\n");
    include.close();
    editor()->setPlainText("nop\nnop\n  include \"teil.inc\"\nnop");
    trigger("Assemble");
    const int errorBlock = status->document()->blockCount() - 2;
    EXPECT_EQ(status->document()->findBlockByNumber(errorBlock).text(),
              "Zeile: 2 in 'teil.inc' -> Syntaxfehler");
    QTest::mouseDClick(status->viewport(), Qt::LeftButton, {}, lineAt(errorBlock));
    EXPECT_EQ(source()->caretLine(), 3);
    editor()->setPlainText("; Kopf\n\nnop\nmov a,#1\n");
    trigger("Assemble");
    auto* listing = child<QListWidget>("objectCodeList");
    listing->doItemsLayout();
    const QPoint row = listing->visualItemRect(listing->item(2)).center(); // 001 23 01
    QTest::mouseClick(listing->viewport(), Qt::LeftButton, {}, row); // a double click's first press
    QTest::mouseDClick(listing->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(source()->caretLine(), 4);
}

// Line numbers beside the text, a click beside a line sets a breakpoint and a
// second one clears it, also while another line has an error; the assembly
// takes it from a line without code, and so does a click once assembled.
TEST_F(EditorTest, GutterShowsLinesAndTakesBreakpoints) {
    start();
    editor()->setPlainText("; Kopf\nnop\nret\nxyz");
    auto* gutter = source()->findChild<QWidget*>("gutter");
    ASSERT_TRUE(gutter != nullptr && gutter->width() == source()->gutterWidth());
    EXPECT_EQ(source()->viewport()->x(), gutter->geometry().right() + 1); // the text beside it
    const auto clickBeside = [&](int line) {
        const QRect text =
            source()->cursorRect(QTextCursor(source()->document()->findBlockByNumber(line - 1)));
        QTest::mouseClick(gutter, Qt::LeftButton, {}, QPoint(4, text.center().y()));
    };
    clickBeside(2);
    clickBeside(3);
    clickBeside(1);
    EXPECT_EQ(source()->breakpointLines(), (std::set<int>{1, 2, 3}));
    EXPECT_EQ(lastStatus(), "Willkommen an Bord!");
    clickBeside(3);
    source()->goToLine(4);
    QTest::keyClicks(editor(), ";");
    trigger("Assemble");
    EXPECT_EQ(source()->breakpointLines(), std::set<int>{2});
    EXPECT_EQ(statusLines().mid(1),
              (QStringList{"Assemblieren ohne Fehler beendet.",
                           "Zeile 1 enthält keinen Befehl: kein Haltepunkt"}));
    clickBeside(4);
    EXPECT_EQ(source()->breakpointLines(), std::set<int>{2});
    EXPECT_EQ(lastStatus(), "Zeile 4 enthält keinen Befehl: kein Haltepunkt");
    const int threeDigits = source()->gutterWidth();
    editor()->setPlainText(QString("nop\n").repeated(999)); // 1000 lines
    EXPECT_GT(source()->gutterWidth(), threeDigits);
}

TEST_F(EditorTest, ColoursWhatTheAssemblerReads) {
    start();
    editor()->setPlainText("Loop: DJNZ R2,Loop ; zählt\ncnt equ 10h\n db 'A'\n mov a,#0FFH\n"
                           "tab db \"a;\",x+1 ; b\n");
    const std::tuple<int, int, SourceToken> tokens[] = {
        {0, 0, SourceToken::Label},     {0, 6, SourceToken::Mnemonic},
        {0, 11, SourceToken::Register}, {0, 19, SourceToken::Comment},
        {1, 0, SourceToken::Label},     {1, 4, SourceToken::Directive},
        {1, 8, SourceToken::Number},    {2, 1, SourceToken::Directive},
        {2, 4, SourceToken::Character}, {3, 7, SourceToken::Number},
        {4, 0, SourceToken::Label},     {4, 4, SourceToken::Directive},
        {4, 7, SourceToken::String},    {4, 13, SourceToken::Operator},
        {4, 16, SourceToken::Comment},
    };
    std::set<QRgb> colours; // one for each kind of token
    for (const auto& [line, column, token] : tokens) {
        const QTextBlock block = editor()->document()->findBlockByNumber(line);
        QTextCharFormat shown;
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (column >= range.start && column < range.start + range.length) {
                shown = range.format;
            }
        }
        EXPECT_EQ(shown.foreground(), SyntaxHighlighter::formatFor(token).foreground())
            << line << ":" << column;
        const bool word = token == SourceToken::Label || token == SourceToken::Mnemonic ||
                          token == SourceToken::Directive;
        EXPECT_EQ(shown.fontWeight() == QFont::Bold, word) << line << ":" << column; // stand out
        colours.insert(shown.foreground().color().rgb());
    }
    EXPECT_EQ(colours.size(), 9u);
    // The directive and the literal, nothing for the blank before "db".
    EXPECT_EQ(editor()->document()->findBlockByNumber(2).layout()->formats().size(), 2);
}

// The keys of the everyday loop reach their commands from the editor.
TEST_F(EditorTest, KeysFindReplaceAndGoToLine) {
    MainWindow& main = start();
    QTest::keyClick(editor(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]");
    answers = {"Nein"};
    QTest::keyClick(editor(), Qt::Key_O, Qt::ControlModifier); // asks first, then nothing
    QTest::keyClick(editor(), Qt::Key_S, Qt::ControlModifier); // no question: hallowelt.asm is new
    EXPECT_TRUE(QFile::exists("hallowelt.asm"));
    editor()->setPlainText("nop\nNOP\nret\nnop");
    QTest::keyClick(editor(), Qt::Key_F, Qt::ControlModifier);
    auto* dialog = main.findChild<QDialog*>("findDialog");
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QLineEdit*>("searchField"));
    EXPECT_FALSE(dialog->findChild<QLineEdit*>("replaceField")->isVisible());
    QTest::keyClicks(dialog->findChild<QLineEdit*>("searchField"), "nop");
    QTest::keyClick(editor(), Qt::Key_F3);
    QTest::keyClick(editor(), Qt::Key_F3);
    EXPECT_EQ(editor()->textCursor().blockNumber(), 1); // case is ignored
    dialog->findChild<QCheckBox*>("caseBox")->setChecked(true);
    QTest::keyClick(editor(), Qt::Key_F3);
    EXPECT_EQ(editor()->textCursor().blockNumber(), 3);
    QTest::keyClick(editor(), Qt::Key_H, Qt::ControlModifier);
    QTest::keyClicks(dialog->findChild<QLineEdit*>("replaceField"), "xch a,r0");
    QTest::mouseClick(dialog->findChild<QPushButton*>("replaceAllButton"), Qt::LeftButton);
    EXPECT_EQ(editor()->toPlainText(), "xch a,r0\nNOP\nret\nxch a,r0");
    EXPECT_EQ(lastStatus(), "2 Stellen ersetzt");
    QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor()->toPlainText(), "nop\nNOP\nret\nnop"); // one step undoes all
    QTest::keyClick(editor(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(editor()->toPlainText(), "xch a,r0\nNOP\nret\nxch a,r0");
    QTest::keyClicks(editor(), "y"); // without Ctrl a letter like any other
    EXPECT_TRUE(editor()->toPlainText().contains(u'y'));
    QTest::keyClick(dialog->findChild<QLineEdit*>("searchField"), Qt::Key_Return); // "Suchen"
    EXPECT_EQ(calls.last(), "Hinweis: 'nop' wurde nicht gefunden.");
    dialog->findChild<QLineEdit*>("searchField")->setText("NOP");
    auto* replaceButton = dialog->findChild<QPushButton*>("replaceButton");
    QTest::mouseClick(replaceButton, Qt::LeftButton); // finds the match
    QTest::mouseClick(replaceButton, Qt::LeftButton); // replaces it
    EXPECT_EQ(editor()->toPlainText().count("xch a,r0"), 3);
    answers = {"3"};
    QTest::keyClick(editor(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(calls.last(), "Gehe zu Zeile: Zeile (1 bis 4):");
    EXPECT_EQ(source()->caretLine(), 3);
    QTest::keyClick(&main, Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(main.menuBar()->actions().first()->menu()->isVisible());
}

TEST_F(EditorTest, AFileGivenAtStartIsLoaded) {
    writeFile("blink.asm", "nop\r\nret");
    start().openAtStart(pathOf("blink.asm"));
    EXPECT_EQ(editor()->toPlainText(), "nop\nret");
    EXPECT_EQ(lastStatus(), pathOf("blink.asm") + " (8 Byte) geladen");
    start().openAtStart(pathOf("fehlt.asm"));
    EXPECT_EQ(lastStatus(), "Fehler beim Laden der Quelle");
    EXPECT_EQ(calls.last(), "Fehler: 'fehlt.asm' konnte nicht geladen werden!");
}

} // namespace
} // namespace tovi::test
