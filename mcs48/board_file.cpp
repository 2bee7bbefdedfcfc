// Reads a board file into the layout the board simulates. The first bad
// statement ends the reading with one German line naming file and line.

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <span>

#include "common/text.h"
#include "mcs48/board_layout.h"

namespace tovi::mcs48::board {
namespace {

// A statement that cannot be taken: what is wrong with it.
struct Refusal {
    std::string problem;
};

std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

// A word of the file as a message quotes it: at most 80 characters, control
// characters as "?".
std::string quoted(std::string_view text) {
    return "'" + excerpt(printableText(text)) + "'";
}

struct NamedPort {
    std::string_view name;
    Port port;
    int bits;
    bool hasPins; // P1, P2 and BUS are read; the expander ports only written
};

// clang-format off
constexpr std::array<NamedPort, 7> namedPorts = {{
    {"P1",  Port::P1,  8, true},
    {"P2",  Port::P2,  8, true},
    {"BUS", Port::Bus, 8, true},
    {"P4",  Port::P4,  4, false},
    {"P5",  Port::P5,  4, false},
    {"P6",  Port::P6,  4, false},
    {"P7",  Port::P7,  4, false},
}};

struct NamedInput {
    std::string_view name;
    int pin;
};
constexpr std::array<NamedInput, 3> namedInputs = {{
    {"T0", t0Pin}, {"T1", t1Pin}, {"INT", intPin},
}};
// clang-format on

const NamedPort* portNamed(std::string_view name) {
    for (const NamedPort& port : namedPorts) {
        if (sameName(port.name, name)) {
            return &port;
        }
    }
    return nullptr;
}

const NamedInput* inputNamed(std::string_view name) {
    for (const NamedInput& input : namedInputs) {
        if (sameName(input.name, name)) {
            return &input;
        }
    }
    return nullptr;
}

std::optional<int> digitIn(std::string_view text) {
    if (text.size() != 1 || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        return std::nullopt;
    }
    return text[0] - '0';
}

// "T0", "P1.3" or a range "P2.0-3" (also "P2.3-0"): an input of its own, or
// bits of a port.
struct PinReference {
    const NamedInput* input = nullptr;
    const NamedPort* port = nullptr;
    std::vector<int> bits;
};

PinReference referenceTo(std::string_view text) {
    const auto refuse = [&]() -> PinReference { throw Refusal{"unbekannter Pin " + quoted(text)}; };
    if (const NamedInput* input = inputNamed(text)) {
        return {input, nullptr, {}};
    }
    const auto dot = text.find('.');
    const NamedPort* port = portNamed(text.substr(0, dot));
    if (dot == std::string_view::npos || port == nullptr) {
        return refuse();
    }
    const std::string_view range = text.substr(dot + 1);
    const auto dash = range.find('-');
    const auto first = digitIn(range.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : digitIn(range.substr(dash + 1));
    if (!first || !last || *first >= port->bits || *last >= port->bits) {
        return refuse();
    }
    PinReference reference{nullptr, port, {}};
    const int step = *last >= *first ? 1 : -1;
    for (int bit = *first; bit != *last + step; bit += step) {
        reference.bits.push_back(bit);
    }
    return reference;
}

// Inputs: T0, T1, INT and the pins of P1, P2 and BUS.
std::vector<int> inputsAt(std::string_view text) {
    const PinReference reference = referenceTo(text);
    if (reference.input != nullptr) {
        return {reference.input->pin};
    }
    if (!reference.port->hasPins) {
        throw Refusal{quoted(text) + " ist kein Eingang"};
    }
    std::vector<int> pins;
    for (const int bit : reference.bits) {
        pins.push_back(firstBitOf(reference.port->port) + bit);
    }
    return pins;
}

// Latch bits: the bits of every port the program writes.
std::vector<int> latchBitsAt(std::string_view text) {
    const PinReference reference = referenceTo(text);
    if (reference.input != nullptr) {
        throw Refusal{quoted(text) + " ist kein Latch-Bit"};
    }
    std::vector<int> bits;
    for (const int bit : reference.bits) {
        bits.push_back(firstBitOf(reference.port->port) + bit);
    }
    return bits;
}

int single(const std::vector<int>& bits, std::string_view text) {
    if (bits.size() != 1) {
        throw Refusal{quoted(text) + " ist ein Bereich, erwartet ist ein einzelner Pin"};
    }
    return bits.front();
}

// P1, P2 or BUS as a whole.
Port wholePortAt(std::string_view text) {
    const NamedPort* port = portNamed(text);
    if (port == nullptr || !port->hasPins) {
        throw Refusal{quoted(text) + " ist kein Port (P1, P2 oder BUS)"};
    }
    return port->port;
}

// Digits with an optional "." and decimals; no sign, no exponent.
std::optional<double> decimalIn(std::string_view text) {
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view part = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    const bool digitsOnly = std::all_of(whole.begin(), whole.end(), digit) &&
                            std::all_of(part.begin(), part.end(), digit);
    if (!digitsOnly || (whole.empty() && part.empty()) ||
        (dot != std::string_view::npos && part.empty())) {
        return std::nullopt;
    }
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct Unit {
    std::string_view suffix; // upper case
    double factor;
};

// A number with one of the units, longer suffixes first.
std::optional<double> measured(std::string_view text, std::span<const Unit> units) {
    const std::string upper = upperCase(text);
    for (const Unit& unit : units) {
        if (upper.size() > unit.suffix.size() && upper.ends_with(unit.suffix)) {
            const auto number = decimalIn(text.substr(0, text.size() - unit.suffix.size()));
            return number ? std::optional(*number * unit.factor) : std::nullopt;
        }
    }
    return std::nullopt;
}

constexpr std::array<Unit, 3> timeUnits = {{{"US", 1e-6}, {"MS", 1e-3}, {"S", 1}}};
constexpr std::array<Unit, 3> frequencyUnits = {{{"KHZ", 1e3}, {"MHZ", 1e6}, {"HZ", 1}}};
// Beyond this many cycles (over 700 years at 6 MHz) a time is surely a typo.
constexpr double longestTime = 1e16;

// A time of at least one machine cycle.
std::int64_t durationAt(std::string_view text, double cyclesPerSecond) {
    const auto cycles = cyclesOfTime(text, cyclesPerSecond);
    if (!cycles) {
        throw Refusal{"ungültige Zeit " + quoted(text)};
    }
    if (*cycles < 1) {
        throw Refusal{"Zeit " + quoted(text) + " ist kürzer als ein Maschinenzyklus"};
    }
    return *cycles;
}

// The words of a statement: blanks separate them, "=" stands alone, a text in
// double quotes is one word (without its quotes), ";" outside one ends the line.
struct Word {
    std::string_view text;
    bool quoted = false;
};

std::vector<Word> wordsOf(std::string_view line) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < line.size() && line[i] != ';') {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '"') {
            const auto close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                throw Refusal{"Anführungszeichen ohne Ende: " + quoted(line.substr(i))};
            }
            words.push_back({line.substr(i + 1, close - i - 1), true});
            i = close + 1;
        } else if (c == '=') {
            words.push_back({line.substr(i++, 1)});
        } else {
            const auto end = std::min(line.find_first_of(" \t\r=\";", i), line.size());
            words.push_back({line.substr(i, end - i)});
            i = end;
        }
    }
    return words;
}

