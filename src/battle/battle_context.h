#pragma once

// What every battle rule works on: the game state, the ports to the world, and the visible
// state of the battle screen's widgets as plain values. The battle screen's view copies
// `BattleWidgets` into its widgets after every event and tick; the rules never touch a widget.

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "state/game_state.h"
#include "state/numbers.h"
#include "state/ports.h"

namespace lum {

// The board: 7 x 5 squares of 64 pixels in `map_cg`, which sits at (1, 1) on the form.
inline constexpr int kBoardColumns = 7, kBoardRows = 5;
inline constexpr int kSquarePx = 64;
inline constexpr int kMapLeft = 1, kMapTop = 1;
inline constexpr int kOffBoardLeft = -80;  // where markers are parked

inline bool on_board(int x, int y) {
    return x >= 0 && x < kBoardColumns && y >= 0 && y < kBoardRows;
}

// The square of a warp: x = Random(7), y = Random(5), drawn again until `grid` is free there. A
// full board (only possible with damaged data) draws nothing and returns false.
bool draw_free_square(GameState& gs, int& x, int& y);

struct Marker {
    int left = kOffBoardLeft;
    int top = 0;
};

struct UnitSprite {
    bool visible = false;
    int left = 0, top = 0;
    std::string picture;   // file under cg/
    std::string hp_label;  // "hp/max_hp"
    int hp_left = 0, hp_top = 0;
    bool opaque = false;  // the acting unit is drawn opaque, the others transparent
};

// The step buttons of the movement panel `menu1`.
struct StepButtons {
    bool mae = false;     // "←"
    bool mae2 = false;    // "←" (outer)
    bool usiro = false;   // "→"
    bool usiro2 = false;  // "→" (outer)
    bool ue = false;      // "↑"
    bool sita = false;    // "↓"
    bool mae3 = false;    // "北西"
    bool mae4 = false;    // "南西"
    bool usiro3 = false;  // "北東"
    bool usiro4 = false;  // "南東"
    bool warp = false;    // "ワープ"
    bool operator==(const StepButtons&) const = default;
};

struct BattleWidgets {
    bool battle_shown = false;  // the battle screen is the one visible

    std::string moji_l;            // the message line
    std::vector<std::string> log;  // this battle's messages, line and boxes, oldest first
    std::string moji_l2;           // enemy speech before a battle
    bool moji_l2_visible = false;
    std::deque<std::string> speech;  // lines still to come before the first turn
    bool speech_running = false;

    bool menu0 = false;    // command panel
    bool menu1 = false;    // movement
    bool menu2 = false;    // normal families
    bool menu3 = false;    // special families
    bool menu4 = false;    // techniques
    bool ken_box = false;  // sealed sword
    std::string menu0_caption;
    std::string menu4_caption;

    std::array<Marker, 5> markers{};  // s1..s5
    std::string s_l;
    bool s_l_visible = false;
    bool s_l2_visible = false;

    bool timer3 = false;  // enemy half
    bool timer4 = false;  // party half

    bool warp_click_armed = false;

    std::string map_file;               // battle map under cg/ (the view falls back to map00.bmp)
    std::string result_caption;         // the result dialog's continue button
    std::array<UnitSprite, 6> party{};  // [1..5]
    std::array<UnitSprite, 6> enemy{};  // [1..5]
    std::array<std::string, 6> enemy_portrait{};  // kao_cg1..5, [1..5]

    StepButtons steps;
    std::array<bool, 16> family_enabled{};            // w1..w15 by family number
    std::array<std::string, 5> technique_captions{};  // b1..b4 at [1..4]
    std::string magic_about_l, magic_about_l2;
};

struct BattleContext {
    GameState& gs;
    Dialogs& dialogs;
    Sound& sound;
    Pacing& pacing;
    Screens& screens;
    BattleWidgets w;

    TChara& unit(int i) { return gs.chara_at(i); }
    TChara& actor() { return gs.chara_at(gs.cur_unit); }
    // The unit on square (x, y); the inert slot 0 for an empty square or one off the board.
    TChara& on_square(int x, int y) { return gs.chara_at(gs.grid.at(x, y)); }

    void hide_markers();
    void place_marker(int k, int column, int row);  // k = 0..4, board square
    void hide_command_menus();                      // menu0, menu1, ken_box, menu2, menu3, menu4
    void set_timers(bool on) { w.timer3 = w.timer4 = on; }

    // The battle's messages. Each goes into the log as it is shown.
    void say(const std::string& text);  // the message line
    void inform(const std::string& text);
    // Boxes informed between these two show as one box, their texts one under another, unless
    // the player keeps one box per message.
    void gather_boxes();
    void show_gathered();

    std::vector<std::string> gathered{};
    bool gathering = false;
};

}  // namespace lum
