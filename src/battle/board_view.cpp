#include "battle/board_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "battle/battle_model.h"

namespace lum {

namespace {

constexpr int kMapSourceW = 112, kMapSourceH = 80;  // 16 pixels a square, shown at 64
const QColor kMarkerColour(255, 64, 32);
const QColor kHatchColour(255, 220, 80, 150);

// Form coordinates of the battle screen to those of `map_cg`, which sits at (1, 1).
QPoint on_map(int left, int top) {
    return {left - kMapLeft, top - kMapTop};
}

}  // namespace

QImage PictureCache::placeholder(QSize size) {
    QImage img(size, QImage::Format_ARGB32);
    img.fill(QColor(70, 70, 80));
    QPainter p(&img);
    p.setPen(QPen(QColor(200, 200, 210), 2));
    p.drawRect(QRect(QPoint(1, 1), size - QSize(2, 2)));
    QFont f = p.font();
    f.setPixelSize(size.height() / 2);
    f.setBold(true);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("?"));
    p.end();
    img.setText("lum-missing", "1");
    return img;
}

const QImage& PictureCache::get(const std::string& file) {
    auto it = plain_.find(file);
    if (it != plain_.end()) return it->second;
    QImage img;
    if (!file.empty()) img.load(QString::fromStdString((cg_dir_ / file).string()));
    if (img.isNull())
        img = placeholder({64, 64});
    else
        img = img.convertToFormat(QImage::Format_ARGB32);
    return plain_.emplace(file, std::move(img)).first->second;
}

const QImage& PictureCache::transparent(const std::string& file) {
    auto it = keyed_.find(file);
    if (it != keyed_.end()) return it->second;
    QImage img = get(file);
    if (!missing(file) && img.height() > 0) {
        const QRgb key = img.pixel(0, img.height() - 1);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return keyed_.emplace(file, std::move(img)).first->second;
}

const QImage& PictureCache::map(const std::string& file) {
    const std::string key = "map:" + file;
    auto it = plain_.find(key);
    if (it != plain_.end()) return it->second;
    QImage img;
    if (!file.empty()) img.load(QString::fromStdString((cg_dir_ / file).string()));
    if (img.isNull()) img.load(QString::fromStdString((cg_dir_ / "map00.bmp").string()));
    if (img.isNull()) {
        img = QImage(kMapSourceW, kMapSourceH, QImage::Format_ARGB32);
        img.fill(QColor(54, 92, 48));
    }
    return plain_.emplace(key, std::move(img)).first->second;
}

BoardView::BoardView(const BattleModel& model, PictureCache& pictures, QWidget* parent)
    : QWidget(parent), model_(model), pictures_(pictures) {
    setObjectName("map_cg");
    setMouseTracking(true);
    setFixedSize(kBoardColumns * kSquarePx, kBoardRows * kSquarePx);
}

int BoardView::unit_at(QPoint p) const {
    const BattleWidgets& w = model_.widgets();
    for (int i = 1; i <= 5; ++i) {
        for (int side = 0; side < 2; ++side) {
            const UnitSprite& s = side == 0 ? w.party[i] : w.enemy[i];
            if (!s.visible) continue;
            if (QRect(on_map(s.left, s.top), QSize(kSquarePx, kSquarePx)).contains(p))
                return side == 0 ? i : i + 10;
        }
    }
    return 0;
}

void BoardView::paintEvent(QPaintEvent*) {
    const BattleWidgets& w = model_.widgets();
    QPainter p(this);
    p.drawImage(rect(), pictures_.map(w.map_file), QRect(0, 0, kMapSourceW, kMapSourceH));

    if (w.s_l2_visible) p.fillRect(rect(), QBrush(kHatchColour, Qt::BDiagPattern));

    QFont hp_font = font();
    hp_font.setPixelSize(11);
    hp_font.setBold(true);
    auto draw_unit = [&](const UnitSprite& s, int slot) {
        if (!s.visible) return;
        const QPoint at = on_map(s.left, s.top);
        const QImage& img = s.opaque ? pictures_.get(s.picture) : pictures_.transparent(s.picture);
        p.drawImage(QRect(at, QSize(kSquarePx, kSquarePx)), img);
        if (slot == model_.hover_slot) {
            p.setPen(QPen(QColor(255, 255, 120), 3));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(at + QPoint(1, 1), QSize(kSquarePx - 3, kSquarePx - 3)));
        }
        const QPoint hp = on_map(s.hp_left, s.hp_top);
        p.setFont(hp_font);
        const QString text = QString::fromStdString(s.hp_label);
        const QRect box = p.fontMetrics().boundingRect(text).adjusted(-2, 0, 2, 0);
        const QRect label(hp, box.size());
        p.fillRect(label, QColor(0, 0, 0, 170));
        p.setPen(Qt::white);
        p.drawText(label, Qt::AlignCenter, text);
    };
    for (int i = 1; i <= 5; ++i) draw_unit(w.party[i], i);
    for (int i = 1; i <= 5; ++i) draw_unit(w.enemy[i], i + 10);

    for (const Marker& m : w.markers) {
        const QRect r(on_map(m.left, m.top), QSize(kSquarePx, kSquarePx));
        if (!r.intersects(rect())) continue;
        p.fillRect(r, QBrush(kMarkerColour, Qt::DiagCrossPattern));
        p.setPen(QPen(kMarkerColour, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }

    if (model_.warp_cursor_shown()) {
        // The square a warp aimed by keys will land on: the game's gold focus frame.
        const QRect r(model_.warp_cursor_x() * kSquarePx, model_.warp_cursor_y() * kSquarePx,
                      kSquarePx, kSquarePx);
        p.setPen(QPen(QColor(0xff, 0xd8, 0x60), 4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(2, 2, -2, -2));
    }

    if (w.s_l_visible && !w.s_l.empty()) {
        QFont f = font();
        f.setPixelSize(20);
        f.setBold(true);
        p.setFont(f);
        const QString text = QString::fromStdString(w.s_l);
        QRect box = p.fontMetrics().boundingRect(text).adjusted(-12, -6, 12, 6);
        box.moveCenter(rect().center());
        p.fillRect(box, QColor(0, 0, 0, 190));
        p.setPen(QColor(255, 230, 120));
        p.drawText(box, Qt::AlignCenter, text);
    }
}

void BoardView::mouseMoveEvent(QMouseEvent* e) {
    if (on_hover) on_hover(unit_at(e->position().toPoint()));
}

void BoardView::leaveEvent(QEvent* e) {
    if (on_leave) on_leave();
    QWidget::leaveEvent(e);
}

void BoardView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && on_click) {
        const QPoint p = e->position().toPoint();
        on_click(p.x(), p.y());
    }
}

}  // namespace lum
