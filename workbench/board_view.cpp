#include "workbench/board_view.h"

#include "mcs48/seven_segment.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace tovi {
namespace {

using mcs48::Hd44780;
using mcs48::PartKind;

constexpr int margin = 10;
constexpr int spacing = 14;
constexpr int digitSpacing = 2; // digits side by side read as one display
constexpr int smallPartWidth = 64;
constexpr int keySize = 36;
constexpr int keyGap = 4;
constexpr int bezel = 6;
constexpr int dotPitch = 3; // the LCD's dots: 5 by 8 to a character
constexpr int lcdCellWidth = 6 * dotPitch;
constexpr int lcdCellHeight = 8 * dotPitch + 4;
constexpr int lcdGlass = 8;
constexpr int digitWidth = 44;
constexpr int digitHeight = 72;

const QColor boardColour(0x1F, 0x5E, 0x3A);
const QColor printColour(0xE8, 0xF0, 0xE8);
const QColor ledDark(0x5A, 0x14, 0x14);
const QColor ledLit(0xFF, 0x30, 0x20);
const QColor segmentLit(0xFF, 0x30, 0x30);
const QColor segmentDark(0x3A, 0x10, 0x10);
const QColor lcdBackground(0x9C, 0xB4, 0x3C);
const QColor lcdInk(0x1E, 0x2A, 0x14);

QString fromU16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A segment from `from` to `to`, pointed at both ends.
QPolygonF segment(QPointF from, QPointF to, double thickness) {
    const double half = thickness / 2;
    if (from.y() == to.y()) {
        return QPolygonF({from,
                          {from.x() + half, from.y() - half},
                          {to.x() - half, to.y() - half},
                          to,
                          {to.x() - half, to.y() + half},
                          {from.x() + half, from.y() + half}});
    }
    return QPolygonF({from,
                      {from.x() + half, from.y() + half},
                      {to.x() + half, to.y() - half},
                      to,
                      {to.x() - half, to.y() - half},
                      {from.x() - half, from.y() + half}});
}

} // namespace

BoardView::BoardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("boardView"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, boardColour);
    setPalette(colours);
    lcdFont_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lcdFont_.setPixelSize(lcdCellHeight - 6);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

bool BoardView::PartPicture::sameShape(const PartPicture& other) const {
    return kind == other.kind && name == other.name && rows == other.rows &&
           columns == other.columns && labels == other.labels;
}

BoardView::PartPicture BoardView::pictureOf(const mcs48::PartView& part) {
    PartPicture picture;
    picture.kind = part.kind;
    picture.name = QString::fromStdString(part.name);
    picture.on = part.kind == PartKind::Led ? part.lit : part.pressed;
    picture.rows = part.rows;
    picture.columns = part.columns;
    picture.labels = fromU16(part.labels);
    picture.keysDown = part.keysDown;
    picture.segments = part.segments;
    if (part.lcd != nullptr) {
        const Hd44780& lcd = *part.lcd;
        for (int line = 0; line < Hd44780::visibleLines; ++line) {
            for (int column = 0; column < Hd44780::visibleColumns; ++column) {
                picture.lcd
                    .codes[static_cast<std::size_t>(line * Hd44780::visibleColumns + column)] =
                    lcd.visibleCode(line, column);
            }
        }
        picture.lcd.cgram = lcd.cgram();
        picture.lcd.cursor = lcd.cursor();
        const auto lines = lcd.visibleText();
        std::copy(lines.begin(), lines.end(), std::begin(picture.lcd.lines));
    }
    return picture;
}

void BoardView::showParts(const std::vector<mcs48::PartView>& parts) {
    std::vector<PartPicture> pictures;
    pictures.reserve(parts.size());
    for (const mcs48::PartView& part : parts) {
        pictures.push_back(pictureOf(part));
    }
    if (pictures == parts_) {
        return;
    }
    const bool reshaped = !std::ranges::equal(
        pictures, parts_, [](const auto& a, const auto& b) { return a.sameShape(b); });
    parts_ = std::move(pictures);
    if (reshaped) {
        held_ = {};
        layOut();
    }
    update();
}

