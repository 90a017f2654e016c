#include <gtest/gtest.h>

#include "battle/battle_clock.h"
#include "battle/battle_model.h"
#include "battle/result_model.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

struct ModelRig {
    GameState gs;
    FakeDialogs dialogs;
    FakeSound sound;
    FakePacing pacing;
    FakeScreens screens;
    BattleModel m{gs, dialogs, sound, pacing, screens};

    BattleWidgets& w() { return m.widgets(); }
    TChara& put(int slot, int x, int y, int hp = 500) {
        TChara& c = place_unit(gs, slot, x, y, hp);
        c.lifespan = 10;
        return c;
    }
    // The screen shows, the board is drawn and the first party member's turn is open.
    void open_turn() {
        w().battle_shown = true;
        m.Timer1Timer();
        gs.cur_unit = 0;
        open_next_party_turn(m.context());
        w().timer3 = w().timer4 = true;
        m.Timer1Timer();
        sound.log.clear();
    }
    std::string last_sound() const { return sound.log.empty() ? "" : sound.log.back(); }
};

TEST(BattleTempo, SliderSetsBothDriversFromTheirNextTick) {
    ModelRig r;
    r.put(1, 6, 0);
    r.put(11, 0, 0);
    r.open_turn();
    EXPECT_EQ(r.gs.speed_ms, 500);  // the game's own tempo until the slider moves
    EXPECT_EQ(r.m.slider_position(), 5);
    EXPECT_EQ(r.m.timer4_ms(), 1000);
    EXPECT_EQ(r.m.timer3_ms(), 500);

    const struct {
        int position, speed, party, enemy;
    } cases[] = {{1, 312, 312, 468},
                 {9, 728, 728, 1092},
                 {5, 520, 520, 780},
                 {0, 312, 312, 468},
                 {12, 728, 728, 1092}};
    for (const auto& c : cases) {
        r.m.TrackBar1Change(c.position);
        EXPECT_EQ(r.gs.speed_ms, c.speed) << c.position;
        r.m.Timer4Timer();
        r.m.Timer3Timer();
        EXPECT_EQ(r.m.timer4_ms(), c.party) << c.position;
        EXPECT_EQ(r.m.timer3_ms(), c.enemy) << c.position;
    }
    EXPECT_EQ(r.m.speech_ms(), 3 * 728);

    // Space held: the fast end's intervals whatever the slider says, back when released.
    r.m.set_fast_forward(true);
    EXPECT_EQ(r.m.timer4_ms(), 312);
    EXPECT_EQ(r.m.timer3_ms(), 468);
    EXPECT_EQ(r.gs.speed_ms, 728);  // the tempo of pauses and the result dialog stays
    r.m.set_fast_forward(false);
    EXPECT_EQ(r.m.timer4_ms(), 728);
    EXPECT_EQ(r.m.timer3_ms(), 1092);
}

TEST(BattleBoard, NotRedrawnWhileAnActionsMessagesShow) {
    ModelRig r;
    r.put(1, 6, 2);
    r.put(11, 0, 2);
    r.open_turn();
    EXPECT_EQ(r.w().party[1].left, 6 * 64 + 1);
    EXPECT_TRUE(r.w().party[1].opaque);
    EXPECT_FALSE(r.w().enemy[1].opaque);
    EXPECT_EQ(r.w().party[1].hp_label, "500/500");

    r.gs.chara[1].x = 4;
    r.gs.chara[1].hp = 321;
    for (auto [p, e] : {std::pair{2, 0}, {3, 0}, {0, 2}, {4, 2}}) {
        r.gs.player_phase = p;
        r.gs.enemy_phase = e;
        r.m.Timer1Timer();
        EXPECT_EQ(r.w().party[1].left, 6 * 64 + 1) << p << "/" << e;
        EXPECT_EQ(r.w().party[1].hp_label, "500/500");
        EXPECT_EQ(r.gs.grid.at(6, 2), 1);
    }
    r.gs.player_phase = 4;
    r.gs.enemy_phase = 0;
    r.m.Timer1Timer();
    EXPECT_EQ(r.w().party[1].left, 4 * 64 + 1);
    EXPECT_EQ(r.w().party[1].hp_label, "321/500");
    EXPECT_EQ(r.gs.grid.at(6, 2), 0);
    EXPECT_EQ(r.gs.grid.at(4, 2), 1);
}

TEST(BattleFamilies, ClassDecidesWhichLearnedFamiliesOpen) {
    ModelRig r;
    for (int f = 1; f <= 18; ++f) r.gs.skill_flags[f] = 1;
    r.gs.skill_flags[17] = 0;
    TChara& c = r.put(1, 6, 2);
    c.body = 30;
    c.magic = 30;
    r.put(11, 0, 2);
    r.m.FormShow();
    r.open_turn();
    EXPECT_FALSE(r.m.Label3_visible);

    c.job = 23;  // sees 体術 alone, in either box
    r.m.usu_bClick();
    EXPECT_TRUE(r.w().menu2);
    EXPECT_TRUE(r.w().family_enabled[1]);
    for (int f = 2; f <= 15; ++f) EXPECT_FALSE(r.w().family_enabled[f]) << f;
    r.m.family_click(2);
    EXPECT_FALSE(r.w().menu4);
    r.m.spa_bClick();
    EXPECT_TRUE(r.w().menu3);
    EXPECT_FALSE(r.w().menu2);
    r.m.family_click(8);
    EXPECT_FALSE(r.w().menu4);
    r.m.family_click(1);
    EXPECT_TRUE(r.w().menu4);
    EXPECT_EQ(r.w().menu4_caption, "体術");
    EXPECT_EQ(r.w().technique_captions[4], r.gs.skill_table[1][4].name);

    c.job = 22;  // everything but 体術
    r.m.usu_bClick();
    EXPECT_FALSE(r.w().family_enabled[1]);
    for (int f = 2; f <= 15; ++f) EXPECT_TRUE(r.w().family_enabled[f]) << f;

    // Unlearned families are not shown; with no special family the box says so.
    r.gs.skill_flags.fill(0);
    r.gs.skill_flags[1] = 1;
    r.m.FormShow();
    EXPECT_TRUE(r.m.family_visible[1]);
    EXPECT_FALSE(r.m.family_visible[2]);
    EXPECT_TRUE(r.m.Label3_visible);
}

TEST(BattleTechniques, LockedTechniqueShowsQuestionMarkAndRefusesItsClick) {
    ModelRig r;
    r.gs.skill_flags[2] = 1;
    r.m.FormShow();
    TChara& c = r.put(1, 6, 2);
    c.magic = 4;  // 魔術 needs more than 4
    c.mp = 10;
    r.put(11, 0, 2);
    r.open_turn();
    r.m.usu_bClick();
    r.m.family_click(2);
    for (int s = 1; s <= 4; ++s) EXPECT_EQ(r.w().technique_captions[s], "？");
    r.m.technique_hover(1);
    EXPECT_EQ(r.w().magic_about_l, "まだ技を憶えていません");
    EXPECT_EQ(r.w().magic_about_l2, "必要要素:\r【魔力】");
    r.m.technique_click(1);
    EXPECT_EQ(r.w().magic_about_l, "技を憶えていません");
    EXPECT_EQ(r.gs.player_phase, 0);
    EXPECT_TRUE(r.w().menu4);
    EXPECT_EQ(c.mp, 10);
}

