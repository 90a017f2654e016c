#include "state/game_state.h"

#include <gtest/gtest.h>

using namespace lum;

TEST(GameState, RestoreRosterRevivesMembersButNeverEmptySlots) {
    GameState gs;
    for (int i = 0; i < kCharaCount; ++i) {
        gs.chara[i].state = static_cast<byte>(i % 5);
        gs.chara[i].hp = 1;
        gs.chara[i].max_hp = 50;
        gs.chara[i].mp = 2;
        gs.chara[i].max_mp = 9;
    }
    restore_roster(gs);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(gs.chara[i].state, i % 5 == 0 ? 0 : 1) << i;
        EXPECT_EQ(gs.chara[i].hp, 50);
        EXPECT_EQ(gs.chara[i].mp, 9);
    }
    for (int i : {0, 11, 12, 15, 30}) {
        EXPECT_EQ(gs.chara[i].state, i % 5) << i;
        EXPECT_EQ(gs.chara[i].hp, 1) << i;
    }
}

TEST(GameState, LookUpsAreBoundedAndEmptyOathsReadUnknown) {
    GameState gs;
    gs.oath_table[3] = "夢";
    gs.aiko_names[2] = "ﾎﾜｲﾄﾎｰﾙ";
    EXPECT_EQ(gs.oath_text(3), "夢");
    EXPECT_EQ(gs.oath_text(4), "不明");
    EXPECT_EQ(gs.oath_text(256), "不明");
    EXPECT_EQ(gs.oath_text(-1), "不明");
    EXPECT_EQ(gs.aiko_name_at(10 / 5), "ﾎﾜｲﾄﾎｰﾙ");
    EXPECT_EQ(gs.aiko_name_at(11 / 5), "ﾎﾜｲﾄﾎｰﾙ");
    EXPECT_EQ(gs.aiko_name_at(101), "");
    EXPECT_EQ(gs.job_at(51).name, "");
    EXPECT_EQ(gs.item_at(513).kind, 0);
    EXPECT_EQ(gs.skill_at(51, 1).name, "");
    gs.chara_at(31).hp = 5;  // a write to a bad index goes nowhere
    EXPECT_EQ(gs.chara_at(31).hp, 0);
}

TEST(GameState, TheGridHasAMarginAndSkipsWritesOutsideIt) {
    Grid g;
    g.set(-20, 20, 7);
    g.set(6, 4, 11);
    g.set(21, 0, 9);
    g.set(0, -21, 9);
    EXPECT_EQ(g.at(-20, 20), 7);
    EXPECT_EQ(g.at(6, 4), 11);
    EXPECT_EQ(g.at(21, 0), 0);
    EXPECT_EQ(g.at(0, -21), 0);
    EXPECT_EQ(g.at(0, 0), 0);
}

TEST(Rng, IsUniformInRangeAndScriptable) {
    Rng r(42);
    for (int i = 0; i < 1000; ++i) {
        int v = r.random(6);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 6);
    }
    EXPECT_EQ(r.random(0), 0);
    EXPECT_EQ(r.random(-3), 0);
    r.record_draws(true);
    r.script({5, 7, -1});
    EXPECT_EQ(r.random(10), 5);
    EXPECT_EQ(r.random(4), 3);
    EXPECT_EQ(r.random(4), 3);
    EXPECT_EQ(r.draws(), (std::deque<int>{10, 4, 4}));
    Rng a(7), b(7);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a.random(1000), b.random(1000));
}
