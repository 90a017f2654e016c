#include <gtest/gtest.h>

#include "battle/effects.h"
#include "battle/techniques.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

// The actor stands on (4, 2) with known attributes; the resolution's failure roll is scripted
// to pass unless a test says otherwise.
struct TechRig : Rig {
    TChara& actor;
    TechRig(int a) : actor(put(1, 4, 2, 60)) {
        actor.name = "ルミナリア";
        actor.body = 10;
        actor.magic = 7;
        actor.order = 5;
        actor.calm = 6;
        actor.mech = 8;
        actor.justice = 9;
        actor.dark = 4;
        actor.beast = 12;
        actor.past = 3;
        actor.speed = 5;
        actor.level = 5;
        actor.mp = actor.max_mp = 50;
        actor.aiko_power = a;
        gs.cur_unit = 1;
        gs.ark = 1000;
    }
    void use(int family, int slot, std::initializer_list<int> draws = {0}) {
        gs.rng.script(draws);
        resolve_technique(ctx, family, slot);
    }
};

struct Case {
    int family, slot, a;
    int expected;
};

// Each struck square holds a unit; the amount lost by the unit on the first square is d.
TEST(TechniqueDamage, EveryFamilyAtOneAndAtTwentyAiko) {
    const Case cases[] = {
        {1, 1, 1, 10},   {1, 1, 20, 16},  {1, 2, 20, 20},  {1, 3, 20, 30}, {1, 4, 20, 50},
        {3, 4, 1, 15},   {3, 4, 20, 20},  {4, 1, 1, 16},   {4, 2, 20, 20}, {5, 3, 1, 8},
        {5, 4, 20, 13},  {10, 1, 1, 13},  {10, 4, 20, 19}, {11, 1, 1, 13}, {11, 1, 20, 25},
        {11, 2, 20, 28}, {11, 3, 20, 29}, {11, 4, 20, 33}, {16, 1, 1, 10}, {16, 2, 20, 20},
        {16, 3, 20, 30}, {16, 4, 20, 50},
    };
    for (const Case& c : cases) {
        TechRig r(c.a);
        const int slots[] = {2, 3, 4, 5, 11, 12, 13, 14, 15};
        int next = 0;
        std::vector<int> struck;
        for (auto o : technique_squares(c.family, c.slot)) {
            const int x = 4 + o.dx, y = 2 + o.dy;
            if (!on_board(x, y) || r.gs.grid.at(x, y) != 0) continue;
            r.put(slots[next], x, y);
            struck.push_back(slots[next++]);
        }
        ASSERT_FALSE(struck.empty());
        r.use(c.family, c.slot);
        for (int s : struck)
            EXPECT_EQ(r.lost(s, 500), c.expected)
                << "family " << c.family << " slot " << c.slot << " A " << c.a << " unit " << s;
        EXPECT_EQ(r.gs.player_phase, 2);
    }
}

TEST(TechniqueDamage, ByteExactMessagesAndSounds) {
    TechRig r(20);
    r.put(11, 3, 2).name = "ゴブ";
    r.use(1, 1);
    EXPECT_EQ(r.gs.player_result_msg, "ゴブに16のダメージを与えた！");
    EXPECT_EQ(r.sound.log.back(), "effect:punch.wav");

    r.use(1, 3);  // nobody above
    EXPECT_EQ(r.gs.player_result_msg, "何も起きなかった");

    r.gs.skill_table[3][2].name = "二段斬り";
    r.use(3, 2);  // (3, 1) is empty: the one struck is named
    EXPECT_EQ(r.gs.player_act_msg, "ルミナリアは剣法「二段斬り」を行った！");
    EXPECT_EQ(r.gs.player_result_msg, "ゴブに19のダメージを与えた！");
    EXPECT_EQ(r.lost(11, 500), 16 + 19);
    r.put(12, 3, 1).name = "コボ";
    r.use(3, 2);
    EXPECT_EQ(r.gs.player_result_msg, "ゴブ、コボに19のダメージを与えた！");
    EXPECT_EQ(r.sound.log.back(), "effect:ken.wav");
    r.gs.grid.clear();  // nobody in reach: only then did nothing happen
    r.use(3, 2);
    EXPECT_EQ(r.gs.player_result_msg, "何も起こらなかった");
}