QSize BoardView::sizeOf(const PartPicture& part) const {
    const int name = fontMetrics().height() + 2;
    switch (part.kind) {
    case PartKind::Led:
    case PartKind::Switch:
        return {smallPartWidth, 32 + name};
    case PartKind::Button:
        return {smallPartWidth, 40 + name};
    case PartKind::Keypad:
        return {std::max(smallPartWidth, part.columns * (keySize + keyGap) - keyGap + 2 * bezel),
                part.rows * (keySize + keyGap) - keyGap + 2 * bezel + name};
    case PartKind::Digit:
        return {digitWidth, digitHeight + name};
    case PartKind::Lcd:
        return {Hd44780::visibleColumns * lcdCellWidth + 2 * (lcdGlass + bezel),
                Hd44780::visibleLines * lcdCellHeight + 2 * (lcdGlass + bezel) + name};
    }
    return {};
}

// The parts in file order, left to right, a new row where the width ends.
std::vector<BoardView::Placement> BoardView::placed(int width, int* height) const {
    std::vector<Placement> places;
    int x = margin;
    int y = margin;
    int rowHeight = 0;
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        const PartPicture& part = parts_[i];
        const QSize size = sizeOf(part);
        const bool nextDigit =
            i > 0 && part.kind == PartKind::Digit && parts_[i - 1].kind == PartKind::Digit;
        if (nextDigit) {
            x -= spacing - digitSpacing;
        }
        if (x > margin && x + size.width() > width - margin) {
            x = margin;
            y += rowHeight + spacing;
            rowHeight = 0;
        }
        Placement place{QRect(QPoint(x, y), size), {}};
        const int keysWidth = part.columns * (keySize + keyGap) - keyGap;
        const QPoint keysAt(x + (size.width() - keysWidth) / 2, y + bezel);
        for (int key = 0; key < part.rows * part.columns; ++key) {
            place.keys.emplace_back(keysAt + QPoint(key % part.columns * (keySize + keyGap),
                                                    key / part.columns * (keySize + keyGap)),
                                    QSize(keySize, keySize));
        }
        places.push_back(std::move(place));
        x += size.width() + spacing;
        rowHeight = std::max(rowHeight, size.height());
    }
    if (height != nullptr) {
        *height = y + rowHeight + margin;
    }
    return places;
}

void BoardView::layOut() {
    places_ = placed(width(), nullptr);
    updateGeometry();
}

int BoardView::heightForWidth(int width) const {
    int height = 0;
    placed(width, &height);
    return std::max(height, 2 * margin + fontMetrics().height());
}

QSize BoardView::sizeHint() const {
    int width = 300;
    for (const PartPicture& part : parts_) {
        width = std::max(width, sizeOf(part).width() + 2 * margin);
    }
    return {width, heightForWidth(width)};
}

void BoardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    places_ = placed(width(), nullptr);
}

QRect BoardView::partRect(int part) const {
    return places_.at(static_cast<std::size_t>(part)).frame;
}

QRect BoardView::keyRect(int part, int key) const {
    return places_.at(static_cast<std::size_t>(part)).keys.at(static_cast<std::size_t>(key));
}

BoardView::Hit BoardView::hitAt(QPoint position) const {
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const Placement& place = places_[i];
        const auto found = std::ranges::find_if(
            place.keys, [position](const QRect& key) { return key.contains(position); });
        if (found != place.keys.end()) {
            return {static_cast<int>(i), static_cast<int>(found - place.keys.begin())};
        }
        if (place.keys.empty() && place.frame.contains(position)) {
            return {static_cast<int>(i), 0};
        }
    }
    return {};
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    const Hit hit = hitAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || hit.part < 0) {
        return QWidget::mousePressEvent(event);
    }
    const PartPicture& part = parts_[static_cast<std::size_t>(hit.part)];
    if (part.kind == PartKind::Switch) {
        emit partPressed(hit.part, 0, !part.on);
    } else if (part.kind == PartKind::Button || part.kind == PartKind::Keypad) {
        held_ = hit;
        emit partPressed(hit.part, hit.key, true);
    }
}

void BoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || held_.part < 0) {
        return QWidget::mouseReleaseEvent(event);
    }
    const Hit released = std::exchange(held_, {});
    emit partPressed(released.part, released.key, false);
}

bool BoardView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const Hit hit = hitAt(help->pos());
    if (hit.part < 0) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), partText(hit.part), this, partRect(hit.part));
    return true;
}

QString BoardView::partText(int index) const {
    const PartPicture& part = parts_.at(static_cast<std::size_t>(index));
    const QString name = part.name + QStringLiteral(": ");
    switch (part.kind) {
    case PartKind::Led:
        return name + (part.on ? QStringLiteral("an") : QStringLiteral("aus"));
    case PartKind::Button:
        return name + (part.on ? QStringLiteral("gedrückt") : QStringLiteral("losgelassen"));
    case PartKind::Switch:
        return name + (part.on ? QStringLiteral("ein") : QStringLiteral("aus"));
    case PartKind::Keypad: {
        QStringList held;
        for (std::size_t key = 0; key < part.keysDown.size(); ++key) {
            if (part.keysDown[key]) {
                held << part.labels.mid(static_cast<qsizetype>(key), 1);
            }
        }
        return name + (held.isEmpty()
                           ? QStringLiteral("keine Taste gedrückt")
                           : held.join(QStringLiteral(", ")) + QStringLiteral(" gedrückt"));
    }
    case PartKind::Digit:
        return name + (part.segments == 0 ? QStringLiteral("aus")
                                          : QString::fromStdString(mcs48::figureOf(part.segments)));
    case PartKind::Lcd:
        return name + QStringLiteral("\"%1\" \"%2\"")
                          .arg(fromU16(part.lcd.lines[0]), fromU16(part.lcd.lines[1]));
    }
    return name;
}

void BoardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (parts_.empty()) {
        painter.setPen(printColour);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Keine Bauteile auf der Platine"));
        return;
    }
    for (std::size_t i = 0; i < parts_.size() && i < places_.size(); ++i) {
        const PartPicture& part = parts_[i];
        const QRect& frame = places_[i].frame;
        switch (part.kind) {
        case PartKind::Led:
            drawLed(painter, frame, part);
            break;
        case PartKind::Button:
            drawButton(painter, frame, part);
            break;
        case PartKind::Switch:
            drawSwitch(painter, frame, part);
            break;
        case PartKind::Keypad:
            drawKeypad(painter, places_[i], part);
            break;
        case PartKind::Digit:
            drawDigit(painter, frame, part);
            break;
        case PartKind::Lcd:
            drawLcd(painter, frame, part);
            break;
        }
        drawName(painter, frame, part.name);
    }
}

void BoardView::drawName(QPainter& painter, const QRect& frame, const QString& name) const {
    const int height = fontMetrics().height();
    painter.setPen(printColour);
    painter.drawText(
        QRect(frame.left() - spacing / 2, frame.bottom() - height, frame.width() + spacing, height),
        Qt::AlignHCenter | Qt::AlignBottom, name);
}

