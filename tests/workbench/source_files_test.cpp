// Sources made from the template, loaded and saved; the modified state and
// its titles; the "Warnung" questions.

#include <QDate>
#include <QProcess>

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

const QString filters = "Quelldateien (*.asm);;Alle Dateien (*.*)";

QString userName() {
    QProcess id;
    id.start("id", {"-un"});
    id.waitForFinished();
    return QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed();
}

class SourceFilesTest : public WorkbenchTest {
protected:
    void load(const QString& path) {
        dialogs.fileNames.push_back(path);
        trigger("LoadSource");
    }
    void saveAs(const QString& path) {
        dialogs.fileNames.push_back(path);
        trigger("SaveSourceAs");
    }
    QString byteStatus(const QString& name, std::size_t size, const char* done) {
        return pathOf(name) + " (" + QString::number(size) + " Byte) " + done;
    }
};

TEST_F(SourceFilesTest, NewSourceFillsTheTemplateWhosePathASaveUses) {
    start();
    writeFile("hallowelt.asm", "old content");
    trigger("NewSource");
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    const QString ruler = ";" + QString(60, u'-');
    // clang-format off
    const QStringList expected{
        ruler,
        ";  Datei:           hallowelt.asm",
        ";  Beschreibung:    automatisch erzeugtes Programmgerüst",
        ";",
        ";  Prozessor:       z.B. 80C49, 2KiB ROM",
        ";  Taktfrequenz:    z.B. 2 MHz",
        ";",
        ";  erzeugt von:     Tovi (tovi.exe)",
        ";  erstellt am:     " + today,
        ";  geändert am:     " + today,
        ";  Autor:           " + userName(),
        ruler,
        "", "ORG 0", "   JMP START",
        "", "ORG 3", "   JMP ISR",
        "", "ORG 7", "   JMP TIMER",
        "", "ISR:", "   NOP", "   ;... Dein Code ...", "   RETR",
        "", "TIMER:", "   NOP", "   ;... Dein Code ...", "   RETR",
        "", "START:", "   SEL RB0", "   SEL MB0",
        "", "HAUPT:", "   NOP", "   ;... Dein Code ...", "   JMP HAUPT",
        "", "END"};
    // clang-format on
    EXPECT_EQ(editor()->toPlainText().split(u'\n'), expected);
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]");
    EXPECT_EQ(fileField(), "Datei: hallowelt.asm");
    EXPECT_EQ(lastStatus(), "Beispielprogramm 'hallowelt.asm' erzeugt");
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_TRUE(dialogs.calls.empty());

    // Cancelled file dialogs change nothing.
    dialogs.answers = {true};
    load("");
    saveAs("");
    const std::vector<DialogCall> cancelled{
        {DialogKind::Question, "Warnung", "Quelle wurde geändert. Trotzdem laden?", {}},
        {DialogKind::OpenFile, "Quelle laden", filters, {}},
        {DialogKind::SaveFile, "Quelle speichern unter", filters, pathOf("hallowelt.asm")}};
    EXPECT_EQ(dialogs.calls, cancelled);
    EXPECT_EQ(lastStatus(), "Speichern der Quelle abgebrochen");
    EXPECT_EQ(editor()->toPlainText().split(u'\n'), expected);
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]");
    EXPECT_EQ(fileField(), "Datei: hallowelt.asm");

    // The template's path is kept: a plain save needs no dialog.
    trigger("SaveSource");
    EXPECT_EQ(dialogs.calls, cancelled);
    const std::string bytes = expected.join("\r\n").toLatin1().toStdString();
    EXPECT_EQ(fileBytes(pathOf("hallowelt.asm")), bytes);
    EXPECT_EQ(lastStatus(), byteStatus("hallowelt.asm", bytes.size(), "gespeichert"));
    EXPECT_EQ(sourceTitle(), "Quelle");
}

// The title after a sequence of steps, and whether closing the window then asks.
struct StateRow {
    const char* name;
    std::vector<std::string_view> steps; // a command, or "Type", "DeleteAll", "DeleteOne"
    QString title;
    bool asksBeforeExit;
};