TEST(TechniqueDamage, MagicStrikesAroundTheTarget) {
    TechRig r(20);
    r.put(11, 2, 2).name = "的";
    r.put(12, 2, 1);
    r.put(13, 2, 3);
    r.put(14, 1, 2);
    r.put(15, 3, 2);
    r.gs.target_unit = 11;
    r.use(2, 4);
    for (int s = 11; s <= 15; ++s) EXPECT_EQ(r.lost(s, 500), 13) << s;  // 7 + 4 + 20/8
    EXPECT_EQ(r.gs.player_result_msg, "的達に13のダメージを与えた！");
    EXPECT_EQ(r.actor.mp, 43);
    r.use(2, 1);
    EXPECT_EQ(r.gs.player_result_msg, "的に13のダメージを与えた！");
}

TEST(TechniqueHeal, HeavenHealsItsSquaresWithoutBound) {
    TechRig r(20);
    r.actor.hp = 55;
    r.put(2, 3, 2, 100).hp = 90;
    r.put(3, 5, 2, 100).hp = 90;
    r.put(11, 4, 3, 100).hp = 90;  // an enemy is healed alike
    r.use(6, 4);
    EXPECT_EQ(r.actor.hp, 66);  // 9 + 20/8 = 11, above max_hp until the refresh clamps it
    EXPECT_EQ(r.gs.chara[2].hp, 101);
    EXPECT_EQ(r.gs.chara[3].hp, 101);
    EXPECT_EQ(r.gs.chara[11].hp, 101);
    EXPECT_EQ(r.gs.player_result_msg, "11のHpを回復！");
    r.use(6, 2);
    EXPECT_EQ(r.actor.hp, 66);
    EXPECT_EQ(r.gs.chara[2].hp, 112);
}

TEST(DarkSword, LifeForLifeFailsAtExactlyThreeLevelsAbove) {
    TechRig r(20);
    TChara& t = r.put(11, 0, 0);
    t.name = "魔王";
    t.level = 8;  // actor 5 + 3
    r.gs.target_unit = 11;
    r.use(7, 1);
    EXPECT_EQ(r.actor.hp, 0);
    EXPECT_EQ(t.hp, 500);
    EXPECT_EQ(r.gs.player_result_msg,
              "ルミナリアの剣は効かなかった！\rルミナリアは力尽きてしまった。");
    t.level = 7;
    r.use(7, 1);
    EXPECT_EQ(t.hp, 0);
    EXPECT_EQ(r.gs.player_result_msg, "ルミナリアは自らの命と引き換えに、魔王の命を奪った!");
}

TEST(DarkSword, WholeSideTechniques) {
    TechRig r(20);
    for (int e = 11; e <= 15; ++e) r.put(e, 0, e - 11);
    r.use(7, 2);
    for (int e = 11; e <= 15; ++e) EXPECT_EQ(r.lost(e, 500), 19);  // 8 + 7 + 20/5
    EXPECT_EQ(r.actor.hp, 40);
    EXPECT_EQ(r.gs.player_result_msg,
              "ルミナリアは20のダメージと引き換えに敵に19ずつダメージを与えた!");

    r.actor.hp = 60;
    r.put(2, 6, 0, 100).hp = 10;
    r.use(7, 3);
    EXPECT_EQ(r.gs.chara[2].hp, 27);
    EXPECT_EQ(r.actor.hp, 40);  // max_hp / 3 lower, whatever the heal
    EXPECT_EQ(r.gs.player_result_msg,
              "ルミナリアは20のダメージと引き換えに味方のHpを17ずつ回復させた!");

    for (int e = 11; e <= 15; ++e) r.gs.chara[e].hp = 41;
    r.use(7, 4, {0, 0, 1, 0, 1, 1});
    EXPECT_EQ(r.actor.hp, 0);
    EXPECT_EQ(r.gs.chara[11].hp, 1);
    EXPECT_EQ(r.gs.chara[12].hp, 21);
    EXPECT_EQ(r.gs.chara[13].hp, 1);
    EXPECT_EQ(r.gs.chara[14].hp, 21);
    EXPECT_EQ(r.gs.chara[15].hp, 21);
    EXPECT_EQ(r.gs.player_result_msg, "ルミナリアは自らの命と引き換えに敵の精気を奪った!");
}

