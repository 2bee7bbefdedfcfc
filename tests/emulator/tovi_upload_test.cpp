// tovi-upload as a process: its options, exit status and the refusals it
// reports. The upload itself is the library's, tested over a pseudo-terminal.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace tovi::test {
namespace {

struct Call {
    const char* name;
    QStringList arguments;
    QByteArray ini; // tovi.ini beside "a.bin"; empty: none
    int exitCode;
    QString out;
    QString errStart;
};

const QByteArray iniWithPort = "\xEF\xBB\xBF\r\n[Emulator]\r\nCOM = COM77\r\nEPROM = 16\r\n";
const QString usage = "tovi-upload: ";
const QString portError = "Fehler beim Öffnen der seriellen Schnittstelle - ";

TEST(ToviUpload, ExitsWithItsStatusAndLeavesToviIniAsItWas) {
    // clang-format off
    const Call runs[] = {
        {"no binary", {}, {}, 2, {}, usage + "DATEI fehlt"},
        {"faulty Intel HEX", {"bad.hex"}, {}, 1,
         "bad.hex - Intel HEX fehlerhaft, Zeile 1: Prüfsumme falsch\n", {}},
        {"two binaries", {"a.bin", "b.bin"}, {}, 2, {}, usage + "unerwartetes Argument: b.bin"},
        {"unknown option", {"--baud", "9600", "a.bin"}, {}, 2, {}, usage},
        {"port without value", {"a.bin", "--port"}, {}, 2, {}, usage + "--port erwartet einen Wert"},
        {"spi 2", {"--spi", "2", "a.bin"}, {}, 2, {}, usage + "--spi erwartet 0 oder 1"},
        {"lower-case type", {"--eprom", "e64", "a.bin"}, {}, 2, {}, usage + "--eprom erwartet 16, 32"},
        {"missing file", {"image.bin"}, {}, 1, "image.bin - Datei nicht gefunden\n", {}},
        {"port from tovi.ini", {"a.bin"}, iniWithPort, 1, portError + "COM77 nicht gefunden\n", {}},
        {"options override", {"--port", "COM88", "--eprom", "E256", "--spi", "1", "a.bin"},
         iniWithPort, 1, portError + "COM88 nicht gefunden\n", {}},
        {"control characters", {"a.bin", "--port", "CO\x1B[2JM"}, {}, 1,
         portError + "CO?[2JM nicht gefunden\n", {}},
        {"help", {"--help"}, {}, 0, {}, {}},
    };
    // clang-format on
    for (const Call& run : runs) {
        QTemporaryDir directory;
        QFile binary(directory.filePath("a.bin"));
        ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
        binary.write("x");
        binary.close();
        QFile hex(directory.filePath("bad.hex"));
        ASSERT_TRUE(hex.open(QIODevice::WriteOnly));
        hex.write(":0100000001FF\r\n:00000001FF\r\n");
        hex.close();
        if (!run.ini.isEmpty()) {
            QFile ini(directory.filePath("tovi.ini"));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(run.ini);
        }
        QProcess process;
        process.setWorkingDirectory(directory.path());
        process.start(TOVI_UPLOAD_EXECUTABLE, run.arguments);
        ASSERT_TRUE(process.waitForFinished(20000)) << run.name;
        EXPECT_EQ(process.exitCode(), run.exitCode) << run.name;
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        if (run.exitCode == 0) {
            EXPECT_TRUE(out.startsWith("Aufruf: tovi-upload [OPTIONEN] [DATEI]")) << run.name;
        } else {
            EXPECT_EQ(out, run.out) << run.name;
        }
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(err.startsWith(run.errStart)) << run.name << ": " << err.toStdString();
        QFile ini(directory.filePath("tovi.ini"));
        EXPECT_EQ(ini.exists(), !run.ini.isEmpty()) << run.name;
        if (ini.open(QIODevice::ReadOnly)) {
            EXPECT_EQ(ini.readAll(), run.ini);
        }
    }
}

// Each line a port that opens and its device; none at all is an error.
TEST(ToviUpload, ListsThePortsThatOpen) {
    QProcess process;
    process.start(TOVI_UPLOAD_EXECUTABLE, {"--list-ports"});
    ASSERT_TRUE(process.waitForFinished(20000));
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(process.exitCode(), lines.isEmpty() ? 1 : 0);
    for (const QString& line : lines) {
        EXPECT_TRUE(
            QRegularExpression("^COM[1-5]?[0-9] /dev/tty(S|USB|ACM)[0-9]+$").match(line).hasMatch())
            << line.toStdString();
    }
}

} // namespace
} // namespace tovi::test
