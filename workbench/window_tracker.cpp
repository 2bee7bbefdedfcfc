#include "workbench/window_tracker.h"

#include <QEvent>
#include <QMdiSubWindow>
#include <QWidget>

#include <algorithm>

namespace tovi {

WindowTracker::WindowTracker(std::array<WindowRect, windowCount>& windowRects, QObject* parent)
    : QObject(parent), windowRects_(windowRects) {}

void WindowTracker::trackMainWindow(QWidget* window) {
    frames_[mainWindow] = window;
    insides_[mainWindow] = window;
    window->installEventFilter(this);
}

void WindowTracker::trackChildWindow(int n, QMdiSubWindow* window) {
    frames_[static_cast<std::size_t>(n)] = window;
    insides_[static_cast<std::size_t>(n)] = window->widget();
    window->installEventFilter(this);
    window->widget()->installEventFilter(this);
}

bool WindowTracker::eventFilter(QObject* watched, QEvent* event) {
    const int n = windowNumberOf(watched, event->type());
    if (n < 0) {
        return false;
    }
    if (event->type() == QEvent::Move) {
        onWindowMoved(n);
    } else {
        onWindowResized(n);
    }
    return false;
}

// The window whose frame moved or whose inside changed size, or -1.
int WindowTracker::windowNumberOf(const QObject* watched, QEvent::Type type) const {
    if (type != QEvent::Move && type != QEvent::Resize) {
        return -1;
    }
    const auto& parts = type == QEvent::Move ? frames_ : insides_;
    const auto found = std::ranges::find(parts, watched);
    return found == parts.end() ? -1 : static_cast<int>(found - parts.begin());
}

void WindowTracker::onWindowMoved(int n) {
    const QWidget* frame = frames_[static_cast<std::size_t>(n)];
    if (frame->isMinimized()) {
        return;
    }
    WindowRect& rect = windowRects_[static_cast<std::size_t>(n)];
    rect.x = frame->x();
    rect.y = frame->y();
}

void WindowTracker::onWindowResized(int n) {
    if (frames_[static_cast<std::size_t>(n)]->isMinimized()) {
        return;
    }
    const QWidget* inside = insides_[static_cast<std::size_t>(n)];
    WindowRect& rect = windowRects_[static_cast<std::size_t>(n)];
    rect.width = inside->width();
    rect.height = inside->height();
}

} // namespace tovi
