#pragma once
// The debugger in the workbench: the "Simulator" child window with its
// session, the "Platine" child window with the board around the chip, the
// simulator commands, breakpoints in the editor's gutter, and the current
// instruction marked in the editor and the object-code list. Breakpoints are
// marks on the editor's lines; each run takes the lines that carry one at its
// start. A board file beside the source, with the source's name, comes with
// each program, unless the user chose a board.

#include <QObject>

#include <functional>
#include <memory>

#include "common/text.h"
#include "settings/simulator_settings.h"
#include "workbench/command_table.h"

class QListWidget;
class QMdiArea;
class QStyle;
class QWidget;

namespace tovi {

class BoardView;
class ChildWindow;
class SimulatorSession;
class SimulatorView;
class SourceEditor;
struct ObjectImage;
class UserDialogs;

class Debugger : public QObject {
    Q_OBJECT

public:
    // What the debugger works with in the main window.
    struct Surroundings {
        QMdiArea* workspace;
        QStyle* toolWindowStyle;
        SourceEditor* editor;
        QListWidget* listing;
        StatusSink appendStatus;
        // Assembles the source when it changed since the program was loaded;
        // false when there is no program to run.
        std::function<bool()> assembleIfChanged;
        // Whether the editor's text is the one the program was assembled from.
        std::function<bool()> programIsCurrent;
        // The source's file, empty while it has none.
        std::function<std::u16string()> sourcePath;
        UserDialogs& dialogs;
        QWidget* dialogParent;
    };

    Debugger(SimulatorSettings& settings, Surroundings surroundings, QObject* parent = nullptr);
    ~Debugger() override;

    // The program of a successful assembly; the processor starts over, and
    // breakpoints on lines without code go.
    void loadProgram(const ObjectImage& image);
    // One of the simulator's commands.
    void runCommand(CommandId id);
    void toggleBreakpoint(int line);
    // Another source is in the editor: a board chosen for the one before gives
    // way to the board beside the new one at the next assembly.
    void sourceReplaced() { boardChosen_ = false; }
    // The Simulator and the Platine windows' places into the settings, before
    // they are saved.
    void storeWindowPlace();

    SimulatorSession& session() { return *session_; }

private:
    bool prepare();
    void dropBreakpointsWithoutCode();
    void reportNoCode(int line);
    void showWindow();
    void showBoardWindow();
    WindowRect openingRect(const WindowRect& stored, const WindowRect& builtIn) const;
    void showWhereItStands();
    void showBoard();
    void loadBoardBesideSource();
    void loadChosenBoard();
    void recordSignals();

    SimulatorSettings& settings_;
    Surroundings surroundings_;
    std::unique_ptr<SimulatorSession> session_;
    SimulatorView* view_ = nullptr;
    ChildWindow* window_ = nullptr;
    BoardView* boardView_ = nullptr;
    ChildWindow* boardWindow_ = nullptr;
    bool boardChosen_ = false; // by "Platine laden…": no longer the one beside the source
};

} // namespace tovi
