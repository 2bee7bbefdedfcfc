// F5 in the window against tovi-asm on the same file: the same status lines,
// listing and binary file.

#include <QProcess>
#include <QScrollBar>
#include <QTimer>

#include "workbench_fixture.h"

namespace tovi::test {
namespace {

struct ProgramRow {
    const char* name;
    QString source;
    bool fillWithFF;
};

void PrintTo(const ProgramRow& row, std::ostream* out) {
    *out << row.name;
}

struct CommandLineRun {
    QStringList output;
    int exitCode;
};

CommandLineRun runToviAsm(const QStringList& arguments) {
    QProcess process;
    process.start(TOVI_ASM_EXECUTABLE, arguments);
    process.waitForFinished(30000);
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return {lines, process.exitCode()};
}

class SameAsToviAsmTest : public WorkbenchTest, public ::testing::WithParamInterface<ProgramRow> {};

TEST_P(SameAsToviAsmTest, WindowAssemblesAsTheCommandLineDoes) {
    start();
    editor()->setPlainText(GetParam().source);
    dialogs.fileNames = {pathOf("prog.asm")};
    commandAction("SaveSourceAs")->trigger();
    if (GetParam().fillWithFF) {
        commandAction("FillFF")->trigger();
    }
    const qsizetype before = statusLines().size();
    QTest::keyClick(editor(), Qt::Key_F5);
    const QStringList windowLines = statusLines().mid(before);
    const QStringList windowListing = listingRows();
    const std::string windowBinary = fileBytes(pathOf("prog.bin"));
    QFile::remove(pathOf("prog.bin"));

    QStringList arguments{"--list", pathOf("prog.asm")};
    if (GetParam().fillWithFF) {
        arguments.prepend("FF");
        arguments.prepend("--fill");
    }
    const CommandLineRun cli = runToviAsm(arguments);
    const bool succeeded = cli.exitCode == 0;
    const qsizetype listingLength = succeeded ? cli.output.size() - windowLines.size() : 1;
    EXPECT_EQ(windowLines, cli.output.mid(listingLength));
    EXPECT_EQ(fileBytes(pathOf("prog.bin")), windowBinary);
    if (succeeded) {
        EXPECT_EQ(windowListing, cli.output.mid(0, listingLength));
    } else {
        EXPECT_EQ(windowListing, QStringList{"Adr Opcode"}) << "a failed run leaves the list alone";
    }
    EXPECT_TRUE(dialogs.calls.size() == 1) << "only the save dialog";
}

const QString blink = "; blinkt an P1\n"
                      "LED EQU 01H\n"
                      "ORG 0\n"
                      "   JMP START\n"
                      "ORG 10H\n"
                      "START: MOV A,#LED\n"
                      "LOOP:  OUTL P1,A\n"
                      "       CALL WAIT\n"
                      "       CPL A\n"
                      "       JMP LOOP\n"
                      "WAIT:  MOV R7,#0FFH\n"
                      "W1:    DJNZ R7,W1\n"
                      "       RET\n"
                      "TABLE: DB 1,2,3\n"
                      "END";

const QString faulty = "ORG 0\n"
                       "   MOV A,\n"
                       "   JMP NIRGENDS\n"
                       "   FOO\n"
                       "END";

INSTANTIATE_TEST_SUITE_P(Programs, SameAsToviAsmTest,
                         ::testing::Values(ProgramRow{"Blink", blink, false},
                                           ProgramRow{"BlinkFilledWithFF", blink, true},
                                           ProgramRow{"Faulty", faulty, false}),
                         [](const auto& info) { return std::string(info.param.name); });

class AssembleTest : public WorkbenchTest {};

TEST_F(AssembleTest, TemplateAssemblesIntoTheListingAndABinaryBesideIt) {
    MainWindow& window = start();
    commandAction("NewSource")->trigger();
    commandAction("Assemble")->trigger();
    EXPECT_EQ(statusLines().last(), "Assemblieren ohne Fehler beendet.");
    EXPECT_EQ(listingRows().first(), "Adr Opcode");
    EXPECT_GT(listingRows().size(), 1);
    EXPECT_EQ(window.binaryPath(), pathOf("hallowelt.bin").toStdU16String());
    EXPECT_TRUE(QFile::exists(pathOf("hallowelt.bin")));
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]") << "assembling does not save";
    EXPECT_FALSE(QFile::exists(pathOf("hallowelt.asm")));
}

TEST_F(AssembleTest, WithoutSourcePathNoBinaryIsWrittenAndF6HasNothingToUpload) {
    MainWindow& window = start();
    editor()->setPlainText("ORG 0\nNOP");
    commandAction("Assemble")->trigger();
    EXPECT_EQ(statusLines().last(), "Assemblieren ohne Fehler beendet.");
    EXPECT_EQ(listingRows(), (QStringList{"Adr Opcode", "000 00   "}));
    EXPECT_TRUE(window.binaryPath().empty());
    commandAction("Upload")->trigger();
    const DialogCall expected{
        DialogKind::Information, "Hinweis", "Es gibt nichts zu emulieren.", {}};
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{expected});
}

