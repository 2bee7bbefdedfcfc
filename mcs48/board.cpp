// The board as time passes: the levels it drives onto the input pins, what
// its parts show, and the signals of a waveform.

#include "mcs48/board.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/mcs48_memory.h"
#include "common/text.h"
#include "mcs48/board_layout.h"
#include "mcs48/seven_segment.h"
#include "mcs48/timer.h"

namespace tovi::mcs48 {

using board::isHigh;
using board::LatchSet;
using board::PinSet;

std::int64_t board::Wire::edgeCycle(std::int64_t edge) const {
    if (kind == Kind::Square) {
        return std::llround(static_cast<double>(edge) * halfPeriod);
    }
    const std::int64_t periodEnd = (edge + 1) / 2 * period;
    return edge % 2 == 1 ? periodEnd - low : periodEnd;
}

namespace {

constexpr double defaultCyclesPerSecond = 6e6 / oscillatorPeriodsPerCycle;

// What a part does now, beside its layout.
struct PartState {
    bool pressed = false;        // Button, Switch
    std::vector<bool> keysDown;  // Keypad, row by row
    bool selected = true;        // Digit
    std::uint8_t seen = 0;       // Digit: the segments lit as the eye sees them
    std::int64_t darkAt = never; // Digit: when the light of its last selection is gone
    Hd44780 lcd;                 // Lcd: it keeps its memory over a reset of the chip
    bool enableHigh = true;      // Lcd
    int transfers = 0;           // Lcd
    int look = -1;               // what lookOf() gave when `shown` was made
    std::string shown;           // the text of the last visible change
};

// One bit of a signal: a pin as the chip reads it (P1 and P2 with their
// latches), a line of a port (latch AND drivers), or a latch bit.
struct Probe {
    enum class Kind : std::uint8_t { Pin, Line, Latch };
    Kind kind;
    int index;
};

std::uint8_t portByte(std::uint64_t bits, Port port) {
    return static_cast<std::uint8_t>(bits >> board::firstBitOf(port));
}

} // namespace

struct Board::Impl {
    board::Layout layout;
    double cyclesPerSecond = defaultCyclesPerSecond;
    std::int64_t persistence = 1; // cycles a multiplexed digit stays lit
    std::vector<PartState> states;
    std::vector<std::int64_t> edgesPassed; // per wire
    LatchSet latches = board::allLatches;
    PinSet external = board::allPins; // the stimulus's and the user's levels
    PinSet driven = board::allPins;
    PinLevels pins;
    std::int64_t now = 0;
    std::int64_t upcoming = never; // findNextChange() as of the last refresh
    std::vector<StimulusEvent> events;
    std::size_t nextEvent = 0;
    std::array<std::size_t, 6> eventsEnd{}; // per Input: one past its last event
    std::array<bool, 6> waves{};            // per Input: a wave or pulse train drives it
    std::vector<Signal> signals;
    std::vector<std::vector<Probe>> probes; // per signal, bit 0 first
    std::vector<std::uint32_t> signalValues;
    std::function<void(const PartChange&)> partListener;
    std::function<void(const SignalChange&)> signalListener;

    Impl(board::Layout described, double rate)
        : layout(std::move(described)), cyclesPerSecond(rate) {
        persistence = std::max<std::int64_t>(1, std::llround(board::scanSeconds * rate));
        states.resize(layout.parts.size());
        edgesPassed.resize(layout.wires.size());
        for (const board::Wire& wire : layout.wires) {
            waves[static_cast<std::size_t>(board::inputOfPin(wire.pin))] |= wire.toggles();
        }
        addSignals();
        startOver();
    }

    // Time at 0, every input high, nothing pressed, the parts as the latches
    // after a reset show them.
    void startOver() {
        now = 0;
        nextEvent = 0;
        std::fill(edgesPassed.begin(), edgesPassed.end(), 0);
        latches = board::allLatches;
        external = board::allPins;
        for (std::size_t i = 0; i < states.size(); ++i) {
            const board::PartLayout& part = layout.parts[i];
            PartState& state = states[i];
            state.pressed = false;
            state.keysDown.assign(part.rows.size() * part.columns.size(), false);
            state.selected = selected(part);
            state.seen = state.selected ? segmentsLit(part) : 0;
            state.darkAt = never;
            state.enableHigh = true;
        }
        refresh(0);
    }

