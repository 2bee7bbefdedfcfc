#include "fake_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

namespace tovi::test {

FakeEmulator::FakeEmulator(Behaviour behaviour) : behaviour_(behaviour) {
    std::array<char, 256> name{};
    if (openpty(&masterFd_, &terminalFd_, name.data(), nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    devicePath_ = name.data();
    termios mode{};
    tcgetattr(terminalFd_, &mode);
    cfmakeraw(&mode);
    tcsetattr(terminalFd_, TCSANOW, &mode);
    fcntl(masterFd_, F_SETFL, fcntl(masterFd_, F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { run(); });
}

FakeEmulator::~FakeEmulator() {
    stop_ = true;
    thread_.join();
    ::close(masterFd_);
    ::close(terminalFd_);
}

void FakeEmulator::greet() {
    const std::lock_guard lock(mutex_);
    answer("bereit");
}

std::string FakeEmulator::received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

unsigned FakeEmulator::lineSpeed() const {
    const std::lock_guard lock(mutex_);
    return lineSpeed_;
}

PortDeviceMap FakeEmulator::deviceMap(std::u16string portName) const {
    return [portName, path = devicePath()](std::u16string_view name) {
        return name == portName ? std::optional(path) : std::nullopt;
    };
}

// Receives, then writes the answers that are due; a flood writes as much as
// the line takes, a full line dropping the rest. Once the line has vanished,
// the closed descriptor makes every call here fail harmlessly.
void FakeEmulator::run() {
    static constexpr std::string_view flood = "Flut Flut Flut Flut Flut Flut\r\n";
    while (!stop_) {
        const std::lock_guard lock(mutex_);
        const int fd = masterFd_;
        pollfd watch{fd, POLLIN, 0};
        std::array<char, 4096> bytes{};
        const ssize_t count = poll(&watch, 1, 5) > 0 ? ::read(fd, bytes.data(), bytes.size()) : 0;
        if (count > 0 && lineSpeed_ == 0) {
            termios mode{};
            tcgetattr(terminalFd_, &mode);
            lineSpeed_ = cfgetospeed(&mode);
        }
        for (ssize_t i = 0; i < count && masterFd_ >= 0; ++i) {
            received_.push_back(bytes[static_cast<std::size_t>(i)]);
            parse(bytes[static_cast<std::size_t>(i)]);
        }
        std::erase_if(pending_, [this](const Pending& pending) {
            if (pending.due > Clock::now()) {
                return false;
            }
            [[maybe_unused]] const auto written =
                ::write(masterFd_, pending.bytes.data(), pending.bytes.size());
            return true;
        });
        for (int i = 0; behaviour_.answer == Answer::Flood && i < 64; ++i) {
            if (::write(fd, flood.data(), flood.size()) <= 0) {
                break;
            }
        }
    }
}

// Follows the program's stream: command lines end in LF; ":SBN" opens a block
// of an address line, a size line and that many raw bytes.
void FakeEmulator::parse(char byte) {
    if (dataLeft_ > 0) {
        if (--dataLeft_ == 0) {
            answer("SBN " + blockAddress_);
            if (behaviour_.answer == Answer::Vanish) {
                ::close(masterFd_);
                masterFd_ = -1;
            }
        }
        return;
    }
    if (byte != '\n') {
        line_.push_back(byte);
        return;
    }
    const std::string command = line_.substr(line_.starts_with(':') ? 1 : 0);
    line_.clear();
    if (headerLinesLeft_ == 2) {
        blockAddress_ = command;
        headerLinesLeft_ = 1;
    } else if (headerLinesLeft_ == 1) {
        dataLeft_ = std::stoi(command);
        headerLinesLeft_ = 0;
    } else if (command == "SBN") {
        headerLinesLeft_ = 2;
    } else {
        answer(command);
    }
}

void FakeEmulator::answer(const std::string& unit) {
    const auto now = Clock::now();
    const std::string line = answerFor(unit) + "\r\n";
    switch (behaviour_.answer) {
    case Answer::AtOnce:
        return pending_.push_back({now, line});
    case Answer::Late:
        return pending_.push_back({now + behaviour_.delay, line});
    case Answer::Split:
        pending_.push_back({now, line.substr(0, 3)});
        return pending_.push_back({now + behaviour_.delay, line.substr(3)});
    case Answer::SeveralLines:
        return pending_.push_back({now, "eins\r\n" + line});
    case Answer::Garbage: {
        std::string noise(64, '\0');
        for (char& byte : noise) {
            noise_ = noise_ * 1103515245u + 12345u;
            byte = static_cast<char>(noise_ >> 16);
        }
        return pending_.push_back({now, noise});
    }
    default: // Never, Flood and Vanish answer nothing
        return;
    }
}

} // namespace tovi::test
