#include <gtest/gtest.h>

#include "battle/enemy_turn.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

struct EnemyRig : Rig {
    TChara& me;
    EnemyRig(int job, int x, int y, int aiko = 9) : me(put(11, x, y)) {
        me.name = "鬼";
        me.job = static_cast<byte>(job);
        me.aiko_power = aiko;
    }
    void act(std::initializer_list<int> draws) {
        gs.rng.script(draws);
        gs.rng.record_draws(true);
        gs.cur_unit = 11;
        gs.enemy_phase = 2;
        enemy_act(ctx);
    }
    int action() {
        gs.cur_unit = 11;
        return decide_enemy_action(gs).action;
    }
};

TEST(EnemyDecision, ClassZeroOnlyStrikesStraightAhead) {
    EnemyRig r(0, 1, 2);
    r.put(1, 1, 1);  // above: not its business
    r.act({0});      // r(11) = 0: step forward
    EXPECT_EQ(r.me.x, 2);
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は移動した。");
    EXPECT_EQ(r.gs.enemy_result_msg, "鬼は移動した。");
    EXPECT_EQ(r.gs.enemy_phase, 0);
    EXPECT_EQ(r.me.aiko_power, 9);
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:walk.wav"}));
}

TEST(EnemyDecision, ClassNineSweepsUnlessAnAllyFlanksTheFront) {
    EnemyRig r(9, 2, 2);
    r.put(1, 3, 2);
    r.put(2, 1, 2);
    r.put(12, 3, 1);  // an ally on FU
    EXPECT_EQ(r.action(), 1);
    r.gs.grid.set(3, 1, 0);
    EXPECT_EQ(r.action(), 18);
    r.put(3, 3, 3);  // a party unit on FD still allows the sweep
    EXPECT_EQ(r.action(), 18);
    r.act({2});
    EXPECT_EQ(r.lost(1, 500), 6);  // 2 + 9/3 + 1
    EXPECT_EQ(r.lost(3, 500), 6);
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は「閻魔の杓」で切り付けた!");
    EXPECT_EQ(r.gs.enemy_result_msg, "U1達に6のダメージを与えた");
    EXPECT_EQ(r.ctx.w.markers[0].left, 3 * 64 + 1);
    EXPECT_EQ(r.ctx.w.markers[1].top, 1 * 64 + 1);
    EXPECT_EQ(r.ctx.w.markers[2].top, 3 * 64 + 1);
    EXPECT_EQ(r.gs.enemy_phase, 2);
    EXPECT_EQ(r.me.aiko_power, 8);
}

TEST(EnemyDecision, ClassThirteenPrefersTheGunOverTheBow) {
    EnemyRig r(13, 0, 2);
    r.put(1, 3, 2);  // F3
    EXPECT_EQ(r.action(), 7);
    r.put(2, 2, 2);  // F2
    EXPECT_EQ(r.action(), 10);
    r.act({0});
    EXPECT_EQ(r.lost(2, 500), 3);  // 0 + 9/4 + 1
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は「トロッコ銃」を撃った");
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:gun.wav"}));
}

TEST(EnemyDecision, ClassFourteenStrikesBesideTheDrawnAlly) {
    {
        EnemyRig r(14, 0, 0);
        TChara& ally = r.put(12, 1, 3);
        ally.name = "妖";
        r.put(2, 2, 3);    // in front of the ally
        r.act({1, 1, 0});  // r(3) = 1, ally 12, amount r(3) = 0
        EXPECT_EQ(r.gs.target_unit, 12);
        EXPECT_EQ(r.lost(2, 500), 4);
        EXPECT_EQ(ally.aiko_power, 1);
        EXPECT_EQ(r.gs.enemy_act_msg, "鬼は「突き」をした");
        // Markers are placed around the ally.
        EXPECT_EQ(r.ctx.w.markers[0].left, 2 * 64 + 1);
        EXPECT_EQ(r.ctx.w.markers[0].top, 3 * 64 + 1);
    }
    {
        EnemyRig r(14, 0, 0);
        TChara& ally = r.put(12, 1, 3);
        ally.name = "妖";
        r.act({1, 6, 7});  // ally 11 + 6 % 5 = 12, boost r(8) = 7
        EXPECT_EQ(ally.aiko_power, 13);
        EXPECT_EQ(r.gs.enemy_result_msg, "妖の哀古の力を12引き出した!");
        EXPECT_EQ(r.gs.rng.draws(), (std::deque<int>{3, 5, 8}));
    }
}

TEST(EnemyMove, ClassSixteenCannotFlyOffTheTopAndWaits) {
    EnemyRig r(16, 3, 1);
    r.act({4});  // two rows up
    EXPECT_EQ(r.me.y, 1);
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は待機した\r哀古が1上がった");
    EXPECT_EQ(r.me.aiko_power, 10);
    EXPECT_TRUE(r.sound.log.empty());
    // It jumps over whatever stands between.
    r.put(12, 4, 1);
    r.act({0});
    EXPECT_EQ(r.me.x, 5);
}

