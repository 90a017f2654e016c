#pragma once

#include "shell/screen_page.h"

namespace lum {

// `TForm3`: region maps, places, shops and the party. It takes the battle screen's size.
class TravelScreen : public ScreenPage {
    Q_OBJECT
  public:
    explicit TravelScreen(QWidget* parent = nullptr)
        : ScreenPage(QStringLiteral("ＴＲＡＶＥＬ ＭＯＤＥ"), QSize(725, 493), parent) {
        setObjectName("Form3");
    }
};

}  // namespace lum
