#include "emulator/upload.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/codepage.h"
#include "common/file_io.h"
#include "common/mcs48_memory.h"
#include "image/intel_hex.h"

namespace tovi {
namespace {

constexpr std::string_view replyLineEnd = "\r\n";

// A whole bank as Intel HEX takes under 6 KiB; a larger file is no image.
constexpr std::size_t largestHexFile = 64 * 1024;

// The image's bytes at the start of a zero-filled buffer of whole blocks, or
// the reason why there are none.
struct UploadBuffer {
    std::vector<std::uint8_t> bytes;
    std::u16string refusal;
};

// The image a file holds: Intel HEX when its content is, the raw bytes otherwise.
UploadBuffer imageOf(const std::string& content) {
    if (!looksLikeIntelHex(content)) {
        if (content.size() > static_cast<std::size_t>(mcs48::imageSize)) {
            return {{}, u"Datei zu groß"};
        }
        return {{content.begin(), content.end()}, {}};
    }
    HexImage hex = fromIntelHex(content, mcs48::highestImageAddress);
    if (hex.bytes.empty()) {
        return {{}, u"Intel HEX fehlerhaft, " + hex.problem};
    }
    return {std::move(hex.bytes), {}};
}

UploadBuffer readUploadBuffer(const std::filesystem::path& path) {
    // Read only: a write-protected file uploads like any other.
    const auto content = readFileStart(path, largestHexFile + 1);
    if (!content) {
        return {{}, u"Datei nicht gefunden"};
    }
    if (content->size() > largestHexFile) {
        return {{}, u"Datei zu groß"};
    }
    if (content->empty()) {
        return {{}, u"Datei leer"};
    }
    UploadBuffer buffer = imageOf(*content);
    const std::size_t blockCount = (buffer.bytes.size() + uploadBlockSize - 1) / uploadBlockSize;
    buffer.bytes.resize(blockCount * uploadBlockSize, 0x00);
    return buffer;
}

// The text of one poll ends at its first zero byte.
std::string_view upToFirstZero(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return text.substr(0, text.find('\0'));
}

std::string withoutLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i).starts_with(replyLineEnd)) {
            ++i;
            continue;
        }
        result.push_back(text[i]);
    }
    return result;
}

// Drives the command sequence and keeps count of the waits that got no reply.
// Once the port fails or the user cancels, every further step is skipped.
class Exchange {
public:
    Exchange(SerialPort& port, const UploadEnvironment& environment)
        : port_(port), environment_(environment) {}

    void greeting() { await(false); }

    void commandAndReply(std::u16string_view command) {
        sendLine(command);
        await(true);
    }

    void sendBlocks(std::span<const std::uint8_t> buffer) {
        const int blockCount = static_cast<int>(buffer.size() / uploadBlockSize);
        showProgress(0, blockCount);
        for (int block = 0; block < blockCount; ++block) {
            const int address = block * uploadBlockSize;
            sendLine(u":SBN");
            sendLine(u":" + decimalText(address));
            sendLine(u":" + decimalText(uploadBlockSize));
            if (!stopped()) {
                port_.writeBytes(
                    buffer.subspan(static_cast<std::size_t>(address), uploadBlockSize));
            }
            showProgress(block + 1, blockCount);
            await(true);
        }
    }

    bool stopped() const { return stop_ != WaitOutcome::Answered; }
    WaitOutcome stopReason() const { return stop_; }
    int unanswered() const { return unanswered_; }
    int commandWaits() const { return commandWaits_; }

private:
    void sendLine(std::u16string_view command) {
        if (!stopped()) {
            port_.writeText(std::u16string(command) + u"\n");
        }
    }

    void await(bool afterCommand) {
        if (stopped()) {
            return;
        }
        if (port_.hasFailed()) {
            stop_ = WaitOutcome::PortFailed;
            return;
        }
        if (environment_.cancelRequested && environment_.cancelRequested()) {
            stop_ = WaitOutcome::Cancelled;
            return;
        }
        const WaitOutcome outcome = waitForReply(port_, environment_.replyTimeoutMs, environment_);
        if (outcome == WaitOutcome::PortFailed || outcome == WaitOutcome::Cancelled) {
            stop_ = outcome;
            return;
        }
        if (afterCommand) {
            ++commandWaits_;
            unanswered_ += outcome == WaitOutcome::Silent ? 1 : 0;
        }
    }

    void showProgress(int blocksSent, int blockCount) {
        if (environment_.showProgress && !stopped()) {
            environment_.showProgress(blocksSent, blockCount);
        }
    }

