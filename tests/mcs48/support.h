#pragma once
// Helpers of the processor tests: programs written as hex bytes, states
// compared by key=value tokens.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "mcs48/processor.h"

namespace tovi::test {

using namespace mcs48;

// "23 05 04 FF @0FF B3 00*3": bytes from 000H, "@addr" moves on to that
// address, "xx*n" repeats a byte.
inline std::vector<std::uint8_t> program(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::size_t address = 0;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word[0] == '@') {
            address = std::stoul(word.substr(1), nullptr, 16);
            continue;
        }
        const auto star = word.find('*');
        const int count = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
        for (int i = 0; i < count; ++i, ++address) {
            bytes.resize(std::max(bytes.size(), address + 1));
            bytes[address] =
                static_cast<std::uint8_t>(std::stoul(word.substr(0, star), nullptr, 16));
        }
    }
    return bytes;
}

inline std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// The value of one key: PC A PSW F1 MB T PRE TF TP IS DEPTH CYC N, R0–R7 of
// the active bank, latches P1 P2 BUS P4–P7, @hh internal and Xhh external RAM.
inline std::string valueOf(const State& s, const std::string& key) {
    const auto at = [&](std::size_t from) { return std::stoul(key.substr(from), nullptr, 16); };
    if (key[0] == '@') {
        return hex(s.ram[at(1)], 2);
    }
    if (key[0] == 'X') {
        return hex(s.xram[at(1)], 2);
    }
    if (key.size() == 2 && key[0] == 'R') {
        return hex(s.ram[static_cast<std::size_t>(s.registerBase() + key[1] - '0')], 2);
    }
    // clang-format off
    const std::pair<const char*, std::string> values[] = {
        {"PC", hex(s.pc, 3)}, {"A", hex(s.a, 2)}, {"PSW", hex(s.psw, 2)}, {"F1", hex(s.f1, 1)},
        {"MB", hex(s.mb, 1)}, {"T", hex(s.timer, 2)}, {"PRE", hex(s.prescaler, 2)},
        {"TF", hex(s.timerFlag, 1)}, {"TP", hex(s.timerInterruptPending, 1)},
        {"IS", hex(s.inInterrupt, 1)}, {"DEPTH", std::to_string(s.callDepth)},
        {"CYC", std::to_string(s.cycles)}, {"N", std::to_string(s.instructions)},
        {"P1", hex(s.latch(Port::P1), 2)}, {"P2", hex(s.latch(Port::P2), 2)},
        {"BUS", hex(s.latch(Port::Bus), 2)}, {"P4", hex(s.latch(Port::P4), 2)},
        {"P5", hex(s.latch(Port::P5), 2)}, {"P6", hex(s.latch(Port::P6), 2)},
        {"P7", hex(s.latch(Port::P7), 2)},
    };
    // clang-format on
    for (const auto& [name, value] : values) {
        if (key == name) {
            return value;
        }
    }
    ADD_FAILURE() << "unknown key " << key;
    return {};
}

// Expects every "KEY=VALUE" of `expected` to hold.
inline void expectState(const State& state, const std::string& expected, const std::string& name) {
    std::istringstream tokens(expected);
    for (std::string token; tokens >> token;) {
        const auto equals = token.find('=');
        EXPECT_EQ(valueOf(state, token.substr(0, equals)), token.substr(equals + 1))
            << name << ": " << token;
    }
}

} // namespace tovi::test
