#include "battle/turn_strip_view.h"

#include <QPainter>

#include "battle/battle_model.h"

namespace lum {

TurnStripView::TurnStripView(const BattleModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("turn_strip");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TurnStripView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(16, 16, 24));
    const std::vector<TurnEntry> turns = model_.turn_order(kEntries);
    QFont f = font();
    f.setPixelSize(11);
    p.setFont(f);
    const QFontMetrics fm(f);
    const int cell = width() / kEntries;
    for (int i = 0; i < static_cast<int>(turns.size()); ++i) {
        const TurnEntry& t = turns[static_cast<std::size_t>(i)];
        const QRect r(i * cell, 0, cell - 2, height());
        const bool party = t.slot <= kLastParty;
        p.fillRect(r, party ? QColor(34, 52, 104) : QColor(104, 34, 44));
        if (t.now) {
            p.setPen(QPen(QColor(120, 230, 255), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(1, 1, -1, -1));
        }
        p.setPen(t.now ? QColor(255, 255, 255) : QColor(220, 220, 232));
        const QRect text = r.adjusted(3, 0, -3, 0);
        p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                   fm.elidedText(QString::fromStdString(t.name), Qt::ElideRight, text.width()));
    }
}

}  // namespace lum
