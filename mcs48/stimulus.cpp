#include "mcs48/stimulus.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

#include "common/text.h"
#include "mcs48/board_layout.h"

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
    return "'" + excerpt(printableText(text)) + "'";
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

// When the change takes effect: a cycle count, or with a board also a time.
std::optional<std::int64_t> cycleOf(std::string_view text, const StimulusContext* context) {
    if (context != nullptr) {
        return board::cyclesOfTime(text, context->cyclesPerSecond);
    }
    const auto cycles = numberIn(text, 10);
    return cycles ? std::optional<std::int64_t>(*cycles) : std::nullopt;
}

std::optional<bool> levelIn(std::string_view text) {
    if (text == "0" || text == "1") {
        return text == "1";
    }
    return std::nullopt;
}

// "'5'": the one character in single quotes.
std::optional<char32_t> labelIn(std::string_view text) {
    if (text.size() < 3 || !text.starts_with('\'') || !text.ends_with('\'')) {
        return std::nullopt;
    }
    const std::u16string label = fromUtf8(text.substr(1, text.size() - 2));
    if (label.size() != 1) {
        return std::nullopt;
    }
    return label[0];
}

// "2.1" after a keypad's name: its key at row 2, column 1, or -1.
int keyPlaced(const StimulusContext& context, int part, std::string_view place) {
    const auto dot = place.find('.');
    const auto row = numberIn(place.substr(0, dot), 10);
    const auto column =
        dot == std::string_view::npos ? std::nullopt : numberIn(place.substr(dot + 1), 10);
    if (!row || !column || *row > 255 || *column > 255 || !context.keyAt) {
        return -1;
    }
    return context.keyAt(part, static_cast<int>(*row), static_cast<int>(*column));
}

// "K='5'": the key labelled 5 held for one scan.
std::string readLabelPress(const StimulusContext& context, int part, std::string_view name,
                           std::string_view valueText, std::int64_t cycle,
                           std::vector<StimulusEvent>& events) {
    const auto label = labelIn(valueText);
    if (!label) {
        return "ungültiger Wert " + quotedText(valueText) + " für " + std::string(name);
    }
    const int key = context.keyLabelled ? context.keyLabelled(part, *label) : -1;
    if (key < 0) {
        return std::string(name) + " hat keine Taste " + excerpt(printableText(valueText));
    }
    const auto held =
        std::max<std::int64_t>(1, std::llround(board::scanSeconds * context.cyclesPerSecond));
    events.push_back({cycle, PartPress{part, key, true}});
    events.push_back({cycle + held, PartPress{part, key, false}});
    return {};
}

// "S1=1", "K.2.1=0" or "K='5'" at `cycle`.
std::string readPress(const StimulusContext& context, std::string_view name,
                      std::string_view valueText, std::int64_t cycle,
                      std::vector<StimulusEvent>& events) {
    const auto dot = name.find('.');
    const int part = context.partNamed ? context.partNamed(name.substr(0, dot)) : -1;
    if (part < 0) {
        return "unbekannter Eingang " + quotedText(name);
    }
    const bool keypad = context.keyAt && context.keyAt(part, 0, 0) >= 0;
    if (keypad && dot == std::string_view::npos) {
        return readLabelPress(context, part, name, valueText, cycle, events);
    }
    const int key =
        dot == std::string_view::npos ? 0 : keyPlaced(context, part, name.substr(dot + 1));
    if (key < 0) {
        return "unbekannte Taste " + quotedText(name);
    }
    const auto pressed = levelIn(valueText);
    if (!pressed) {
        return "ungültiger Wert " + quotedText(valueText) + " für " + std::string(name);
    }
    events.push_back({cycle, PartPress{part, key, *pressed}});
    return {};
}

// One line without its comment: its events, or its problem when it is malformed.
// Without a board's context only inputs and cycle counts are known.
std::string readEvent(std::string_view line, const StimulusContext* context,
                      std::vector<StimulusEvent>& events) {
    const auto blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) {
        return "erwartet <Zyklus> <Name>=<Wert>";
    }
    const auto cycle = cycleOf(line.substr(0, blank), context);
    if (!cycle) {
        return "ungültige Zyklenzahl " + quotedText(line.substr(0, blank));
    }
    const std::string_view assignment = trimmed(line.substr(blank));
    const auto equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return "erwartet <Name>=<Wert> nach der Zyklenzahl";
    }
    const std::string_view name = trimmed(assignment.substr(0, equals));
    const std::string_view valueText = trimmed(assignment.substr(equals + 1));
    const InputName* input = inputNamed(name);
    if (input == nullptr) {
        if (context != nullptr) {
            return readPress(*context, name, valueText, *cycle, events);
        }
        return "unbekannter Eingang " + quotedText(assignment.substr(0, equals));
    }
    const auto value = valueFor(*input, valueText);
    if (!value) {
        return "ungültiger Wert " + quotedText(valueText) + " für " + std::string(input->name);
    }
    events.push_back({*cycle, InputEvent{*cycle, input->input, *value}});
    return {};
}

ParsedBoardStimulus readStimulus(std::string_view text, const StimulusContext* context) {
    ParsedBoardStimulus parsed;
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
        if (std::string problem = readEvent(line, context, parsed.events); !problem.empty()) {
            parsed.badLine = lineNumber;
            parsed.problem = std::move(problem);
            return parsed;
        }
    }
    return parsed;
}

} // namespace

ParsedStimulus parseStimulus(std::string_view text) {
    ParsedBoardStimulus read = readStimulus(text, nullptr);
    ParsedStimulus parsed{{}, read.badLine, std::move(read.problem)};
    for (const StimulusEvent& event : read.events) {
        parsed.events.push_back(std::get<InputEvent>(event.change));
    }
    return parsed;
}

ParsedBoardStimulus parseStimulus(std::string_view text, const StimulusContext& context) {
    return readStimulus(text, &context);
}

} // namespace tovi::mcs48