// The arguments of a statement, taken from the front.
class Arguments {
public:
    Arguments(std::span<const Word> words, std::string_view usage) : words_(words), usage_(usage) {}

    std::string_view take() {
        if (next_ == words_.size()) {
            throw Refusal{"zu wenige Angaben, erwartet: " + std::string(usage_)};
        }
        return words_[next_++].text;
    }
    const Word* peek() const { return next_ < words_.size() ? &words_[next_] : nullptr; }
    bool takeKeyword(std::string_view keyword) {
        const Word* word = peek();
        if (word == nullptr || word->quoted || !sameName(word->text, keyword)) {
            return false;
        }
        ++next_;
        return true;
    }
    void finish() const {
        if (const Word* word = peek()) {
            throw Refusal{"überzählige Angabe " + quoted(word->text)};
        }
    }

private:
    std::span<const Word> words_;
    std::string_view usage_;
    std::size_t next_ = 0;
};

void readLed(Arguments& arguments, PartLayout& part) {
    const std::string_view pin = arguments.take();
    part.latchBit = single(latchBitsAt(pin), pin);
    part.activeHigh = arguments.takeKeyword("hoch");
}

void readButton(Arguments& arguments, PartLayout& part) {
    const std::string_view pin = arguments.take();
    part.pin = single(inputsAt(pin), pin);
}

