// How fast the workbench starts up to its shown main window, how fast F5
// assembles the 2 KiB benchmark program with the listing filled, how fast a
// keystroke is in a long source and how fast the debugger runs with its views
// and the Platine window open, all on Qt's offscreen platform unless told
// otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QWindow>

#include <memory>

#include "bench/program_generator.h"
#include "workbench/debugger.h"
#include "workbench/main_window.h"
#include "workbench/simulator_session.h"
#include "workbench/user_dialogs.h"
#include "workbench/workbench.h"

namespace {

// Every file dialog chooses one fixed file; no box needs an answer.
class FixedDialogs : public tovi::UserDialogs {
public:
    explicit FixedDialogs(QString fileName) : fileName_(std::move(fileName)) {}
    bool question(QWidget*, const QString&, const QString&) override { return true; }
    void information(QWidget*, const QString&, const QString&) override {}
    void error(QWidget*, const QString&, const QString&) override {}
    QString openFileName(QWidget*, const QString&, const QString&) override { return fileName_; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return fileName_;
    }
    int lineNumber(QWidget*, const QString&, const QString&, int, int) override { return 1; }

private:
    QString fileName_;
};

// Runs in a temporary working directory, as a first start would.
class WorkingDirectory {
public:
    WorkingDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(directory_.path()); }
    ~WorkingDirectory() { QDir::setCurrent(previous_); }
    QString filePath(const QString& name) const { return directory_.filePath(name); }

private:
    QTemporaryDir directory_;
    QString previous_;
};

bool showAndWaitUntilExposed(QWidget& window) {
    window.show();
    for (int round = 0; round < 1000; ++round) {
        QCoreApplication::processEvents();
        if (window.windowHandle() != nullptr && window.windowHandle()->isExposed()) {
            return true;
        }
    }
    return false;
}

// A workbench in its own working directory, shown on the screen.
struct ShownWorkbench {
    WorkingDirectory directory;
    FixedDialogs dialogs{directory.filePath("programm.asm")};
    tovi::Workbench workbench{dialogs};
    tovi::MainWindow& window = workbench.mainWindow();

    ShownWorkbench() { showAndWaitUntilExposed(window); }
};

// Settings file, window, toolbar, menus, workspace, child windows, status bar
// and timer, up to the window on the screen.
void startUpToShownWindow(benchmark::State& state) {
    WorkingDirectory directory;
    FixedDialogs dialogs(directory.filePath("programm.asm"));
    for (auto _ : state) {
        tovi::Workbench workbench(dialogs);
        if (!showAndWaitUntilExposed(workbench.mainWindow())) {
            state.SkipWithError("the main window was not shown");
            break;
        }
        state.PauseTiming();
        workbench.mainWindow().hide();
        state.ResumeTiming();
    }
}
BENCHMARK(startUpToShownWindow)->Unit(benchmark::kMillisecond);

QString programText() {
    QStringList lines;
    for (const auto& line : tovi::bench::twoKilobyteProgram()) {
        lines << QString::fromStdU16String(line);
    }
    return lines.join(u'\n');
}

// F5 on a saved source: the passes, the listing in the object-code list, the
// binary file beside the source and the status lines.
void assembleTwoKilobyteProgram(benchmark::State& state) {
    ShownWorkbench shown;
    tovi::MainWindow& window = shown.window;
    auto* editor = window.findChild<QPlainTextEdit*>("sourceEditor");
    auto* statusList = window.findChild<QPlainTextEdit*>("statusList");
    auto* listing = window.findChild<QListWidget*>("objectCodeList");
    editor->setPlainText(programText());
    window.runCommand(tovi::CommandId::SaveSourceAs);
    for (auto _ : state) {
        window.runCommand(tovi::CommandId::Assemble);
        state.PauseTiming();
        const bool succeeded = statusList->document()->lastBlock().text() ==
                               QStringLiteral("Assemblieren ohne Fehler beendet.");
        statusList->setPlainText(QString());
        state.ResumeTiming();
        if (!succeeded) {
            state.SkipWithError("the benchmark program did not assemble");
            break;
        }
    }
    state.counters["listing rows"] = listing->count();
}
BENCHMARK(assembleTwoKilobyteProgram)->Unit(benchmark::kMillisecond);

