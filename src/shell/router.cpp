#include "shell/router.h"

#include <QTimer>

#include "shell/main_window.h"
#include "shell/screen_page.h"

namespace lum {

void Router::add(ScreenId id, ScreenPage* page) {
    pages_[id] = page;
    window_.add_page(page);
}

ScreenPage* Router::page(ScreenId id) const {
    auto it = pages_.find(id);
    return it == pages_.end() ? nullptr : it->second;
}

bool Router::visible(ScreenId id) const {
    ScreenPage* p = page(id);
    return p && p->isVisibleTo(&window_);
}

std::optional<ScreenId> Router::current() const {
    for (const auto& [id, p] : pages_)
        if (p->isVisibleTo(&window_)) return id;
    return std::nullopt;
}

void Router::show(ScreenId id) {
    ScreenPage* p = page(id);
    if (!p) return;
    // One visible screen: showing one hides whichever other one is up.
    for (const auto& [other, q] : pages_)
        if (other != id && q->isVisibleTo(&window_)) hide(other);
    window_.centre(p);
    window_.setWindowTitle(p->caption());
    if (!p->isVisibleTo(&window_)) {
        p->show();
        p->raise();
        p->FormShow();
    }
}

void Router::hide(ScreenId id) {
    ScreenPage* p = page(id);
    if (!p || !p->isVisibleTo(&window_)) return;
    p->hide();
    p->FormHide();
}

void Router::close(ScreenId id) {
    if (id == ScreenId::battle) {
        // The window's close step saves (when it should) and ends the program. Deferred so
        // the handler that asked finishes first.
        QTimer::singleShot(0, &window_, [w = &window_] { w->close(); });
        return;
    }
    hide(id);
}

}  // namespace lum
