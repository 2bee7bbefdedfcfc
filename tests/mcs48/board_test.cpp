// The board around the chip: board files, the levels it drives at given
// cycles, programs running on it (what the parts show, the state they leave),
// the stimulus with times and parts, and the signals of a waveform.

#include <gtest/gtest.h>

#include "common/text.h"
#include "mcs48/board.h"
#include "support.h"

namespace tovi::test {
namespace {

constexpr double cyclesPerSecond = 400'000; // 6 MHz: 2.5 µs a cycle

Board boardOf(const std::string& text) {
    Board::Parsed parsed = Board::parse(text, "test.board", cyclesPerSecond);
    EXPECT_TRUE(parsed.board) << parsed.error;
    return parsed.board ? std::move(*parsed.board) : Board();
}

void schedule(Board& board, const char* stimulus) {
    ParsedBoardStimulus parsed = parseStimulus(stimulus, board.stimulusContext());
    EXPECT_EQ(parsed.problem, "") << stimulus;
    board.schedule(std::move(parsed.events));
}

struct PinCase {
    const char* board;
    const char* stimulus;
    std::uint8_t p2Latch;
    std::int64_t cycle;
    const char* pins; // P1 P2 BUS T0 T1 INT
};

// clang-format off
const PinCase pinCases[] = {
    {"T0 = P2.0",                    "",                 0xFE, 0,    "FF FF FF 0 1 1"},
    {"T0 = !P2.7",                   "",                 0xFF, 0,    "FF FF FF 0 1 1"},
    {"T0 = !P2.7",                   "",                 0x7F, 0,    "FF FF FF 1 1 1"},
    {"INT = 0\nBUS.3 = 0",           "",                 0xFF, 0,    "FF FF F7 1 1 0"},
    {"P1.0-3 = P2.4-7",              "",                 0x5F, 0,    "F5 FF FF 1 1 1"},
    {"P1.7-4 = !P2.0-3",             "",                 0xFE, 0,    "8F FF FF 1 1 1"},
    {"t1 = TAKT 1kHz",               "",                 0xFF, 199,  "FF FF FF 1 1 1"},
    {"T1 = takt 1kHz",               "",                 0xFF, 200,  "FF FF FF 1 0 1"},
    {"T1 = takt 1kHz",               "",                 0xFF, 400,  "FF FF FF 1 1 1"},
    {"INT = puls 1ms 100us",         "",                 0xFF, 359,  "FF FF FF 1 1 1"},
    {"INT = puls 1ms 100us",         "",                 0xFF, 360,  "FF FF FF 1 1 0"},
    {"INT = puls 1ms 100us",         "",                 0xFF, 800,  "FF FF FF 1 1 1"},
    {"INT = puls 400 40 ; cycles",   "",                 0xFF, 1199, "FF FF FF 1 1 0"},
    {"taste S1 P1.0",                "1ms S1=1",         0xFF, 399,  "FF FF FF 1 1 1"},
    {"taste S1 P1.0",                "1ms S1=1",         0xFF, 400,  "FE FF FF 1 1 1"},
    {"schalter S2 T0",               "0 S2=1\n2 s2=0",   0xFF, 1,    "FF FF FF 0 1 1"},
    {"P1.0 = 0",                     "0 P1=0FBH\n0 T0=0",0xFF, 0,    "FA FF FF 0 1 1"},
    {"tastenfeld K P2.0-1 P1.4-5 \"1234\"", "0 K='4'",   0xFD, 7999, "DF FF FF 1 1 1"},
    {"tastenfeld K P2.0-1 P1.4-5 \"1234\"", "0 K='4'",   0xFD, 8000, "FF FF FF 1 1 1"},
    {"tastenfeld K P2.0-1 P1.4-5",   "0 K.1.0=1",        0xFE, 0,    "FF FF FF 1 1 1"},
    {"tastenfeld K P2.0-1 P1.4-5",   "0 K.1.0=1",        0xFD, 0,    "EF FF FF 1 1 1"},
};
// clang-format on

std::string described(const PinLevels& pins) {
    return hex(pins.p1, 2) + " " + hex(pins.p2, 2) + " " + hex(pins.bus, 2) + " " +
           std::to_string(pins.t0) + " " + std::to_string(pins.t1) + " " +
           std::to_string(pins.intPin);
}

TEST(Board, DrivesTheInputPinsAsTimePasses) {
    for (const PinCase& c : pinCases) {
        Board board = boardOf(c.board);
        schedule(board, c.stimulus);
        board.latchesChanged({0xFF, c.p2Latch, 0xFF, 0x0F, 0x0F, 0x0F, 0x0F}, 0);
        board.advanceTo(c.cycle);
        EXPECT_EQ(described(board.pins()), c.pins)
            << c.board << " / " << c.stimulus << " @" << c.cycle;
    }
}

struct RunCase {
    const char* name;
    const char* board;
    const char* program;
    const char* stimulus;
    std::int64_t cycles;
    const char* changes; // "cycle text|…"; with a leading "…|" only the last ones
    const char* state = "";
};

// Programs for the LCD: 8-bit on P1 with RS P2.0, E P2.1, R/W P2.2: two
// instructions, "Hallo Welt" from 030H, then a read of the address counter.
constexpr const char* lcd8 = "9A FA 23 38 14 40 23 0C 14 40 8A 01 B8 30 F8 A3 C6 18 14 40 18 04 0E "
                             "@018 23 FF 39 9A FE 8A 06 09 04 20 "
                             "@030 48 61 6C 6C 6F 20 57 65 6C 74 00 @040 39 8A 02 9A FD 83";
// The same in 4-bit mode on P1.4–7: 20H as one 8-bit transfer, then nibbles.
constexpr const char* lcd4 = "9A FA 23 20 14 50 23 28 14 40 23 0C 14 40 8A 01 B8 30 F8 A3 C6 1C "
                             "14 40 18 04 12 @01C 23 FF 39 9A FE 8A 06 09 04 24 "
                             "@030 48 61 6C 6C 6F 20 57 65 6C 74 00 "
                             "@040 A9 53 F0 14 50 F9 47 53 F0 14 50 83 @050 39 8A 02 9A FD 83";
// Scans rows P2.0–3 and reads columns P1.0–3; R7 = row * 4 + column.
constexpr const char* keyScan = "BA FE BB 00 FA 3A 09 37 53 0F 96 20 FB 03 04 AB FA E7 AA 04 04 "
                                "@020 AC FC 67 F6 29 AC 1B 04 21 FB AF 04 2B";
// Two digits on P1, selected by P2.0 and P2.1: "1" and "2", then both off.
constexpr const char* twoDigits = "23 F9 39 9A FE 8A 01 23 A4 39 9A FD 8A 02 04 0E";
constexpr const char* twoDigitsLoop = "23 F9 39 9A FE 8A 01 23 A4 39 9A FD 8A 02 04 00";
constexpr const char* keypad4x4 = "tastenfeld K P2.0-3 P1.0-3";
constexpr const char* digitsAB = "anzeige A P1 wahl P2.0\nanzeige B P1 wahl P2.1";

// clang-format off
const RunCase runCases[] = {
    {"jt0 on a wire",        "T0 = P1.0",         "99 FE 36 10",  "",  3, "", "PC=004"},
    {"jnt0 inverted",        "T0 = !P2.7",        "9A 7F 26 10",  "",  3, "", "PC=004"},
    {"jni on a level",       "INT = 0",           "86 10",        "",  1, "", "PC=010"},
    {"ins a,bus on a wire",  "BUS.0-1 = 0",       "08",           "",  1, "", "A=FC"},
    {"counter on takt",      "T1 = takt 1kHz",    "45 04 01",     "",  4000, "", "T=0A"},
    {"counter, 3 kHz",       "T1 = takt 3kHz",    "45 04 01",     "",  4000, "", "T=1E"},
    {"counter, every cycle", "T1 = takt 200kHz",  "45 04 01",     "",  1000, "", "T=F4 TF=1"},
    {"INT on a wire at once", "INT = P1.0",       "05 99 FE 00", "", 4, "", "PC=003 IS=1 CYC=5"},
    {"puls takes INT",       "INT = puls 100 10", "05 04 01 @003 00", "", 92, "",
     "PC=003 IS=1 CYC=93 @08=01"},
    {"button read",          "taste S1 P1.2",     "00 09",        "1 S1=1", 3, "", "A=FB"},
    {"switch on T1",         "schalter S2 T1",    "00 56 10",     "2.5us S2=1", 3, "", "PC=003"},
    {"led",                  "led D1 P1.0",       "99 FE 00 89 01", "", 5, "2 D1 an|5 D1 aus"},
    {"led hoch",             "led D2 p1.0 HOCH",  "99 FE 00 89 01", "", 5, "2 D2 aus|5 D2 an"},
    {"digit",                "anzeige A P1",      "23 F8 39 23 00 39 23 FF 39", "", 12,
     "4 A 7|8 A 8.|12 A aus"},
    {"digit kathode",        "anzeige A BUS kathode", "23 06 02", "", 4, "4 A 1"},
    {"two digits go dark",   digitsAB,            twoDigits,      "", 20000,
     "6 A 1|14 B 2|8008 A aus|8016 B aus"},
    {"two digits stay lit",  digitsAB,            twoDigitsLoop,  "", 20000, "6 A 1|14 B 2"},
    {"lcd 8-bit",            "lcd LCD P1 P2.0 P2.1", lcd8,        "", 400,
     "…|205 LCD \"Hallo Welt      \" \"                \"", "A=FF"},
    {"lcd 8-bit reads",      "lcd LCD P1 P2.0 P2.1 rw P2.2", lcd8, "", 400,
     "…|205 LCD \"Hallo Welt      \" \"                \"", "A=0A"},
    {"lcd 4-bit",            "lcd LCD P1 P2.0 P2.1 rw P2.2", lcd4, "", 800,
     "…|467 LCD \"Hallo Welt      \" \"                \"", "A=0F"},
    {"key row 0 column 1",   keypad4x4,           keyScan,        "0 K.0.1=1", 400, "", "R7=01"},
    {"key row 1 column 3",   keypad4x4,           keyScan,        "0 K.1.3=1", 400, "", "R7=07"},
    {"key row 2 column 0",   keypad4x4,           keyScan,        "0 K.2.0=1", 400, "", "R7=08"},
    {"key row 3 column 2",   keypad4x4,           keyScan,        "0 K.3.2=1", 400, "", "R7=0E"},
};
// clang-format on

TEST(Board, RunsProgramsOnItsParts) {
    for (const RunCase& c : runCases) {
        Board board = boardOf(c.board);
        std::string changes;
        board.onPartChange([&](const PartChange& change) {
            changes +=
                (changes.empty() ? "" : "|") + std::to_string(change.cycle) + " " + change.text;
        });
        schedule(board, c.stimulus);
        Processor processor;
        ASSERT_TRUE(processor.load(program(c.program)));
        processor.attachBoard(&board);
        processor.reset();
        RunLimits limits;
        limits.maxCycles = c.cycles;
        processor.run(limits);
        const std::string_view expected = c.changes;
        if (expected.starts_with("…|")) {
            EXPECT_TRUE(("|" + changes).ends_with(expected.substr(3))) << c.name << ": " << changes;
        } else {
            EXPECT_EQ(changes, expected) << c.name;
        }
        expectState(processor.state(), c.state, c.name);
    }
}

struct IdleCase {
    const char* board;
    const char* program;
    const char* stimulus;
    StopReason reason;
};

// A jump to itself is idle only when no input of the board can still end it.
// clang-format off
const IdleCase idleCases[] = {
    {"INT = puls 1ms 100us", "05 04 01 @003 93", "",                    StopReason::InstructionLimit},
    {"INT = P1.0",           "05 04 01 @003 93", "",                    StopReason::Idle},
    {"taste S1 INT",         "05 04 01 @003 93", "1ms S1=1\n1.1ms S1=0", StopReason::Idle},
    {"taste S1 INT",         "05 04 01 @003 93", "1s S1=1",             StopReason::InstructionLimit},
    {"T1 = takt 1kHz",       "25 45 04 02",      "",                    StopReason::InstructionLimit},
    {"tastenfeld K P2.0 T1", "25 45 04 02",      "1s K.0.0=1",          StopReason::InstructionLimit},
    {"T1 = 0",               "25 45 04 02",      "",                    StopReason::Idle},
};
// clang-format on

TEST(Board, IdleAsksTheBoardWhetherInputsMayChange) {
    for (const IdleCase& c : idleCases) {
        Board board = boardOf(c.board);
        schedule(board, c.stimulus);
        Processor processor;
        ASSERT_TRUE(processor.load(program(c.program)));
        processor.attachBoard(&board);
        processor.reset();
        RunLimits limits;
        limits.stopOnIdle = true;
        limits.maxInstructions = 1000;
        EXPECT_EQ(processor.run(limits).reason, c.reason) << c.board << " / " << c.stimulus;
    }
}

struct FileCase {
    const char* text;
    const char* error;
};

// clang-format off
const FileCase fileCases[] = {
    {"led D1 P1.0\n; LEDs\nled D2 P3.1",      "Zeile 3: unbekannter Pin 'P3.1'"},
    {"lampe D1 P1.0",                         "Zeile 1: unbekanntes Schlüsselwort 'lampe'"},
    {"led D1",                                "Zeile 1: zu wenige Angaben, erwartet: led NAME PIN [hoch]"},
    {"led D1 P1.0 hoch x",                    "Zeile 1: überzählige Angabe 'x'"},
    {"led D1 P1.0\nled d1 P1.1",              "Zeile 2: der Name 'd1' ist schon in Zeile 1 vergeben"},
    {"led T0 P1.0",                           "Zeile 1: der Name 'T0' ist schon ein Eingang oder Port"},
    {"led 1D P1.0",                           "Zeile 1: ungültiger Name '1D'"},
    {"led D1 T0",                             "Zeile 1: 'T0' ist kein Latch-Bit"},
    {"taste S1 P4.0",                         "Zeile 1: 'P4.0' ist kein Eingang"},
    {"led D1 P1.0-3",                         "Zeile 1: 'P1.0-3' ist ein Bereich, erwartet ist ein einzelner Pin"},
    {"anzeige A P1.0",                        "Zeile 1: 'P1.0' ist kein Port (P1, P2 oder BUS)"},
    {"P1.0-3 = P2.0-2",                       "Zeile 1: Bereiche verschiedener Länge: 4 Pins an 3 Bits 'P2.0-2'"},
    {"INT = puls 10xs 1ms",                   "Zeile 1: ungültige Zeit '10xs'"},
    {"INT = puls 1ms 1us",                    "Zeile 1: Zeit '1us' ist kürzer als ein Maschinenzyklus"},
    {"INT = puls 1ms 0",                      "Zeile 1: Zeit '0' ist kürzer als ein Maschinenzyklus"},
    {"INT = puls 1ms 2.5ms",                  "Zeile 1: die Tiefzeit '2.5ms' ist nicht kürzer als die Periode '1ms'"},
    {"T1 = takt 1,5kHz",                      "Zeile 1: ungültige Frequenz '1,5kHz'"},
    {"T1 = takt 300kHz",                      "Zeile 1: die Frequenz '300kHz' ist zu hoch: eine halbe Periode "
                                              "muss mindestens einen Maschinenzyklus dauern"},
    {"T1 = takt",                             "Zeile 1: zu wenige Angaben, erwartet: PIN = QUELLE"},
    {"tastenfeld K P2.0-1 P1.0-1 \"123\"",    "Zeile 1: die Beschriftung '123' hat 3 Zeichen für 4 Tasten"},
    {"tastenfeld K P2.0-1 P1.0-1 \"12",       "Zeile 1: Anführungszeichen ohne Ende: '\"12'"},
    {"lcd LCD P1 P2.0 P2.1 rw",               "Zeile 1: zu wenige Angaben, erwartet: lcd NAME DATEN RS E [rw PIN]"},
    {"led D1 P\x1b.0",                        "Zeile 1: unbekannter Pin 'P?.0'"},
    {"T0 = P1.0 P1.1",                        "Zeile 1: überzählige Angabe 'P1.1'"},
};
// clang-format on

TEST(Board, RefusesABadBoardFileWithItsLine) {
    for (const FileCase& c : fileCases) {
        const Board::Parsed parsed = Board::parse(c.text, "tasten.board", cyclesPerSecond);
        EXPECT_FALSE(parsed.board) << c.text;
        EXPECT_EQ(parsed.error, std::string("tasten.board, ") + c.error) << c.text;
    }
    const std::string longName(100, 'x');
    EXPECT_EQ(Board::parse("led D1 " + longName, "b", cyclesPerSecond).error,
              "b, Zeile 1: unbekannter Pin '" + longName.substr(0, 80) + "…'");
}

struct StimulusCase {
    const char* text;
    const char* events; // "cycle name=value …" or "line: problem"
    bool withBoard = true;
};

// clang-format off
const StimulusCase stimulusCases[] = {
    {"100ms S1=1\n2.5us T0=0\n1s p1=0FBH", "40000 #0.0=1 1 T0=0 400000 P1=FB"},
    {"10 K='4' ; held one scan",           "10 #1.3=1 8010 #1.3=0"},
    {"0 k.1.0=1\n7 K.0.1=0\n3 s1=0",       "0 #1.2=1 7 #1.1=0 3 #0.0=0"},
    {"1x S1=1",                            "1: ungültige Zyklenzahl '1x'"},
    {"0 S9=1",                             "1: unbekannter Eingang 'S9'"},
    {"0 S1=2",                             "1: ungültiger Wert '2' für S1"},
    {"0 K.2.0=1",                          "1: unbekannte Taste 'K.2.0'"},
    {"0 S1.0.0=1",                         "1: unbekannte Taste 'S1.0.0'"},
    {"\n0 K='9'",                          "2: K hat keine Taste '9'"},
    {"0 K=1",                              "1: ungültiger Wert '1' für K"},
    {"0 \x01=1",                           "1: unbekannter Eingang '?'"},
    {"100ms",                              "1: erwartet <Zyklus> <Name>=<Wert>"},
    {"100ms T0=1",                         "1: ungültige Zyklenzahl '100ms'", false},
    {"5 S1=1",                             "1: unbekannter Eingang 'S1'", false},
    {"5 T1=0\n6 P2=%7F",                   "5 T1=0 6 P2=7F", false},
};
// clang-format on

std::string described(const ParsedBoardStimulus& parsed) {
    if (parsed.badLine != 0) {
        return std::to_string(parsed.badLine) + ": " + parsed.problem;
    }
    std::string text;
    for (const StimulusEvent& event : parsed.events) {
        text += (text.empty() ? "" : " ") + std::to_string(event.cycle) + " ";
        if (const auto* input = std::get_if<InputEvent>(&event.change)) {
            const bool level = input->input <= Input::Int;
            const std::string names[] = {"T0", "T1", "INT", "P1", "P2", "BUS"};
            text += names[static_cast<int>(input->input)] + "=" +
                    (level ? std::to_string(input->value) : hex(input->value, 2));
            continue;
        }
        const auto& press = std::get<PartPress>(event.change);
        text += "#" + std::to_string(press.part) + "." + std::to_string(press.key) + "=" +
                std::to_string(press.pressed);
    }
    return text;
}

TEST(Board, ReadsAStimulusWithTimesAndParts) {
    const Board board = boardOf("taste S1 P1.0\ntastenfeld K P2.0-1 P1.4-5 \"1234\"");
    for (const StimulusCase& c : stimulusCases) {
        ParsedBoardStimulus parsed;
        if (c.withBoard) {
            parsed = parseStimulus(c.text, board.stimulusContext());
        } else {
            const ParsedStimulus plain = parseStimulus(c.text);
            parsed = {{}, plain.badLine, plain.problem};
            for (const InputEvent& event : plain.events) {
                parsed.events.push_back({event.cycle, event});
            }
        }
        EXPECT_EQ(described(parsed), c.events) << c.text;
    }
}

TEST(Board, ReportsEverySignalChange) {
    Board board = boardOf("led D1 P1.0\nT0 = P1.0\ntaste S1 P1.1\ntastenfeld K P2.0-1 P1.4-6\n"
                          "anzeige A BUS wahl P2.7\nlcd LCD P1 P2.2 P2.3");
    std::string names;
    for (const Signal& signal : board.signalList()) {
        names += signal.name + "/" + std::to_string(signal.width) + " ";
    }
    EXPECT_EQ(names, "P1/8 P2/8 BUS/8 T0/1 T1/1 INT/1 D1/1 S1/1 K.ZEILEN/2 K.SPALTEN/3 A/8 "
                     "A.WAHL/1 LCD.DATEN/8 LCD.RS/1 LCD.E/1 ");
    EXPECT_EQ(board.signalValues(), (std::vector<std::uint32_t>{0xFF, 0xFF, 0xFF, 1, 1, 1, 1, 1, 3,
                                                                7, 0xFF, 1, 0xFF, 1, 1}));
    std::string changes;
    board.onSignalChange([&](const SignalChange& change) {
        changes += std::to_string(change.cycle) + " " + board.signalList()[change.signal].name +
                   "=" + hex(change.value, 2) + " ";
    });
    schedule(board, "3 S1=1");
    Processor processor;
    ASSERT_TRUE(processor.load(program("99 FE 89 01 9A 7E")));
    processor.attachBoard(&board);
    RunLimits limits;
    limits.maxInstructions = 3;
    processor.run(limits);
    EXPECT_EQ(changes, "2 P1=FE 2 T0=00 2 D1=00 2 LCD.DATEN=FE 3 P1=FC 3 S1=00 3 LCD.DATEN=FC "
                       "4 P1=FD 4 T0=01 4 D1=01 4 LCD.DATEN=FD 6 P2=7E 6 K.ZEILEN=02 6 A.WAHL=00 ");
}

// Attached after a long run, the waves stand where they would have got to.
TEST(Board, StartsLateInOneStep) {
    Board board = boardOf("T1 = takt 100kHz\nINT = puls 10 3"); // edges every 2 cycles; low 7 … 9
    board.startAt(2);                                           // on the first edge
    EXPECT_EQ(board.pins().t1, false);
    board.startAt(1'000'000'000'003);
    EXPECT_EQ(board.pins().t1, false);
    EXPECT_EQ(board.pins().intPin, true);
    board.startAt(1'000'000'000'008);
    EXPECT_EQ(board.pins().t1, true);
    EXPECT_EQ(board.pins().intPin, false);
    EXPECT_EQ(board.nextChange(), 1'000'000'000'010);
    Processor processor; // a board attached to a chip that has run 6 cycles
    ASSERT_TRUE(processor.load(program("04 00")));
    RunLimits limits;
    limits.maxInstructions = 3;
    processor.run(limits);
    Board late = boardOf("T1 = takt 100kHz");
    processor.attachBoard(&late);
    EXPECT_EQ(late.nextChange(), 8);
}

TEST(Board, ResetEditsAndTheUserReachTheBoard) {
    Board board = boardOf("led D1 P1.0\nT0 = P1.0\nschalter S1 P1.1");
    std::string changes;
    board.onPartChange([&](const PartChange& change) {
        changes += std::to_string(change.cycle) + " " + change.text + " ";
    });
    Processor processor;
    ASSERT_TRUE(processor.load(program("99 FE 00")));
    processor.attachBoard(&board);
    processor.step();
    processor.reset();
    processor.editState().latch(Port::P1) = 0xFE;
    processor.editState().t1 = false;
    processor.edited();
    expectState(processor.state(), "P1=FE", "edited latch");
    EXPECT_FALSE(processor.state().t0 || processor.state().t1);
    board.setPressed(board.partNamed("s1"), 0, true, 0);
    processor.edited();
    EXPECT_EQ(processor.state().p1Pins, 0xFD);
    processor.setInput(Input::P1, 0x7F);
    EXPECT_EQ(processor.state().p1Pins, 0x7D);
    EXPECT_EQ(changes, "2 D1 an 0 D1 aus 0 D1 an ");
    EXPECT_EQ(board.parts(0)[0].lit, true);
    EXPECT_EQ(board.parts(0)[1].pressed, true);
    Board wave = boardOf("T1 = takt 200kHz");
    Processor counter;
    ASSERT_TRUE(counter.load(program("45 04 01")));
    counter.attachBoard(&wave);
    RunLimits limits;
    limits.maxCycles = 1000;
    counter.run(limits);
    counter.setInput(Input::T0, 0); // at cycle 1001, after the edges at 1000 and 1001
    expectState(counter.state(), "T=F5 CYC=1001", "edges before the user's change");
}

// A write that drops E and changes the data at once hands over the data
// that stood while E was high.
TEST(Board, LcdTakesWhatStoodWhileEWasHigh) {
    Board board = boardOf("lcd LCD P1 P2.0 P2.1");
    const std::pair<std::uint8_t, std::uint8_t> writes[] = {
        {0x0C, 0xFE}, {0x00, 0xFC}, {'H', 0xFF}, {0x00, 0xFD}}; // P1, P2 (RS, E)
    for (const auto& [data, control] : writes) {
        board.latchesChanged({data, control, 0xFF, 0x0F, 0x0F, 0x0F, 0x0F}, 0);
    }
    EXPECT_EQ(toUtf8(board.parts(0)[0].lcd->visibleText()[0]), "H               ");
}

} // namespace
} // namespace tovi::test
