#include "battle/result_dialog.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>

#include "ui/game_text.h"
#include "ui/key_nav.h"

namespace lum {

namespace {

QLabel* line(const char* name, QRect at, int px, const QString& colour, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setStyleSheet(
        QStringLiteral("color: %1; background: transparent; font-size: %2px;").arg(colour).arg(px));
    return l;
}

}  // namespace

ResultDialog::ResultDialog(GameState& gs, Sound& sound, Screens& screens,
                           const std::string& caption, QWidget* parent)
    : ScreenPage(QStringLiteral("戦闘終了"), QSize(470, 256), parent),
      model_(gs, sound, screens, caption) {
    setObjectName("Form2");

    clear_l0 = line("clear_l0", {42, 14, 400, 44}, 34, "#402000", this);
    clear_l = line("clear_l", {40, 12, 400, 44}, 34, "#ffd860", this);
    for (QLabel* l : {clear_l0, clear_l}) {
        l->setText(QStringLiteral("Congratulation!"));
        QFont f = l->font();
        f.setBold(true);
        f.setItalic(true);
        l->setFont(f);
    }
    clear_l1 = line("clear_l1", {40, 70, 380, 24}, 17, "#f8f0d8", this);
    clear_l2 = line("clear_l2", {40, 98, 380, 24}, 17, "#f8f0d8", this);
    clear_l4 = line("clear_l4", {40, 126, 380, 44}, 15, "#c8f0ff", this);
    clear_l5 = line("clear_l5", {40, 174, 380, 24}, 17, "#f8f0d8", this);
    // Clicks on the lines (the MVP line among them) reach the dialog: labels pass them on.

    next_b = new QPushButton(this);
    next_b->setObjectName("next_b");
    next_b->setGeometry(300, 210, 150, 34);
    next_b->setStyleSheet(
        "QPushButton { color: #f4ecd8; background: #2a2f5c; border: 1px solid #c9b27c;"
        " border-radius: 3px; font-size: 14px; font-weight: bold; }"
        "QPushButton:hover { background: #46508c; }"
        "QPushButton:disabled { color: #70708a; border-color: #50506a; }" +
        QString::fromLatin1(KeyNav::kFocusStyle));
    connect(next_b, &QPushButton::clicked, this,
            [this] { handle([this] { model_.next_bClick(); }); });

    setFocusPolicy(Qt::StrongFocus);
    nav_ = new KeyNav(this);
    nav_->add_group({next_b});

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, [this] { handle([this] { model_.Timer1Timer(); }); });
    refresh();
}

template <typename F>
void ResultDialog::handle(F f) {
    f();
    refresh();
}

void ResultDialog::refresh() {
    const ResultModel& m = model_;
    const RewardLines& r = m.lines();
    clear_l->setVisible(m.clear_l_visible);
    clear_l0->setVisible(m.clear_l_visible);
    clear_l1->setText(game_text(r.gold));
    clear_l1->setVisible(m.clear_l1_visible);
    clear_l2->setText(game_text(r.ark));
    clear_l2->setVisible(m.clear_l2_visible);
    clear_l4->setText(game_text(r.mvp));
    clear_l4->setVisible(m.clear_l4_visible);
    clear_l5->setText(game_text(r.item));
    clear_l5->setVisible(m.clear_l5_visible);
    next_b->setText(QString::fromStdString(m.next_b_caption()));
    next_b->setEnabled(m.next_b_enabled);
    if (Timer1->interval() != m.timer1_ms()) Timer1->setInterval(m.timer1_ms());
    if (m.timer1_on() && !Timer1->isActive()) Timer1->start();
    if (!m.timer1_on() && Timer1->isActive()) Timer1->stop();
    // The continue button takes the keys once the last line is out.
    nav_->settle(m.next_b_enabled ? 0 : -1);
}

void ResultDialog::FormShow() {
    nav_->reset();
    setFocus();
    handle([this] { model_.FormShow(); });
}

void ResultDialog::FormHide() {
    handle([this] { model_.FormHide(); });
}

void ResultDialog::mousePressEvent(QMouseEvent* e) {
    handle([this] { model_.FormMouseDown(); });
    ScreenPage::mousePressEvent(e);
}

void ResultDialog::keyPressEvent(QKeyEvent* e) {
    // While the lines come out, Enter or Space does what a click does.
    const int k = e->key();
    if ((k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space) && !e->isAutoRepeat()) {
        handle([this] { model_.FormMouseDown(); });
        return;
    }
    ScreenPage::keyPressEvent(e);
}

void ResultDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(28, 30, 72));
    g.setColorAt(1, QColor(8, 8, 24));
    p.fillRect(rect(), g);
    p.setPen(QPen(QColor(201, 178, 124), 2));
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

}  // namespace lum
