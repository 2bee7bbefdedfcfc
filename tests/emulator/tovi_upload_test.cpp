// tovi-upload as a process: its options, exit status and the refusals it
// reports. The upload itself is the library's, tested over a pseudo-terminal.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Run {
    const char* name;
    QStringList arguments;
    QByteArray ini; // tovi.ini beside "a.bin"; empty: none
    int exitCode;
    QString out;
    QString errStart;
};
// Test names and messages show the case, not its bytes.
void PrintTo(const Run& c, std::ostream* out) {
    *out << c.name;
}

class ToviUpload : public ::testing::TestWithParam<Run> {
protected:
    // Runs in a directory holding "a.bin" and, unless `ini` is empty, tovi.ini.
    QProcess& run(const QStringList& arguments, const QByteArray& ini) {
        writeFile("a.bin", "x");
        if (!ini.isEmpty()) {
            writeFile("tovi.ini", ini);
        }
        process_.setWorkingDirectory(directory_.path());
        process_.start(TOVI_UPLOAD_EXECUTABLE, arguments);
        EXPECT_TRUE(process_.waitForFinished(20000));
        return process_;
    }

    void writeFile(const QString& name, const QByteArray& content) {
        QFile file(directory_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir directory_;
    QProcess process_;
};

TEST_P(ToviUpload, ExitsWithItsStatusAndLeavesToviIniAsItWas) {
    QProcess& process = run(GetParam().arguments, GetParam().ini);
    EXPECT_EQ(process.exitCode(), GetParam().exitCode);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), GetParam().out);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.startsWith(GetParam().errStart)) << err.toStdString();
    QFile ini(directory_.filePath("tovi.ini"));
    EXPECT_EQ(ini.exists(), !GetParam().ini.isEmpty());
    if (ini.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(ini.readAll(), GetParam().ini);
    }
}

const QByteArray iniWithPort = "\xEF\xBB\xBF\r\n[Emulator]\r\nCOM = COM77\r\nEPROM = 16\r\n";
const QString usageError = "tovi-upload: ";
const QString portError = "Fehler beim Öffnen der seriellen Schnittstelle - ";

INSTANTIATE_TEST_SUITE_P(
    Usage, ToviUpload,
    ::testing::Values(Run{"NoBinary", {}, {}, 2, {}, usageError},
                      Run{"TwoBinaries", {"a.bin", "b.bin"}, {}, 2, {}, usageError},
                      Run{"UnknownOption", {"--baud", "9600", "a.bin"}, {}, 2, {}, usageError},
                      Run{"PortWithoutValue", {"a.bin", "--port"}, {}, 2, {}, usageError},
                      Run{"SpiTwo", {"--spi", "2", "a.bin"}, {}, 2, {}, usageError},
                      Run{"AutoWord", {"--auto", "ja", "a.bin"}, {}, 2, {}, usageError},
                      Run{"EpromLowerCase", {"--eprom", "e64", "a.bin"}, {}, 2, {}, usageError}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Refusals, ToviUpload,
    ::testing::Values(
        Run{"MissingFile", {"image.bin"}, {}, 1, "image.bin - Datei nicht gefunden\n", {}},
        Run{"PortFromToviIni", {"a.bin"}, iniWithPort, 1, portError + "COM77 nicht gefunden\n", {}},
        Run{"OptionsOverrideToviIni",
            {"--port", "COM88", "--eprom", "E256", "--spi", "1", "--auto", "1", "a.bin"},
            iniWithPort,
            1,
            portError + "COM88 nicht gefunden\n",
            {}},
        Run{"WithoutToviIni",
            {"a.bin", "--port", "COM0"},
            {},
            1,
            portError + "COM0 nicht gefunden\n",
            {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToviUploadHelp, PrintsUsageAndSucceeds) {
    QProcess process;
    process.start(TOVI_UPLOAD_EXECUTABLE, {"--help"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().startsWith("Aufruf: tovi-upload [OPTIONEN] DATEI"));
}

} // namespace
