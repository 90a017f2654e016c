#pragma once

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "state/game_state.h"
#include "ui/guide_model.h"

namespace lum {

// The guide laid over the whole window: the screen beneath dimmed and still, a panel with the
// contents, the page's picture and text, and 「前へ」「次へ」「閉じる」. While it shows, every
// timer of the screen beneath is held (a battle's clock, a story's reveal), and started again
// when it closes; nothing beneath can be clicked.
class GuideView : public QWidget {
    Q_OBJECT
  public:
    GuideView(const GameState& gs, QWidget* window);

    // Shows the guide at `page` over `beneath`, whose timers stop until close().
    void open_over(QWidget* beneath, int page);
    void close_guide();
    bool is_open() const { return model_.visible; }

    GuideModel& model() { return model_; }

    QPushButton* back_b = nullptr;
    QPushButton* next_b = nullptr;
    QPushButton* close_b = nullptr;
    std::vector<QPushButton*> contents;
    QLabel* title_l = nullptr;
    QLabel* text_l = nullptr;
    QLabel* picture_l = nullptr;
    QLabel* page_l = nullptr;

  protected:
    bool eventFilter(QObject* obj, QEvent* e) override;  // the window's resizes
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void refresh();
    QPixmap picture(const GuidePage& p) const;
    void hold_beneath();  // stops whatever timer of the screen beneath is running

    const GameState& gs_;
    GuideModel model_;
    QWidget* panel_ = nullptr;
    QPointer<QWidget> beneath_;
    QPointer<QWidget> focus_before_;
    std::vector<QPointer<QTimer>> held_;
    // A rule's own pause may end while the guide shows and start its screen's timers again:
    // they are stopped again at once.
    QTimer* watch_ = nullptr;
};

}  // namespace lum
