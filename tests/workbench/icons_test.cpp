// The twelve pictures drawn in code.

#include <QImage>

#include <gtest/gtest.h>

#include "workbench/icons.h"

namespace tovi::test {
namespace {

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        }
    }
    return count;
}

// Each picture has its size and an alpha channel, is partly covered, and
// differs from every other one; the clipboard pictures are 32 pixels, the rest 16.
TEST(IconsTest, TwelveDistinctPicturesOfTheirSize) {
    const IconRole roles[] = {IconRole::New,    IconRole::Load,     IconRole::Save,
                              IconRole::SaveAs, IconRole::Settings, IconRole::Emulator,
                              IconRole::Exit,   IconRole::Assemble, IconRole::Info,
                              IconRole::Cut,    IconRole::Copy,     IconRole::Paste};
    for (std::size_t a = 0; a < std::size(roles); ++a) {
        const QImage image = iconPixmap(roles[a]).toImage();
        const int size = a >= 9 ? 32 : 16;
        EXPECT_EQ(image.size(), QSize(size, size)) << a;
        EXPECT_TRUE(image.hasAlphaChannel()) << a;
        EXPECT_GT(opaquePixels(image), size * size / 8) << a;
        EXPECT_LT(opaquePixels(image), size * size) << a;
        for (std::size_t b = a + 1; b < std::size(roles); ++b) {
            EXPECT_NE(image, iconPixmap(roles[b]).toImage()) << a << " " << b;
        }
    }
    EXPECT_TRUE(iconPixmap(IconRole::None).isNull());
    EXPECT_TRUE(iconFor(IconRole::None).isNull());
}

} // namespace
} // namespace tovi::test