TEST(WholeBoard, CatArtsAndMArts) {
    TechRig r(20);
    for (int e = 11; e <= 15; ++e) r.put(e, 0, e - 11);
    r.use(8, 2);
    for (int e = 11; e <= 15; ++e) EXPECT_EQ(r.lost(e, 500), 20);  // 36/2 + 20/7
    EXPECT_EQ(r.gs.player_result_msg, "敵全員に20のダメージを与えた！");

    r.gs.chara[11].hp = 1;
    r.gs.chara[12].hp = 9;
    r.gs.chara[7].hp = 10;  // a reserve slot is struck too
    r.actor.hp = 60;
    r.use(9, 4);
    EXPECT_EQ(r.gs.chara[11].hp, 1);
    EXPECT_EQ(r.gs.chara[12].hp, 5);
    EXPECT_EQ(r.gs.chara[7].hp, 5);
    EXPECT_EQ(r.actor.hp, 30);
    EXPECT_EQ(r.gs.player_result_msg, "敵・味方全員のHpを1/2にした！");
    r.use(9, 1);
    EXPECT_EQ(r.gs.player_result_msg, "敵・味方全員のHpを4/5にした！");
    EXPECT_EQ(r.actor.hp, 24);
}

TEST(Astrology, FixedBoardSquares) {
    TechRig r(20);
    const int squares[5][2] = {{3, 2}, {3, 3}, {3, 1}, {2, 3}, {5, 1}};
    for (int k = 0; k < 5; ++k) r.put(11 + k, squares[k][0], squares[k][1]);
    r.use(12, 3);
    for (int e = 11; e <= 15; ++e) EXPECT_EQ(r.lost(e, 500), 17);  // 13 + 20/5
    EXPECT_EQ(r.gs.player_result_msg, "天と地からの攻撃によって17のダメージを与えた！");
    r.actor.aiko_power = 20;  // the last technique drained one
    r.use(12, 4);
    EXPECT_EQ(r.lost(11, 500), 17 + 46);
    EXPECT_EQ(r.lost(12, 500), 17);
}

TEST(DragonTongue, OwnWoundsDrainedOrDealt) {
    TechRig r(20);
    r.actor.hp = 40;
    r.put(11, 1, 1);
    r.put(12, 1, 0);
    r.put(13, 1, 2);
    r.gs.target_unit = 11;
    r.use(13, 3);
    EXPECT_EQ(r.lost(11, 500), 20);
    EXPECT_EQ(r.actor.hp, 60);
    EXPECT_EQ(r.gs.player_result_msg, "自分のダメージ分20のダメージを吸収した！");
    r.use(13, 1);  // at full HP: nothing
    EXPECT_EQ(r.lost(11, 500), 20);
    EXPECT_EQ(r.gs.player_result_msg, "自分のダメージ分0のダメージを与えた！");
    r.actor.hp = 50;
    r.use(13, 4);
    EXPECT_EQ(r.lost(11, 500), 40);
    EXPECT_EQ(r.lost(12, 500), 10);
    EXPECT_EQ(r.lost(13, 500), 10);
    EXPECT_EQ(r.actor.hp, 70);
    r.actor.hp = 58;
    r.use(13, 2);
    EXPECT_EQ(r.lost(11, 500), 44);
    EXPECT_EQ(r.lost(12, 500), 12);
}

TEST(FlyingArts, MovesUseTheBoardAsItStoodBefore) {
    TechRig r(1);
    r.put(2, 3, 2);  // right in front of the actor: the actor stays
    r.put(3, 0, 0);  // column 0: stays
    r.put(4, 5, 4);
    r.gs.chara[5] = r.gs.chara[4];
    r.gs.chara[5].state = kStateSpirit;  // only state 1 moves
    r.gs.chara[5].y = 3;
    r.use(14, 1);
    EXPECT_EQ(r.actor.x, 4);
    EXPECT_EQ(r.gs.chara[2].x, 2);
    EXPECT_EQ(r.gs.chara[3].x, 0);
    EXPECT_EQ(r.gs.chara[4].x, 4);
    EXPECT_EQ(r.gs.chara[5].x, 5);
    EXPECT_EQ(r.gs.player_result_msg, "ルミナリアは味方全員を前方へ1移動させた");
    EXPECT_EQ(r.sound.log.back(), "effect:hihou.wav");

    r.put(11, 6, 1);
    r.use(14, 2);
    EXPECT_EQ(r.actor.x, 5);
}

