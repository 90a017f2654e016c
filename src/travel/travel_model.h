#pragma once

// The travel screen without widgets: region maps and their places, the status panel, the party
// list, the item box, the three shops, the text-speed box, save and quit. The view copies this
// state into its widgets on its 50 ms timers and forwards every click here.

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "state/game_state.h"
#include "state/ports.h"
#include "state/status_panel.h"
#include "travel/class_change.h"
#include "travel/place_events.h"

namespace lum {

// The three battle starts, owned by the battle screen.
struct BattleStarts {
    std::function<void()> story, region, random;
};

// The region boxes by their place flag, in the order the screen creates them.
inline constexpr std::array<int, 6> kRegionBoxes = {100, 12, 19, 25, 31, 39};

// The place number in a button's name ("m12" 12, "M37" 37); -1 for buttons without one. The
// five space doors m41a..m41e all carry 41.
int button_number(const std::string& button);

// The region box a travel button sits in, or -1 for a button the map does not know.
int button_region(const std::string& button);

// Every map button of a region box, in tab order.
const std::vector<std::string>& region_buttons(int box);

// Whether a button's own place flag lets it show: m34 always shows, and so do the buttons
// without a place number (shops, plains, ships).
bool button_flag_shown(const std::string& button, const std::array<byte, kPlaceCount>& flags);
// Whether a button is on the map with these flags: its own flag and its region box's flag.
bool button_on_map(const std::string& button, const std::array<byte, kPlaceCount>& flags);

class TravelModel {
  public:
    TravelModel(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens,
                BattleStarts starts);

    GameState& state() { return gs_; }

    void FormShow();
    void Timer1Timer();  // class-change details
    void Timer2Timer();  // status panel, portrait, message toast
    void Timer3Timer();  // place visibility

    // Any map button: a place, a people place, a shop, a space door, a plains or ship button.
    void click(const std::string& button);
    // The description of the place under the pointer (some buttons only answer a press).
    void hover(const std::string& button);
    void press(const std::string& button);
    void map_hover(int box);  // the map picture or the screen's background (box 100)
    // The name a map button stands for ("ソードショップ", a place's name); empty for none.
    std::string place_name(const std::string& button) const;

    void party_listMouseDown(int row);
    void item_listMouseDown(int row);
    void item_useClick();
    void job_listMouseDown(int row);
    void BitBtn17Click();  // クラス･チェンジ
    void back_click();     // 戻る of the three shops

    void Button1Click() { hyoji_box = true; }  // config
    void TrackBar1Change(int position);
    void Button3Click() { hyoji_box = false; }  // OK

    void BitBtn4Click();   // セーブ
    void BitBtn5Click();   // 中断
    void BitBtn12Click();  // ノンセーブ中断
    void Button15Click();  // stage+
    void Button16Click();  // stage-
    void BitBtn18Click();  // 通常戦闘 (developer)

    // Esc: closes the open shop panel or the config box; false when nothing was open.
    bool escape();

    // Visibility as of the last Timer3 tick.
    bool visible(const std::string& button) const;
    bool region_visible(int box) const { return shown_flags_[box] != 0; }

    // --- what the view shows
    std::string moji_l;
    bool moji_l_yellow = false;
    std::string map_about_l;
    std::string toast;  // "セーブしました" for a moment after a save
    StatusPanelTexts status;
    std::string my_cg;                 // portrait file under cg/
    std::array<std::string, 6> kao{};  // kao_cg1..5 at [1..5]

    std::vector<std::string> party_list;
    std::vector<int> party_chars;  // the character each row shows
    int party_row = -1;

    std::vector<std::pair<int, std::string>> item_list;
    int item_row = -1;
    std::string item_about;
    std::string item_use_caption = "アイテム使用";
    bool item_mark = false;

    ClassShop class_shop;
    bool card_box = false, ken_box = false;
    std::string card_l, card_l2 = "交換料金 0円", ken_l, ken_l2 = "解放料金 0円";

    bool hyoji_box = false;
    int track_position = 2;
    bool card_b = false;

  private:
    class Actions;
    friend class Actions;

    void refresh_party_list();
    void refresh_portraits();
    void refresh_item_list();
    void open_shop(bool cards);
    void step_stage(int delta);
    void space_door(const std::string& button);
    void set_message(const std::string& text, bool yellow = false);

    GameState& gs_;
    Dialogs& dialogs_;
    Sound& sound_;
    Screens& screens_;
    BattleStarts starts_;
    std::array<byte, kPlaceCount> shown_flags_{};
    int toast_ticks_ = 0;
    // The map change of a story battle started here, with the stage it was started at.
    std::function<void(GameState&)> once_won_;
    int once_won_stage_ = 0;
};

inline constexpr const char* kHomeRegionText =
    "<ルミナ地方>\r風車の丘と深い森に囲まれた、ルミナリアの生まれ育ったのどかな地方。";

}  // namespace lum
