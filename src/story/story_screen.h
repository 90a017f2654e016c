#pragma once

#include "shell/screen_page.h"

namespace lum {

// `TForm4`: story scripts and character creation.
class StoryScreen : public ScreenPage {
    Q_OBJECT
  public:
    explicit StoryScreen(QWidget* parent = nullptr)
        : ScreenPage(QStringLiteral("ＳＴＯＲＹ ＭＯＤＥ"), QSize(451, 453), parent) {
        setObjectName("Form4");
    }
};

}  // namespace lum
