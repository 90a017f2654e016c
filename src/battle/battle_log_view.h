#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace lum {

// The battle log: a scrollable list of the battle's messages in a panel over the board. It
// lies over the whole screen while open, so a click outside the panel closes it and reaches
// nothing under it; L and Esc close it too.
class BattleLogView : public QWidget {
  public:
    BattleLogView(QRect panel, QWidget* screen);

    // Shows `log` (oldest first), scrolled to its newest message, and takes the keyboard.
    void open(const std::vector<std::string>& log);

    std::function<void()> on_close;

    QListWidget* log_list = nullptr;
    QPushButton* close_b = nullptr;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    bool close_key(const QKeyEvent* k) const;

    QRect panel_;
};

}  // namespace lum
