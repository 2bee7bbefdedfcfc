#pragma once
// The text of a run: one trace line per step and the state as key=value tokens.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mcs48/disassembler.h"
#include "mcs48/processor.h"

namespace tovi::mcs48 {

// Appends the bytes as two hex digits each, separated by single blanks.
void appendHexBytes(std::string& out, std::span<const std::uint8_t> bytes);

// Appends "PC=00D A=9A PSW=08 F1=0 MB=0 R=00 00 00 00 00 00 00 00 T=00 TF=0
// P1=FF P2=FF BUS=FF CYC=20" (R: R0–R7 of the active bank).
void appendStateTokens(std::string& out, const State& state);

class TraceFormatter {
public:
    TraceFormatter() = default;
    // With a source's labels, indexed by address ("" where none): a label is
    // shown before its address's instruction, "4 011: 23 FE start: mov a,#0FEH".
    explicit TraceFormatter(std::vector<std::string> labels) : labels_(std::move(labels)) {}

    // Appends "12 00B: 03 01 add a,#01H | <state tokens>" for an instruction
    // (12: instructions so far), or "INT -> 003" or "TIMER -> 007" for an
    // interrupt entry, and a line end.
    void append(std::string& out, const Step& step, const State& state);

private:
    struct CachedText {
        int key = -1; // opcode and operand of the text
        std::string text;
    };
    const std::string& textOf(const Step& step);

    std::vector<std::string> labels_;
    std::vector<CachedText> texts_ = std::vector<CachedText>(4096);
};

} // namespace tovi::mcs48
