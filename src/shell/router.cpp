#include "shell/router.h"

#include <QTimer>

#include "shell/main_window.h"
#include "ui/screen_page.h"

namespace lum {

void Router::add(ScreenId id, ScreenPage* page) {
    pages_[id] = page;
    window_.add_page(page);
}

void Router::add_lazy(ScreenId id, std::function<ScreenPage*()> make) {
    pending_.emplace_back(id, std::move(make));
}

void Router::create_all() {
    while (!pending_.empty()) page(pending_.front().first);
}

ScreenPage* Router::page(ScreenId id) {
    auto it = pages_.find(id);
    if (it != pages_.end()) return it->second;
    // Screens are made in the order they were added, so a later one never comes first.
    while (!pending_.empty()) {
        auto [next, make] = std::move(pending_.front());
        pending_.erase(pending_.begin());
        add(next, make());
        if (next == id) return pages_[id];
    }
    return nullptr;
}

ScreenPage* Router::replace(ScreenId id, ScreenPage* page) {
    ScreenPage* old = pages_[id];
    add(id, page);
    if (old && old->isVisibleTo(&window_)) {
        window_.centre(page);
        page->show();
        page->raise();
        old->hide();
    } else {
        page->hide();
    }
    return old;
}

bool Router::visible(ScreenId id) const {
    auto it = pages_.find(id);
    return it != pages_.end() && it->second->isVisibleTo(&window_);
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
    if (on_shown) on_shown(id);
    if (!p->isVisibleTo(&window_)) {
        p->show();
        p->raise();
        p->FormShow();
    }
}

void Router::hide(ScreenId id) {
    if (!visible(id)) return;
    ScreenPage* p = pages_[id];
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
