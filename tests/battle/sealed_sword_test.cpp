#include <gtest/gtest.h>

#include "battle/sealed_sword.h"
#include "battle/techniques.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

struct SwordRig : Rig {
    TChara& me;
    SwordRig() : me(put(1, 4, 2, 80)) {
        me.name = "ルクサ";
        me.oath_count = 45;
        me.aiko_power = 7;
        gs.cur_unit = 1;
    }
};

TEST(SealedSword, SmileScalesWithTheTargetsPast) {
    SwordRig r;
    TChara& f = r.put(11, 3, 2, 130);
    f.name = "亡霊";
    f.past = 25;
    r.me.oath_count = 65;
    choose_sealed_sword(r.ctx, 20);
    EXPECT_EQ(f.hp, 100);  // 130/13 x (25/10 + 1) = 30
    EXPECT_EQ(r.me.oath_count, 45);
    EXPECT_EQ(r.me.aiko_power, 6);
    EXPECT_EQ(r.gs.player_phase, 2);
    EXPECT_EQ(r.gs.player_act_msg, "ルクサは心に眠る思い出に微笑みかけた");
    EXPECT_EQ(r.gs.player_result_msg, "亡霊に30のダメージを与えた！");
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:warau.wav"}));
    EXPECT_TRUE(r.gs.rng.draws().empty());

    f.max_hp = 12;
    f.justice = 90;
    choose_sealed_sword(r.ctx, 21);
    EXPECT_EQ(f.hp, 100);
    EXPECT_EQ(r.gs.player_result_msg, "亡霊に0のダメージを与えた！");

    f.max_hp = 26;
    f.dark = 9;
    choose_sealed_sword(r.ctx, 22);
    EXPECT_EQ(r.gs.player_result_msg, "亡霊に2のダメージを与えた！");
    EXPECT_EQ(r.gs.player_act_msg, "ルクサは心に潜む邪心に誘い掛けた");
}

TEST(SealedSword, TooFewOathsAreRefusedForEverySkill) {
    SwordRig r;
    r.me.oath_count = 19;
    for (int f = 20; f <= 26; ++f) {
        choose_sealed_sword(r.ctx, f);
        EXPECT_EQ(r.ctx.w.moji_l,
                  "【誓い】の数が足りません。封印剣を使用するには最低でも20の誓い数が必要です。");
    }
    EXPECT_EQ(r.me.oath_count, 19);
    EXPECT_EQ(r.me.aiko_power, 7);
    EXPECT_EQ(r.gs.player_phase, 0);
}

TEST(SealedSword, NobodyInFrontStillCosts) {
    SwordRig r;
    choose_sealed_sword(r.ctx, 20);
    EXPECT_EQ(r.gs.player_result_msg, "何も起きなかった");
    choose_sealed_sword(r.ctx, 23);
    EXPECT_EQ(r.gs.player_act_msg, "ルクサは封印剣「食べる」を行った！");
    EXPECT_EQ(r.gs.player_result_msg, "何も起きなかった");
    EXPECT_EQ(r.me.oath_count, 5);
    EXPECT_EQ(r.me.aiko_power, 5);
    EXPECT_EQ(r.gs.chara[0].state, kStateEmpty);
}

TEST(SealedSword, EatingHalvesTheTargetAndRollsAnOutcome) {
    SwordRig r;
    TChara& f = r.put(11, 3, 2, 100);
    f.name = "竜";
    f.hp = 1;
    f.aiko_power = 40;
    r.me.beast = 2;
    r.me.oath_count = 60;
    r.gs.rng.script({3});
    choose_sealed_sword(r.ctx, 23);
    EXPECT_EQ(f.hp, 1);  // 1/2 + 1
    EXPECT_EQ(r.me.beast, 6);
    EXPECT_EQ(r.gs.player_act_msg, "ルクサは竜の体を食べた！");
    EXPECT_EQ(r.gs.player_result_msg, "ルクサの【獣】が4上がった\r竜のＨＰが半減した。");

    f.hp = 51;
    r.gs.rng.script({8});
    choose_sealed_sword(r.ctx, 23);
    EXPECT_EQ(f.hp, 26);
    EXPECT_EQ(r.me.aiko_power, 80);
    EXPECT_EQ(r.me.aiko_name, "獣神ｾﾞﾙｸﾞﾗﾑ");
    EXPECT_EQ(r.gs.player_result_msg, "ルクサの哀古に獣の魂が宿った！\r竜のＨＰが半減した。");

    r.me.hp = 9;
    r.gs.rng.script({1});
    choose_sealed_sword(r.ctx, 23);
    EXPECT_EQ(r.me.hp, 4);
    EXPECT_EQ(r.gs.player_result_msg, "ルクサ｢まずいっ！｣(HPが半減した)\r竜のＨＰが半減した。");
}

