#include "harness.h"

#include <fstream>

namespace tovi::testing {

UploadEnvironment observingEnvironment(Observer& observer, int replyTimeoutMs, bool virtualClock) {
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
    environment.processEvents = [&observer](int) { ++observer.pumps; };
    environment.showProgress = [&observer](int sent, int count) {
        observer.progress.emplace_back(sent, count);
    };
    environment.replyTimeoutMs = replyTimeoutMs;
    return environment;
}

std::string expectedWireStream(std::vector<std::uint8_t> content, int spiBackup, int autoLoad,
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

std::vector<std::uint8_t> patternBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(1 + (i * 37 + i / 251) % 255);
    }
    return bytes;
}

std::u16string writeBinary(const std::filesystem::path& path,
                           const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.u16string();
}

} // namespace tovi::testing
