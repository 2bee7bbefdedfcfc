#pragma once
// The workbench's one top-level window: menu bar, toolbar, the workspace with
// the child windows "Quelle", "Status" and "Objektcode (HEX)", and the status
// bar. Every menu item, toolbar button and function key reaches runCommand
// with the id of its row in the command table.

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/persistent_settings.h"
#include "workbench/command_table.h"

class QLabel;
class QListWidget;
class QMdiArea;
class QMenu;
class QPlainTextEdit;
class QStyle;
class QTimer;

namespace tovi {

class Assembler;
class EmulatorLink;
class CaretField;
class Debugger;
class FindDialog;
class SourceEditor;
class ChildWindow;
class SourceFiles;
class UserDialogs;
class WindowTracker;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // `settings` lives for the whole run; the window keeps its window
    // rectangles and fill byte up to date.
    MainWindow(PersistentSettings& settings, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    void runCommand(CommandId id);
    // Loads a file given on the command line, as "Quelle laden" would.
    void openAtStart(const QString& path);

    // Adds one line at the end of the status list.
    void appendStatus(std::u16string_view line);
    // A line for the status list, and the line of the source it leads to (0: none).
    struct StatusLine {
        std::u16string text;
        int sourceLine = 0;
    };
    // Adds several lines at once, as one update of the status list.
    void appendStatusLines(const std::vector<StatusLine>& lines);

    Settings& settings() { return settings_.values(); }
    const std::u16string& binaryPath() const { return binaryPath_; }
    // Set once "Beenden" has been confirmed; the window then closes.
    bool quitRequested() const { return quitRequested_; }

protected:
    // Closing the window goes through "Beenden" and its question.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeMainWindow();
    void createActions();
    void createToolBar();
    void createMenus();
    void createWorkspace();
    void createChildWindows();
    ChildWindow* addChildWindow(int n, const QString& title, QWidget* content);
    void createEditorPopup();
    void createFindDialog();
    void createDebugger();
    void followErrorLines();
    void createStatusBar();
    void startCaretTimer();
    void trackGeometry();

    void updateWindowMenu();
    void showEditorPopup();

    bool assemble();
    bool assembleIfChanged();
    void enableSimulatorCommands(bool running);
    void askForLine();
    QString infoText() const;
    void showListing(const std::vector<std::u16string>& listing);
    void scrollStatusToEnd();
    void upload();
    void uploadToEmulator(const QString& binaryPath);
    void openEmulatorDialog();
    void exitProgram();
    void setFillByte(std::uint8_t value);

    QAction* action(CommandId id) const { return actions_.at(id); }
    WindowRect openingRect(int n) const;

    PersistentSettings& settings_;
    UserDialogs& dialogs_;
    std::unique_ptr<Assembler> assembler_;
    std::unique_ptr<SourceFiles> sourceFiles_;
    std::unique_ptr<CaretField> caretField_;
    std::unique_ptr<EmulatorLink> emulatorLink_;
    std::map<CommandId, QAction*> actions_;
    QFont editorFont_;
    QStyle* toolWindowStyle_ = nullptr;
    QMdiArea* workspace_ = nullptr;
    SourceEditor* sourceEditor_ = nullptr;
    FindDialog* findDialog_ = nullptr;
    Debugger* debugger_ = nullptr;
    std::vector<std::int32_t> listingLines_; // the source line of each listing row
    int assembledRevision_ = -1;             // the editor's text the program came from
    QPlainTextEdit* statusList_ = nullptr;
    QListWidget* objectCodeList_ = nullptr;
    std::array<ChildWindow*, windowCount> childWindows_{}; // by window number; 0 is this window
    QMenu* windowMenu_ = nullptr;
    QMenu* editorPopup_ = nullptr;
    QLabel* caretLabel_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QTimer* caretTimer_ = nullptr;
    WindowTracker* windowTracker_ = nullptr;
    std::u16string binaryPath_;
    bool quitRequested_ = false;
};

} // namespace tovi
