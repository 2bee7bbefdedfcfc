#pragma once
// A real serial port that notes every open attempt, for the dialog's probing.

#include <string>
#include <vector>

#include "emulator/serial_port.h"

namespace tovi::testing {

struct OpenAttempt {
    std::u16string portName;
    LineSettings line;
    QueueSizes queues;
};

class RecordingPort : public SerialPort {
public:
    explicit RecordingPort(PortDeviceMap deviceMap) : port_(std::move(deviceMap)) {}

    bool open(std::u16string_view portName, const LineSettings& line,
              const QueueSizes& queues) override {
        attempts.push_back({std::u16string(portName), line, queues});
        isOpen = port_.open(portName, line, queues);
        return isOpen;
    }
    std::size_t bytesWaiting() override { return port_.bytesWaiting(); }
    std::size_t read(std::span<std::uint8_t> buffer) override { return port_.read(buffer); }
    void writeText(std::u16string_view text) override { port_.writeText(text); }
    void writeBytes(std::span<const std::uint8_t> bytes) override { port_.writeBytes(bytes); }
    void close() override {
        isOpen = false;
        port_.close();
    }
    std::optional<std::string> devicePath(std::u16string_view portName) const override {
        return port_.devicePath(portName);
    }

    std::vector<OpenAttempt> attempts;
    bool isOpen = false;

private:
    SystemSerialPort port_;
};

} // namespace tovi::testing
