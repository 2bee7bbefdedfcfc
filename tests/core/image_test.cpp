// The object image: its listing, its bytes, the binary file's name and how
// that file is written, replaced or refused.

#include <sys/stat.h>

#include "image/intel_hex.h"
#include "image/object_image.h"
#include "support.h"

namespace tovi::test {
namespace {

TEST(Image, ListsEachCodeLineAtFixedWidthAndStoresItsBytes) {
    const Assembled run = assembleText(u"jmp x\norg 2\nx: nop\norg 7Fh\ndb 0FFh\norg 7FEh\njmp x\n"
                                       u"org 4\nnop\norg 4\nret",
                                       {}, 0xFF);
    const auto& image = run.result.image;
    EXPECT_EQ(image.listing,
              (std::vector<std::u16string>{u"Adr Opcode", u"000 04 02", u"002 00   ", u"004 00   ",
                                           u"004 83   ", u"07F FF   ", u"7FE 04 02"}));
    EXPECT_EQ(image.imageLength(), 2048);
    const std::pair<int, int> bytes[] = {{0, 0x04}, {1, 0x02},    {2, 0x00},     {3, 0xFF},
                                         {4, 0x83}, {0x7F, 0xFF}, {0x7FE, 0x04}, {0x7FF, 0x02}};
    for (const auto& [address, value] : bytes) {
        EXPECT_EQ(image.bytes[static_cast<std::size_t>(address)], value) << address;
        // the fill byte at 003H holds nothing of the source
        EXPECT_EQ(image.occupied.test(static_cast<std::size_t>(address)), address != 3) << address;
    }
    EXPECT_EQ(image.occupied.count(), std::size(bytes) - 1);
}

TEST(Image, NamesTheBinaryFileByReplacingOnlyTheExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/p/blink.asm", "/home/p/blink.bin"},
        {"C:\\Projekte\\blink.asm", "C:\\Projekte\\blink.bin"},
        {"/a.b/prog", "/a.b/prog.bin"},
        {"/a/prog.", "/a/prog.bin"},
        {"/a/.profile", "/a/.profile.bin"},
        {".asm", ".asm.bin"},
        {"/a/x.tar.gz", "/a/x.tar.bin"},
        {"/a/prog.BIN", "/a/prog.bin"},
        {"/a/prog.bin", "/a/prog.bin.bin"},
        {"/a/mein programm .asm", "/a/mein programm .bin"},
        {"/a/caf\xE9.asm", "/a/caf\xE9.bin"}, // Latin-1 bytes stay as they are
    };
    for (const auto& [source, binary] : cases) {
        EXPECT_EQ(binaryPathFor(source).native(), binary) << source;
    }
}

TEST(Image, WritesTheBinaryBesideTheSourceBeforeTheSummary) {
    Scratch dir;
    const Assembled first = assembleText(u"org 7\nnop", fromUtf8(dir / "hallowelt.asm"));
    const std::u16string binary = fromUtf8(dir / "hallowelt.bin");
    EXPECT_EQ(first.result.binaryPath, binary);
    EXPECT_EQ(first.status, (std::vector<std::u16string>{binary + u" (8 Byte) gespeichert",
                                                         u"Assemblieren ohne Fehler beendet."}));
    EXPECT_EQ(fileBytes(dir / "hallowelt.bin"), std::string(8, '\0'));
    assembleText(u"db 1", fromUtf8(dir / "hallowelt.asm"));
    EXPECT_EQ(fileBytes(dir / "hallowelt.bin"), "\x01"); // a shorter program, a shorter file
    EXPECT_FALSE(assembleText(u"db 1").result.binaryPath.has_value());
    EXPECT_FALSE(assembleText(u" xyz", fromUtf8(dir / "p.asm")).result.binaryPath.has_value());
    EXPECT_FALSE(fs::exists(dir / "p.bin"));
}

// A write that cannot happen is reported, and the file that was there stays.
TEST(Image, RefusesWhatItMayNotReplace) {
    Scratch dir;
    fs::create_directory(dir / "dir.bin");
    writeFile(dir / "locked.bin", "old");
    chmod((dir / "locked.bin").c_str(), 0444);
    writeFile(dir / "self.asm", "db 1");
    fs::create_symlink(dir / "self.asm", dir / "self.bin");
    for (const std::string name : {"dir", "locked", "self"}) {
        const Assembled run = assembleText(u"db 1", fromUtf8(dir / (name + ".asm")));
        ASSERT_TRUE(run.result.binaryPath.has_value()) << name;
        EXPECT_TRUE(run.result.binaryPath->empty()) << name;
        EXPECT_EQ(run.status.front(),
                  u"Fehler beim Speichern der Binärdatei " + fromUtf8(dir / (name + ".bin")));
    }
    EXPECT_EQ(fileBytes(dir / "locked.bin"), "old");
    EXPECT_EQ(fileBytes(dir / "self.asm"), "db 1");
}

TEST(Image, WritesAndReadsIntelHex) {
    const std::vector<std::uint8_t> seventeen = {
        0x04, 0x0B, 0, 0, 0, 0, 0, 0x04, 0x09, 0x1F, 0x93, 0x23, 0xFE, 0x39, 0x25, 0x55, 0xBA};
    EXPECT_EQ(toIntelHex(seventeen), ":10000000040B000000000004091F9323FE3925554E\r\n"
                                     ":01001000BA35\r\n:00000001FF\r\n");
    std::vector<std::uint8_t> full(2048);
    for (std::size_t i = 0; i < full.size(); ++i) {
        full[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    EXPECT_EQ(fromIntelHex(toIntelHex(full), 0x7FF).bytes, full);
    const std::pair<std::string, std::u16string_view> refusals[] = {
        {":0100000001FF\n:00000001FF\n", u"Zeile 1: Prüfsumme falsch"},
        {":01080000AA4D\n:00000001FF\n", u"Zeile 1: Adresse außerhalb des Programmspeichers"},
        {":0100000001FE\n", u"Zeile 1: Endedatensatz fehlt"},
        {":01000000\n:00000001FF\n", u"Zeile 1: kein gültiger Intel-HEX-Datensatz"},
        {":0100000001FE0\n:00000001FF\n", u"Zeile 1: kein gültiger Intel-HEX-Datensatz"},
        {":020000040001F9\n:00000001FF\n", u"Zeile 1: Datensatztyp 4 wird nicht unterstützt"},
        {":020000021000EC\n:00000001FF\n", u"Zeile 1: Datensatztyp 2 wird nicht unterstützt"},
        {":00000001FF\n", u"Zeile 1: keine Daten vor dem Endedatensatz"},
        {":0100000042BD\n:00000001FF\n\x1A:", u"Zeile 2: Text nach dem Endedatensatz"},
        {"\n:0100000042BD\x1A\n:00000001FF", u"Zeile 2: kein gültiger Intel-HEX-Datensatz"},
        {":0100000042BD :00000001FF", u"Zeile 1: kein gültiger Intel-HEX-Datensatz"},
    };
    for (const auto& [text, problem] : refusals) {
        const HexImage image = fromIntelHex(text, 0x7FF);
        EXPECT_TRUE(image.bytes.empty()) << text;
        EXPECT_EQ(image.problem, problem) << text;
    }
    // A gap no record fills reads as an erased EPROM; blank lines and LF or CR LF are fine,
    // and so are a byte-order mark, blanks, base addresses of 0, start addresses and
    // what editors leave after the end.
    EXPECT_EQ(fromIntelHex(":0100020042BB\r\n\r\n:00000001FF", 0x7FF).bytes,
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0x42}));
    const char surrounded[] = "\xEF\xBB\xBF\n \t:020000040000FA\r\n:020000020000FC\n"
                              ":0100000042BD \n:0400000300000000F9\n:0400000500000000F7\n"
                              ":00000001FF\r\n\x1A\0\0 \n";
    EXPECT_EQ(fromIntelHex(std::string_view(surrounded, sizeof surrounded - 1), 0x7FF).bytes,
              std::vector<std::uint8_t>{0x42});
    for (const std::string_view hex :
         {std::string_view(":00000001FF\r\n\x1A\0", 15), std::string_view(":x"),
          std::string_view("\xEF\xBB\xBF\r\n\t :x")}) {
        EXPECT_TRUE(looksLikeIntelHex(hex)) << hex;
    }
    for (const std::string_view raw :
         {std::string_view("\x04\x0B"), std::string_view("\xEF:"), std::string_view("00000001FF"),
          std::string_view(" \n"), std::string_view(":\x04\x10")}) { // outl p2,a; jmp 010H
        EXPECT_FALSE(looksLikeIntelHex(raw)) << raw;
    }
}

} // namespace
} // namespace tovi::test