void readKeypad(Arguments& arguments, PartLayout& part) {
    part.rows = latchBitsAt(arguments.take());
    part.columns = inputsAt(arguments.take());
    const Word* labels = arguments.peek();
    if (labels == nullptr || !labels->quoted) {
        return;
    }
    arguments.take();
    part.labels = fromUtf8(labels->text);
    const std::size_t keys = part.rows.size() * part.columns.size();
    if (part.labels.size() != keys) {
        throw Refusal{"die Beschriftung " + quoted(labels->text) + " hat " +
                      std::to_string(part.labels.size()) + " Zeichen für " + std::to_string(keys) +
                      " Tasten"};
    }
}

void readDigit(Arguments& arguments, PartLayout& part) {
    part.port = wholePortAt(arguments.take());
    part.activeHigh = arguments.takeKeyword("kathode");
    if (arguments.takeKeyword("wahl")) {
        const std::string_view pin = arguments.take();
        part.latchBit = single(latchBitsAt(pin), pin);
    }
}

void readLcd(Arguments& arguments, PartLayout& part) {
    part.port = wholePortAt(arguments.take());
    const auto latchBit = [&] {
        const std::string_view pin = arguments.take();
        return single(latchBitsAt(pin), pin);
    };
    part.registerSelect = latchBit();
    part.enable = latchBit();
    if (arguments.takeKeyword("rw")) {
        part.readWrite = latchBit();
    }
}

struct PartForm {
    std::string_view keyword;
    PartKind kind;
    std::string_view usage;
    void (*read)(Arguments&, PartLayout&);
};

// clang-format off
constexpr std::array<PartForm, 6> partForms = {{
    {"led",        PartKind::Led,    "led NAME PIN [hoch]",                               readLed},
    {"taste",      PartKind::Button, "taste NAME PIN",                                    readButton},
    {"schalter",   PartKind::Switch, "schalter NAME PIN",                                 readButton},
    {"tastenfeld", PartKind::Keypad, "tastenfeld NAME ZEILEN SPALTEN [\"BESCHRIFTUNG\"]", readKeypad},
    {"anzeige",    PartKind::Digit,  "anzeige NAME PORT [kathode] [wahl PIN]",            readDigit},
    {"lcd",        PartKind::Lcd,    "lcd NAME DATEN RS E [rw PIN]",                      readLcd},
}};
// clang-format on

// The file read so far, with the line each part's name was given in.
class Reader {
public:
    explicit Reader(double cyclesPerSecond) : cyclesPerSecond_(cyclesPerSecond) {}

    void readStatement(std::span<const Word> words, int lineNumber) {
        if (words.size() >= 2 && words[1].text == "=" && !words[1].quoted) {
            readWires(words.front().text, words.subspan(2));
            return;
        }
        for (const PartForm& form : partForms) {
            if (!words.front().quoted && sameName(words.front().text, form.keyword)) {
                readPart(form, words.subspan(1), lineNumber);
                return;
            }
        }
        throw Refusal{"unbekanntes Schlüsselwort " + quoted(words.front().text)};
    }

    Layout& layout() { return layout_; }

private:
    void readPart(const PartForm& form, std::span<const Word> words, int lineNumber) {
        Arguments arguments(words, form.usage);
        PartLayout part;
        part.kind = form.kind;
        part.name = nameAt(arguments.take(), lineNumber);
        form.read(arguments, part);
        arguments.finish();
        layout_.parts.push_back(std::move(part));
    }

