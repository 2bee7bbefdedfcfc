#pragma once
// Follows the positions and sizes of the main window and the three child
// windows into the window rectangles that the settings file keeps.

#include <QEvent>
#include <QObject>

#include <array>

#include "settings/settings.h"

class QMdiSubWindow;
class QWidget;

namespace tovi {

class WindowTracker : public QObject {
public:
    WindowTracker(std::array<WindowRect, windowCount>& windowRects, QObject* parent);

    // The main window: frame position on the screen, inner size.
    void trackMainWindow(QWidget* window);
    // Child window n: frame position in the workspace, inner size (that of
    // the widget filling it).
    void trackChildWindow(int n, QMdiSubWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onWindowMoved(int n);
    void onWindowResized(int n);
    int windowNumberOf(const QObject* watched, QEvent::Type type) const;

    std::array<WindowRect, windowCount>& windowRects_;
    std::array<QWidget*, windowCount> frames_{};
    std::array<QWidget*, windowCount> insides_{};
};

} // namespace tovi
