// tovi-upload as a process: its options, exit status and the refusals it
// reports. The upload itself is the library's, tested over a pseudo-terminal.

#include <regex>

#include "support/process.h"

namespace tovi::test {
namespace {

struct Call {
    const char* name;
    std::vector<std::string> arguments;
    std::string ini; // tovi.ini beside "a.bin"; empty: none
    int exitStatus;
    std::string out;
    std::string errStart;
};

const std::string iniWithPort = "\xEF\xBB\xBF\r\n[Emulator]\r\nCOM = COM77\r\nEPROM = 16\r\n";
const std::string usage = "tovi-upload: ";
const std::string portError = "Fehler beim Öffnen der seriellen Schnittstelle - ";

TEST(ToviUpload, ExitsWithItsStatusAndLeavesToviIniAsItWas) {
    // clang-format off
    const Call runs[] = {
        {"no binary", {}, {}, 2, {}, usage + "DATEI fehlt"},
        {"faulty Intel HEX after a byte-order mark, name in Latin-1", {"b\xE4r.hex"}, {}, 1,
         "b\uFFFDr.hex - Intel HEX fehlerhaft, Zeile 2: Prüfsumme falsch\n", {}},
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
    for (const Call& call : runs) {
        Scratch dir;
        writeFile(dir / "a.bin", "x");
        writeFile(dir / "b\xE4r.hex", "\xEF\xBB\xBF\r\n:0100000001FF\r\n:00000001FF\r\n\x1A");
        if (!call.ini.empty()) {
            writeFile(dir / "tovi.ini", call.ini);
        }
        const ProcessRun run = runProgram(TOVI_UPLOAD_EXECUTABLE, call.arguments, dir);
        EXPECT_EQ(run.exitStatus, call.exitStatus) << call.name;
        if (call.exitStatus == 0) {
            EXPECT_TRUE(run.out.starts_with("Aufruf: tovi-upload [OPTIONEN] [DATEI]")) << call.name;
        } else {
            EXPECT_EQ(run.out, call.out) << call.name;
        }
        EXPECT_TRUE(run.err.starts_with(call.errStart)) << call.name << ": " << run.err;
        EXPECT_EQ(fileBytes(dir / "tovi.ini"), call.ini.empty() ? "<missing>" : call.ini);
    }
}

// Each line a port that opens and its device; none at all is an error.
TEST(ToviUpload, ListsThePortsThatOpen) {
    Scratch dir;
    const ProcessRun run = runProgram(TOVI_UPLOAD_EXECUTABLE, {"--list-ports"}, dir);
    EXPECT_EQ(run.exitStatus, run.out.empty() ? 1 : 0);
    const std::regex line("(COM[1-5]?[0-9] /dev/tty(S|USB|ACM)[0-9]+\n)*");
    EXPECT_TRUE(std::regex_match(run.out, line)) << run.out;
}

} // namespace
} // namespace tovi::test