    // Letters, digits and "_", starting with a letter; no input's or port's name.
    std::string nameAt(std::string_view name, int lineNumber) {
        const auto fits = [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        };
        if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0])) ||
            !std::all_of(name.begin(), name.end(), fits)) {
            throw Refusal{"ungültiger Name " + quoted(name)};
        }
        if (inputNamed(name) != nullptr || portNamed(name) != nullptr) {
            throw Refusal{"der Name " + quoted(name) + " ist schon ein Eingang oder Port"};
        }
        for (std::size_t i = 0; i < layout_.parts.size(); ++i) {
            if (sameName(layout_.parts[i].name, name)) {
                throw Refusal{"der Name " + quoted(name) + " ist schon in Zeile " +
                              std::to_string(nameLines_[i]) + " vergeben"};
            }
        }
        nameLines_.push_back(lineNumber);
        return std::string(name);
    }

    // "PINS = SOURCE": one wire per pin.
    void readWires(std::string_view target, std::span<const Word> words) {
        const std::vector<int> pins = inputsAt(target);
        Arguments arguments(words, "PIN = QUELLE");
        const std::string_view source = arguments.take();
        std::vector<Wire> wires;
        if (sameName(source, "takt")) {
            wires.assign(pins.size(), squareWave(arguments.take()));
        } else if (sameName(source, "puls")) {
            const std::string_view period = arguments.take();
            wires.assign(pins.size(), pulseTrain(period, arguments.take()));
        } else if (source == "0" || source == "1") {
            wires.assign(pins.size(), Wire{0, Wire::Kind::Level, source == "1"});
        } else {
            wires = latchWires(source, pins.size());
        }
        arguments.finish();
        for (std::size_t i = 0; i < pins.size(); ++i) {
            wires[i].pin = pins[i];
            layout_.wires.push_back(wires[i]);
        }
    }

    std::vector<Wire> latchWires(std::string_view source, std::size_t pinCount) {
        const bool inverted = source.starts_with('!');
        const std::vector<int> bits = latchBitsAt(source.substr(inverted ? 1 : 0));
        if (bits.size() != pinCount) {
            throw Refusal{"Bereiche verschiedener Länge: " + std::to_string(pinCount) +
                          " Pins an " + std::to_string(bits.size()) + " Bits " + quoted(source)};
        }
        std::vector<Wire> wires;
        for (const int bit : bits) {
            wires.push_back({0, Wire::Kind::Latch, true, bit, inverted});
        }
        return wires;
    }

    Wire squareWave(std::string_view text) const {
        const auto hertz = hertzOf(text);
        if (!hertz || *hertz <= 0) {
            throw Refusal{"ungültige Frequenz " + quoted(text)};
        }
        Wire wave{0, Wire::Kind::Square};
        wave.halfPeriod = cyclesPerSecond_ / (2 * *hertz);
        if (wave.halfPeriod < 1) {
            throw Refusal{"die Frequenz " + quoted(text) +
                          " ist zu hoch: eine halbe Periode muss mindestens einen "
                          "Maschinenzyklus dauern"};
        }
        return wave;
    }

    Wire pulseTrain(std::string_view periodText, std::string_view lowText) const {
        Wire pulse{0, Wire::Kind::Pulse};
        pulse.period = durationAt(periodText, cyclesPerSecond_);
        pulse.low = durationAt(lowText, cyclesPerSecond_);
        if (pulse.low >= pulse.period) {
            throw Refusal{"die Tiefzeit " + quoted(lowText) + " ist nicht kürzer als die Periode " +
                          quoted(periodText)};
        }
        return pulse;
    }

    double cyclesPerSecond_;
    Layout layout_;
    std::vector<int> nameLines_; // one per part
};

} // namespace

bool sameName(std::string_view a, std::string_view b) {
    return upperCase(a) == upperCase(b);
}

std::optional<std::int64_t> cyclesOfTime(std::string_view text, double cyclesPerSecond) {
    const bool plainDigits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    std::optional<double> cycles;
    if (plainDigits) {
        cycles = decimalIn(text);
    } else if (const auto seconds = measured(text, timeUnits)) {
        cycles = *seconds * cyclesPerSecond;
    }
    if (!cycles || *cycles > longestTime) {
        return std::nullopt;
    }
    return std::llround(*cycles);
}

std::optional<double> hertzOf(std::string_view text) {
    const auto hertz = measured(text, frequencyUnits);
    return hertz && std::isfinite(*hertz) ? hertz : std::nullopt;
}

std::variant<Layout, std::string> readBoardFile(std::string_view text, std::string_view fileName,
                                                double cyclesPerSecond) {
    Reader reader(cyclesPerSecond);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        try {
            const std::vector<Word> words = wordsOf(line);
            if (!words.empty()) {
                reader.readStatement(words, lineNumber);
            }
        } catch (const Refusal& refusal) {
            return printableText(fileName) + ", Zeile " + std::to_string(lineNumber) + ": " +
                   refusal.problem;
        }
    }
    return std::move(reader.layout());
}

} // namespace tovi::mcs48::board