TEST(BattleTechniques, MagicPreviewFollowsEachHoverAndTheClickStrikesTheLastShown) {
    ModelRig r;
    r.gs.skill_flags[2] = 1;
    r.gs.skill_table[2][1] = {"ファイア", "1/8", "炎で焼く"};
    r.m.FormShow();
    TChara& c = r.put(1, 6, 2);
    c.magic = 30;
    c.dark = 4;
    c.mp = 10;
    c.aiko_power = 17;
    r.put(11, 1, 0);
    r.put(12, 2, 3);
    r.put(13, 0, 4);
    r.open_turn();
    r.m.usu_bClick();
    r.m.family_click(2);
    EXPECT_EQ(r.w().technique_captions[1], "ファイア");

    r.gs.rng.script({2, 1, 4, 0});  // 13, 12, then 15 (empty) redrawn to 11
    r.m.technique_hover(1);
    EXPECT_EQ(r.gs.target_unit, 13);
    EXPECT_EQ(r.w().markers[0].left, 0 * 64 + 1);
    EXPECT_EQ(r.w().markers[0].top, 4 * 64 + 1);
    EXPECT_EQ(r.w().magic_about_l, "哀古力：1/8");
    EXPECT_EQ(r.w().magic_about_l2, ">-mp1\r◆炎で焼く");
    r.m.technique_hover(1);
    EXPECT_EQ(r.gs.target_unit, 12);
    EXPECT_EQ(r.w().markers[0].left, 2 * 64 + 1);
    EXPECT_EQ(r.w().markers[0].top, 3 * 64 + 1);
    r.m.technique_hover(1);
    EXPECT_EQ(r.gs.target_unit, 11);
    EXPECT_EQ(r.w().markers[0].left, 1 * 64 + 1);
    EXPECT_EQ(r.w().markers[0].top, 0 * 64 + 1);
    EXPECT_TRUE(r.gs.rng.scripted_empty());

    r.gs.rng.script({0});  // no failure
    r.m.technique_click(1);
    // magic + dark + A / 8 with A taken before the drain: 30 + 4 + 2
    EXPECT_EQ(r.gs.chara[11].hp, 500 - 36);
    EXPECT_EQ(r.gs.chara[12].hp, 500);
    EXPECT_EQ(r.gs.chara[13].hp, 500);
    EXPECT_EQ(c.mp, 9);
    EXPECT_EQ(r.gs.player_phase, 2);
    EXPECT_EQ(r.gs.player_act_msg, "U1は魔術「ファイア」を行った！");
    EXPECT_EQ(r.gs.player_result_msg, "U11に36のダメージを与えた！");
    EXPECT_FALSE(r.w().menu0 || r.w().menu2 || r.w().menu4);
}

TEST(BattleTechniques, AstrologySlotThreePreviewKeepsItsOwnSquares) {
    ModelRig r;
    r.gs.skill_flags[12] = 1;
    r.m.FormShow();
    TChara& c = r.put(1, 6, 2);
    c.magic = c.justice = c.dark = 60;
    c.calm = 30;
    r.put(11, 0, 2);
    r.open_turn();
    r.m.spa_bClick();
    r.m.family_click(12);
    r.m.technique_hover(3);
    const int expected[5][2] = {{3, 2}, {3, 1}, {3, 3}, {4, 2}, {2, 2}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(r.w().markers[k].left, expected[k][0] * 64 + 1) << k;
        EXPECT_EQ(r.w().markers[k].top, expected[k][1] * 64 + 1) << k;
    }
    // The board's tint shows the squares it strikes, (2, 3) and (5, 1) among them.
    EXPECT_EQ(r.m.tints(), (std::vector<SquareTint>{{{3, 2}, TintKind::strike},
                                                    {{3, 3}, TintKind::strike},
                                                    {{3, 1}, TintKind::strike},
                                                    {{2, 3}, TintKind::strike},
                                                    {{5, 1}, TintKind::strike}}));
    r.m.technique_hover(2);
    EXPECT_EQ(r.m.tints().size(), 3u);
    // Pointing away between actions takes the preview down, and so do leaving the button and
    // Esc.
    r.m.FormMouseMove();
    for (const Marker& mk : r.w().markers) EXPECT_EQ(mk.left, kOffBoardLeft);
    EXPECT_EQ(r.w().magic_about_l, "");
    r.m.technique_hover(3);
    r.m.technique_leave();
    for (const Marker& mk : r.w().markers) EXPECT_EQ(mk.left, kOffBoardLeft);
    EXPECT_EQ(r.w().magic_about_l, "");
    r.m.technique_hover(3);
    EXPECT_EQ(r.w().markers[0].left, 3 * 64 + 1);
    r.m.escape();
    EXPECT_FALSE(r.w().menu4);
    for (const Marker& mk : r.w().markers) EXPECT_EQ(mk.left, kOffBoardLeft);
    EXPECT_EQ(r.w().magic_about_l, "");
    EXPECT_EQ(r.w().magic_about_l2, "");
}

TEST(BattleItems, RefusalsInOrderThenAUseEndsTheTurnWithItsMessage) {
    ModelRig r;
    r.gs.item_table[5] = {"薬草", "傷を治す草", 0, 2};
    r.gs.item_table[7] = {"薬草", "もう一つの薬草", 0, 3};
    r.gs.item_table[40] = {"古い楽譜", "曲の譜面", 24, 3};
    r.gs.item_table[101] = {"錆びた剣", "剣", 100, 1};
    r.gs.item_table[300] = {"card･ゴブ", "", 111, 4};
    for (int i : {5, 40, 101, 300}) r.gs.item_owned[i] = 1;
    TChara& c = r.put(1, 6, 2, 100);
    c.hp = 30;
    r.put(11, 0, 2);
    r.open_turn();

    r.m.Button18Click();
    EXPECT_TRUE(r.m.item_box.visible);
    EXPECT_FALSE(r.w().menu0);
    EXPECT_EQ(r.last_sound(), "step");
    ASSERT_EQ(r.m.item_box.entries.size(), 4u);
    EXPECT_EQ(r.m.item_box.entries[3], (std::pair<int, std::string>{300, "card･ゴブ"}));

    auto use = [&](int row) {
        r.m.item_listMouseDown(row);
        r.sound.log.clear();
        r.m.item_useClick();
    };
    use(-1);
    EXPECT_EQ(r.w().moji_l, "アイテムが選択されていません");
    EXPECT_EQ(r.sound.log, std::vector<std::string>{"effect:off1.wav"});
    r.m.item_listMouseDown(3);
    EXPECT_EQ(r.gs.sel_item, 300);
    EXPECT_EQ(r.m.item_box.item_about, "ヴェルモラカード number 300");
    use(3);
    EXPECT_EQ(r.w().moji_l, "【カード】はここでは使用できません。");
    use(2);
    EXPECT_EQ(r.w().moji_l,
              "【剣タイプ】のアイテムは【ソードショップ】に持っていかないと使えません。");
    use(1);
    EXPECT_EQ(r.w().moji_l, "【楽譜】はここでは使用できません。");
    EXPECT_EQ(r.sound.log, std::vector<std::string>{"effect:off1.wav"});
    EXPECT_TRUE(r.m.item_box.visible);
    EXPECT_EQ(r.gs.player_phase, 0);
    EXPECT_EQ(r.gs.item_owned[300], 1);

    // The entry "薬草" names items 5 and 7: the higher number is the one picked.
    r.m.item_listMouseDown(0);
    EXPECT_EQ(r.gs.sel_item, 7);
    EXPECT_EQ(r.m.item_box.item_about, "もう一つの薬草");
    r.gs.item_owned[7] = 1;  // own it too, so the use consumes it
    r.m.item_useClick();
    EXPECT_EQ(c.hp, 60);
    EXPECT_EQ(r.w().moji_l, "U1のＨｐが30回復した。");
    EXPECT_TRUE(r.m.moji_l_yellow);
    EXPECT_EQ(r.gs.player_result_msg, "U1のＨｐが30回復した。");
    EXPECT_EQ(r.gs.player_phase, 3);
    EXPECT_FALSE(r.m.item_box.visible);
    EXPECT_FALSE(r.w().menu0);
    EXPECT_EQ(r.gs.item_owned[7], 0);

    r.m.Timer4Timer();  // the result message, then the turn passes on
    EXPECT_EQ(r.w().moji_l, "U1のＨｐが30回復した。");
    EXPECT_EQ(r.gs.player_phase, 4);
    r.m.Timer4Timer();
    EXPECT_EQ(r.gs.cur_unit, 10);  // the party is through: the enemies' half
    EXPECT_TRUE(r.m.moji_l_yellow);
    r.m.Timer3Timer();  // the next message takes the yellow away
    EXPECT_EQ(r.w().moji_l, "U11の攻撃");
    EXPECT_FALSE(r.m.moji_l_yellow);
}

