// The debugger: stepping with the current line marked, breakpoints that stay with their text, runs
// that stay responsive and stop with a reason, the commands a run leaves usable, the Simulator
// window's views and what tovi-sim.ini keeps.

#include "settings/simulator_settings.h"
#include "workbench/debugger.h"
#include "workbench/simulator_session.h"
#include "workbench/source_editor.h"
#include "workbench_fixture.h"

namespace tovi::test {
namespace {

// Addresses: call 000, nop 002, jmp 003, mov 005, djnz 007, ret 009, db 00A.
const QString program = "        call sub\n"
                        "        nop\n"
                        "loop:   jmp loop\n"
                        "sub:    mov r7,#5\n"
                        "wait:   djnz r7,wait\n"
                        "        ret\n"
                        "        db 01h\n";

class DebuggerTest : public WorkbenchTest {
protected:
    SimulatorSession& session() { return window().findChild<Debugger*>()->session(); }
    SourceEditor* source() { return static_cast<SourceEditor*>(editor()); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(editor(), key, modifiers);
    }
    void waitUntilStopped() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !session().isRunning(); }, 10000));
    }
    QString enabledCommands() {
        QStringList names;
        for (const char* name :
             {"Run", "Pause", "StepInto", "StepOver", "StepOut", "RunToCursor"}) {
            names << (child<QAction>(name)->isEnabled() ? name : "-");
        }
        return names.join(' ');
    }
    // Where the simulator stands: PC, its line marked in the editor, the listing's row.
    QString place() {
        const int pc = session().state().pc;
        return QString::number(pc, 16) + " " + QString::number(source()->executionLine()) + " " +
               child<QListWidget>("objectCodeList")->currentItem()->text().left(3);
    }
};

// The first step assembles the template as F5 does; each step moves the marks.
TEST_F(DebuggerTest, StepsTheTemplateWithItsLineMarked) {
    start();
    trigger("NewSource");
    press(Qt::Key_F7);
    EXPECT_EQ(lastStatus(), "Assemblieren ohne Fehler beendet.");
    EXPECT_TRUE(QFile::exists("hallowelt.bin"));
    auto* simulator = window().findChild<QWidget*>("simulatorView");
    ASSERT_TRUE(simulator != nullptr && simulator->isVisible());
    const QStringList places = {"d 34 00D", "e 35 00E", "f 38 00F", "10 40 010", "f 38 00F"};
    for (int step = 0; step < places.size(); ++step) {
        EXPECT_EQ(place(), places[step]) << step;
        press(Qt::Key_F7);
    }
    // What the last step (a NOP) changed stands out, nothing else does.
    const QColor plain =
        simulator->findChild<QLineEdit*>("aField")->palette().color(QPalette::Base);
    QStringList marked;
    for (const auto* field : simulator->findChildren<QLineEdit*>()) {
        if (field->palette().color(QPalette::Base) != plain) {
            marked << field->objectName();
        }
    }
    for (const auto* box : simulator->findChildren<QCheckBox*>()) {
        if (!box->styleSheet().isEmpty()) {
            marked << box->text();
        }
    }
    for (const auto* table : simulator->findChildren<QTableWidget*>()) {
        for (const auto* item : table->findItems("", Qt::MatchContains)) {
            if (item->background().style() != Qt::NoBrush) {
                marked << table->objectName();
            }
        }
    }
    EXPECT_EQ(marked, QStringList{"pcField"});
    simulator->parentWidget()->close();
    EXPECT_FALSE(simulator->isVisible()); // unlike the other windows it goes away
}

TEST_F(DebuggerTest, BreakpointsStopRunsAndSurviveReassembly) {
    start();
    trigger("NewSource");
    source()->goToLine(38);
    press(Qt::Key_F2);
    EXPECT_EQ(source()->breakpointLines(), std::set<int>{38});
    for (std::int64_t run = 0, cycles = 0; run < 2; ++run, cycles = session().state().cycles) {
        press(Qt::Key_F9);
        waitUntilStopped();
        EXPECT_EQ(lastStatus(), "Haltepunkt in Zeile 38 (00FH)") << run;
        EXPECT_EQ(place(), "f 38 00F");
        EXPECT_GT(session().state().cycles, cycles); // the second run leaves the breakpoint first
    }
    editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor(), "; mehr");
    press(Qt::Key_F5);
    EXPECT_EQ(source()->breakpointLines(), std::set<int>{38});
    EXPECT_EQ(place(), "0 15 000"); // a new program starts from reset
    source()->goToLine(38);
    QTest::keyClicks(editor(), ";"); // line 38 holds no code now: its breakpoint goes
    press(Qt::Key_F5);
    EXPECT_TRUE(source()->breakpointLines().empty());
    press(Qt::Key_F9);
    QTest::qWait(100);
    EXPECT_TRUE(session().isRunning()); // past the cleared breakpoint
    press(Qt::Key_F9, Qt::ShiftModifier);
}

