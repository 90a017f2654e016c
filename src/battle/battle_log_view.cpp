#include "battle/battle_log_view.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "ui/game_text.h"
#include "ui/key_nav.h"

namespace lum {

BattleLogView::BattleLogView(QRect panel, QWidget* screen) : QWidget(screen), panel_(panel) {
    setObjectName("log_view");
    setGeometry(screen->rect());
    setStyleSheet(
        QStringLiteral("QLabel { color: #f0e6c8; font-size: 12px; }"
                       "QListWidget { color: #f4f4f8; background: #101428; font-size: 13px;"
                       " border: 1px solid #6f6a9c; }"
                       "QListWidget::item { padding: 2px 0px; border-bottom: 1px solid #23284a; }"
                       "QPushButton { color: #f4ecd8; background: #2a2f5c;"
                       " border: 1px solid #6f6a9c; border-radius: 2px; font-size: 12px; }") +
        QString::fromLatin1(KeyNav::kFocusStyle));

    auto* title = new QLabel(QStringLiteral("ログ（L / Esc で閉じる）"), this);
    title->setObjectName("log_title");
    title->setGeometry(panel.left() + 6, panel.top() + 4, panel.width() - 80, 18);
    close_b = new QPushButton(QStringLiteral("閉じる"), this);
    close_b->setObjectName("log_close_b");
    close_b->setGeometry(panel.right() - 62, panel.top() + 3, 58, 20);
    close_b->setFocusPolicy(Qt::TabFocus);
    connect(close_b, &QPushButton::clicked, this, [this] {
        if (on_close) on_close();
    });

    log_list = new QListWidget(this);
    log_list->setObjectName("log_list");
    log_list->setGeometry(panel.left() + 4, panel.top() + 26, panel.width() - 8,
                          panel.height() - 30);
    log_list->setWordWrap(true);
    log_list->setTextElideMode(Qt::ElideNone);
    log_list->setSelectionMode(QAbstractItemView::SingleSelection);
    log_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    log_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    log_list->setFocusPolicy(Qt::TabFocus);
    log_list->installEventFilter(this);
    close_b->installEventFilter(this);
    hide();
}

void BattleLogView::open(const std::vector<std::string>& log) {
    log_list->clear();
    for (const std::string& line : log) log_list->addItem(game_text(line));
    raise();
    show();
    if (log_list->count() > 0) log_list->setCurrentRow(log_list->count() - 1);
    log_list->scrollToBottom();
    log_list->setFocus(Qt::OtherFocusReason);
}

void BattleLogView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 110));
    p.fillRect(panel_, QColor(18, 20, 44, 240));
    p.setPen(QColor(140, 122, 76));
    p.drawRect(panel_.adjusted(0, 0, -1, -1));
}

void BattleLogView::mousePressEvent(QMouseEvent* e) {
    if (!panel_.contains(e->position().toPoint()) && on_close) on_close();
    e->accept();
}

bool BattleLogView::close_key(const QKeyEvent* k) const {
    const bool plain =
        !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    return plain && (k->key() == Qt::Key_L || k->key() == Qt::Key_Escape);
}

void BattleLogView::keyPressEvent(QKeyEvent* e) {
    if (close_key(e) && !e->isAutoRepeat() && on_close) on_close();
    // No key reaches the screen under the log.
    e->accept();
}

bool BattleLogView::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (close_key(k)) {
            keyPressEvent(k);
            return true;
        }
        if (obj == close_b && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            if (!k->isAutoRepeat()) close_b->click();
            return true;
        }
        // Tab moves between the list and 閉じる only.
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            (obj == log_list ? static_cast<QWidget*>(close_b) : log_list)
                ->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(obj, e);
}

}  // namespace lum