    // Parts

    bool selected(const board::PartLayout& digit) const {
        return digit.latchBit < 0 || !isHigh(latches, digit.latchBit);
    }

    std::uint8_t segmentsLit(const board::PartLayout& digit) const {
        const std::uint8_t byte = portByte(latches, digit.port);
        return digit.activeHigh ? byte : static_cast<std::uint8_t>(~byte);
    }

    // What a part shows, as a number that changes whenever its text may: an
    // LED's light, a digit's segments, an LCD's transfers.
    int lookOf(std::size_t index) const {
        const board::PartLayout& part = layout.parts[index];
        const PartState& state = states[index];
        switch (part.kind) {
        case PartKind::Led:
            return isHigh(latches, part.latchBit) == part.activeHigh;
        case PartKind::Digit:
            return state.seen;
        case PartKind::Lcd:
            return state.transfers;
        default:
            return 0;
        }
    }

    std::string shownText(std::size_t index) const {
        const board::PartLayout& part = layout.parts[index];
        const PartState& state = states[index];
        switch (part.kind) {
        case PartKind::Led:
            return part.name + (isHigh(latches, part.latchBit) == part.activeHigh ? " an" : " aus");
        case PartKind::Digit:
            return part.name + " " + (state.seen == 0 ? "aus" : figureOf(state.seen));
        case PartKind::Lcd: {
            const auto lines = state.lcd.visibleText();
            return part.name + " \"" + toUtf8(lines[0]) + "\" \"" + toUtf8(lines[1]) + "\"";
        }
        default:
            return {}; // buttons and switches are worked, not seen
        }
    }

    // Latches

    void takeLatches(LatchSet next, std::int64_t cycle) {
        passTime(cycle);
        const LatchSet before = latches;
        latches = next;
        for (std::size_t i = 0; i < states.size(); ++i) {
            const board::PartLayout& part = layout.parts[i];
            if (part.kind == PartKind::Lcd) {
                clockLcd(part, states[i], before);
            } else if (part.kind == PartKind::Digit) {
                lightDigit(part, states[i], cycle);
            }
        }
        refresh(cycle);
    }

    // A transfer at the falling edge of E, of RS, R/W and the data as they
    // stood while E was high.
    void clockLcd(const board::PartLayout& part, PartState& state, LatchSet before) {
        const bool enableHigh = isHigh(latches, part.enable);
        if (state.enableHigh && !enableHigh) {
            const bool reads = part.readWrite >= 0 && isHigh(before, part.readWrite);
            state.lcd.fallingEdge(isHigh(before, part.registerSelect), reads,
                                  portByte(before, part.port));
            ++state.transfers;
        }
        state.enableHigh = enableHigh;
    }

    void lightDigit(const board::PartLayout& part, PartState& state, std::int64_t cycle) {
        const bool selectedNow = selected(part);
        if (selectedNow) {
            state.seen = segmentsLit(part);
            state.darkAt = never;
        } else if (state.selected) {
            state.darkAt = cycle + persistence; // it shows its last segments until then
        }
        state.selected = selectedNow;
    }

    // Time

    // The earliest of the next stimulus event, the next edge of each wave and
    // pulse train and the end of each digit's light.
    std::int64_t findNextChange() const {
        std::int64_t next = nextEvent < events.size() ? events[nextEvent].cycle : never;
        for (std::size_t i = 0; i < layout.wires.size(); ++i) {
            if (layout.wires[i].toggles()) {
                next = std::min(next, layout.wires[i].edgeCycle(edgesPassed[i] + 1));
            }
        }
        for (const PartState& state : states) {
            next = std::min(next, state.darkAt);
        }
        return next;
    }

    void passTime(std::int64_t cycle) {
        while (upcoming <= cycle) {
            changeAt(upcoming);
        }
        now = std::max(now, cycle);
    }