// Step over a call, into it and out again, run to the cursor, stop a run that
// never ends, and meet an opcode that does not exist.
TEST_F(DebuggerTest, StepsRunsAndStopsWithAReason) {
    start();
    editor()->setPlainText(program);
    press(Qt::Key_F7);
    EXPECT_EQ(place(), "5 4 005");
    auto* stack = window().findChild<QTableWidget*>("stack");
    EXPECT_NE(stack->item(0, 0)->background(), stack->item(1, 0)->background()); // the call's
    press(Qt::Key_F7); // R7 beside the stack's first level: 5
    EXPECT_EQ(stack->item(0, 0)->text(), "002");
    stack->setCurrentCell(0, 0);
    QTest::keyClick(stack, Qt::Key_5);
    EXPECT_EQ(stack->findChild<QLineEdit*>(), nullptr); // the stack is shown, not edited
    press(Qt::Key_F8, Qt::ShiftModifier);
    waitUntilStopped();
    EXPECT_EQ(place(), "2 2 002");
    session().edit([](mcs48::State& state) { state.xram[9] = 0xA5; });
    press(Qt::Key_F12); // a reset keeps both RAMs: the stack's return address and the MOVX byte
    EXPECT_EQ(QString::number(session().state().pc) + QString::number(session().state().ram[8]) +
                  QString::number(session().state().xram[9], 16),
              "02a5");
    press(Qt::Key_F8);
    waitUntilStopped();
    EXPECT_EQ(place(), "2 2 002");
    EXPECT_EQ(session().state().ram[7], 0); // the call ran to its end
    source()->goToLine(3);
    press(Qt::Key_F4);
    waitUntilStopped();
    EXPECT_EQ(place(), "3 3 003");
    QSignalSpy redrawn(&session(), &SimulatorSession::changed);
    press(Qt::Key_F9);
    QTest::qWait(200);
    EXPECT_TRUE(session().isRunning());
    EXPECT_GE(redrawn.count(), 1); // the views follow the run
    EXPECT_EQ(enabledCommands(), "- Pause - - - -");
    press(Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_FALSE(session().isRunning());
    EXPECT_EQ(enabledCommands(), "Run - StepInto StepOver StepOut RunToCursor");
    EXPECT_EQ(lastStatus(), "Angehalten in Zeile 3 (003H)");
    const auto pausedAt = session().state().cycles;
    QTest::qWait(50);
    EXPECT_EQ(session().state().cycles, pausedAt); // the pause holds
    session().edit([](mcs48::State& state) { state.pc = 0x00A; });
    press(Qt::Key_F9);
    waitUntilStopped();
    EXPECT_EQ(lastStatus(), "Unbekannter Opcode 01H bei 00AH (Zeile 7)");
    editor()->setPlainText("outl p1,a\nmov a,#01h"); // 002 is a data byte of no line
    press(Qt::Key_F7);
    const auto base = [this](const char* name) {
        return window().findChild<QLineEdit*>(name)->palette().color(QPalette::Base);
    };
    EXPECT_NE(base("P1Latch"), base("aField")); // the latch the step changed stands out
    EXPECT_EQ(base("P2Latch"), base("aField"));
    session().edit([](mcs48::State& state) { state.pc = 0x002; });
    press(Qt::Key_F9);
    waitUntilStopped();
    EXPECT_EQ(lastStatus(), "Unbekannter Opcode 01H bei 002H");
    editor()->setPlainText("mov a,#04h\ndb 01h"); // at 001: 04 01, a jump to itself
    press(Qt::Key_F7);
    session().edit([](mcs48::State& state) { state.pc = 0x001; });
    press(Qt::Key_F9);
    press(Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(lastStatus(), "Angehalten bei 001H");
    EXPECT_EQ(session().listingRowOfAddress(0x001), -1); // inside an instruction
    const auto cycles = session().state().cycles;
    source()->goToLine(1);
    QTest::keyClicks(editor(), "%% ");
    press(Qt::Key_F7); // the source no longer assembles: nothing runs
    EXPECT_EQ(lastStatus(), "1 Fehler beim Assemblieren!");
    editor()->clear();
    press(Qt::Key_F7); // nor when there is nothing to assemble
    EXPECT_EQ(session().state().cycles, cycles);
}

// A run that leaves the program's code stops there; one that starts outside goes on wherever it
// leads, through code and out of it again, slice after slice.
TEST_F(DebuggerTest, RunsStopWhereTheCodeEnds) {
    start();
    editor()->setPlainText("mov a,#10h\nloop: jmpp @a\norg 10h\ndb 20h\norg 21h\njmp loop");
    press(Qt::Key_F9);
    waitUntilStopped();
    EXPECT_EQ(lastStatus(), "Halt: kein Programmcode bei 020H");
    press(Qt::Key_F9);
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return !session().isRunning() || session().state().instructions > 2'000'000; },
        10000));
    EXPECT_TRUE(session().isRunning()) << lastStatus().toStdString();
    press(Qt::Key_F9, Qt::ShiftModifier);
}