// One keystroke in a 10,000-line source, up to the repainted editor: the
// change handling, the syntax colours and the gutter. It must stay below
// 16 ms, one frame, to feel fluid.
void typeIntoTenThousandLines(benchmark::State& state) {
    ShownWorkbench shown;
    tovi::MainWindow& window = shown.window;
    auto* editor = window.findChild<QPlainTextEdit*>("sourceEditor");
    QStringList lines;
    for (int i = 0; i < 10'000; ++i) {
        lines << QStringLiteral("L%1:   MOV A,#%2H   ; Zeile %1")
                     .arg(i)
                     .arg(i % 256, 2, 16, QChar(u'0'));
    }
    editor->setPlainText(lines.join(u'\n'));
    editor->moveCursor(QTextCursor::Start);
    for (int i = 0; i < 5'000; ++i) {
        editor->moveCursor(QTextCursor::Down);
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(editor, Qt::Key_X);
        editor->viewport()->repaint();
        QTest::keyClick(editor, Qt::Key_Backspace);
        editor->viewport()->repaint();
    }
    state.counters["keystrokes"] =
        benchmark::Counter(2, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(typeIntoTenThousandLines)->Unit(benchmark::kMillisecond);

// Each iteration runs the loaded program for a second with F9 and stops it;
// the counter is the instructions per second of those runs.
void measureRuns(benchmark::State& state, tovi::MainWindow& window) {
    tovi::SimulatorSession& session = window.findChild<tovi::Debugger*>()->session();
    std::uint64_t instructions = 0;
    for (auto _ : state) {
        const std::uint64_t before = session.state().instructions;
        window.runCommand(tovi::CommandId::Run);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1000) {
            QCoreApplication::processEvents();
        }
        window.runCommand(tovi::CommandId::Pause);
        instructions += session.state().instructions - before;
    }
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}

// A run of the simulator with the Simulator window open: slices of the
// processor between window events, the views redrawn 25 times a second.
void runWithTheViewsOpen(benchmark::State& state) {
    ShownWorkbench shown;
    tovi::MainWindow& window = shown.window;
    window.findChild<QPlainTextEdit*>("sourceEditor")
        ->setPlainText(QStringLiteral("        en tcnti\n        strt t\n"
                                      "loop:   mov r2,#200\n"
                                      "wait:   djnz r2,wait\n        jmp loop\n"
                                      "        org 7\n        inc r7\n        retr\n"));
    window.runCommand(tovi::CommandId::StepInto);
    measureRuns(state, window);
}
BENCHMARK(runWithTheViewsOpen)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A run on a board that writes an LCD and multiplexes two digits, with the
// Platine window open (1) or closed (0): the latches change every other
// instruction, and the window redraws 25 times a second.
void runWithThePlatine(benchmark::State& state) {
    ShownWorkbench shown;
    tovi::MainWindow& window = shown.window;
    QFile source(shown.directory.filePath("programm.asm"));
    QFile board(shown.directory.filePath("programm.board"));
    if (!source.open(QIODevice::WriteOnly) || !board.open(QIODevice::WriteOnly)) {
        state.SkipWithError("the program could not be written");
        return;
    }
    source.write(
        "        anl p2,#0EFh\n        mov r0,#38h\n        call cmd\n"
        "        mov r0,#0Ch\n        call cmd\n        mov r0,#48h\n        call dat\n"
        "mux:    mov a,#99h\n        outl p1,a\n        anl p2,#0FBh\n        orl p2,#04h\n"
        "        mov a,#0A4h\n        outl p1,a\n        anl p2,#0F7h\n"
        "        orl p2,#08h\n        jmp mux\n"
        "cmd:    anl p2,#0FEh\n        jmp send\ndat:    orl p2,#01h\n"
        "send:   mov a,r0\n        outl p1,a\n        orl p2,#02h\n"
        "        anl p2,#0FDh\n        ret\n");
    board.write("lcd LCD P1 P2.0 P2.1\nled D1 P2.4\nanzeige A P1 wahl P2.2\n"
                "anzeige B P1 wahl P2.3\ntastenfeld K P2.4-7 BUS.0-3 \"123A456B789C*0#D\"\n");
    source.close();
    board.close();
    window.runCommand(tovi::CommandId::LoadSource);
    window.runCommand(tovi::CommandId::StepInto);
    auto* platine = window.findChild<QWidget*>("boardView");
    if (platine == nullptr) {
        state.SkipWithError("the Platine window did not open");
        return;
    }
    platine->setVisible(state.range(0) != 0);
    measureRuns(state, window);
}
BENCHMARK(runWithThePlatine)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
