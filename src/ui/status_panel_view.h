#pragma once

#include <QLabel>
#include <QWidget>

#include "state/status_panel.h"

namespace lum {

// The status panel of one unit: the 128 x 128 portrait `my_cg`, the name, the counters, the ten
// attributes, money and stage, the class and the oath. The battle and the travel screens each
// place one; the texts come from status_panel_texts().
class StatusPanelView : public QWidget {
  public:
    explicit StatusPanelView(QWidget* parent = nullptr);

    void show_texts(const StatusPanelTexts& t);
    // A missing picture leaves a placeholder frame rather than the previous face.
    void set_portrait(const QString& file);
    const QString& portrait_file() const { return portrait_file_; }
    QLabel* portrait() const { return my_cg; }

    static constexpr int kWidth = 450, kHeight = 131;

    QLabel* my_cg;
    QLabel* state_l1;
    QLabel* state_l2;
    QLabel* state_l3;
    QLabel* state_l4;
    QLabel* state_l5;
    QLabel* state_l6;
    QLabel* tikai_l;

  private:
    QString portrait_file_;
};

}  // namespace lum
