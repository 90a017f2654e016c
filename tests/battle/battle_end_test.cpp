#include <gtest/gtest.h>

#include "battle/battle_clock.h"
#include "battle/battle_end.h"
#include "battle_fakes.h"

namespace lum::test {
namespace {

struct EndRig : Rig {
    EndRig() {
        TChara& hero = put(1, 6, 0, 40);
        hero.name = "ルミナリア";
        hero.level = 2;
        hero.exp = 10;
        hero.aiko_name = "古剣";
        hero.aiko_power = 3;
        gs.cur_unit = 1;
        gs.speed_ms = 520;
    }
    TChara& enemy(int slot, const char* name, int level, int hp) {
        TChara& e = put(slot, 0, slot - 11, 30);
        e.name = name;
        e.level = level;
        e.hp = hp;
        e.lifespan = 1;
        return e;
    }
};

TEST(BattleEnd, TwoEnemiesFallInSlotOrderEachWithExperienceAndOffer) {
    EndRig r;
    TChara& a = r.enemy(11, "狼", 3, 0);
    a.aiko_name = "牙";
    a.aiko_power = 12;
    TChara& b = r.enemy(13, "蛇", 2, -4);
    b.aiko_name = "鱗";
    b.aiko_power = 8;
    r.enemy(12, "熊", 1, 5);
    r.dialogs.answers = {true, false};
    r.gs.rng.script({3, 9});
    r.gs.one_box_per_message = true;
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::ongoing);

    EXPECT_EQ(
        r.dialogs.log,
        (std::vector<std::string>{
            "inform:狼を倒した", "inform:ルミナリアは経験値73を取得した!",
            "ask-no:狼から哀古を奪いますか？\r\r【牙】の哀古　△12\r（ルミナリアの今の哀古は【古剣】"
            "　△3）",
            "inform:狼から【牙】の哀古を奪った", "inform:蛇を倒した",
            "inform:ルミナリアは経験値23を取得した!", "inform:ルミナリアはLvUpした!!",
            "inform:【最大Ｈｐ】が2上がった!\r【最大Ｍｐ】が1上がった!",
            "ask-no:蛇から哀古を奪いますか？\r\r【鱗】の哀古　△8\r（ルミナリアの今の哀古は【牙】"
            "　△12）"}));
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"effect:die.wav", "ok", "ok", "effect:at1.wav",
                                                     "ok", "effect:die.wav", "ok",
                                                     "effect:lvup.wav", "ok", "ok", "step"}));
    EXPECT_EQ(r.pacing.pauses, (std::vector<int>{347, 347}));
    EXPECT_EQ(r.gs.chara[1].exp, 0);  // 10 + 73 = 83, then 106: a level and the surplus lost
    EXPECT_EQ(r.gs.chara[1].level, 3);
    EXPECT_EQ(r.gs.chara[1].aiko_name, "牙");
    EXPECT_EQ(r.gs.chara[1].aiko_power, 12);
    EXPECT_EQ(a.state, kStateEmpty);
    EXPECT_EQ(b.state, kStateEmpty);
    EXPECT_EQ(b.hp, 0);
    EXPECT_EQ(b.lifespan, 0);
    EXPECT_EQ(r.gs.chara[12].state, kStateNormal);
    EXPECT_TRUE(r.ctx.w.timer3 && r.ctx.w.timer4);
}

