// How fast the workbench starts up to its shown main window, and how fast F5
// assembles the 2 KiB benchmark program with the listing filled, both on Qt's
// offscreen platform unless told otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QWindow>

#include <memory>

#include "bench/program_generator.h"
#include "workbench/main_window.h"
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
    WorkingDirectory directory;
    FixedDialogs dialogs(directory.filePath("programm.asm"));
    tovi::Workbench workbench(dialogs);
    tovi::MainWindow& window = workbench.mainWindow();
    showAndWaitUntilExposed(window);
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
