// The path helpers and the template's date and author line.

#include <gtest/gtest.h>

#include "workbench/source_format.h"

namespace tovi::test {
namespace {

TEST(SourceFormatTest, FileNameFollowsTheLastSeparatorOfEitherKind) {
    const std::pair<std::u16string, std::u16string> rows[] = {
        {u"/home/a/blink.asm", u"blink.asm"},
        {u"C:\\Projekte\\blink.asm", u"blink.asm"},
        {u"a\\b/c", u"c"},
        {u"plain", u"plain"},
        {u"/dir/", u""}};
    for (const auto& [path, name] : rows) {
        EXPECT_EQ(fileNamePart(path), name);
    }
    EXPECT_EQ(pathInDirectory(u"/home/a", u"x.asm"), u"/home/a/x.asm");
    EXPECT_EQ(pathInDirectory(u"/", u"x.asm"), u"/x.asm");
}

TEST(SourceFormatTest, TemplateDateHasTwoDigitDayAndMonthAndAnEmptyAuthorStaysEmpty) {
    EXPECT_EQ(dateText(5, 2, 2026), u"05.02.2026");
    EXPECT_EQ(dateText(31, 10, 987), u"31.10.0987");
    EXPECT_EQ(helloWorldTemplate(u"05.12.2026", u"")[10], u";  Autor:           ");
}

} // namespace
} // namespace tovi::test
