#pragma once
// A stand-in for the EPROM emulator on a raw pseudo-terminal pair. The program
// opens the terminal side through the real serial-port code; a thread on the
// master side records every byte and answers with CR LF lines.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "emulator/com_port_names.h"

namespace tovi::test {

enum class Answer {
    AtOnce,       // one line as soon as a command or block is complete
    Late,         // the same line, `delay` later
    Split,        // the line in two parts, `delay` apart, the first without CR LF
    SeveralLines, // two lines in one write
    Never,        // silent
    Garbage,      // 64 bytes of noise, line ends and zero bytes included
    Flood,        // lines without pause, whatever is sent
    Vanish,       // the line disappears once the first data block is complete
};

struct Behaviour {
    Answer answer = Answer::AtOnce;
    std::chrono::milliseconds delay{250};
};

class FakeEmulator {
public:
    explicit FakeEmulator(Behaviour behaviour = {});
    ~FakeEmulator();
    FakeEmulator(const FakeEmulator&) = delete;
    FakeEmulator& operator=(const FakeEmulator&) = delete;

    // Answers the opening of the port, as the emulator greets its host.
    void greet();
    // Every byte the program has sent so far.
    std::string received() const;
    // The line speed the program had set when its first byte arrived.
    unsigned lineSpeed() const;
    // The terminal side, what a port name maps to.
    const std::string& devicePath() const { return devicePath_; }
    // Maps `portName` to this emulator and every other name nowhere.
    PortDeviceMap deviceMap(std::u16string portName) const;

    // The text this emulator answers to a complete command or block, e.g.
    // "EMUOFF ok" or "SBN 128 ok"; the greeting answers "bereit".
    static std::string answerFor(std::string_view unit) { return std::string(unit) + " ok"; }

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        std::string bytes;
    };

    void run();
    void parse(char byte);
    void answer(const std::string& unit);

    Behaviour behaviour_;
    int masterFd_ = -1;   // closed when the line vanishes
    int terminalFd_ = -1; // kept open so the line survives the program's close
    std::string devicePath_;
    mutable std::mutex mutex_;
    std::string received_;
    unsigned lineSpeed_ = 0;
    std::vector<Pending> pending_;
    std::atomic<bool> stop_{false};
    std::uint32_t noise_ = 12345;
    // Parser state for the stream the program sends.
    std::string line_;
    int headerLinesLeft_ = 0; // after ":SBN": the address and the size line
    std::string blockAddress_;
    int dataLeft_ = 0;
    std::thread thread_;
};

} // namespace tovi::test
