#include "icons.h"

#include <gtest/gtest.h>

#include <QImage>

#include "recipes.h"

namespace {

using namespace lum::assets;

const std::string kData = std::string(LUM_SOURCE_DIR) + "/data";

QImage decode(const OutputFile& f) {
    return QImage::fromData(f.bytes.data(), static_cast<int>(f.bytes.size()), "PNG");
}

TEST(Icons, EverySizeFromTheHerosPortrait) {
    auto pictures = build_pictures(kData, nullptr);
    const Picture* hero = nullptr;
    for (const auto& p : pictures)
        if (p.file == "my1.bmp") hero = &p;
    ASSERT_TRUE(hero);
    auto icons = build_icons(pictures, "org.example.Game");
    ASSERT_EQ(icons.size(), 8u);
    const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    for (size_t i = 0; i < icons.size(); ++i) {
        int n = sizes[i];
        std::string dim = std::to_string(n) + "x" + std::to_string(n);
        EXPECT_EQ(icons[i].path, "hicolor/" + dim + "/apps/org.example.Game.png");
        QImage img = decode(icons[i]);
        ASSERT_FALSE(img.isNull()) << icons[i].path;
        EXPECT_EQ(img.size(), QSize(n, n)) << icons[i].path;
    }
    // 128 is the portrait itself, 256 each of its pixels doubled.
    QImage i128 = decode(icons[6]), i256 = decode(icons[7]);
    for (int y = 0; y < 128; y += 7)
        for (int x = 0; x < 128; x += 5) {
            auto c = hero->canvas.get(x, y);
            ASSERT_EQ(i128.pixel(x, y), qRgb(c.r, c.g, c.b)) << x << "," << y;
            ASSERT_EQ(i256.pixel(2 * x + 1, 2 * y + 1), qRgb(c.r, c.g, c.b)) << x << "," << y;
        }
    // The small ones show the face: mostly skin and hair, unlike the full bust's corners.
    QImage i16 = decode(icons[0]);
    auto skin = hero->canvas.get(64, 70);  // the cheek
    int near = 0;
    for (int y = 4; y < 14; ++y)
        for (int x = 4; x < 12; ++x) {
            QColor p(i16.pixel(x, y));
            near += std::abs(p.red() - skin.r) + std::abs(p.green() - skin.g) +
                        std::abs(p.blue() - skin.b) <
                    90;
        }
    EXPECT_GE(near, 10);
}

TEST(Icons, WithoutThePortraitItSaysSo) {
    std::vector<Picture> none;
    try {
        build_icons(none, "x.y.Z");
        FAIL() << "no error";
    } catch (const RecipeError& e) {
        EXPECT_STREQ(e.what(), "the icon's portrait my1.bmp is not drawn");
    }
}

}  // namespace
