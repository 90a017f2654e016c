#include "icons.h"

#include <QBuffer>
#include <QImage>

#include "recipes.h"

namespace lum::assets {

namespace {

QImage to_image(const art::Canvas& c) {
    QImage img(c.width(), c.height(), QImage::Format_RGB32);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            art::Rgb p = c.get(x, y);
            img.setPixel(x, y, qRgb(p.r, p.g, p.b));
        }
    return img;
}

std::vector<uint8_t> png_bytes(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

std::vector<OutputFile> build_icons(const std::vector<Picture>& pictures,
                                    const std::string& app_id) {
    const Picture* hero = nullptr;
    for (const Picture& p : pictures)
        if (p.file == kIconPortrait) hero = &p;
    if (!hero)
        throw RecipeError(std::string("the icon's portrait ") + kIconPortrait + " is not drawn");
    QImage portrait = to_image(hero->canvas);
    // The face: hair, eyes and mouth, without the shoulders.
    QImage face = portrait.copy(24, 14, 80, 80);

    std::vector<OutputFile> out;
    for (int n : kIconSizes) {
        QImage img;
        if (n == portrait.width())
            img = portrait;
        else if (n > portrait.width())
            img = portrait.scaled(n, n, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        else
            img = (n <= 48 ? face : portrait)
                      .scaled(n, n, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        std::string size = std::to_string(n) + "x" + std::to_string(n);
        out.push_back({"hicolor/" + size + "/apps/" + app_id + ".png", png_bytes(img)});
    }
    return out;
}

}  // namespace lum::assets
