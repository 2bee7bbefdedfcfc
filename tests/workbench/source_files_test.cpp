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
        commandAction("LoadSource")->trigger();
    }
    void saveAs(const QString& path) {
        dialogs.fileNames.push_back(path);
        commandAction("SaveSourceAs")->trigger();
    }
    // Whether "Beenden" would ask; the question is answered No.
    bool exitAsks() {
        dialogs.answers.push_back(false);
        const auto before = dialogs.calls.size();
        commandAction("Exit")->trigger();
        const bool asked = dialogs.calls.size() > before;
        if (!asked) {
            dialogs.answers.clear();
        }
        return asked;
    }
};

TEST_F(SourceFilesTest, NewSourceFillsTheTemplate) {
    start();
    commandAction("NewSource")->trigger();
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    const QString ruler = ";" + QString(60, u'-');
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
        "",
        "ORG 0",
        "   JMP START",
        "",
        "ORG 3",
        "   JMP ISR",
        "",
        "ORG 7",
        "   JMP TIMER",
        "",
        "ISR:",
        "   NOP",
        "   ;... Dein Code ...",
        "   RETR",
        "",
        "TIMER:",
        "   NOP",
        "   ;... Dein Code ...",
        "   RETR",
        "",
        "START:",
        "   SEL RB0",
        "   SEL MB0",
        "",
        "HAUPT:",
        "   NOP",
        "   ;... Dein Code ...",
        "   JMP HAUPT",
        "",
        "END",
    };
    EXPECT_EQ(editor()->toPlainText().split(u'\n'), expected);
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]");
    EXPECT_EQ(fileField(), "Datei: hallowelt.asm");
    EXPECT_EQ(statusLines().last(), "Beispielprogramm 'hallowelt.asm' erzeugt");
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(SourceFilesTest, SavingRightAfterNewWritesTheTemplateIntoTheWorkingDirectory) {
    start();
    writeFile("hallowelt.asm", "old content");
    commandAction("NewSource")->trigger();
    commandAction("SaveSource")->trigger();
    EXPECT_TRUE(dialogs.calls.empty());
    const std::string bytes = fileBytes(pathOf("hallowelt.asm"));
    EXPECT_TRUE(bytes.starts_with(";----"));
    EXPECT_TRUE(bytes.ends_with("\r\nEND"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 41);
    EXPECT_EQ(statusLines().last(), pathOf("hallowelt.asm") + " (" + QString::number(bytes.size()) +
                                        " Byte) gespeichert");
    EXPECT_EQ(sourceTitle(), "Quelle");
}

// The title after a sequence of steps, and whether "Beenden" then asks.
enum class Step { Type, New, Load, Save, DeleteAllAtOnce, DeleteOneCharacter };

struct StateRow {
    const char* name;
    std::vector<Step> steps;
    QString title;
    bool asksBeforeExit;
};

void PrintTo(const StateRow& row, std::ostream* out) {
    *out << row.name;
}

class SourceStateTest : public SourceFilesTest, public ::testing::WithParamInterface<StateRow> {
protected:
    void run(Step step) {
        switch (step) {
        case Step::Type:
            return type("x");
        case Step::New:
            dialogs.answers.push_back(true);
            commandAction("NewSource")->trigger();
            dialogs.answers.clear();
            return;
        case Step::Load:
            dialogs.answers.push_back(true);
            load(pathOf("loaded.asm"));
            dialogs.answers.clear();
            return;
        case Step::Save:
            return saveAs(pathOf("saved.asm"));
        case Step::DeleteAllAtOnce:
            QTest::keyClick(editor(), Qt::Key_A, Qt::ControlModifier);
            return QTest::keyClick(editor(), Qt::Key_Delete);
        case Step::DeleteOneCharacter:
            QTest::keyClick(editor(), Qt::Key_Home);
            return QTest::keyClick(editor(), Qt::Key_Delete);
        }
    }
};

TEST_P(SourceStateTest, TitleFollowsTheModifiedState) {
    writeFile("loaded.asm", "ORG 0\r\nNOP");
    start();
    for (Step step : GetParam().steps) {
        run(step);
    }
    EXPECT_EQ(sourceTitle(), GetParam().title);
    EXPECT_EQ(exitAsks(), GetParam().asksBeforeExit);
}

INSTANTIATE_TEST_SUITE_P(
    States, SourceStateTest,
    ::testing::Values(
        StateRow{"AtStart", {}, "Quelle", false},
        StateRow{"TypedAtStart", {Step::Type}, "Quelle [geändert]", true},
        StateRow{"New", {Step::New}, "Quelldatei [geändert]", true},
        StateRow{"TypedAfterNew", {Step::New, Step::Type}, "Quelldatei [geändert]", true},
        StateRow{"Loaded", {Step::Type, Step::Load}, "Quelle", false},
        StateRow{"TypedAfterLoad", {Step::Load, Step::Type}, "Quelle [geändert]", true},
        StateRow{"SavedAfterNew", {Step::New, Step::Save}, "Quelle", false},
        StateRow{"TypedAfterSave", {Step::New, Step::Save, Step::Type}, "Quelle [geändert]", true},
        StateRow{"LoadedThenEmptiedAtOnce", {Step::Load, Step::DeleteAllAtOnce}, "Quelle", false},
        StateRow{"LoadedThenDeletedPieceByPiece",
                 {Step::Load, Step::DeleteOneCharacter},
                 "Quelle [geändert]",
                 true}),
    [](const auto& info) { return std::string(info.param.name); });

// A guarded command on a changed source, answered Yes or No.
struct QuestionRow {
    const char* name;
    const char* command;
    QString question;
    bool answer;
};

void PrintTo(const QuestionRow& row, std::ostream* out) {
    *out << row.name;
}

class DiscardQuestionTest : public SourceFilesTest,
                            public ::testing::WithParamInterface<QuestionRow> {};

TEST_P(DiscardQuestionTest, ChangedSourceIsOnlyReplacedAfterYes) {
    writeFile("other.asm", "END");
    start();
    type("NOP");
    const QStringList statusBefore = statusLines();
    dialogs.answers = {GetParam().answer};
    dialogs.fileNames = {pathOf("other.asm")};
    commandAction(GetParam().command)->trigger();

    const DialogCall question{DialogKind::Question, "Warnung", GetParam().question, {}};
    ASSERT_FALSE(dialogs.calls.empty());
    EXPECT_EQ(dialogs.calls.front(), question);
    if (!GetParam().answer) {
        EXPECT_EQ(dialogs.calls.size(), 1u) << "No shows no file dialog";
        EXPECT_EQ(editor()->toPlainText(), "NOP");
        EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
        EXPECT_EQ(statusLines(), statusBefore);
        return;
    }
    EXPECT_NE(editor()->toPlainText(), "NOP");
    EXPECT_NE(sourceTitle(), "Quelle [geändert]");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DiscardQuestionTest,
    ::testing::Values(
        QuestionRow{"NewYes", "NewSource", "Quelle wurde geändert. Trotzdem neu anlegen?", true},
        QuestionRow{"NewNo", "NewSource", "Quelle wurde geändert. Trotzdem neu anlegen?", false},
        QuestionRow{"LoadYes", "LoadSource", "Quelle wurde geändert. Trotzdem laden?", true},
        QuestionRow{"LoadNo", "LoadSource", "Quelle wurde geändert. Trotzdem laden?", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SourceFilesTest, LoadAnsweredYesThenCancelledKeepsEverything) {
    start();
    commandAction("NewSource")->trigger();
    type("x");
    const QString text = editor()->toPlainText();
    dialogs.answers = {true};
    load("");
    EXPECT_EQ(editor()->toPlainText(), text);
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]");
    EXPECT_EQ(fileField(), "Datei: hallowelt.asm");
    // The path is still that of the template: a plain save needs no dialog.
    commandAction("SaveSource")->trigger();
    EXPECT_EQ(dialogs.calls.back().kind, DialogKind::OpenFile);
    EXPECT_EQ(fileBytes(pathOf("hallowelt.asm")).substr(0, 2), "x;");
}

// File bytes that a load and a save give back unchanged.
struct RoundTripRow {
    const char* name;
    std::string bytes;
    QString editorText;
};

void PrintTo(const RoundTripRow& row, std::ostream* out) {
    *out << row.name;
}

class RoundTripTest : public SourceFilesTest, public ::testing::WithParamInterface<RoundTripRow> {};

TEST_P(RoundTripTest, LoadedSourceSavesToTheSameBytes) {
    writeFile("in.asm", GetParam().bytes);
    start();
    load(pathOf("in.asm"));
    EXPECT_EQ(editor()->toPlainText(), GetParam().editorText);
    EXPECT_EQ(statusLines().last(), pathOf("in.asm") + " (" +
                                        QString::number(GetParam().bytes.size()) +
                                        " Byte) geladen");
    EXPECT_EQ(fileField(), "Datei: in.asm");
    saveAs(pathOf("out.asm"));
    EXPECT_EQ(fileBytes(pathOf("out.asm")), GetParam().bytes);
    EXPECT_EQ(statusLines().last(), pathOf("out.asm") + " (" +
                                        QString::number(GetParam().bytes.size()) +
                                        " Byte) gespeichert");
    EXPECT_EQ(fileField(), "Datei: out.asm");
}

INSTANTIATE_TEST_SUITE_P(
    Files, RoundTripTest,
    ::testing::Values(RoundTripRow{"Lines", "ORG 0\r\n   NOP\r\nEND", "ORG 0\n   NOP\nEND"},
                      RoundTripRow{"Windows1252",
                                   "; \xC4rger \xFC"
                                   "ber \x80 und \xDF",
                                   "; Ärger über € und ß"},
                      RoundTripRow{"EndsWithLineEnd", "NOP\r\n", "NOP\n"},
                      RoundTripRow{"EmptyLines", "\r\n\r\nNOP\r\n\r\n", "\n\nNOP\n\n"},
                      RoundTripRow{"Empty", "", ""},
                      RoundTripRow{"Tabs", "\tMOV A,#1\t; eins", "\tMOV A,#1\t; eins"}),
    [](const auto& info) { return std::string(info.param.name); });

// Files whose bytes are read in a way that a save writes differently.
struct ReadRow {
    const char* name;
    std::string bytes;
    QString editorText;
};

void PrintTo(const ReadRow& row, std::ostream* out) {
    *out << row.name;
}

class ReadingTest : public SourceFilesTest, public ::testing::WithParamInterface<ReadRow> {};

TEST_P(ReadingTest, FileIsReadAsWindows1252Lines) {
    writeFile("in.asm", GetParam().bytes);
    start();
    load(pathOf("in.asm"));
    EXPECT_EQ(editor()->toPlainText(), GetParam().editorText);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadingTest,
                         ::testing::Values(ReadRow{"LineFeeds", "A\nB\nC", "A\nB\nC"},
                                           ReadRow{"LoneCarriageReturns", "A\rB", "A\nB"},
                                           ReadRow{"StopsAtNul", std::string("NOP\0JMP", 7), "NOP"},
                                           ReadRow{"Utf8ShowsItsBytes", "\xC3\xA4", "Ã¤"},
                                           ReadRow{"ByteOrderMarkIsText", "\xEF\xBB\xBFNOP",
                                                   "ï»¿NOP"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SourceFilesTest, LoadDialogHasItsTitleAndFilters) {
    start();
    load("");
    const DialogCall expected{DialogKind::OpenFile, "Quelle laden", filters, {}};
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{expected});
    EXPECT_EQ(sourceTitle(), "Quelle");
    EXPECT_EQ(fileField(), "Datei: keine");
}

TEST_F(SourceFilesTest, SavingWithoutPathAsksWithAnEmptyName) {
    start();
    type("NOP");
    dialogs.fileNames = {""};
    commandAction("SaveSource")->trigger();
    const DialogCall expected{DialogKind::SaveFile, "Quelle speichern unter", filters, ""};
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{expected});
    EXPECT_EQ(statusLines().last(), "Speichern der Quelle abgebrochen");
    EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
}

TEST_F(SourceFilesTest, SaveAsPresetsTheCurrentPath) {
    writeFile("in.asm", "NOP");
    start();
    load(pathOf("in.asm"));
    saveAs(pathOf("copy"));
    EXPECT_EQ(dialogs.calls.back().preset, pathOf("in.asm"));
    EXPECT_EQ(fileBytes(pathOf("copy")), "NOP") << "a name without extension is taken as typed";
    EXPECT_FALSE(QFile::exists(pathOf("copy.asm")));
}

TEST_F(SourceFilesTest, UnrepresentableCharactersAreSavedAsQuestionMarks) {
    start();
    editor()->insertPlainText(
        "MOV A,#1 ; Ω → ok"); // as pasted; the keyboard helper knows ASCII only
    saveAs(pathOf("lossy.asm"));
    EXPECT_EQ(fileBytes(pathOf("lossy.asm")), "MOV A,#1 ; ? ? ok");
    EXPECT_EQ(statusLines().last(), "Nicht darstellbare Zeichen wurden als '?' gespeichert");
    EXPECT_EQ(editor()->toPlainText(), "MOV A,#1 ; Ω → ok");
    EXPECT_EQ(sourceTitle(), "Quelle");
}

struct FailedSaveRow {
    const char* name;
    QString target; // relative to the working directory
    QString shownName;
};

void PrintTo(const FailedSaveRow& row, std::ostream* out) {
    *out << row.name;
}

class FailedSaveTest : public SourceFilesTest,
                       public ::testing::WithParamInterface<FailedSaveRow> {};

TEST_P(FailedSaveTest, FailedSaveIsReportedAndKeepsTheSourceModified) {
    QDir(pathOf("")).mkdir("folder.asm");
    start();
    type("NOP");
    saveAs(pathOf(GetParam().target));
    EXPECT_EQ(statusLines().last(), "Fehler beim Speichern der Quelle");
    const DialogCall error{DialogKind::Error,
                           "Fehler",
                           "'" + GetParam().shownName + "' konnte nicht gespeichert werden!",
                           {}};
    EXPECT_EQ(dialogs.calls.back(), error);
    EXPECT_EQ(sourceTitle(), "Quelle [geändert]");
    EXPECT_EQ(fileField(), "Datei: keine");
    // The chosen path is kept: a plain save tries it again without a dialog.
    const auto callsBefore = dialogs.calls.size();
    commandAction("SaveSource")->trigger();
    EXPECT_EQ(dialogs.calls.size(), callsBefore + 1);
    EXPECT_EQ(dialogs.calls.back().kind, DialogKind::Error);
}

INSTANTIATE_TEST_SUITE_P(Targets, FailedSaveTest,
                         ::testing::Values(FailedSaveRow{"MissingDirectory", "missing/x.asm",
                                                         "x.asm"},
                                           FailedSaveRow{"Directory", "folder.asm", "folder.asm"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailedLoadRow {
    const char* name;
    QString target;
    QString shownName;
};

void PrintTo(const FailedLoadRow& row, std::ostream* out) {
    *out << row.name;
}

class FailedLoadTest : public SourceFilesTest,
                       public ::testing::WithParamInterface<FailedLoadRow> {};

TEST_P(FailedLoadTest, UnreadableFileChangesNothing) {
    QDir(pathOf("")).mkdir("folder.asm");
    start();
    commandAction("NewSource")->trigger();
    const QString text = editor()->toPlainText();
    dialogs.answers = {true};
    load(pathOf(GetParam().target));
    EXPECT_EQ(statusLines().last(), "Fehler beim Laden der Quelle");
    const DialogCall error{DialogKind::Error,
                           "Fehler",
                           "'" + GetParam().shownName + "' konnte nicht geladen werden!",
                           {}};
    EXPECT_EQ(dialogs.calls.back(), error);
    EXPECT_EQ(editor()->toPlainText(), text);
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]");
    EXPECT_EQ(fileField(), "Datei: hallowelt.asm");
}

INSTANTIATE_TEST_SUITE_P(Targets, FailedLoadTest,
                         ::testing::Values(FailedLoadRow{"Missing", "nichda.asm", "nichda.asm"},
                                           FailedLoadRow{"Directory", "folder.asm", "folder.asm"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovi::test