TEST(BattleItems, CancelReopensTheCommandMenu) {
    ModelRig r;
    r.put(1, 6, 2);
    r.put(11, 0, 2);
    r.open_turn();
    r.m.Button18Click();
    r.m.Button22Click();
    EXPECT_FALSE(r.m.item_box.visible);
    EXPECT_TRUE(r.w().menu0);
    EXPECT_EQ(r.last_sound(), "effect:off1.wav");
    EXPECT_EQ(r.gs.player_phase, 0);
}

TEST(BattlePanel, ClampsAndShowsWithinOneRefresh) {
    ModelRig r;
    TChara& c = r.put(1, 6, 2, 100);
    r.put(11, 0, 2);
    r.w().enemy_portrait[1] = "boss_face.bmp";
    r.open_turn();
    c.hp = 130;
    r.m.Timer2Timer();
    EXPECT_EQ(c.hp, 100);
    EXPECT_NE(r.m.panel.state_l2.find("\rHp  100/100\r"), std::string::npos) << r.m.panel.state_l2;
    c.hp = -5;
    r.m.Timer2Timer();
    EXPECT_EQ(c.hp, 0);
    EXPECT_NE(r.m.panel.state_l2.find("\rHp  0/100\r"), std::string::npos);
    EXPECT_EQ(r.m.panel.state_l1, "U1");
    EXPECT_EQ(r.m.portrait, portrait_file("U1", 0));

    // Pointing at a unit selects it; the map or the background give the acting unit back.
    r.m.unit_hover(11);
    EXPECT_EQ(r.gs.sel_unit, 11);
    EXPECT_EQ(r.m.hover_slot, 11);
    r.m.Timer2Timer();
    EXPECT_EQ(r.m.panel.state_l1, "U11");
    EXPECT_EQ(r.m.portrait, "boss_face.bmp");
    r.m.map_cgMouseMove();
    EXPECT_EQ(r.gs.sel_unit, 1);
    EXPECT_EQ(r.m.hover_slot, 0);

    // The frame goes with the pointer leaving the board, or the unit leaving the pointer; the
    // panel keeps the unit last pointed at.
    r.m.unit_hover(11);
    r.m.map_cgMouseLeave();
    EXPECT_EQ(r.m.hover_slot, 0);
    EXPECT_EQ(r.gs.sel_unit, 11);
    r.m.unit_hover(11);
    r.m.Timer1Timer();
    EXPECT_EQ(r.m.hover_slot, 11);
    r.gs.chara[11].x = 1;
    r.m.Timer1Timer();
    EXPECT_EQ(r.m.hover_slot, 0);
    r.m.map_cgMouseMove();

    // The keys point at the units on the board in slot order, party first; past either end
    // the acting unit is shown again. An empty slot is passed over.
    r.put(13, 0, 4);
    r.m.Timer1Timer();
    std::vector<int> walk;
    for (int i = 0; i < 4; ++i) {
        r.m.status_key(false);
        walk.push_back(r.m.hover_slot * 100 + r.gs.sel_unit);
    }
    EXPECT_EQ(walk, (std::vector<int>{101, 1111, 1313, 1}));
    r.m.status_key(true);
    EXPECT_EQ(r.m.hover_slot, 13);
    r.m.status_key(true);
    r.m.status_key(true);
    EXPECT_EQ(r.m.hover_slot, 1);
    r.m.status_key(true);
    EXPECT_EQ(r.m.hover_slot, 0);
    EXPECT_EQ(r.gs.sel_unit, 1);
    r.gs.chara[13].state = kStateEmpty;

    // An empty slot selected freezes the panel and the clamping.
    r.gs.sel_unit = 14;
    c.hp = 150;
    r.m.Timer2Timer();
    EXPECT_EQ(c.hp, 150);
    EXPECT_EQ(r.m.panel.state_l1, "U11");
}

TEST(BattleMovement, ArmedWarpRefusesAnOccupiedSquareAndWaitsForAFreeOne) {
    ModelRig r;
    r.put(1, 6, 2);
    r.put(11, 3, 2);
    r.open_turn();
    r.gs.skill_family = 14;
    r.gs.skill_slot = 4;
    r.w().warp_click_armed = true;
    r.w().menu0 = false;
    EXPECT_FALSE(r.m.awaiting_command());

    r.m.map_cgMouseDown(3 * 64 + 20, 2 * 64 + 20);
    EXPECT_EQ(r.dialogs.log, std::vector<std::string>{"inform:そこには移動できません"});
    EXPECT_TRUE(r.w().warp_click_armed);
    EXPECT_EQ(r.gs.chara[1].x, 6);
    EXPECT_EQ(r.gs.player_phase, 0);

    r.m.map_cgMouseDown(2 * 64 + 20, 0 * 64 + 20);
    EXPECT_FALSE(r.w().warp_click_armed);
    EXPECT_EQ(r.gs.chara[1].x, 2);
    EXPECT_EQ(r.gs.chara[1].y, 0);
    EXPECT_EQ(r.w().moji_l, "U1はワープした");
    EXPECT_EQ(r.last_sound(), "effect:warp.wav");
    EXPECT_EQ(r.gs.player_phase, 2);

    // Used up: a further click does nothing.
    r.m.map_cgMouseDown(4 * 64 + 20, 4 * 64 + 20);
    EXPECT_EQ(r.gs.chara[1].x, 2);
    EXPECT_EQ(r.dialogs.log.size(), 1u);
}

