#include "workbench/main_window.h"

#include "common/source_text.h"
#include "common/text.h"
#include "emulator/emulator_link.h"
#include "image/assembly_driver.h"
#include "qtshared/qt_text.h"
#include "workbench/caret_field.h"
#include "workbench/child_window.h"
#include "workbench/debugger.h"
#include "workbench/find_dialog.h"
#include "workbench/icons.h"
#include "workbench/simulator_session.h"
#include "workbench/source_editor.h"
#include "workbench/source_files.h"
#include "workbench/user_dialogs.h"
#include "workbench/window_tracker.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace tovi {
namespace {

constexpr std::array simulatorCommands = {
    CommandId::Run,     CommandId::Pause,       CommandId::StepInto,         CommandId::StepOver,
    CommandId::StepOut, CommandId::RunToCursor, CommandId::ToggleBreakpoint, CommandId::Reset,
};

constexpr int caretSamplingMilliseconds = 200;
// The status list forgets its oldest lines beyond this many.
constexpr int maxStatusLines = 10'000;
constexpr int caretFieldWidth = 200;

QFont loadEditorFont() {
    if (QFontDatabase::families().contains(QStringLiteral("Lucida Console"))) {
        return QFont(QStringLiteral("Lucida Console"), 10, QFont::Normal);
    }
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(10);
    fixed.setWeight(QFont::Normal);
    return fixed;
}

QSize availableScreenSize() {
    return QGuiApplication::primaryScreen()->availableGeometry().size();
}

WindowRect builtInRect(int n) {
    Settings builtIn;
    setDefaultWindowRects(builtIn);
    return builtIn.windowRects[static_cast<std::size_t>(n)];
}

} // namespace

MainWindow::MainWindow(PersistentSettings& settings, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), settings_(settings), dialogs_(dialogs),
      assembler_(std::make_unique<Assembler>()) {
    setWindowTitle(QStringLiteral("Tovi"));
    setWindowIcon(iconFor(IconRole::Emulator));
    setContextMenuPolicy(Qt::NoContextMenu);
    placeMainWindow();
    editorFont_ = loadEditorFont();
    createActions();
    createToolBar();
    createMenus();
    createStatusBar();
    createWorkspace();
    createChildWindows();
    createEditorPopup();
    createFindDialog();
    createDebugger();
    followErrorLines();
    sourceFiles_ = std::make_unique<SourceFiles>(
        SourceView{sourceEditor_, childWindows_[sourceWindow], fileLabel_, this}, dialogs_,
        [this](std::u16string_view line) { appendStatus(line); });
    emulatorLink_ = std::make_unique<EmulatorLink>(
        this, settings_, [this](std::u16string_view line) { appendStatus(line); },
        iconFor(IconRole::Emulator));
    connect(sourceEditor_, &QPlainTextEdit::textChanged, this,
            [this] { sourceFiles_->markModified(); });
    startCaretTimer();
    trackGeometry();
}

MainWindow::~MainWindow() = default;

// Centred on the primary screen with the stored inner size, reduced to what
// the screen offers.
void MainWindow::placeMainWindow() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const WindowRect rect = fitInto(openingRect(mainWindow), screen.size());
    resize(rect.width, rect.height);
    move(screen.left() + std::max(0, (screen.width() - rect.width) / 2),
         screen.top() + std::max(0, (screen.height() - rect.height) / 2));
}

void MainWindow::createActions() {
    for (const Command& command : commandTable) {
        auto* commandAction = new QAction(iconFor(command.icon), toQString(command.menuText), this);
        commandAction->setObjectName(
            QString::fromLatin1(command.name.data(), static_cast<qsizetype>(command.name.size())));
        commandAction->setToolTip(toQString(command.toolTip));
        if (command.key != noKey) {
            commandAction->setShortcut(QKeySequence(command.key));
            commandAction->setShortcutContext(Qt::WindowShortcut);
        }
        connect(commandAction, &QAction::triggered, this,
                [this, id = command.id] { runCommand(id); });
        // Added to the window itself, so that the keys work wherever the focus is inside it.
        addAction(commandAction);
        actions_[command.id] = commandAction;
    }
    auto* fillChoice = new QActionGroup(this);
    for (CommandId id : {CommandId::Fill00, CommandId::FillFF}) {
        action(id)->setCheckable(true);
        fillChoice->addAction(action(id));
    }
    action(settings_.values().fillByte == 0xFF ? CommandId::FillFF : CommandId::Fill00)
        ->setChecked(true);
    for (CommandId id : {CommandId::RealTime, CommandId::RecordSignals}) {
        action(id)->setCheckable(true);
    }
    action(CommandId::RealTime)->setChecked(settings_.simulator().realTime);
}