TEST(SealedSword, ReleasingTheAikoStrikesFourSquares) {
    SwordRig r;
    r.me.aiko_power = 1;
    r.put(11, 3, 2);
    r.put(12, 0, 2);
    r.put(2, 1, 2);  // an ally in the line is struck too
    choose_sealed_sword(r.ctx, 24);
    EXPECT_EQ(r.lost(11, 500), 1);
    EXPECT_EQ(r.lost(12, 500), 1);
    EXPECT_EQ(r.lost(2, 500), 1);
    EXPECT_EQ(r.me.oath_count, 0);
    EXPECT_EQ(r.me.aiko_power, 0);
    EXPECT_EQ(r.gs.player_act_msg, "ルクサの哀古を完全解放した！\r哀古が飛び散った！");
    EXPECT_EQ(r.gs.player_result_msg, "前方４マスに1のダメージを与えた！");
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:fire.wav", "effect:ken.wav"}));
}

TEST(SealedSword, JetKnocksBackOnlyOntoAFreeSquareOnTheBoard) {
    {
        SwordRig r;
        TChara& f = r.put(11, 3, 2);
        f.name = "兵";
        choose_sealed_sword(r.ctx, 25);
        EXPECT_EQ(f.hp, 450);
        EXPECT_EQ(f.x, 2);
        EXPECT_EQ(r.gs.player_act_msg, "どこからともなくジェットが吹き荒れる!");
        EXPECT_EQ(r.gs.player_result_msg, "兵に50のダメージを与えた！兵を吹っ飛ばした！");
    }
    {
        SwordRig r;
        TChara& f = r.put(11, 3, 2);
        f.name = "兵";
        r.put(12, 2, 2);
        choose_sealed_sword(r.ctx, 25);
        EXPECT_EQ(f.x, 3);
        EXPECT_EQ(r.gs.player_result_msg, "兵に50のダメージを与えた！");
    }
    {
        SwordRig r;
        r.me.x = 1;
        r.gs.grid.set(4, 2, 0);
        r.gs.grid.set(1, 2, 1);
        TChara& f = r.put(11, 0, 2);
        choose_sealed_sword(r.ctx, 25);
        EXPECT_EQ(f.hp, 450);
        EXPECT_EQ(f.x, 0);
    }
}

TEST(SealedSword, GriefRevivesOnlyMembersWithLifespan) {
    SwordRig r;
    TChara& a = r.put(2, 5, 0, 95);
    a.state = kStateDown;
    a.hp = 0;
    a.lifespan = 1;
    a.name = "ザビナ";
    TChara& b = r.put(3, 5, 1, 95);
    b.state = kStateDown;
    b.lifespan = 0;
    r.ctx.w.party[2].picture = "char-1.bmp";
    choose_sealed_sword(r.ctx, 26);
    EXPECT_EQ(a.state, kStateNormal);
    EXPECT_EQ(a.hp, 9);
    EXPECT_EQ(b.state, kStateDown);
    EXPECT_EQ(r.ctx.w.party[2].picture, "char5.bmp");
    EXPECT_EQ(r.me.aiko_power, 0);
    EXPECT_EQ(r.gs.player_act_msg, "ルクサの哀古に祈りを捧げた！\r哀古が飛び散った！");
    EXPECT_EQ(r.gs.player_result_msg, "戦闘不能の者を復活させた。");
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:fier.wav", "effect3:awa.wav"}));
}

TEST(SealedSword, BoxHoverAndButtons) {
    SwordRig r;
    r.gs.skill_family = 9;
    open_sealed_sword_box(r.ctx);
    EXPECT_EQ(r.gs.skill_family, 0);
    EXPECT_TRUE(r.ctx.w.ken_box);
    r.gs.skill_flags[21] = 1;
    r.gs.skill_flags[25] = 1;
    SealedButtons b = sealed_sword_buttons(r.gs);
    EXPECT_TRUE(b.enabled[21] && b.enabled[25] && b.jet_visible);
    EXPECT_FALSE(b.enabled[20]);
    point_at_sealed_sword(r.ctx, 24);
    EXPECT_EQ(r.ctx.w.magic_about_l, "哀古力:100%");
    for (int k = 0; k < 4; ++k) EXPECT_EQ(r.ctx.w.markers[k].left, (3 - k) * 64 + 1);
    point_at_sealed_sword(r.ctx, 25);
    EXPECT_EQ(
        r.ctx.w.magic_about_l2,
        "-誓い数20\r幻の科学者ネーベルガントが創り出した剣【ジェット】に宿りし技。哀子力に関係"
        "なく、相手に50のダメージを負わせ、ふっ飛ばす");
    point_at_sealed_sword(r.ctx, 26);
    EXPECT_EQ(r.ctx.w.s_l, "対象：味方全員");
}

}  // namespace
}  // namespace lum::test