// The growth of a defeat in one box: the texts of the separate boxes, in their order, one a
// line; the sounds, draws, values and log stay those of the separate boxes.
TEST(BattleEnd, GrowthGatheredInOneBoxHoldsTheSeparateBoxesTexts) {
    struct Run {
        std::vector<std::string> boxes, sounds, log;
        TChara hero;
    };
    auto run = [](bool one_by_one) {
        EndRig r;
        r.gs.one_box_per_message = one_by_one;
        r.gs.chara[1].exp = 95;
        r.gs.job_table[0].growth = {3, 2, 0, 1, 1, 1, 1, 1, 1, 4};
        r.gs.chara[1].body = 70;
        r.gs.chara[1].magic = 30;
        TChara& e = r.enemy(11, "狼", 2, 0);
        e.aiko_name = "牙";
        e.aiko_power = 2;
        r.enemy(12, "熊", 1, 5);
        r.dialogs.answers = {false};
        // Experience 14 + 6; attribute draws (a 0 keeps 魔力 and 冷静 as they were); Hp, Mp.
        r.gs.rng.script({6, 1, 0, 2, 0, 3, 1, 2, 3, 1, 2, 5, 2});
        EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::ongoing);
        return Run{r.dialogs.log, r.sound.log, r.ctx.w.log, r.gs.chara[1]};
    };
    const Run apart = run(true), together = run(false);
    const std::vector<std::string> growth = {"ルミナリアは経験値20を取得した!",
                                             "ルミナリアはLvUpした!!",
                                             "【体力】が3上がった!",
                                             "【機工】が1上がった!",
                                             "【正義】が1上がった!",
                                             "【闇】が1上がった!",
                                             "【獣】が1上がった!",
                                             "【過去】が1上がった!",
                                             "【速さ】が4上がった!",
                                             "【最大Ｈｐ】が7上がった!\r【最大Ｍｐ】が3上がった!"};
    const std::string question =
        "ask-no:"
        "狼から哀古を奪いますか？\r\r【牙】の哀古　△2\r（ルミナリアの今の哀古は【古剣】　△3）";
    std::vector<std::string> expect_apart{"inform:狼を倒した"};
    for (const auto& t : growth) expect_apart.push_back("inform:" + t);
    expect_apart.push_back(question);
    EXPECT_EQ(apart.boxes, expect_apart);
    std::string one_box = "inform:";
    for (size_t i = 0; i < growth.size(); ++i) one_box += (i ? "\r" : "") + growth[i];
    EXPECT_EQ(together.boxes, (std::vector<std::string>{"inform:狼を倒した", one_box, question}));
    EXPECT_EQ(together.sounds, apart.sounds);
    EXPECT_EQ(together.log, apart.log);
    EXPECT_EQ(together.log.size(), 11u);  // the defeat and the ten lines of growth
    EXPECT_EQ(together.hero.level, 3);
    EXPECT_EQ(together.hero.max_hp, apart.hero.max_hp);
    EXPECT_EQ(together.hero.body, 73);
    EXPECT_EQ(together.hero.magic, 30);
    EXPECT_EQ(together.hero.speed, apart.hero.speed);
}

// No level: the box holds the experience alone. Taking the 哀古 is still confirmed.
TEST(BattleEnd, CaptureQuestionShowsBothAikoAndItsYesIsConfirmed) {
    EndRig r;
    TChara& e = r.enemy(11, "ﾎﾜｲﾄﾅｲﾄ", 2, 0);
    e.aiko_name = "石の指輪";
    e.aiko_power = 11;
    r.gs.chara[1].aiko_name = "ﾎﾜｲﾄﾎｰﾙ";
    r.gs.chara[1].aiko_power = 59;
    r.enemy(12, "熊", 1, 5);
    r.dialogs.answers = {true};
    r.gs.rng.script({0});
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::ongoing);
    EXPECT_EQ(
        r.dialogs.log,
        (std::vector<std::string>{
            "inform:ﾎﾜｲﾄﾅｲﾄを倒した", "inform:ルミナリアは経験値14を取得した!",
            "ask-no:ﾎﾜｲﾄﾅｲﾄから哀古を奪いますか？\r\r【石の指輪】の哀古　△11\r（ルミナリアの今の"
            "哀古は【ﾎﾜｲﾄﾎｰﾙ】　△59）",
            "inform:ﾎﾜｲﾄﾅｲﾄから【石の指輪】の哀古を奪った"}));
    EXPECT_EQ(r.gs.chara[1].aiko_power, 11);
}

TEST(BattleEnd, ExperienceByLevelDifference) {
    GameState gs;
    gs.rng.script({0, 9, 4});
    EXPECT_EQ(defeat_experience(gs, 1, 2), 70);
    EXPECT_EQ(defeat_experience(gs, 2, 2), 23);
    EXPECT_EQ(defeat_experience(gs, 3, 2), 9);
}

TEST(BattleEnd, AFallenEnemyAlreadyGoneIsNotCountedAgain) {
    EndRig r;
    TChara& e = r.enemy(11, "狼", 1, 0);
    e.state = kStateEmpty;
    r.enemy(12, "熊", 1, 5);
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::ongoing);
    EXPECT_TRUE(r.dialogs.log.empty());
    EXPECT_EQ(r.gs.chara[1].exp, 10);
}

TEST(BattleEnd, DownedMemberLosesLifespanAndAiko) {
    EndRig r;
    TChara& m = r.put(2, 6, 1, 30);
    m.name = "トゥルネア";
    m.hp = -3;
    m.lifespan = 4;
    m.aiko_power = 50;
    r.enemy(11, "狼", 1, 5);
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::ongoing);
    EXPECT_EQ(m.state, kStateDown);
    EXPECT_EQ(m.hp, 0);
    EXPECT_EQ(m.lifespan, 3);
    EXPECT_EQ(m.aiko_power, 1);
    EXPECT_EQ(m.aiko_name, "ぬけがら");
    EXPECT_EQ(r.gs.sel_unit, 2);
    EXPECT_EQ(r.ctx.w.party[2].picture, "char-1.bmp");
    EXPECT_EQ(r.dialogs.log, (std::vector<std::string>{"inform:トゥルネアは戦闘不能になった",
                                                       "inform:トゥルネアの寿命が1減った",
                                                       "inform:トゥルネアの哀古が破損した"}));
    EXPECT_EQ(r.sound.log,
              (std::vector<std::string>{"effect:die.wav", "effect:off1.wav", "effect:hakai.wav"}));
}

