// Text helpers, code pages, source text and atomic file writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/codepage.h"
#include "common/file_io.h"
#include "common/source_text.h"
#include "common/text.h"
#include "test_support.h"

namespace tovi {
namespace {

namespace fs = std::filesystem;

TEST(TextCase, LowerCasesAsciiAndWindows1252Letters) {
    const struct {
        std::u16string_view upper, lower;
    } cases[] = {
        {u"MOV A,R0", u"mov a,r0"}, {u"ÄÖÜ", u"äöü"}, {u"ÀÞ", u"àþ"},
        {u"Š Œ Ž Ÿ", u"š œ ž ÿ"},   {u"×ß§", u"×ß§"}, {u"#§DATA§", u"#§data§"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toLowerCase(c.upper), c.lower);
        EXPECT_TRUE(equalsIgnoringCase(c.upper, c.lower));
    }
    EXPECT_FALSE(equalsIgnoringCase(u"abc", u"abd"));
    EXPECT_FALSE(equalsIgnoringCase(u"abc", u"ab"));
}

TEST(TextTrim, RemovesOnlyBlanks) {
    EXPECT_EQ(trimBlanks(u"  a b  "), u"a b");
    EXPECT_EQ(trimBlanks(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(trimBlanks(u"    "), u"");
    EXPECT_EQ(trimBlanks(u""), u"");
}

TEST(TextDecimal, WritesSignedNumbers) {
    EXPECT_EQ(decimalText(0), u"0");
    EXPECT_EQ(decimalText(-42), u"-42");
    EXPECT_EQ(decimalText(INT64_MIN), u"-9223372036854775808");
}

TEST(TextUtf8, RoundTripsAllPlanes) {
    const std::u16string text = u"Grüße € \U0001F600";
    EXPECT_EQ(toUtf8(text), "Grüße € \xF0\x9F\x98\x80");
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("\xFF"), u"\uFFFD");
}

TEST(Windows1252, DecodesEveryByteWithoutFailing) {
    EXPECT_EQ(decodeWindows1252("\x80\x8A\x9F\xE4\xA7"), u"€ŠŸä§");
    for (const char unassigned : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
        const std::u16string decoded = decodeWindows1252(std::string(1, unassigned));
        EXPECT_EQ(decoded.front(), static_cast<unsigned char>(unassigned));
    }
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    bool lossy = true;
    EXPECT_EQ(encodeWindows1252(decodeWindows1252(all), &lossy), all);
    EXPECT_FALSE(lossy);
}

TEST(Windows1252, WritesUnrepresentableCharactersAsQuestionMarks) {
    bool lossy = false;
    EXPECT_EQ(encodeWindows1252(u"a\u4E2Db\U0001F600c", &lossy), "a?b?c");
    EXPECT_TRUE(lossy);
}

TEST(Latin1, MapsBytesToTheSameCodePoints) {
    EXPECT_EQ(decodeLatin1("\x80\xE4"), u"\u0080ä");
}

TEST(SourceText, StopsAtTheFirstNulByte) {
    EXPECT_EQ(decodeSourceBytes(std::string("nop\0ret", 7)), u"nop");
    EXPECT_EQ(decodeSourceBytes(std::string("\0", 1)), u"");
}

TEST(SourceText, SplitsAtEveryKindOfLineEnd) {
    const struct {
        std::u16string_view text;
        std::vector<std::u16string> lines;
    } cases[] = {
        {u"", {u""}},
        {u"a", {u"a"}},
        {u"a\r\nb", {u"a", u"b"}},
        {u"a\nb\rc", {u"a", u"b", u"c"}},
        {u"a\r\n", {u"a", u""}},
        {u"a\n\r\nb", {u"a", u"", u"b"}},
        {u"a\r\rb", {u"a", u"", u"b"}},
        {u"\n\r", {u"", u"", u""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitLines(c.text), c.lines) << toUtf8(c.text);
    }
}

TEST(SourceText, OnlyBlanksMeansNothingToAssemble) {
    EXPECT_TRUE(holdsOnlyBlanks(splitLines(u"")));
    EXPECT_TRUE(holdsOnlyBlanks(splitLines(u"    ")));
    EXPECT_FALSE(holdsOnlyBlanks(splitLines(u"\t")));
    EXPECT_FALSE(holdsOnlyBlanks(splitLines(u"\n")));
    EXPECT_FALSE(holdsOnlyBlanks(splitLines(u"; nur ein Kommentar")));
}

class AtomicWrite : public ::testing::Test {
protected:
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory_), {}));
    }

    tovi::testing::ScratchDirectory scratch_;
    const fs::path& directory_ = scratch_.path();
};

TEST_F(AtomicWrite, ReplacesTheWholeFile) {
    const fs::path file = directory_ / "a.bin";
    ASSERT_TRUE(writeFileAtomically(file, std::string(100, 'x')));
    ASSERT_TRUE(writeFileAtomically(file, std::string("\0\1", 2)));
    EXPECT_EQ(readFileBytes(file), std::string("\0\1", 2));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicWrite, FailureLeavesTheEarlierFileAndNoLeftovers) {
    const fs::path file = directory_ / "a.bin";
    ASSERT_TRUE(writeFileAtomically(file, "alt"));
    EXPECT_FALSE(writeFileAtomically(directory_, "neu"));     // a directory is never replaced
    EXPECT_FALSE(writeFileAtomically(file / "unter", "neu")); // parent is a file
    EXPECT_EQ(readFileBytes(file), "alt");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicWrite, KeepsThePermissionsOfAReplacedFile) {
    const fs::path file = directory_ / "a.asm";
    ASSERT_TRUE(writeFileAtomically(file, "alt"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writeFileAtomically(file, "neu"));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicWrite, ReadRefusesMissingFilesAndDirectories) {
    EXPECT_FALSE(readFileBytes(directory_ / "fehlt").has_value());
    EXPECT_FALSE(readFileBytes(directory_).has_value());
    std::ofstream(directory_ / "leer");
    EXPECT_EQ(readFileBytes(directory_ / "leer"), "");
}

} // namespace
} // namespace tovi
