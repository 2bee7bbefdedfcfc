#pragma once
// The board around the chip, as a board file describes it: what drives the
// input pins (wires from output latches, levels, square waves, pulse trains,
// the stimulus, the user), and the parts that read the latches or drive the
// pins: LEDs, push buttons, switches, a key matrix, 7-segment digits and a
// 16x2 character LCD. The processor tells the board when its latches change
// and lets time pass; the board answers with the levels of the input pins
// and tells a listener what its parts show.
//
// Board file: one statement per line, ";" starts a comment, keywords in any case.
//   PIN = SOURCE                    a wire; SOURCE is a latch bit (P1.3, P2.0, BUS.7,
//                                   P4.0 … P7.3), optionally inverted (!P2.7), a level
//                                   0 or 1, "takt FREQUENZ" (Hz, kHz, MHz; starts high)
//                                   or "puls PERIODE TIEF" (low for TIEF at the end of
//                                   every PERIODE; times in us, ms, s or plain machine
//                                   cycles, "2.5us"). PIN may be a range (P1.0-3) wired
//                                   to a range of latch bits of the same length, or to
//                                   one level, wave or pulse train.
//   led NAME PIN [hoch]             lit while the latch bit is low, or high with "hoch"
//   taste NAME PIN                  a push button to ground: pressed pulls PIN low
//   schalter NAME PIN               a switch to ground that stays as it is set
//   tastenfeld NAME ZEILEN SPALTEN ["LABELS"]
//                                   a key matrix: ZEILEN a range of latch bits (P2.0-3),
//                                   SPALTEN a range of inputs (P1.0-3); a pressed key pulls
//                                   its column low while its row's latch is low; LABELS
//                                   name the keys row by row
//   anzeige NAME PORT [kathode] [wahl PIN]
//                                   a 7-segment digit on a port's latch (bit 0 = a …
//                                   bit 6 = g, bit 7 = point), lit while a bit is low, or
//                                   high with "kathode"; with "wahl" shown while that
//                                   latch bit is low, and for 20 ms after it
//   lcd NAME DATEN RS E [rw PIN]    an HD44780 16x2 LCD on a port (8-bit, or 4-bit on the
//                                   upper nibble), taking RS, R/W and the data as they
//                                   stood while E was high at each falling edge of E;
//                                   without "rw" it is only written
// Inputs are T0, T1, INT (the /INT pin), P1.0 … P1.7, P2.0 … P2.7, BUS.0 … BUS.7.
// A P1 or P2 pin reads as its latch AND everything that drives it; T0, T1, INT and
// BUS pins read as the AND of their drivers, high when nothing drives them.
// Names are letters, digits and "_", in any case, and none names a pin or port.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "mcs48/hd44780.h"
#include "mcs48/state.h"
#include "mcs48/stimulus.h"

namespace tovi::mcs48 {

// The levels of the input pins the board drives. For P1 and P2 the processor
// ANDs them with its latches; every other pin reads as it is.
struct PinLevels {
    std::uint8_t p1 = 0xFF;
    std::uint8_t p2 = 0xFF;
    std::uint8_t bus = 0xFF;
    bool t0 = true;
    bool t1 = true;
    bool intPin = true;

