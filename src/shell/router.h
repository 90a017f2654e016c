#pragma once

#include <QObject>
#include <map>
#include <optional>

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
    ScreenPage* page(ScreenId id) const;

    void show(ScreenId id) override;
    void hide(ScreenId id) override;
    void close(ScreenId id) override;

    // The screen showing now, if any.
    bool visible(ScreenId id) const;
    std::optional<ScreenId> current() const;

  private:
    MainWindow& window_;
    std::map<ScreenId, ScreenPage*> pages_;
};

}  // namespace lum
