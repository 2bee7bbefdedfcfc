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

namespace tovi {
namespace {

constexpr std::string_view replyLineEnd = "\r\n";

// The file's bytes at the start of a zero-filled buffer of whole blocks, or the
// reason why there are none.
struct UploadBuffer {
    std::vector<std::uint8_t> bytes;
    std::u16string_view refusal;
};

UploadBuffer readUploadBuffer(std::u16string_view binaryPath) {
    const std::filesystem::path path = toPath(binaryPath);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
        return {{}, u"Datei nicht gefunden"};
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return {{}, u"Datei nicht gefunden"};
    }
    if (size > maxUploadSize) {
        return {{}, u"Datei zu groß"};
    }
    if (size == 0) {
        return {{}, u"Datei leer"};
    }
    // Read only: a write-protected file uploads like any other.
    const auto content = readFileBytes(path);
    if (!content) {
        return {{}, u"Datei nicht gefunden"};
    }
    const std::size_t blockCount = (size + uploadBlockSize - 1) / uploadBlockSize;
    std::vector<std::uint8_t> bytes(blockCount * uploadBlockSize, 0x00);
    std::copy_n(content->begin(), std::min(content->size(), bytes.size()), bytes.begin());
    return {std::move(bytes), {}};
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

class Exchange {
public:
    Exchange(SerialPort& port, const UploadEnvironment& environment)
        : port_(port), environment_(environment) {}

    void sendLine(std::u16string_view command) { port_.writeText(std::u16string(command) + u"\n"); }

    void awaitReply() { waitForReply(port_, environment_.replyTimeoutMs, environment_); }

    void commandAndReply(std::u16string_view command) {
        sendLine(command);
        awaitReply();
    }

    void sendBlocks(std::span<const std::uint8_t> buffer) {
        const int blockCount = static_cast<int>(buffer.size() / uploadBlockSize);
        showProgress(0, blockCount);
        for (int block = 0; block < blockCount; ++block) {
            const int address = block * uploadBlockSize;
            sendLine(u":SBN");
            sendLine(u":" + decimalText(address));
            sendLine(u":" + decimalText(uploadBlockSize));
            port_.writeBytes(buffer.subspan(static_cast<std::size_t>(address), uploadBlockSize));
            showProgress(block + 1, blockCount);
            awaitReply();
        }
    }

private:
    void showProgress(int blocksSent, int blockCount) {
        if (environment_.showProgress) {
            environment_.showProgress(blocksSent, blockCount);
        }
    }

    SerialPort& port_;
    const UploadEnvironment& environment_;
};

void runProtocol(SerialPort& port, const EmulatorSettings& emulator,
                 std::span<const std::uint8_t> buffer, const UploadEnvironment& environment) {
    Exchange exchange(port, environment);
    exchange.awaitReply(); // the emulator's greeting
    exchange.commandAndReply(u":EMUOFF");
    exchange.commandAndReply(u":iniSPI" + decimalText(emulator.spiBackup));
    exchange.commandAndReply(u":iniAuto" + decimalText(emulator.autoLoad));
    exchange.sendBlocks(buffer);
    exchange.commandAndReply(u":ini" + emulator.epromType);
    exchange.commandAndReply(u":EMUON");
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

UploadOutcome uploadToEmulator(std::u16string_view binaryPath, const EmulatorSettings& emulator,
                               SerialPort& port, const UploadEnvironment& environment) {
    const UploadBuffer buffer = readUploadBuffer(binaryPath);
    if (buffer.bytes.empty()) {
        environment.appendStatus(std::u16string(binaryPath) + u" - " +
                                 std::u16string(buffer.refusal));
        return UploadOutcome::FileRefused;
    }
    if (!port.open(emulator.comPort, emulatorLine, uploadQueues)) {
        environment.appendStatus(u"Fehler beim Öffnen der seriellen Schnittstelle - " +
                                 emulator.comPort + u" nicht gefunden");
        return UploadOutcome::PortRefused;
    }
    environment.appendStatus(emulator.comPort + u" geöffnet, warte auf Eprom Emulator ...");
    if (environment.processEvents) {
        environment.processEvents(greetingPumpMs);
    }
    runProtocol(port, emulator, buffer.bytes, environment);
    port.close();
    environment.appendStatus(emulator.comPort + u" geschlossen");
    return UploadOutcome::Completed;
}

void waitForReply(SerialPort& port, int timeoutMs, const UploadEnvironment& environment) {
    const std::int64_t deadline = environment.milliseconds() + timeoutMs;
    std::array<std::uint8_t, replyBufferSize> buffer{};
    std::string pending;
    for (;;) {
        environment.sleep(replyPollIntervalMs);
        const std::size_t wanted = std::min(port.bytesWaiting(), buffer.size());
        const std::size_t count = port.read(std::span(buffer).first(wanted));
        pending += upToFirstZero(std::span(buffer).first(count));
        if (pending.find(replyLineEnd) != std::string::npos) {
            environment.appendStatus(decodeWindows1252(withoutLineEnds(pending)));
            return;
        }
        if (environment.milliseconds() > deadline) {
            break;
        }
    }
    if (!pending.empty()) {
        environment.appendStatus(decodeWindows1252(pending));
    }
}

} // namespace tovi
