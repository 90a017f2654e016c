#pragma once

// The party box of the story screen: a newcomer chooses a class, raises one attribute and
// swears an oath, in that order and each exactly once.

#include <array>
#include <string>

#include "state/canvas.h"
#include "state/game_state.h"

namespace lum {

struct ClassButton {
    const char* widget;
    const char* caption;
    byte job;
    int attr;  // raised attribute, 0..9
    int base;  // raise = base + random(5)
};

// Top to bottom in `state_box1`.
inline constexpr std::array<ClassButton, 5> kClassButtons{{
    {"Button1", "訓練生", 0, 0, 4},
    {"Button5", "剣士", 1, 2, 5},
    {"j_a1", "アーチャー", 2, 3, 5},
    {"j_a2", "ガンマン", 3, 4, 5},
    {"Button2", "術士", 4, 1, 5},
}};

struct AttrButton {
    const char* widget;
    const char* caption;
};

// Attribute k (in TChara::attr order); left column 0..4, right column 5..9.
inline constexpr std::array<AttrButton, kAttrCount> kAttrButtons{{
    {"Button6", "体力"},
    {"Button7", "魔力"},
    {"Button8", "秩序"},
    {"Button9", "冷静"},
    {"Button10", "機工"},
    {"Button11", "正義"},
    {"Button12", "闇"},
    {"Button13", "獣"},
    {"Button14", "過去"},
    {"Button15", "速さ"},
}};

struct OathButton {
    const char* widget;
    const char* caption;
};

// Oath value v (1..20) is entry v - 1; four columns of five, column by column.
inline constexpr std::array<OathButton, 20> kOathButtons{{
    {"Button16", "夢"},     {"Button17", "真実"},   {"Button18", "信頼"},   {"Button19", "誇り"},
    {"Button20", "強さ"},   {"Button21", "挫折"},   {"Button22", "嘘"},     {"Button23", "裏切り"},
    {"Button24", "不安"},   {"Button25", "弱さ"},   {"Button29", "優しさ"}, {"Button28", "愛"},
    {"Button27", "尊さ"},   {"Button30", "忠義"},   {"Button31", "永遠"},   {"Button26", "同情"},
    {"Button32", "悲しみ"}, {"Button33", "憎しみ"}, {"Button34", "虚しさ"}, {"Button35", "儚さ"},
}};

inline constexpr const char* kPartyPortraitPicture = "party_cg";

// The portrait a recruit of the story gets, by exact name; "my0.bmp" for anyone else.
std::string recruit_portrait(const std::string& name, int stage_no);

// The ten attribute lines of `state_l2`, joined by CR.
std::string attribute_summary(const TChara& c);

class PartyBox {
  public:
    PartyBox(GameState& gs, Canvas& canvas) : gs_(gs), canvas_(canvas) {}

    // Code 9: a new member of the active party. `story_player` picks the portrait and the
    // archer/gunman rule, which the talk player leaves as they were. False, with nothing
    // changed, when slots 1..5 are all taken.
    bool open_party_member(const std::string& name, bool story_player);
    // Code 15: a new reserve member. False, with nothing changed, when slots 6..10 are taken.
    bool open_reserve_member(const std::string& name);

    // Class button i of kClassButtons; ignored unless the class step is showing.
    void class_click(int i);
    void class_hover(int i);
    void state_box1MouseMove();
    // Attribute button k of kAttrButtons; ignored unless the attribute step is showing.
    void attr_click(int k);
    // Oath value 1..20; ignored unless the oath step is showing.
    void oath_click(int value);
    // Hides the box when "→OK" is enabled; false when it is not.
    bool finish();

    // What the box shows.
    bool visible = false;
    int x = 540;
    std::string caption;
    std::string state_l1, state_l2, state_l3;
    bool state_l1_visible = false, state_l2_visible = false, state_l3_visible = false;
    bool state_box1_visible = true, state_box2_visible = false, state_box3_visible = false;
    std::string state_box_l = "▼クラスを選択して下さい";
    bool j_a1_enabled = true, j_a2_enabled = true;
    std::string job_about_l, job_about_l2, job_about_l3;
    bool party_ok_b_enabled = false;

  private:
    void open_box();
    void fill_common(TChara& c, const std::string& name);
    TChara& edited() { return gs_.chara_at(gs_.edit_slot); }

    GameState& gs_;
    Canvas& canvas_;
};

}  // namespace lum
