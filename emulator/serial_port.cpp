#include "emulator/serial_port.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QString>

#include "common/codepage.h"

namespace tovi {
namespace {

// A write gives up after 100 ms per byte plus 10 ms, as a stuck line would.
constexpr int writeTimeoutPerByteMs = 100;
constexpr int writeTimeoutExtraMs = 10;

QSerialPort::Parity toQt(Parity parity) {
    switch (parity) {
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    case Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(StopBits stopBits) {
    switch (stopBits) {
    case StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case StopBits::Two:
        return QSerialPort::TwoStop;
    case StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl toQt(Handshake handshake) {
    switch (handshake) {
    case Handshake::Hardware:
        return QSerialPort::HardwareControl;
    case Handshake::Software:
        return QSerialPort::SoftwareControl;
    case Handshake::None:
        break;
    }
    return QSerialPort::NoFlowControl;
}

} // namespace

// The open port. Qt SerialPort buffers in both directions; without an event
// loop the buffers only move when asked to, which bytesWaiting and the writes
// below do.
class SystemSerialPort::Device {
public:
    QSerialPort port;
    qint64 inputQueueSize = 0;

    // Moves what the line has delivered into the input queue, up to its size.
    void collectInput() {
        while (port.bytesAvailable() < inputQueueSize && port.waitForReadyRead(0)) {
        }
    }

    // Pushes the written bytes onto the line before the caller goes on.
    void drainOutput(qint64 byteCount) {
        QDeadlineTimer deadline(writeTimeoutExtraMs + writeTimeoutPerByteMs * byteCount);
        while (port.bytesToWrite() > 0 && !deadline.hasExpired()) {
            if (!port.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
                return;
            }
        }
    }

    void write(const char* bytes, qint64 count) {
        if (count == 0) {
            return;
        }
        port.write(bytes, count);
        drainOutput(count);
    }
};

std::vector<std::u16string> openablePorts(SerialPort& prober) {
    std::vector<std::u16string> names;
    for (int number = firstComPort; number <= lastComPort; ++number) {
        std::u16string name = comPortName(number);
        if (prober.open(name, emulatorLine, probeQueues)) {
            prober.close();
            names.push_back(std::move(name));
        }
    }
    return names;
}

SystemSerialPort::SystemSerialPort(PortDeviceMap deviceMap) : deviceMap_(std::move(deviceMap)) {}

// The device's port closes itself as it goes.
SystemSerialPort::~SystemSerialPort() = default;

bool SystemSerialPort::open(std::u16string_view portName, const LineSettings& line,
                            const QueueSizes& queues) {
    close();
    const auto path = devicePath(portName);
    if (!path) {
        return false;
    }
    auto device = std::make_unique<Device>();
    QSerialPort& port = device->port;
    port.setPortName(QString::fromStdString(*path));
    port.setBaudRate(line.baudRate);
    port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
    port.setParity(toQt(line.parity));
    port.setStopBits(toQt(line.stopBits));
    port.setFlowControl(toQt(line.handshake));
    port.setReadBufferSize(queues.input);
    device->inputQueueSize = queues.input;
    if (!port.open(QIODevice::ReadWrite)) {
        return false;
    }
    if (line.handshake != Handshake::Hardware) {
        // RTS is held off. Devices without modem lines (pseudo-terminals)
        // refuse this, which does not matter to the line.
        port.setRequestToSend(false);
        port.clearError();
    }
    device_ = std::move(device);
    return true;
}

std::size_t SystemSerialPort::bytesWaiting() {
    if (!device_) {
        return 0;
    }
    device_->collectInput();
    return static_cast<std::size_t>(device_->port.bytesAvailable());
}

std::size_t SystemSerialPort::read(std::span<std::uint8_t> buffer) {
    if (!device_) {
        return 0;
    }
    const qint64 count = device_->port.read(reinterpret_cast<char*>(buffer.data()),
                                            static_cast<qint64>(buffer.size()));
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void SystemSerialPort::writeText(std::u16string_view text) {
    const std::string bytes = encodeWindows1252(text);
    if (device_) {
        device_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
}

void SystemSerialPort::writeBytes(std::span<const std::uint8_t> bytes) {
    if (device_) {
        device_->write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size()));
    }
}

void SystemSerialPort::close() {
    if (!device_) {
        return;
    }
    device_->port.close();
    device_.reset();
}

bool SystemSerialPort::hasFailed() const {
    if (!device_) {
        return false;
    }
    const auto error = device_->port.error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

std::optional<std::string> SystemSerialPort::devicePath(std::u16string_view portName) const {
    return deviceMap_ ? deviceMap_(portName) : std::nullopt;
}

} // namespace tovi