TEST(BattleMovement, FlightAnsweredNoThenYes) {
    ModelRig r;
    r.gs.money = 1004;
    r.gs.ark = 9;
    r.put(1, 6, 2);
    r.put(11, 0, 2);
    r.open_turn();
    r.m.idou_bClick();
    r.dialogs.answers = {false, true};
    r.m.nigeru_bClick();
    EXPECT_EQ(r.gs.money, 1004);
    EXPECT_EQ(r.gs.ark, 9);
    EXPECT_TRUE(r.w().menu1);
    EXPECT_TRUE(r.m.timer4_on());
    r.m.nigeru_bClick();
    EXPECT_EQ(r.gs.money, 804);
    EXPECT_EQ(r.gs.ark, 8);
    EXPECT_EQ(r.dialogs.log.back(), "inform:U1達は逃亡した\rお金200円と\rＡｒｋ1Ａを消費した。");
    EXPECT_EQ(r.screens.log, (std::vector<std::string>{"hide:battle", "show:travel"}));
    r.m.FormHide();
    EXPECT_FALSE(r.m.timer3_on() || r.m.timer4_on());
}

TEST(BattleKeys, NumbersEscapeAndArrowsOnlyReachWhatTheMouseCould) {
    ModelRig r;
    TChara& c = r.put(1, 6, 0);
    r.put(11, 0, 2);
    r.open_turn();

    r.m.command_key(1);
    EXPECT_TRUE(r.w().menu1);
    r.m.command_key(2);  // the command menu lies under the movement panel
    EXPECT_FALSE(r.w().menu2);
    r.m.arrow(Arrow::up);  // row 0: "↑" is disabled
    EXPECT_EQ(c.y, 0);
    r.m.escape();
    EXPECT_FALSE(r.w().menu1);
    EXPECT_EQ(r.last_sound(), "effect:off1.wav");
    r.m.arrow(Arrow::left);  // the panel is closed
    EXPECT_EQ(c.x, 6);

    r.m.command_key(2);
    EXPECT_TRUE(r.w().menu2);
    r.m.escape();
    EXPECT_FALSE(r.w().menu2);
    EXPECT_TRUE(r.w().menu0);
    r.m.command_key(5);
    EXPECT_TRUE(r.m.item_box.visible);
    r.m.command_key(6);  // the item box covers the menu
    EXPECT_EQ(r.gs.player_phase, 0);
    r.m.escape();
    EXPECT_FALSE(r.m.item_box.visible);
    EXPECT_TRUE(r.w().menu0);

    r.m.command_key(1);
    r.gs.rng.script({0});
    r.m.arrow(Arrow::left);
    EXPECT_EQ(c.x, 5);
    EXPECT_EQ(r.gs.player_phase, 4);
    EXPECT_EQ(r.w().moji_l, "U1は移動した。");
    EXPECT_EQ(c.oath_count, 1);
    r.m.command_key(6);  // no turn open now
    EXPECT_EQ(r.gs.player_phase, 4);
}

// A warp waiting for its square is aimed by the arrows (from the actor's square, kept on the
// board) and chosen with Enter, with the same refusal as a click on an occupied square.
TEST(BattleKeys, ArmedWarpIsAimedWithArrowsAndEnter) {
    ModelRig r;
    r.put(1, 6, 2);
    r.put(11, 5, 2);
    r.open_turn();
    r.m.warp_enter();  // nothing armed: nothing happens
    EXPECT_TRUE(r.dialogs.log.empty());
    r.gs.skill_family = 14;
    r.gs.skill_slot = 4;
    r.w().warp_click_armed = true;
    r.w().menu0 = false;
    EXPECT_FALSE(r.m.warp_cursor_shown());

    r.m.arrow(Arrow::right);  // off the board: stays on the actor's square
    EXPECT_TRUE(r.m.warp_cursor_shown());
    EXPECT_EQ(r.m.warp_cursor_x(), 6);
    EXPECT_EQ(r.m.warp_cursor_y(), 2);
    EXPECT_EQ(r.gs.chara[1].x, 6);  // moving the cursor does not step
    r.m.arrow(Arrow::left);
    r.m.warp_enter();  // the enemy's square
    EXPECT_EQ(r.dialogs.log, std::vector<std::string>{"inform:そこには移動できません"});
    EXPECT_TRUE(r.w().warp_click_armed);

    r.m.arrow(Arrow::up);
    r.m.arrow(Arrow::up);
    r.m.arrow(Arrow::up);  // row 0 is the top
    r.m.arrow(Arrow::left);
    EXPECT_EQ(r.m.warp_cursor_x(), 4);
    EXPECT_EQ(r.m.warp_cursor_y(), 0);
    r.m.warp_enter();
    EXPECT_FALSE(r.w().warp_click_armed);
    EXPECT_FALSE(r.m.warp_cursor_shown());
    EXPECT_EQ(r.gs.chara[1].x, 4);
    EXPECT_EQ(r.gs.chara[1].y, 0);
    EXPECT_EQ(r.w().moji_l, "U1はワープした");
    EXPECT_EQ(r.gs.player_phase, 2);
}

TEST(BattleKeys, WaitCommandByKeySix) {
    ModelRig r;
    r.put(1, 6, 0);
    r.put(11, 0, 2);
    r.open_turn();
    r.m.command_key(6);
    EXPECT_EQ(r.gs.player_phase, 1);
    EXPECT_EQ(r.w().moji_l, "U1は待機した");
}

