#pragma once
// The HD44780U dot-matrix LCD controller with character ROM A00 on a display of
// two lines of 16 characters, as port pins drive it: one transfer at each falling
// edge of E, the lines it drives while E is high for a read, and what the glass
// shows. The simulated controller is never busy.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tovi::mcs48 {

// The cursor where it is visible: an underline (C), a blinking block (B), or both.
struct LcdCursor {
    int line = 0;   // 0 or 1
    int column = 0; // 0 … 15
    bool underline = false;
    bool blinks = false;

    bool operator==(const LcdCursor&) const = default;
};

// What a character code shows, as the character that looks most alike. Codes
// 00H–0FH show a CGRAM pattern and read as U+2592 '▒'; the window draws their
// glyphs from the CGRAM.
char16_t hd44780Character(std::uint8_t code);

class Hd44780 {
public:
    static constexpr int visibleLines = 2;
    static constexpr int visibleColumns = 16;

    // The transfer that completes at the falling edge of E. In 4-bit mode only
    // D7–D4 count and a byte takes two transfers, upper nibble first.
    void fallingEdge(bool rs, bool rw, std::uint8_t data);
    // What the controller drives onto D7–D0 while E is high with R/W high: the
    // busy flag (0) and the address counter, or the data at the address counter.
    // In 4-bit mode the nibble due next, on D7–D4 (D3–D0 read 0).
    std::uint8_t readLines(bool rs) const;

    // Both lines as shown, after the display shift; blanks while the display is off.
    std::array<std::u16string, visibleLines> visibleText() const;
    // The character code shown at a position (20H, a blank, where nothing is shown).
    std::uint8_t visibleCode(int line, int column) const;
    const std::array<std::uint8_t, 64>& cgram() const { return cgram_; }
    bool displayOn() const { return displayOn_; }
    // None while the display is off, the cursor is off, the address counter points
    // into the CGRAM or at a position outside the visible window.
    std::optional<LcdCursor> cursor() const;
    int interfaceWidth() const { return fourBit_ ? 4 : 8; }
    bool twoLines() const { return twoLines_; }

private:
    void complete(bool rs, bool rw, std::uint8_t byte);
    void execute(std::uint8_t instruction);
    void clearDisplay(std::uint8_t instruction);
    void returnHome(std::uint8_t instruction);
    void setEntryMode(std::uint8_t instruction);
    void setDisplayControl(std::uint8_t instruction);
    void shiftCursorOrDisplay(std::uint8_t instruction);
    void setFunction(std::uint8_t instruction);
    void setCgramAddress(std::uint8_t instruction);
    void setDdramAddress(std::uint8_t instruction);
    void writeData(std::uint8_t byte);

    std::uint8_t dataAtAddress() const;
    std::uint8_t steppedAddress(bool up) const;
    std::optional<std::size_t> ddramIndex(std::uint8_t address) const;
    void shiftDisplay(bool right);
    int lineLength() const { return twoLines_ ? 40 : 80; }

    std::array<std::uint8_t, 80> ddram_ = filledWithBlanks();
    std::array<std::uint8_t, 64> cgram_{};
    std::uint8_t address_ = 0;
    bool addressesCgram_ = false;
    bool increment_ = true;
    bool shiftOnWrite_ = false;
    bool displayOn_ = false;
    bool underline_ = false;
    bool blink_ = false;
    bool fourBit_ = false;
    bool twoLines_ = false;
    int firstVisible_ = 0; // the offset in a line shown in column 0, 0 … 79
    bool secondNibble_ = false;
    std::uint8_t upperNibble_ = 0;

    static std::array<std::uint8_t, 80> filledWithBlanks() {
        std::array<std::uint8_t, 80> ram{};
        ram.fill(0x20);
        return ram;
    }
};

} // namespace tovi::mcs48
