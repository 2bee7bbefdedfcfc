#pragma once
// Standard output and error of the command-line programs. Output is collected
// and written in large pieces; a write that fails, a closed pipe included
// (also when SIGPIPE is ignored), ends the program at once with one line on
// standard error and exit status 2, so that no caller takes a cut output for
// a whole one.

#include <string>
#include <string_view>

namespace tovi {

inline constexpr int exitOutputFailed = 2;

class StandardOutput {
public:
    explicit StandardOutput(std::string_view program) : program_(program) {}

    // Text appended here is written by the next flush.
    std::string& buffer() { return pending_; }
    void line(std::string_view text);
    void flushIfFull();
    void flush();

private:
    std::string program_;
    std::string pending_;
};

// "program: message" and a line end on standard error; control characters
// in the message (from file names, files or arguments) shown as "?".
void reportError(std::string_view program, std::string_view message);

} // namespace tovi
