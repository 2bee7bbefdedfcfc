#pragma once
// F6: sends a binary file to the EPROM emulator and shows its replies.

#include <cstdint>
#include <functional>
#include <string_view>

#include "common/text.h"
#include "emulator/serial_port.h"
#include "settings/settings.h"

namespace tovi {

inline constexpr int maxUploadSize = 2048;
inline constexpr int uploadBlockSize = 128;
inline constexpr int replyTimeoutMs = 3000;
inline constexpr int replyPollIntervalMs = 100;
inline constexpr int replyBufferSize = 2048;
inline constexpr int greetingPumpMs = 1000;

// Everything the upload needs from its surroundings besides the port.
struct UploadEnvironment {
    std::function<std::int64_t()> milliseconds; // monotonic counter
    std::function<void(int ms)> sleep;
    // Lets pending window events be handled, waiting at most ms for one.
    std::function<void(int ms)> processEvents;
    StatusSink appendStatus;
    // Called with 0 before the first data block and after every block sent.
    std::function<void(int blocksSent, int blockCount)> showProgress;
    int replyTimeoutMs = tovi::replyTimeoutMs;
};

// The steady clock, a thread sleep, no event pump and no progress display.
UploadEnvironment systemEnvironment(StatusSink appendStatus);

enum class UploadOutcome {
    Completed,   // the port was opened and closed again: "… geschlossen"
    FileRefused, // too large, empty, missing or unreadable
    PortRefused, // the port could not be opened
};

// Sends the file named binaryPath through `port` as the emulator expects it.
// Every reply and every failure becomes a status line.
UploadOutcome uploadToEmulator(std::u16string_view binaryPath, const EmulatorSettings& emulator,
                               SerialPort& port, const UploadEnvironment& environment);

// Waits for one reply of at most timeoutMs, polling every 100 ms, and shows it.
// Text of several polls is joined until a CR LF has arrived; everything
// received by then, with its CR LF pairs removed, is one status line. Text
// still without CR LF when the time is up is shown as a line of its own.
void waitForReply(SerialPort& port, int timeoutMs, const UploadEnvironment& environment);

} // namespace tovi
