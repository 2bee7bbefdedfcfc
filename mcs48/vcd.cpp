#include "mcs48/vcd.h"

#include <algorithm>
#include <ctime>

#include "mcs48/board.h"

namespace tovi::mcs48 {
namespace {

// Identifier codes are printable ASCII from "!" to "~": one character for the
// first 94 signals, more for the rest.
constexpr int codeCharacters = '~' - '!' + 1;

std::string codeOf(std::size_t index) {
    std::string code;
    for (auto rest = static_cast<long long>(index); rest >= 0; rest = rest / codeCharacters - 1) {
        code += static_cast<char>('!' + rest % codeCharacters);
    }
    return code;
}

// A reference is one word.
std::string referenceOf(std::string name) {
    std::ranges::replace_if(
        name, [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7F'; }, '_');
    return name.empty() ? "_" : name;
}

} // namespace

VcdWriter::VcdWriter(std::vector<VcdSignal> signals) : signals_(std::move(signals)) {
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        codes_.push_back(codeOf(i));
        signals_[i].name = referenceOf(std::move(signals_[i].name));
    }
    values_.resize(signals_.size());
}

void VcdWriter::appendHeader(std::string& out, const VcdHeader& header,
                             std::span<const std::uint32_t> initialValues) {
    out += "$date " + header.date + " $end\n";
    out += "$version " + header.version + " $end\n";
    out += "$timescale " + header.timescale + " $end\n";
    out += "$scope module " + header.scope + " $end\n";
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        out += "$var wire " + std::to_string(signals_[i].width) + " " + codes_[i] + " " +
               signals_[i].name + " $end\n";
    }
    out += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        values_[i] = i < initialValues.size() ? initialValues[i] : 0;
        appendValue(out, i);
    }
    out += "$end\n";
    time_ = 0;
}

void VcdWriter::appendChange(std::string& out, std::uint64_t time, int signal,
                             std::uint32_t value) {
    const auto index = static_cast<std::size_t>(signal);
    if (values_[index] == value) {
        return;
    }
    if (time > time_) {
        time_ = time;
        out += '#' + std::to_string(time) + '\n';
    }
    values_[index] = value;
    appendValue(out, index);
}

// "1!" for a single bit, "b00001111 \"" for a vector, every bit written.
void VcdWriter::appendValue(std::string& out, std::size_t signal) const {
    const int width = signals_[signal].width;
    const std::uint32_t value = values_[signal];
    if (width == 1) {
        out += (value & 1) != 0 ? '1' : '0';
    } else {
        out += 'b';
        for (int bit = width - 1; bit >= 0; --bit) {
            out += ((value >> bit) & 1) != 0 ? '1' : '0';
        }
        out += ' ';
    }
    out += codes_[signal];
    out += '\n';
}

std::vector<VcdSignal> vcdSignalsOf(const Board& board) {
    std::vector<VcdSignal> signals;
    for (const Signal& signal : board.signalList()) {
        signals.push_back({signal.name, signal.width});
    }
    return signals;
}

VcdHeader vcdHeaderDatedNow(std::string version) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = "";
    localtime_r(&now, &local);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return {text, std::move(version)};
}

} // namespace tovi::mcs48
