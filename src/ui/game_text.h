#pragma once

#include <QLabel>
#include <QString>
#include <string>

namespace lum {

// A text of the game for a widget: "\r" (and "\r\n") is the line break of the game's labels.
QString game_text(const std::string& text);

// Puts a game text on a label, leaving the label alone when it already says so (the screens
// copy their models every 50 ms).
void set_game_text(QLabel* label, const std::string& text);

}  // namespace lum