class SourceStateTest : public SourceFilesTest, public ::testing::WithParamInterface<StateRow> {
protected:
    void run(std::string_view step) {
        dialogs.answers = {true};
        dialogs.fileNames = {pathOf(step == "LoadSource" ? "loaded.asm" : "saved.asm")};
        if (step == "Type") {
            type("x");
        } else if (step == "DeleteAll") {
            QTest::keyClick(editor(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor(), Qt::Key_Delete);
        } else if (step == "DeleteOne") {
            QTest::keyClick(editor(), Qt::Key_Home);
            QTest::keyClick(editor(), Qt::Key_Delete);
        } else {
            trigger(std::string(step).c_str());
        }
        dialogs.answers.clear();
        dialogs.fileNames.clear();
    }
};

TEST_P(SourceStateTest, TitleFollowsTheModifiedState) {
    writeFile("loaded.asm", "ORG 0\r\nNOP");
    start();
    for (std::string_view step : GetParam().steps) {
        run(step);
    }
    EXPECT_EQ(sourceTitle(), GetParam().title);
    // Closing the window asks only for a modified source; answered No, it stays open.
    const std::size_t before = dialogs.calls.size();
    dialogs.answers = {false};
    window().close();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window().quitRequested() || dialogs.calls.size() > before; }, 1000));
    EXPECT_EQ(dialogs.calls.size() > before, GetParam().asksBeforeExit);
    EXPECT_EQ(window().quitRequested(), !GetParam().asksBeforeExit);
}

INSTANTIATE_TEST_SUITE_P(
    States, SourceStateTest,
    ::testing::Values(
        StateRow{"AtStart", {}, "Quelle", false},
        StateRow{"TypedAtStart", {"Type"}, "Quelle [geändert]", true},
        StateRow{"New", {"NewSource"}, "Quelldatei [geändert]", true},
        StateRow{"TypedAfterNew", {"NewSource", "Type"}, "Quelldatei [geändert]", true},
        StateRow{"Loaded", {"Type", "LoadSource"}, "Quelle", false},
        StateRow{"TypedAfterLoad", {"LoadSource", "Type"}, "Quelle [geändert]", true},
        StateRow{"SavedAfterNew", {"NewSource", "SaveSourceAs"}, "Quelle", false},
        StateRow{
            "TypedAfterSave", {"NewSource", "SaveSourceAs", "Type"}, "Quelle [geändert]", true},
        StateRow{"LoadedThenEmptiedAtOnce", {"LoadSource", "DeleteAll"}, "Quelle", false},
        StateRow{"LoadedThenDeletedPieceByPiece",
                 {"LoadSource", "DeleteOne"},
                 "Quelle [geändert]",
                 true}),
    byName);

// A guarded command on a changed source, answered Yes or No; "Beenden" is
// reached through the window's close request.
struct QuestionRow {
    const char* name;
    const char* command;
    QString question;
    bool answer;
};

class DiscardQuestionTest : public SourceFilesTest,
                            public ::testing::WithParamInterface<QuestionRow> {};

TEST_P(DiscardQuestionTest, ChangedSourceIsOnlyReplacedOrLeftAfterYes) {
    writeFile("other.asm", "END");
    start();
    type("NOP");
    const QStringList statusBefore = statusLines();
    dialogs.answers = {GetParam().answer};
    dialogs.fileNames = {pathOf("other.asm")};
    const bool exit = std::string_view(GetParam().command) == "Exit";
    if (exit) {
        window().close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.calls.empty(); }, 1000));
    } else {
        trigger(GetParam().command);
    }
    const DialogCall question{DialogKind::Question, "Warnung", GetParam().question, {}};
    ASSERT_FALSE(dialogs.calls.empty());
    EXPECT_EQ(dialogs.calls.front(), question);
    const bool replaced = GetParam().answer && !exit;
    const bool ends = GetParam().answer && exit;
    EXPECT_EQ(editor()->toPlainText() == "NOP", !replaced);
    EXPECT_EQ(sourceTitle() == "Quelle [geändert]", !replaced);
    EXPECT_EQ(window().quitRequested(), ends);
    EXPECT_EQ(window().isVisible(), !ends);
    if (!GetParam().answer) {
        EXPECT_EQ(dialogs.calls.size(), 1u) << "No shows no file dialog";
        EXPECT_EQ(statusLines(), statusBefore);
    }
}

const QString askNew = "Quelle wurde geändert. Trotzdem neu anlegen?";
const QString askLoad = "Quelle wurde geändert. Trotzdem laden?";
const QString askExit = "Quelle wurde geändert. Trotzdem beenden?";

INSTANTIATE_TEST_SUITE_P(Answers, DiscardQuestionTest,
                         ::testing::Values(QuestionRow{"NewYes", "NewSource", askNew, true},
                                           QuestionRow{"NewNo", "NewSource", askNew, false},
                                           QuestionRow{"LoadYes", "LoadSource", askLoad, true},
                                           QuestionRow{"LoadNo", "LoadSource", askLoad, false},
                                           QuestionRow{"ExitYes", "Exit", askExit, true},
                                           QuestionRow{"ExitNo", "Exit", askExit, false}),
                         byName);

// File bytes, the editor text they load as, and the bytes a save then writes.
struct RoundTripRow {
    const char* name;
    std::string bytes;
    QString editorText;
    std::optional<std::string> saved; // when not the bytes read
};

