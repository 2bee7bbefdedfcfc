#include "harness.h"

#include <algorithm>
#include <thread>

#include "common/codepage.h"

namespace tovi::testing {

UploadEnvironment observingEnvironment(Observer& observer, int replyTimeoutMs, bool virtualClock) {
    UploadEnvironment environment = systemEnvironment(
        [&observer](std::u16string_view line) { observer.lines.emplace_back(line); });
    const auto realSleep = environment.sleep;
    environment.sleep = [&observer, realSleep, virtualClock](int ms) {
        ++observer.sleeps;
        if (virtualClock) {
            observer.virtualNow += ms;
            return;
        }
        realSleep(ms);
    };
    if (virtualClock) {
        environment.milliseconds = [&observer] { return observer.virtualNow; };
    }
    environment.processEvents = [&observer](int) { ++observer.pumps; };
    environment.showProgress = [&observer](int sent, int count) {
        observer.progress.emplace_back(sent, count);
    };
    environment.replyTimeoutMs = replyTimeoutMs;
    return environment;
}

bool ScriptedPort::open(std::u16string_view portName, const LineSettings&, const QueueSizes&) {
    openedNames.emplace_back(portName);
    return opens_;
}

std::size_t ScriptedPort::bytesWaiting() {
    if (!chunks_.empty()) {
        queue += chunks_.front();
        chunks_.pop_front();
    }
    return queue.size();
}

std::size_t ScriptedPort::read(std::span<std::uint8_t> buffer) {
    const std::size_t count = std::min(buffer.size(), queue.size());
    std::copy_n(queue.begin(), count, buffer.begin());
    queue.erase(0, count);
    readSizes.push_back(count);
    return count;
}

void ScriptedPort::writeText(std::u16string_view text) {
    written += encodeWindows1252(text);
}

void ScriptedPort::writeBytes(std::span<const std::uint8_t> bytes) {
    written.append(bytes.begin(), bytes.end());
}

std::string expectedWireStream(const std::vector<std::uint8_t>& padded, int spiBackup, int autoLoad,
                               std::string_view epromType) {
    std::string stream = ":EMUOFF\n:iniSPI" + std::to_string(spiBackup) + "\n:iniAuto" +
                         std::to_string(autoLoad) + "\n";
    for (std::size_t address = 0; address < padded.size(); address += 128) {
        stream += ":SBN\n:" + std::to_string(address) + "\n:128\n";
        stream.append(padded.begin() + static_cast<std::ptrdiff_t>(address),
                      padded.begin() + static_cast<std::ptrdiff_t>(address + 128));
    }
    stream += ":ini" + std::string(epromType) + "\n:EMUON\n";
    return stream;
}

std::vector<std::uint8_t> patternBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(1 + (i * 37 + i / 251) % 255);
    }
    return bytes;
}

} // namespace tovi::testing
