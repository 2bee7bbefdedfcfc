// The source file format, the path helpers and the template's date.

#include <gtest/gtest.h>

#include "workbench/source_format.h"

namespace tovi::test {
namespace {

struct BytesRow {
    std::u16string editorText;
    std::string bytes;
    bool lossy;
};

class SourceBytesTest : public ::testing::TestWithParam<BytesRow> {};

TEST_P(SourceBytesTest, EditorTextBecomesWindows1252WithCrLfBetweenLines) {
    bool lossy = false;
    EXPECT_EQ(sourceFileBytes(GetParam().editorText, &lossy), GetParam().bytes);
    EXPECT_EQ(lossy, GetParam().lossy);
}

INSTANTIATE_TEST_SUITE_P(Texts, SourceBytesTest,
                         ::testing::Values(BytesRow{u"", "", false}, BytesRow{u"NOP", "NOP", false},
                                           BytesRow{u"A\nB", "A\r\nB", false},
                                           BytesRow{u"A\n", "A\r\n", false},
                                           BytesRow{u"\u00C4\u20AC", "\xC4\x80", false},
                                           BytesRow{u"\u03A9", "?", true}));

struct FileNameRow {
    std::u16string path;
    std::u16string name;
};

class FileNamePartTest : public ::testing::TestWithParam<FileNameRow> {};

TEST_P(FileNamePartTest, NameIsTheTextAfterTheLastSeparator) {
    EXPECT_EQ(fileNamePart(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Paths, FileNamePartTest,
                         ::testing::Values(FileNameRow{u"/home/a/blink.asm", u"blink.asm"},
                                           FileNameRow{u"C:\\Projekte\\blink.asm", u"blink.asm"},
                                           FileNameRow{u"a\\b/c", u"c"},
                                           FileNameRow{u"plain", u"plain"},
                                           FileNameRow{u"/dir/", u""}));

struct DirectoryRow {
    std::u16string directory;
    std::u16string path;
};

class PathInDirectoryTest : public ::testing::TestWithParam<DirectoryRow> {};

TEST_P(PathInDirectoryTest, OneSeparatorBetweenDirectoryAndName) {
    EXPECT_EQ(pathInDirectory(GetParam().directory, u"hallowelt.asm"), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Directories, PathInDirectoryTest,
                         ::testing::Values(DirectoryRow{u"/home/a", u"/home/a/hallowelt.asm"},
                                           DirectoryRow{u"/", u"/hallowelt.asm"}));

struct DateRow {
    int day, month, year;
    std::u16string text;
};

class DateTextTest : public ::testing::TestWithParam<DateRow> {};

TEST_P(DateTextTest, DayAndMonthHaveTwoDigitsTheYearFour) {
    EXPECT_EQ(dateText(GetParam().day, GetParam().month, GetParam().year), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Dates, DateTextTest,
                         ::testing::Values(DateRow{5, 12, 2026, u"05.12.2026"},
                                           DateRow{31, 1, 1999, u"31.01.1999"},
                                           DateRow{1, 10, 987, u"01.10.0987"}));

TEST(TemplateTest, HeaderValuesStartAtTheTwentyFirstCharacter) {
    const auto lines = helloWorldTemplate(u"05.12.2026", u"anna");
    ASSERT_EQ(lines.size(), 42u);
    for (std::size_t i : {1u, 2u, 4u, 5u, 7u, 8u, 9u, 10u}) {
        EXPECT_NE(lines[i][20], u' ') << i;
        EXPECT_EQ(lines[i][19], u' ') << i;
    }
    EXPECT_EQ(lines[8].substr(20), u"05.12.2026");
    EXPECT_EQ(lines[10].substr(20), u"anna");
}

TEST(TemplateTest, WithoutUserNameLineElevenEndsAfterItsLabel) {
    EXPECT_EQ(helloWorldTemplate(u"05.12.2026", u"")[10], u";  Autor:           ");
}

} // namespace
} // namespace tovi::test
