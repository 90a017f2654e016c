#include "ui/key_nav.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

namespace lum {

const char* const KeyNav::kFocusStyle =
    "QPushButton:focus { border: 2px solid #ffd860; background: #4a4274; color: #ffffff; }"
    "QListWidget:focus { border: 2px solid #ffd860; }";

KeyNav::KeyNav(QWidget* screen) : QObject(screen), screen_(screen) {
    screen_->installEventFilter(this);
}

int KeyNav::add_group(std::vector<QWidget*> members, bool arrows, bool tab_walks) {
    for (QWidget* w : members) {
        w->setFocusPolicy(Qt::TabFocus);
        w->installEventFilter(this);
    }
    groups_.push_back({std::move(members), arrows, tab_walks});
    return static_cast<int>(groups_.size()) - 1;
}

bool KeyNav::usable(const QWidget* w) const {
    return w && w->isEnabled() && w->isVisibleTo(screen_);
}

int KeyNav::group_of(const QObject* w) const {
    for (size_t g = 0; g < groups_.size(); ++g)
        for (QWidget* m : groups_[g].members)
            if (m == w) return static_cast<int>(g);
    return -1;
}

QWidget* KeyNav::first_usable(int g) const {
    if (g < 0 || g >= static_cast<int>(groups_.size())) return nullptr;
    for (QWidget* m : groups_[static_cast<size_t>(g)].members)
        if (usable(m)) return m;
    return nullptr;
}

bool KeyNav::jump(int from, int step) {
    const int n = static_cast<int>(groups_.size());
    if (n == 0) return false;
    int g = from < 0 ? (step > 0 ? -1 : 0) : from;
    for (int i = 0; i < n; ++i) {
        g = (g + step + n) % n;
        if (g == from) break;
        if (QWidget* w = first_usable(g)) {
            w->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void KeyNav::settle(int top, QWidget* start, Qt::FocusReason why) {
    if (!screen_->isVisible()) return;
    QWidget* focus = screen_->focusWidget();
    const bool lost = !focus || (group_of(focus) >= 0 && !usable(focus));
    if (top < 0) {
        if (lost) screen_->setFocus(why);
    } else if (focus == screen_) {
        // A click on the screen took the focus; the panel on top keeps the keys all the same.
        if (QWidget* to = usable(start) ? start : first_usable(top)) to->setFocus(why);
    } else if (top != top_ || lost) {
        QWidget* to = usable(start) ? start : first_usable(top);
        if (to)
            to->setFocus(why);
        else if (lost)
            screen_->setFocus(why);
    }
    top_ = top;
}

bool KeyNav::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    const int g = group_of(obj);
    const bool press = e->type() == QEvent::KeyPress;
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
    if (tab && keep_tab_) return false;
    if (obj == screen_) {
        // Tab from the screen itself enters the first panel on show.
        if (press && tab) return jump(-1, k->key() == Qt::Key_Tab ? 1 : -1);
        return false;
    }
    if (g < 0) return false;
    auto* member = static_cast<QWidget*>(obj);
    const Group& group = groups_[static_cast<size_t>(g)];
    const bool list = qobject_cast<QAbstractItemView*>(member) != nullptr;
    const auto step_in_group = [&](int step) {
        std::vector<QWidget*> order;
        for (QWidget* m : group.members)
            if (usable(m)) order.push_back(m);
        auto it = std::find(order.begin(), order.end(), member);
        if (it == order.end()) return;
        const int n = static_cast<int>(order.size());
        const int i = static_cast<int>(it - order.begin());
        order[static_cast<size_t>((i + step + n) % n)]->setFocus(step > 0 ? Qt::TabFocusReason
                                                                          : Qt::BacktabFocusReason);
    };
    switch (k->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (press && group.tab_walks)
                step_in_group(k->key() == Qt::Key_Tab ? 1 : -1);
            else if (press)
                jump(g, k->key() == Qt::Key_Tab ? 1 : -1);
            return true;
        case Qt::Key_Space:
            if (keep_space_) {
                QCoreApplication::sendEvent(screen_, e);
                return true;
            }
            [[fallthrough]];
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            auto* b = qobject_cast<QAbstractButton*>(member);
            if (!b) return false;
            if (press && !k->isAutoRepeat() && usable(b)) {
                pressing_ = true;
                b->click();
                pressing_ = false;
            }
            return true;
        }
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right: {
            if (!group.arrows) {
                QCoreApplication::sendEvent(screen_, e);
                return true;
            }
            if (list) return false;  // the list steps through its rows itself
            if (press)
                step_in_group(k->key() == Qt::Key_Down || k->key() == Qt::Key_Right ? 1 : -1);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace lum