    // The same jump in one step: each wave's edges counted by a search, not one by one.
    void jumpTo(std::int64_t cycle) {
        while (nextEvent < events.size() && events[nextEvent].cycle <= cycle) {
            apply(events[nextEvent++].change);
        }
        for (std::size_t i = 0; i < layout.wires.size(); ++i) {
            if (layout.wires[i].toggles()) {
                edgesPassed[i] = lastEdgeBy(layout.wires[i], cycle);
            }
        }
        for (PartState& state : states) {
            if (state.darkAt <= cycle) {
                state.seen = 0;
                state.darkAt = never;
            }
        }
        now = std::max(now, cycle);
        refresh(now);
    }

    // The number of a wave's edges at or before `cycle`; edges come later as they count up.
    static std::int64_t lastEdgeBy(const board::Wire& wire, std::int64_t cycle) {
        std::int64_t below = 0; // edge 0 is the start, at or before any cycle
        std::int64_t above = 1;
        while (wire.edgeCycle(above) <= cycle) {
            below = above;
            above *= 2;
        }
        while (above - below > 1) {
            const std::int64_t middle = below + (above - below) / 2;
            (wire.edgeCycle(middle) <= cycle ? below : above) = middle;
        }
        return below;
    }

    // Everything due at `cycle`: stimulus events in order, edges, digits going dark.
    void changeAt(std::int64_t cycle) {
        now = std::max(now, cycle);
        while (nextEvent < events.size() && events[nextEvent].cycle <= cycle) {
            apply(events[nextEvent++].change);
        }
        for (std::size_t i = 0; i < layout.wires.size(); ++i) {
            while (layout.wires[i].toggles() &&
                   layout.wires[i].edgeCycle(edgesPassed[i] + 1) <= cycle) {
                ++edgesPassed[i];
            }
        }
        for (PartState& state : states) {
            if (state.darkAt <= cycle) {
                state.seen = 0;
                state.darkAt = never;
            }
        }
        refresh(cycle);
    }

    void apply(const std::variant<InputEvent, PartPress>& change) {
        if (const auto* input = std::get_if<InputEvent>(&change)) {
            setExternal(input->input, input->value);
            return;
        }
        const auto& press = std::get<PartPress>(change);
        setPressed(press.part, press.key, press.pressed);
    }

    void setExternal(Input input, std::uint8_t value) {
        const auto number = static_cast<int>(input);
        if (input == Input::T0 || input == Input::T1 || input == Input::Int) {
            const PinSet pin = PinSet{1} << (board::t0Pin + number);
            external = value != 0 ? external | pin : external & ~pin;
            return;
        }
        const int first = 8 * (number - static_cast<int>(Input::P1));
        external = (external & ~(PinSet{0xFF} << first)) | PinSet{value} << first;
    }

    void setPressed(int part, int key, bool pressed) {
        if (part < 0 || static_cast<std::size_t>(part) >= states.size()) {
            return;
        }
        PartState& state = states[static_cast<std::size_t>(part)];
        if (layout.parts[static_cast<std::size_t>(part)].kind != PartKind::Keypad) {
            state.pressed = pressed;
        } else if (key >= 0 && static_cast<std::size_t>(key) < state.keysDown.size()) {
            state.keysDown[static_cast<std::size_t>(key)] = pressed;
        }
    }

    // Pins

    bool wireLevel(std::size_t index) const {
        const board::Wire& wire = layout.wires[index];
        switch (wire.kind) {
        case board::Wire::Kind::Level:
            return wire.level;
        case board::Wire::Kind::Latch:
            return isHigh(latches, wire.latchBit) != wire.inverted;
        default:
            return edgesPassed[index] % 2 == 0;
        }
    }

    PinSet drivenPins() const {
        PinSet set = external;
        const auto pull = [&](int pin) { set &= ~(PinSet{1} << pin); };
        for (std::size_t i = 0; i < layout.wires.size(); ++i) {
            if (!wireLevel(i)) {
                pull(layout.wires[i].pin);
            }
        }
        for (std::size_t i = 0; i < states.size(); ++i) {
            const board::PartLayout& part = layout.parts[i];
            const PartState& state = states[i];
            if (state.pressed) {
                pull(part.pin);
            }
            for (std::size_t key = 0; key < state.keysDown.size(); ++key) {
                const std::size_t row = key / part.columns.size();
                if (state.keysDown[key] && !isHigh(latches, part.rows[row])) {
                    pull(part.columns[key % part.columns.size()]);
                }
            }
            if (part.kind == PartKind::Lcd) {
                set &= ~lcdPulls(part, state);
            }
        }
        return set;
    }

