#pragma once

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <array>
#include <map>

#include "battle/battle_log_view.h"
#include "battle/battle_model.h"
#include "battle/board_view.h"
#include "battle/turn_strip_view.h"
#include "state/ports.h"
#include "ui/message_line.h"
#include "ui/screen_page.h"
#include "ui/status_panel_view.h"

namespace lum {

class KeyNav;

// `TForm1`: the main screen. At start the shell lays the title box over it; then battles, painted
// from BattleModel after every event and tick. It is also the pacing port of the battle rules:
// "repaint now" paints at once, and a pause runs the event loop on a timer (input held back),
// so the window and the sound stay alive through every wait.
class BattleScreen : public ScreenPage, public Pacing {
    Q_OBJECT
  public:
    // The window caption while the battle screen (or the title over it) shows.
    static inline const char* const kCaption = "【ルミナリア】 ver1.2";

    BattleScreen(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens,
                 QWidget* parent = nullptr);

    void FormShow() override;
    void FormHide() override;

    void pause_ms(int ms) override;
    void repaint_now() override;

    BattleModel& model() { return model_; }
    // Brings every widget up to date with the model (done after each event and tick).
    void refresh();

    BoardView* map_cg = nullptr;
    MessageLine* moji_l = nullptr;
    QLabel* moji_l2 = nullptr;
    QPushButton* log_b = nullptr;  // "ログ"
    BattleLogView* log_view = nullptr;

    QGroupBox* menu0 = nullptr;
    QPushButton* idou_b = nullptr;
    QPushButton* usu_b = nullptr;
    QPushButton* spa_b = nullptr;
    QPushButton* Button23 = nullptr;
    QPushButton* Button18 = nullptr;
    QPushButton* Button3 = nullptr;

    QGroupBox* menu1 = nullptr;
    std::array<QPushButton*, 10> step_buttons{};  // by StepButton
    QPushButton* warp_b = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* nigeru_b = nullptr;

    QGroupBox* menu2 = nullptr;
    QGroupBox* menu3 = nullptr;
    QLabel* Label3 = nullptr;
    std::array<QPushButton*, 19> family_buttons{};  // w1..w16, w18 by family number
    QGroupBox* ken_box = nullptr;
    std::array<QPushButton*, 27> sealed_buttons{};  // w20..w26 by family number
    QGroupBox* menu4 = nullptr;
    std::array<QPushButton*, 5> technique_buttons{};  // b1..b4 at [1..4]
    QLabel* magic_about_l = nullptr;
    QLabel* magic_about_l2 = nullptr;

    QGroupBox* item_box = nullptr;
    QListWidget* item_list = nullptr;
    QLabel* item_about = nullptr;
    QPushButton* item_use = nullptr;
    QPushButton* Button22 = nullptr;

    QSlider* TrackBar1 = nullptr;
    TurnStripView* turn_strip = nullptr;
    StatusPanelView* status_panel = nullptr;
    QLabel* party_about_l = nullptr;

    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;
    QTimer* SpeechTimer = nullptr;
    // The board overlay's own clock: never one of the battle's, it only paints.
    QTimer* AnimTimer = nullptr;

    // A developer button in row `row` of the column past the client area's right edge, where
    // the page clips it away from players. The battle's own take rows 0, 1 and 4; the shell
    // adds the rest.
    QPushButton* developer_button(const char* name, const char* caption, int row,
                                  std::function<void()> act);

    // Developer buttons at x = 728, outside the 725-pixel client area.
    QPushButton* BitBtn1 = nullptr;   // "通常戦闘"
    QPushButton* BitBtn2 = nullptr;   // "ＴＲＡＶＥＬ"
    QPushButton* BitBtn3 = nullptr;   // "ボス戦"
    QPushButton* BitBtn4 = nullptr;   // "初期化"
    QPushButton* Button21 = nullptr;  // "敵全滅"

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    void build_menus();
    void build_item_box_and_slider();
    void build_developer_buttons();
    void build_key_groups();
    // The panel on top takes the keyboard; it starts on its first control, or on the one that
    // opened the panel just closed.
    void settle_focus();
    // Runs a handler of the model, then brings the widgets up to date.
    template <typename F>
    void handle(F f);
    template <typename F>
    void press_by_pointing(QObject* b, F press);
    void sync_driver(QTimer* t, bool on, int ms);
    void animate();

    GameState& gs_;
    Dialogs& dialogs_;
    PictureCache pictures_;
    BattleModel model_;
    std::map<QObject*, std::function<void()>> hovers_;  // technique and sealed-sword buttons
    KeyNav* nav_ = nullptr;
    int commands_ = 0, movement_ = 0, normal_ = 0, special_ = 0, sealed_ = 0, techniques_ = 0,
        items_ = 0;
    int last_top_ = -1;
    bool by_key_ = false;         // inside a key press of the screen itself
    QObject* pointed_ = nullptr;  // the technique or sealed sword the keys point at
    QElapsedTimer anim_clock_;
    bool animated_ = false;  // the overlay moved at the last animation tick
};

}  // namespace lum
