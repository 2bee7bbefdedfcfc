#pragma once
// The "Platine" child window's content: the board's parts as they look —
// LEDs, push buttons, switches, keypads, 7-segment digits and a 16x2 LCD —
// laid out in the order of the board file, flowing into the width. Mouse
// presses are handed on as presses of a part; the board decides what they do.

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "mcs48/board.h"
#include "mcs48/processor.h"

namespace tovi {

class BoardView : public QWidget {
    Q_OBJECT

public:
    explicit BoardView(QWidget* parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

    // What part `part` shows, in words, as its tooltip gives it: "D1: an",
    // "A: 7", "LCD: \"Hallo Welt      \" \"                \"".
    QString partText(int part) const;
    // Where a part (and, for a keypad, each key) is drawn.
    QRect partRect(int part) const;
    QRect keyRect(int part, int key) const;

public slots:
    // The parts as they are now: drawn anew when anything visible changed.
    void showParts(const std::vector<mcs48::PartView>& parts);

signals:
    // The mouse works a part: a button or a keypad key held (true) and let go
    // (false), a switch set or cleared.
    void partPressed(int part, int key, bool pressed);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What the LCD shows, copied, so that nothing points into the board.
    struct LcdPicture {
        std::array<std::uint8_t, 2 * mcs48::Hd44780::visibleColumns> codes{};
        std::array<std::uint8_t, 64> cgram{};
        std::optional<mcs48::LcdCursor> cursor;
        std::u16string lines[mcs48::Hd44780::visibleLines];

        bool operator==(const LcdPicture&) const = default;
    };
    struct PartPicture {
        mcs48::PartKind kind = mcs48::PartKind::Led;
        QString name;
        bool on = false; // lit, pressed or set
        int rows = 0;
        int columns = 0;
        QString labels;
        std::vector<bool> keysDown;
        std::uint8_t segments = 0;
        LcdPicture lcd;

        bool operator==(const PartPicture&) const = default;
        bool sameShape(const PartPicture& other) const;
    };
    struct Placement {
        QRect frame; // the part and its name below
        std::vector<QRect> keys;
    };
    struct Hit {
        int part = -1;
        int key = 0;
    };

    static PartPicture pictureOf(const mcs48::PartView& part);
    QSize sizeOf(const PartPicture& part) const;
    std::vector<Placement> placed(int width, int* height) const;
    void layOut();
    Hit hitAt(QPoint position) const;

    void drawName(QPainter& painter, const QRect& frame, const QString& name) const;
    void drawLed(QPainter& painter, const QRect& frame, const PartPicture& part) const;
    void drawButton(QPainter& painter, const QRect& frame, const PartPicture& part) const;
    void drawSwitch(QPainter& painter, const QRect& frame, const PartPicture& part) const;
    void drawKeypad(QPainter& painter, const Placement& place, const PartPicture& part) const;
    void drawDigit(QPainter& painter, const QRect& frame, const PartPicture& part) const;
    void drawLcd(QPainter& painter, const QRect& frame, const PartPicture& part) const;
    void drawLcdGlyph(QPainter& painter, const QRect& cell, const LcdPicture& lcd,
                      std::uint8_t code) const;

    std::vector<PartPicture> parts_;
    std::vector<Placement> places_;
    Hit held_;
    QFont lcdFont_;
};

} // namespace tovi
