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

}  // namespace lum
