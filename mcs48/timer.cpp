#include "mcs48/timer.h"

namespace tovi::mcs48 {

std::uint8_t Timer::value(std::int64_t cycles) const {
    if (mode_ != TimerMode::Timer) {
        return value_;
    }
    return static_cast<std::uint8_t>(value_ + (cycles - base_) / cyclesPerCount);
}

std::uint8_t Timer::prescaler(std::int64_t cycles) const {
    if (mode_ != TimerMode::Timer) {
        return heldPrescaler_;
    }
    return static_cast<std::uint8_t>((cycles - base_) % cyclesPerCount);
}

void Timer::switchTo(TimerMode mode, std::int64_t cycles) {
    const std::uint8_t prescalerNow = mode == TimerMode::Timer ? 0 : prescaler(cycles);
    restore(value(cycles), prescalerNow, mode, cycles);
}

void Timer::set(std::uint8_t value, std::int64_t cycles) {
    restore(value, prescaler(cycles), mode_, cycles);
}

void Timer::restore(std::uint8_t value, std::uint8_t prescaler, TimerMode mode,
                    std::int64_t cycles) {
    mode_ = mode;
    value_ = value;
    heldPrescaler_ = prescaler % cyclesPerCount;
    base_ = cycles - heldPrescaler_;
}

std::int64_t Timer::overflowCycle() const {
    if (mode_ != TimerMode::Timer) {
        return never;
    }
    return base_ + std::int64_t{cyclesPerCount} * (256 - value_);
}

void Timer::passOverflow() {
    base_ = overflowCycle();
    value_ = 0;
}

bool Timer::countEdge() {
    if (mode_ != TimerMode::Counter) {
        return false;
    }
    ++value_;
    return value_ == 0;
}

} // namespace tovi::mcs48
