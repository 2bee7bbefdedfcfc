#include "workbench/debugger.h"

#include "workbench/child_window.h"
#include "workbench/simulator_session.h"
#include "workbench/simulator_view.h"
#include "workbench/source_editor.h"

#include <QListWidget>
#include <QMdiArea>

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
    dropBreakpointsWithoutCode();
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
    session_->useBreakpoints(surroundings_.editor->breakpointLines());
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

// A mark goes on any line while the text differs from the program's; the
// next assembly decides. Against the program of the text as it is, a line
// without code is refused at once.
void Debugger::toggleBreakpoint(int line) {
    SourceEditor& editor = *surroundings_.editor;
    const bool on = !editor.hasBreakpoint(line);
    if (on && surroundings_.programIsCurrent() && !session_->addressOfLine(line)) {
        return reportNoCode(line);
    }
    editor.setBreakpoint(line, on);
}

void Debugger::dropBreakpointsWithoutCode() {
    for (const int line : surroundings_.editor->breakpointLines()) {
        if (!session_->addressOfLine(line)) {
            surroundings_.editor->setBreakpoint(line, false);
            reportNoCode(line);
        }
    }
}

void Debugger::reportNoCode(int line) {
    surroundings_.appendStatus(u"Zeile " + decimalText(line) +
                               u" enthält keinen Befehl: kein Haltepunkt");
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
        window_->placeAt(openingRect());
    }
    window_->show();
    window_->raise();
}

// The stored place, unless its size is unusable or larger than the workspace:
// then the built-in one.
WindowRect Debugger::openingRect() const {
    const QSize area = surroundings_.workspace->viewport()->size();
    const WindowRect& stored = settings_.window;
    const bool usable =
        isUsableSize(stored) && stored.width <= area.width() && stored.height <= area.height();
    return fitInto(usable ? stored : SimulatorSettings().window, area);
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
