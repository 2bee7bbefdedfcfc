#include "app/output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "common/text.h"

namespace tovi {
namespace {

constexpr std::size_t flushSize = 1 << 20;

// False when the bytes could not all be written.
bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

void StandardOutput::line(std::string_view text) {
    pending_ += text;
    pending_ += '\n';
}

void StandardOutput::flushIfFull() {
    if (pending_.size() >= flushSize) {
        flush();
    }
}

void StandardOutput::flush() {
    if (!writeAll(STDOUT_FILENO, pending_)) {
        reportError(program_, "die Ausgabe konnte nicht geschrieben werden");
        std::exit(exitOutputFailed);
    }
    pending_.clear();
}

void reportError(std::string_view program, std::string_view message) {
    std::cerr << program << ": " << printableText(message) << std::endl;
}

} // namespace tovi
