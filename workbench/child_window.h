#pragma once
// A child window of the workspace: a small tool-window title bar with a close
// box that does nothing, and one widget filling it.

#include <QMdiSubWindow>

#include "settings/settings.h"

class QStyle;

namespace tovi {

class ChildWindow : public QMdiSubWindow {
public:
    ChildWindow(const QString& title, QWidget* content, QStyle* toolWindowStyle);

    // Frame at (x, y) in the workspace, inner size width by height.
    void placeAt(const WindowRect& rect);
    // A closable window hides when closed; the others stay open for the whole run.
    void setClosable(bool closable) { closable_ = closable; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closable_ = false;
};

// Whether a stored size is large enough to work with; below it the built-in
// place is taken.
bool isUsableSize(const WindowRect& rect);

// The rectangle reduced to fit into an area of the given size: no larger
// than the area, and placed so that a strip of its title bar stays inside.
WindowRect fitInto(const WindowRect& rect, const QSize& area);

// The style of the child windows: the application's, with the lower title bar
// of a tool window.
QStyle* createToolWindowStyle(QObject* owner);

} // namespace tovi
