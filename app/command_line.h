#pragma once
// The command-line programs' common manner: options parsed by CLI11, help and
// errors in German, one line per error followed by the usage line, and exit
// status 2 for every usage error.

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovi {

inline constexpr int exitUsage = 2;

class CommandLine {
public:
    // `footer` closes the help text, typically with the meaning of the exit statuses.
    CommandLine(std::string program, std::string description, std::string footer);

    CLI::App& app() { return app_; }

    // Parses the arguments. Returns the exit status when the program is to end
    // at once: 0 after --help (printed to standard output), 2 after a usage
    // error (printed to standard error).
    std::optional<int> parse(int argc, const char* const* argv);

    // Reports a usage error found after parsing; returns 2.
    int usageError(std::string_view message) const;

private:
    std::string program_;
    CLI::App app_;
    std::shared_ptr<CLI::Formatter> formatter_;
};

// A value as a message quotes it: in single quotes, at most 80 characters.
std::string quotedValue(std::string_view value);

// Accepts exactly one of the listed texts.
CLI::Validator oneOf(std::vector<std::string> choices);

// Changes the text to capitals before it is checked: "ff" is taken as "FF".
CLI::Validator upperCase();

// Accepts any text but the empty one; `what` names what is expected ("einen Dateinamen").
CLI::Validator nonEmpty(std::string what);

// Accepts a decimal number from `lowest` to `highest`, digits only.
CLI::Validator decimalInRange(long long lowest, long long highest);

// Accepts a hexadecimal number from `lowest` to `highest`, with or without a
// trailing "H" or a leading "0x".
CLI::Validator hexInRange(long long lowest, long long highest);

// The value of a text that hexInRange accepted.
long long hexValue(std::string_view text);

} // namespace tovi
