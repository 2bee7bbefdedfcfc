// The common layer: text helpers, code pages, lines and file access.

#include <sys/stat.h>

#include "common/codepage.h"
#include "support.h"

namespace tovi::test {
namespace {

TEST(Common, FoldsCaseForAsciiAndWindows1252Letters) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"MOV A,R0", u"mov a,r0"}, {u"ÄÖÜ", u"äöü"}, {u"ÀÞ", u"àþ"},
        {u"Š Œ Ž Ÿ", u"š œ ž ÿ"},   {u"×ß§", u"×ß§"}, {u"#§DATA§", u"#§data§"},
    };
    for (const auto& [upper, lower] : cases) {
        EXPECT_EQ(toLowerCase(upper), lower);
        EXPECT_TRUE(equalsIgnoringCase(upper, lower));
    }
    EXPECT_FALSE(equalsIgnoringCase(u"abc", u"abd"));
    EXPECT_FALSE(equalsIgnoringCase(u"abc", u"ab"));
    EXPECT_EQ(trimBlanks(u"  a b  "), u"a b");
    EXPECT_EQ(trimBlanks(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(trimBlanks(u"    "), u"");
    EXPECT_EQ(decimalText(-42), u"-42");
    EXPECT_EQ(decimalText(INT64_MIN), u"-9223372036854775808");
    EXPECT_EQ(readDigits(u"102", 2), 2); // up to the first digit outside the base
    EXPECT_EQ(readDigits(u"1fg", 16), 31);
}

TEST(Common, ConvertsBetweenEncodings) {
    EXPECT_EQ(toUtf8(u"Grüße € \U0001F600"), "Grüße € \xF0\x9F\x98\x80");
    EXPECT_EQ(toUtf8(u"\uFFFDz"), "\xEF\xBF\xBDz"); // above the surrogates, no pair
    EXPECT_EQ(fromUtf8("Grüße € \xF0\x9F\x98\x80\xF0\x90\x80\x80"),
              u"Grüße € \U0001F600\U00010000");
    EXPECT_EQ(fromUtf8("\xFF\xC3\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD"); // beyond U+10FFFF
    EXPECT_EQ(fromUtf8("\xF0\x9F\x98\x41"), u"\uFFFD\uFFFD\uFFFDA");        // cut short before "A"
    EXPECT_EQ(decodeWindows1252("\x80\x8A\x9F\xE4\x81"), u"€ŠŸä\u0081");
    EXPECT_EQ(decodeLatin1("\x80\xE4"), u"\u0080ä");
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    bool lossy = true;
    EXPECT_EQ(encodeWindows1252(decodeWindows1252(all), &lossy), all);
    EXPECT_FALSE(lossy);
    EXPECT_EQ(encodeWindows1252(u"a\u4E2Db\U0001F600c", &lossy), "a?b?c");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(encodeWindows1252(u"a\xD83D\xE000"), "a??"); // a high surrogate alone
}

TEST(Common, SplitsLinesAtEveryKindOfLineEnd) {
    const std::pair<std::u16string_view, std::vector<std::u16string>> cases[] = {
        {u"", {u""}},
        {u"a\r\nb", {u"a", u"b"}},
        {u"a\nb\rc", {u"a", u"b", u"c"}},
        {u"a\r\n", {u"a", u""}},
        {u"a\n\r\nb", {u"a", u"", u"b"}},
        {u"a\r\rb", {u"a", u"", u"b"}},
    };
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(splitLines(text), lines) << toUtf8(text);
    }
    EXPECT_EQ(decodeSourceBytes(std::string("nop\0ret", 7)), u"nop");
    EXPECT_TRUE(holdsOnlyBlanks(splitLines(u"    ")));
    EXPECT_FALSE(holdsOnlyBlanks(splitLines(u"\t")));
    EXPECT_FALSE(holdsOnlyBlanks(splitLines(u"\n")));
}

TEST(Common, ShowsControlCharactersAsQuestionMarks) {
    EXPECT_EQ(withoutControlCharacters(u"a\nb\r\x1B[2J\a\tc\x7F\u0085ä€"), u"a?b??[2J?\tc??ä€");
    EXPECT_EQ(printableText("caf\xE9\x1B[2J"), "caf\uFFFD?[2J"); // bytes from outside
    EXPECT_EQ(excerpt("äöü", 2), "äö…");
    EXPECT_EQ(excerpt("äö", 2), "äö");
}

TEST(Common, ReadsFilesWithinLimitsAndUpToNul) {
    Scratch dir;
    writeFile(dir / "f", std::string("abc\0def", 7));
    EXPECT_EQ(readFileBytes(dir / "f"), std::string("abc\0def", 7));
    EXPECT_EQ(readFileBytes(dir / "f", 7), std::string("abc\0def", 7));
    EXPECT_EQ(readFileBytes(dir / "f", 6), std::nullopt);
    EXPECT_EQ(readFileStart(dir / "f", 4), std::string("abc\0", 4));
    EXPECT_EQ(readBytesUpToNul(dir / "f"), "abc");
    writeFile(dir / "big", std::string(200'000, 'x') + '\0' + "tail");
    EXPECT_EQ(readBytesUpToNul(dir / "big"), std::string(200'000, 'x'));
    EXPECT_EQ(readFileBytes(dir.path()), std::nullopt);
    EXPECT_EQ(readBytesUpToNul(dir / "missing"), std::nullopt);
}

// The write replaces the final target of a link, refuses write-protected files
// and leaves no temporary file behind either way.
TEST(Common, WritesFilesAtomicallyAndSafely) {
    Scratch dir;
    writeFile(dir / "target", "old");
    chmod((dir / "target").c_str(), 0640);
    fs::create_symlink("target", dir / "link");
    fs::create_symlink("link", dir / "link2");
    EXPECT_TRUE(writeFileAtomically(dir / "link2", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2"));
    EXPECT_EQ(fileBytes(dir / "target"), "new");
    EXPECT_EQ(fs::status(dir / "target").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFile(dir / "locked", "old");
    chmod((dir / "locked").c_str(), 0444);
    EXPECT_FALSE(writeFileAtomically(dir / "locked", "new"));
    EXPECT_EQ(fileBytes(dir / "locked"), "old");
    EXPECT_FALSE(writeFileAtomically(dir.path(), "x"));
    EXPECT_FALSE(writeFileAtomically(dir / "nowhere/f", "x"));
    EXPECT_TRUE(writeFileAtomically(dir / "fresh", ""));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 5);
    EXPECT_TRUE(isSameFile(dir / "link2", dir / "./target"));
    EXPECT_FALSE(isSameFile(dir / "fresh", dir / "target"));
    EXPECT_TRUE(isSameFile(dir / "fresh", dir / "./fresh")); // a file yet to be written
}

} // namespace
} // namespace tovi::test
