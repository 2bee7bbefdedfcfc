#pragma once
// Around the upload: a recording environment, test files and the byte stream
// the emulator protocol prescribes.

#include <cstdint>
#include <filesystem>
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

// The bytes the program must send for this file content, padded to whole
// blocks with zeros.
std::string expectedWireStream(std::vector<std::uint8_t> content, int spiBackup, int autoLoad,
                               std::string_view epromType);

// n bytes of a pattern without long runs, none of them zero.
std::vector<std::uint8_t> patternBytes(std::size_t count);

// Writes `bytes` to `path` and returns the path as the upload takes it.
std::u16string writeBinary(const std::filesystem::path& path,
                           const std::vector<std::uint8_t>& bytes);

} // namespace tovi::testing
