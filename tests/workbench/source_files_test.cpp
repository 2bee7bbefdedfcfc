// Sources made from the template, loaded and saved; the modified state and its
// titles; the "Warnung" questions; failed saves; F5 and F6.

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

const QString filters = "Quelldateien (*.asm);;Alle Dateien (*.*)";
const QString askNew = "Warnung: Quelle wurde geändert. Trotzdem neu anlegen?";
const QString askLoad = "Warnung: Quelle wurde geändert. Trotzdem laden?";
const QString askExit = "Warnung: Quelle wurde geändert. Trotzdem beenden?";
const QString askReplace = "Warnung: Die Datei 'hallowelt.asm' existiert bereits. Überschreiben?";
const QString noUpload = "Hinweis: Es gibt nichts zu emulieren.";
const QString notSaved = "Fehler: 'hallowelt.asm' konnte nicht gespeichert werden!";
const QString cancelled = "Speichern der Quelle abgebrochen";
const QString clean = "Quelle", changed = "Quelle [geändert]", fresh = "Quelldatei [geändert]";

class SourceTest : public WorkbenchTest {
protected:
    // The bytes a save writes for the editor's text.
    std::string editorBytes() {
        return editor()->toPlainText().replace(u'\n', "\r\n").toLatin1().toStdString();
    }
    QString byteStatus(const QString& name, const char* done) {
        const QString size = QString::number(QFileInfo(pathOf(name)).size());
        return pathOf(name) + " (" + size + " Byte) " + done;
    }
    QStringList shown() { return {sourceTitle(), label("fileField"), lastStatus()}; }
};

// The template under "hallowelt.asm" in the working directory, with today's
// date; cancelled file dialogs change nothing.
TEST_F(SourceTest, NewSourceIsTheTemplateAndCancelledDialogsChangeNothing) {
    start();
    child<QPlainTextEdit>("statusList")->setFocus();
    trigger("NewSource");
    const QString text = editor()->toPlainText();
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    EXPECT_EQ(text.count(QRegularExpression(" am: +" + today + "\n")), 2);
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_EQ(lastStatus(), "Beispielprogramm 'hallowelt.asm' erzeugt");
    answers = {"Ja"};
    fileNames = {"", ""};
    trigger("LoadSource");
    trigger("SaveSourceAs");
    EXPECT_EQ(calls,
              (QStringList{askLoad, "Quelle laden: " + filters,
                           "Quelle speichern unter: " + filters + " " + pathOf("hallowelt.asm")}));
    EXPECT_EQ(editor()->toPlainText(), text);
    EXPECT_EQ(shown(), (QStringList{fresh, "Datei: hallowelt.asm", cancelled}));
}

// Steps with every question answered Yes, then a command: the box it shows (a
// question answered Yes where the row expects an effect), the title after it,
// whether it changed the source or the file or ended the run, and otherwise the
// status line it adds. "hallowelt.asm" exists from before this run.
struct StateRow {
    const char* name;
    std::vector<const char*> before;
    const char* command;
    QString box;
    bool effect;
    QString title;
    QString status = {};
};

using SourceStateTest = TableTest<StateRow, SourceTest>;

