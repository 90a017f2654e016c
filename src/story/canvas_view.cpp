#include "story/canvas_view.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "ui/picture_filter.h"

namespace lum {

namespace {

QColor qcolor(Color c) {
    return QColor(c.r, c.g, c.b);
}

QRect qrect(Rect r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

QFont qfont(const Font& f) {
    QFont q(QString::fromStdString(f.face));
    q.setPixelSize(std::max(1, f.pixel_height));
    q.setBold(f.bold);
    q.setItalic(f.italic);
    return q;
}

}  // namespace

void QImageCanvas::create_picture(const std::string& picture, Size size, Color fill) {
    QImage img(std::max(0, size.width), std::max(0, size.height), QImage::Format_RGB32);
    img.fill(qcolor(fill));
    images_[picture] = std::move(img);
}

bool QImageCanvas::has_picture(const std::string& picture) const {
    return images_.count(picture) != 0;
}

Size QImageCanvas::picture_size(const std::string& picture) const {
    const QImage* img = image(picture);
    return img ? Size{img->width(), img->height()} : Size{};
}

const QImage* QImageCanvas::image(const std::string& picture) const {
    auto it = images_.find(picture);
    return it == images_.end() ? nullptr : &it->second;
}

QImage* QImageCanvas::find(const std::string& picture) {
    auto it = images_.find(picture);
    return it == images_.end() ? nullptr : &it->second;
}

bool QImageCanvas::load_picture(const std::string& picture, const std::filesystem::path& file,
                                bool keep_size) {
    QImage loaded;
    if (!loaded.load(QString::fromStdString(file.string()))) return false;
    loaded = loaded.convertToFormat(QImage::Format_RGB32);
    QImage* old = find(picture);
    if (keep_size && old) {
        old->fill(Qt::black);
        QPainter p(old);
        p.drawImage(0, 0, loaded);
    } else {
        images_[picture] = std::move(loaded);
    }
    return true;
}

void QImageCanvas::fill(const std::string& picture, Rect r, Color c) {
    QImage* img = find(picture);
    if (!img || r.width() <= 0 || r.height() <= 0) return;
    QPainter p(img);
    p.fillRect(qrect(r), qcolor(c));
}

void QImageCanvas::copy(const std::string& dst, Rect dst_rect, const std::string& src,
                        Rect src_rect) {
    QImage* to = find(dst);
    const QImage* from = image(src);
    if (!to || !from || dst_rect.width() <= 0 || dst_rect.height() <= 0 || src_rect.width() <= 0 ||
        src_rect.height() <= 0)
        return;
    // A copy first: source and destination may overlap. Pixels outside the source are black.
    QImage part = from->copy(qrect(src_rect));
    QPainter p(to);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(qrect(dst_rect), part);
}

void QImageCanvas::line(const std::string& picture, int x1, int y1, int x2, int y2, Color c) {
    if (y1 == y2) {
        fill(picture, {std::min(x1, x2), y1, std::max(x1, x2), y1 + 1}, c);
    } else if (x1 == x2) {
        fill(picture, {x1, std::min(y1, y2), x1 + 1, std::max(y1, y2)}, c);
    } else if (QImage* img = find(picture)) {
        QPainter p(img);
        p.setPen(qcolor(c));
        p.drawLine(x1, y1, x2, y2);
    }
}

void QImageCanvas::text(const std::string& picture, int x, int y, const std::string& utf8,
                        const Font& font) {
    QImage* img = find(picture);
    if (!img || utf8.empty()) return;
    QPainter p(img);
    QFont f = qfont(font);
    p.setFont(f);
    p.setPen(qcolor(font.color));
    p.drawText(x, y + QFontMetrics(f).ascent(), QString::fromStdString(utf8));
}

Size QImageCanvas::text_size(const std::string& utf8, const Font& font) {
    QFontMetrics fm(qfont(font));
    return {fm.horizontalAdvance(QString::fromStdString(utf8)), fm.height()};
}

PictureView::PictureView(const QImageCanvas& canvas, std::string picture, bool stretch,
                         QWidget* parent)
    : QWidget(parent), canvas_(canvas), picture_(std::move(picture)), stretch_(stretch) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    set_picture_filter(p);
    p.fillRect(rect(), Qt::black);
    const QImage* img = canvas_.image(picture_);
    if (!img) return;
    if (stretch_)
        p.drawImage(rect(), *img);
    else
        p.drawImage(0, 0, *img);
}

void PictureView::mousePressEvent(QMouseEvent* e) {
    if (on_click && e->button() == Qt::LeftButton) on_click();
    QWidget::mousePressEvent(e);
}

}  // namespace lum
