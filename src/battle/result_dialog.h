#pragma once

#include "shell/screen_page.h"

namespace lum {

// `TForm2`: the rewards after a won battle.
class ResultDialog : public ScreenPage {
    Q_OBJECT
  public:
    explicit ResultDialog(QWidget* parent = nullptr)
        : ScreenPage(QStringLiteral("戦闘終了"), QSize(470, 256), parent) {
        setObjectName("Form2");
    }
};

}  // namespace lum