// However a battle ended, the next one's opening speech is a wait with nothing of it left:
// no panel, message, technique text, target preview or hover frame, no clock, no command, and
// the plain portrait; the first turn opens when the speech is over.
TEST(BattleSpeech, NothingOfTheLastBattleLivesThroughTheNextOnesSpeech) {
    enum class End { fled, won, abandoned };
    for (End end : {End::fled, End::won, End::abandoned}) {
        SCOPED_TRACE(static_cast<int>(end));
        ModelRig r;
        r.gs.skill_flags[1] = 1;
        r.gs.skill_table[1][1] = {"正拳突き", "1/3", "前方を突く"};
        r.m.FormShow();
        TChara& hero = r.put(1, 6, 2);
        hero.name = "ルミナリア";
        hero.body = 30;
        hero.lifespan = 10;
        r.put(11, 5, 2);
        r.open_turn();
        r.m.unit_hover(11);
        r.m.usu_bClick();
        r.m.family_click(1);
        r.m.technique_hover(1);
        ASSERT_EQ(r.w().markers[0].left, 5 * 64 + 1);
        ASSERT_EQ(r.w().magic_about_l, "哀古力：1/3");
        if (end == End::fled) {
            r.m.idou_bClick();
            r.dialogs.answers = {true};
            r.m.nigeru_bClick();
            ASSERT_TRUE(r.w().menu1);
        } else if (end == End::won) {
            r.m.Button21Click();
        }
        r.m.FormHide();

        r.gs.stage_enemies = {};
        r.gs.stage_enemies[0] = {"ボス", "", "", "", 0, 0, 1, "覚悟しろ"};
        r.m.start(BattleKind::story);
        const BattleWidgets& w = r.w();
        EXPECT_TRUE(r.m.speech_on());
        EXPECT_EQ(w.moji_l2, "覚悟しろ");
        EXPECT_FALSE(w.menu0 || w.menu1 || w.menu2 || w.menu3 || w.menu4 || w.ken_box);
        EXPECT_FALSE(r.m.item_box.visible);
        EXPECT_FALSE(r.m.timer3_on() || r.m.timer4_on());
        EXPECT_EQ(w.moji_l, "");
        EXPECT_EQ(w.magic_about_l, "");
        EXPECT_EQ(w.magic_about_l2, "");
        for (const Marker& mk : w.markers) EXPECT_EQ(mk.left, kOffBoardLeft);
        EXPECT_FALSE(w.s_l_visible || w.s_l2_visible);
        EXPECT_EQ(r.m.hover_slot, 0);
        EXPECT_EQ(r.m.portrait, "my0.bmp");

        // Nothing answers while the enemy speaks, and the portrait stays.
        r.m.Button3Click();
        r.m.command_key(1);
        r.m.step_click(StepButton::mae);
        r.m.nigeru_bClick();
        r.m.unit_hover(11);
        r.m.Timer4Timer();
        r.m.Timer3Timer();
        r.m.Timer1Timer();
        r.m.Timer2Timer();
        EXPECT_EQ(r.gs.player_phase, 0);
        EXPECT_EQ(r.gs.cur_unit, 0);
        EXPECT_EQ(r.m.hover_slot, 0);
        EXPECT_FALSE(w.menu0 || w.menu1);
        EXPECT_EQ(w.moji_l, "");
        EXPECT_EQ(r.m.portrait, "my0.bmp");

        r.m.SpeechTimer();
        EXPECT_FALSE(r.m.speech_on());
        EXPECT_TRUE(w.menu0);
        EXPECT_EQ(r.gs.cur_unit, 1);
        EXPECT_EQ(w.moji_l, "ルミナリアの攻撃");
        EXPECT_TRUE(r.m.timer3_on() && r.m.timer4_on());
        r.m.Timer2Timer();
        EXPECT_EQ(r.m.portrait, "my1.bmp");
        r.m.Timer4Timer();  // the hero's turn stays open for a command
        r.m.Timer3Timer();
        EXPECT_TRUE(w.menu0);
        EXPECT_EQ(r.gs.cur_unit, 1);
    }
}

// The log holds the message line's texts and the boxes' in the order shown; the clock and the
// commands wait while it is open; the next battle starts it empty.
TEST(BattleLog, KeepsEveryMessageInOrderWaitsWhileOpenAndStartsEmpty) {
    ModelRig r;
    r.m.FormShow();
    TChara& hero = r.put(1, 6, 2);
    hero.name = "ルミナリア";
    r.put(11, 5, 2).name = "狼";
    r.put(12, 0, 0).name = "熊";
    r.open_turn();
    r.m.Button3Click();  // 待機
    ASSERT_EQ(r.gs.player_phase, 1);

    r.m.log_key();
    EXPECT_TRUE(r.m.log_open());
    r.m.Timer4Timer();
    r.m.Timer3Timer();
    r.m.command_key(1);
    EXPECT_EQ(r.gs.player_phase, 1);
    EXPECT_EQ(r.w().moji_l, "ルミナリアは待機した");
    EXPECT_FALSE(r.w().menu1);
    r.m.escape();
    EXPECT_FALSE(r.m.log_open());

    r.gs.rng.script({0, 1, 3, 4});  // 哀古 +2; experience 14 + 3 and 14 + 4
    r.m.Timer4Timer();
    EXPECT_EQ(r.w().moji_l, "ルミナリアの哀古が2上がった");
    r.dialogs.answers = {false, false};
    r.m.Button21Click();  // 敵全滅
    const std::vector<std::string> said = {"ルミナリアの攻撃",
                                           "ルミナリアは待機した",
                                           "ルミナリアの哀古が2上がった",
                                           "狼を倒した",
                                           "ルミナリアは経験値17を取得した!",
                                           "熊を倒した",
                                           "ルミナリアは経験値18を取得した!"};
    EXPECT_EQ(r.m.log(), said);
    EXPECT_EQ(r.screens.log.back(), "show:result");

    // Closed with the screen; not opened on a hidden one.
    r.m.log_bClick();
    EXPECT_FALSE(r.m.log_open());
    r.m.FormHide();
    r.gs.stage_enemies = {};
    r.gs.stage_enemies[0] = {"ボス", "", "", "", 0, 0, 1, "覚悟しろ"};
    r.m.start(BattleKind::story);
    EXPECT_TRUE(r.m.log().empty());
    r.m.log_bClick();
    EXPECT_TRUE(r.m.log_open());
    r.m.SpeechTimer();  // the speech waits too
    EXPECT_TRUE(r.m.speech_on());
    r.m.log_key();
    r.m.SpeechTimer();
    EXPECT_EQ(r.m.log(), std::vector<std::string>{"ルミナリアの攻撃"});
}

TEST(BattleSpeech, LinesStepOnTheSpeechTimerThenTheFirstTurnOpens) {
    ModelRig r;
    r.gs.speed_ms = 400;
    TChara& c = r.put(1, 6, 0);
    c.name = "勇者";
    r.gs.stage_enemies[0] = {"ボス", "", "", "", 0, 0, 1, "覚悟しろ"};
    r.gs.stage_enemies[3].speech = "ここは通さぬ";
    r.m.start(BattleKind::story);
    EXPECT_TRUE(r.m.speech_on());
    EXPECT_EQ(r.m.speech_ms(), 1200);
    EXPECT_FALSE(r.m.timer4_on());
    EXPECT_EQ(r.w().moji_l2, "覚悟しろ");
    r.m.SpeechTimer();
    EXPECT_EQ(r.w().moji_l2, "ここは通さぬ");
    r.m.SpeechTimer();
    EXPECT_FALSE(r.m.speech_on());
    EXPECT_FALSE(r.w().moji_l2_visible);
    EXPECT_TRUE(r.w().menu0);
    EXPECT_EQ(r.w().moji_l, "勇者の攻撃");
    EXPECT_TRUE(r.m.timer4_on() && r.m.timer3_on());
    EXPECT_TRUE(r.pacing.pauses.empty());
}