TEST(BattleEnd, VictoryWinsOverDefeatInTheSameCheck) {
    EndRig r;
    r.gs.chara[1].hp = 0;
    r.enemy(11, "狼", 1, 0);
    r.gs.money = 1000;
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::victory);
    EXPECT_EQ(r.gs.chara[1].state, kStateDown);
    EXPECT_EQ(r.gs.money, 1000);
    EXPECT_EQ(r.screens.log, (std::vector<std::string>{"hide:battle", "show:result"}));
    EXPECT_FALSE(r.ctx.w.timer3 || r.ctx.w.timer4);
}

TEST(BattleEnd, NoEnemyAtAllIsWonAtTheFirstCheck) {
    EndRig r;
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::victory);
}

TEST(BattleEnd, DefeatHalvesMoneyAndShortensEveryLife) {
    EndRig r;
    r.gs.chara[1].hp = -1;
    r.gs.chara[1].lifespan = 5;
    r.gs.chara[1].max_mp = 12;
    TChara& reserve = r.gs.chara[7];
    reserve.state = kStateDown;
    reserve.max_hp = 70;
    reserve.lifespan = 9;
    r.gs.chara[4].lifespan = 0;  // an empty slot is shortened too
    r.enemy(11, "狼", 1, 5);
    r.gs.money = -7;
    r.gs.ark = 9;
    EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::defeat);
    EXPECT_EQ(r.gs.money, -3);
    EXPECT_EQ(r.gs.ark, 4);
    EXPECT_EQ(r.gs.chara[1].lifespan, 2);  // one for falling, two for the defeat
    EXPECT_EQ(r.gs.chara[4].lifespan, -2);
    EXPECT_EQ(reserve.lifespan, 9);
    EXPECT_EQ(r.gs.chara[1].state, kStateNormal);
    EXPECT_EQ(r.gs.chara[1].hp, 40);
    EXPECT_EQ(r.gs.chara[1].mp, 12);
    EXPECT_EQ(reserve.state, kStateNormal);
    EXPECT_EQ(reserve.hp, 70);
    EXPECT_EQ(r.gs.chara[4].state, kStateEmpty);
    EXPECT_EQ(r.dialogs.log.back(),
              "inform:ルミナリア達は絶滅した････\r\r全員の寿命が2ずつ下がった\rお金とＡｒｋが半分に"
              "なってましった");
    EXPECT_EQ(r.screens.log, (std::vector<std::string>{"hide:battle", "show:travel"}));
    EXPECT_FALSE(r.ctx.w.timer3 || r.ctx.w.timer4);
}

TEST(BattleEnd, SpiritsAndStonesKeepDefeatAway) {
    for (byte s : {kStateSpirit, kStatePetrified}) {
        EndRig r;
        r.gs.chara[1].state = s;
        r.enemy(11, "狼", 1, 5);
        EXPECT_EQ(check_battle_end(r.ctx), BattleOutcome::ongoing);
    }
}

