#pragma once

#include "shell/screen_page.h"
#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

// `TForm4`: story scripts and character creation.
class StoryScreen : public ScreenPage {
    Q_OBJECT
public:
    StoryScreen(GameState& gs, Sound& sound, Screens& screens, Dialogs& dialogs,
                QWidget* parent = nullptr);

private:
    GameState& gs_;
    Sound& sound_;
    Screens& screens_;
    Dialogs& dialogs_;
};

}  // namespace lum
