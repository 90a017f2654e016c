#pragma once

#include <QLabel>

class QPainter;

namespace lum {

// How the game's pictures are drawn at a scale that is not a whole number: sharp (each
// picture pixel the nearest device pixels, uneven by one at most) or smooth (blended). The
// player's setting; every painter that draws the game's pictures asks through this.
void set_smooth_pictures(bool smooth);
bool smooth_pictures();
void set_picture_filter(QPainter& p);

// A label whose picture is stretched over it with that filter: QLabel's own stretching always
// smooths, which blurs pixel art even at a whole-number zoom.
class PictureLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace lum
