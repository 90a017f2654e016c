#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "battle/result_model.h"
#include "ui/screen_page.h"

namespace lum {

class KeyNav;

// `TForm2`: the rewards after a won battle, revealed line by line; a click anywhere brings the
// rest out at once. Painted from ResultModel after every event and tick.
class ResultDialog : public ScreenPage {
    Q_OBJECT
  public:
    ResultDialog(GameState& gs, Sound& sound, Screens& screens, const std::string& caption,
                 QWidget* parent = nullptr);

    void FormShow() override;
    void FormHide() override;

    ResultModel& model() { return model_; }
    void refresh();

    QLabel* clear_l = nullptr;
    QLabel* clear_l0 = nullptr;  // its shadow
    QLabel* clear_l1 = nullptr;
    QLabel* clear_l2 = nullptr;
    QLabel* clear_l4 = nullptr;
    QLabel* clear_l5 = nullptr;
    QPushButton* next_b = nullptr;
    QTimer* Timer1 = nullptr;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    template <typename F>
    void handle(F f);

    ResultModel model_;
    KeyNav* nav_ = nullptr;
};

}  // namespace lum
