// The upload: how one wait turns what the line delivers into status lines, the file checks
// and the command sequence on a scripted port and a virtual clock, then the whole exchange
// over a real serial line (Qt SerialPort on a pseudo-terminal, the fake emulator behind it).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>

#include <QTemporaryDir>
#include <chrono>

#include "fake_emulator.h"
#include "image/intel_hex.h"
#include "support.h"

namespace tovi::test {
namespace {

using namespace std::chrono_literals;

struct Reply {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::u16string> lines;
    int polls;
    WaitOutcome last;
    int waits = 1;
};

// Waits of 300 ms poll at 100, 200, 300 and 400 ms and end after the fourth
// poll, or earlier once a CR LF has arrived.
TEST(Upload, OneWaitShowsWhatArrivedAsOneLine) {
    // clang-format off
    const Reply cases[] = {
        {"at once", {"bereit\r\n"}, {u"bereit"}, 1, WaitOutcome::Answered},
        {"third poll", {"", "", "ok\r\n"}, {u"ok"}, 3, WaitOutcome::Answered},
        {"two lines joined", {"eins\r\nzwei\r\n"}, {u"einszwei"}, 1, WaitOutcome::Answered},
        {"lone CR and LF stay", {"a\rb\nc\r\n"}, {u"a\rb\nc"}, 1, WaitOutcome::Answered},
        {"CR before the pair", {"a\r\r\n"}, {u"a\r"}, 1, WaitOutcome::Answered},
        {"Windows-1252", {"Gr\xFC\xDF \x80\r\n"}, {u"Grüß €"}, 1, WaitOutcome::Answered},
        {"parts over polls", {"a", "", "b\r\nc\r\n"}, {u"abc"}, 3, WaitOutcome::Answered},
        {"line end split", {"ok\r", "\n"}, {u"ok"}, 2, WaitOutcome::Answered},
        {"silent", {}, {}, 4, WaitOutcome::Silent},
        {"incomplete shown at the end", {"ha", "", "lb"}, {u"halb"}, 4, WaitOutcome::Answered},
        {"after a zero byte ignored", {std::string("x\0y\r\n", 5)}, {u"x"}, 4, WaitOutcome::Answered},
        {"zero byte ends its poll only", {std::string("x\0y", 3), "z\r\n"}, {u"xz"}, 2, WaitOutcome::Answered},
        {"late line for the next wait", {"", "", "", "", "sp\xE4t\r\n"}, {u"spät"}, 5, WaitOutcome::Answered, 2},
    };
    // clang-format on
    for (const Reply& c : cases) {
        ScriptedPort port(c.chunks);
        Observer observer;
        const auto environment = observingEnvironment(observer, 300, true);
        WaitOutcome outcome = WaitOutcome::Silent;
        for (int wait = 0; wait < c.waits; ++wait) {
            outcome = waitForReply(port, 300, environment);
        }
        EXPECT_EQ(observer.lines, c.lines) << c.name;
        EXPECT_EQ(observer.sleeps, c.polls) << c.name;
        EXPECT_EQ(outcome, c.last) << c.name;
    }
    ScriptedPort flood({std::string(3000, 'x') + "\r\n"});
    Observer observer;
    waitForReply(flood, 300, observingEnvironment(observer, 300, true));
    EXPECT_EQ(flood.readSizes, (std::vector<std::size_t>{2048, 954}));
}

class UploadFile : public ::testing::Test {
protected:
    std::filesystem::path pathOf(const char* name) const {
        return directory_.filePath(name).toStdString();
    }
    UploadOutcome upload(const std::u16string& path, ScriptedPort& port,
                         const EmulatorSettings& emulator = {u"COM7", u"E256", 1, 0}) {
        return uploadToEmulator(path, emulator, port, environment_);
    }
    // Over the real line to `emulator`, which greets once the port is open.
    UploadOutcome upload(FakeEmulator& emulator, const std::vector<std::uint8_t>& bytes,
                         int timeoutMs = replyTimeoutMs) {
        SystemSerialPort port(emulator.deviceMap(u"COM7"));
        UploadEnvironment environment = observingEnvironment(observer_, timeoutMs, false);
        environment.processEvents = [&emulator](int) { emulator.greet(); };
        return uploadToEmulator(writeBinary(pathOf("image.bin"), bytes), {u"COM7", u"E256", 1, 0},
                                port, environment);
    }

