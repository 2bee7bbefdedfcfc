// The upload: how one wait turns what the line delivers into status lines,
// the file checks and the command sequence against a scripted port and a
// virtual clock, then the whole exchange over a real serial line (Qt
// SerialPort on a pseudo-terminal, the fake emulator on its master side).

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/codepage.h"
#include "fake_emulator.h"
#include "harness.h"

namespace tovi::testing {
namespace {

using namespace std::chrono_literals;

const std::u16string opened = u"COM7 geöffnet, warte auf Eprom Emulator ...";
const std::u16string closed = u"COM7 geschlossen";

// A port whose line delivers one scripted chunk per poll (per bytesWaiting).
class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(std::vector<std::string> chunks = {})
        : chunks_(chunks.begin(), chunks.end()) {}

    bool open(std::u16string_view name, const LineSettings&, const QueueSizes&) override {
        openedNames.emplace_back(name);
        return true;
    }
    std::size_t bytesWaiting() override {
        if (!chunks_.empty()) {
            queue_ += chunks_.front();
            chunks_.pop_front();
        }
        return queue_.size();
    }
    std::size_t read(std::span<std::uint8_t> buffer) override {
        const std::size_t count = std::min(buffer.size(), queue_.size());
        std::copy_n(queue_.begin(), count, buffer.begin());
        queue_.erase(0, count);
        readSizes.push_back(count);
        return count;
    }
    void writeText(std::u16string_view text) override { written += encodeWindows1252(text); }
    void writeBytes(std::span<const std::uint8_t> bytes) override {
        written.append(bytes.begin(), bytes.end());
    }
    void close() override { ++closeCount; }
    std::optional<std::string> devicePath(std::u16string_view) const override { return {}; }

    std::vector<std::u16string> openedNames;
    int closeCount = 0;
    std::string written;
    std::vector<std::size_t> readSizes;

private:
    std::deque<std::string> chunks_;
    std::string queue_; // received, not yet read
};

// One or two waits of 300 ms: they poll at 100, 200, 300 and 400 ms and end
// after the fourth poll, or earlier once a CR LF has arrived.
struct ReplyCase {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::u16string> lines;
    int polls;
    int waits = 1;
};
// Test names and messages show the case, not its bytes.
void PrintTo(const ReplyCase& c, std::ostream* out) {
    *out << c.name;
}

class OneWait : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(OneWait, ShowsTheReplyAsStatusLines) {
    ScriptedPort port(GetParam().chunks);
    Observer observer;
    const auto environment = observingEnvironment(observer, 300, true);
    for (int wait = 0; wait < GetParam().waits; ++wait) {
        waitForReply(port, 300, environment);
    }
    EXPECT_EQ(observer.lines, GetParam().lines);
    EXPECT_EQ(observer.sleeps, GetParam().polls);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, OneWait,
    ::testing::Values(
        ReplyCase{"OneLineAtOnce", {"bereit\r\n"}, {u"bereit"}, 1},
        ReplyCase{"LineInThirdPoll", {"", "", "ok\r\n"}, {u"ok"}, 3},
        ReplyCase{"TwoLinesInOnePollJoined", {"eins\r\nzwei\r\n"}, {u"einszwei"}, 1},
        ReplyCase{"LoneCrAndLfStay", {"a\rb\nc\r\n"}, {u"a\rb\nc"}, 1},
        ReplyCase{"CrBeforePairStays", {"a\r\r\n"}, {u"a\r"}, 1},
        ReplyCase{"Windows1252Text", {"Gr\xFC\xDF \x80\r\n"}, {u"Grüß €"}, 1},
        ReplyCase{"PartsOverPollsJoined", {"a", "", "b\r\nc\r\n"}, {u"abc"}, 3},
        ReplyCase{"LineEndSplitBetweenCrAndLf", {"ok\r", "\n"}, {u"ok"}, 2},
        ReplyCase{"SilentLine", {}, {}, 4},
        ReplyCase{"IncompletePartsShownAtTheEnd", {"ha", "", "lb"}, {u"halb"}, 4},
        ReplyCase{"TextAfterZeroByteIgnored", {std::string("x\0y\r\n", 5)}, {u"x"}, 4},
        ReplyCase{"ZeroByteOnlyEndsItsOwnPoll", {std::string("x\0y", 3), "z\r\n"}, {u"xz"}, 2},
        ReplyCase{"LineAfterDeadlineIsLeftForTheNextWait",
                  {"", "", "", "", "sp\xE4t\r\n"},
                  {u"spät"},
                  5,
                  2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OneWait, ReadsAtMost2048BytesPerPoll) {
    ScriptedPort port({std::string(3000, 'x') + "\r\n"});
    Observer observer;
    waitForReply(port, 300, observingEnvironment(observer, 300, true));
    EXPECT_EQ(observer.lines, std::vector{std::u16string(3000, u'x')});
    EXPECT_EQ(port.readSizes, (std::vector<std::size_t>{2048, 954}));
}

// The real-time waits on the real line: the system environment's time-out,
// the one test that waits three seconds.
TEST(OneWait, SilentSerialLineWaitsTheDefaultThreeSeconds) {
    FakeEmulator emulator({Answer::Never});
    SystemSerialPort port(emulator.deviceMap(u"COM7"));
    ASSERT_TRUE(port.open(u"COM7", emulatorLine, uploadQueues));
    Observer observer;
    const int timeoutMs = systemEnvironment({}).replyTimeoutMs;
    const auto start = std::chrono::steady_clock::now();
    waitForReply(port, timeoutMs, observingEnvironment(observer, timeoutMs, false));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 3000ms);
    EXPECT_GE(observer.sleeps, 30);
    EXPECT_LE(observer.sleeps, 31);
    EXPECT_TRUE(observer.lines.empty());
}

class Upload : public ::testing::Test {
protected:
    std::filesystem::path pathOf(const char* name) const {
        return directory_.filePath(name).toStdString();
    }

