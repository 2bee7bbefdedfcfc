#pragma once
// A stimulus: input changes at given cycles, written one per line as
// "<cycle> <name>=<value>" with names T0, T1, INT (level 0 or 1) and
// P1, P2, BUS (input pins, hex as the assembler writes it: FB, 0FBH, 0xFB or
// %FB); ";" starts a comment.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "mcs48/state.h"

namespace tovi::mcs48 {

// Takes effect before the first instruction that starts at or after `cycle`.
struct InputEvent {
    std::int64_t cycle = 0;
    Input input = Input::T0;
    std::uint8_t value = 0;
};

struct ParsedStimulus {
    std::vector<InputEvent> events; // in file order
    int badLine = 0;                // number of the first malformed line, 0 when none
    std::string problem;            // what is wrong with it, in German
};

ParsedStimulus parseStimulus(std::string_view text);

// A part the stimulus works: a button or a switch (key 0) pressed or let go,
// or a key of a keypad (row * columns + column).
struct PartPress {
    int part = 0;
    int key = 0;
    bool pressed = true;
};

// One change a stimulus makes at its cycle: an input's level or pins, or a part.
struct StimulusEvent {
    std::int64_t cycle = 0;
    std::variant<InputEvent, PartPress> change;
};

// What a stimulus line's names and times refer to.
struct StimulusContext {
    double cyclesPerSecond = 400'000; // machine cycles per second (6 MHz)
    // The part a name stands for ("S1", "K"), or -1; for a keypad the key a
    // label names ('5'), or -1.
    std::function<int(std::string_view name)> partNamed;
    std::function<int(int part, char32_t label)> keyLabelled;
    std::function<int(int part, int row, int column)> keyAt; // -1 outside the keypad
};

struct ParsedBoardStimulus {
    std::vector<StimulusEvent> events; // in file order; a key by its label is held 20 ms
    int badLine = 0;
    std::string problem;
};

// Lines "<time> <name>=<value>": the time as machine cycles ("1234") or with a
// unit ("100ms", "2.5us", "1s"); the names of ParsedStimulus, and parts: "S1=1"
// presses a button or sets a switch, "S1=0" lets it go, "K.2.1=1" holds row 2,
// column 1 of a keypad (from 0), "K='5'" presses its key labelled 5 for 20 ms.
ParsedBoardStimulus parseStimulus(std::string_view text, const StimulusContext& context);

} // namespace tovi::mcs48