class RoundTripTest : public SourceFilesTest, public ::testing::WithParamInterface<RoundTripRow> {};

TEST_P(RoundTripTest, LoadedSourceSavesAsWindows1252LinesWithCrLf) {
    writeFile("in.asm", GetParam().bytes);
    start();
    load(pathOf("in.asm"));
    EXPECT_EQ(editor()->toPlainText(), GetParam().editorText);
    EXPECT_EQ(lastStatus(), byteStatus("in.asm", GetParam().bytes.size(), "geladen"));
    EXPECT_EQ(fileField(), "Datei: in.asm");
    saveAs(pathOf("out")); // a name without extension is taken as typed
    const std::string saved = GetParam().saved.value_or(GetParam().bytes);
    EXPECT_EQ(fileBytes(pathOf("out")), saved);
    EXPECT_EQ(lastStatus(), byteStatus("out", saved.size(), "gespeichert"));
    EXPECT_EQ(fileField(), "Datei: out");
    EXPECT_EQ(dialogs.calls.back(), (DialogCall{DialogKind::SaveFile, "Quelle speichern unter",
                                                filters, pathOf("in.asm")}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RoundTripTest,
    ::testing::Values(RoundTripRow{"Lines", "ORG 0\r\n   NOP\r\nEND", "ORG 0\n   NOP\nEND", {}},
                      RoundTripRow{"Windows1252",
                                   "; \xC4rger \xFC"
                                   "ber \x80 und \xDF",
                                   "; Ärger über € und ß",
                                   {}},
                      RoundTripRow{"EndsWithLineEnd", "NOP\r\n", "NOP\n", {}},
                      RoundTripRow{"Empty", "", "", {}},
                      RoundTripRow{"LineFeeds", "A\nB\nC", "A\nB\nC", "A\r\nB\r\nC"},
                      RoundTripRow{"LoneCarriageReturns", "A\rB", "A\nB", "A\r\nB"},
                      RoundTripRow{"StopsAtNul", std::string("NOP\0JMP", 7), "NOP", "NOP"},
                      RoundTripRow{"Utf8ShowsItsBytes", "\xC3\xA4", "Ã¤", {}},
                      RoundTripRow{"ByteOrderMarkIsText", "\xEF\xBB\xBFNOP", "ï»¿NOP", {}}),
    byName);

TEST_F(SourceFilesTest, UnrepresentableCharactersAreSavedAsQuestionMarks) {
    start();
    editor()->insertPlainText("MOV A,#1 ; Ω → ok"); // as pasted; keyClicks knows ASCII only
    saveAs(pathOf("lossy.asm"));
    EXPECT_EQ(fileBytes(pathOf("lossy.asm")), "MOV A,#1 ; ? ? ok");
    EXPECT_EQ(lastStatus(), "Nicht darstellbare Zeichen wurden als '?' gespeichert");
    EXPECT_EQ(editor()->toPlainText(), "MOV A,#1 ; Ω → ok");
    EXPECT_EQ(sourceTitle(), "Quelle");
}

// A failed save keeps the source modified and the chosen path; a failed load
// changes nothing at all. Both are reported.
TEST_F(SourceFilesTest, FailedSaveAndLoadAreReportedAndKeepTheSourceAsItWas) {
    start();
    type("NOP");
    dialogs.fileNames = {pathOf("missing/x.asm")};
    trigger("SaveSource");
    const DialogCall saveError{
        DialogKind::Error, "Fehler", "'x.asm' konnte nicht gespeichert werden!", {}};
    EXPECT_EQ(dialogs.calls,
              (std::vector<DialogCall>{
                  {DialogKind::SaveFile, "Quelle speichern unter", filters, ""}, saveError}));
    EXPECT_EQ(lastStatus(), "Fehler beim Speichern der Quelle");
    EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
    EXPECT_EQ(fileField(), "Datei: keine");

    dialogs.answers = {true};
    load(pathOf("nichda.asm"));
    EXPECT_EQ(lastStatus(), "Fehler beim Laden der Quelle");
    EXPECT_EQ(
        dialogs.calls.back(),
        (DialogCall{DialogKind::Error, "Fehler", "'nichda.asm' konnte nicht geladen werden!", {}}));
    EXPECT_EQ(editor()->toPlainText(), "NOP");
    EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
    EXPECT_EQ(fileField(), "Datei: keine");

    // A plain save tries the chosen path again without a dialog.
    const std::size_t calls = dialogs.calls.size();
    trigger("SaveSource");
    EXPECT_EQ(dialogs.calls.size(), calls + 1);
    EXPECT_EQ(dialogs.calls.back(), saveError);
}

} // namespace
} // namespace tovi::test
