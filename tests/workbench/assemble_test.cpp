// F5 in the window against tovi-asm on the same file: the same status lines,
// listing and binary file; F6 and the emulator settings wired to the link.

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

class SameAsToviAsmTest : public WorkbenchTest, public ::testing::WithParamInterface<ProgramRow> {};

TEST_P(SameAsToviAsmTest, WindowAssemblesAsTheCommandLineDoes) {
    start();
    editor()->setPlainText(GetParam().source);
    dialogs.fileNames = {pathOf("prog.asm")};
    trigger("SaveSourceAs");
    if (GetParam().fillWithFF) {
        trigger("FillFF");
    }
    const qsizetype before = statusLines().size();
    QTest::keyClick(editor(), Qt::Key_F5);
    const QStringList windowLines = statusLines().mid(before);
    const std::string windowBinary = fileBytes(pathOf("prog.bin"));
    QFile::remove(pathOf("prog.bin"));

    QProcess cli;
    cli.start(TOVI_ASM_EXECUTABLE,
              {"--fill", GetParam().fillWithFF ? "FF" : "00", "--list", pathOf("prog.asm")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    QStringList output = QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n');
    EXPECT_EQ(output.takeLast(), "") << "the output ends with a line end";
    // The listing, then the status lines.
    const bool succeeded = cli.exitCode() == 0;
    const qsizetype listingLength = succeeded ? output.size() - windowLines.size() : 1;
    EXPECT_EQ(windowLines, output.mid(listingLength));
    EXPECT_EQ(fileBytes(pathOf("prog.bin")), windowBinary);
    // A failed run leaves the list alone.
    EXPECT_EQ(listingRows(), succeeded ? output.mid(0, listingLength) : QStringList{"Adr Opcode"});
    EXPECT_EQ(dialogs.calls.size(), 1u) << "only the save dialog";
}

const QString blink = "LED EQU 01H\n"
                      "ORG 0\n"
                      "   JMP START\n"
                      "ORG 10H\n"
                      "START: MOV A,#LED ; blinkt an P1\n"
                      "LOOP:  OUTL P1,A\n"
                      "       CALL WAIT\n"
                      "       CPL A\n"
                      "       JMP LOOP\n"
                      "WAIT:  DJNZ R7,WAIT\n"
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
                         byName);

class AssembleTest : public WorkbenchTest {};

TEST_F(AssembleTest, TemplateAssemblesIntoTheListingAndABinaryBesideIt) {
    MainWindow& window = start();
    trigger("NewSource");
    trigger("Assemble");
    EXPECT_EQ(lastStatus(), "Assemblieren ohne Fehler beendet.");
    EXPECT_EQ(listingRows().first(), "Adr Opcode");
    EXPECT_GT(listingRows().size(), 1);
    EXPECT_EQ(window.binaryPath(), pathOf("hallowelt.bin").toStdU16String());
    EXPECT_TRUE(QFile::exists(pathOf("hallowelt.bin")));
    EXPECT_EQ(sourceTitle(), "Quelldatei [geändert]") << "assembling does not save";
    EXPECT_FALSE(QFile::exists(pathOf("hallowelt.asm")));
}

// Each run is followed to the end of the status list; without a source path no
// binary is written, so F6 has nothing to upload.
TEST_F(AssembleTest, WithoutSourcePathNoBinaryIsWrittenAndF6HasNothingToUpload) {
    MainWindow& window = start();
    editor()->setPlainText("ORG 0\nNOP");
    for (int i = 0; i < 60; ++i) {
        trigger("Assemble");
    }
    QScrollBar* scroll = statusList()->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_EQ(lastStatus(), "Assemblieren ohne Fehler beendet.");
    EXPECT_EQ(listingRows(), (QStringList{"Adr Opcode", "000 00   "}));
    EXPECT_TRUE(window.binaryPath().empty());
    trigger("Upload");
    EXPECT_EQ(dialogs.calls, std::vector{notice("Es gibt nichts zu emulieren.")});
}

class EmulatorCommandsTest : public WorkbenchTest {};

TEST_F(EmulatorCommandsTest, F6SendsTheLastBinaryToTheConfiguredPort) {
    MainWindow& window = start();
    trigger("NewSource");
    trigger("Assemble");
    window.settings().emulator.comPort = u"COM51"; // a name no device stands for
    editor()->appendPlainText("; geändert nach dem Assemblieren");
    QTest::keyClick(editor(), Qt::Key_F6);
    EXPECT_EQ(lastStatus(),
              "Fehler beim Öffnen der seriellen Schnittstelle - COM51 nicht gefunden");
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(EmulatorCommandsTest, ABinaryThatCouldNotBeWrittenIsNeverUploaded) {
    MainWindow& window = start();
    trigger("NewSource");
    trigger("Assemble");
    ASSERT_FALSE(window.binaryPath().empty());
    QFile::remove(pathOf("hallowelt.bin"));
    ASSERT_TRUE(QDir().mkdir(pathOf("hallowelt.bin"))); // a directory blocks the file
    trigger("Assemble");
    EXPECT_EQ(statusLines().at(statusLines().size() - 2),
              "Fehler beim Speichern der Binärdatei " + pathOf("hallowelt.bin"));
    EXPECT_TRUE(window.binaryPath().empty());
    trigger("Upload");
    EXPECT_EQ(dialogs.calls, std::vector{notice("Es gibt nichts zu emulieren.")});
}

TEST_F(EmulatorCommandsTest, SettingsCommandOpensTheModalDialog) {
    start();
    QString title;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            modal = dialog->isModal();
            dialog->close();
        }
    });
    trigger("EmulatorDialog");
    EXPECT_EQ(title, "EPROM Emulator");
    EXPECT_TRUE(modal);
}

} // namespace
} // namespace tovi::test
