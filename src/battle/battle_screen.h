#pragma once

#include "shell/screen_page.h"

class QPushButton;

namespace lum {

class ShellModel;
class TitleBox;

// `TForm1`: the main screen. At start it carries the title box; battles come later.
class BattleScreen : public ScreenPage {
    Q_OBJECT
  public:
    BattleScreen(ShellModel& shell, QWidget* parent = nullptr);

    TitleBox* start_box = nullptr;

    // Developer buttons at x = 728, outside the 725-pixel client area.
    QPushButton* BitBtn2 = nullptr;  // "ＴＲＡＶＥＬ"
    QPushButton* BitBtn4 = nullptr;  // "初期化"

  private:
    ShellModel& shell_;
};

}  // namespace lum
