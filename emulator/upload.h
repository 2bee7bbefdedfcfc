#pragma once
// F6: sends a binary file to the EPROM emulator and shows its replies.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "common/text.h"
#include "emulator/serial_port.h"
#include "settings/settings.h"

namespace tovi {

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
    // Asked after every poll: true ends the upload at once.
    std::function<bool()> cancelRequested;
    int replyTimeoutMs = tovi::replyTimeoutMs;
};

// The steady clock, a thread sleep, no event pump and no progress display.
UploadEnvironment systemEnvironment(StatusSink appendStatus);

enum class UploadOutcome {
    Completed,      // every command was answered: "… geschlossen"
    Unanswered,     // the sequence ran to its end, but some commands got no reply
    FileRefused,    // too large, empty, missing or unreadable
    PortRefused,    // the port could not be opened
    ConnectionLost, // the port reported a device error; the sequence stopped there
    Cancelled,      // the user cancelled; the sequence stopped there
};

// Sends the file named binaryPath through `port` as the emulator expects it:
// an Intel HEX file (see looksLikeIntelHex) as the image its records give,
// any other file of up to 2048 bytes as it is. Every reply and every failure
// becomes a status line. An empty port name or EPROM type stands for the
// defaults; flags other than 1 are sent as 0.
UploadOutcome uploadToEmulator(const std::filesystem::path& binaryPath,
                               const EmulatorSettings& emulator, SerialPort& port,
                               const UploadEnvironment& environment);

enum class WaitOutcome { Answered, Silent, PortFailed, Cancelled };

// Waits for one reply of at most timeoutMs, polling every 100 ms, and shows it.
// Text of several polls is joined until a CR LF has arrived; everything
// received by then, with its CR LF pairs removed, is one status line. Text
// still without CR LF when the time is up is shown as a line of its own.
// Silent: nothing at all arrived. A port failure or a cancellation ends the
// wait at the poll that finds it.
WaitOutcome waitForReply(SerialPort& port, int timeoutMs, const UploadEnvironment& environment);

} // namespace tovi
