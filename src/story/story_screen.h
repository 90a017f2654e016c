#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <functional>

class QTextBrowser;

#include "state/game_state.h"
#include "state/ports.h"
#include "story/canvas_view.h"
#include "story/story_model.h"
#include "ui/screen_page.h"

namespace lum {

class KeyNav;

// `TForm4`: story scripts and character creation. The widgets mirror StoryModel after every
// event and tick.
class StoryScreen : public ScreenPage {
    Q_OBJECT
  public:
    StoryScreen(GameState& gs, Sound& sound, Screens& screens, Dialogs& dialogs,
                QWidget* parent = nullptr);
    ~StoryScreen() override;

    void FormShow() override;
    void FormHide() override;
    // Brings every widget up to date with the model (done after each event and tick).
    void refresh();

    // Loads dat/story<N>.dat or dat/people<N>.dat ("story12", "people15") and plays it on
    // this screen, for authors. False after a message box when it cannot.
    bool open_scene(const std::string& name);

    StoryModel& model() { return model_; }
    QImageCanvas& canvas() { return canvas_; }

    PictureView* map_cg;
    PictureView* my_cg;
    PictureView* edit_box;
    QPushButton* ok_bb;
    QGroupBox* sel_box;
    QPushButton* BitBtn6;
    QPushButton* BitBtn7;
    QGroupBox* sel_box2;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn1;
    QTimer* Timer5;
    QTimer* Timer1;
    QTimer* Timer3;

    // The quick menu along the bottom of the picture, and the marks of auto mode and skip.
    QWidget* quick_menu = nullptr;
    QPushButton* log_b = nullptr;     // 「ログ」
    QPushButton* auto_b = nullptr;    // 「オート」
    QPushButton* skip_b = nullptr;    // 「スキップ」
    QPushButton* config_b = nullptr;  // 「設定」
    QLabel* mode_l = nullptr;         // 「AUTO」 / 「SKIP」
    QTimer* AutoTimer = nullptr;
    // The backlog over the whole screen.
    QFrame* backlog_box = nullptr;
    QTextBrowser* backlog_text = nullptr;
    QPushButton* backlog_close_b = nullptr;  // 「閉じる」

    // The quick menu's 設定 (the shell opens the settings dialog).
    std::function<void()> open_settings;

    QGroupBox* party_box;
    PictureView* party_cg;
    QLabel* state_l1;
    QLabel* state_l2;
    QLabel* state_l3;
    QGroupBox* state_box1;
    QLabel* state_box_l;
    std::array<QPushButton*, 5> class_buttons{};
    QLabel* job_about_l;
    QLabel* job_about_l2;
    QLabel* job_about_l3;
    QGroupBox* state_box2;
    std::array<QPushButton*, kAttrCount> attr_buttons{};
    QGroupBox* state_box3;
    std::array<QPushButton*, 20> oath_buttons{};
    QPushButton* party_ok_b;

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    void build_party_box();
    void build_comforts();
    void build_key_groups();
    // A choice, or the new member's box, takes the keyboard while it shows: the choice on
    // its first answer, the box on its step's first button and then on 「→OK」.
    void settle_focus();
    void open_backlog();
    // Runs a handler of the model, then brings the widgets up to date.
    template <typename F>
    void handle(F f);
    void sync_timer(QTimer* t, const TimerState& s);

    Dialogs& dialogs_;
    QImageCanvas canvas_;
    StoryModel model_;
    QTimer* anim_timer_;
    KeyNav* nav_ = nullptr;
    int choice_ = 0, choice2_ = 0, classes_ = 0, attrs_ = 0, oaths_ = 0, ok_ = 0;
};

}  // namespace lum
