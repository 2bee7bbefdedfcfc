// The image, its listing, the binary file's name and its writing.

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "emulator/object_image.h"
#include "test_support.h"

namespace tovi {
namespace {

using tovi::testing::ScratchDirectory;
using tovi::testing::StatusRecorder;

struct Code {
    int address;
    std::u16string_view byte1, byte2;
};

LineTable tableOf(std::initializer_list<Code> lines) {
    LineTable table;
    int index = 0;
    for (const Code& code : lines) {
        SourceLine& line = table.freshRecord(index++);
        line.address = code.address;
        line.byte1Bits = code.byte1;
        line.byte2Bits = code.byte2;
        line.byteCount = code.byte1.empty() ? 0 : (code.byte2.empty() ? 1 : 2);
    }
    table.lastLine = index - 1;
    return table;
}

TEST(ObjectImage, ListsEveryCodeLineWithFixedWidth) {
    const LineTable table = tableOf({{0, u"00000100", u"00001010"},
                                     {2, u"", u""},
                                     {2, u"00000000", u""},
                                     {0x7F, u"11111111", u""},
                                     {0x7FE, u"00100100", u"11111111"}});
    const ObjectImage image = buildImage(table, 0x00);
    const std::vector<std::u16string> expected = {u"Adr Opcode", u"000 04 0A", u"002 00   ",
                                                  u"07F FF   ", u"7FE 24 FF"};
    EXPECT_EQ(image.listing, expected);
    EXPECT_EQ(image.imageLength(), 2048);
}

TEST(ObjectImage, FillsGapsWithTheFillByte) {
    for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        const ObjectImage image = buildImage(tableOf({{7, u"10000011", u""}}), fill);
        ASSERT_EQ(image.imageLength(), 8);
        for (int a = 0; a < 7; ++a) {
            EXPECT_EQ(image.bytes[a], fill);
        }
        EXPECT_EQ(image.bytes[7], 0x83);
        EXPECT_EQ(image.bytes[8], fill);
    }
}

TEST(ObjectImage, WithoutCodeTheImageIsOneFillByte) {
    const ObjectImage image = buildImage(tableOf({{5, u"", u""}}), 0xFF);
    EXPECT_EQ(image.imageLength(), 1);
    EXPECT_EQ(image.listing, std::vector<std::u16string>{u"Adr Opcode"});
}

TEST(ObjectImage, ALaterLineOverwritesAnEarlierByteAtTheSameAddress) {
    const ObjectImage image =
        buildImage(tableOf({{4, u"00000000", u""}, {4, u"10000011", u""}}), 0);
    EXPECT_EQ(image.bytes[4], 0x83);
    EXPECT_EQ(image.listing.size(), 3u);
}

TEST(ObjectImage, NeverStoresBeyondProgramMemory) {
    const ObjectImage image = buildImage(tableOf({{0x7FF, u"00100100", u"00000001"}}), 0);
    EXPECT_EQ(image.bytes[0x7FF], 0x24);
    EXPECT_EQ(image.imageLength(), 2048);
}

TEST(BinaryPath, ReplacesOnlyTheFileNamesExtension) {
    const struct {
        std::u16string_view source, binary;
    } cases[] = {
        {u"/home/p/blink.asm", u"/home/p/blink.bin"},
        {u"C:\\Projekte\\blink.asm", u"C:\\Projekte\\blink.bin"},
        {u"/asm/x.asm", u"/asm/x.bin"},
        {u"/a.b/prog", u"/a.b/prog.bin"},
        {u"/a/prog.", u"/a/prog.bin"},
        {u"/a/.profile", u"/a/.profile.bin"},
        {u"C:\\a\\.asm", u"C:\\a\\.asm.bin"},
        {u".asm", u".asm.bin"},
        {u"/a/my prog.a sm", u"/a/my prog.a sm.bin"},
        {u"/a/x.tar.gz", u"/a/x.tar.bin"},
        {u"/a/prog.BIN", u"/a/prog.bin"},
        {u"/a/prog.bin", u"/a/prog.bin.bin"}, // never the source itself
    };
    for (const auto& c : cases) {
        EXPECT_EQ(binaryPathFor(c.source), c.binary) << toUtf8(c.source);
    }
}

TEST(BinaryFile, IsWrittenBesideTheSourceAndReported) {
    ScratchDirectory dir;
    StatusRecorder status;
    const std::u16string source = dir.file("blink.asm");
    const auto built = buildObjectImage(tableOf({{0, u"00000100", u"00001010"}}),
                                        {source, {}, 0x00}, status.sink());
    const std::u16string binary = dir.file("blink.bin");
    ASSERT_EQ(built.binaryPath, binary);
    EXPECT_EQ(readFileBytes(toPath(binary)), std::string("\x04\x0A", 2));
    EXPECT_EQ(status.lines, std::vector<std::u16string>{binary + u" (2 Byte) gespeichert"});
}

TEST(BinaryFile, AShorterProgramLeavesAShorterFile) {
    ScratchDirectory dir;
    StatusRecorder status;
    const std::u16string source = dir.file("p.asm");
    buildObjectImage(tableOf({{9, u"00000001", u""}}), {source, {}, 0xFF}, status.sink());
    buildObjectImage(tableOf({{0, u"00000001", u""}}), {source, {}, 0xFF}, status.sink());
    EXPECT_EQ(readFileBytes(dir.path() / "p.bin"), "\x01");
}

TEST(BinaryFile, WithoutASourcePathNothingIsWritten) {
    StatusRecorder status;
    const auto built = buildObjectImage(tableOf({{0, u"00000001", u""}}), {}, status.sink());
    EXPECT_FALSE(built.binaryPath.has_value());
    EXPECT_TRUE(status.lines.empty());
    EXPECT_EQ(built.image.listing.size(), 2u);
}

TEST(BinaryFile, AFailedWriteIsReportedAndKeepsTheEarlierFile) {
    ScratchDirectory dir;
    StatusRecorder status;
    std::filesystem::create_directory(dir.path() / "p.bin"); // a directory blocks the file
    const auto built = buildObjectImage(tableOf({{0, u"00000001", u""}}),
                                        {dir.file("p.asm"), {}, 0}, status.sink());
    ASSERT_TRUE(built.binaryPath.has_value());
    EXPECT_TRUE(built.binaryPath->empty());
    EXPECT_EQ(status.lines, std::vector<std::u16string>{u"Fehler beim Speichern der Binärdatei " +
                                                        dir.file("p.bin")});
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "p.bin"));
}

TEST(BinaryFile, GoesWhereTheOverrideSays) {
    ScratchDirectory dir;
    StatusRecorder status;
    const std::u16string target = dir.file("rom.img");
    const auto built = buildObjectImage(tableOf({{1, u"00000001", u""}}),
                                        {dir.file("p.asm"), target, 0xFF}, status.sink());
    EXPECT_EQ(built.binaryPath, target);
    EXPECT_EQ(readFileBytes(toPath(target)), "\xFF\x01");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "p.bin"));
}

} // namespace
} // namespace tovi
