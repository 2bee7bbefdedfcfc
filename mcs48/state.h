#pragma once
// Everything the processor holds, as one plain struct the debugger can read and edit.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tovi::mcs48 {

// The chips, in the order of chipFamilies: they differ only in internal RAM.
enum class Chip : std::uint8_t { I8048, I8049, I8050 };

int ramSizeOf(Chip chip);

// "8048", "8748", "8035", "8049", … "8040"; nullopt for any other name.
std::optional<Chip> chipNamed(std::string_view name);
// The name Tovi shows and stores: "8048", "8049" or "8050".
std::string_view nameOf(Chip chip);

// The output latches: P1, P2, BUS and the four 4-bit ports of an 8243 expander.
enum class Port : std::uint8_t { P1, P2, Bus, P4, P5, P6, P7 };
inline constexpr int portCount = 7;

std::string_view portName(Port port); // "P1", "P2", "BUS", "P4" … "P7"

// The inputs a stimulus drives: pin levels of T0, T1 and /INT (0 or 1) and
// the input pins of P1, P2 and BUS.
enum class Input : std::uint8_t { T0, T1, Int, P1, P2, Bus };

enum class TimerMode : std::uint8_t { Stopped, Timer, Counter };

// PSW bits; bit 3 always reads 1, bits 0–2 are the stack pointer.
inline constexpr std::uint8_t pswCarry = 0x80;
inline constexpr std::uint8_t pswAuxiliaryCarry = 0x40;
inline constexpr std::uint8_t pswF0 = 0x20;
inline constexpr std::uint8_t pswBankSelect = 0x10;
inline constexpr std::uint8_t pswOne = 0x08;
inline constexpr std::uint8_t pswStackPointer = 0x07;

// Where R0–R7 lie in RAM: 0–7 in bank 0, 24–31 in bank 1 (after SEL RB1).
inline constexpr int secondBankBase = 24;
constexpr int registerBaseOf(unsigned psw) {
    return (psw & pswBankSelect) != 0 ? secondBankBase : 0;
}

// The stack: eight levels of two bytes from RAM 8 on. Level n holds the
// return address's bits 0–7, then PSW bits 4–7 over the address's bits 8–11.
inline constexpr int stackBase = 8;
inline constexpr int stackLevels = 8;
constexpr int stackLevelAddress(int level) {
    return stackBase + 2 * level;
}

struct State {
    Chip chip = Chip::I8049;
    std::uint16_t pc = 0; // 12 bits
    std::uint8_t a = 0;
    std::uint8_t psw = pswOne; // as MOV A,PSW reads it
    bool f1 = false;
    bool mb = false;                      // SEL MB1
    std::array<std::uint8_t, 256> ram{};  // the first ramSizeOf(chip) bytes exist
    std::array<std::uint8_t, 256> xram{}; // external data RAM (MOVX)

    std::array<std::uint8_t, portCount> latches{}; // indexed by Port
    std::uint8_t p1Pins = 0xFF;                    // input pin levels
    std::uint8_t p2Pins = 0xFF;
    std::uint8_t busPins = 0xFF;
    bool t0 = true; // pin levels
    bool t1 = true;
    bool intPin = true; // /INT: low requests the external interrupt

    std::uint8_t timer = 0;     // T
    std::uint8_t prescaler = 0; // cycles since T last counted up, 0–31
    bool timerFlag = false;     // TF
    TimerMode timerMode = TimerMode::Stopped;

    bool interruptEnabled = false;      // EN I
    bool timerInterruptEnabled = false; // EN TCNTI
    bool timerInterruptPending = false;
    bool inInterrupt = false; // from interrupt entry until RETR

    int callDepth = 0; // +1 on CALL and interrupt entry, -1 on RET and RETR
    std::int64_t cycles = 0;
    std::uint64_t instructions = 0;

    std::uint8_t& latch(Port port) { return latches[static_cast<std::size_t>(port)]; }
    std::uint8_t latch(Port port) const { return latches[static_cast<std::size_t>(port)]; }
    int registerBase() const { return registerBaseOf(psw); }

    bool operator==(const State&) const = default;
};

} // namespace tovi::mcs48
