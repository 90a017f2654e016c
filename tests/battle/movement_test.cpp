#include <gtest/gtest.h>

#include "battle/movement.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

StepButtons steps_at(int x, int y, int speed) {
    Rig r;
    r.put(1, x, y).speed = speed;
    return step_buttons(r.gs, 1);
}

TEST(StepButtons, BoardEdgesDisableTheStepsThatWouldLeaveIt) {
    StepButtons left = steps_at(0, 2, 31);
    EXPECT_FALSE(left.mae || left.mae2 || left.mae3 || left.mae4);
    EXPECT_TRUE(left.usiro && left.usiro2 && left.usiro3 && left.usiro4 && left.ue && left.sita);

    StepButtons right = steps_at(6, 2, 31);
    EXPECT_FALSE(right.usiro || right.usiro2 || right.usiro3 || right.usiro4);
    EXPECT_TRUE(right.mae && right.mae2 && right.mae3 && right.mae4);

    StepButtons top = steps_at(3, 0, 31);
    EXPECT_FALSE(top.ue || top.usiro3 || top.mae3);
    EXPECT_TRUE(top.sita && top.usiro4 && top.mae4);

    StepButtons bottom = steps_at(3, 4, 31);
    EXPECT_FALSE(bottom.sita || bottom.usiro4 || bottom.mae4);
    EXPECT_TRUE(bottom.ue && bottom.usiro3 && bottom.mae3);

    EXPECT_FALSE(steps_at(1, 2, 31).mae2);  // x - 2 < 0
    EXPECT_FALSE(steps_at(5, 2, 31).usiro2);
}

TEST(StepButtons, SpeedThresholdsAreStrict) {
    EXPECT_FALSE(steps_at(3, 2, 5).usiro3);
    EXPECT_TRUE(steps_at(3, 2, 6).usiro3);
    EXPECT_FALSE(steps_at(3, 2, 6).usiro4);
    EXPECT_TRUE(steps_at(3, 2, 9).usiro4);
    EXPECT_FALSE(steps_at(3, 2, 11).usiro2);
    EXPECT_TRUE(steps_at(3, 2, 12).usiro2);
    EXPECT_FALSE(steps_at(3, 2, 14).mae3);
    EXPECT_TRUE(steps_at(3, 2, 15).mae3);
    EXPECT_FALSE(steps_at(3, 2, 17).mae4);
    EXPECT_TRUE(steps_at(3, 2, 18).mae4);
    EXPECT_FALSE(steps_at(3, 2, 20).mae2);
    EXPECT_TRUE(steps_at(3, 2, 21).mae2);
    EXPECT_FALSE(steps_at(3, 2, 30).warp);
    StepButtons all = steps_at(3, 2, 31);
    EXPECT_TRUE(all.mae && all.mae2 && all.usiro && all.usiro2 && all.ue && all.sita && all.mae3 &&
                all.mae4 && all.usiro3 && all.usiro4 && all.warp);
    StepButtons slow = steps_at(3, 2, 0);
    EXPECT_TRUE(slow.mae && slow.usiro && slow.ue && slow.sita);
    EXPECT_FALSE(slow.mae2 || slow.usiro2 || slow.mae3 || slow.mae4 || slow.usiro3 || slow.usiro4);
}

TEST(StepButtons, TwoSquareStepsNeedTheJumpedSquareDiagonalsDoNot) {
    Rig r;
    r.put(1, 3, 2).speed = 31;
    r.put(11, 4, 2);  // right next to it
    r.put(12, 3, 1);  // above: a diagonal does not care
    StepButtons b = step_buttons(r.gs, 1);
    EXPECT_FALSE(b.usiro);
    EXPECT_FALSE(b.usiro2);  // (5, 2) is free but (4, 2) is not
    EXPECT_FALSE(b.ue);
    EXPECT_TRUE(b.usiro3);
    EXPECT_TRUE(b.mae3);
    r.put(13, 1, 2);
    EXPECT_FALSE(step_buttons(r.gs, 1).mae2);
    EXPECT_TRUE(step_buttons(r.gs, 1).mae);
}

TEST(TakeStep, OathCounterAndItsLimit) {
    Rig r;
    TChara& c = r.put(1, 3, 2, 50);
    c.hp = 3;
    c.mp = 1;
    c.max_mp = 20;
    c.oath = 4;
    c.oath_count = 97;
    r.gs.oath_table[4] = "沈黙";
    r.gs.cur_unit = 1;
    r.ctx.set_timers(true);
    r.gs.rng.script({0});  // +1
    step(r.ctx, StepButton::mae);
    EXPECT_EQ(c.x, 2);
    EXPECT_EQ(c.oath_count, 98);
    EXPECT_EQ(r.gs.player_phase, 4);
    EXPECT_EQ(r.ctx.w.moji_l, "U1は移動した。");
    EXPECT_TRUE(r.dialogs.log.empty());

    c.oath_count = 97;
    r.gs.rng.script({1});  // +2 reaches 99
    step(r.ctx, StepButton::usiro4);
    EXPECT_EQ(c.x, 3);
    EXPECT_EQ(c.y, 3);
    EXPECT_EQ(c.oath_count, 0);
    EXPECT_EQ(c.hp, 50);
    EXPECT_EQ(c.mp, 20);
    EXPECT_EQ(r.dialogs.log,
              (std::vector<std::string>{
                  "inform:U1の沈黙の誓いがリミットに達した\r\rＨＰとＭＰが完全回復した！"}));
    EXPECT_TRUE(r.ctx.w.timer3 && r.ctx.w.timer4);
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:walk.wav", "effect:walk.wav"}));
}