void BoardView::drawLed(QPainter& painter, const QRect& frame, const PartPicture& part) const {
    const QPointF centre(frame.center().x(), frame.top() + 16);
    if (part.on) {
        QRadialGradient glow(centre, 16);
        glow.setColorAt(0, QColor(0xFF, 0x60, 0x40, 0xC0));
        glow.setColorAt(1, QColor(0xFF, 0x30, 0x20, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(centre, 16, 16);
    }
    QRadialGradient body(centre - QPointF(3, 3), 12);
    body.setColorAt(0, part.on ? QColor(0xFF, 0xD0, 0xC0) : ledDark.lighter(160));
    body.setColorAt(1, part.on ? ledLit : ledDark);
    painter.setPen(QPen(ledDark.darker(160), 1.5));
    painter.setBrush(body);
    painter.drawEllipse(centre, 10, 10);
}

void BoardView::drawButton(QPainter& painter, const QRect& frame, const PartPicture& part) const {
    const QRectF base(frame.center().x() - 17, frame.top() + 3, 34, 34);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    painter.setBrush(QColor(0xB8, 0xB8, 0xB8));
    painter.drawRoundedRect(base, 4, 4);
    const double radius = part.on ? 10.5 : 12;
    const QPointF centre = base.center() + (part.on ? QPointF(0.5, 1) : QPointF());
    QRadialGradient cap(centre - QPointF(4, 4), 2 * radius);
    cap.setColorAt(0, part.on ? QColor(0x40, 0x40, 0x40) : QColor(0x70, 0x70, 0x70));
    cap.setColorAt(1, QColor(0x18, 0x18, 0x18));
    painter.setPen(Qt::NoPen);
    painter.setBrush(cap);
    painter.drawEllipse(centre, radius, radius);
}

// A slide switch: the knob to the right is on (closed to ground).
void BoardView::drawSwitch(QPainter& painter, const QRect& frame, const PartPicture& part) const {
    const QRectF body(frame.center().x() - 20, frame.top() + 8, 40, 16);
    painter.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
    painter.setBrush(QColor(0x2A, 0x2A, 0x2A));
    painter.drawRoundedRect(body, 3, 3);
    const QRectF knob(part.on ? body.right() - 20 : body.left() + 2, body.top() + 2, 18, 12);
    painter.setBrush(part.on ? QColor(0xF0, 0xF0, 0xF0) : QColor(0xA8, 0xA8, 0xA8));
    painter.drawRoundedRect(knob, 2, 2);
}

void BoardView::drawKeypad(QPainter& painter, const Placement& place,
                           const PartPicture& part) const {
    QRect panel = place.keys.front().united(place.keys.back());
    panel.adjust(-bezel, -bezel, bezel, bezel);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x20, 0x20, 0x20));
    painter.drawRoundedRect(panel, 5, 5);
    QFont labelFont = font();
    labelFont.setPixelSize(keySize / 2);
    labelFont.setBold(true);
    painter.setFont(labelFont);
    for (std::size_t key = 0; key < place.keys.size(); ++key) {
        const bool down = key < part.keysDown.size() && part.keysDown[key];
        const QRectF cap = QRectF(place.keys[key]).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
        painter.setBrush(down ? QColor(0x90, 0x90, 0x90) : QColor(0xE4, 0xE4, 0xE4));
        painter.drawRoundedRect(cap.translated(0, down ? 1 : 0), 4, 4);
        painter.setPen(QColor(0x18, 0x18, 0x18));
        painter.drawText(cap.translated(0, down ? 1 : 0), Qt::AlignCenter,
                         part.labels.mid(static_cast<qsizetype>(key), 1));
    }
    painter.setFont(font());
}

