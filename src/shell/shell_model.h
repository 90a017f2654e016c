#pragma once

// Start-up, the title box and closing: the steps of the battle screen that are not battle.
// Qt-free; the window and its widgets copy their state from here.

#include <string>
#include <vector>

#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

class ShellModel {
  public:
    ShellModel(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens);

    // Battle screen creation, in two steps so the title can paint before the save is read:
    // what needs no file (seed, clear_mark := 0, the title, save_on_close := false), then
    // load_game, the ending buttons and the title music. A data fault is thrown as DataError
    // (the program ends). load_for_title returns the notices of the load (e.g. a save restored
    // from its backup).
    void show_title();
    std::vector<std::string> load_for_title();

    void Button1Click();  // "最初からする"
    void Button2Click();  // "コンティニュー"
    void ed_b1Click();    // "エンディング１"
    void ed_b2Click();    // "エンディング２"

    // The battle screen is closing (close box, or a quit step of another screen).
    // Saves when save_on_close is set. Returns false when the program should keep running
    // (the save failed and the player chose not to quit without it).
    bool close_battle_screen();

    // Developer buttons of the battle screen (outside the visible client area).
    void BitBtn2Click();  // "ＴＲＡＶＥＬ"
    void BitBtn4Click();  // "初期化"
    void Button17Click() { cur().exp += 25; }
    void Button15Click() { cur().job += 1; }
    void Button16Click() { cur().job -= 1; }
    void raise_attr(int k) { cur().attr(k) += 5; }  // Button5 .. Button14

    bool start_box_visible = false;
    bool ed_b1_visible = false;
    bool ed_b2_visible = false;

  private:
    void start_ending(int script_pos);
    TChara& cur() { return gs_.chara_at(gs_.cur_unit); }

    GameState& gs_;
    Dialogs& dialogs_;
    Sound& sound_;
    Screens& screens_;
};

inline constexpr const char* kNewGameQuestion =
    "「最初からする」を選択するとこれまでのデータは初期化されます\r"
    "新しいデータで最初からプレーしますか？";

}  // namespace lum