// Edits around the breakpoint on line 38 (00FH) of the template: it stays with its text, and goes
// with its line or when another source comes.
struct EditRow {
    const char* name;
    int line;
    const char* step; // "Enter" at the start of the line, "DeleteLine", or a command
    int movedTo;      // 0: gone
};

class BreakpointEditTest : public TableTest<EditRow, DebuggerTest> {};

const EditRow editRows[] = {
    {"EnterAtItsStart", 38, "Enter", 39},       {"LineInsertedAbove", 16, "Enter", 39},
    {"LineDeletedAbove", 16, "DeleteLine", 37}, {"ItsLineDeleted", 38, "DeleteLine", 0},
    {"NewSource", 38, "NewSource", 0},          {"LoadSource", 38, "LoadSource", 0},
};

TEST_P(BreakpointEditTest, BreakpointStaysWithItsText) {
    const EditRow& row = GetParam();
    writeFile("hallowelt.asm", "nop\n");
    start();
    trigger("NewSource");
    source()->goToLine(38);
    press(Qt::Key_F2);
    source()->goToLine(row.line);
    if (std::string_view(row.step) == "Enter") {
        press(Qt::Key_Return);
    } else if (std::string_view(row.step) == "DeleteLine") {
        press(Qt::Key_Down, Qt::ShiftModifier);
        press(Qt::Key_Delete);
    } else {
        run(row.step);
    }
    EXPECT_EQ(source()->breakpointLines(), row.movedTo ? std::set{row.movedTo} : std::set<int>{});
    if (row.movedTo != 0) {
        press(Qt::Key_F9);
        waitUntilStopped();
        EXPECT_EQ(lastStatus(), QString("Haltepunkt in Zeile %1 (00FH)").arg(row.movedTo));
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, BreakpointEditTest, ::testing::ValuesIn(editRows), byName);

// A stored size of the Simulator or the Platine window that is missing, not positive or larger than
// the workspace gives the built-in one; a usable one is kept.
struct PlaceRow {
    const char* name;
    const char* stored; // the [Fenster] group of tovi-sim.ini
    bool kept;
};

class SimulatorPlaceTest : public TableTest<PlaceRow, DebuggerTest> {};

const PlaceRow placeRows[] = {
    {"Missing", "F4X = 5\r\n", false},
    {"Zero", "F4W = 0\r\nF4H = 0\r\n", false},
    {"Negative", "F4W = -600\r\nF4H = -400\r\n", false},
    {"LargerThanTheWorkspace", "F4W = 9000\r\nF4H = 300\r\n", false},
    {"Usable", "F4W = 500\r\nF4H = 300\r\n", true},
};

TEST_P(SimulatorPlaceTest, SimulatorWindowOpensAtAUsableSize) {
    const QString stored = GetParam().stored;
    writeFile("tovi-sim.ini",
              ("[Fenster]\r\n" + stored + QString(stored).replace("F4", "F5")).toStdString());
    writeFile("led.board", "led D1 P1.0\n");
    start();
    editor()->setPlainText(program);
    fileNames << pathOf("led.board");
    trigger("LoadBoard"); // opens the Simulator window, then the Platine window
    QStringList sizes;
    for (const auto& [n, builtIn] :
         {std::pair{4, SimulatorSettings().window}, {5, SimulatorSettings().boardWindow}}) {
        const QSize expected =
            GetParam().kept ? QSize(500, 300) : QSize(builtIn.width, builtIn.height);
        EXPECT_EQ(childWindow(n)->widget()->size(), expected) << n;
        sizes << QString("F%1W = %2\r\nF%1H = %3\r\n")
                     .arg(n)
                     .arg(expected.width())
                     .arg(expected.height());
    }
    run("Restart");
    for (const QString& size : sizes) {
        EXPECT_NE(fileBytes("tovi-sim.ini").find(size.toStdString()), std::string::npos)
            << fileBytes("tovi-sim.ini");
    }
}

INSTANTIATE_TEST_SUITE_P(StoredSizes, SimulatorPlaceTest, ::testing::ValuesIn(placeRows), byName);

// Values typed into the views and pins switched reach the processor; chip,
// clock and the window's place come back after an orderly end.
TEST_F(DebuggerTest, ViewsEditTheStateAndTheChoicesAreKept) {
    start();
    editor()->setPlainText(program);
    press(Qt::Key_F7);
    auto* simulator = window().findChild<QWidget*>("simulatorView");
    QStringList shown; // every value the window shows carries its name
    for (const auto* widget : simulator->findChildren<QWidget*>()) {
        shown << widget->property("text").toString() << widget->property("title").toString();
    }
    for (const auto* table : simulator->findChildren<QTableWidget*>()) {
        shown << table->horizontalHeaderItem(table->columnCount() - 1)->text();
    }
    const QStringList captions =
        QString("Chip:|Takt:|Prozessor|PC|A|PSW|F1|MB1|Stapel|Timer/Zähler und Interrupts|T|TF|"
                "EN I|EN TCNTI|Timer-Anforderung|Interrupt in Bearbeitung (bis RETR)|"
                "Ports (Latch, Eingangspins 7…0)|P1 |P2 |BUS |P4 |P7 |T0|T1|/INT|Interner RAM|"
                "Externer RAM (MOVX)|R7|PSW 4-7|F")
            .split('|');
    for (const QString& caption : captions) {
        EXPECT_TRUE(shown.contains(caption)) << caption.toStdString();
    }
    EXPECT_EQ(simulator->findChild<QTableWidget*>("registers")->font().family(), // hex in columns
              QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    auto* scroll = simulator->findChild<QScrollArea*>();
    simulator->parentWidget()->resize(2400, 1600);
    EXPECT_GT(scroll->widget()->width(), 2000); // the views grow with the window
    for (const auto& [name, text] :
         {std::pair{"aField", "5a"}, {"timerField", "fe"}, {"pcField", "zz"}, {"P1Latch", "a5"}}) {
        simulator->findChild<QLineEdit*>(name)->setText(text);
        emit simulator->findChild<QLineEdit*>(name)->editingFinished();
    }
    EXPECT_EQ(simulator->findChild<QLineEdit*>("pcField")->text(), "005"); // "zz" is refused
    auto* registers = simulator->findChild<QTableWidget*>("registers");
    registers->item(1, 2)->setText("77");
    for (const char* pin : {"t0Pin", "t1Pin", "BUSPin7", "P2Pin0"}) {
        simulator->findChild<QCheckBox*>(pin)->click();
    }
    EXPECT_EQ(session().state().a, 0x5A);
    EXPECT_EQ(session().state().timer, 0xFE); // the timer counts on from the typed value
    EXPECT_EQ(session().state().latch(mcs48::Port::P1), 0xA5);
    EXPECT_EQ(session().state().ram[24 + 2], 0x77);
    EXPECT_EQ(simulator->findChild<QTableWidget*>("internalRam")->item(1, 10)->text(), "77");
    registers->item(0, 7)->setText("zz"); // refused: the value shown before comes back at once
    EXPECT_EQ(registers->item(0, 7)->text(), "00");
    QTest::keyClicks(editor(), " ");
    press(Qt::Key_F7); // assembled anew, from reset: the pins keep their levels
    EXPECT_FALSE(session().state().t0 || session().state().t1);
    EXPECT_EQ(session().state().busPins, 0x7F);
    EXPECT_EQ(session().state().p2Pins, 0xFE);
    const auto* pin7 = simulator->findChild<QCheckBox*>("P1Pin7"); // pins in a row like bits
    EXPECT_EQ(simulator->findChild<QCheckBox*>("P1Pin6")->x(), pin7->x() + pin7->width());
    simulator->findChild<QComboBox*>("chipChoice")->setCurrentIndex(0);
    auto* clock = simulator->findChild<QDoubleSpinBox*>("clockChoice");
    clock->setValue(11.0);
    EXPECT_TRUE(clock->text().endsWith(" MHz"));
    simulator->parentWidget()->move(33, 44);
    run("Restart");
    const std::string kept = fileBytes("tovi-sim.ini");
    EXPECT_NE(kept.find("F4X = 33\r\nF4Y = 44\r\n"), std::string::npos) << kept;
    EXPECT_NE(kept.find("[Simulator]\r\nChip = 8048\r\nTaktKHz = 11000\r\n"), std::string::npos);
    EXPECT_EQ(session().chip(), mcs48::Chip::I8048);
    editor()->setPlainText(program);
    press(Qt::Key_F7);
    EXPECT_EQ(window().findChild<QDoubleSpinBox*>("clockChoice")->value(), 11.0);
    const std::string ini = fileBytes("tovi.ini");
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 25); // tovi.ini keeps its 25 lines
}

} // namespace
} // namespace tovi::test