// Segments a–g on the usual figure eight; the point at the lower right.
void BoardView::drawDigit(QPainter& painter, const QRect& frame, const PartPicture& part) const {
    const QRectF panel(frame.left(), frame.top(), digitWidth, digitHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x12, 0x12, 0x12));
    painter.drawRect(panel);
    constexpr double thickness = 6;
    constexpr double gap = 1;
    const double left = panel.left() + 8;
    const double right = panel.right() - 12;
    const double top = panel.top() + 8;
    const double bottom = panel.bottom() - 8;
    const double middle = (top + bottom) / 2;
    const std::array<QPolygonF, 7> segments = {
        segment({left + gap, top}, {right - gap, top}, thickness),        // a
        segment({right, top + gap}, {right, middle - gap}, thickness),    // b
        segment({right, middle + gap}, {right, bottom - gap}, thickness), // c
        segment({left + gap, bottom}, {right - gap, bottom}, thickness),  // d
        segment({left, middle + gap}, {left, bottom - gap}, thickness),   // e
        segment({left, top + gap}, {left, middle - gap}, thickness),      // f
        segment({left + gap, middle}, {right - gap, middle}, thickness),  // g
    };
    for (std::size_t bit = 0; bit < segments.size(); ++bit) {
        painter.setBrush(((part.segments >> bit) & 1) != 0 ? segmentLit : segmentDark);
        painter.drawPolygon(segments[bit]);
    }
    painter.setBrush((part.segments & 0x80) != 0 ? segmentLit : segmentDark);
    painter.drawEllipse(QPointF(right + 6, bottom), thickness / 2, thickness / 2);
}

void BoardView::drawLcd(QPainter& painter, const QRect& frame, const PartPicture& part) const {
    const QRectF module(frame.left(), frame.top(), frame.width(),
                        Hd44780::visibleLines * lcdCellHeight + 2 * (lcdGlass + bezel));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    painter.drawRoundedRect(module, 4, 4);
    const QRectF glass = module.adjusted(bezel, bezel, -bezel, -bezel);
    painter.setBrush(lcdBackground);
    painter.drawRect(glass);
    painter.setFont(lcdFont_);
    const LcdPicture& lcd = part.lcd;
    for (int line = 0; line < Hd44780::visibleLines; ++line) {
        for (int column = 0; column < Hd44780::visibleColumns; ++column) {
            const QRect cell(static_cast<int>(glass.left()) + lcdGlass + column * lcdCellWidth,
                             static_cast<int>(glass.top()) + lcdGlass + line * lcdCellHeight,
                             lcdCellWidth, lcdCellHeight);
            drawLcdGlyph(
                painter, cell, lcd,
                lcd.codes[static_cast<std::size_t>(line * Hd44780::visibleColumns + column)]);
            if (lcd.cursor && lcd.cursor->line == line && lcd.cursor->column == column) {
                const QRect dots(cell.left(), cell.top(), 5 * dotPitch, 8 * dotPitch);
                if (lcd.cursor->blinks) {
                    painter.fillRect(dots,
                                     QColor(lcdInk.red(), lcdInk.green(), lcdInk.blue(), 150));
                }
                if (lcd.cursor->underline) {
                    painter.fillRect(
                        QRect(dots.left(), dots.top() + 7 * dotPitch, dots.width(), dotPitch),
                        lcdInk);
                }
            }
        }
    }
    painter.setFont(font());
}

// Codes 00H–0FH from the CGRAM, dot by dot; the others as the character
// that looks most alike.
void BoardView::drawLcdGlyph(QPainter& painter, const QRect& cell, const LcdPicture& lcd,
                             std::uint8_t code) const {
    if (code >= 0x10) {
        const QChar character(static_cast<char16_t>(mcs48::hd44780Character(code)));
        if (character != u' ') {
            painter.setPen(lcdInk);
            painter.drawText(QRect(cell.left(), cell.top(), 5 * dotPitch, 8 * dotPitch),
                             Qt::AlignCenter, QString(character));
        }
        return;
    }
    const std::size_t first = static_cast<std::size_t>(code & 0x07) * 8;
    for (int row = 0; row < 8; ++row) {
        const std::uint8_t bits = lcd.cgram[first + static_cast<std::size_t>(row)];
        for (int column = 0; column < 5; ++column) {
            if (((bits >> (4 - column)) & 1) != 0) {
                painter.fillRect(QRectF(cell.left() + column * dotPitch,
                                        cell.top() + row * dotPitch, dotPitch - 0.4,
                                        dotPitch - 0.4),
                                 lcdInk);
            }
        }
    }
}

} // namespace tovi
