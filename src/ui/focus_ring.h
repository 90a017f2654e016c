#pragma once

#include <QWidget>

namespace lum {

// A gold frame drawn around whichever control of `host` has the keyboard: sliders, check
// boxes and lists carry no focus mark of the game's own, and a style sheet would change how
// the whole control looks. It takes no clicks and follows the focus as it moves.
class FocusRing : public QWidget {
  public:
    explicit FocusRing(QWidget* host);

    // Where the frame goes around `w`, in the host's coordinates.
    static QRect around(const QWidget* w, const QWidget* host);
    // Follows the focused control again after it moved (a scrolled list of settings).
    void refresh();

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    void follow(QWidget* now);

    QWidget* host_;
};

}  // namespace lum
