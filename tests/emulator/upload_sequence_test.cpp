// The upload's checks and its command sequence, against a scripted port and a
// virtual clock; the same sequence over a real serial line is covered by the
// pseudo-terminal tests.

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "harness.h"

namespace tovi::testing {
namespace {

const EmulatorSettings comSeven{u"COM7", u"E256", 1, 0};

class UploadSequence : public ::testing::Test {
protected:
    std::u16string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::filesystem::path path =
            directory_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.u16string();
    }

    std::u16string pathOf(const std::string& name) const {
        return directory_.filePath(QString::fromStdString(name)).toStdU16String();
    }

    UploadOutcome upload(std::u16string_view path, ScriptedPort& port,
                         const EmulatorSettings& emulator = comSeven) {
        return uploadToEmulator(path, emulator, port,
                                observingEnvironment(observer_, replyTimeoutMs, true));
    }

    QTemporaryDir directory_;
    Observer observer_;
};

struct RefusedFile {
    std::string name;
    int size; // -1: no such file, -2: a directory, -3: a named pipe
    std::u16string_view reason;
};

void PrintTo(const RefusedFile& refused, std::ostream* out) {
    *out << refused.name;
}

class FileChecks : public UploadSequence, public ::testing::WithParamInterface<RefusedFile> {};

TEST_P(FileChecks, RefuseWithOneLineAndOpenNoPort) {
    const RefusedFile& refused = GetParam();
    std::u16string path = pathOf(refused.name);
    if (refused.size >= 0) {
        path = writeFile(refused.name, patternBytes(static_cast<std::size_t>(refused.size)));
    } else if (refused.size == -2) {
        std::filesystem::create_directory(std::filesystem::path(path));
    } else if (refused.size == -3) {
        ASSERT_EQ(mkfifo(std::filesystem::path(path).c_str(), 0600), 0);
    }
    ScriptedPort port;
    EXPECT_EQ(upload(path, port), UploadOutcome::FileRefused);
    EXPECT_EQ(observer_.lines,
              std::vector<std::u16string>{path + u" - " + std::u16string(refused.reason)});
    EXPECT_TRUE(port.openedNames.empty());
    EXPECT_TRUE(port.written.empty());
}

INSTANTIATE_TEST_SUITE_P(Refusals, FileChecks,
                         ::testing::Values(RefusedFile{"TooLarge", 2049, u"Datei zu groß"},
                                           RefusedFile{"FarTooLarge", 70000, u"Datei zu groß"},
                                           RefusedFile{"Empty", 0, u"Datei leer"},
                                           RefusedFile{"Missing", -1, u"Datei nicht gefunden"},
                                           RefusedFile{"Directory", -2, u"Datei nicht gefunden"},
                                           RefusedFile{"NamedPipe", -3, u"Datei nicht gefunden"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(UploadSequence, UnreadableFileIsNotFound) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    const auto path = writeFile("locked.bin", patternBytes(10));
    std::filesystem::permissions(std::filesystem::path(path), std::filesystem::perms::none);
    ScriptedPort port;
    EXPECT_EQ(upload(path, port), UploadOutcome::FileRefused);
    EXPECT_EQ(observer_.lines, std::vector<std::u16string>{path + u" - Datei nicht gefunden"});
}

TEST_F(UploadSequence, ReadOnlyFileUploads) {
    const auto bytes = patternBytes(5);
    const auto path = writeFile("readonly.bin", bytes);
    std::filesystem::permissions(std::filesystem::path(path), std::filesystem::perms::owner_read);
    ScriptedPort port;
    EXPECT_EQ(upload(path, port), UploadOutcome::Completed);
    auto padded = bytes;
    padded.resize(128, 0);
    EXPECT_EQ(port.written, expectedWireStream(padded, 1, 0, "E256"));
}

TEST_F(UploadSequence, PortThatDoesNotOpenGivesItsLine) {
    const auto path = writeFile("ok.bin", patternBytes(3));
    ScriptedPort port({}, false);
    EXPECT_EQ(upload(path, port), UploadOutcome::PortRefused);
    EXPECT_EQ(port.openedNames, std::vector<std::u16string>{u"COM7"});
    EXPECT_EQ(observer_.lines,
              std::vector<std::u16string>{
                  u"Fehler beim Öffnen der seriellen Schnittstelle - COM7 nicht gefunden"});
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(observer_.sleeps, 0);
}

TEST_F(UploadSequence, EmptyPortNameIsJustAPortThatDoesNotOpen) {
    const auto path = writeFile("ok.bin", patternBytes(3));
    ScriptedPort port({}, false);
    EXPECT_EQ(upload(path, port, {u"", u"64", 0, 0}), UploadOutcome::PortRefused);
    EXPECT_EQ(observer_.lines,
              std::vector<std::u16string>{
                  u"Fehler beim Öffnen der seriellen Schnittstelle -  nicht gefunden"});
}

struct FlagCase {
    EmulatorSettings emulator;
    std::string_view epromType;
};

class CommandLines : public UploadSequence, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(CommandLines, CarryTheSettings) {
    const auto bytes = patternBytes(1);
    const auto path = writeFile("one.bin", bytes);
    ScriptedPort port;
    ASSERT_EQ(upload(path, port, GetParam().emulator), UploadOutcome::Completed);
    auto padded = bytes;
    padded.resize(128, 0);
    EXPECT_EQ(port.written, expectedWireStream(padded, GetParam().emulator.spiBackup,
                                               GetParam().emulator.autoLoad, GetParam().epromType));
}

INSTANTIATE_TEST_SUITE_P(Settings, CommandLines,
                         ::testing::Values(FlagCase{{u"COM1", u"16", 0, 0}, "16"},
                                           FlagCase{{u"COM1", u"64", 1, 0}, "64"},
                                           FlagCase{{u"COM1", u"E64", 0, 1}, "E64"},
                                           FlagCase{{u"COM1", u"E256", 1, 1}, "E256"},
                                           // a hand-edited file's values go out as they are
                                           FlagCase{{u"COM1", u"512", 2, -1}, "512"}));

TEST_F(UploadSequence, OneByteFileIsOneBlockPaddedWithZeros) {
    const auto path = writeFile("one.bin", {0xA5});
    ScriptedPort port;
    ASSERT_EQ(upload(path, port), UploadOutcome::Completed);
    const std::string expected = ":EMUOFF\n:iniSPI1\n:iniAuto0\n:SBN\n:0\n:128\n\xA5" +
                                 std::string(127, '\0') + ":iniE256\n:EMUON\n";
    EXPECT_EQ(port.written, expected);
}

TEST_F(UploadSequence, SilentEmulatorWaitsThreeSecondsAtEachOfTwentyTwoSteps) {
    const auto path = writeFile("full.bin", patternBytes(2048));
    ScriptedPort port;
    ASSERT_EQ(upload(path, port), UploadOutcome::Completed);
    EXPECT_EQ(observer_.sleeps, 22 * 31);
    EXPECT_EQ(observer_.virtualNow, 22 * 3100);
    EXPECT_EQ(observer_.pumps, 1);
    EXPECT_EQ(observer_.lines,
              (std::vector<std::u16string>{u"COM7 geöffnet, warte auf Eprom Emulator ...",
                                           u"COM7 geschlossen"}));
    EXPECT_EQ(port.closeCount, 1);
}

TEST_F(UploadSequence, RepliesAppearBetweenOpeningAndClosing) {
    const auto path = writeFile("one.bin", patternBytes(1));
    ScriptedPort port({"hallo\r\n", "a\r\n", "b\r\n", "c\r\n", "d\r\n", "e\r\n", "f\r\n"});
    ASSERT_EQ(upload(path, port), UploadOutcome::Completed);
    EXPECT_EQ(observer_.lines, (std::vector<std::u16string>{
                                   u"COM7 geöffnet, warte auf Eprom Emulator ...", u"hallo", u"a",
                                   u"b", u"c", u"d", u"e", u"f", u"COM7 geschlossen"}));
    EXPECT_EQ(observer_.sleeps, 7);
}

TEST_F(UploadSequence, ProgressCountsTheBlocksSent) {
    const auto path = writeFile("three.bin", patternBytes(300));
    ScriptedPort port;
    ASSERT_EQ(upload(path, port), UploadOutcome::Completed);
    EXPECT_EQ(observer_.progress,
              (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
}

} // namespace
} // namespace tovi::testing
