#include "ui/status_panel_view.h"

#include <QPainter>
#include <QPixmap>

#include "ui/game_text.h"
#include "ui/picture_filter.h"

namespace lum {

namespace {

template <class Label = QLabel>
QLabel* panel_label(const char* name, QRect at, QWidget* parent) {
    auto* l = new Label(parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPixmap placeholder() {
    QPixmap p(128, 128);
    p.fill(QColor(24, 24, 32));
    QPainter g(&p);
    g.setPen(QColor(90, 90, 110));
    g.drawRect(0, 0, 127, 127);
    g.drawText(p.rect(), Qt::AlignCenter, QStringLiteral("？"));
    return p;
}

}  // namespace

StatusPanelView::StatusPanelView(QWidget* parent) : QWidget(parent) {
    setObjectName("status_panel");
    resize(kWidth, kHeight);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    my_cg = panel_label<PictureLabel>("my_cg", {0, 0, 128, 128}, this);
    my_cg->setScaledContents(true);
    state_l1 = panel_label("state_l1", {132, 0, 124, 14}, this);
    QFont bold = f;
    bold.setBold(true);
    bold.setPixelSize(12);
    state_l1->setFont(bold);
    state_l2 = panel_label("state_l2", {132, 15, 124, 116}, this);
    state_l3 = panel_label("state_l3", {258, 0, 60, 72}, this);
    state_l4 = panel_label("state_l4", {320, 0, 60, 72}, this);
    tikai_l = panel_label("tikai_l", {382, 0, 68, 72}, this);
    state_l6 = panel_label("state_l6", {258, 76, 192, 14}, this);
    state_l5 = panel_label("state_l5", {258, 94, 192, 30}, this);
    tikai_l->setWordWrap(true);
}

void StatusPanelView::show_texts(const StatusPanelTexts& t) {
    set_game_text(state_l1, t.state_l1);
    set_game_text(state_l2, t.state_l2);
    set_game_text(state_l3, t.state_l3);
    set_game_text(state_l4, t.state_l4);
    set_game_text(state_l5, t.state_l5);
    set_game_text(state_l6, t.state_l6);
    set_game_text(tikai_l, t.tikai_l);
}

void StatusPanelView::set_portrait(const QString& file) {
    if (file == portrait_file_) return;
    portrait_file_ = file;
    QPixmap p(file);
    my_cg->setPixmap(p.isNull() ? placeholder() : p);
}

}  // namespace lum
