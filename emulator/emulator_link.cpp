#include "emulator/emulator_link.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "emulator/emulator_dialog.h"
#include "emulator/upload.h"

namespace tovi {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

bool isEscapePress(const QEvent* event) {
    return event->type() == QEvent::KeyPress &&
           static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

// While it lives, the application drops user input and close requests, so no
// command can start during the upload; painting and timers go on. Escape is
// noted as the request to cancel.
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    bool escapePressed() const { return escapePressed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (isEscapePress(event)) {
            escapePressed_ = true;
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept(); // taken by the focus widget: no shortcut fires
            return true;
        }
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return isUserInput(event->type()) || QObject::eventFilter(watched, event);
    }

private:
    bool escapePressed_ = false;
};

// Handles window events until ms have passed.
void sleepPainting(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Handles pending window events, waiting at most ms for one.
void pumpEvents(int ms) {
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

UploadEnvironment paintingEnvironment(StatusSink appendStatus, QProgressBar& progress,
                                      const InputBlocker& blocker) {
    UploadEnvironment environment = systemEnvironment(std::move(appendStatus));
    environment.cancelRequested = [&blocker] { return blocker.escapePressed(); };
    environment.sleep = sleepPainting;
    environment.processEvents = pumpEvents;
    environment.showProgress = [&progress](int blocksSent, int blockCount) {
        progress.setRange(0, blockCount);
        progress.setValue(blocksSent);
        progress.show();
    };
    return environment;
}

} // namespace

EmulatorLink::EmulatorLink(QMainWindow* window, PersistentSettings& settings,
                           StatusSink appendStatus, QIcon icon, PortFactory makePort)
    : window_(window), settings_(settings), appendStatus_(std::move(appendStatus)),
      icon_(std::move(icon)), makePort_(std::move(makePort)) {}

std::unique_ptr<SerialPort> EmulatorLink::makePort() const {
    return makePort_ ? makePort_() : std::make_unique<SystemSerialPort>();
}

void EmulatorLink::upload(const QString& binaryPath) {
    if (uploading_) {
        return;
    }
    uploading_ = true;
    const InputBlocker blocker;
    auto* progress = new QProgressBar;
    progress->setObjectName("uploadProgress");
    progress->setMaximumWidth(150);
    progress->hide();
    window_->statusBar()->addPermanentWidget(progress);

    const auto port = makePort();
    const UploadEnvironment environment = paintingEnvironment(appendStatus_, *progress, blocker);
    uploadToEmulator(binaryPath.toStdU16String(), settings_.values().emulator, *port, environment);

    window_->statusBar()->removeWidget(progress);
    delete progress;
    uploading_ = false;
}

void EmulatorLink::openSettingsDialog() {
    const auto prober = makePort();
    EmulatorDialog dialog(
        window_, settings_.values().emulator, *prober, [this] { settings_.save(); }, icon_);
    dialog.exec();
}

} // namespace tovi