TEST(Warp, RandomWarpRedrawsUntilFreeAndKeepsTheOathCounter) {
    Rig r;
    TChara& c = r.put(1, 6, 4);
    c.oath_count = 50;
    r.put(11, 0, 0);
    r.gs.cur_unit = 1;
    r.gs.rng.script({0, 0, 2, 3});  // (0,0) taken, then (2,3)
    random_warp(r.ctx);
    EXPECT_EQ(c.x, 2);
    EXPECT_EQ(c.y, 3);
    EXPECT_EQ(c.oath_count, 50);
    EXPECT_EQ(r.gs.player_phase, 4);
    EXPECT_EQ(r.ctx.w.moji_l, "U1は瞬間移動した。");
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect3:warp.wav"}));
}

TEST(Warp, FullBoardDrawsNothingAndLeavesTheUnitInPlace) {
    Rig r;
    TChara& c = r.put(1, 6, 4);
    for (int x = 0; x < kBoardColumns; ++x)
        for (int y = 0; y < kBoardRows; ++y)
            if (x != 6 || y != 4) r.gs.grid.set(x, y, 30);
    r.gs.cur_unit = 1;
    r.gs.rng.record_draws(true);
    random_warp(r.ctx);
    EXPECT_EQ(c.x, 6);
    EXPECT_EQ(c.y, 4);
    EXPECT_TRUE(r.gs.rng.draws().empty());
    EXPECT_EQ(r.ctx.w.moji_l, "U1は瞬間移動した。");
}

TEST(Warp, ClickedSquareOnlyWhenArmedAndFree) {
    Rig r;
    TChara& c = r.put(1, 6, 4);
    r.put(11, 2, 1);
    r.gs.cur_unit = 1;
    EXPECT_FALSE(warp_to_clicked_square(r.ctx, 150, 100));  // nothing armed
    r.gs.skill_family = 14;
    r.gs.skill_slot = 4;
    r.ctx.w.warp_click_armed = true;
    EXPECT_FALSE(warp_to_clicked_square(r.ctx, 150, 100));  // (2, 1) is taken
    EXPECT_EQ(r.dialogs.log, (std::vector<std::string>{"inform:そこには移動できません"}));
    EXPECT_TRUE(r.ctx.w.warp_click_armed);  // the turn can still go on
    EXPECT_TRUE(warp_to_clicked_square(r.ctx, 129, 319));
    EXPECT_EQ(c.x, 2);
    EXPECT_EQ(c.y, 4);
    EXPECT_EQ(r.gs.player_phase, 2);
    EXPECT_EQ(r.ctx.w.moji_l, "U1はワープした");
    EXPECT_FALSE(r.ctx.w.warp_click_armed);
    EXPECT_FALSE(warp_to_clicked_square(r.ctx, 10, 10));  // used up
}

TEST(Flee, PaysAFifthAndReportsBothAmounts) {
    Rig r;
    r.put(1, 6, 0).name = "ルミナリア";
    r.gs.cur_unit = 1;
    r.gs.money = 1004;
    r.gs.ark = 9;
    r.dialogs.answers = {false};
    EXPECT_FALSE(flee(r.ctx));
    EXPECT_EQ(r.gs.money, 1004);
    EXPECT_TRUE(r.screens.log.empty());

    EXPECT_TRUE(flee(r.ctx));
    EXPECT_EQ(r.gs.money, 804);
    EXPECT_EQ(r.gs.ark, 8);
    ASSERT_EQ(r.dialogs.log.size(), 3u);
    EXPECT_EQ(r.dialogs.log[1],
              "ask:全員で逃亡します。\rお金とＡｒｋをそれぞれ1/5消費しますがよろしいですか？");
    EXPECT_EQ(r.dialogs.log[2],
              "inform:ルミナリア達は逃亡した\rお金200円と\rＡｒｋ1Ａを消費した。");
    EXPECT_EQ(r.screens.log, (std::vector<std::string>{"hide:battle", "show:travel"}));
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"step", "step", "ok"}));
    EXPECT_FALSE(r.ctx.w.battle_shown);
}

TEST(MovementPanel, OpensWithStepsAndCancelKeepsTheTurn) {
    Rig r;
    r.put(1, 0, 0).speed = 6;
    r.gs.cur_unit = 1;
    r.ctx.w.menu0 = r.ctx.w.menu2 = true;
    open_movement_panel(r.ctx);
    EXPECT_TRUE(r.ctx.w.menu1 && r.ctx.w.menu0);
    EXPECT_FALSE(r.ctx.w.menu2);
    EXPECT_TRUE(r.ctx.w.steps.usiro3 == false && r.ctx.w.steps.usiro && r.ctx.w.steps.sita);
    cancel_movement(r.ctx);
    EXPECT_FALSE(r.ctx.w.menu1);
    EXPECT_TRUE(r.ctx.w.menu0);
    EXPECT_EQ(r.gs.player_phase, 0);
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"step", "effect:off1.wav"}));
}

}  // namespace
}  // namespace lum::test