    bool operator==(const PinLevels&) const = default;
};

enum class PartKind : std::uint8_t { Led, Button, Switch, Keypad, Digit, Lcd };

// What a part shows or how it is worked, for a window to draw and to click.
struct PartView {
    PartKind kind = PartKind::Led;
    std::string name;
    bool lit = false;             // Led
    bool pressed = false;         // Button, Switch
    int rows = 0;                 // Keypad
    int columns = 0;              // Keypad
    std::u16string labels;        // Keypad: rows × columns characters, row by row
    std::vector<bool> keysDown;   // Keypad: row by row
    std::uint8_t segments = 0;    // Digit: the lit segments as the eye sees them (bit 0 = a)
    const Hd44780* lcd = nullptr; // Lcd
};

// One visible change of a part, as tovi-sim --ports reports it: "D1 an",
// "D1 aus"; "A 7", "A 7." or "A aus" when no segment is lit (the figure as
// figureOf names it); "LCD \"Hallo Welt      \" \"                \""
// (both lines as the glass shows them, UTF-8). The state after a reset is
// where changes are counted from; buttons, switches and keys show nothing.
struct PartChange {
    std::int64_t cycle = 0;
    std::string text;
};

// A signal for a waveform: P1, P2, BUS (the pins as the chip reads them),
// T0, T1, INT, then each part's pins in the order of the file: an LED's latch
// bit ("D1"), a button's or switch's pin as read ("S1"), a keypad's row latch
// bits and column pins ("K.ZEILEN", "K.SPALTEN", bit 0 the first row or
// column), a digit's segment latch ("A") and select bit ("A.WAHL"), an LCD's
// data lines (latch AND what drives them, "LCD.DATEN"), "LCD.RS", "LCD.E" and
// "LCD.RW".
struct Signal {
    std::string name; // "P1", "T0", "D1", "K.ZEILEN", "LCD.E"
    int width = 1;    // bits
};

struct SignalChange {
    std::int64_t cycle = 0;
    int signal = 0; // index into signalList()
    std::uint32_t value = 0;
};

class Board {
public:
    struct Parsed;

    // The board a file describes. `fileName` names the file in error lines:
    // "tasten.board, Zeile 3: unbekannter Pin 'P3.1'". Times in the file are
    // turned into machine cycles at `cyclesPerSecond`.
    static Parsed parse(std::string_view text, std::string_view fileName, double cyclesPerSecond);

    Board(); // nothing on the board: every input reads high
    ~Board();
    Board(Board&&) noexcept;
    Board& operator=(Board&&) noexcept;

    // The stimulus: input changes and part presses at their cycles, applied in
    // cycle order as time passes (replacing any before).
    void schedule(std::vector<StimulusEvent> events);

    // Time starts over at cycle 0, as at a reset of the chip: the stimulus
    // from its start, waves from their start, every input high, nothing pressed,
    // the latches as after a reset. An LCD keeps what it holds.
    void restart();
    // Time jumps to `cycle` as if the board had run since cycle 0 on its own:
    // waves keep their phase and the stimulus events due are applied, at once
    // and without reports, however long the time (a board attached late).
    void startAt(std::int64_t cycle);

    // The processor's latches changed at `cycle` (or were set by a reset or an
    // edit); the changes due by then have happened first.
    void latchesChanged(const std::array<std::uint8_t, portCount>& latches, std::int64_t cycle);
    // The earliest cycle after the last one passed at which anything changes by
    // itself (a wave's edge, a stimulus event, a digit going dark); `never` when none.
    std::int64_t nextChange() const;
    // Time passed up to `cycle`: every change due by then has happened.
    void advanceTo(std::int64_t cycle);
    // The input pins' levels now.
    const PinLevels& pins() const;
    // Whether an input can still change without the program writing a latch
    // (a wave, a pulse train, a later stimulus event).
    bool mayChange(Input input) const;

    // The user sets an input's level (0 or 1, or the eight pins of P1, P2, BUS),
    // as a stimulus event would now.
    void setInput(Input input, std::uint8_t value, std::int64_t cycle);
    // The user works a part: a button held or let go, a switch set, a key of
    // a keypad (row * columns + column) held or let go.
    void setPressed(int part, int key, bool pressed, std::int64_t cycle);

    // The parts in the order of the file, as they are at `cycle`. A multiplexed
    // digit shows its segments while selected, the segments of its last
    // selection for 20 ms after it, then nothing.
    std::vector<PartView> parts(std::int64_t cycle) const;
    int partNamed(std::string_view name) const; // -1 when there is none
    // What a stimulus's times, part names and key labels mean on this board;
    // it refers to the board and is good while the board lives.
    StimulusContext stimulusContext() const;

    // Told of each visible change of a part.
    void onPartChange(std::function<void(const PartChange&)> listener);
    // Told of each change of a signal; the chip's pins as the board sees them.
    const std::vector<Signal>& signalList() const;
    void onSignalChange(std::function<void(const SignalChange&)> listener);
    // Each signal's value now, in the order of signalList().
    std::vector<std::uint32_t> signalValues() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

struct Board::Parsed {
    std::optional<Board> board;
    std::string error; // one line, German, when there is no board
};

} // namespace tovi::mcs48
