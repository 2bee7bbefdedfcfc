#include "workbench/debugger.h"

#include "common/file_io.h"
#include "workbench/board_view.h"
#include "workbench/child_window.h"
#include "workbench/simulator_session.h"
#include "workbench/simulator_view.h"
#include "workbench/source_editor.h"
#include "workbench/user_dialogs.h"

#include <QListWidget>
#include <QMdiArea>
#include <QScrollArea>

#include <filesystem>

namespace tovi {

Debugger::Debugger(SimulatorSettings& settings, Surroundings surroundings, QObject* parent)
    : QObject(parent), settings_(settings), surroundings_(std::move(surroundings)),
      session_(std::make_unique<SimulatorSession>(settings)) {
    connect(session_.get(), &SimulatorSession::changed, this, &Debugger::showWhereItStands);
    connect(session_.get(), &SimulatorSession::changed, this, &Debugger::showBoard);
    connect(session_.get(), &SimulatorSession::boardChanged, this, [this] {
        if (window_ != nullptr) {
            showBoardWindow();
        }
    });
    connect(session_.get(), &SimulatorSession::statusLine, this,
            [this](const QString& line) { surroundings_.appendStatus(line.toStdU16String()); });
    connect(surroundings_.editor, &SourceEditor::gutterClicked, this, &Debugger::toggleBreakpoint);
}

Debugger::~Debugger() = default;

void Debugger::loadProgram(const ObjectImage& image) {
    if (!boardChosen_) {
        loadBoardBesideSource();
    }
    session_->loadProgram(image);
    dropBreakpointsWithoutCode();
}

// blink.board for blink.asm; without one, or without a source file, no board.
void Debugger::loadBoardBesideSource() {
    const std::u16string source = surroundings_.sourcePath();
    std::filesystem::path beside = toPath(source);
    beside.replace_extension(".board");
    std::error_code ignored;
    if (source.empty() || !std::filesystem::exists(beside, ignored)) {
        return session_->clearBoard();
    }
    if (const auto error = session_->loadBoard(QString::fromStdU16String(beside.u16string()))) {
        surroundings_.appendStatus(error->toStdU16String());
    }
}

void Debugger::loadChosenBoard() {
    const QString path = surroundings_.dialogs.openFileName(surroundings_.dialogParent,
                                                            QStringLiteral("Platine laden"),
                                                            QStringLiteral("Platinen (*.board)"));
    if (path.isEmpty()) {
        return;
    }
    if (const auto error = session_->loadBoard(path)) {
        return surroundings_.appendStatus(error->toStdU16String());
    }
    boardChosen_ = true;
    showWindow();
}

// Choosing it again ends the recording.
void Debugger::recordSignals() {
    if (session_->isRecording()) {
        return session_->stopRecording();
    }
    std::filesystem::path preset = toPath(surroundings_.sourcePath());
    if (!preset.empty()) {
        preset.replace_extension(".vcd");
    }
    const QString path = surroundings_.dialogs.saveFileName(
        surroundings_.dialogParent, QStringLiteral("Signale aufzeichnen"),
        QString::fromStdU16String(preset.u16string()), QStringLiteral("Signale (*.vcd)"));
    if (path.isEmpty()) {
        return;
    }
    if (const auto error = session_->startRecording(path)) {
        surroundings_.appendStatus(error->toStdU16String());
    }
}

void Debugger::runCommand(CommandId id) {
    switch (id) {
    case CommandId::Pause:
        return session_->pause();
    case CommandId::LoadBoard:
        return loadChosenBoard();
    case CommandId::RealTime:
        return session_->setRealTime(!session_->realTime());
    case CommandId::RecordSignals:
        return recordSignals();
    default:
        break;
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
    const auto placeOf = [](const ChildWindow* window) {
        return WindowRect{window->x(), window->y(), window->widget()->width(),
                          window->widget()->height()};
    };
    if (window_ != nullptr) {
        settings_.window = placeOf(window_);
    }
    if (boardWindow_ != nullptr) {
        settings_.boardWindow = placeOf(boardWindow_);
    }
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
        window_->placeAt(openingRect(settings_.window, SimulatorSettings().window));
    }
    window_->show();
    window_->raise();
    showBoardWindow();
}

// The Platine window shows a board with parts; it comes after the Simulator
// window, in the workspace and in the window list.
void Debugger::showBoardWindow() {
    if (session_->boardParts().empty()) {
        return;
    }
    if (boardWindow_ == nullptr) {
        boardView_ = new BoardView;
        auto* scroll = new QScrollArea;
        scroll->setWidget(boardView_);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        boardWindow_ =
            new ChildWindow(QStringLiteral("Platine"), scroll, surroundings_.toolWindowStyle);
        boardWindow_->setClosable(true);
        surroundings_.workspace->addSubWindow(boardWindow_);
        boardWindow_->placeAt(openingRect(settings_.boardWindow, SimulatorSettings().boardWindow));
        connect(boardView_, &BoardView::partPressed, session_.get(), &SimulatorSession::setPressed);
    }
    boardWindow_->show();
    boardWindow_->raise();
    showBoard();
}

// The stored place, unless its size is unusable or larger than the workspace:
// then the built-in one.
WindowRect Debugger::openingRect(const WindowRect& stored, const WindowRect& builtIn) const {
    const QSize area = surroundings_.workspace->viewport()->size();
    const bool usable =
        isUsableSize(stored) && stored.width <= area.width() && stored.height <= area.height();
    return fitInto(usable ? stored : builtIn, area);
}

// Only while the window is open: a hidden board costs the runs nothing.
void Debugger::showBoard() {
    if (boardWindow_ != nullptr && boardWindow_->isVisible()) {
        boardView_->showParts(session_->boardParts());
    }
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