    // Through the scripted port on a virtual clock.
    UploadOutcome upload(const std::u16string& path, ScriptedPort& port,
                         const EmulatorSettings& emulator = {u"COM7", u"E256", 1, 0}) {
        return uploadToEmulator(path, emulator, port,
                                observingEnvironment(observer_, replyTimeoutMs, true));
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
};

struct RefusedFile {
    const char* name;
    int size; // -1: no such file, -2: a directory, -3: a named pipe
    std::u16string_view reason;
};
void PrintTo(const RefusedFile& c, std::ostream* out) {
    *out << c.name;
}

class FileChecks : public Upload, public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(FileChecks, RefuseWithOneLineAndOpenNoPort) {
    const auto path = pathOf(GetParam().name);
    if (GetParam().size >= 0) {
        writeBinary(path, patternBytes(static_cast<std::size_t>(GetParam().size)));
    } else if (GetParam().size == -2) {
        std::filesystem::create_directory(path);
    } else if (GetParam().size == -3) {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    ScriptedPort port;
    EXPECT_EQ(upload(path.u16string(), port), UploadOutcome::FileRefused);
    EXPECT_EQ(observer_.lines,
              std::vector{path.u16string() + u" - " + std::u16string(GetParam().reason)});
    EXPECT_TRUE(port.openedNames.empty());
    EXPECT_EQ(observer_.sleeps + observer_.pumps, 0);
}

INSTANTIATE_TEST_SUITE_P(Refusals, FileChecks,
                         ::testing::Values(RefusedFile{"TooLarge", 2049, u"Datei zu groß"},
                                           RefusedFile{"Empty", 0, u"Datei leer"},
                                           RefusedFile{"Missing", -1, u"Datei nicht gefunden"},
                                           RefusedFile{"Directory", -2, u"Datei nicht gefunden"},
                                           RefusedFile{"NamedPipe", -3, u"Datei nicht gefunden"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A hand-edited settings file's values go out as they are.
TEST_F(Upload, ReadOnlyOneByteFileIsOneBlockPaddedWithZeros) {
    const auto path = writeBinary(pathOf("one.bin"), {0xA5});
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    ScriptedPort port;
    ASSERT_EQ(upload(path, port, {u"COM1", u"512", 2, -1}), UploadOutcome::Completed);
    EXPECT_EQ(port.written, ":EMUOFF\n:iniSPI2\n:iniAuto-1\n:SBN\n:0\n:128\n\xA5" +
                                std::string(127, '\0') + ":ini512\n:EMUON\n");
}

TEST_F(Upload, SilentEmulatorWaitsThreeSecondsAtEachOfTwentyTwoSteps) {
    ScriptedPort port;
    ASSERT_EQ(upload(writeBinary(pathOf("full.bin"), patternBytes(2048)), port),
              UploadOutcome::Completed);
    EXPECT_EQ(observer_.sleeps, 22 * 31);
    EXPECT_EQ(observer_.virtualNow, 22 * 3100);
    EXPECT_EQ(observer_.pumps, 1);
    EXPECT_EQ(observer_.lines, (std::vector{opened, closed}));
    EXPECT_EQ(port.closeCount, 1);
}

TEST_F(Upload, SerialPortHeldElsewhereCannotBeOpened) {
    FakeEmulator emulator;
    SystemSerialPort holder(emulator.deviceMap(u"COM7"));
    ASSERT_TRUE(holder.open(u"COM7", emulatorLine, uploadQueues));
    EXPECT_EQ(upload(emulator, patternBytes(1)), UploadOutcome::PortRefused);
    EXPECT_EQ(observer_.lines,
              std::vector<std::u16string>{
                  u"Fehler beim Öffnen der seriellen Schnittstelle - COM7 nicht gefunden"});
    EXPECT_TRUE(emulator.received().empty());
}

struct Answering {
    const char* name;
    Behaviour behaviour;
    std::size_t fileSize;
    std::string before = {}; // what precedes every answer on its status line
};
void PrintTo(const Answering& c, std::ostream* out) {
    *out << c.name;
}

class AnsweringEmulator : public Upload, public ::testing::WithParamInterface<Answering> {};

TEST_P(AnsweringEmulator, GetsTheProtocolByteForByteAndEveryAnswerIsShown) {
    FakeEmulator emulator(GetParam().behaviour);
    const auto bytes = patternBytes(GetParam().fileSize);
    ASSERT_EQ(upload(emulator, bytes), UploadOutcome::Completed);
    EXPECT_EQ(emulator.received(), expectedWireStream(bytes, 1, 0, "E256"));

    std::vector<std::u16string> lines{opened};
    const auto answer = [&](const std::string& unit) {
        const std::string text = GetParam().before + FakeEmulator::answerFor(unit);
        lines.emplace_back(text.begin(), text.end());
    };
    for (const char* unit : {"bereit", "EMUOFF", "iniSPI1", "iniAuto0"}) {
        answer(unit);
    }
    const int blockCount = static_cast<int>(GetParam().fileSize + 127) / 128;
    std::vector<std::pair<int, int>> progress{{0, blockCount}};
    for (int block = 0; block < blockCount; ++block) {
        answer("SBN " + std::to_string(block * 128));
        progress.emplace_back(block + 1, blockCount);
    }
    answer("iniE256");
    answer("EMUON");
    lines.push_back(closed);
    EXPECT_EQ(observer_.lines, lines);
    EXPECT_EQ(observer_.progress, progress);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AnsweringEmulator,
    ::testing::Values(Answering{"AtOnce1", {}, 1}, Answering{"AtOnce127", {}, 127},
                      Answering{"AtOnce128", {}, 128}, Answering{"AtOnce129", {}, 129},
                      Answering{"AtOnce2048", {}, 2048},
                      Answering{"LateWithinTheTimeOut", {Answer::Late, 250ms}, 1},
                      Answering{"SplitOverTwoPolls", {Answer::Split, 250ms}, 129},
                      Answering{"SeveralLinesAtOnce", {Answer::SeveralLines}, 1, "eins"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Misbehaviour {
    const char* name;
    Answer answer;
    std::size_t fileSize;
    std::size_t lineCount; // 0: any
};
void PrintTo(const Misbehaviour& c, std::ostream* out) {
    *out << c.name;
}

class UnrulyEmulator : public Upload, public ::testing::WithParamInterface<Misbehaviour> {};

TEST_P(UnrulyEmulator, NeverStopsTheSequenceNorOutlastsTheTimeOut) {
    FakeEmulator emulator({GetParam().answer});
    const auto bytes = patternBytes(GetParam().fileSize);
    ASSERT_EQ(upload(emulator, bytes, 200), UploadOutcome::Completed);
    std::string expected = expectedWireStream(bytes, 1, 0, "E256");
    if (GetParam().answer == Answer::Vanish) { // the line is gone after the first data block
        const std::string header = ":SBN\n:0\n:128\n";
        expected.resize(expected.find(header) + header.size() + 128);
    }
    EXPECT_EQ(emulator.received(), expected);
    ASSERT_GE(observer_.lines.size(), 2u);
    EXPECT_EQ(observer_.lines.front(), opened);
    EXPECT_EQ(observer_.lines.back(), closed);
    if (GetParam().lineCount != 0) {
        EXPECT_EQ(observer_.lines.size(), GetParam().lineCount);
    }
    // A wait ends at the first poll after its 200 ms; the clock is real.
    const int waits = 6 + static_cast<int>(GetParam().fileSize + 127) / 128;
    EXPECT_LE(observer_.sleeps, 3 * waits);
}

INSTANTIATE_TEST_SUITE_P(Replies, UnrulyEmulator,
                         ::testing::Values(Misbehaviour{"Silent", Answer::Never, 1, 2},
                                           Misbehaviour{"Garbage", Answer::Garbage, 300, 0},
                                           Misbehaviour{"Flood", Answer::Flood, 2048, 24},
                                           Misbehaviour{"Vanish", Answer::Vanish, 2048, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tovi::testing
