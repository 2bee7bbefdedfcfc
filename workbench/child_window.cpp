#include "workbench/child_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>

namespace tovi {
namespace {

class ToolWindowStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TitleBarHeight) {
            const int textHeight = option != nullptr ? option->fontMetrics.height() : 14;
            return textHeight + 4;
        }
        if (metric == PM_MdiSubWindowFrameWidth) {
            return 3;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Tool windows show no icon in their title bar; without one of its own the
// title bar would show the toolkit's logo.
QIcon blankIcon() {
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

} // namespace

ChildWindow::ChildWindow(const QString& title, QWidget* content, QStyle* toolWindowStyle) {
    setStyle(toolWindowStyle);
    // A title and a close box only: no minimise or maximise boxes, no system menu.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(title);
    setSystemMenu(nullptr);
    setWindowIcon(blankIcon());
    setWidget(content);
}

void ChildWindow::placeAt(const WindowRect& rect) {
    const QMargins frame = contentsMargins();
    move(rect.x, rect.y);
    resize(rect.width + frame.left() + frame.right(), rect.height + frame.top() + frame.bottom());
}

void ChildWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

QStyle* createToolWindowStyle(QObject* owner) {
    auto* style = new ToolWindowStyle;
    style->setParent(owner);
    return style;
}

} // namespace tovi
