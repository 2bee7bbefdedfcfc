#include "workbench/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace tovi {
namespace {

// Every picture is drawn on a 16 by 16 grid and scaled to its pixel size.
constexpr int gridSize = 16;

int pixelSizeOf(IconRole role) {
    switch (role) {
    case IconRole::Cut:
    case IconRole::Copy:
    case IconRole::Paste:
        return 32;
    default:
        return 16;
    }
}

const QColor outline(60, 60, 60);
const QColor paper(250, 250, 250);
const QColor folderYellow(240, 200, 80);
const QColor diskBlue(50, 90, 170);
const QColor chipBlack(40, 40, 45);

void drawPage(QPainter& p, const QRectF& page) {
    const qreal fold = page.width() / 3;
    QPainterPath path;
    path.moveTo(page.topLeft());
    path.lineTo(page.right() - fold, page.top());
    path.lineTo(page.right(), page.top() + fold);
    path.lineTo(page.bottomRight());
    path.lineTo(page.bottomLeft());
    path.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(page.right() - fold, page.top()),
               QPointF(page.right() - fold, page.top() + fold));
    p.drawLine(QPointF(page.right() - fold, page.top() + fold),
               QPointF(page.right(), page.top() + fold));
}

void drawTextLines(QPainter& p, const QRectF& area, int count) {
    p.setPen(QPen(QColor(120, 140, 190), 1));
    for (int i = 0; i < count; ++i) {
        const qreal y = area.top() + i * 2;
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
}

void drawNew(QPainter& p) {
    drawPage(p, QRectF(2.5, 1.5, 10, 13));
    p.setPen(QPen(QColor(230, 170, 0), 1.5));
    p.drawLine(QPointF(12, 9), QPointF(12, 15));
    p.drawLine(QPointF(9, 12), QPointF(15, 12));
}

void drawLoad(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(folderYellow.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 12, 10));
    p.setBrush(folderYellow);
    QPolygonF front;
    front << QPointF(3.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(front);
    p.setPen(QPen(QColor(30, 130, 30), 1.5));
    p.drawLine(QPointF(10, 1), QPointF(10, 5.5));
    p.drawLine(QPointF(8, 3.5), QPointF(10, 5.5));
    p.drawLine(QPointF(12, 3.5), QPointF(10, 5.5));
}

void drawDisk(QPainter& p) {
    p.setPen(QPen(diskBlue.darker(150), 1));
    p.setBrush(diskBlue);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(paper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.fillRect(QRectF(9, 2.5, 1.5, 3), diskBlue);
}

void drawSave(QPainter& p) {
    drawDisk(p);
}

void drawSaveAs(QPainter& p) {
    drawDisk(p);
    p.setPen(QPen(QColor(120, 60, 10), 1));
    p.setBrush(QColor(250, 180, 60));
    QPolygonF pencil;
    pencil << QPointF(9, 15) << QPointF(10, 12) << QPointF(15, 7) << QPointF(16, 8)
           << QPointF(11, 13);
    p.drawPolygon(pencil);
}

void drawSettings(QPainter& p) {
    p.setPen(QPen(QColor(80, 80, 90), 1));
    p.setBrush(QColor(160, 160, 175));
    QPainterPath gear;
    const QPointF centre(8, 8);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QTransform turn;
        turn.translate(centre.x(), centre.y());
        turn.rotate(tooth * 45.0);
        gear.addPolygon(turn.map(QPolygonF(QRectF(-1.5, -7, 3, 3))));
    }
    gear.addEllipse(centre, 5, 5);
    p.drawPath(gear.simplified());
    p.setBrush(QColor(240, 240, 240));
    p.drawEllipse(centre, 2, 2);
}

void drawEmulator(QPainter& p) {
    p.setPen(QPen(QColor(170, 170, 170), 1));
    for (int pin = 0; pin < 5; ++pin) {
        const qreal x = 3.5 + pin * 2.25;
        p.drawLine(QPointF(x, 0.5), QPointF(x, 2.5));
        p.drawLine(QPointF(x, 13.5), QPointF(x, 15.5));
    }
    p.setPen(QPen(chipBlack.lighter(200), 1));
    p.setBrush(chipBlack);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    // The quartz window of an erasable EPROM.
    p.setBrush(QColor(140, 170, 220));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8, 8), 3, 3);
}

void drawExit(QPainter& p) {
    p.setPen(QPen(QColor(90, 50, 20), 1));
    p.setBrush(QColor(170, 110, 60));
    p.drawRect(QRectF(2.5, 1.5, 7, 13));
    p.setBrush(QColor(240, 200, 80));
    p.drawEllipse(QPointF(8, 8), 0.8, 0.8);
    p.setPen(QPen(QColor(200, 30, 30), 2));
    p.drawLine(QPointF(9, 8), QPointF(15, 8));
    p.drawLine(QPointF(12.5, 5.5), QPointF(15, 8));
    p.drawLine(QPointF(12.5, 10.5), QPointF(15, 8));
}

void drawAssemble(QPainter& p) {
    p.setPen(QPen(QColor(20, 110, 30), 1));
    p.setBrush(QColor(60, 180, 70));
    QPolygonF play;
    play << QPointF(3.5, 1.5) << QPointF(14.5, 8) << QPointF(3.5, 14.5);
    p.drawPolygon(play);
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(QPointF(5.5, 6), QPointF(5.5, 10));
    p.drawEllipse(QRectF(7.5, 6, 2, 4));
}

