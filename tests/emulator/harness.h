#pragma once
// Test doubles around the upload: a recording environment, a scripted port and
// the byte stream the emulator protocol prescribes.

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "emulator/serial_port.h"
#include "emulator/upload.h"

namespace tovi::testing {

// Collects what the upload reports. With a virtual clock every sleep advances
// the counter by exactly its length and returns at once.
struct Observer {
    std::vector<std::u16string> lines;
    std::vector<std::pair<int, int>> progress;
    int sleeps = 0;
    int pumps = 0;
    std::int64_t virtualNow = 0;
};

UploadEnvironment observingEnvironment(Observer& observer, int replyTimeoutMs, bool virtualClock);

// A port whose line delivers one scripted chunk per poll (per bytesWaiting).
class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(std::vector<std::string> chunks = {}, bool opens = true)
        : chunks_(chunks.begin(), chunks.end()), opens_(opens) {}

    bool open(std::u16string_view portName, const LineSettings&, const QueueSizes&) override;
    std::size_t bytesWaiting() override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void writeText(std::u16string_view text) override;
    void writeBytes(std::span<const std::uint8_t> bytes) override;
    void close() override { ++closeCount; }
    std::optional<std::string> devicePath(std::u16string_view) const override {
        return std::nullopt;
    }

    std::vector<std::u16string> openedNames;
    int closeCount = 0;
    std::string written;
    std::vector<std::size_t> readSizes;
    std::string queue; // received, not yet read

private:
    std::deque<std::string> chunks_;
    bool opens_;
};

// The bytes the program must send for this buffer (already padded).
std::string expectedWireStream(const std::vector<std::uint8_t>& padded, int spiBackup, int autoLoad,
                               std::string_view epromType);

// n bytes of a pattern without long runs, none of them zero.
std::vector<std::uint8_t> patternBytes(std::size_t count);

} // namespace tovi::testing
