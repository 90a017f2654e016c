#include "ui/picture_filter.h"

#include <QPainter>

namespace lum {

namespace {
bool smooth = false;
}

void set_smooth_pictures(bool on) {
    smooth = on;
}

bool smooth_pictures() {
    return smooth;
}

void set_picture_filter(QPainter& p) {
    p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void PictureLabel::paintEvent(QPaintEvent* e) {
    const QPixmap picture = pixmap();
    if (picture.isNull() || !hasScaledContents()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    set_picture_filter(p);
    p.drawPixmap(contentsRect(), picture);
}

}  // namespace lum
