#include "battle/battle_panel_view.h"

#if !__has_include("ui/status_panel_view.h")
#include <QPixmap>

namespace lum {

namespace {
QString text(const std::string& s) {
    return QString::fromStdString(s).replace(QChar('\r'), QChar('\n'));
}
}  // namespace

BattlePanel::BattlePanel(QWidget* parent) : QWidget(parent) {
    setFixedSize(450, 148);
    my_cg_ = new QLabel(this);
    my_cg_->setGeometry(0, 18, 128, 128);
    const QRect at[8] = {{134, 0, 120, 16}, {134, 16, 120, 130}, {256, 16, 60, 80},
                         {318, 16, 60, 80}, {256, 100, 190, 34}, {134, 134, 120, 14},
                         {380, 16, 70, 60}, {0, 0, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        labels_[i] = new QLabel(this);
        labels_[i]->setGeometry(at[i]);
        labels_[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        labels_[i]->setStyleSheet("color: #e8e8f0; font-size: 11px;");
    }
}

void BattlePanel::show_texts(const StatusPanelTexts& t) {
    const std::string* s[8] = {&t.state_l1, &t.state_l2, &t.state_l3, &t.state_l4,
                               &t.state_l5, &t.state_l6, &t.tikai_l,  &t.party_about_l};
    for (int i = 0; i < 8; ++i) labels_[i]->setText(text(*s[i]));
}

void BattlePanel::set_portrait(const QImage& img) {
    my_cg_->setPixmap(QPixmap::fromImage(img.scaled(128, 128)));
}

}  // namespace lum
#endif
