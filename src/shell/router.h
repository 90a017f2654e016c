#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "state/ports.h"

namespace lum {

class MainWindow;
class ScreenPage;

// Every switch between screens goes through here. It keeps the one-visible-screen rule, puts
// the caption of the shown screen on the window, and runs the screens' show steps.
class Router : public Screens {
  public:
    explicit Router(MainWindow& window) : window_(window) {}

    void add(ScreenId id, ScreenPage* page);
    // A screen made on first use (or by create_all), so start-up shows the title sooner.
    void add_lazy(ScreenId id, std::function<ScreenPage*()> make);
    // Makes every screen not made yet, in the order they were added.
    void create_all();
    ScreenPage* page(ScreenId id);
    // Puts `page` in the place of the one made for `id` (and returns that one): shown in its
    // stead when it was showing, without the show steps of either.
    ScreenPage* replace(ScreenId id, ScreenPage* page);

    void show(ScreenId id) override;
    void hide(ScreenId id) override;
    void close(ScreenId id) override;

    // The screen showing now, if any.
    bool visible(ScreenId id) const;
    std::optional<ScreenId> current() const;

    // Told of every screen that becomes visible (the sound front loops music by it).
    std::function<void(ScreenId)> on_shown;

  private:
    MainWindow& window_;
    std::map<ScreenId, ScreenPage*> pages_;
    std::vector<std::pair<ScreenId, std::function<ScreenPage*()>>> pending_;
};

}  // namespace lum