    // While E is high with R/W high the controller drives its data lines:
    // all eight, or D7–D4 in 4-bit mode.
    PinSet lcdPulls(const board::PartLayout& part, const PartState& state) const {
        if (part.readWrite < 0 || !isHigh(latches, part.enable) ||
            !isHigh(latches, part.readWrite)) {
            return 0;
        }
        const unsigned lines = state.lcd.interfaceWidth() == 8 ? 0xFF : 0xF0;
        const unsigned low = ~state.lcd.readLines(isHigh(latches, part.registerSelect)) & lines;
        return PinSet{low & 0xFF} << board::firstBitOf(part.port);
    }

    // The levels now, and every visible change and signal change they make.
    void refresh(std::int64_t cycle) {
        upcoming = findNextChange();
        driven = drivenPins();
        pins = {portByte(driven, Port::P1),   portByte(driven, Port::P2),
                portByte(driven, Port::Bus),  isHigh(driven, board::t0Pin),
                isHigh(driven, board::t1Pin), isHigh(driven, board::intPin)};
        for (std::size_t i = 0; i < states.size(); ++i) {
            if (const int look = lookOf(i); look != std::exchange(states[i].look, look)) {
                report(i, cycle);
            }
        }
        if (signalListener) {
            reportSignals(cycle);
        }
    }

    // Told only while someone listens; onPartChange() makes the texts anew.
    void report(std::size_t i, std::int64_t cycle) {
        if (!partListener) {
            return;
        }
        std::string text = shownText(i);
        if (text != states[i].shown) {
            states[i].shown = std::move(text);
            partListener({cycle, states[i].shown});
        }
    }

    // Signals

    void addSignal(std::string name, std::vector<Probe> bits) {
        signals.push_back({std::move(name), static_cast<int>(bits.size())});
        probes.push_back(std::move(bits));
    }

    static std::vector<Probe> probesOf(Probe::Kind kind, const std::vector<int>& indices) {
        std::vector<Probe> bits;
        for (const int index : indices) {
            bits.push_back({kind, index});
        }
        return bits;
    }

    static std::vector<int> portBits(Port port) {
        std::vector<int> bits;
        for (int bit = 0; bit < 8; ++bit) {
            bits.push_back(board::firstBitOf(port) + bit);
        }
        return bits;
    }

    void addSignals() {
        using Kind = Probe::Kind;
        for (const Port port : {Port::P1, Port::P2, Port::Bus}) {
            addSignal(std::string(portName(port)), probesOf(Kind::Pin, portBits(port)));
        }
        addSignal("T0", {{Kind::Pin, board::t0Pin}});
        addSignal("T1", {{Kind::Pin, board::t1Pin}});
        addSignal("INT", {{Kind::Pin, board::intPin}});
        for (const board::PartLayout& part : layout.parts) {
            addPartSignals(part);
        }
    }

    void addPartSignals(const board::PartLayout& part) {
        using Kind = Probe::Kind;
        const std::string& name = part.name;
        switch (part.kind) {
        case PartKind::Led:
            addSignal(name, {{Kind::Latch, part.latchBit}});
            return;
        case PartKind::Button:
        case PartKind::Switch:
            addSignal(name, {{Kind::Pin, part.pin}});
            return;
        case PartKind::Keypad:
            addSignal(name + ".ZEILEN", probesOf(Kind::Latch, part.rows));
            addSignal(name + ".SPALTEN", probesOf(Kind::Pin, part.columns));
            return;
        case PartKind::Digit:
            addSignal(name, probesOf(Kind::Latch, portBits(part.port)));
            if (part.latchBit >= 0) {
                addSignal(name + ".WAHL", {{Kind::Latch, part.latchBit}});
            }
            return;
        case PartKind::Lcd:
            addSignal(name + ".DATEN", probesOf(Kind::Line, portBits(part.port)));
            addSignal(name + ".RS", {{Kind::Latch, part.registerSelect}});
            addSignal(name + ".E", {{Kind::Latch, part.enable}});
            if (part.readWrite >= 0) {
                addSignal(name + ".RW", {{Kind::Latch, part.readWrite}});
            }
            return;
        }
    }

