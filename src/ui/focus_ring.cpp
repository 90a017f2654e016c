#include "ui/focus_ring.h"

#include <QApplication>
#include <QPainter>

namespace lum {

namespace {
constexpr int kMargin = 3;
}

FocusRing::FocusRing(QWidget* host) : QWidget(host), host_(host) {
    setObjectName("focus_ring");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { follow(now); });
}

QRect FocusRing::around(const QWidget* w, const QWidget* host) {
    return QRect(w->mapTo(host, QPoint(0, 0)), w->size())
        .adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

void FocusRing::refresh() {
    follow(QApplication::focusWidget());
}

void FocusRing::follow(QWidget* now) {
    if (!now || now == host_ || !host_->isAncestorOf(now)) {
        hide();
        return;
    }
    setGeometry(around(now, host_));
    raise();
    show();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A deeper gold than the buttons' frame: the dialogs are light.
    p.setPen(QPen(QColor(0xe0, 0x9c, 0x00), 2));
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
}

}  // namespace lum