TEST(ResultDialogModel, RevealsLineByLineAndHurriesOnAClick) {
    GameState gs;
    FakeSound sound;
    FakeScreens screens;
    std::string caption = "RETURN";
    ResultModel m(gs, sound, screens, caption);
    gs.chara[1].name = "勇者";
    gs.chara[1].state = kStateNormal;
    gs.item_table[12].name = "銀の鍵";
    gs.money = 100;
    gs.ark = 1;
    gs.rng.script({40, 3, 0, 12});  // gold 240, Ark 8, no MVP, item 12
    m.FormShow();
    EXPECT_EQ(m.lines().gold, "GetGold 240円");
    EXPECT_EQ(m.lines().ark, "GetArk 8Ａ");
    EXPECT_EQ(m.lines().mvp, "MVP\r確等者無し");
    EXPECT_EQ(m.lines().item, "GetItem 銀の鍵");
    EXPECT_EQ(gs.money, 340);
    EXPECT_EQ(gs.ark, 9);
    EXPECT_EQ(gs.item_owned[12], 1);
    EXPECT_EQ(m.timer1_ms(), 450);
    EXPECT_TRUE(m.timer1_on());
    EXPECT_FALSE(m.next_b_enabled);
    EXPECT_FALSE(m.clear_l_visible || m.clear_l1_visible || m.clear_l5_visible);

    sound.log.clear();
    const bool* lines[] = {&m.clear_l_visible, &m.clear_l1_visible, &m.clear_l2_visible,
                           &m.clear_l4_visible, &m.clear_l5_visible};
    for (int k = 0; k < 5; ++k) {
        m.Timer1Timer();
        for (int j = 0; j < 5; ++j) EXPECT_EQ(*lines[j], j <= k) << k << " " << j;
        EXPECT_FALSE(m.next_b_enabled);
    }
    m.FormMouseDown();
    EXPECT_EQ(m.timer1_ms(), 10);
    m.Timer1Timer();
    EXPECT_TRUE(m.next_b_enabled);
    EXPECT_EQ(m.step(), 0);
    EXPECT_FALSE(m.timer1_on());
    EXPECT_EQ(sound.log, std::vector<std::string>(6, "effect:pi.wav"));

    gs.chara[1].lifespan = 5;
    m.next_bClick();
    EXPECT_EQ(gs.chara[1].lifespan, 4);
    EXPECT_EQ(screens.log,
              (std::vector<std::string>{"show:travel", "close:result", "hide:battle"}));
    EXPECT_EQ(sound.log.back(), "effect:next.wav");
    m.next_bClick();  // pressed once only
    EXPECT_EQ(gs.chara[1].lifespan, 4);

    caption = "NEXT MISSION";
    screens.log.clear();
    gs.script_pos = 42;
    m.FormShow();
    for (int k = 0; k < 6; ++k) m.Timer1Timer();
    m.next_bClick();
    EXPECT_EQ(screens.log, (std::vector<std::string>{"hide:battle", "close:result", "show:story"}));
    EXPECT_EQ(gs.script_pos, 0);
}

}  // namespace
}  // namespace lum::test

