#pragma once
// A stimulus: input changes at given cycles, written one per line as
// "<cycle> <name>=<value>" with names T0, T1, INT (level 0 or 1) and
// P1, P2, BUS (input pins, hex as the assembler writes it: FB, 0FBH, 0xFB or
// %FB); ";" starts a comment.

#include <cstdint>
#include <string>
#include <string_view>
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

} // namespace tovi::mcs48
