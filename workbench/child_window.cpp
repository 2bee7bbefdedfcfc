#include "workbench/child_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>

#include <algorithm>

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
    if (closable_) {
        hide();
    }
}

bool isUsableSize(const WindowRect& rect) {
    constexpr int smallestWidth = 100;
    constexpr int smallestHeight = 50;
    return rect.width >= smallestWidth && rect.height >= smallestHeight;
}

// A title bar above the top could not be reached again, so the top edge stays inside.
WindowRect fitInto(const WindowRect& rect, const QSize& area) {
    constexpr int visibleStrip = 40;
    const std::int32_t width = std::min<std::int32_t>(rect.width, area.width());
    const std::int32_t height = std::min<std::int32_t>(rect.height, area.height());
    const std::int32_t x = std::clamp<std::int32_t>(rect.x, std::min(0, visibleStrip - width),
                                                    std::max(0, area.width() - visibleStrip));
    const std::int32_t y =
        std::clamp<std::int32_t>(rect.y, 0, std::max(0, area.height() - visibleStrip));
    return {x, y, width, height};
}

QStyle* createToolWindowStyle(QObject* owner) {
    auto* style = new ToolWindowStyle;
    style->setParent(owner);
    return style;
}

} // namespace tovi
