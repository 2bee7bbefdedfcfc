#pragma once
// A Value Change Dump (IEEE 1364, section 18), the waveform file GTKWave and
// most logic viewers read: a header that names the signals, their values at
// time 0, then each change at its time. The writer knows signals and values
// only; the caller says what they are and when they change.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tovi::mcs48 {

class Board;

struct VcdSignal {
    std::string name; // blanks and control characters become "_"
    int width = 1;    // 1 to 32 bits
};

struct VcdHeader {
    std::string date;
    std::string version;           // "Tovi 1.1"
    std::string timescale = "1ns"; // the unit of every time
    std::string scope = "tovi";
};

class VcdWriter {
public:
    explicit VcdWriter(std::vector<VcdSignal> signals);

    // Appends the header, one variable per signal, and the values at time 0
    // (one per signal).
    void appendHeader(std::string& out, const VcdHeader& header,
                      std::span<const std::uint32_t> initialValues);
    // Appends a signal's new value at `time` (taken as the last time when it
    // is earlier); nothing when the signal already has that value.
    void appendChange(std::string& out, std::uint64_t time, int signal, std::uint32_t value);

private:
    void appendValue(std::string& out, std::size_t signal) const;

    std::vector<VcdSignal> signals_;
    std::vector<std::string> codes_; // the short identifier of each signal
    std::vector<std::uint32_t> values_;
    std::uint64_t time_ = 0;
};

// One variable per signal of the board, in the order of its signal list.
std::vector<VcdSignal> vcdSignalsOf(const Board& board);

// A header dated with the local date and time of now.
VcdHeader vcdHeaderDatedNow(std::string version);

} // namespace tovi::mcs48
