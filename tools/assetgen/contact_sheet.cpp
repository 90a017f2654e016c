#include "contact_sheet.h"

#include <QFont>
#include <QImage>
#include <QPainter>

namespace lum::assets {

namespace {

QImage to_qimage(const art::Canvas& c, int scale) {
    QImage img(c.width() * scale, c.height() * scale, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            art::Rgb p = c.get(x / scale, y / scale);
            img.setPixel(x, y, qRgb(p.r, p.g, p.b));
        }
    return img;
}

int scale_for(const std::string& group) {
    if (group == "party sprite" || group == "class sprite") return 2;
    if (group == "battle map" || group == "background") return 2;
    return 1;
}

}  // namespace

bool write_contact_sheet(const std::vector<Picture>& pictures, const std::string& png_path) {
    const int width = 1800, pad = 6, label = 14;
    // Lay out first to know the height.
    struct Item {
        const Picture* p;
        int x, y, s;
    };
    std::vector<Item> items;
    std::vector<std::pair<std::string, int>> headers;
    int x = pad, y = pad, row_h = 0;
    std::string group;
    for (const Picture& p : pictures) {
        int s = scale_for(p.group);
        int w = p.canvas.width() * s, h = p.canvas.height() * s + label;
        if (p.group != group) {
            y += row_h + (group.empty() ? 0 : pad * 2);
            headers.push_back({p.group, y});
            y += 20;
            x = pad;
            row_h = 0;
            group = p.group;
        }
        if (x + w > width) {
            x = pad;
            y += row_h + pad;
            row_h = 0;
        }
        items.push_back({&p, x, y, s});
        x += w + pad;
        row_h = std::max(row_h, h);
    }
    int height = y + row_h + pad;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(qRgb(40, 40, 48));
    QPainter painter(&sheet);
    QFont f("DejaVu Sans");
    f.setPixelSize(11);
    painter.setFont(f);
    for (auto& [name, hy] : headers) {
        painter.setPen(QColor(255, 230, 150));
        QFont hf = f;
        hf.setPixelSize(15);
        hf.setBold(true);
        painter.setFont(hf);
        painter.drawText(pad, hy + 15, QString::fromStdString(name));
        painter.setFont(f);
    }
    painter.setPen(QColor(220, 220, 230));
    for (const Item& it : items) {
        painter.drawImage(it.x, it.y, to_qimage(it.p->canvas, it.s));
        painter.drawText(it.x, it.y + it.p->canvas.height() * it.s + label - 3,
                         QString::fromStdString(it.p->file));
    }
    painter.end();
    return sheet.save(QString::fromStdString(png_path), "PNG");
}

}  // namespace lum::assets