    QTemporaryDir directory_;
    Observer observer_;
    UploadEnvironment environment_ = observingEnvironment(observer_, replyTimeoutMs, true);
};

TEST_F(UploadFile, RefusesFilesItCannotSendWithOneLine) {
    const std::pair<int, std::u16string_view> cases[] = {
        {2049, u"Datei zu groß"},      {0, u"Datei leer"},
        {-1, u"Datei nicht gefunden"}, {-2, u"Datei nicht gefunden"},
        {-3, u"Datei nicht gefunden"}, // directory, named pipe
    };
    for (const auto& [size, reason] : cases) {
        const auto path = pathOf(("f" + std::to_string(size)).c_str());
        if (size >= 0) {
            writeBinary(path, patternBytes(static_cast<std::size_t>(size)));
        } else if (size == -2) {
            std::filesystem::create_directory(path);
        } else if (size == -3) {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        }
        ScriptedPort port;
        observer_ = {};
        EXPECT_EQ(upload(path.u16string(), port), UploadOutcome::FileRefused);
        EXPECT_EQ(observer_.lines, std::vector{path.u16string() + u" - " + std::u16string(reason)});
        EXPECT_TRUE(port.openedNames.empty());
    }
}

// Blocks of 128 bytes, the last padded with zeros whatever the fill byte.
TEST_F(UploadFile, SendsTheProtocolByteForByte) {
    for (const std::size_t size : {1, 127, 128, 129, 2048}) {
        const auto bytes = patternBytes(size);
        ScriptedPort port;
        observer_ = {};
        upload(writeBinary(pathOf("p.bin"), bytes), port);
        EXPECT_EQ(port.written, wireStream(bytes, 1, 0, "E256")) << size;
        const int blocks = static_cast<int>(size + 127) / 128;
        EXPECT_EQ(observer_.progress.back(), std::make_pair(blocks, blocks));
        EXPECT_EQ(observer_.progress.size(), static_cast<std::size_t>(blocks) + 1);
    }
}

// An Intel HEX file is recognised by its content, whatever an editor put
// around its records, and sends exactly the bytes of the same image as a raw file.
TEST_F(UploadFile, SendsIntelHexAsTheSameImage) {
    const auto bytes = patternBytes(300);
    ScriptedPort raw;
    ScriptedPort hex;
    upload(writeBinary(pathOf("p.bin"), bytes), raw);
    const std::string text = "\xEF\xBB\xBF \r\n" + toIntelHex(bytes) + "\x1A";
    upload(writeBinary(pathOf("p.txt"), {text.begin(), text.end()}), hex);
    EXPECT_EQ(hex.written, raw.written);
    EXPECT_EQ(hex.written, wireStream(bytes, 1, 0, "E256"));
}

// Empty texts stand for COM4 and 64; a flag other than 1 goes out as 0; a
// read-only file uploads; a greeting need not come.
TEST_F(UploadFile, SendsWhatTheEmulatorCanReadAndNeedsNoGreeting) {
    const auto path = writeBinary(pathOf("one.bin"), {0xA5});
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    std::vector<std::string> chunks(31, "");
    chunks.insert(chunks.end(), 6, "ok\r\n");
    ScriptedPort port(chunks);
    ASSERT_EQ(upload(path, port, {u"", u"", 2, -1}), UploadOutcome::Completed);
    EXPECT_EQ(port.openedNames, std::vector<std::u16string>{u"COM4"});
    EXPECT_EQ(port.written, wireStream({0xA5}, 0, 0, "64"));
    EXPECT_EQ(observer_.lines, (std::vector<std::u16string>{
                                   u"COM4 geöffnet, warte auf Eprom Emulator ...", u"ok", u"ok",
                                   u"ok", u"ok", u"ok", u"ok", u"COM4 geschlossen"}));
}

TEST_F(UploadFile, CountsTheCommandsThatGotNoReply) {
    ScriptedPort silent;
    ASSERT_EQ(upload(writeBinary(pathOf("full.bin"), patternBytes(2048)), silent),
              UploadOutcome::Unanswered);
    EXPECT_EQ(observer_.virtualNow, 22 * 3100); // each wait ends at the first poll after 3 s
    EXPECT_EQ(observer_.lines,
              (std::vector<std::u16string>{u"COM7 geöffnet, warte auf Eprom Emulator ...",
                                           u"COM7 geschlossen",
                                           u"Keine Antwort vom Eprom Emulator (21 von 21)"}));
    std::vector<std::string> chunks{"hallo\r\n", "a\r\n"};
    chunks.insert(chunks.end(), 62, "");
    chunks.insert(chunks.end(), 3, "b\r\n");
    ScriptedPort partly(chunks);
    observer_ = {};
    EXPECT_EQ(upload(writeBinary(pathOf("one.bin"), {1}), partly), UploadOutcome::Unanswered);
    EXPECT_EQ(observer_.lines.back(), u"Keine Antwort vom Eprom Emulator (2 von 6)");
}

TEST_F(UploadFile, StopsAtOnceWhenThePortFailsOrTheUserCancels) {
    const auto path = writeBinary(pathOf("full.bin"), patternBytes(2048));
    ScriptedPort failing({"bereit\r\n", "ok\r\n"}, 3);
    ASSERT_EQ(upload(path, failing), UploadOutcome::ConnectionLost);
    EXPECT_EQ(observer_.lines.back(), u"Verbindung zum Eprom Emulator verloren");
    EXPECT_EQ(failing.written, ":EMUOFF\n:iniSPI1\n");
    EXPECT_EQ(failing.closeCount, 1);
    ScriptedPort cancelled;
    observer_ = {};
    environment_.cancelRequested = [this] { return observer_.sleeps >= 40; };
    ASSERT_EQ(upload(path, cancelled), UploadOutcome::Cancelled);
    EXPECT_EQ(observer_.lines.back(), u"Übertragung abgebrochen");
    EXPECT_EQ(observer_.sleeps, 40);
    EXPECT_EQ(cancelled.closeCount, 1);
}

struct Answering {
    const char* name;
    Behaviour behaviour;
    std::size_t fileSize;
    std::string before = {}; // what precedes every answer on its status line
};

TEST_F(UploadFile, AnEmulatorOnARealLineGetsEveryByteAndEveryAnswerIsShown) {
    const Answering cases[] = {
        {"at once", {}, 129},
        {"at once, full", {}, 2048},
        {"late within the time-out", {Answer::Late, 250ms}, 1},
        {"split over two polls", {Answer::Split, 250ms}, 129},
        {"several lines at once", {Answer::SeveralLines}, 1, "eins"},
    };
    for (const Answering& c : cases) {
        FakeEmulator emulator(c.behaviour);
        const auto bytes = patternBytes(c.fileSize);
        observer_ = {};
        ASSERT_EQ(upload(emulator, bytes), UploadOutcome::Completed) << c.name;
        EXPECT_EQ(emulator.received(), wireStream(bytes, 1, 0, "E256")) << c.name;
        EXPECT_EQ(emulator.lineSpeed(), B115200) << c.name;
        std::vector<std::u16string> lines{u"COM7 geöffnet, warte auf Eprom Emulator ..."};
        std::vector<std::string> units{"bereit", "EMUOFF", "iniSPI1", "iniAuto0"};
        for (std::size_t block = 0; block * 128 < c.fileSize; ++block) {
            units.push_back("SBN " + std::to_string(block * 128));
        }
        units.insert(units.end(), {"iniE256", "EMUON"});
        for (const auto& unit : units) {
            lines.push_back(fromUtf8(c.before + FakeEmulator::answerFor(unit)));
        }
        lines.push_back(u"COM7 geschlossen");
        EXPECT_EQ(observer_.lines, lines) << c.name;
    }
}

// A wait ends at the first poll after its 200 ms on the real clock.
TEST_F(UploadFile, AnUnrulyEmulatorNeverHoldsTheUploadLongerThanItsWaits) {
    const std::tuple<Answer, std::size_t, UploadOutcome, std::u16string_view> cases[] = {
        {Answer::Never, 1, UploadOutcome::Unanswered,
         u"Keine Antwort vom Eprom Emulator (6 von 6)"},
        {Answer::Garbage, 300, UploadOutcome::Completed, u"COM7 geschlossen"},
        {Answer::Flood, 2048, UploadOutcome::Completed, u"COM7 geschlossen"},
        {Answer::Vanish, 2048, UploadOutcome::ConnectionLost,
         u"Verbindung zum Eprom Emulator verloren"},
    };
    for (const auto& [answer, size, expected, lastLine] : cases) {
        FakeEmulator emulator({answer});
        observer_ = {};
        EXPECT_EQ(upload(emulator, patternBytes(size), 200), expected) << toUtf8(lastLine);
        EXPECT_EQ(observer_.lines.back(), lastLine);
        EXPECT_LE(observer_.sleeps, 3 * (6 + static_cast<int>(size + 127) / 128))
            << toUtf8(lastLine);
    }
    FakeEmulator emulator;
    SystemSerialPort holder(emulator.deviceMap(u"COM7"));
    ASSERT_TRUE(holder.open(u"COM7", emulatorLine, uploadQueues));
    EXPECT_TRUE(holder.open(u"COM7", emulatorLine, uploadQueues)); // lets its own line go first
    observer_ = {};
    EXPECT_EQ(upload(emulator, patternBytes(1)), UploadOutcome::PortRefused);
    EXPECT_EQ(observer_.lines,
              std::vector<std::u16string>{
                  u"Fehler beim Öffnen der seriellen Schnittstelle - COM7 nicht gefunden"});
}

TEST(Upload, PortNamesMapToLinuxDevices) {
    const std::pair<std::u16string_view, std::optional<std::string>> cases[] = {
        {u"COM1", "/dev/ttyS0"},     {u"COM10", "/dev/ttyS9"},   {u"COM11", "/dev/ttyUSB0"},
        {u"COM30", "/dev/ttyUSB19"}, {u"COM31", "/dev/ttyACM0"}, {u"COM50", "/dev/ttyACM19"},
        {u"", std::nullopt},         {u"COM", std::nullopt},     {u"COM0", std::nullopt},
        {u"COM51", std::nullopt},    {u"COM04", std::nullopt},   {u"com4", std::nullopt},
        {u"COM4 ", std::nullopt},    {u"LPT1", std::nullopt},    {u"COM4294967300", std::nullopt},
    };
    for (const auto& [name, device] : cases) {
        EXPECT_EQ(linuxDeviceForPort(name), device) << toUtf8(name);
    }
}

} // namespace
} // namespace tovi::test