TEST(EnemyMove, ClassTwentyWarpsOntoTheOneFreeSquare) {
    EnemyRig r(20, 0, 0);
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 5; ++y)
            if (!(x == 5 && y == 3) && !(x == 0 && y == 0)) r.gs.grid.set(x, y, 30);
    r.act({2});
    EXPECT_EQ(r.me.x, 5);
    EXPECT_EQ(r.me.y, 3);
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は瞬間転移した。");
    EXPECT_EQ(r.me.aiko_power, 10);
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:warp.wav"}));
}

TEST(EnemyAmounts, AikoNine) {
    struct C {
        int job, px, py, low, high;
        const char* text;
    };
    const C cases[] = {{0, 2, 2, 4, 6, "鬼は「突き」をした"},
                       {1, 0, 2, 2, 4, "鬼は「裏拳」をした"},
                       {19, 5, 2, 3, 5, "鬼は「赤い矢」を放った"},
                       {19, 6, 2, 4, 6, "鬼は「ｲﾝﾄﾞﾗの矢」を放った"},
                       {7, 6, 4, 4, 6, "鬼は「ネクロマンス」の魔法を唱えた!"}};
    for (const C& c : cases) {
        for (int draw : {0, 2}) {
            EnemyRig r(c.job, 1, 2);
            r.put(1, c.px, c.py).name = "勇";
            if (c.job == 7)
                r.act({0, 0, draw});
            else
                r.act({draw});
            EXPECT_EQ(r.lost(1, 500), draw == 0 ? c.low : c.high) << c.text;
            EXPECT_EQ(r.gs.enemy_act_msg, c.text);
            EXPECT_EQ(r.gs.enemy_result_msg,
                      "勇に" + std::to_string(draw == 0 ? c.low : c.high) + "のダメージを与えた");
        }
    }
}

TEST(EnemyHeal, HealRuleOrder) {
    EnemyRig r(6, 2, 2);
    TChara& up = r.put(12, 2, 1, 50);
    up.hp = 10;
    up.name = "上";
    TChara& down = r.put(13, 2, 3, 50);
    down.hp = 10;
    EXPECT_EQ(r.action(), 13);
    up.hp = 50;
    EXPECT_EQ(r.action(), 14);
    down.state = kStateSpirit;
    EXPECT_EQ(r.action(), 0);
    r.me.hp = 1;
    EXPECT_EQ(r.action(), 15);
    r.act({1});
    EXPECT_EQ(r.me.hp, 6);  // 1 + 9/3 + 1
    EXPECT_EQ(r.gs.enemy_result_msg, "鬼のHpが5回復した!");
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は「数珠」を使用した。");
}

TEST(EnemyDraws, NoCandidateKeepsTheMoveInsteadOfLoopingForever) {
    EnemyRig r(7, 1, 1);
    r.put(1, 6, 0).state = kStateDown;
    r.put(2, 6, 1).state = kStateSpirit;
    r.act({0, 10});  // r(2) = 0 would draw a party unit; none is in state 1
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は待機した\r哀古が1上がった");
    EXPECT_EQ(r.gs.rng.draws(), (std::deque<int>{2, 11}));
}

TEST(EnemySummon, VolganStrikesTheWholePartyWhateverItsState) {
    EnemyRig r(15, 0, 0, 14);
    TChara& a = r.put(1, 6, 0);
    a.name = "勇";
    TChara& b = r.put(2, 6, 4);
    b.state = kStateDown;
    b.hp = 0;
    // r(3) no heal, r(5) = 1 summon, naming draw, amount r(3) = 2
    r.act({0, 1, 0, 2});
    EXPECT_EQ(r.lost(1, 500), 7);  // 2 + 14/7 + 3
    EXPECT_EQ(b.hp, -7);
    EXPECT_EQ(r.gs.chara[3].hp, -7);  // an empty slot takes it too
    EXPECT_EQ(r.ctx.w.s_l, "対象：勇達全員");
    EXPECT_TRUE(r.ctx.w.s_l_visible && r.ctx.w.s_l2_visible);
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は亡霊「ヴォルガン」を呼び出した!");
    EXPECT_EQ(r.gs.enemy_result_msg, "勇達全員に7のダメージを与えた");
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:gii.wav"}));
}

TEST(EnemyMove, ClassesBeyondTheTableStandStill) {
    EnemyRig r(42, 3, 3);
    r.put(1, 4, 3);
    r.act({});
    EXPECT_EQ(r.gs.enemy_act_msg, "鬼は移動した。");
    EXPECT_EQ(r.me.aiko_power, 9);
    EXPECT_EQ(r.lost(1, 500), 0);
    EXPECT_TRUE(r.gs.rng.draws().empty());
}

TEST(EnemyAmounts, NegativeAikoTruncatesTowardZero) {
    EnemyRig r(0, 1, 1, -7);
    r.put(1, 2, 1);
    r.act({0});
    EXPECT_EQ(r.lost(1, 500), -1);  // 0 + (-7)/3 + 1: a "hit" that heals
    EXPECT_EQ(r.me.aiko_power, -8);
}

}  // namespace
}  // namespace lum::test