TEST_P(SourceStateTest, CommandGoesOnOnlyAfterYesAndTheTitleTellsTheState) {
    const StateRow& row = GetParam();
    if (row.status.contains("COM4") && QFile::exists("/dev/ttyS3")) {
        GTEST_SKIP() << "COM4 stands for a device on this machine";
    }
    writeFile("hallowelt.asm", "END");
    start();
    for (const char* step : row.before) {
        run(step);
    }
    const QString text = editor()->toPlainText();
    const std::string file = fileBytes("hallowelt.asm");
    const QStringList status = statusLines();
    calls.clear();
    run(row.command, row.effect);
    const QStringList boxes = calls.filter(QRegularExpression("^(Warnung|Hinweis|Fehler): "));
    EXPECT_EQ(boxes, row.box.isEmpty() ? QStringList{} : QStringList{row.box});
    EXPECT_EQ(sourceTitle(), row.title);
    const bool quit = window().quitRequested();
    const bool saved = fileBytes("hallowelt.asm") != file;
    EXPECT_NE(window().isVisible(), quit);
    EXPECT_EQ(editor()->toPlainText() != text || quit || saved, row.effect);
    EXPECT_EQ(std::filesystem::is_symlink("hallowelt.asm"),
              std::ranges::count(row.before, std::string_view("Link")) == 1);
    if (saved) {
        EXPECT_EQ(fileBytes("hallowelt.asm"), editorBytes());
        EXPECT_EQ(lastStatus(), byteStatus("hallowelt.asm", "gespeichert"));
    } else if (!row.effect) {
        EXPECT_EQ(statusLines(),
                  status + (row.status.isEmpty() ? QStringList{} : QStringList{row.status}));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(States, SourceStateTest, ::testing::Values(
    //       name               before                               command        box effect title status
    StateRow{"AtStart",         {},                                  "Close",        {},         1, clean},
    StateRow{"Typed",           {"Type"},                            "Close",        askExit,    0, changed},
    StateRow{"TypedThenClosed", {"Type"},                            "Close",        askExit,    1, changed},
    StateRow{"New",             {"NewSource"},                       "Close",        askExit,    0, fresh},
    StateRow{"TypedAfterNew",   {"NewSource", "Type"},               "Exit",         askExit,    0, fresh},
    StateRow{"LoadOverTyping",  {"Type"},                            "LoadSource",   askLoad,    1, clean},
    StateRow{"LoadRefused",     {"Type"},                            "LoadSource",   askLoad,    0, changed},
    StateRow{"NewOverTyping",   {"Type"},                            "NewSource",    askNew,     1, fresh},
    StateRow{"NewRefused",      {"Type"},                            "NewSource",    askNew,     0, changed},
    StateRow{"NewAfterLoad",    {"LoadSource"},                      "NewSource",    {},         1, fresh},
    StateRow{"TypedAfterLoad",  {"LoadSource", "Type"},              "Close",        askExit,    0, changed},
    StateRow{"EmptiedAtOnce",   {"LoadSource", "DeleteAll"},         "Close",        {},         1, clean},
    StateRow{"OneDeleted",      {"LoadSource", "DeleteOne"},         "Close",        askExit,    0, changed},
    StateRow{"SavedAfterNew",   {"NewSource", "SaveSourceAs"},       "Close",        {},         1, clean},
    StateRow{"TypedAfterSave",  {"NewSource", "SaveSource", "Type"}, "Close",        askExit,    0, changed},
    StateRow{"NewOverOldNo",    {"NewSource"},                       "SaveSource",   askReplace, 0, fresh, cancelled},
    StateRow{"NewOverOld",      {"NewSource"},                       "SaveSource",   askReplace, 1, clean},
    StateRow{"SaveAsOverOldNo", {"Type"},                            "SaveSourceAs", askReplace, 0, changed, cancelled},
    StateRow{"SaveAsOverOld",   {"Type"},                            "SaveSourceAs", askReplace, 1, clean},
    StateRow{"SaveAsOverLoaded",{"LoadSource", "Type"},              "SaveSourceAs", askReplace, 0, changed, cancelled},
    StateRow{"SaveLoaded",      {"LoadSource", "Type"},              "SaveSource",   {},         1, clean},
    StateRow{"NewOverLoaded",   {"LoadSource", "NewSource"},         "SaveSource",   {},         1, clean},
    StateRow{"SaveAgain",       {"NewSource", "SaveSource", "Type"}, "SaveSource",   {},         1, clean},
    StateRow{"SaveProtected",   {"Protect", "LoadSource", "Type"},   "SaveSource",   notSaved,   0, changed,
             "Fehler beim Speichern der Quelle"},
    StateRow{"SaveThroughLink", {"Link", "LoadSource", "Type"},      "SaveSource",   {},         1, clean},
    StateRow{"NothingToUpload", {},                                  "Upload",       noUpload,   0, clean},
    StateRow{"NoSourcePath",    {"Type", "Assemble"},                "Upload",       noUpload,   0, changed},
    StateRow{"NoBinaryWritten", {"NewSource", "Assemble", "BlockBinary", "Assemble"}, "Upload", noUpload, 0, fresh},
    // The first start leaves the port empty: COM4 stands in. The last binary goes, though changed since.
    StateRow{"UploadViaCom4",   {"NewSource", "Assemble", "Type"},   "Upload",       {},         0, fresh,
             "Fehler beim Öffnen der seriellen Schnittstelle - COM4 nicht gefunden"}),
    byName);
// clang-format on

// File bytes, the editor text they load as, and the bytes a save then writes.
TEST_F(SourceTest, LoadedSourcesSaveAsWindows1252LinesWithCrLf) {
    const struct {
        std::string bytes;
        QString text;
        std::optional<std::string> saved; // when not the bytes read
    } rows[] = {
        {"ORG 0\r\n   NOP\r\nEND", "ORG 0\n   NOP\nEND", {}},
        {"; \xC4rger \xFC"
         "ber \x80 und \xDF",
         "; Ärger über € und ß",
         {}},
        {"NOP\r\n", "NOP\n", {}},
        {"", "", {}},
        {"A\nB\nC", "A\nB\nC", "A\r\nB\r\nC"},
        {"A\rB", "A\nB", "A\r\nB"},
        {std::string("NOP\0JMP", 7), "NOP", "NOP"}, // up to the first NUL
    };
    start();
    for (const auto& row : rows) {
        writeFile("in.asm", row.bytes);
        load("in.asm");
        EXPECT_EQ(editor()->toPlainText(), row.text);
        EXPECT_EQ(shown(), (QStringList{clean, "Datei: in.asm", byteStatus("in.asm", "geladen")}));
        QFile::remove(pathOf("out"));
        fileNames = {pathOf("out")}; // a name without extension is taken as typed
        trigger("SaveSourceAs");
        EXPECT_EQ(calls.last(), "Quelle speichern unter: " + filters + " " + pathOf("in.asm"));
        EXPECT_EQ(fileBytes("out"), row.saved.value_or(row.bytes));
        EXPECT_EQ(shown(), (QStringList{clean, "Datei: out", byteStatus("out", "gespeichert")}));
    }
}

TEST_F(SourceTest, StatusShowsControlAndUnsavableCharactersAsQuestionMarks) {
    start();
    for (const QString name : {"a\nb.asm", "a\x1B"
                                           "b.asm"}) {
        writeFile(name, "NOP");
        load(name);
        EXPECT_EQ(lastStatus(), pathOf("a?b.asm") + " (3 Byte) geladen");
    }
    editor()->insertPlainText("; Ω → ok"); // as pasted; keyClicks knows ASCII only
    answers = {"Ja"};
    load("nichda.asm"); // a failed load changes nothing
    EXPECT_EQ(calls.last(), "Fehler: 'nichda.asm' konnte nicht geladen werden!");
    EXPECT_EQ(sourceTitle() + " " + lastStatus(), changed + " Fehler beim Laden der Quelle");
    fileNames = {pathOf("lossy.asm")};
    trigger("SaveSourceAs");
    EXPECT_EQ(fileBytes("lossy.asm"), "; ? ? okNOP");
    EXPECT_EQ(lastStatus(), "Nicht darstellbare Zeichen wurden als '?' gespeichert");
    EXPECT_EQ(editor()->toPlainText(), "; Ω → okNOP");
}

// F5 in the window against tovi-asm on the same file: the same status lines,
// of which the list keeps the last 10,000, the same listing and binary file.
struct ProgramRow {
    const char* name;
    QString source; // empty: the template of "Quelle neu"
    bool fillWithFF;
};

using SameAsToviAsmTest = TableTest<ProgramRow>;

TEST_P(SameAsToviAsmTest, WindowAssemblesAsTheCommandLineDoes) {
    start();
    GetParam().source.isEmpty() ? trigger("NewSource") : editor()->setPlainText(GetParam().source);
    fileNames = {pathOf("prog.asm")};
    trigger("SaveSourceAs");
    if (GetParam().fillWithFF) {
        trigger("FillFF");
    }
    const QStringList before = statusLines();
    QTest::keyClick(editor(), Qt::Key_F5);
    const std::string windowBinary = fileBytes("prog.bin");
    QFile::remove(pathOf("prog.bin"));

    QProcess cli;
    cli.start(TOVI_ASM_EXECUTABLE,
              {"--fill", GetParam().fillWithFF ? "FF" : "00", "--list", pathOf("prog.asm")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    QStringList output = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n');
    EXPECT_EQ(output.takeLast(), "") << "the output ends with a line end";
    // The listing, then the status lines; a failed run leaves the list alone.
    const bool succeeded = cli.exitCode() == 0;
    QStringList listing;
    for (const QListWidgetItem* row :
         child<QListWidget>("objectCodeList")->findItems("*", Qt::MatchWildcard)) {
        listing << row->text();
    }
    // A failed run prints the listing's heading only.
    const qsizetype listingLength = succeeded ? listing.size() : 1;
    const QStringList expected = before + output.mid(listingLength);
    EXPECT_EQ(statusLines(), expected.mid(std::max<qsizetype>(0, expected.size() - 10'000)));
    EXPECT_EQ(listing, succeeded ? output.mid(0, listingLength) : QStringList{"Adr Opcode"});
    EXPECT_EQ(fileBytes("prog.bin"), windowBinary);
    EXPECT_EQ(calls.size(), 1) << "only the save dialog";
    const QScrollBar* scroll = child<QPlainTextEdit>("statusList")->verticalScrollBar();
    EXPECT_EQ(scroll->value(), scroll->maximum()) << "the list shows its end";
}

const QString blink = "LED EQU 01H\nORG 0\n   JMP START\nORG 10H\nSTART: MOV A,#LED ; blinkt\n"
                      "LOOP: OUTL P1,A\n   CALL WAIT\n   CPL A\n   JMP LOOP\n"
                      "WAIT: DJNZ R7,WAIT\n   RET\nTABLE: DB 0AH\nEND";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Programs, SameAsToviAsmTest, ::testing::Values(
    ProgramRow{"BlinkFilledWithFF",  blink,                                             true},
    ProgramRow{"Template",           {},                                                false},
    ProgramRow{"Faulty",             "ORG 0\n   MOV A,\n   JMP NIRGENDS\n   FOO\nEND",  false},
    ProgramRow{"TenThousandAndFive", QString(" xyz\n").repeated(10'005),                false}),
    byName);
// clang-format on

} // namespace
} // namespace tovi::test
