// tovi-upload as a process: its options, exit status and the refusals it
// reports. The upload itself is the library's, tested over a pseudo-terminal.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "common/file_io.h"

namespace {

struct ProcessResult {
    int exitCode = -1;
    QString out;
    QString err;
};

class ToviUpload : public ::testing::Test {
protected:
    ProcessResult run(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(directory_.path());
        process.start(TOVI_UPLOAD_EXECUTABLE, arguments);
        EXPECT_TRUE(process.waitForFinished(20000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString writeFile(const QString& name, const QByteArray& content) {
        QFile file(directory_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return name;
    }

    QTemporaryDir directory_;
};

struct UsageError {
    std::string name;
    QStringList arguments;
};

void PrintTo(const UsageError& error, std::ostream* out) {
    *out << error.name;
}

class RejectsUsage : public ToviUpload, public ::testing::WithParamInterface<UsageError> {};

TEST_P(RejectsUsage, WithStatusTwoAndAMessage) {
    writeFile("a.bin", "x");
    const ProcessResult result = run(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(result.err.startsWith("tovi-upload: ")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Aufruf: tovi-upload"));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RejectsUsage,
    ::testing::Values(UsageError{"NoBinary", {}}, UsageError{"TwoBinaries", {"a.bin", "b.bin"}},
                      UsageError{"UnknownOption", {"--baud", "9600", "a.bin"}},
                      UsageError{"PortWithoutValue", {"a.bin", "--port"}},
                      UsageError{"SpiTwo", {"--spi", "2", "a.bin"}},
                      UsageError{"AutoWord", {"--auto", "ja", "a.bin"}},
                      UsageError{"EpromUnknown", {"--eprom", "2764", "a.bin"}},
                      UsageError{"EpromLowerCase", {"--eprom", "e64", "a.bin"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ToviUpload, HelpPrintsUsageAndSucceeds) {
    const ProcessResult result = run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.startsWith("Aufruf: tovi-upload [--port COMn]"));
}

struct Refusal {
    std::string name;
    QByteArray content; // empty name of file: missing
    bool create;
    QString line;
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class RefusesFile : public ToviUpload, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusesFile, WithStatusOneAndItsLineOnStdout) {
    if (GetParam().create) {
        writeFile("image.bin", GetParam().content);
    }
    const ProcessResult result = run({"image.bin"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "image.bin - " + GetParam().line + "\n");
}

INSTANTIATE_TEST_SUITE_P(Files, RefusesFile,
                         ::testing::Values(Refusal{"Missing", {}, false, "Datei nicht gefunden"},
                                           Refusal{"Empty", {}, true, "Datei leer"},
                                           Refusal{"TooLarge", QByteArray(2049, 'x'), true,
                                                   "Datei zu groß"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ToviUpload, TakesThePortFromToviIni) {
    writeFile("a.bin", "x");
    const QByteArray ini = "\xEF\xBB\xBF\r\n[Emulator]\r\nCOM = COM77\r\n";
    writeFile("tovi.ini", ini);
    const ProcessResult result = run({"a.bin"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out,
              "Fehler beim Öffnen der seriellen Schnittstelle - COM77 nicht gefunden\n");
}

TEST_F(ToviUpload, PortOptionOverridesToviIniWithoutWritingIt) {
    writeFile("a.bin", "x");
    const QByteArray ini = "\xEF\xBB\xBF\r\n[Emulator]\r\nCOM = COM77\r\nEPROM = 16\r\n";
    writeFile("tovi.ini", ini);
    const ProcessResult result =
        run({"--port", "COM88", "--eprom", "E256", "--spi", "1", "--auto", "1", "a.bin"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out,
              "Fehler beim Öffnen der seriellen Schnittstelle - COM88 nicht gefunden\n");
    QFile file(directory_.filePath("tovi.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ini);
}

TEST_F(ToviUpload, WithoutToviIniUsesComFourAndWritesNoFile) {
    writeFile("a.bin", "x");
    const ProcessResult result = run({"a.bin", "--port", "COM0"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.contains("COM0 nicht gefunden"));
    EXPECT_FALSE(QFile::exists(directory_.filePath("tovi.ini")));
}

} // namespace