void MainWindow::createToolBar() {
    QToolBar* toolBar = addToolBar(QStringLiteral("Werkzeugleiste"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->addAction(action(CommandId::NewSource));
    toolBar->addAction(action(CommandId::LoadSource));
    toolBar->addAction(action(CommandId::SaveSource));
    toolBar->addSeparator();
    toolBar->addAction(action(CommandId::Assemble));
    toolBar->addAction(action(CommandId::Upload));
    toolBar->addSeparator();
    for (const CommandId id : simulatorCommands) {
        toolBar->addAction(action(id));
    }
}

// Each menu opens with Alt and its underlined letter.
void MainWindow::createMenus() {
    QMenu* programMenu = menuBar()->addMenu(QStringLiteral("&Programm"));
    programMenu->addAction(action(CommandId::NewSource));
    programMenu->addAction(action(CommandId::LoadSource));
    programMenu->addAction(action(CommandId::SaveSource));
    programMenu->addAction(action(CommandId::SaveSourceAs));
    programMenu->addSeparator();
    QMenu* settingsMenu =
        programMenu->addMenu(iconFor(IconRole::Settings), QStringLiteral("Einstellungen"));
    settingsMenu->addAction(action(CommandId::EmulatorDialog));
    QMenu* fillMenu = settingsMenu->addMenu(iconFor(IconRole::Emulator),
                                            QStringLiteral("ungenutzter Programmspeicher"));
    fillMenu->addAction(action(CommandId::Fill00));
    fillMenu->addAction(action(CommandId::FillFF));
    programMenu->addSeparator();
    programMenu->addAction(action(CommandId::Exit));

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    for (const CommandId id :
         {CommandId::Find, CommandId::FindNext, CommandId::Replace, CommandId::GoToLine}) {
        editMenu->addAction(action(id));
    }

    QMenu* runMenu = menuBar()->addMenu(QStringLiteral("&Ausführen"));
    runMenu->addAction(action(CommandId::Assemble));
    runMenu->addAction(action(CommandId::Upload));

    QMenu* simulatorMenu = menuBar()->addMenu(QStringLiteral("&Simulator"));
    for (const CommandId id : simulatorCommands) {
        simulatorMenu->addAction(action(id));
    }
    simulatorMenu->addSeparator();
    for (const CommandId id :
         {CommandId::LoadBoard, CommandId::RealTime, CommandId::RecordSignals}) {
        simulatorMenu->addAction(action(id));
    }

    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Fenster"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);
}

void MainWindow::createWorkspace() {
    workspace_ = new QMdiArea;
    workspace_->setObjectName(QStringLiteral("workspace"));
    workspace_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    workspace_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    workspace_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(workspace_);
}

void MainWindow::createChildWindows() {
    toolWindowStyle_ = createToolWindowStyle(this);

    sourceEditor_ = new SourceEditor;
    sourceEditor_->setObjectName(QStringLiteral("sourceEditor"));
    sourceEditor_->setFont(editorFont_);
    sourceEditor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    childWindows_[sourceWindow] =
        addChildWindow(sourceWindow, QStringLiteral("Quelle"), sourceEditor_);

    statusList_ = new QPlainTextEdit(QStringLiteral("Willkommen an Bord!"));
    statusList_->setObjectName(QStringLiteral("statusList"));
    statusList_->setReadOnly(true);
    statusList_->setMaximumBlockCount(maxStatusLines);
    statusList_->setLineWrapMode(QPlainTextEdit::NoWrap);
    childWindows_[statusWindow] =
        addChildWindow(statusWindow, QStringLiteral("Status"), statusList_);

    objectCodeList_ = new QListWidget;
    objectCodeList_->setObjectName(QStringLiteral("objectCodeList"));
    objectCodeList_->setFont(editorFont_);
    objectCodeList_->setUniformItemSizes(true);
    objectCodeList_->addItem(toQString(listingHeading));
    childWindows_[objectCodeWindow] =
        addChildWindow(objectCodeWindow, QStringLiteral("Objektcode (HEX)"), objectCodeList_);

    workspace_->setActiveSubWindow(childWindows_[sourceWindow]);
}

ChildWindow* MainWindow::addChildWindow(int n, const QString& title, QWidget* content) {
    auto* window = new ChildWindow(title, content, toolWindowStyle_);
    workspace_->addSubWindow(window);
    // The workspace scrolls, so a child window may be as large as the screen.
    window->placeAt(fitInto(openingRect(n), availableScreenSize()));
    window->show();
    return window;
}

void MainWindow::createEditorPopup() {
    editorPopup_ = new QMenu(this);
    editorPopup_->setObjectName(QStringLiteral("editorPopup"));
    editorPopup_->addAction(action(CommandId::Cut));
    editorPopup_->addAction(action(CommandId::Copy));
    editorPopup_->addAction(action(CommandId::Paste));
    sourceEditor_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sourceEditor_, &QWidget::customContextMenuRequested, this,
            &MainWindow::showEditorPopup);
}

void MainWindow::createFindDialog() {
    findDialog_ = new FindDialog(this, *sourceEditor_);
    connect(findDialog_, &FindDialog::notFound, this, [this](const QString& text) {
        dialogs_.information(this, QStringLiteral("Hinweis"),
                             QStringLiteral("'%1' wurde nicht gefunden.").arg(text));
    });
    connect(findDialog_, &FindDialog::replaced, this, [this](int count) {
        appendStatus(QStringLiteral("%1 Stellen ersetzt").arg(count).toStdU16String());
    });
}

void MainWindow::createDebugger() {
    debugger_ = new Debugger(
        settings_.simulator(),
        {workspace_, toolWindowStyle_, sourceEditor_, objectCodeList_,
         [this](std::u16string_view line) {
             appendStatus(line);
             scrollStatusToEnd();
         },
         [this] { return assembleIfChanged(); },
         [this] { return assembledRevision_ == sourceEditor_->document()->revision(); },
         [this] { return sourceFiles_->sourcePath(); }, dialogs_, this},
        this);
    connect(&debugger_->session(), &SimulatorSession::runningChanged, this,
            &MainWindow::enableSimulatorCommands);
    connect(&debugger_->session(), &SimulatorSession::recordingChanged,
            action(CommandId::RecordSignals), &QAction::setChecked);
    enableSimulatorCommands(false);
}

// Anhalten only while a run goes on, the commands that start one only while none does.
void MainWindow::enableSimulatorCommands(bool running) {
    action(CommandId::Pause)->setEnabled(running);
    for (const CommandId id : {CommandId::Run, CommandId::StepInto, CommandId::StepOver,
                               CommandId::StepOut, CommandId::RunToCursor}) {
        action(id)->setEnabled(!running);
    }
}

// A double click or Enter on an error line in the status list, and a double
// click on a row of the listing, go to the source line they came from.
void MainWindow::followErrorLines() {
    statusList_->viewport()->installEventFilter(this);
    statusList_->installEventFilter(this);
    connect(objectCodeList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const auto row = static_cast<std::size_t>(objectCodeList_->row(item));
        if (row < listingLines_.size()) { // the heading's line 0 leads nowhere
            sourceEditor_->goToLine(listingLines_[row]);
        }
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const bool doubleClick =
        watched == statusList_->viewport() && event->type() == QEvent::MouseButtonDblClick;
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    const bool enter = watched == statusList_ && key != nullptr &&
                       (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
    if (!doubleClick && !enter) {
        return QMainWindow::eventFilter(watched, event);
    }
    QTextCursor line = statusList_->textCursor();
    if (doubleClick) {
        line =
            statusList_->cursorForPosition(static_cast<QMouseEvent*>(event)->position().toPoint());
    }
    const int sourceLine = line.block().userState();
    if (sourceLine <= 0) {
        return QMainWindow::eventFilter(watched, event);
    }
    sourceEditor_->goToLine(sourceLine);
    return true;
}

void MainWindow::createStatusBar() {
    caretLabel_ = new QLabel(QStringLiteral("Zeile: 0, Spalte: 0"));
    caretLabel_->setObjectName(QStringLiteral("caretField"));
    caretLabel_->setFixedWidth(caretFieldWidth);
    caretLabel_->setAlignment(Qt::AlignCenter);
    fileLabel_ = new QLabel(QStringLiteral("Datei: keine"));
    fileLabel_->setObjectName(QStringLiteral("fileField"));
    fileLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusBar()->addWidget(caretLabel_);
    statusBar()->addWidget(fileLabel_, 1);
}

void MainWindow::startCaretTimer() {
    caretField_ = std::make_unique<CaretField>(*sourceEditor_, *caretLabel_);
    caretTimer_ = new QTimer(this);
    caretTimer_->setObjectName(QStringLiteral("caretTimer"));
    caretTimer_->setInterval(caretSamplingMilliseconds);
    connect(caretTimer_, &QTimer::timeout, this, [this] { caretField_->update(); });
    caretTimer_->start();
}

void MainWindow::trackGeometry() {
    windowTracker_ = new WindowTracker(settings_.values().windowRects, this);
    windowTracker_->trackMainWindow(this);
    for (int n = sourceWindow; n < windowCount; ++n) {
        windowTracker_->trackChildWindow(n, childWindows_[static_cast<std::size_t>(n)]);
    }
}

// "Info", a separator, then one numbered entry per child window in the order
// they were created; the active one is checked.
void MainWindow::updateWindowMenu() {
    windowMenu_->clear();
    windowMenu_->addAction(action(CommandId::Info));
    windowMenu_->addSeparator();
    const QList<QMdiSubWindow*> windows = workspace_->subWindowList(QMdiArea::CreationOrder);
    for (qsizetype i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows.at(i);
        QAction* entry =
            windowMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(window->windowTitle()));
        entry->setCheckable(true);
        entry->setChecked(window == workspace_->currentSubWindow());
        connect(entry, &QAction::triggered, this,
                [this, window] { workspace_->setActiveSubWindow(window); });
    }
}

// Opens at the mouse pointer, one pixel up and left, also for a request from
// the keyboard.
void MainWindow::showEditorPopup() {
    editorPopup_->popup(QCursor::pos() - QPoint(1, 1));
}

void MainWindow::runCommand(CommandId id) {
    switch (id) {
    case CommandId::NewSource:
        if (sourceFiles_->confirmDiscard(discardForNew)) {
            sourceFiles_->newSource();
            debugger_->sourceReplaced();
        }
        return;
    case CommandId::LoadSource:
        if (sourceFiles_->confirmDiscard(discardForLoad) && sourceFiles_->loadSource()) {
            debugger_->sourceReplaced();
        }
        return;
    case CommandId::SaveSource:
        return sourceFiles_->saveSource(SaveMode::Save);
    case CommandId::SaveSourceAs:
        return sourceFiles_->saveSource(SaveMode::SaveAs);
    case CommandId::EmulatorDialog:
        return openEmulatorDialog();
    case CommandId::Exit:
        return exitProgram();
    case CommandId::Assemble:
        assemble();
        return;
    case CommandId::Upload:
        return upload();
    case CommandId::Fill00:
        return setFillByte(0x00);
    case CommandId::FillFF:
        return setFillByte(0xFF);
    case CommandId::Info:
        return dialogs_.information(this, QStringLiteral("Info"), infoText());
    case CommandId::Cut:
        return sourceEditor_->cut();
    case CommandId::Copy:
        return sourceEditor_->copy();
    case CommandId::Paste:
        return sourceEditor_->paste();
    case CommandId::Find:
        return findDialog_->open(false);
    case CommandId::FindNext:
        return findDialog_->findNext();
    case CommandId::Replace:
        return findDialog_->open(true);
    case CommandId::GoToLine:
        return askForLine();
    case CommandId::Run:
    case CommandId::Pause:
    case CommandId::StepInto:
    case CommandId::StepOver:
    case CommandId::StepOut:
    case CommandId::RunToCursor:
    case CommandId::ToggleBreakpoint:
    case CommandId::Reset:
    case CommandId::LoadBoard:
        return debugger_->runCommand(id);
    case CommandId::RealTime:
    case CommandId::RecordSignals:
        // A menu click has ticked the item already: it shows what the session does.
        debugger_->runCommand(id);
        action(CommandId::RealTime)->setChecked(debugger_->session().realTime());
        action(CommandId::RecordSignals)->setChecked(debugger_->session().isRecording());
        return;
    }
}

void MainWindow::openAtStart(const QString& path) {
    sourceFiles_->loadFile(path.toStdU16String());
}

void MainWindow::askForLine() {
    const int line =
        dialogs_.lineNumber(this, QStringLiteral("Gehe zu Zeile"),
                            QStringLiteral("Zeile (1 bis %1):").arg(sourceEditor_->blockCount()),
                            sourceEditor_->caretLine(), sourceEditor_->blockCount());
    if (line > 0) {
        sourceEditor_->goToLine(line);
    }
}

// The program's name and version, and every key with its command.
QString MainWindow::infoText() const {
    QString text = QStringLiteral("Tovi %1\nWerkbank für MCS-48-Mikrocontroller\n\nTasten:")
                       .arg(QStringLiteral(TOVI_VERSION));
    for (const Command& command : commandTable) {
        if (command.key == noKey) {
            continue;
        }
        const QString name = toQString(command.menuText).section(u'\t', 0, 0);
        text += QStringLiteral("\n%1\t%2")
                    .arg(QKeySequence(command.key).toString(QKeySequence::NativeText), name);
    }
    return text;
}

void MainWindow::appendStatus(std::u16string_view line) {
    statusList_->appendPlainText(toQString(withoutControlCharacters(line)));
}

// Only the lines the list keeps are handed to it. Each block remembers the
// source line its text leads to.
void MainWindow::appendStatusLines(const std::vector<StatusLine>& lines) {
    if (lines.empty()) {
        return;
    }
    const std::size_t first = lines.size() - std::min<std::size_t>(lines.size(), maxStatusLines);
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size() - first));
    for (std::size_t i = first; i < lines.size(); ++i) {
        texts << toQString(withoutControlCharacters(lines[i].text));
    }
    statusList_->appendPlainText(texts.join(u'\n'));
    QTextBlock block = statusList_->document()->lastBlock();
    for (std::size_t i = lines.size(); i > first && block.isValid();
         --i, block = block.previous()) {
        block.setUserState(lines[i - 1].sourceLine);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (quitRequested_) {
        event->accept();
        return;
    }
    event->ignore();
    QMetaObject::invokeMethod(
        this, [this] { runCommand(CommandId::Exit); }, Qt::QueuedConnection);
}

// Assembles the editor's text, not the file: the source need not be saved.
bool MainWindow::assemble() {
    const int revision = sourceEditor_->document()->revision();
    const std::vector<std::u16string> lines =
        splitLines(sourceEditor_->toPlainText().toStdU16String());
    const AssemblyRequest request{
        lines, sourceFiles_->sourcePath(), {}, settings_.values().fillByte};
    // A faulty source can produce many thousands of error lines: they go into
    // the status list in one update. An error in an included file or a macro
    // leads to the line of the source that brought it in.
    std::vector<StatusLine> statusLines;
    const AssemblyResult result = assembler_->assemble(
        request, {[&statusLines](const Diagnostic& error) {
                      statusLines.push_back({statusLineOf(error), error.mainLine});
                  },
                  [&statusLines](std::u16string_view line) {
                      statusLines.push_back({std::u16string(line), 0});
                  }});
    appendStatusLines(statusLines);
    if (result.outcome == AssemblyOutcome::NothingToAssemble) {
        dialogs_.information(this, QStringLiteral("Hinweis"), toQString(nothingToAssemble));
        return false;
    }
    if (result.outcome == AssemblyOutcome::Succeeded) {
        showListing(result.image.listing);
        listingLines_ = result.image.rowLines;
        if (result.binaryPath) {
            binaryPath_ = *result.binaryPath;
        }
        debugger_->loadProgram(result.image);
        assembledRevision_ = revision;
    }
    scrollStatusToEnd();
    return result.outcome == AssemblyOutcome::Succeeded;
}

bool MainWindow::assembleIfChanged() {
    if (assembledRevision_ == sourceEditor_->document()->revision()) {
        return true;
    }
    return assemble();
}

void MainWindow::showListing(const std::vector<std::u16string>& listing) {
    QStringList rows;
    rows.reserve(static_cast<qsizetype>(listing.size()));
    for (const auto& row : listing) {
        rows << toQString(row);
    }
    objectCodeList_->clear();
    objectCodeList_->addItems(rows);
}

void MainWindow::scrollStatusToEnd() {
    statusList_->moveCursor(QTextCursor::End);
    statusList_->ensureCursorVisible();
}

void MainWindow::upload() {
    if (binaryPath_.empty()) {
        dialogs_.information(this, QStringLiteral("Hinweis"),
                             QStringLiteral("Es gibt nichts zu emulieren."));
        return;
    }
    uploadToEmulator(toQString(binaryPath_));
}

void MainWindow::uploadToEmulator(const QString& binaryPath) {
    emulatorLink_->upload(binaryPath);
}

void MainWindow::openEmulatorDialog() {
    emulatorLink_->openSettingsDialog();
}

void MainWindow::exitProgram() {
    if (!sourceFiles_->confirmDiscard(discardForExit)) {
        return;
    }
    debugger_->storeWindowPlace();
    quitRequested_ = true;
    close();
}

void MainWindow::setFillByte(std::uint8_t value) {
    settings_.values().fillByte = value;
    action(CommandId::Fill00)->setChecked(value == 0x00);
    action(CommandId::FillFF)->setChecked(value == 0xFF);
}

// The stored rectangle, unless it is too small to work with.
WindowRect MainWindow::openingRect(int n) const {
    const WindowRect stored = settings_.values().windowRects[static_cast<std::size_t>(n)];
    if (!isUsableSize(stored)) {
        return builtInRect(n);
    }
    return stored;
}

} // namespace tovi