TEST(FlyingArts, FourthArmsTheWarpAndWaitsForTheClick) {
    TechRig r(3);
    r.use(14, 4);
    EXPECT_TRUE(r.ctx.w.warp_click_armed);
    EXPECT_EQ(r.actor.mp, 50 - 16 - 20);
    EXPECT_EQ(r.actor.aiko_power, 1);
    EXPECT_EQ(r.gs.player_phase, 0);
    EXPECT_EQ(r.dialogs.log,
              (std::vector<std::string>{"inform:ＭＡＰ上の移動先をクリックして下さい"}));
}

TEST(Cards, CuttingHitPointsAndCapture) {
    TechRig r(1);
    r.gs.item_table[300] = {"card･A", "", kCardKind, 0};
    r.gs.item_table[280] = {"card･B", "", kCardKind, 0};
    r.gs.item_owned[300] = r.gs.item_owned[280] = 1;
    r.put(11, 2, 2, 100).hp = 90;
    r.gs.chara[11].name = "狼";
    r.use(18, 3);
    EXPECT_EQ(r.gs.chara[11].hp, 24);  // (90/4)*3 = 66
    EXPECT_EQ(r.gs.player_result_msg, "狼に66のダメージを与えた！");
    EXPECT_EQ(r.gs.item_owned[300], 0);  // the highest card goes first
    EXPECT_EQ(r.gs.item_owned[280], 1);
    EXPECT_EQ(r.gs.ark, 910);

    r.gs.ark = 59;
    r.use(18, 2);
    EXPECT_EQ(r.ctx.w.moji_l, "【Ark】が足りません。");
    EXPECT_EQ(r.gs.item_owned[280], 1);
    r.gs.ark = 60;
    r.use(18, 2);
    EXPECT_EQ(r.gs.item_owned[280], 0);
    EXPECT_EQ(r.gs.ark, 0);
    EXPECT_EQ(r.gs.chara[11].hp, 12);
    r.use(18, 1);
    EXPECT_EQ(r.ctx.w.moji_l, "【カード】を１枚も持っていません。");
}

TEST(Cards, CaptureAtTenOfHundredButNotEleven) {
    for (int hp : {10, 11}) {
        TechRig r(1);
        r.gs.ark = 150;
        for (int i = 256; i <= 512; ++i) r.gs.item_table[i].name = "x";
        r.gs.item_table[400].name = "";
        r.gs.item_table[260].name = "";
        r.put(11, 3, 2, 100).hp = hp;
        r.gs.chara[11].name = "狼";
        r.use(18, 4, {0, 17});
        EXPECT_EQ(r.gs.ark, 0);
        if (hp == 10) {
            EXPECT_EQ(r.gs.item_table[400].name, "card･狼");
            EXPECT_EQ(r.gs.item_table[400].kind, kCardKind);
            EXPECT_EQ(r.gs.item_table[400].value, 17);
            EXPECT_EQ(r.gs.item_owned[400], 1);
            EXPECT_EQ(r.gs.chara[11].hp, 0);
            EXPECT_EQ(r.gs.player_result_msg, "狼をカードに変えた！\r「card･狼」を入手した!");
            EXPECT_EQ(r.sound.log.back(), "ok");
        } else {
            EXPECT_EQ(r.gs.item_table[400].name, "");
            EXPECT_EQ(r.gs.chara[11].hp, 11);
            EXPECT_EQ(r.gs.player_result_msg, "失敗した！");
            EXPECT_EQ(r.sound.log.back(), "effect:miss.wav");
        }
    }
    TechRig full(1);
    for (int i = 256; i <= 512; ++i) full.gs.item_table[i].name = "x";
    full.put(11, 3, 2, 100).hp = 1;
    full.use(18, 4);
    EXPECT_EQ(full.gs.player_result_msg, "これ以上敵をカード化できません。");
    EXPECT_EQ(full.gs.chara[11].hp, 1);
}

