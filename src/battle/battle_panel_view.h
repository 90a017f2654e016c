#pragma once

// The status panel widget both screens place. It is built with the travel screen; until it
// lands here this stand-in shows the same texts so the battle screen can be played.

#if __has_include("ui/status_panel_view.h")
#include "ui/status_panel_view.h"
namespace lum {
using BattlePanel = StatusPanelView;
}
#else
#include <QImage>
#include <QLabel>
#include <QWidget>

#include "battle/status_panel.h"

namespace lum {

class BattlePanel : public QWidget {
  public:
    explicit BattlePanel(QWidget* parent = nullptr);
    void show_texts(const StatusPanelTexts& t);
    void set_portrait(const QImage& img);

  private:
    QLabel* my_cg_;
    QLabel* labels_[8];
};

}  // namespace lum
#endif
