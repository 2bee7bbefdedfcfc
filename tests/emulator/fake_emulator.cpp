#include "fake_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

namespace tovi::testing {

PseudoTerminal::PseudoTerminal() {
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
}

PseudoTerminal::~PseudoTerminal() {
    closeMaster();
    ::close(terminalFd_);
}

void PseudoTerminal::closeMaster() {
    if (masterFd_ >= 0) {
        ::close(masterFd_);
        masterFd_ = -1;
    }
}

FakeEmulator::FakeEmulator(Behaviour behaviour)
    : behaviour_(behaviour), thread_([this] { run(); }) {}

FakeEmulator::~FakeEmulator() {
    stop_ = true;
    thread_.join();
}

void FakeEmulator::greet() {
    const std::lock_guard lock(mutex_);
    answer("bereit");
}

std::string FakeEmulator::received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

PortDeviceMap FakeEmulator::deviceMap(std::u16string portName) const {
    return [portName, path = devicePath()](std::u16string_view name) -> std::optional<std::string> {
        if (name != portName) {
            return std::nullopt;
        }
        return path;
    };
}

void FakeEmulator::run() {
    while (!stop_) {
        std::unique_lock lock(mutex_);
        if (vanished_) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        receive();
        sendDue();
        if (behaviour_.answer == Answer::Flood) {
            flood();
        }
    }
}

void FakeEmulator::receive() {
    pollfd watch{terminal_.masterFd(), POLLIN, 0};
    if (poll(&watch, 1, 5) <= 0 || (watch.revents & POLLIN) == 0) {
        return;
    }
    std::array<char, 4096> bytes{};
    const ssize_t count = ::read(terminal_.masterFd(), bytes.data(), bytes.size());
    for (ssize_t i = 0; i < count && !vanished_; ++i) {
        received_.push_back(bytes[static_cast<std::size_t>(i)]);
        parse(bytes[static_cast<std::size_t>(i)]);
    }
}

// Follows the program's stream: command lines end in LF; ":SBN" opens a block
// of an address line, a size line and that many raw bytes.
void FakeEmulator::parse(char byte) {
    if (blockStage_ == 3) {
        if (--dataLeft_ == 0) {
            blockStage_ = 0;
            answer("SBN " + blockAddress_);
            if (behaviour_.answer == Answer::Vanish) {
                terminal_.closeMaster();
                vanished_ = true;
            }
        }
        return;
    }
    if (byte != '\n') {
        line_.push_back(byte);
        return;
    }
    const std::string command = line_.starts_with(':') ? line_.substr(1) : line_;
    line_.clear();
    switch (blockStage_) {
    case 1:
        blockAddress_ = command;
        blockStage_ = 2;
        return;
    case 2:
        dataLeft_ = std::stoi(command);
        blockStage_ = dataLeft_ > 0 ? 3 : 0;
        return;
    default:
        break;
    }
    if (command == "SBN") {
        blockStage_ = 1;
        return;
    }
    answer(command);
}

void FakeEmulator::answer(const std::string& unit) {
    const auto now = Clock::now();
    const std::string line = answerFor(unit) + "\r\n";
    switch (behaviour_.answer) {
    case Answer::AtOnce:
        pending_.push_back({now, line});
        return;
    case Answer::Late:
        pending_.push_back({now + behaviour_.delay, line});
        return;
    case Answer::Split:
        pending_.push_back({now, line.substr(0, 3)});
        pending_.push_back({now + behaviour_.delay, line.substr(3)});
        return;
    case Answer::SeveralLines:
        pending_.push_back({now, "eins\r\n" + line});
        return;
    case Answer::Garbage: {
        std::string noise;
        for (int i = 0; i < 64; ++i) {
            noise_ = noise_ * 1103515245u + 12345u;
            noise.push_back(static_cast<char>(noise_ >> 16));
        }
        pending_.push_back({now, noise});
        return;
    }
    case Answer::Never:
    case Answer::Flood:
    case Answer::Vanish:
        return;
    }
}

void FakeEmulator::sendDue() {
    const auto now = Clock::now();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        [[maybe_unused]] const auto written =
            ::write(terminal_.masterFd(), it->bytes.data(), it->bytes.size());
        it = pending_.erase(it);
    }
}

// Writes as much as the line takes; a full line drops the rest of the chunk.
void FakeEmulator::flood() {
    static constexpr std::string_view chunk = "Flut Flut Flut Flut Flut Flut\r\n";
    for (int i = 0; i < 64; ++i) {
        if (::write(terminal_.masterFd(), chunk.data(), chunk.size()) <= 0) {
            return;
        }
    }
}

} // namespace tovi::testing