TEST(Resolution, RefusalsCostNothing) {
    TechRig r(5);
    r.actor.mp = 4;
    r.use(2, 3, {});
    EXPECT_EQ(r.ctx.w.moji_l, "Ｍｐが足りません");
    EXPECT_EQ(r.actor.mp, 4);
    EXPECT_EQ(r.actor.aiko_power, 5);
    EXPECT_EQ(r.gs.player_phase, 0);
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:off1.wav"}));
    r.actor.mp = 5;
    r.put(11, 0, 0);
    r.gs.target_unit = 11;
    r.use(2, 3);
    EXPECT_EQ(r.actor.mp, 0);
    EXPECT_EQ(r.actor.aiko_power, 4);
    r.actor.mp = 15;
    r.use(8, 4, {});
    EXPECT_EQ(r.ctx.w.moji_l, "Ｍｐが足りません");
}

TEST(Resolution, OneInThirtyFailsAfterPayment) {
    TechRig r(1);
    r.put(11, 3, 2);
    r.gs.skill_table[1][1].name = "正拳";
    r.use(1, 1, {29});
    EXPECT_EQ(r.gs.player_act_msg, "ルミナリアは体術「正拳」を行った！");
    EXPECT_EQ(r.gs.player_result_msg, "ミス！失敗してしまった！");
    EXPECT_EQ(r.gs.player_phase, 2);
    EXPECT_EQ(r.lost(11, 500), 0);
    EXPECT_EQ(r.actor.aiko_power, 1);  // drained, never below 1
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:miss.wav"}));
    EXPECT_FALSE(r.ctx.w.menu0);
}

TEST(Unlocks, AttributeBoundsAreStrict) {
    GameState gs;
    TChara c;
    c.body = 0;
    EXPECT_TRUE(technique_unlocked(gs, c, 1, 1));
    EXPECT_FALSE(technique_unlocked(gs, c, 1, 2));
    c.body = 30;
    for (int s = 1; s <= 4; ++s) EXPECT_TRUE(technique_unlocked(gs, c, 1, s));
    c.body = 29;
    EXPECT_FALSE(technique_unlocked(gs, c, 1, 4));
    // Every listed value must pass: Ｍ法 needs 闇, 過去 and 魔力.
    c.dark = 8;
    c.past = 5;
    c.magic = 7;
    EXPECT_FALSE(technique_unlocked(gs, c, 9, 1));
    c.magic = 8;
    EXPECT_TRUE(technique_unlocked(gs, c, 9, 1));
    gs.ark = 90;
    EXPECT_TRUE(technique_unlocked(gs, c, 18, 2));
    EXPECT_FALSE(technique_unlocked(gs, c, 18, 3));
    EXPECT_FALSE(technique_unlocked(gs, c, 15, 1));
}

