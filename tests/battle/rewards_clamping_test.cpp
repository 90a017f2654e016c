#include <gtest/gtest.h>

#include "battle/clamping.h"
#include "battle/result_rewards.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

TEST(Rewards, RangesOverManyBattles) {
    int mvp = 0;
    for (int seed = 0; seed < 600; ++seed) {
        GameState gs;
        FakeSound sound;
        gs.rng.seed(seed);
        gs.chara[2].state = kStateNormal;
        gs.chara[2].name = "ルクサ";
        gs.money = 0;
        gs.ark = 0;
        RewardLines lines = grant_battle_rewards(gs, sound);
        ASSERT_GE(gs.money, 200);
        ASSERT_LE(gs.money, 299);
        ASSERT_GE(gs.ark, 5);
        ASSERT_LE(gs.ark, 14);
        ASSERT_EQ(lines.gold, "GetGold " + std::to_string(gs.money) + "円");
        ASSERT_EQ(lines.ark, "GetArk " + std::to_string(gs.ark) + "Ａ");
        ASSERT_EQ(lines.item, "GetItem 無し");  // every name is empty here
        for (int i = 0; i <= 512; ++i) ASSERT_EQ(gs.item_owned[i], 0);
        if (lines.mvp != "MVP\r確等者無し") {
            ++mvp;
            const TChara& c = gs.chara[2];
            const int total = c.order + c.calm + c.mech + c.justice + c.dark + c.beast + c.past +
                              c.speed + c.max_hp + c.max_mp;
            ASSERT_GE(total, 1);
            ASSERT_LE(total, 3);
            ASSERT_EQ(lines.mvp.rfind("MVPルクサ\r【", 0), 0u);
        }
        ASSERT_EQ(sound.log, (std::vector<std::string>{"music:cl_s3.mid"}));
    }
    EXPECT_GT(mvp, 150);
    EXPECT_LT(mvp, 250);
}

TEST(Rewards, ExactDrawsAndTheBonusLine) {
    GameState gs;
    FakeSound sound;
    gs.speed_ms = 312;
    gs.chara[1].state = kStateDown;
    gs.chara[4].state = kStateNormal;
    gs.chara[4].name = "楓";
    gs.chara[4].max_mp = 10;
    gs.item_table[7].name = "薬草";
    gs.item_owned[5] = 1;
    gs.rng.record_draws(true);
    //           gold ark mvp  a: 1 (down), 4  n  b    item 5 (owned), 7
    gs.rng.script({17, 3, 1, 0, 3, 2, 9, 5, 7});
    RewardLines l = grant_battle_rewards(gs, sound);
    EXPECT_EQ(gs.rng.draws(), (std::deque<int>{100, 10, 3, 5, 5, 3, 10, 252, 253}));
    EXPECT_EQ(l.gold, "GetGold 217円");
    EXPECT_EQ(l.ark, "GetArk 8Ａ");
    EXPECT_EQ(l.mvp, "MVP楓\r【最大Ｍｐ】が3上がった!!");
    EXPECT_EQ(gs.chara[4].max_mp, 13);
    EXPECT_EQ(l.item, "GetItem 薬草");
    EXPECT_EQ(gs.item_owned[7], 1);
    EXPECT_EQ(l.reveal_interval_ms, 262);
}

TEST(Rewards, NobodyToRewardAndNothingLeftToGive) {
    GameState gs;
    FakeSound sound;
    for (int i = 0; i <= 252; ++i) {
        gs.item_owned[i] = 1;
        gs.item_table[i].name = "品";
    }
    gs.rng.record_draws(true);
    gs.rng.script({0, 0, 1, 40});
    RewardLines l = grant_battle_rewards(gs, sound);
    EXPECT_EQ(l.mvp, "MVP\r確等者無し");
    EXPECT_EQ(l.item, "GetItem 無し");
    EXPECT_EQ(gs.rng.draws(), (std::deque<int>{100, 10, 3, 252}));
}

TEST(Rewards, LeavingTheDialogHealsAndCostsLifespan) {
    for (std::string caption : {"RETURN", "NEXT MISSION"}) {
        GameState gs;
        FakeSound sound;
        FakeScreens screens;
        gs.chara[1] = {};
        gs.chara[1].state = kStateDown;
        gs.chara[1].max_hp = 30;
        gs.chara[1].lifespan = 3;
        gs.chara[9].lifespan = 0;
        gs.chara[11].lifespan = 5;
        gs.script_pos = 9;
        leave_result_dialog(gs, sound, screens, caption);
        EXPECT_EQ(gs.chara[1].state, kStateNormal);
        EXPECT_EQ(gs.chara[1].hp, 30);
        EXPECT_EQ(gs.chara[1].lifespan, 2);
        EXPECT_EQ(gs.chara[9].lifespan, -1);
        EXPECT_EQ(gs.chara[11].lifespan, 5);
        EXPECT_EQ(sound.log, (std::vector<std::string>{"effect:next.wav"}));
        if (caption == "RETURN") {
            EXPECT_EQ(screens.log,
                      (std::vector<std::string>{"show:travel", "close:result", "hide:battle"}));
            EXPECT_EQ(gs.script_pos, 9);
        } else {
            EXPECT_EQ(screens.log,
                      (std::vector<std::string>{"hide:battle", "close:result", "show:story"}));
            EXPECT_EQ(gs.script_pos, 0);
        }
    }
}

TEST(Clamping, EveryRangeOfTheRoster) {
    GameState gs;
    gs.sel_unit = 1;
    gs.chara[1].state = kStateNormal;
    TChara& a = gs.chara[3];
    a.hp = -5;
    a.max_hp = 100;
    a.mp = 20;
    a.max_mp = 12;
    a.aiko_power = 0;
    a.lifespan = -2;
    a.oath_count = 100;
    TChara& b = gs.chara[12];
    b.hp = 130;
    b.max_hp = 100;
    b.mp = -1;
    b.oath_count = 101;
    TChara& c = gs.chara[21];
    c.state = kStateDown;
    c.hp = 50;
    c.max_hp = 60;
    c.oath_count = -4;
    TChara& d = gs.chara[22];  // beyond the clamped slots
    d.hp = -9;

    EXPECT_TRUE(clamp_values(gs));
    EXPECT_EQ(a.hp, 0);
    EXPECT_EQ(a.mp, 12);
    EXPECT_EQ(a.aiko_power, 1);
    EXPECT_EQ(a.lifespan, 0);
    EXPECT_EQ(a.oath_count, 100);
    EXPECT_EQ(b.hp, 100);
    EXPECT_EQ(b.mp, 0);
    EXPECT_EQ(b.oath_count, 99);
    EXPECT_EQ(c.hp, 0);
    EXPECT_EQ(c.oath_count, 0);
    EXPECT_EQ(d.hp, -9);
    EXPECT_EQ(gs.chara[0].aiko_power, 1);
}

TEST(Clamping, AnEmptySelectedSlotFreezesEverything) {
    GameState gs;
    gs.sel_unit = 14;
    gs.chara[3].hp = -5;
    EXPECT_FALSE(clamp_values(gs));
    EXPECT_EQ(gs.chara[3].hp, -5);
    gs.sel_unit = 250;  // no such slot
    EXPECT_FALSE(clamp_values(gs));
}

}  // namespace
}  // namespace lum::test
