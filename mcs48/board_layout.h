#pragma once
// What a board file describes, as the board simulates it: the wires into the
// input pins and the parts with the pins they use. Inside the simulator layer
// only; Board in mcs48/board.h is the interface.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "mcs48/board.h"

namespace tovi::mcs48::board {

// The input pins, one bit each: P1.0–P1.7, P2.0–P2.7, BUS.0–BUS.7, T0, T1, INT.
using PinSet = std::uint32_t;
inline constexpr int busPin0 = 16;
inline constexpr int t0Pin = 24;
inline constexpr int t1Pin = 25;
inline constexpr int intPin = 26;
inline constexpr PinSet allPins = (PinSet{1} << 27) - 1;

// The latch bits: P1 0–7, P2 8–15, BUS 16–23, then the expander ports P4–P7
// with four bits each from 24 on.
using LatchSet = std::uint64_t;
inline constexpr int expanderLatch0 = 24;
inline constexpr LatchSet allLatches = (LatchSet{1} << 40) - 1;

constexpr bool isHigh(LatchSet latches, int bit) {
    return ((latches >> bit) & 1) != 0;
}

// Where a port's pins (P1, P2, BUS) or latch bits (all ports) begin.
constexpr int firstBitOf(Port port) {
    const int number = static_cast<int>(port);
    return number < 3 ? 8 * number : expanderLatch0 + 4 * (number - 3);
}

// The input whose level or pins a pin belongs to.
constexpr Input inputOfPin(int pin) {
    if (pin >= t0Pin) {
        return static_cast<Input>(pin - t0Pin); // T0, T1, Int
    }
    return static_cast<Input>(static_cast<int>(Input::P1) + pin / 8);
}

// What drives a pin besides the stimulus and the parts.
struct Wire {
    enum class Kind : std::uint8_t { Level, Latch, Square, Pulse };
    int pin = 0;
    Kind kind = Kind::Level;
    bool level = true;     // Level
    int latchBit = 0;      // Latch
    bool inverted = false; // Latch
    double halfPeriod = 0; // Square: machine cycles per half period
    std::int64_t period = 0;
    std::int64_t low = 0; // Pulse: low for `low` cycles at the end of every `period`

    // Square and Pulse start high and change at their edges 1, 2, 3 …: odd
    // edges fall, even edges rise.
    bool toggles() const { return kind == Kind::Square || kind == Kind::Pulse; }
    std::int64_t edgeCycle(std::int64_t edge) const;
};

struct PartLayout {
    PartKind kind = PartKind::Led;
    std::string name;
    int latchBit = -1;       // Led; Digit: the select bit ("wahl"), -1 when none
    bool activeHigh = false; // Led "hoch", Digit "kathode"
    int pin = -1;            // Button, Switch
    std::vector<int> rows;   // Keypad: latch bits
    std::vector<int> columns;
    std::u16string labels; // Keypad: row by row, empty or one per key
    Port port = Port::P1;  // Digit: the segments; Lcd: the data lines
    int registerSelect = -1;
    int enable = -1;
    int readWrite = -1; // Lcd: -1 when it is only written
};

struct Layout {
    std::vector<Wire> wires;
    std::vector<PartLayout> parts;
};

// A board file read at `cyclesPerSecond`: the layout, or the German error line.
std::variant<Layout, std::string> readBoardFile(std::string_view text, std::string_view fileName,
                                                double cyclesPerSecond);

// "100ms", "2.5us", "1s" or plain machine cycles "1234", rounded to whole cycles.
std::optional<std::int64_t> cyclesOfTime(std::string_view text, double cyclesPerSecond);
// "50Hz", "2.5kHz", "1MHz": the frequency in Hz.
std::optional<double> hertzOf(std::string_view text);

// Names and keywords in any case.
bool sameName(std::string_view a, std::string_view b);

// How long a key pressed by its label is held, and a multiplexed digit stays lit.
inline constexpr double scanSeconds = 0.020;

} // namespace tovi::mcs48::board