    bool probed(const Probe& probe) const {
        switch (probe.kind) {
        case Probe::Kind::Pin: // P1 and P2 pins read with their latch bits
            return isHigh(driven, probe.index) &&
                   (probe.index >= board::busPin0 || isHigh(latches, probe.index));
        case Probe::Kind::Line:
            return isHigh(driven, probe.index) && isHigh(latches, probe.index);
        default:
            return isHigh(latches, probe.index);
        }
    }

    std::uint32_t signalValue(std::size_t index) const {
        std::uint32_t value = 0;
        for (std::size_t bit = 0; bit < probes[index].size(); ++bit) {
            value |= static_cast<std::uint32_t>(probed(probes[index][bit])) << bit;
        }
        return value;
    }

    void reportSignals(std::int64_t cycle) {
        for (std::size_t i = 0; i < signals.size(); ++i) {
            const std::uint32_t value = signalValue(i);
            if (value != signalValues[i]) {
                signalValues[i] = value;
                signalListener({cycle, static_cast<int>(i), value});
            }
        }
    }

    // Stimulus

    // The inputs a stimulus event can change.
    std::vector<Input> inputsOf(const StimulusEvent& event) const {
        if (const auto* input = std::get_if<InputEvent>(&event.change)) {
            return {input->input};
        }
        const auto part = static_cast<std::size_t>(std::get<PartPress>(event.change).part);
        if (part >= layout.parts.size()) {
            return {};
        }
        std::vector<Input> inputs;
        for (const int pin : layout.parts[part].columns) {
            inputs.push_back(board::inputOfPin(pin));
        }
        if (layout.parts[part].pin >= 0) {
            inputs.push_back(board::inputOfPin(layout.parts[part].pin));
        }
        return inputs;
    }

