#include "workbench/debugger.h"

#include "workbench/child_window.h"
#include "workbench/simulator_session.h"
#include "workbench/simulator_view.h"
#include "workbench/source_editor.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QScreen>

namespace tovi {

Debugger::Debugger(SimulatorSettings& settings, Surroundings surroundings, QObject* parent)
    : QObject(parent), settings_(settings), surroundings_(std::move(surroundings)),
      session_(std::make_unique<SimulatorSession>(settings)) {
    connect(session_.get(), &SimulatorSession::changed, this, &Debugger::showWhereItStands);
    connect(session_.get(), &SimulatorSession::stopReport, this,
            [this](const QString& line) { surroundings_.appendStatus(line.toStdU16String()); });
    connect(surroundings_.editor, &SourceEditor::gutterClicked, this, &Debugger::toggleBreakpoint);
}

Debugger::~Debugger() = default;

void Debugger::loadProgram(const ObjectImage& image) {
    session_->loadProgram(image);
    surroundings_.editor->setBreakpointLines(session_->breakpoints());
}

void Debugger::runCommand(CommandId id) {
    if (id == CommandId::Pause) {
        return session_->pause();
    }
    if (id == CommandId::ToggleBreakpoint) {
        return toggleBreakpoint(surroundings_.editor->caretLine());
    }
    if (session_->isRunning() || !prepare()) {
        return;
    }
    view_->rememberBaseline();
    switch (id) {
    case CommandId::Run:
        return session_->run();
    case CommandId::StepInto:
        return session_->stepInto();
    case CommandId::StepOver:
        return session_->stepOver();
    case CommandId::StepOut:
        return session_->stepOut();
    case CommandId::Reset:
        return session_->reset();
    case CommandId::RunToCursor:
        break;
    default:
        return;
    }
    const int line = surroundings_.editor->caretLine();
    if (const auto address = session_->addressOfLine(line)) {
        return session_->runTo(*address);
    }
    surroundings_.appendStatus(u"Zeile " + decimalText(line) + u" enthält keinen Befehl");
}

// Lines are checked against the text as it is now, so a breakpoint goes only
// where an instruction stands even before the next assembly.
void Debugger::toggleBreakpoint(int line) {
    if (!session_->toggleBreakpoint(line, surroundings_.codeLines())) {
        surroundings_.appendStatus(u"Zeile " + decimalText(line) +
                                   u" enthält keinen Befehl: kein Haltepunkt");
        return;
    }
    surroundings_.editor->setBreakpointLines(session_->breakpoints());
}

void Debugger::storeWindowPlace() {
    if (window_ == nullptr) {
        return;
    }
    settings_.window = {window_->x(), window_->y(), window_->widget()->width(),
                        window_->widget()->height()};
}

// The program of the text as it is, and the window to show it in.
bool Debugger::prepare() {
    if (!surroundings_.assembleIfChanged()) {
        return false;
    }
    showWindow();
    return session_->hasProgram();
}

void Debugger::showWindow() {
    if (window_ == nullptr) {
        view_ = new SimulatorView(*session_);
        window_ =
            new ChildWindow(QStringLiteral("Simulator"), view_, surroundings_.toolWindowStyle);
        window_->setClosable(true);
        surroundings_.workspace->addSubWindow(window_);
        window_->placeAt(fitInto(settings_.window,
                                 QGuiApplication::primaryScreen()->availableGeometry().size()));
    }
    window_->show();
    window_->raise();
}

// The current instruction's line in the editor and its row in the listing,
// once the simulator is in use: assembling alone marks nothing.
void Debugger::showWhereItStands() {
    if (window_ == nullptr) {
        return;
    }
    const int pc = session_->state().pc;
    surroundings_.editor->setExecutionLine(session_->lineOfAddress(pc));
    const int row = session_->listingRowOfAddress(pc);
    if (row >= 0 && row < surroundings_.listing->count()) {
        surroundings_.listing->setCurrentRow(row);
        surroundings_.listing->scrollToItem(surroundings_.listing->item(row));
    }
}

} // namespace tovi
