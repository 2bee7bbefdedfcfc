#pragma once
// The 8-bit timer/counter. In timer mode its value follows from the cycle
// count, so nothing has to happen per instruction until it overflows.

#include <cstdint>
#include <limits>

#include "mcs48/state.h"

namespace tovi::mcs48 {

inline constexpr std::int64_t never = std::numeric_limits<std::int64_t>::max();

class Timer {
public:
    static constexpr int cyclesPerCount = 32;

    TimerMode mode() const { return mode_; }
    std::uint8_t value(std::int64_t cycles) const;
    std::uint8_t prescaler(std::int64_t cycles) const;

    // STRT T (which clears the prescaler), STRT CNT or STOP TCNT at `cycles`.
    void switchTo(TimerMode mode, std::int64_t cycles);
    // MOV T,A: the prescaler runs on.
    void set(std::uint8_t value, std::int64_t cycles);
    // Takes over edited values.
    void restore(std::uint8_t value, std::uint8_t prescaler, TimerMode mode, std::int64_t cycles);

    // In timer mode the cycle at which T goes from FF to 00; otherwise never.
    std::int64_t overflowCycle() const;
    // Continues counting from the overflow at overflowCycle().
    void passOverflow();
    // Counter mode: one falling edge on T1. True when T went from FF to 00.
    bool countEdge();

private:
    TimerMode mode_ = TimerMode::Stopped;
    std::uint8_t value_ = 0;         // T at base_ (timer mode), or T
    std::uint8_t heldPrescaler_ = 0; // outside timer mode
    std::int64_t base_ = 0;          // timer mode: a cycle at which the prescaler was 0
};

} // namespace tovi::mcs48
