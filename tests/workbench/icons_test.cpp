// The twelve pictures drawn in code.

#include <QImage>

#include <gtest/gtest.h>

#include "workbench/icons.h"

namespace tovi::test {
namespace {

struct IconSizeRow {
    IconRole role;
    int size;
};

class IconSizeTest : public ::testing::TestWithParam<IconSizeRow> {};

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        }
    }
    return count;
}

TEST_P(IconSizeTest, PictureHasItsSizeAnAlphaChannelAndSomethingOnIt) {
    const QImage image = iconPixmap(GetParam().role).toImage();
    EXPECT_EQ(image.size(), QSize(GetParam().size, GetParam().size));
    EXPECT_TRUE(image.hasAlphaChannel());
    const int area = GetParam().size * GetParam().size;
    EXPECT_GT(opaquePixels(image), area / 8);
    EXPECT_LT(opaquePixels(image), area);
}

INSTANTIATE_TEST_SUITE_P(
    Roles, IconSizeTest,
    ::testing::Values(IconSizeRow{IconRole::New, 16}, IconSizeRow{IconRole::Load, 16},
                      IconSizeRow{IconRole::Save, 16}, IconSizeRow{IconRole::SaveAs, 16},
                      IconSizeRow{IconRole::Settings, 16}, IconSizeRow{IconRole::Emulator, 16},
                      IconSizeRow{IconRole::Exit, 16}, IconSizeRow{IconRole::Assemble, 16},
                      IconSizeRow{IconRole::Info, 16}, IconSizeRow{IconRole::Cut, 32},
                      IconSizeRow{IconRole::Copy, 32}, IconSizeRow{IconRole::Paste, 32}));

TEST(IconsTest, TwelveDistinctPictures) {
    const IconRole roles[] = {IconRole::New,    IconRole::Load,     IconRole::Save,
                              IconRole::SaveAs, IconRole::Settings, IconRole::Emulator,
                              IconRole::Exit,   IconRole::Assemble, IconRole::Info,
                              IconRole::Cut,    IconRole::Copy,     IconRole::Paste};
    for (std::size_t a = 0; a < std::size(roles); ++a) {
        for (std::size_t b = a + 1; b < std::size(roles); ++b) {
            EXPECT_NE(iconPixmap(roles[a]).toImage(), iconPixmap(roles[b]).toImage())
                << a << " " << b;
        }
    }
}

TEST(IconsTest, NoRoleNoPicture) {
    EXPECT_TRUE(iconPixmap(IconRole::None).isNull());
    EXPECT_TRUE(iconFor(IconRole::None).isNull());
}

} // namespace
} // namespace tovi::test
