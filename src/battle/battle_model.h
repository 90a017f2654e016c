#pragma once

// The battle screen without widgets. It owns the battle's visible state (the widgets of
// `BattleWidgets` plus the skill buttons, the item box, the status panel, the slider and the
// timers) and the screen's event handlers under the game's names; the rules it calls live in
// setup, battle_clock, movement, techniques, sealed_sword and battle_end. The Qt view paints
// this state and forwards input, nothing more.

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "battle/battle_context.h"
#include "battle/battle_starter.h"
#include "battle/board_overlay.h"
#include "battle/movement.h"
#include "battle/sealed_sword.h"
#include "state/item_use.h"
#include "state/status_panel.h"

namespace lum {

inline constexpr int kBattleTickMs = 50;  // Timer1 (board) and Timer2 (status panel)
inline constexpr int kSliderMin = 1, kSliderMax = 9, kSliderStart = 5;
inline constexpr int kFirstTimer4Ms = 1000, kFirstTimer3Ms = 500;

// `speed_ms` for a slider position: position x 52 + 260.
int speed_for_slider(int position);
// The enemy driver's interval for a tempo: speed_ms x 3 / 2.
int enemy_interval(int speed_ms);

// The six buttons of `menu0`, top to bottom (the number keys 1..6).
enum class Command { idou, usu, spa, ken, item, wait };
enum class Arrow { left, right, up, down };

struct ItemBox {
    bool visible = false;
    std::vector<std::pair<int, std::string>> entries;  // (item number, name), number order
    int selected = -1;                                 // row of `item_list`, -1 for none
    std::string item_about;
};

class BattleModel : public BattleStarter {
  public:
    BattleModel(GameState& gs, Dialogs& dialogs, Sound& sound, Pacing& pacing, Screens& screens);

    // Travel places (and the developer buttons) start battles through this; the caller has set
    // `battle_area`.
    void start(BattleKind kind) override;

    // The battle screen becomes visible / stops being visible.
    void FormShow();
    void FormHide();

    // ---- the command menu `menu0`
    void idou_bClick();    // "移動"
    void usu_bClick();     // "通常技"
    void spa_bClick();     // "特殊技"
    void Button23Click();  // "封印剣"
    void Button18Click();  // "アイテム"
    void Button3Click();   // "待機"
    void command(Command c);

    // ---- the movement panel `menu1`
    void step_click(StepButton b);  // ignored unless that step is enabled
    void warp_bClick();
    void Button4Click();  // "cancel"
    void nigeru_bClick();

    // ---- family boxes, technique panel and the sealed sword
    void family_click(int family);   // w1..w16, w18
    void technique_click(int slot);  // b1..b4
    void technique_hover(int slot);  // b1MouseMove..b4MouseMove
    void technique_leave();          // the pointer left b1..b4 or w20..w26: the preview goes
    void sealed_click(int family);   // w20..w26
    void sealed_hover(int family);   // w20MouseMove..w26MouseMove

    // ---- the board and the pointer. Board coordinates are those of `map_cg`.
    void map_cgMouseDown(int x, int y);
    void map_cgMouseMove();
    void unit_hover(int slot);  // party1..5MouseMove (1..5), enemy1..5MouseMove (11..15)
    void map_cgMouseLeave();    // the pointer left the board: no unit is under it
    // The keys' pointer (H, a pad's Y): the next unit on the board in slot order, party first,
    // as if pointed at; past the last, the acting unit again. `back` goes the other way.
    void status_key(bool back);
    void FormMouseMove();  // form background and the menu boxes

    // ---- the item box
    void item_listMouseDown(int row);  // -1 when the click hit no entry
    void item_useClick();
    void Button22Click();  // "Cancel"

    // ---- the speed slider `TrackBar1`
    void TrackBar1Change(int position);
    // The knob shows speed_ms, wherever it was set from (this slider or the settings).
    int slider_position() const;

    // ---- timers
    void Timer1Timer();  // board redraw
    void Timer2Timer();  // status panel and clamping
    void Timer3Timer();  // enemy half
    void Timer4Timer();  // party half
    void SpeechTimer();  // the enemies' lines before a story or region battle

