// The Platine window: a board file beside the source comes with the program, its parts show what
// the program did and take the mouse, "Platine laden…" refuses a faulty file, "Echtzeit" runs at
// the chip's speed and is kept, "Signale aufzeichnen…" writes a waveform file.

#include "workbench/board_view.h"
#include "workbench/debugger.h"
#include "workbench/simulator_session.h"
#include "workbench/source_editor.h"
#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// Writes "Hallo" to an LCD on P1 (RS P2.0, E P2.1), lights D1 (P2.4) and multiplexes "4" on A
// (P2.2) and "2" on B (P2.3), segments on P1.
const char* const showAll = "        anl p2,#0EFh\n"
                            "        mov r0,#38h\n        call cmd\n"
                            "        mov r0,#0Ch\n        call cmd\n"
                            "        mov r0,#48h\n        call dat\n        mov r0,#61h\n"
                            "        call dat\n        mov r0,#6Ch\n        call dat\n"
                            "        call dat\n        mov r0,#6Fh\n        call dat\n"
                            "mux:    mov a,#99h\n        outl p1,a\n        anl p2,#0FBh\n"
                            "        orl p2,#04h\n        mov a,#0A4h\n        outl p1,a\n"
                            "        anl p2,#0F7h\n        orl p2,#08h\n        jmp mux\n"
                            "cmd:    anl p2,#0FEh\n        jmp send\n"
                            "dat:    orl p2,#01h\n"
                            "send:   mov a,r0\n        outl p1,a\n        orl p2,#02h\n"
                            "        anl p2,#0FDh\n        ret\n";
const char* const showAllBoard = "lcd LCD P1 P2.0 P2.1\nled D1 P2.4\n"
                                 "anzeige A P1 wahl P2.2\nanzeige B P1 wahl P2.3\n";
// D1 (P1.0) lights while T0 is low or P1.4 reads low; the keypad's first row is selected.
const char* const copyInputs =
    "        anl p2,#0FEh\nloop:   jnt0 on\n        in a,p1\n        jb4 off\n"
    "on:     anl p1,#0FEh\n        jmp loop\n"
    "off:    orl p1,#01h\n        jmp loop\n";
const char* const copyBoard = "taste S1 T0\nled D1 P1.0\ntastenfeld K P2.0-1 P1.4-5 \"1234\"\n";

class BoardWindowTest : public WorkbenchTest {
protected:
    SimulatorSession& session() { return window().findChild<Debugger*>()->session(); }
    BoardView* board() { return child<BoardView>("boardView"); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(editor(), key, modifiers);
    }
    // blink.asm with blink.board beside it, loaded.
    void loadWithBoard(const char* source, const char* boardText) {
        writeFile("blink.asm", source);
        writeFile("blink.board", boardText);
        start();
        load("blink.asm");
    }
    void waitUntilStopped() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !session().isRunning(); }, 10000));
    }
    bool checked(const char* command) { return child<QAction>(command)->isChecked(); }
    // A run of a tenth of a second.
    void runAWhile() {
        press(Qt::Key_F9);
        QTest::qWait(100);
        press(Qt::Key_F9, Qt::ShiftModifier);
    }
    QString shown() {
        QStringList texts;
        for (std::size_t part = 0; part < session().boardParts().size(); ++part) {
            texts << board()->partText(static_cast<int>(part));
        }
        return texts.join('|');
    }
};

struct PartRow {
    const char* name;
    const char* source;
    const char* board;
    int part;          // held with the mouse during the run; -1: none
    int key;           // of a keypad; -1: the whole part
    const char* shown; // by the parts after the run
};

class BoardPartsTest : public TableTest<PartRow, BoardWindowTest> {};

const PartRow partRows[] = {
    {"LcdLedAndMultiplexedDigits", showAll, showAllBoard, -1, -1,
     "LCD: \"Hallo           \" \"                \"|D1: an|A: 4|B: 2"},
    {"NothingPressed", copyInputs, copyBoard, -1, -1,
     "S1: losgelassen|D1: aus|K: keine Taste gedrückt"},
    {"ButtonHeld", copyInputs, copyBoard, 0, -1, "S1: gedrückt|D1: an|K: keine Taste gedrückt"},
    {"KeyHeld", copyInputs, copyBoard, 2, 0, "S1: losgelassen|D1: an|K: 1 gedrückt"},
    {"KeyInAnotherRow", copyInputs, copyBoard, 2, 2, "S1: losgelassen|D1: aus|K: 3 gedrückt"},
};