    int partNamed(std::string_view name) const {
        for (std::size_t i = 0; i < layout.parts.size(); ++i) {
            if (board::sameName(layout.parts[i].name, name)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    const board::PartLayout* keypad(int part) const {
        if (part < 0 || static_cast<std::size_t>(part) >= layout.parts.size() ||
            layout.parts[static_cast<std::size_t>(part)].kind != PartKind::Keypad) {
            return nullptr;
        }
        return &layout.parts[static_cast<std::size_t>(part)];
    }

    int keyLabelled(int part, char32_t label) const {
        const board::PartLayout* keys = keypad(part);
        if (keys == nullptr || label > 0xFFFF) {
            return -1;
        }
        const auto at = keys->labels.find(static_cast<char16_t>(label));
        return at == std::u16string::npos ? -1 : static_cast<int>(at);
    }

    int keyAt(int part, int row, int column) const {
        const board::PartLayout* keys = keypad(part);
        const auto rows = keys == nullptr ? 0 : static_cast<int>(keys->rows.size());
        const auto columns = keys == nullptr ? 0 : static_cast<int>(keys->columns.size());
        if (row < 0 || row >= rows || column < 0 || column >= columns) {
            return -1;
        }
        return row * columns + column;
    }
};

Board::Board() : impl_(std::make_unique<Impl>(board::Layout{}, defaultCyclesPerSecond)) {}
Board::~Board() = default;
Board::Board(Board&&) noexcept = default;
Board& Board::operator=(Board&&) noexcept = default;

Board::Parsed Board::parse(std::string_view text, std::string_view fileName,
                           double cyclesPerSecond) {
    auto read = board::readBoardFile(text, fileName, cyclesPerSecond);
    if (auto* error = std::get_if<std::string>(&read)) {
        return {std::nullopt, std::move(*error)};
    }
    Board board;
    board.impl_ = std::make_unique<Impl>(std::move(std::get<board::Layout>(read)), cyclesPerSecond);
    return {std::move(board), {}};
}

void Board::schedule(std::vector<StimulusEvent> events) {
    std::stable_sort(
        events.begin(), events.end(),
        [](const StimulusEvent& a, const StimulusEvent& b) { return a.cycle < b.cycle; });
    impl_->events = std::move(events);
    impl_->nextEvent = 0;
    impl_->upcoming = impl_->findNextChange();
    impl_->eventsEnd.fill(0);
    for (std::size_t i = 0; i < impl_->events.size(); ++i) {
        for (const Input input : impl_->inputsOf(impl_->events[i])) {
            impl_->eventsEnd[static_cast<std::size_t>(input)] = i + 1;
        }
    }
}

void Board::restart() {
    impl_->startOver();
}

void Board::startAt(std::int64_t cycle) {
    impl_->jumpTo(cycle);
}

void Board::latchesChanged(const std::array<std::uint8_t, portCount>& latches, std::int64_t cycle) {
    LatchSet set = 0;
    for (std::size_t port = 0; port < latches.size(); ++port) {
        set |= LatchSet{latches[port]} << board::firstBitOf(static_cast<Port>(port));
    }
    if (set != impl_->latches) {
        impl_->takeLatches(set & board::allLatches, cycle);
    }
}

std::int64_t Board::nextChange() const {
    return impl_->upcoming;
}

void Board::advanceTo(std::int64_t cycle) {
    impl_->passTime(cycle);
}

const PinLevels& Board::pins() const {
    return impl_->pins;
}

bool Board::mayChange(Input input) const {
    const auto index = static_cast<std::size_t>(input);
    return impl_->waves[index] || impl_->eventsEnd[index] > impl_->nextEvent;
}

void Board::setInput(Input input, std::uint8_t value, std::int64_t cycle) {
    impl_->passTime(cycle);
    impl_->setExternal(input, value);
    impl_->refresh(impl_->now);
}

void Board::setPressed(int part, int key, bool pressed, std::int64_t cycle) {
    impl_->passTime(cycle);
    impl_->setPressed(part, key, pressed);
    impl_->refresh(impl_->now);
}

std::vector<PartView> Board::parts(std::int64_t cycle) const {
    std::vector<PartView> views;
    for (std::size_t i = 0; i < impl_->states.size(); ++i) {
        const board::PartLayout& part = impl_->layout.parts[i];
        const PartState& state = impl_->states[i];
        PartView view;
        view.kind = part.kind;
        view.name = part.name;
        view.lit =
            part.kind == PartKind::Led && isHigh(impl_->latches, part.latchBit) == part.activeHigh;
        view.pressed = state.pressed;
        view.rows = static_cast<int>(part.rows.size());
        view.columns = static_cast<int>(part.columns.size());
        view.labels = part.labels;
        view.keysDown = state.keysDown;
        view.segments = state.darkAt <= cycle ? 0 : state.seen;
        view.lcd = part.kind == PartKind::Lcd ? &state.lcd : nullptr;
        views.push_back(std::move(view));
    }
    return views;
}

int Board::partNamed(std::string_view name) const {
    return impl_->partNamed(name);
}

StimulusContext Board::stimulusContext() const {
    const Impl* impl = impl_.get();
    StimulusContext context;
    context.cyclesPerSecond = impl->cyclesPerSecond;
    context.partNamed = [impl](std::string_view name) { return impl->partNamed(name); };
    context.keyLabelled = [impl](int part, char32_t label) {
        return impl->keyLabelled(part, label);
    };
    context.keyAt = [impl](int part, int row, int column) {
        return impl->keyAt(part, row, column);
    };
    return context;
}

void Board::onPartChange(std::function<void(const PartChange&)> listener) {
    impl_->partListener = std::move(listener);
    for (std::size_t i = 0; i < impl_->states.size(); ++i) {
        impl_->states[i].shown = impl_->shownText(i);
    }
}

const std::vector<Signal>& Board::signalList() const {
    return impl_->signals;
}

void Board::onSignalChange(std::function<void(const SignalChange&)> listener) {
    impl_->signalListener = std::move(listener);
    impl_->signalValues = signalValues();
}

std::vector<std::uint32_t> Board::signalValues() const {
    std::vector<std::uint32_t> values;
    for (std::size_t i = 0; i < impl_->signals.size(); ++i) {
        values.push_back(impl_->signalValue(i));
    }
    return values;
}

} // namespace tovi::mcs48
