// The upload over a real serial line: Qt SerialPort on the terminal side of a
// pseudo-terminal, the fake emulator on the master side.

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

#include "fake_emulator.h"
#include "harness.h"

namespace tovi::testing {
namespace {

const EmulatorSettings settingsForTests{u"COM7", u"E256", 1, 0};
const std::u16string opened = u"COM7 geöffnet, warte auf Eprom Emulator ...";
const std::u16string closed = u"COM7 geschlossen";

std::vector<std::uint8_t> padded(std::vector<std::uint8_t> bytes) {
    bytes.resize((bytes.size() + 127) / 128 * 128, 0x00);
    return bytes;
}

// What the fake emulator answers, step by step, for a file of n blocks.
std::vector<std::string> answerUnits(std::size_t blockCount) {
    std::vector<std::string> units{"bereit", "EMUOFF", "iniSPI1", "iniAuto0"};
    for (std::size_t block = 0; block < blockCount; ++block) {
        units.push_back("SBN " + std::to_string(block * 128));
    }
    units.insert(units.end(), {"iniE256", "EMUON"});
    return units;
}

std::vector<std::u16string> statusLines(std::size_t blockCount, const std::string& before = {}) {
    std::vector<std::u16string> lines{opened};
    for (const auto& unit : answerUnits(blockCount)) {
        const std::string text = before + FakeEmulator::answerFor(unit);
        lines.emplace_back(text.begin(), text.end());
    }
    lines.push_back(closed);
    return lines;
}

class SerialUpload : public ::testing::Test {
protected:
    std::u16string writeFile(const std::vector<std::uint8_t>& bytes) {
        const QString path = directory_.filePath("image.bin");
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.toStdU16String();
    }

    UploadOutcome upload(FakeEmulator& emulator, const std::vector<std::uint8_t>& bytes,
                         int timeoutMs = replyTimeoutMs) {
        SystemSerialPort port(emulator.deviceMap(u"COM7"));
        UploadEnvironment environment = observingEnvironment(observer_, timeoutMs, false);
        environment.processEvents = [&emulator](int) { emulator.greet(); };
        return uploadToEmulator(writeFile(bytes), settingsForTests, port, environment);
    }

