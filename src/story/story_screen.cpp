#include "story/story_screen.h"

namespace lum {

StoryScreen::StoryScreen(GameState& gs, Sound& sound, Screens& screens, Dialogs& dialogs,
                         QWidget* parent)
    : ScreenPage(QStringLiteral("ＳＴＯＲＹ ＭＯＤＥ"), QSize(451, 453), parent),
      gs_(gs),
      sound_(sound),
      screens_(screens),
      dialogs_(dialogs) {
    setObjectName("Form4");
}

}  // namespace lum