TEST_P(BoardPartsTest, PartsShowWhatTheProgramDid) {
    const PartRow& row = GetParam();
    loadWithBoard(row.source, row.board);
    press(Qt::Key_F7);
    ASSERT_TRUE(board() != nullptr && board()->isVisible());
    QPoint where;
    if (row.part >= 0) {
        where = (row.key < 0 ? board()->partRect(row.part) : board()->keyRect(row.part, row.key))
                    .center();
        QTest::mousePress(board(), Qt::LeftButton, {}, where);
    }
    runAWhile();
    EXPECT_EQ(shown(), row.shown);
    if (row.part >= 0) { // let go, the program sees it again
        QTest::mouseRelease(board(), Qt::LeftButton, {}, where);
        runAWhile();
        EXPECT_EQ(shown(), partRows[1].shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, BoardPartsTest, ::testing::ValuesIn(partRows), byName);

// A faulty board file, beside the source or chosen, leaves the board as it was; a chosen board
// stays over reassembly until another source is loaded, and its switches stay where they were
// set, also over F12.
TEST_F(BoardWindowTest, FaultyBoardsChangeNothingAndChosenOnesStay) {
    loadWithBoard(copyInputs, "led D1 P1.0\nled D2 P3.1\n");
    press(Qt::Key_F7);
    EXPECT_TRUE(statusLines().contains("blink.board, Zeile 2: unbekannter Pin 'P3.1'"));
    EXPECT_EQ(board(), nullptr); // no parts, no window
    writeFile("blink.board", copyBoard);
    QTest::keyClicks(editor(), " ");
    press(Qt::Key_F7);
    EXPECT_EQ(childWindow(4)->windowTitle() + " " + childWindow(5)->windowTitle(),
              "Simulator Platine");
    EXPECT_EQ(shown(), partRows[1].shown);
    writeFile("kaputt.board", "schalter S9 P1.9\n");
    writeFile("gut.board", "schalter S9 T0\nled D9 P1.0\n");
    fileNames << pathOf("kaputt.board") << pathOf("gut.board");
    trigger("LoadBoard");
    EXPECT_EQ(lastStatus(), "kaputt.board, Zeile 1: unbekannter Pin 'P1.9'");
    EXPECT_EQ(shown(), partRows[1].shown);
    trigger("LoadBoard");
    const QImage off = board()->grab(board()->partRect(0)).toImage();
    QTest::mouseClick(board(), Qt::LeftButton, {}, board()->partRect(0).center());
    EXPECT_NE(board()->grab(board()->partRect(0)).toImage(), off); // the lever moved
    for (const char* step : {"Assemble", "Reset"}) {
        QTest::keyClicks(editor(), " ");
        trigger(step);
        runAWhile();
        EXPECT_EQ(shown(), "S9: ein|D9: an") << step;
    }
    EXPECT_EQ(calls.filter("Platine laden: Platinen (*.board)").size(), 2);
    childWindow(5)->close();
    EXPECT_FALSE(board()->isVisible());
    writeFile("andere.asm", copyInputs); // another source brings its own board again
    writeFile("andere.board", "led D7 P1.0\n");
    answers << "Ja"; // the spaces typed above are not saved
    load("andere.asm");
    press(Qt::Key_F7);
    EXPECT_EQ(shown(), "D7: aus");
}

// 100,802 cycles are a quarter of a second at 6 MHz.
TEST_F(BoardWindowTest, RealTimeRunsAtTheChipsSpeedAndIsKept) {
    writeFile("blink.asm", "        mov r6,#200\nouter:  mov r7,#250\ninner:  djnz r7,inner\n"
                           "        djnz r6,outer\ndone:   jmp done\n");
    start();
    load("blink.asm");
    trigger("RealTime");
    static_cast<SourceEditor*>(editor())->goToLine(5);
    QElapsedTimer clock;
    clock.start();
    press(Qt::Key_F4);
    waitUntilStopped();
    EXPECT_GE(clock.elapsed(), 200);
    run("Restart");
    EXPECT_NE(fileBytes("tovi-sim.ini").find("Echtzeit = 1\r\n"), std::string::npos);
    EXPECT_TRUE(checked("RealTime"));
}

// The LED's latch bit falls at cycle 2 and rises at cycle 4: 2.5 µs each at 6 MHz. Another board
// ends the recording with a word; a file that cannot be written is one line.
TEST_F(BoardWindowTest, RecordsTheSignalsOfTheRunsToAVcdFile) {
    loadWithBoard("        anl p1,#0FEh\n        orl p1,#01h\ndone:   jmp done\n", "led D1 P1.0\n");
    press(Qt::Key_F5);
    fileNames << pathOf("lauf.vcd") << "/dev/full";
    trigger("RecordSignals");
    EXPECT_TRUE(checked("RecordSignals"));
    static_cast<SourceEditor*>(editor())->goToLine(3);
    press(Qt::Key_F4);
    waitUntilStopped();
    trigger("RecordSignals");
    EXPECT_FALSE(checked("RecordSignals"));
    const std::string vcd = fileBytes("lauf.vcd");
    EXPECT_NE(vcd.find("$timescale 1ns $end\n$scope module tovi $end\n$var wire 8 ! P1 $end\n"),
              std::string::npos)
        << vcd;
    EXPECT_NE(vcd.find("$var wire 1 ' D1 $end\n"), std::string::npos);
    EXPECT_NE(vcd.find("#5000\nb11111110 !\n0'\n#10000\nb11111111 !\n1'\n"), std::string::npos);
    EXPECT_EQ(calls.last(), "Signale aufzeichnen: Signale (*.vcd) " + pathOf("blink.vcd"));
    trigger("RecordSignals");
    EXPECT_EQ(lastStatus(), "/dev/full kann nicht geschrieben werden");
    EXPECT_FALSE(checked("RecordSignals"));
    writeFile("zwei.board", "led D2 P1.1\n");
    fileNames << pathOf("zwei.vcd") << pathOf("zwei.board");
    trigger("RecordSignals");
    trigger("LoadBoard");
    EXPECT_EQ(lastStatus(), "Aufzeichnung in " + pathOf("zwei.vcd") + " beendet: andere Platine");
    EXPECT_FALSE(checked("RecordSignals"));
    EXPECT_NE(fileBytes("zwei.vcd").find("$enddefinitions $end\n"), std::string::npos);
}

} // namespace
} // namespace tovi::test