void drawInfo(QPainter& p) {
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(QColor(60, 120, 210));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
    p.drawRect(QRectF(7, 7, 2, 5.5));
}

void drawCut(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 100), 1.2));
    p.drawLine(QPointF(5, 1), QPointF(10.5, 11));
    p.drawLine(QPointF(11, 1), QPointF(5.5, 11));
    p.setPen(QPen(QColor(180, 30, 30), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}

void drawCopy(QPainter& p) {
    drawPage(p, QRectF(1.5, 1.5, 8, 10));
    drawTextLines(p, QRectF(3, 6, 4, 0), 3);
    drawPage(p, QRectF(6.5, 4.5, 8, 10));
    drawTextLines(p, QRectF(8, 9, 4, 0), 3);
}

void drawPaste(QPainter& p) {
    p.setPen(QPen(QColor(110, 70, 20), 1));
    p.setBrush(QColor(190, 140, 70));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12.5), 1, 1);
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
    drawPage(p, QRectF(6.5, 6.5, 8, 9));
    drawTextLines(p, QRectF(8, 10.5, 4, 0), 3);
}

const QColor runGreen(40, 150, 60);
const QColor stepBlue(40, 90, 180);

void drawRun(QPainter& p) {
    p.setPen(QPen(runGreen.darker(140), 1));
    p.setBrush(runGreen);
    p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
}

void drawPause(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(230, 180, 50));
    p.drawRect(QRectF(3.5, 2.5, 3, 11));
    p.drawRect(QRectF(9.5, 2.5, 3, 11));
}

// A line of code with an arrow: into it, over it or out of it.
void drawCodeLines(QPainter& p) {
    p.setPen(QPen(outline, 1.5));
    p.drawLine(QPointF(2, 13.5), QPointF(14, 13.5));
}

void drawArrowHead(QPainter& p, QPointF tip, QPointF direction) {
    const QPointF side(-direction.y(), direction.x());
    p.setPen(Qt::NoPen);
    p.setBrush(stepBlue);
    p.drawPolygon(QPolygonF({tip, tip - direction * 4 + side * 3, tip - direction * 4 - side * 3}));
}

void drawStepInto(QPainter& p) {
    drawCodeLines(p);
    p.setPen(QPen(stepBlue, 2));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 8));
    drawArrowHead(p, QPointF(8, 11.5), QPointF(0, 1));
}

void drawStepOver(QPainter& p) {
    drawCodeLines(p);
    p.setPen(QPen(stepBlue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 3, 10, 10), 0, 180 * 16);
    drawArrowHead(p, QPointF(12.5, 11), QPointF(0, 1));
}

void drawStepOut(QPainter& p) {
    drawCodeLines(p);
    p.setPen(QPen(stepBlue, 2));
    p.drawLine(QPointF(8, 11.5), QPointF(8, 6));
    drawArrowHead(p, QPointF(8, 1.5), QPointF(0, -1));
}

void drawRunToCursor(QPainter& p) {
    drawRun(p);
    p.setPen(QPen(outline, 1.5));
    p.drawLine(QPointF(14, 2), QPointF(14, 14));
}

void drawBreakpoint(QPainter& p) {
    p.setPen(QPen(QColor(120, 10, 10), 1));
    p.setBrush(QColor(210, 30, 30));
    p.drawEllipse(QRectF(3, 3, 10, 10));
}

void drawReset(QPainter& p) {
    p.setPen(QPen(stepBlue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
    drawArrowHead(p, QPointF(11.5, 2.5), QPointF(1, -0.3));
}

void drawRole(QPainter& p, IconRole role) {
    switch (role) {
    case IconRole::None:
        return;
    case IconRole::New:
        return drawNew(p);
    case IconRole::Load:
        return drawLoad(p);
    case IconRole::Save:
        return drawSave(p);
    case IconRole::SaveAs:
        return drawSaveAs(p);
    case IconRole::Settings:
        return drawSettings(p);
    case IconRole::Emulator:
        return drawEmulator(p);
    case IconRole::Exit:
        return drawExit(p);
    case IconRole::Assemble:
        return drawAssemble(p);
    case IconRole::Info:
        return drawInfo(p);
    case IconRole::Cut:
        return drawCut(p);
    case IconRole::Copy:
        return drawCopy(p);
    case IconRole::Paste:
        return drawPaste(p);
    case IconRole::Run:
        return drawRun(p);
    case IconRole::Pause:
        return drawPause(p);
    case IconRole::StepInto:
        return drawStepInto(p);
    case IconRole::StepOver:
        return drawStepOver(p);
    case IconRole::StepOut:
        return drawStepOut(p);
    case IconRole::RunToCursor:
        return drawRunToCursor(p);
    case IconRole::Breakpoint:
        return drawBreakpoint(p);
    case IconRole::Reset:
        return drawReset(p);
    }
}

} // namespace

QPixmap iconPixmap(IconRole role) {
    return iconPixmap(role, pixelSizeOf(role));
}

QPixmap iconPixmap(IconRole role, int size) {
    if (role == IconRole::None) {
        return {};
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(qreal(size) / gridSize, qreal(size) / gridSize);
    drawRole(painter, role);
    painter.end();
    return QPixmap::fromImage(image);
}

QIcon iconFor(IconRole role) {
    if (role == IconRole::None) {
        return {};
    }
    return QIcon(iconPixmap(role));
}

} // namespace tovi
