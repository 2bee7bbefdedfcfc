#pragma once
// The debugger in the workbench: the "Simulator" child window with its
// session, the simulator commands, breakpoints in the editor's gutter, and the
// current instruction marked in the editor and the object-code list.
// Breakpoints are marks on the editor's lines; each run takes the lines that
// carry one at its start.

#include <QObject>

#include <functional>
#include <memory>

#include "common/text.h"
#include "settings/simulator_settings.h"
#include "workbench/command_table.h"

class QListWidget;
class QMdiArea;
class QStyle;

namespace tovi {

class ChildWindow;
class SimulatorSession;
class SimulatorView;
class SourceEditor;
struct ObjectImage;

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
    };

    Debugger(SimulatorSettings& settings, Surroundings surroundings, QObject* parent = nullptr);
    ~Debugger() override;

    // The program of a successful assembly; the processor starts over, and
    // breakpoints on lines without code go.
    void loadProgram(const ObjectImage& image);
    // One of the simulator's commands.
    void runCommand(CommandId id);
    void toggleBreakpoint(int line);
    // The Simulator window's place into the settings, before they are saved.
    void storeWindowPlace();

    SimulatorSession& session() { return *session_; }

private:
    bool prepare();
    void dropBreakpointsWithoutCode();
    void reportNoCode(int line);
    void showWindow();
    WindowRect openingRect() const;
    void showWhereItStands();

    SimulatorSettings& settings_;
    Surroundings surroundings_;
    std::unique_ptr<SimulatorSession> session_;
    SimulatorView* view_ = nullptr;
    ChildWindow* window_ = nullptr;
};

} // namespace tovi
