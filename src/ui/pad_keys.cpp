#include "ui/pad_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace lum {

PadKey pad_key(PadInput in) {
    switch (in) {
        case PadInput::up:
            return {Qt::Key_Up, Qt::NoModifier};
        case PadInput::down:
            return {Qt::Key_Down, Qt::NoModifier};
        case PadInput::left:
            return {Qt::Key_Left, Qt::NoModifier};
        case PadInput::right:
            return {Qt::Key_Right, Qt::NoModifier};
        case PadInput::a:
            return {Qt::Key_Return, Qt::NoModifier};
        case PadInput::b:
            return {Qt::Key_Escape, Qt::NoModifier};
        case PadInput::x:
            return {Qt::Key_Menu, Qt::NoModifier};
        case PadInput::y:
            return {Qt::Key_H, Qt::NoModifier};
        case PadInput::lb:
            return {Qt::Key_Backtab, Qt::ShiftModifier};
        case PadInput::rb:
            return {Qt::Key_Tab, Qt::NoModifier};
        case PadInput::start:
            return {Qt::Key_F2, Qt::NoModifier};
        case PadInput::back:
            return {Qt::Key_L, Qt::NoModifier};
        case PadInput::rt:
            return {Qt::Key_Control, Qt::ControlModifier};
    }
    return {Qt::Key_unknown, Qt::NoModifier};
}

namespace {

bool is_direction(PadInput in) {
    return in == PadInput::up || in == PadInput::down || in == PadInput::left ||
           in == PadInput::right;
}

}  // namespace

PadKeys::PadKeys(Poll poll, QWidget* window)
    : QObject(window), poll_pads_(std::move(poll)), window_(window) {
    notice_ = new QLabel(window);
    notice_->setObjectName("pad_notice");
    notice_->setAlignment(Qt::AlignCenter);
    notice_->setStyleSheet(
        "background: rgba(20,20,40,215); color: #fff6c0; border: 1px solid #e0c060;"
        " padding: 4px 10px; font-size: 13px;");
    notice_->hide();
    notice_timer_ = new QTimer(this);
    notice_timer_->setSingleShot(true);
    connect(notice_timer_, &QTimer::timeout, notice_, &QLabel::hide);

    repeat_ = new QTimer(this);
    connect(repeat_, &QTimer::timeout, this, [this] {
        if (repeating_ < 0) return repeat_->stop();
        repeat_->setInterval(kRepeatMs);
        send(static_cast<PadInput>(repeating_), true, true);
    });
    if (poll_pads_) {
        poll_ = new QTimer(this);
        poll_->setInterval(kPollMs);
        // Each input is delivered from the event queue, not from the timer: a key that opens a
        // modal box runs the box's loop until it closes, and the timer must keep polling
        // meanwhile, or the pad could never answer the box.
        connect(poll_, &QTimer::timeout, this, [this] {
            for (PadEvent& e : poll_pads_())
                QMetaObject::invokeMethod(
                    this, [this, e = std::move(e)] { deliver(e); }, Qt::QueuedConnection);
        });
        poll_->start();
    }
}

PadKeys::~PadKeys() = default;

void PadKeys::deliver(const PadEvent& e) {
    switch (e.kind) {
        case PadEvent::connected:
            return show_notice(QStringLiteral("コントローラー「%1」を接続しました")
                                   .arg(QString::fromStdString(e.name)));
        case PadEvent::disconnected:
            return show_notice(QStringLiteral("コントローラー「%1」が外れました")
                                   .arg(QString::fromStdString(e.name)));
        case PadEvent::press:
        case PadEvent::release:
            break;
    }
    const bool press = e.kind == PadEvent::press;
    if (is_direction(e.input)) {
        if (press) {
            repeating_ = static_cast<int>(e.input);
            repeat_->start(kRepeatDelayMs);
        } else if (repeating_ == static_cast<int>(e.input)) {
            repeating_ = -1;
            repeat_->stop();
        }
    }
    send(e.input, press, false);
}

void PadKeys::send(PadInput in, bool press, bool repeat) {
    QWidget* to = QApplication::focusWidget();
    if (!to) to = QApplication::activeModalWidget();
    if (!to) to = QApplication::activeWindow();
    if (!to) return;
    const PadKey k = pad_key(in);
    // A released Ctrl no longer holds its modifier, as on a keyboard.
    const Qt::KeyboardModifiers mods =
        press || k.key != Qt::Key_Control ? k.modifiers : Qt::KeyboardModifiers();
    QKeyEvent ev(press ? QEvent::KeyPress : QEvent::KeyRelease, k.key, mods, QString(), repeat);
    QCoreApplication::sendEvent(to, &ev);
}

void PadKeys::show_notice(const QString& text) {
    notice_->setText(text);
    notice_->adjustSize();
    notice_->move((window_->width() - notice_->width()) / 2, 8);
    notice_->raise();
    notice_->show();
    notice_timer_->start(kNoticeMs);
}

}  // namespace lum