namespace lum::test {
namespace {

// A unit's amount as the board shows it: the text, its colour and where it stands.
struct Shown {
    std::string text;
    FloatKind kind;
    int x, y, alpha;
    bool operator==(const Shown&) const = default;
};
std::vector<Shown> shown(const BattleModel& m) {
    std::vector<Shown> out;
    for (const FloatView& f : m.overlay().floats()) {
        EXPECT_EQ(f.colour, float_colour(f.kind)) << f.text;
        out.push_back({f.text, f.kind, f.x, f.y, f.alpha});
    }
    return out;
}
// The foot of a number on square (column, row) before it rises: pictures stand at 64 x row,
// one pixel above the map's top edge, and a number starts 16 pixels above their foot.
constexpr int foot(int row) {
    return 64 * row - 1 + 64 - 16;
}
constexpr int centre(int column) {
    return 64 * column + 32;
}

// The actor on (6, 2) with the three families learned; 体術 1 deals body + A / 3.
struct OverlayRig : ModelRig {
    TChara* actor = nullptr;
    OverlayRig() {
        for (int f : {1, 3, 6, 8, 9}) gs.skill_flags[f] = 1;
        m.FormShow();
        actor = &put(1, 6, 2);
        actor->body = 20;
        actor->order = 30;
        actor->justice = 30;
        actor->beast = 40;
        actor->mp = actor->max_mp = 20;
    }
    void use(Command box, int family, int slot, int failure_roll = 0) {
        m.command(box);
        m.family_click(family);
        m.technique_hover(slot);
        gs.rng.script({failure_roll});
        m.technique_click(slot);
    }
};

TEST(BoardOverlay, ASingleStrikeFloatsItsAmountInTheDamageColourAndRisesWithTheBattlesTempo) {
    OverlayRig r;
    r.put(11, 5, 2, 300);
    r.open_turn();
    r.use(Command::usu, 1, 1);
    ASSERT_EQ(r.gs.chara[11].hp, 280);
    EXPECT_EQ(shown(r.m), (std::vector<Shown>{{"20", FloatKind::damage, centre(5), foot(2), 255}}));
    EXPECT_EQ(float_colour(FloatKind::damage), (Rgb{255, 92, 60}));
    // The struck unit flashes and shakes.
    ASSERT_EQ(r.m.overlay().flashes().size(), 1u);
    EXPECT_EQ(r.m.overlay().flashes()[0].slot, 11);
    EXPECT_EQ(r.m.overlay().flashes()[0].alpha, 200);
    EXPECT_EQ(r.m.overlay().flashes()[0].dx, 3);

    // Half its life at the game's tempo: risen half way, still whole.
    r.m.overlay_tick(500);
    EXPECT_EQ(shown(r.m)[0].y, foot(2) - 14);
    EXPECT_EQ(shown(r.m)[0].alpha, 255);
    EXPECT_TRUE(r.m.overlay().flashes().empty());
    // Space held: the fast end's 312 ms stand for 500, so 156 ms are another quarter.
    r.m.set_fast_forward(true);
    r.m.overlay_tick(156);
    EXPECT_EQ(shown(r.m)[0].y, foot(2) - 21);
    EXPECT_EQ(shown(r.m)[0].alpha, 127);
    // The slow end: 728 ms for 500, so 182 ms are 125 more; the last 125 go with 182 more.
    r.m.set_fast_forward(false);
    r.m.TrackBar1Change(9);
    r.m.overlay_tick(182);
    EXPECT_EQ(shown(r.m)[0].alpha, 63);
    r.m.overlay_tick(182);
    EXPECT_TRUE(shown(r.m).empty());
    EXPECT_FALSE(r.m.overlay().animating());

    // None of it touched the battle: the party driver still shows the action at its own pace.
    EXPECT_EQ(r.gs.player_phase, 2);
    r.m.Timer4Timer();
    EXPECT_EQ(r.w().moji_l, "U1は体術「」を行った！");
    EXPECT_EQ(r.m.timer4_ms(), 728);
}

TEST(BoardOverlay, AThreeSquareStrikeFloatsOneAmountASquareAndTheActorsMp) {
    OverlayRig r;
    r.put(11, 5, 1);
    r.put(12, 5, 2);
    r.put(13, 5, 3);
    r.open_turn();
    r.use(Command::usu, 3, 3);  // 剣法 3: (-1, 0), (-1, -1), (-1, +1) for body + order + A / 4
    EXPECT_EQ(r.gs.player_result_msg, "U12、U11、U13に50のダメージを与えた！");
    EXPECT_EQ(shown(r.m), (std::vector<Shown>{{"Mp-5", FloatKind::mp, centre(6), foot(2), 255},
                                              {"50", FloatKind::damage, centre(5), foot(1), 255},
                                              {"50", FloatKind::damage, centre(5), foot(2), 255},
                                              {"50", FloatKind::damage, centre(5), foot(3), 255}}));
    EXPECT_EQ(r.m.overlay().flashes().size(), 3u);
    EXPECT_EQ(float_colour(FloatKind::mp), (Rgb{92, 180, 255}));
}

TEST(BoardOverlay, AHealFloatsInItsColourAndTheScreensClampIsNoHit) {
    OverlayRig r;
    r.actor->hp = 490;
    r.put(11, 0, 2);
    r.open_turn();
    r.use(Command::usu, 6, 1);  // 天法 1 heals the actor's own square by justice + A / 8
    ASSERT_EQ(r.gs.chara[1].hp, 520);
    // Both amounts on one square: the second stands a line above the first.
    EXPECT_EQ(shown(r.m),
              (std::vector<Shown>{{"+30", FloatKind::heal, centre(6), foot(2), 255},
                                  {"Mp-1", FloatKind::mp, centre(6), foot(2) - 15, 255}}));
    EXPECT_EQ(float_colour(FloatKind::heal), (Rgb{96, 236, 120}));
    EXPECT_TRUE(r.m.overlay().flashes().empty());
    r.m.Timer2Timer();  // clamps the heal back to 500
    ASSERT_EQ(r.gs.chara[1].hp, 500);
    r.m.overlay_tick(10);
    EXPECT_EQ(shown(r.m).size(), 2u);
}

TEST(BoardOverlay, AFailureFloatsMissOnTheMarkedUnitsAndAFallFadesOut) {
    OverlayRig r;
    // Petrified enemies never act, so the turn comes straight round; the far one keeps the
    // battle going when the near one falls.
    r.put(11, 5, 2, 15).state = kStatePetrified;
    r.put(12, 0, 0).state = kStatePetrified;
    r.open_turn();
    r.use(Command::usu, 1, 1, 29);  // the 1-in-30 failure
    EXPECT_EQ(r.gs.player_result_msg, "ミス！失敗してしまった！");
    EXPECT_EQ(shown(r.m), (std::vector<Shown>{{"miss", FloatKind::miss, centre(5), foot(2), 255}}));
    EXPECT_TRUE(r.m.overlay().flashes().empty());

    // The next turn strikes it down: the amount, then through the end-of-action check the
    // enemy leaves the board, fading at its square; the knock-out's hp 0 is no heal.
    r.m.Timer4Timer();
    r.m.Timer4Timer();
    r.m.Timer4Timer();
    r.m.Timer3Timer();  // the enemy half finds nobody able and the turn comes round
    r.m.overlay_tick(2000);
    ASSERT_TRUE(r.m.awaiting_command());
    r.w().enemy[1].picture = "unit3.bmp";
    r.use(Command::usu, 1, 1);
    EXPECT_EQ(shown(r.m), (std::vector<Shown>{{"20", FloatKind::damage, centre(5), foot(2), 255}}));
    r.m.Timer4Timer();
    r.m.Timer4Timer();  // the result and the check: the enemy falls
    EXPECT_EQ(r.gs.chara[11].state, kStateEmpty);
    EXPECT_EQ(shown(r.m).size(), 1u);
    const std::vector<GhostView> ghosts = r.m.overlay().ghosts();
    ASSERT_EQ(ghosts.size(), 1u);
    EXPECT_EQ(ghosts[0].picture, "unit3.bmp");
    EXPECT_EQ(ghosts[0].left, 5 * 64);
    EXPECT_EQ(ghosts[0].top, 2 * 64 - 1);
    EXPECT_EQ(ghosts[0].alpha, 255);
    r.m.overlay_tick(350);
    EXPECT_EQ(r.m.overlay().ghosts()[0].alpha, 127);
}

TEST(BoardOverlay, AFailedCaptureFloatsItsWordOnTheUnitItMissed) {
    OverlayRig r;
    r.gs.skill_flags[18] = 1;
    r.gs.ark = 300;
    r.m.FormShow();
    r.put(11, 5, 2);  // at full HP: no card
    r.open_turn();
    r.use(Command::spa, 18, 4);
    EXPECT_EQ(r.gs.player_result_msg, "失敗した！");
    EXPECT_EQ(shown(r.m), (std::vector<Shown>{{"失敗", FloatKind::miss, centre(5), foot(2), 255}}));
}

TEST(BoardOverlay, AFallenMemberFadesToItsDownPictureWhileItsBoxIsUp) {
    OverlayRig r;
    r.put(2, 6, 4);
    r.put(11, 0, 0).state = kStatePetrified;
    r.open_turn();
    r.w().party[1].picture = "char0.bmp";
    std::vector<GhostView> during;
    r.dialogs.while_shown = [&](const std::string&) {
        r.m.overlay_tick(0);
        if (during.empty()) during = r.m.overlay().ghosts();
    };
    r.actor->hp = -5;  // struck down; the result message and the check are due
    r.gs.player_phase = 3;
    r.m.Timer4Timer();
    ASSERT_EQ(r.gs.chara[1].state, kStateDown);
    EXPECT_EQ(r.w().party[1].picture, "char-1.bmp");
    ASSERT_EQ(during.size(), 1u);
    EXPECT_EQ(during[0].picture, "char0.bmp");
    EXPECT_EQ(during[0].left, 6 * 64);
    EXPECT_EQ(during[0].alpha, 255);
    EXPECT_TRUE(shown(r.m).empty());  // its hp put back to 0 is no heal
    EXPECT_TRUE(r.w().battle_shown);
}

TEST(BoardOverlay, TintsShowTheStruckSquaresWithAlliesInTheWarningColour) {
    OverlayRig r;
    r.actor->justice = 60;
    r.actor->dark = r.actor->past = r.actor->magic = 10;
    r.put(2, 6, 3);  // an ally below the actor
    r.put(11, 5, 2);
    r.put(12, 0, 4);
    r.open_turn();
    using T = std::vector<SquareTint>;
    r.m.command(Command::usu);
    r.m.family_click(1);
    r.m.technique_hover(2);  // 体術 2 strikes below: the ally
    EXPECT_EQ(r.m.tints(), (T{{{6, 3}, TintKind::ally}}));
    r.m.technique_hover(1);
    EXPECT_EQ(r.m.tints(), (T{{{5, 2}, TintKind::strike}}));
    r.m.technique_leave();
    EXPECT_TRUE(r.m.tints().empty());

    r.m.family_click(6);
    r.m.technique_hover(4);  // 天法 4 heals round the actor, the ally too; (7, 2) is off the board
    EXPECT_EQ(
        r.m.tints(),
        (T{{{5, 2}, TintKind::support}, {{6, 1}, TintKind::support}, {{6, 3}, TintKind::support}}));
    r.m.escape();
    r.m.escape();

    // Whole sides: the enemies struck; 全員 strikes the party as well.
    r.m.command(Command::spa);
    r.m.family_click(8);
    r.m.technique_hover(1);
    EXPECT_EQ(r.m.tints(), (T{{{5, 2}, TintKind::strike}, {{0, 4}, TintKind::strike}}));
    r.m.family_click(9);
    r.m.technique_hover(1);
    EXPECT_EQ(r.m.tints(), (T{{{6, 2}, TintKind::ally},
                              {{6, 3}, TintKind::ally},
                              {{5, 2}, TintKind::strike},
                              {{0, 4}, TintKind::strike}}));
    EXPECT_EQ(tint_colour(TintKind::ally), (Rgb{255, 216, 0}));

    // An armed warp: every free square of the board.
    r.w().warp_click_armed = true;
    const T warp = r.m.tints();
    EXPECT_EQ(warp.size(), 35u - 4u);
    for (const SquareTint& t : warp) {
        EXPECT_EQ(t.kind, TintKind::warp);
        EXPECT_EQ(r.gs.grid.at(t.square.column, t.square.row), 0);
    }
    // The enemies' own strikes keep only the game's markers.
    r.w().warp_click_armed = false;
    r.gs.cur_unit = 11;
    EXPECT_TRUE(r.m.tints().empty());
}

TEST(BoardOverlay, TheActingUnitIsMarkedOnItsSquareAndTheStripFollowsTheClock) {
    OverlayRig r;
    r.put(3, 4, 4);
    r.put(2, 5, 0).state = kStateDown;
    r.put(11, 0, 3);
    r.put(13, 1, 1);
    r.open_turn();
    EXPECT_EQ(r.m.acting(), (BoardSquare{6, 2}));
    auto slots = [&](int n) {
        std::vector<int> out;
        for (const TurnEntry& t : r.m.turn_order(n)) out.push_back(t.slot);
        return out;
    };
    EXPECT_EQ(slots(5), (std::vector<int>{1, 3, 11, 13, 1}));
    EXPECT_TRUE(r.m.turn_order(1)[0].now);
    EXPECT_EQ(r.m.turn_order(2)[1].name, "U3");
    EXPECT_FALSE(r.m.turn_order(2)[1].now);

    r.m.command(Command::wait);
    r.gs.rng.script({4, 0});  // experience
    r.m.Timer4Timer();
    r.m.Timer4Timer();
    EXPECT_EQ(r.gs.cur_unit, 3);
    r.m.Timer1Timer();
    EXPECT_EQ(r.m.acting(), (BoardSquare{4, 4}));
    EXPECT_EQ(slots(4), (std::vector<int>{3, 11, 13, 1}));

    r.m.command(Command::wait);
    r.gs.rng.script({4, 0});
    r.m.Timer4Timer();
    r.m.Timer4Timer();
    EXPECT_EQ(r.gs.cur_unit, 10);
    EXPECT_FALSE(r.m.acting());  // between the halves nobody acts
    EXPECT_EQ(slots(2), (std::vector<int>{11, 13}));
    r.m.Timer3Timer();
    EXPECT_EQ(r.gs.cur_unit, 11);
    EXPECT_EQ(r.m.acting(), (BoardSquare{0, 3}));
    EXPECT_EQ(slots(3), (std::vector<int>{11, 13, 1}));
}

// A seeded battle through the screen's handlers and a stand-in player: the transcript of every
// tick (whose turn, the phases, the message line, every unit's Hp and Mp), then whether it is over.
std::vector<std::string> play_battle(std::uint64_t seed, bool effects, int* most_floats) {
    ModelRig r;
    r.gs.rng.seed(seed);
    r.gs.battle_effects = effects;
    for (int f = 1; f <= 3; ++f) r.gs.skill_flags[f] = 1;
    for (int i = 1; i <= 3; ++i) {
        TChara& c = r.gs.chara[i];
        c.name = "味方" + num(i);
        c.state = kStateNormal;
        c.level = 4;
        c.hp = c.max_hp = 60 + 10 * i;
        c.mp = c.max_mp = 14;
        for (int k = 0; k < kAttrCount; ++k) c.attr(k) = 8 + 3 * i + k;
        c.lifespan = 9;
        c.aiko_power = 12;
    }
    r.m.start(BattleKind::random);
    std::vector<std::string> out;
    *most_floats = 0;
    for (int tick = 0; tick < 20000 && r.w().battle_shown; ++tick) {
        r.m.Timer1Timer();
        r.m.Timer2Timer();
        r.m.overlay_tick(37);
        *most_floats = std::max(*most_floats, static_cast<int>(r.m.overlay().floats().size()));
        if (r.m.awaiting_command()) {
            const TChara& a = r.gs.chara[r.gs.cur_unit];
            const int front = r.gs.grid.at(a.x - 1, a.y);
            if (front >= kFirstEnemy) {
                r.m.command(Command::usu);
                const int family = r.w().family_enabled[3] ? 3 : 1;
                r.m.family_click(family);
                for (int s = 4; s >= 1; --s) {
                    if (r.w().technique_captions[s] == "？") continue;
                    r.m.technique_hover(s);
                    r.m.technique_click(s);
                    break;
                }
            } else {
                // Toward the square right of the nearest enemy, across first, then up or down.
                int tx = a.x, ty = a.y, best = 1 << 20;
                for (int e = kFirstEnemy; e <= kLastEnemy; ++e) {
                    const TChara& c = r.gs.chara[e];
                    if (c.state == kStateEmpty) continue;
                    const int d = std::abs(c.x + 1 - a.x) + std::abs(c.y - a.y);
                    if (d < best) best = d, tx = c.x + 1, ty = c.y;
                }
                r.m.command(Command::idou);
                const StepButtons& b = r.w().steps;
                if (tx < a.x && b.mae)
                    r.m.step_click(StepButton::mae);
                else if (ty < a.y && b.ue)
                    r.m.step_click(StepButton::ue);
                else if (ty > a.y && b.sita)
                    r.m.step_click(StepButton::sita);
                else if (tx > a.x && b.usiro)
                    r.m.step_click(StepButton::usiro);
                else
                    r.m.Button4Click();
            }
            if (r.m.awaiting_command()) {
                r.m.escape();
                r.m.escape();
                r.m.command(Command::wait);
            }
        }
        if (r.gs.cur_unit < 6)
            r.m.Timer4Timer();
        else
            r.m.Timer3Timer();
        std::string line = num(r.gs.cur_unit) + " " + num(r.gs.player_phase) + " " +
                           num(r.gs.enemy_phase) + " " + r.w().moji_l;
        for (int i = 1; i <= 15; ++i)
            line += " " + num(r.gs.chara[i].hp) + "/" + num(r.gs.chara[i].mp);
        out.push_back(line);
    }
    // A stand-off (an enemy that never comes into reach) plays out to the cap.
    out.push_back(r.w().battle_shown ? "still on" : "over");
    return out;
}

TEST(BoardOverlay, NeverChangesTheBattleTurnByTurn) {
    int floated = 0, over = 0;
    for (std::uint64_t seed = 1; seed <= 30; ++seed) {
        int on_floats = 0, off_floats = 0;
        const std::vector<std::string> on = play_battle(seed, true, &on_floats);
        const std::vector<std::string> off = play_battle(seed, false, &off_floats);
        ASSERT_GT(on.size(), 10u);
        ASSERT_EQ(on.size(), off.size()) << "seed " << seed;
        for (std::size_t i = 0; i < on.size(); ++i) ASSERT_EQ(on[i], off[i]) << "seed " << seed;
        EXPECT_EQ(off_floats, 0);
        floated += on_floats;
        over += on.back() == "over";
    }
    EXPECT_GE(over, 25);
    EXPECT_GT(floated, 30);  // the overlay was at work in the battles it left alone
}

}  // namespace
}  // namespace lum::test
