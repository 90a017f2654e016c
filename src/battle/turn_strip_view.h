#pragma once

#include <QWidget>

namespace lum {

class BattleModel;

// The slim strip of the coming turns: the unit acting now framed, then the ones after it in
// the order the battle clock will take them, party members in blue, enemies in red.
class TurnStripView : public QWidget {
  public:
    static constexpr int kEntries = 5;

    TurnStripView(const BattleModel& model, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    const BattleModel& model_;
};

}  // namespace lum
