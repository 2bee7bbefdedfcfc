#include "mcs48/stimulus.h"

#include <array>
#include <cctype>
#include <charconv>
#include <optional>

#include "common/text.h"

namespace tovi::mcs48 {
namespace {

// What an input takes: a pin level 0 or 1, or the eight pins of a port as one byte.
enum class ValueKind { Level, Byte };

struct InputName {
    std::string_view name;
    Input input;
    ValueKind kind;
};

// clang-format off
constexpr std::array<InputName, 6> inputNames = {{
    {"T0",  Input::T0,  ValueKind::Level},
    {"T1",  Input::T1,  ValueKind::Level},
    {"INT", Input::Int, ValueKind::Level},
    {"P1",  Input::P1,  ValueKind::Byte},
    {"P2",  Input::P2,  ValueKind::Byte},
    {"BUS", Input::Bus, ValueKind::Byte},
}};

// A byte is hexadecimal, plain or marked as the assembler marks it.
struct HexNotation {
    std::string_view prefix;
    std::string_view suffix;
};
constexpr std::array<HexNotation, 5> hexNotations = {{
    {"0x", ""}, {"0X", ""}, {"%", ""}, {"", "h"}, {"", "H"},
}};
// clang-format on

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Digits only: no sign, no blanks.
std::optional<long long> numberIn(std::string_view text, int base) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || text.front() == '-' || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A text as a message quotes it: in single quotes, at most 80 characters.
std::string quotedText(std::string_view text) {
    return "'" + excerpt(text) + "'";
}

const InputName* inputNamed(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    for (const InputName& entry : inputNames) {
        if (entry.name == upper) {
            return &entry;
        }
    }
    return nullptr;
}

std::string_view hexDigitsOf(std::string_view text) {
    for (const HexNotation& notation : hexNotations) {
        if (text.size() > notation.prefix.size() + notation.suffix.size() &&
            text.starts_with(notation.prefix) && text.ends_with(notation.suffix)) {
            return text.substr(notation.prefix.size(),
                               text.size() - notation.prefix.size() - notation.suffix.size());
        }
    }
    return text;
}

std::optional<std::uint8_t> valueFor(const InputName& input, std::string_view text) {
    if (input.kind == ValueKind::Level) {
        if (text == "0" || text == "1") {
            return static_cast<std::uint8_t>(text[0] - '0');
        }
        return std::nullopt;
    }
    const auto value = numberIn(hexDigitsOf(text), 16);
    if (!value || *value > 0xFF) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*value);
}

// When the change takes effect: a cycle count.
std::optional<std::int64_t> cycleOf(std::string_view text) {
    return numberIn(text, 10);
}

// One line without its comment; its problem when it is malformed.
std::string readEvent(std::string_view line, InputEvent& event) {
    const auto blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) {
        return "erwartet <Zyklus> <Name>=<Wert>";
    }
    const auto cycle = cycleOf(line.substr(0, blank));
    if (!cycle) {
        return "ungültige Zyklenzahl " + quotedText(line.substr(0, blank));
    }
    const std::string_view assignment = trimmed(line.substr(blank));
    const auto equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return "erwartet <Name>=<Wert> nach der Zyklenzahl";
    }
    const InputName* input = inputNamed(trimmed(assignment.substr(0, equals)));
    if (input == nullptr) {
        return "unbekannter Eingang " + quotedText(assignment.substr(0, equals));
    }
    const std::string_view valueText = trimmed(assignment.substr(equals + 1));
    const auto value = valueFor(*input, valueText);
    if (!value) {
        return "ungültiger Wert " + quotedText(valueText) + " für " + std::string(input->name);
    }
    event = {*cycle, input->input, *value};
    return {};
}

} // namespace

ParsedStimulus parseStimulus(std::string_view text) {
    ParsedStimulus parsed;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = trimmed(line.substr(0, line.find(';')));
        if (line.empty()) {
            continue;
        }
        InputEvent event;
        if (std::string problem = readEvent(line, event); !problem.empty()) {
            parsed.badLine = lineNumber;
            parsed.problem = std::move(problem);
            return parsed;
        }
        parsed.events.push_back(event);
    }
    return parsed;
}

} // namespace tovi::mcs48
