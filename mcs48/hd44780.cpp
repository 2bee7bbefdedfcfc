#include "mcs48/hd44780.h"

#include <string_view>

namespace tovi::mcs48 {
namespace {

constexpr std::uint8_t blank = 0x20;
constexpr std::uint8_t cgramMask = 0x3F;
constexpr std::uint8_t ddramMask = 0x7F;

// ROM A00, one row per upper nibble. 00H–0FH: CGRAM, shown as '▒'. 10H–1FH,
// 80H–9FH and FEH hold no pattern and show blank. 5CH is '¥', 7EH and 7FH are
// arrows. A1H–DFH are the half-width katakana and signs U+FF61–U+FF9F in order.
// E0H–FFH as the ROM draws them: E7H, EAH, F0H, F1H and F9H are g, j, p, q and y
// with descenders, E9H (a raised −1) is '⁻', EBH (a raised x) is 'ˣ', F8H (x with
// a bar) is 'x', FAH–FCH are 千, 万 and 円, FFH (every dot lit) is '█'.
constexpr std::u16string_view romA00 = u"▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒"
                                       u"                "
                                       u" !\"#$%&'()*+,-./"
                                       u"0123456789:;<=>?"
                                       u"@ABCDEFGHIJKLMNO"
                                       u"PQRSTUVWXYZ[¥]^_"
                                       u"`abcdefghijklmno"
                                       u"pqrstuvwxyz{|}→←"
                                       u"                "
                                       u"                "
                                       u" ｡｢｣､･ｦｧｨｩｪｫｬｭｮｯ"
                                       u"ｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿ"
                                       u"ﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏ"
                                       u"ﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ"
                                       u"αäβεμσρg√⁻jˣ¢£ñö"
                                       u"pqθ∞ΩüΣπxy千万円÷ █";
static_assert(romA00.size() == 256);

bool bit(std::uint8_t byte, std::uint8_t mask) {
    return (byte & mask) != 0;
}

} // namespace

char16_t hd44780Character(std::uint8_t code) {
    return romA00[code];
}

void Hd44780::fallingEdge(bool rs, bool rw, std::uint8_t data) {
    if (!fourBit_) {
        complete(rs, rw, data);
        return;
    }
    if (!secondNibble_) {
        upperNibble_ = data & 0xF0;
        secondNibble_ = true;
        return;
    }
    secondNibble_ = false;
    complete(rs, rw, static_cast<std::uint8_t>(upperNibble_ | (data >> 4)));
}

std::uint8_t Hd44780::readLines(bool rs) const {
    const std::uint8_t value = rs ? dataAtAddress() : address_; // busy flag (bit 7) is 0
    if (!fourBit_) {
        return value;
    }
    return secondNibble_ ? static_cast<std::uint8_t>(value << 4) : value & 0xF0;
}

void Hd44780::complete(bool rs, bool rw, std::uint8_t byte) {
    if (rw) {
        if (rs) {
            address_ = steppedAddress(increment_); // a read never shifts the display
        }
        return;
    }
    if (rs) {
        writeData(byte);
        return;
    }
    execute(byte);
}

// The instruction is named by its highest set bit.
void Hd44780::execute(std::uint8_t instruction) {
    struct Form {
        std::uint8_t leadingBit;
        void (Hd44780::*run)(std::uint8_t);
    };
    static constexpr std::array<Form, 8> forms = {{
        {0x80, &Hd44780::setDdramAddress},
        {0x40, &Hd44780::setCgramAddress},
        {0x20, &Hd44780::setFunction},
        {0x10, &Hd44780::shiftCursorOrDisplay},
        {0x08, &Hd44780::setDisplayControl},
        {0x04, &Hd44780::setEntryMode},
        {0x02, &Hd44780::returnHome},
        {0x01, &Hd44780::clearDisplay},
    }};
    for (const Form& form : forms) {
        if (bit(instruction, form.leadingBit)) {
            (this->*form.run)(instruction);
            return;
        }
    }
}

void Hd44780::clearDisplay(std::uint8_t instruction) {
    ddram_.fill(blank);
    returnHome(instruction);
    increment_ = true;
}

void Hd44780::returnHome(std::uint8_t) {
    address_ = 0;
    addressesCgram_ = false;
    firstVisible_ = 0;
}

void Hd44780::setEntryMode(std::uint8_t instruction) {
    increment_ = bit(instruction, 0x02);
    shiftOnWrite_ = bit(instruction, 0x01);
}

void Hd44780::setDisplayControl(std::uint8_t instruction) {
    displayOn_ = bit(instruction, 0x04);
    underline_ = bit(instruction, 0x02);
    blink_ = bit(instruction, 0x01);
}

void Hd44780::shiftCursorOrDisplay(std::uint8_t instruction) {
    const bool right = bit(instruction, 0x04);
    if (bit(instruction, 0x08)) {
        shiftDisplay(right);
        return;
    }
    address_ = steppedAddress(right);
}

void Hd44780::setFunction(std::uint8_t instruction) {
    const bool eightBit = bit(instruction, 0x10);
    if (!fourBit_ && !eightBit) {
        // The switch to 4 bits arrives on D7–D4 alone: N and F lie on lines
        // that are not connected yet.
        fourBit_ = true;
        return;
    }
    fourBit_ = !eightBit;
    twoLines_ = bit(instruction, 0x08);
}

void Hd44780::setCgramAddress(std::uint8_t instruction) {
    address_ = instruction & cgramMask;
    addressesCgram_ = true;
}

void Hd44780::setDdramAddress(std::uint8_t instruction) {
    address_ = instruction & ddramMask;
    addressesCgram_ = false;
}

void Hd44780::writeData(std::uint8_t byte) {
    if (addressesCgram_) {
        cgram_[address_] = byte;
        address_ = steppedAddress(increment_);
        return;
    }
    if (const auto index = ddramIndex(address_)) {
        ddram_[*index] = byte;
    }
    address_ = steppedAddress(increment_);
    if (shiftOnWrite_) {
        shiftDisplay(!increment_); // the cursor stays in place, the text moves
    }
}

std::uint8_t Hd44780::dataAtAddress() const {
    if (addressesCgram_) {
        return cgram_[address_];
    }
    const auto index = ddramIndex(address_);
    return index ? ddram_[*index] : blank;
}

// The address counter one step up or down: the CGRAM wraps at 64 bytes, the DDRAM
// runs 00H–4FH on one line and 00H–27H, 40H–67H on two.
std::uint8_t Hd44780::steppedAddress(bool up) const {
    if (addressesCgram_) {
        return static_cast<std::uint8_t>((address_ + (up ? 1 : -1)) & cgramMask);
    }
    const std::uint8_t last = twoLines_ ? 0x67 : 0x4F;
    if (up) {
        if (address_ == last) {
            return 0;
        }
        return twoLines_ && address_ == 0x27 ? 0x40 : (address_ + 1) & ddramMask;
    }
    if (address_ == 0) {
        return last;
    }
    return twoLines_ && address_ == 0x40 ? 0x27 : (address_ - 1) & ddramMask;
}

// Where a DDRAM address lies in the 80 bytes; none for an address no line has.
std::optional<std::size_t> Hd44780::ddramIndex(std::uint8_t address) const {
    if (!twoLines_) {
        return address < 80 ? std::optional<std::size_t>(address) : std::nullopt;
    }
    if (address < 0x28) {
        return address;
    }
    if (address >= 0x40 && address < 0x68) {
        return address - 0x40 + 40;
    }
    return std::nullopt;
}

void Hd44780::shiftDisplay(bool right) {
    firstVisible_ = (firstVisible_ + (right ? 79 : 1)) % 80;
}

std::array<std::u16string, Hd44780::visibleLines> Hd44780::visibleText() const {
    std::array<std::u16string, visibleLines> lines;
    for (int line = 0; line < visibleLines; ++line) {
        for (int column = 0; column < visibleColumns; ++column) {
            lines[line] += hd44780Character(visibleCode(line, column));
        }
    }
    return lines;
}

std::uint8_t Hd44780::visibleCode(int line, int column) const {
    if (!displayOn_ || (line > 0 && !twoLines_)) {
        return blank;
    }
    const int offset = (firstVisible_ + column) % lineLength();
    return ddram_[*ddramIndex(static_cast<std::uint8_t>(line * 0x40 + offset))];
}

std::optional<LcdCursor> Hd44780::cursor() const {
    if (!displayOn_ || !(underline_ || blink_) || addressesCgram_ || !ddramIndex(address_)) {
        return std::nullopt;
    }
    const int line = address_ >= 0x40 && twoLines_ ? 1 : 0;
    const int offset = address_ - line * 0x40;
    const int column = (offset - firstVisible_ % lineLength() + lineLength()) % lineLength();
    if (column >= visibleColumns) {
        return std::nullopt;
    }
    return LcdCursor{line, column, underline_, blink_};
}

} // namespace tovi::mcs48
