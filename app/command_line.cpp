#include "app/command_line.h"

#include <cctype>
#include <charconv>

#include "app/output.h"
#include "common/hex_text.h"
#include "common/text.h"

namespace tovi {
namespace {

// The part of a CLI11 message after its first ": ", or all of it.
std::string afterColon(const std::string& message) {
    const auto colon = message.find(": ");
    return colon == std::string::npos ? message : message.substr(colon + 2);
}

// The part of a CLI11 message before its first ":", or all of it.
std::string beforeColon(const std::string& message) {
    return message.substr(0, message.find(':'));
}

// CLI11 reports in English; the programs speak German.
std::string germanMessage(const CLI::ParseError& error) {
    const std::string message = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        return "unerwartetes Argument: " + afterColon(message);
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        const auto suffix = message.find(" is required");
        return message.substr(0, suffix) + " fehlt";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        return beforeColon(message) + " erwartet einen Wert";
    }
    if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
        return beforeColon(message) + " " + afterColon(message); // the validator's German text
    }
    return "ungültiger Aufruf: " + message;
}

// Usage line first, then what the program does, its arguments and options,
// and the footer.
class GermanFormatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
               make_groups(app, mode) + "\n" + make_footer(app);
    }
};

// Digits only: no sign, no blanks.
std::optional<long long> parseNumber(std::string_view text, int base) {
    long long value = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || text.front() == '-' || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::string_view hexDigitsOf(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
        return text.substr(2);
    }
    if (text.ends_with('h') || text.ends_with('H')) {
        return text.substr(0, text.size() - 1);
    }
    return text;
}

// A bound as few digits as it takes: "0", "FF", "FFF".
std::string numberText(long long value, bool hex) {
    if (!hex) {
        return std::to_string(value);
    }
    int digits = 1;
    while (digits < 8 && (static_cast<unsigned long long>(value) >> (4 * digits)) != 0) {
        ++digits;
    }
    return hexText(static_cast<unsigned>(value), digits);
}

std::string rangeText(long long lowest, long long highest, bool hex) {
    return numberText(lowest, hex) + " bis " + numberText(highest, hex);
}

} // namespace

CommandLine::CommandLine(std::string program, std::string description, std::string footer)
    : program_(std::move(program)), app_(std::move(description), program_),
      formatter_(std::make_shared<GermanFormatter>()) {
    app_.footer(std::move(footer));
    app_.option_defaults()->group("Optionen");
    app_.set_help_flag("-h,--help", "diese Hilfe zeigen");
    formatter_->label("Usage", "Aufruf");
    formatter_->label("OPTIONS", "OPTIONEN");
    formatter_->label("Positionals", "Argumente");
    formatter_->label("REQUIRED", "");
    formatter_->column_width(24);
    app_.formatter(formatter_);
}

std::optional<int> CommandLine::parse(int argc, const char* const* argv) {
    try {
        app_.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        StandardOutput out(program_);
        out.buffer() = app_.help();
        out.flush();
        return 0;
    } catch (const CLI::ParseError& error) {
        return usageError(germanMessage(error));
    }
    return std::nullopt;
}

int CommandLine::usageError(std::string_view message) const {
    reportError(program_, message);
    std::cerr << formatter_->make_usage(&app_, program_) << "Mehr mit: " << program_ << " --help\n";
    return exitUsage;
}

std::string quotedValue(std::string_view value) {
    return "'" + excerpt(value) + "'";
}

CLI::Validator oneOf(std::vector<std::string> allowed) {
    std::string list;
    for (std::size_t i = 0; i < allowed.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == allowed.size() ? " oder " : ", ") + allowed[i];
    }
    return CLI::Validator(
        [allowed, list](const std::string& value) {
            for (const auto& choice : allowed) {
                if (value == choice) {
                    return std::string();
                }
            }
            return "erwartet " + list + ", nicht " + quotedValue(value);
        },
        "", "");
}

CLI::Validator nonEmpty(std::string what) {
    return CLI::Validator(
        [what](const std::string& value) {
            return value.empty() ? "erwartet " + what : std::string();
        },
        "", "");
}

CLI::Validator decimalInRange(long long lowest, long long highest) {
    return CLI::Validator(
        [lowest, highest](const std::string& value) {
            const auto number = parseNumber(value, 10);
            if (!number || *number < lowest || *number > highest) {
                return "erwartet eine Dezimalzahl von " + rangeText(lowest, highest, false) +
                       ", nicht " + quotedValue(value);
            }
            return std::string();
        },
        "", "");
}

CLI::Validator hexInRange(long long lowest, long long highest) {
    return CLI::Validator(
        [lowest, highest](const std::string& value) {
            const auto number = parseNumber(hexDigitsOf(value), 16);
            if (!number || *number < lowest || *number > highest) {
                return "erwartet eine Hexadezimalzahl von " + rangeText(lowest, highest, true) +
                       ", nicht " + quotedValue(value);
            }
            return std::string();
        },
        "", "");
}

CLI::Validator upperCase() {
    return CLI::Validator(
        [](std::string& value) {
            for (char& c : value) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            return std::string();
        },
        "", "");
}

long long hexValue(std::string_view text) {
    return parseNumber(hexDigitsOf(text), 16).value_or(0);
}

} // namespace tovi
