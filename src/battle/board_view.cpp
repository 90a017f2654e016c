#include "battle/board_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "battle/battle_model.h"
#include "ui/picture_filter.h"

namespace lum {

namespace {

constexpr int kMapSourceW = 112, kMapSourceH = 80;  // 16 pixels a square, shown at 64
const QColor kMarkerColour(255, 64, 32);
const QColor kHatchColour(255, 220, 80, 150);
const QColor kActingColour(120, 230, 255);
constexpr int kFloatFontPx = 19;

// Form coordinates of the battle screen to those of `map_cg`, which sits at (1, 1).
QPoint on_map(int left, int top) {
    return {left - kMapLeft, top - kMapTop};
}

QColor qcolour(Rgb c, int alpha = 255) {
    return QColor(c.r, c.g, c.b, alpha);
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
    const BoardOverlay& overlay = model_.overlay();
    QPainter p(this);
    set_picture_filter(p);
    p.drawImage(rect(), pictures_.map(w.map_file), QRect(0, 0, kMapSourceW, kMapSourceH));

    if (w.s_l2_visible) p.fillRect(rect(), QBrush(kHatchColour, Qt::BDiagPattern));

    // The squares the technique in view would strike: filled under the units so they stay
    // clear, framed over them so an opaque picture (the acting unit's) cannot hide one.
    const std::vector<SquareTint> tints = model_.tints();
    auto tint_square = [](const SquareTint& t) {
        return QRect(t.square.column * kSquarePx, t.square.row * kSquarePx, kSquarePx, kSquarePx);
    };
    for (const SquareTint& t : tints)
        p.fillRect(tint_square(t),
                   qcolour(tint_colour(t.kind), t.kind == TintKind::warp ? 70 : 96));

    std::array<FlashView, 16> flash{};
    for (const FlashView& f : overlay.flashes())
        if (f.slot >= 0 && f.slot < static_cast<int>(flash.size())) flash[f.slot] = f;

    auto draw_unit = [&](const UnitSprite& s, int slot) {
        if (!s.visible) return;
        const FlashView& f = flash[slot];
        const QPoint at = on_map(s.left, s.top) + QPoint(f.dx, 0);
        const QImage& img = s.opaque ? pictures_.get(s.picture) : pictures_.transparent(s.picture);
        const QRect r(at, QSize(kSquarePx, kSquarePx));
        if (f.alpha > 0) {
            // The struck unit's own shape washed with white.
            QImage lit = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QPainter wash(&lit);
            wash.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            wash.fillRect(lit.rect(), QColor(255, 255, 255, f.alpha));
            wash.end();
            p.drawImage(r, lit);
        } else {
            p.drawImage(r, img);
        }
    };
    for (int i = 1; i <= 5; ++i) draw_unit(w.party[i], i);
    for (int i = 1; i <= 5; ++i) draw_unit(w.enemy[i], i + 10);

    p.setBrush(Qt::NoBrush);
    for (const SquareTint& t : tints) {
        p.setPen(QPen(qcolour(tint_colour(t.kind)), 3));
        p.drawRect(tint_square(t).adjusted(3, 3, -3, -3));
    }

    for (const GhostView& g : overlay.ghosts()) {
        p.setOpacity(g.alpha / 255.0);
        p.drawImage(QRect(g.left, g.top, kSquarePx, kSquarePx), pictures_.transparent(g.picture));
    }
    p.setOpacity(1.0);

    for (const Marker& m : w.markers) {
        const QRect r(on_map(m.left, m.top), QSize(kSquarePx, kSquarePx));
        if (!r.intersects(rect())) continue;
        p.fillRect(r, QBrush(kMarkerColour, Qt::DiagCrossPattern));
        p.setPen(QPen(kMarkerColour, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }

    if (auto sq = model_.acting()) {
        // The acting unit: a white frame with bright corners, clear of the hover frame.
        const QRect r(sq->column * kSquarePx, sq->row * kSquarePx, kSquarePx, kSquarePx);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 200), 2));
        p.drawRect(r.adjusted(1, 1, -2, -2));
        p.setPen(QPen(kActingColour, 4, Qt::SolidLine, Qt::FlatCap));
        const int k = 14;
        const QRect in = r.adjusted(2, 2, -2, -2);
        for (QPoint c : {in.topLeft(), in.topRight(), in.bottomLeft(), in.bottomRight()}) {
            const int sx = c.x() == in.left() ? 1 : -1, sy = c.y() == in.top() ? 1 : -1;
            p.drawLine(c, c + QPoint(sx * k, 0));
            p.drawLine(c, c + QPoint(0, sy * k));
        }
    }

    if (model_.hover_slot != 0) {
        const UnitSprite& s =
            model_.hover_slot <= 5 ? w.party[model_.hover_slot] : w.enemy[model_.hover_slot - 10];
        if (s.visible) {
            p.setPen(QPen(QColor(255, 255, 120), 3));
            p.setBrush(Qt::NoBrush);
            p.drawRect(
                QRect(on_map(s.left, s.top) + QPoint(1, 1), QSize(kSquarePx - 3, kSquarePx - 3)));
        }
    }

    if (model_.warp_cursor_shown()) {
        // The square a warp aimed by keys will land on: the game's gold focus frame.
        const QRect r(model_.warp_cursor_x() * kSquarePx, model_.warp_cursor_y() * kSquarePx,
                      kSquarePx, kSquarePx);
        p.setPen(QPen(QColor(0xff, 0xd8, 0x60), 4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(2, 2, -2, -2));
    }

    // The HP labels above every tint and marker, on their own dark ground.
    QFont hp_font = font();
    hp_font.setPixelSize(11);
    hp_font.setBold(true);
    p.setFont(hp_font);
    for (int i = 1; i <= 10; ++i) {
        const UnitSprite& s = i <= 5 ? w.party[i] : w.enemy[i - 5];
        if (!s.visible) continue;
        const QString text = QString::fromStdString(s.hp_label);
        const QRect box = p.fontMetrics().boundingRect(text).adjusted(-2, 0, 2, 0);
        const QRect label(on_map(s.hp_left, s.hp_top), box.size());
        p.fillRect(label, QColor(0, 0, 0, 190));
        p.setPen(Qt::white);
        p.drawText(label, Qt::AlignCenter, text);
    }

    const std::vector<FloatView> floats = overlay.floats();
    if (!floats.empty()) {
        QFont f = font();
        f.setPixelSize(kFloatFontPx);
        f.setBold(true);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (const FloatView& n : floats) {
            const QString text = QString::fromStdString(n.text);
            const int width = QFontMetrics(f).horizontalAdvance(text);
            QPainterPath path;
            path.addText(QPointF(n.x - width / 2.0, n.y), f, text);
            p.setOpacity(n.alpha / 255.0);
            p.strokePath(path,
                         QPen(QColor(16, 12, 24), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.fillPath(path, qcolour(n.colour));
        }
        p.setOpacity(1.0);
        p.setRenderHint(QPainter::Antialiasing, false);
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