TEST(ClassTable, DisabledFamilies) {
    auto on = [](int job) {
        std::vector<int> out;
        auto e = families_enabled_for_class(job);
        for (int f = 1; f <= 15; ++f)
            if (e[f]) out.push_back(f);
        return out;
    };
    EXPECT_EQ(on(23), (std::vector<int>{1}));
    EXPECT_EQ(on(22), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(on(1), (std::vector<int>{1, 3, 7, 14, 15}));
    EXPECT_EQ(on(7), (std::vector<int>{1, 3, 7, 10, 11, 15}));
    EXPECT_EQ(on(14), (std::vector<int>{1, 2, 3, 4, 5, 6, 10, 12, 15}));
    EXPECT_EQ(on(0).size(), 15u);
    EXPECT_EQ(on(24).size(), 15u);
    EXPECT_EQ(on(255).size(), 15u);
}

TEST(TechniquePanel, CaptionsHoverTextsAndPreview) {
    TechRig r(1);
    r.actor.body = 4;
    r.actor.job = 23;
    for (int s = 1; s <= 4; ++s) r.gs.skill_table[1][s] = {"技" + std::to_string(s), "力", "説明"};
    open_normal_families(r.ctx);
    EXPECT_TRUE(r.ctx.w.menu2);
    EXPECT_FALSE(r.ctx.w.family_enabled[2]);
    open_technique_panel(r.ctx, 1);
    EXPECT_EQ(r.ctx.w.menu4_caption, "体術");
    EXPECT_EQ(r.ctx.w.technique_captions[1], "技1");
    EXPECT_EQ(r.ctx.w.technique_captions[2], "技2");
    EXPECT_EQ(r.ctx.w.technique_captions[3], "？");
    point_at_technique(r.ctx, 3);
    EXPECT_EQ(r.ctx.w.magic_about_l, "まだ技を憶えていません");
    EXPECT_EQ(r.ctx.w.magic_about_l2, "必要要素:\r【体力】");
    choose_technique(r.ctx, 3);
    EXPECT_EQ(r.ctx.w.magic_about_l, "技を憶えていません");
    EXPECT_EQ(r.gs.player_phase, 0);
    point_at_technique(r.ctx, 2);
    EXPECT_EQ(r.ctx.w.magic_about_l, "哀古力：力");
    EXPECT_EQ(r.ctx.w.magic_about_l2, ">-mp0\r◆説明");
    EXPECT_EQ(r.ctx.w.markers[0].left, 4 * 64 + 1);
    EXPECT_EQ(r.ctx.w.markers[0].top, 3 * 64 + 1);
    EXPECT_EQ(r.ctx.w.markers[1].left, kOffBoardLeft);

    EXPECT_EQ(technique_cost_text(18, 2), "-60Ark,カード１枚");
    EXPECT_EQ(technique_cost_text(18, 3), "-90Ark,カード1枚");
    EXPECT_EQ(technique_cost_text(9, 3), "-mp12");
    EXPECT_EQ(technique_cost_text(7, 4), "-mp7");
}

TEST(TechniquePanel, MagicPreviewDrawsAFreshTargetAndTheClickStrikesIt) {
    TechRig r(1);
    r.actor.magic = 40;
    r.put(11, 1, 1);
    r.put(13, 0, 3);
    r.gs.chara[12].state = kStateEmpty;
    open_technique_panel(r.ctx, 2);
    r.gs.rng.script({1, 2});  // slot 12 is empty: redrawn, 13
    point_at_technique(r.ctx, 1);
    EXPECT_EQ(r.gs.target_unit, 13);
    EXPECT_EQ(r.ctx.w.markers[0].left, 1);
    EXPECT_EQ(r.ctx.w.markers[0].top, 193);
    r.gs.rng.script({0});
    choose_technique(r.ctx, 1);
    EXPECT_EQ(r.lost(13, 500), 44);
    EXPECT_EQ(r.lost(11, 500), 0);

    open_technique_panel(r.ctx, 9);
    r.actor.dark = 8;
    r.actor.past = 5;
    r.actor.magic = 8;
    open_technique_panel(r.ctx, 9);
    point_at_technique(r.ctx, 1);
    EXPECT_TRUE(r.ctx.w.s_l_visible && r.ctx.w.s_l2_visible);
    EXPECT_EQ(r.ctx.w.s_l, "対象：全員");
}

}  // namespace
}  // namespace lum::test

namespace lum::test {
namespace {

TEST(Saturation, HugeAikoNeitherWrapsTheAmountNorTheHitPoints) {
    TechRig r(2147483000);
    TChara& e = r.put(11, 3, 2);
    e.hp = -2147483000;
    r.use(1, 4);
    EXPECT_EQ(e.hp, INT_MIN);
    EXPECT_EQ(r.gs.player_result_msg, "U11に2147483647のダメージを与えた！");
    r.actor.hp = INT_MAX;
    r.actor.aiko_power = 8;
    r.use(6, 1);  // a heal on a full counter stays at the top
    EXPECT_EQ(r.actor.hp, INT_MAX);
}

TEST(Preview, BackgroundClearsTheHoverOnlyBetweenActions) {
    TechRig r(1);
    r.ctx.w.magic_about_l = "x";
    r.ctx.w.s_l2_visible = true;
    r.ctx.w.markers[2].left = 300;
    r.gs.cur_unit = 3;
    r.gs.enemy_phase = 2;
    pointer_over_background(r.ctx);
    EXPECT_EQ(r.ctx.w.magic_about_l, "");
    EXPECT_EQ(r.gs.sel_unit, 3);
    EXPECT_TRUE(r.ctx.w.s_l2_visible);
    EXPECT_EQ(r.ctx.w.markers[2].left, 300);
    r.gs.enemy_phase = 0;
    pointer_over_background(r.ctx);
    EXPECT_FALSE(r.ctx.w.s_l2_visible);
    EXPECT_EQ(r.ctx.w.markers[2].left, kOffBoardLeft);
}

}  // namespace
}  // namespace lum::test