    SerialPort& port_;
    const UploadEnvironment& environment_;
    WaitOutcome stop_ = WaitOutcome::Answered;
    int unanswered_ = 0;
    int commandWaits_ = 0;
};

// The emulator reads a flag as given: anything but 1 is sent as 0.
std::u16string flagText(std::int32_t flag) {
    return flag == 1 ? u"1" : u"0";
}

void runProtocol(Exchange& exchange, const EmulatorSettings& emulator,
                 std::span<const std::uint8_t> buffer) {
    exchange.greeting();
    exchange.commandAndReply(u":EMUOFF");
    exchange.commandAndReply(u":iniSPI" + flagText(emulator.spiBackup));
    exchange.commandAndReply(u":iniAuto" + flagText(emulator.autoLoad));
    exchange.sendBlocks(buffer);
    exchange.commandAndReply(u":ini" + std::u16string(effectiveEpromType(emulator)));
    exchange.commandAndReply(u":EMUON");
}

UploadOutcome finish(const Exchange& exchange, std::u16string_view portName,
                     const UploadEnvironment& environment) {
    switch (exchange.stopReason()) {
    case WaitOutcome::PortFailed:
        environment.appendStatus(u"Verbindung zum Eprom Emulator verloren");
        return UploadOutcome::ConnectionLost;
    case WaitOutcome::Cancelled:
        environment.appendStatus(u"Übertragung abgebrochen");
        return UploadOutcome::Cancelled;
    default:
        break;
    }
    environment.appendStatus(std::u16string(portName) + u" geschlossen");
    if (exchange.unanswered() == 0) {
        return UploadOutcome::Completed;
    }
    environment.appendStatus(u"Keine Antwort vom Eprom Emulator (" +
                             decimalText(exchange.unanswered()) + u" von " +
                             decimalText(exchange.commandWaits()) + u")");
    return UploadOutcome::Unanswered;
}

} // namespace

UploadEnvironment systemEnvironment(StatusSink appendStatus) {
    UploadEnvironment environment;
    environment.milliseconds = [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    };
    environment.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    environment.appendStatus = std::move(appendStatus);
    return environment;
}

UploadOutcome uploadToEmulator(const std::filesystem::path& binaryPath,
                               const EmulatorSettings& emulator, SerialPort& port,
                               const UploadEnvironment& environment) {
    const UploadBuffer buffer = readUploadBuffer(binaryPath);
    if (buffer.bytes.empty()) {
        environment.appendStatus(fromUtf8(binaryPath.native()) + u" - " + buffer.refusal);
        return UploadOutcome::FileRefused;
    }
    const std::u16string portName(effectiveComPort(emulator));
    if (!port.open(portName, emulatorLine, uploadQueues)) {
        environment.appendStatus(u"Fehler beim Öffnen der seriellen Schnittstelle - " + portName +
                                 u" nicht gefunden");
        return UploadOutcome::PortRefused;
    }
    environment.appendStatus(portName + u" geöffnet, warte auf Eprom Emulator ...");
    if (environment.processEvents) {
        environment.processEvents(greetingPumpMs);
    }
    Exchange exchange(port, environment);
    runProtocol(exchange, emulator, buffer.bytes);
    port.close();
    return finish(exchange, portName, environment);
}

WaitOutcome waitForReply(SerialPort& port, int timeoutMs, const UploadEnvironment& environment) {
    const std::int64_t deadline = environment.milliseconds() + timeoutMs;
    std::array<std::uint8_t, replyBufferSize> buffer{};
    std::string pending;
    bool received = false;
    for (;;) {
        environment.sleep(replyPollIntervalMs);
        const std::size_t wanted = std::min(port.bytesWaiting(), buffer.size());
        const std::size_t count = port.read(std::span(buffer).first(wanted));
        received = received || count > 0;
        pending += upToFirstZero(std::span(buffer).first(count));
        if (pending.find(replyLineEnd) != std::string::npos) {
            environment.appendStatus(decodeWindows1252(withoutLineEnds(pending)));
            return WaitOutcome::Answered;
        }
        if (port.hasFailed()) {
            return WaitOutcome::PortFailed;
        }
        if (environment.cancelRequested && environment.cancelRequested()) {
            return WaitOutcome::Cancelled;
        }
        if (environment.milliseconds() > deadline) {
            break;
        }
    }
    if (!pending.empty()) {
        environment.appendStatus(decodeWindows1252(pending));
    }
    return received ? WaitOutcome::Answered : WaitOutcome::Silent;
}

} // namespace tovi
