#pragma once

#include <QString>
#include <string>

namespace lum {

// A text of the game for a widget: "\r" (and "\r\n") is the line break of the game's labels.
QString game_text(const std::string& text);

}  // namespace lum