    QTemporaryDir directory_;
    Observer observer_;
};

class FileSizes : public SerialUpload, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(FileSizes, SendTheProtocolByteForByte) {
    FakeEmulator emulator;
    const auto bytes = patternBytes(GetParam());
    ASSERT_EQ(upload(emulator, bytes), UploadOutcome::Completed);
    EXPECT_EQ(emulator.received(), expectedWireStream(padded(bytes), 1, 0, "E256"));
    const std::size_t blockCount = (GetParam() + 127) / 128;
    EXPECT_EQ(observer_.lines, statusLines(blockCount));
    EXPECT_EQ(observer_.progress.size(), blockCount + 1);
    EXPECT_EQ(observer_.progress.back(), std::make_pair(int(blockCount), int(blockCount)));
}

INSTANTIATE_TEST_SUITE_P(Blocks, FileSizes, ::testing::Values(1, 127, 128, 129, 2048));

TEST_F(SerialUpload, LateReplyWithinTheTimeOutIsShown) {
    FakeEmulator emulator({Answer::Late, std::chrono::milliseconds(250)});
    ASSERT_EQ(upload(emulator, patternBytes(1)), UploadOutcome::Completed);
    EXPECT_EQ(observer_.lines, statusLines(1));
    EXPECT_GE(observer_.sleeps, 7 * 3);
}

TEST_F(SerialUpload, ReplyAfterTheTimeOutIsShownByALaterWait) {
    FakeEmulator emulator({Answer::Late, std::chrono::milliseconds(550)});
    const auto bytes = patternBytes(1);
    ASSERT_EQ(upload(emulator, bytes, 300), UploadOutcome::Completed);
    EXPECT_EQ(emulator.received(), expectedWireStream(padded(bytes), 1, 0, "E256"));
    // Replies lag behind their commands; none is lost or repeated while the
    // port is open, so the lines are the answers in order, missing at most the
    // last ones, which arrive after the port was closed.
    const auto all = statusLines(1);
    ASSERT_GE(observer_.lines.size(), 3u);
    EXPECT_EQ(observer_.lines.front(), opened);
    EXPECT_EQ(observer_.lines.back(), closed);
    EXPECT_EQ(observer_.lines[1], all[1]) << "the greeting comes first";
    EXPECT_TRUE(std::equal(observer_.lines.begin(), observer_.lines.end() - 1, all.begin()));
    EXPECT_LT(observer_.lines.size(), all.size());
}

TEST_F(SerialUpload, ReplySplitOverTwoPollsIsJoined) {
    FakeEmulator emulator({Answer::Split, std::chrono::milliseconds(250)});
    ASSERT_EQ(upload(emulator, patternBytes(129)), UploadOutcome::Completed);
    EXPECT_EQ(observer_.lines, statusLines(2));
}

TEST_F(SerialUpload, SeveralLinesAtOnceBecomeOneStatusLine) {
    FakeEmulator emulator({Answer::SeveralLines});
    ASSERT_EQ(upload(emulator, patternBytes(1)), UploadOutcome::Completed);
    EXPECT_EQ(observer_.lines, statusLines(1, "eins"));
}

TEST_F(SerialUpload, SilentEmulatorTimesOutAtEveryStep) {
    FakeEmulator emulator({Answer::Never});
    const auto bytes = patternBytes(1);
    ASSERT_EQ(upload(emulator, bytes, 200), UploadOutcome::Completed);
    EXPECT_EQ(emulator.received(), expectedWireStream(padded(bytes), 1, 0, "E256"));
    EXPECT_EQ(observer_.lines, (std::vector<std::u16string>{opened, closed}));
    // Two or three polls in each of the seven waits: the clock is real, and a
    // wait ends at the first poll after its 200 ms.
    EXPECT_GE(observer_.sleeps, 7 * 2);
    EXPECT_LE(observer_.sleeps, 7 * 3);
}

struct Misbehaviour {
    std::string name;
    Answer answer;
    std::size_t fileSize;
};

void PrintTo(const Misbehaviour& misbehaviour, std::ostream* out) {
    *out << misbehaviour.name;
}

class UnrulyEmulator : public SerialUpload, public ::testing::WithParamInterface<Misbehaviour> {};

TEST_P(UnrulyEmulator, NeverStopsTheSequence) {
    FakeEmulator emulator({GetParam().answer});
    const auto bytes = patternBytes(GetParam().fileSize);
    ASSERT_EQ(upload(emulator, bytes, 200), UploadOutcome::Completed);
    const std::string expected = expectedWireStream(padded(bytes), 1, 0, "E256");
    if (GetParam().answer == Answer::Vanish) {
        // The line is gone after the first data block.
        const std::string header = ":SBN\n:0\n:128\n";
        const std::size_t firstBlockEnd = expected.find(header) + header.size() + 128;
        EXPECT_EQ(emulator.received(), expected.substr(0, firstBlockEnd));
    } else {
        EXPECT_EQ(emulator.received(), expected);
    }
    ASSERT_GE(observer_.lines.size(), 2u);
    EXPECT_EQ(observer_.lines.front(), opened);
    EXPECT_EQ(observer_.lines.back(), closed);
}

INSTANTIATE_TEST_SUITE_P(Replies, UnrulyEmulator,
                         ::testing::Values(Misbehaviour{"Garbage", Answer::Garbage, 300},
                                           Misbehaviour{"Flood", Answer::Flood, 2048},
                                           Misbehaviour{"VanishMidUpload", Answer::Vanish, 2048}),
                         [](const auto& info) { return info.param.name; });

TEST_F(SerialUpload, FloodIsShownInPollsOfAtMost2048Bytes) {
    FakeEmulator emulator({Answer::Flood});
    ASSERT_EQ(upload(emulator, patternBytes(1), 300), UploadOutcome::Completed);
    ASSERT_EQ(observer_.lines.size(), 9u);
    for (std::size_t i = 1; i + 1 < observer_.lines.size(); ++i) {
        const std::u16string& line = observer_.lines[i];
        EXPECT_FALSE(line.empty()) << i;
        EXPECT_LE(line.size(), 2048u) << i;
        EXPECT_EQ(line.find_first_not_of(u"Flut "), std::u16string::npos) << i;
    }
}

TEST_F(SerialUpload, FileErrorsOpenNoPort) {
    FakeEmulator emulator;
    ASSERT_EQ(upload(emulator, {}), UploadOutcome::FileRefused);
    ASSERT_EQ(upload(emulator, patternBytes(2049)), UploadOutcome::FileRefused);
    EXPECT_EQ(observer_.pumps + observer_.sleeps, 0);
    EXPECT_EQ(observer_.lines.size(), 2u);
    EXPECT_TRUE(emulator.received().empty());
}

TEST_F(SerialUpload, PortHeldElsewhereCannotBeOpened) {
    FakeEmulator emulator;
    SystemSerialPort holder(emulator.deviceMap(u"COM7"));
    ASSERT_TRUE(holder.open(u"COM7", emulatorLine, uploadQueues));
    EXPECT_EQ(upload(emulator, patternBytes(1)), UploadOutcome::PortRefused);
    EXPECT_EQ(observer_.lines,
              std::vector<std::u16string>{
                  u"Fehler beim Öffnen der seriellen Schnittstelle - COM7 nicht gefunden"});
    EXPECT_TRUE(emulator.received().empty());
}

TEST_F(SerialUpload, PortWithoutDeviceCannotBeOpened) {
    SystemSerialPort port([](std::u16string_view) { return std::string("/dev/tovi-no-such-tty"); });
    UploadEnvironment environment = observingEnvironment(observer_, 300, true);
    EXPECT_EQ(uploadToEmulator(writeFile(patternBytes(1)), settingsForTests, port, environment),
              UploadOutcome::PortRefused);
    EXPECT_EQ(observer_.lines.size(), 1u);
}

// The one test that waits a real three seconds: the default time-out of the
// system environment, on a silent line.
TEST(SerialWait, SilentLineWaitsTheDefaultThreeSeconds) {
    FakeEmulator emulator({Answer::Never});
    SystemSerialPort port(emulator.deviceMap(u"COM7"));
    ASSERT_TRUE(port.open(u"COM7", emulatorLine, uploadQueues));
    Observer observer;
    UploadEnvironment environment =
        systemEnvironment([&](std::u16string_view line) { observer.lines.emplace_back(line); });
    const auto sleep = environment.sleep;
    environment.sleep = [&](int ms) {
        ++observer.sleeps;
        sleep(ms);
    };
    const auto start = std::chrono::steady_clock::now();
    waitForReply(port, environment.replyTimeoutMs, environment);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(3000));
    EXPECT_GE(observer.sleeps, 30);
    EXPECT_LE(observer.sleeps, 31);
    EXPECT_TRUE(observer.lines.empty());
}

} // namespace
} // namespace tovi::testing
