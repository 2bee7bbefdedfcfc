#pragma once
// The serial port as the upload and the settings dialog use it: one port open
// at a time, polled without waiting, written without checking results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/com_port_names.h"

namespace tovi {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };
enum class Handshake { None, Hardware, Software };

struct LineSettings {
    std::int32_t baudRate = 115200;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    Handshake handshake = Handshake::None;
};

// Qt SerialPort sizes the input queue only; the output queue is the driver's.
struct QueueSizes {
    int input = 0;
};

// The emulator's line: 115200 baud, 8N1, no handshake.
inline constexpr LineSettings emulatorLine{};
inline constexpr QueueSizes uploadQueues{2048};
inline constexpr QueueSizes probeQueues{1024};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Holds the port exclusively until close(); false when it cannot be opened.
    virtual bool open(std::u16string_view portName, const LineSettings& line,
                      const QueueSizes& queues) = 0;
    // Bytes received and not yet read; never waits.
    virtual std::size_t bytesWaiting() = 0;
    // Reads at most buffer.size() bytes of those waiting; returns how many.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // The text as Windows-1252 bytes, without a terminator.
    virtual void writeText(std::u16string_view text) = 0;
    virtual void writeBytes(std::span<const std::uint8_t> bytes) = 0;
    virtual void close() = 0;
    // True once the open port has reported a device error (the adapter unplugged).
    virtual bool hasFailed() const = 0;
    // The device a port name stands for, shown to the user beside the name.
    virtual std::optional<std::string> devicePath(std::u16string_view portName) const = 0;
};

// The names from COM1 to COM50 that open now, in that order; each is closed
// again at once.
std::vector<std::u16string> openablePorts(SerialPort& prober);

// A real serial port through Qt SerialPort. The device map decides which
// device a "COM" name opens; the programs always use linuxDeviceForPort.
class SystemSerialPort final : public SerialPort {
public:
    explicit SystemSerialPort(PortDeviceMap deviceMap = linuxDeviceForPort);
    ~SystemSerialPort() override;
    SystemSerialPort(const SystemSerialPort&) = delete;
    SystemSerialPort& operator=(const SystemSerialPort&) = delete;

    bool open(std::u16string_view portName, const LineSettings& line,
              const QueueSizes& queues) override;
    std::size_t bytesWaiting() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void writeText(std::u16string_view text) override;
    void writeBytes(std::span<const std::uint8_t> bytes) override;
    void close() override;
    bool hasFailed() const override;
    std::optional<std::string> devicePath(std::u16string_view portName) const override;

private:
    class Device;
    PortDeviceMap deviceMap_;
    std::unique_ptr<Device> device_;
};

} // namespace tovi
