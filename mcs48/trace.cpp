#include "mcs48/trace.h"

#include <charconv>

#include "common/hex_text.h"
#include "common/mcs48_memory.h"

namespace tovi::mcs48 {
namespace {

void appendDecimal(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void appendToken(std::string& out, const char* key, unsigned value, int digits) {
    out += key;
    appendHex(out, value, digits);
}

} // namespace

void appendHexBytes(std::string& out, std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        appendHex(out, bytes[i], 2);
    }
}

void appendStateTokens(std::string& out, const State& state) {
    appendToken(out, "PC=", state.pc, 3);
    appendToken(out, " A=", state.a, 2);
    appendToken(out, " PSW=", state.psw, 2);
    appendToken(out, " F1=", state.f1, 1);
    appendToken(out, " MB=", state.mb, 1);
    out += " R=";
    appendHexBytes(out,
                   std::span(state.ram).subspan(static_cast<std::size_t>(state.registerBase()), 8));
    appendToken(out, " T=", state.timer, 2);
    appendToken(out, " TF=", state.timerFlag, 1);
    appendToken(out, " P1=", state.latch(Port::P1), 2);
    appendToken(out, " P2=", state.latch(Port::P2), 2);
    appendToken(out, " BUS=", state.latch(Port::Bus), 2);
    out += " CYC=";
    appendDecimal(out, static_cast<std::uint64_t>(state.cycles));
}

void TraceFormatter::append(std::string& out, const Step& step, const State& state) {
    if (step.kind == Step::Kind::InterruptEntry) {
        out += step.vector == timerInterruptVector ? "TIMER -> " : "INT -> ";
        appendHex(out, step.vector, 3);
        out += '\n';
        return;
    }
    appendDecimal(out, state.instructions);
    out += ' ';
    appendHex(out, step.address, 3);
    out += ": ";
    appendHex(out, step.opcode, 2);
    if (step.length == 2) {
        out += ' ';
        appendHex(out, step.operand, 2);
    }
    out += ' ';
    out += textOf(step);
    out += " | ";
    appendStateTokens(out, state);
    out += '\n';
}

// The text of an instruction depends on its bytes and address only (its
// label too), and a trace passes the same few addresses again and again.
const std::string& TraceFormatter::textOf(const Step& step) {
    CachedText& cached = texts_[step.address % texts_.size()];
    const int key = step.opcode << 8 | (step.length == 2 ? step.operand : 0);
    if (cached.key != key) {
        cached.key = key;
        cached.text = instructionText(step.address, step.opcode, step.operand);
        if (step.address < labels_.size() && !labels_[step.address].empty()) {
            cached.text.insert(0, labels_[step.address] + ": ");
        }
    }
    return cached.text;
}

} // namespace tovi::mcs48