TEST_F(AssembleTest, OnlyBlanksGiveTheNoticeAndTouchNothing) {
    start();
    editor()->setPlainText("   ");
    commandAction("Assemble")->trigger();
    const DialogCall expected{
        DialogKind::Information, "Hinweis", "Es gibt nichts zu assemblieren.", {}};
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{expected});
    EXPECT_EQ(statusLines(), QStringList{"Willkommen an Bord!"});
    EXPECT_EQ(listingRows(), QStringList{"Adr Opcode"});
}

TEST_F(AssembleTest, StatusListIsScrolledToItsEnd) {
    start();
    editor()->setPlainText("ORG 0\nNOP");
    for (int i = 0; i < 60; ++i) {
        commandAction("Assemble")->trigger();
    }
    QScrollBar* scroll = statusList()->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST_F(AssembleTest, FailedRunKeepsThePreviousListing) {
    start();
    editor()->setPlainText("ORG 0\nNOP");
    commandAction("Assemble")->trigger();
    const QStringList listing = listingRows();
    editor()->setPlainText("ORG 0\nFOO");
    commandAction("Assemble")->trigger();
    EXPECT_EQ(statusLines().last(), "1 Fehler beim Assemblieren!");
    EXPECT_EQ(listingRows(), listing);
}

class EmulatorCommandsTest : public WorkbenchTest {};

TEST_F(EmulatorCommandsTest, F6SendsTheLastBinaryToTheConfiguredPort) {
    MainWindow& window = start();
    commandAction("NewSource")->trigger();
    commandAction("Assemble")->trigger();
    window.settings().emulator.comPort = u"COM51"; // a name no device stands for
    editor()->appendPlainText("; geändert nach dem Assemblieren");
    QTest::keyClick(editor(), Qt::Key_F6);
    EXPECT_EQ(statusLines().last(),
              "Fehler beim Öffnen der seriellen Schnittstelle - COM51 nicht gefunden");
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(EmulatorCommandsTest, ABinaryThatCouldNotBeWrittenIsNeverUploaded) {
    MainWindow& window = start();
    commandAction("NewSource")->trigger();
    commandAction("Assemble")->trigger();
    ASSERT_FALSE(window.binaryPath().empty());
    QFile::remove(pathOf("hallowelt.bin"));
    ASSERT_TRUE(QDir().mkdir(pathOf("hallowelt.bin"))); // a directory blocks the file
    commandAction("Assemble")->trigger();
    EXPECT_EQ(statusLines().at(statusLines().size() - 2),
              "Fehler beim Speichern der Binärdatei " + pathOf("hallowelt.bin"));
    EXPECT_TRUE(window.binaryPath().empty());
    commandAction("Upload")->trigger();
    const DialogCall expected{
        DialogKind::Information, "Hinweis", "Es gibt nichts zu emulieren.", {}};
    EXPECT_EQ(dialogs.calls, std::vector<DialogCall>{expected});
}

TEST_F(EmulatorCommandsTest, SettingsCommandOpensTheModalDialog) {
    start();
    QString title;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        title = dialog->windowTitle();
        modal = dialog->isModal();
        dialog->close();
    });
    commandAction("EmulatorDialog")->trigger();
    EXPECT_EQ(title, "EPROM Emulator");
    EXPECT_TRUE(modal);
}

} // namespace
} // namespace tovi::test
