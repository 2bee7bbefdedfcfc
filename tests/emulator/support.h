#pragma once
// Around the upload: a scripted port, an environment that records what the upload reports on a
// virtual clock, test files and the byte stream the emulator protocol prescribes.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "emulator/serial_port.h"
#include "emulator/upload.h"

namespace tovi::test {

// A port whose line delivers one scripted chunk per poll (per bytesWaiting);
// from poll `failingFrom` on it reports a device error.
class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(std::vector<std::string> chunks = {}, int failingFrom = -1)
        : chunks_(chunks.begin(), chunks.end()), failingFrom_(failingFrom) {}

    bool open(std::u16string_view name, const LineSettings&, const QueueSizes&) override {
        openedNames.emplace_back(name);
        return true;
    }
    std::size_t bytesWaiting() override {
        ++polls;
        if (!chunks_.empty()) {
            queue_ += chunks_.front();
            chunks_.pop_front();
        }
        return queue_.size();
    }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t count = std::min(buffer.size(), queue_.size());
        std::copy_n(queue_.begin(), count, buffer.begin());
        queue_.erase(0, count);
        readSizes.push_back(count);
        return count;
    }
    void writeText(std::u16string_view text) override { written += encodeWindows1252(text); }
    void writeBytes(std::span<const std::uint8_t> bytes) override {
        written.append(bytes.begin(), bytes.end());
    }
    void close() override { ++closeCount; }
    bool hasFailed() const override { return failingFrom_ >= 0 && polls >= failingFrom_; }
    std::optional<std::string> devicePath(std::u16string_view) const override { return {}; }

    std::vector<std::u16string> openedNames;
    int closeCount = 0;
    int polls = 0;
    std::string written;
    std::vector<std::size_t> readSizes;

private:
    std::deque<std::string> chunks_;
    std::string queue_; // received, not yet read
    int failingFrom_;
};

// What the upload reported. On the virtual clock every sleep advances the
// counter by its length and returns at once.
struct Observer {
    std::vector<std::u16string> lines;
    std::vector<std::pair<int, int>> progress;
    int sleeps = 0;
    std::int64_t virtualNow = 0;
};

inline UploadEnvironment observingEnvironment(Observer& observer, int replyTimeoutMs,
                                              bool virtualClock) {
    UploadEnvironment environment = systemEnvironment(
        [&observer](std::u16string_view line) { observer.lines.emplace_back(line); });
    environment.sleep = [&observer, realSleep = environment.sleep, virtualClock](int ms) {
        ++observer.sleeps;
        if (virtualClock) {
            observer.virtualNow += ms;
        } else {
            realSleep(ms);
        }
    };
    if (virtualClock) {
        environment.milliseconds = [&observer] { return observer.virtualNow; };
    }
    environment.processEvents = [](int) {};
    environment.showProgress = [&observer](int sent, int count) {
        observer.progress.emplace_back(sent, count);
    };
    environment.replyTimeoutMs = replyTimeoutMs;
    return environment;
}

// The bytes the program must send for this file content, padded to whole blocks with zeros.
inline std::string wireStream(std::vector<std::uint8_t> content, int spiBackup, int autoLoad,
                              std::string_view epromType) {
    content.resize((content.size() + 127) / 128 * 128, 0x00);
    std::string stream = ":EMUOFF\n:iniSPI" + std::to_string(spiBackup) + "\n:iniAuto" +
                         std::to_string(autoLoad) + "\n";
    for (std::size_t address = 0; address < content.size(); address += 128) {
        stream += ":SBN\n:" + std::to_string(address) + "\n:128\n";
        stream.append(content.begin() + static_cast<std::ptrdiff_t>(address),
                      content.begin() + static_cast<std::ptrdiff_t>(address + 128));
    }
    return stream + ":ini" + std::string(epromType) + "\n:EMUON\n";
}

// n bytes of a pattern without long runs, none of them zero.
inline std::vector<std::uint8_t> patternBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(1 + (i * 37 + i / 251) % 255);
    }
    return bytes;
}

// Writes `bytes` to `path` and returns the path as the upload takes it.
inline std::u16string writeBinary(const std::filesystem::path& path,
                                  const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.u16string();
}

} // namespace tovi::test