    // ---- keys for tactics players
    void command_key(int n);  // 1..6: the six commands while `menu0` can be clicked
    void escape();            // closes the panel on top
    void back_to_commands();  // closes every panel over the command menu
    void arrow(Arrow a);      // the four plain steps while `menu1` is open
    // A warp waiting for its square (飛法's fourth) is aimed by keys too: the arrows move a
    // cursor over the board from the acting unit's square, Enter warps where it stands.
    void warp_enter();
    // The cursor's square while a warp waits for it and the keys have moved it.
    bool warp_cursor_shown() const { return warp_cursor_on_ && ctx_.w.warp_click_armed; }
    int warp_cursor_x() const { return warp_cursor_x_; }
    int warp_cursor_y() const { return warp_cursor_y_; }
    void set_fast_forward(bool on) { fast_forward_ = on; }
    bool fast_forward() const { return fast_forward_; }

    // ---- the battle log, over the board: L and the ログ button open it, L, Esc and a click
    // outside close it. The clock waits while it is open, as for a message box.
    void log_key();     // L: opens or closes
    void log_bClick();  // the ログ button
    void close_log();
    bool log_open() const { return log_open_; }
    const std::vector<std::string>& log() const { return ctx_.w.log; }

    // ---- developer buttons
    void BitBtn1Click() { start(BattleKind::random); }  // "通常戦闘"
    void BitBtn3Click() { start(BattleKind::story); }   // "ボス戦"
    void Button21Click();                               // "敵全滅"

    // ---- what the screen shows
    const BattleWidgets& widgets() const { return ctx_.w; }
    BattleWidgets& widgets() { return ctx_.w; }
    BattleContext& context() { return ctx_; }

    // w1..w16 and w18 by family number: shown when the family is learned.
    std::array<bool, 19> family_visible{};
    bool Label3_visible = true;  // "技を修得していません" behind the special families
    SealedButtons sealed;
    ItemBox item_box;
    StatusPanelTexts panel;
    std::string portrait;        // my_cg: file under cg/, empty until a unit is shown
    bool moji_l_yellow = false;  // an item's message
    int hover_slot = 0;          // the unit under the pointer (its square is highlighted)

    bool timer3_on() const { return ctx_.w.timer3 && ctx_.w.battle_shown; }
    bool timer4_on() const { return ctx_.w.timer4 && ctx_.w.battle_shown; }
    bool speech_on() const { return ctx_.w.speech_running && ctx_.w.battle_shown; }
    // Space held puts both drivers at the intervals of the slider's fast end.
    int timer3_ms() const;
    int timer4_ms() const;
    int speech_ms() const;
    // A party member waits for a command (no action's messages are running).
    bool awaiting_command() const;

    // ---- the board overlay (presentation only; the battle never reads it)
    // The animation clock: `ms` of real time. Inside a handler (a message box keeps this clock
    // running) it looks for new hits first; then it moves everything on at the battle's tempo,
    // hold-Space included.
    void overlay_tick(int ms);
    const BoardOverlay& overlay() const { return overlay_; }
    std::vector<SquareTint> tints() const;
    std::optional<BoardSquare> acting() const;
    std::vector<TurnEntry> turn_order(int count) const;

  private:
    // The picture of a party (1..5) or enemy (11..15) slot on the board.
    const UnitSprite& sprite_of(int slot) const {
        return slot <= kLastParty ? ctx_.w.party[slot] : ctx_.w.enemy[slot - 10];
    }
    struct Busy;
    bool turn_open() const;
    void refresh_skill_buttons();
    void refresh_item_list();
    void refuse(const std::string& text);
    void clear_preview();  // target markers, their caption and hatching, the technique texts
    void after_message_change();

    BattleContext ctx_;
    BoardOverlay overlay_;
    bool warp_cursor_on_ = false;
    int warp_cursor_x_ = 0, warp_cursor_y_ = 0;
    Marker hover_at_;  // where hover_slot's picture stood when it was pointed at
    int timer4_ms_ = kFirstTimer4Ms;
    int timer3_ms_ = kFirstTimer3Ms;
    bool fast_forward_ = false;
    bool busy_ = false;  // a handler is inside a message box: the drivers must not re-enter
    bool log_open_ = false;
    std::string yellow_text_;
};

}  // namespace lum
