#pragma once

#include <QListWidget>

namespace lum {

// A list box whose rows are chosen only by the player: a press on a row, or a key that moves
// the highlighted row while the list has the keyboard. Focus arriving (Tab, or a focused
// button disappearing) makes a row current without choosing it, so it reports nothing.
class PickList : public QListWidget {
    Q_OBJECT
  public:
    explicit PickList(QWidget* parent = nullptr);

  signals:
    void picked(int row);

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
};

}  // namespace lum