TEST(LevelUp, ZeroGrowthStillRaisesHpAndMp) {
    EndRig r;
    TChara& h = r.gs.chara[1];
    h.job = 3;
    h.body = 6;  // r(0): HP +2 exactly
    h.magic = 9;
    h.max_mp = 10;
    r.gs.rng.record_draws(true);
    r.gs.rng.script({1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    level_up(r.ctx, 1);
    EXPECT_EQ(r.gs.rng.draws(), (std::deque<int>{4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 0, 0}));
    EXPECT_EQ(h.max_hp, 42);
    EXPECT_EQ(h.max_mp, 11);
    EXPECT_EQ(r.dialogs.log, (std::vector<std::string>{
                                 "inform:ルミナリアはLvUpした!!",
                                 "inform:【最大Ｈｐ】が2上がった!\r【最大Ｍｐ】が1上がった!"}));
}

TEST(LevelUp, EachAttributeGrowsUnlessItsDrawIsZero) {
    EndRig r;
    TChara& h = r.gs.chara[1];
    h.job = 5;
    r.gs.job_table[5].growth = {2, 0, 1, 1, 1, 1, 1, 1, 1, 3};
    h.body = 12;
    h.magic = 20;
    r.gs.rng.script({1, 3, 0, 2, 2, 2, 2, 2, 2, 3, 1, 1});
    level_up(r.ctx, 1);
    EXPECT_EQ(h.body, 14);
    EXPECT_EQ(h.order, 0);
    EXPECT_EQ(h.speed, 3);
    EXPECT_EQ(h.max_hp, 43);  // r(14/7) = 1, + 2
    EXPECT_EQ(h.max_mp, 2);   // r(20/10) = 1, + 1
    EXPECT_EQ(r.dialogs.log[1], "inform:【体力】が2上がった!");
    EXPECT_EQ(r.dialogs.log[2], "inform:【冷静】が1上がった!");
    EXPECT_EQ(r.dialogs.log.size(), 1u + 8 + 1);
    // A class number beyond the table grows only HP and MP.
    h.job = 200;
    r.dialogs.log.clear();
    r.gs.rng.script({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0});
    level_up(r.ctx, 1);
    EXPECT_EQ(r.dialogs.log.size(), 2u);
}

TEST(TurnOrder, PartyThenEnemiesWithAnnouncements) {
    Rig r;
    r.put(1, 6, 0).state = kStateSpirit;
    r.put(2, 6, 1).state = kStateDown;
    r.put(3, 6, 2);
    r.put(6, 6, 3);  // a reserve member: announced, never given a turn
    r.put(12, 0, 1);
    r.gs.cur_unit = 0;
    open_next_party_turn(r.ctx);
    EXPECT_EQ(r.gs.cur_unit, 1);
    EXPECT_EQ(r.ctx.w.moji_l, "");  // a spirit acts unannounced
    EXPECT_TRUE(r.ctx.w.menu0);
    open_next_party_turn(r.ctx);
    EXPECT_EQ(r.gs.cur_unit, 3);
    EXPECT_EQ(r.ctx.w.moji_l, "U3の攻撃");
    open_next_party_turn(r.ctx);
    EXPECT_EQ(r.gs.cur_unit, 10);
    EXPECT_EQ(r.ctx.w.moji_l, "U6の攻撃");
    EXPECT_FALSE(r.ctx.w.menu0);

    enemy_half_tick(r.ctx);
    EXPECT_EQ(r.gs.cur_unit, 12);
    EXPECT_EQ(r.gs.enemy_phase, 1);
    r.gs.rng.script({10});  // class 0 with nobody ahead: waits
    enemy_half_tick(r.ctx);
    EXPECT_EQ(r.ctx.w.moji_l, "U12は待機した\r哀古が1上がった");
    EXPECT_EQ(r.gs.enemy_phase, 0);
    enemy_half_tick(r.ctx);
    EXPECT_EQ(r.gs.cur_unit, 1);  // back to the party
}

TEST(TurnOrder, WaitBonusNeverRaisesMpAboveMax) {
    Rig r;
    TChara& c = r.put(1, 6, 0);
    c.mp = 9;
    c.max_mp = 10;
    r.gs.cur_unit = 1;
    wait_command(r.ctx);
    EXPECT_EQ(r.gs.player_phase, 1);
    r.gs.rng.script({2, 1});
    EXPECT_EQ(party_half_tick(r.ctx), 500);
    EXPECT_EQ(c.mp, 10);
    EXPECT_EQ(r.ctx.w.moji_l, "U1のＭｐが2上がった");
    EXPECT_EQ(r.gs.player_phase, 4);
    r.gs.speed_ms = 312;
    EXPECT_EQ(enemy_half_tick(r.ctx), 468);
}

// A party whose lifespans are spent starts the battle down: nobody of it ever acts, so no
// action runs the end check. The end of the first enemy round runs it: a defeat, not a battle
// in which the enemies wander forever.
TEST(BattleEnd, APartyDownFromTheStartLosesAtTheEndOfTheFirstRound) {
    Rig r;
    r.gs.money = 100;
    r.put(1, 5, 0).lifespan = 0;
    r.put(2, 5, 1).lifespan = 0;
    r.gs.chara[1].state = r.gs.chara[2].state = kStateDown;
    r.put(11, 0, 0);
    r.gs.cur_unit = 10;
    r.gs.enemy_phase = 0;
    int ticks = 0;
    while (r.ctx.w.battle_shown && ticks < 50) {
        enemy_half_tick(r.ctx);
        ++ticks;
    }
    EXPECT_FALSE(r.ctx.w.battle_shown);
    EXPECT_LE(ticks, 4);  // announce, act, (result), round end
    EXPECT_EQ(r.gs.money, 50);
    EXPECT_EQ(r.screens.log.back(), "show:travel");
}

}  // namespace
}  // namespace lum::test
