#include <gtest/gtest.h>

#include "battle/setup.h"
#include "battle_fakes.h"
#include "state/cp932.h"

namespace lum::test {
namespace {

std::vector<int> draws(const GameState& gs) {
    return {gs.rng.draws().begin(), gs.rng.draws().end()};
}

TEST(RandomBattle, HeroLevelOneDrawsInOrder) {
    Rig r;
    r.ctx.w.battle_shown = false;
    TChara& hero = r.gs.chara[1];
    hero.name = "ルミナリア";
    hero.state = kStateNormal;
    hero.level = 1;
    hero.lifespan = 10;
    r.gs.aiko_names[4] = "四の哀古";
    r.gs.name_table[7] = "ゴブ";
    r.gs.chara[13].state = kStateNormal;  // a leftover of the previous battle
    r.gs.rng.record_draws(true);
    r.gs.rng.script({0, 1, 0,                 // music, hero x, one enemy
                     1, 3, 5, 7, 10, 20, 30,  // level 2, hp, oath, count, past, justice, dark
                     2, 0, 1, 2, 0,  1,       // body order calm mech speed beast
                     2, 5,                    // aiko
                     1, 1,                    // 1-in-6 hit, job r(2) -> 1
                     0, 7, 0, 8, 1});         // no special, name, sex, x
    start_random_battle(r.ctx);

    EXPECT_EQ(draws(r.gs), (std::vector<int>{3, 2, 5, 2, 10, 51, 30, 50, 90, 80,  3,   3,  3,
                                             3, 3, 3, 3, 10, 0,  6,  2,  20, 226, 100, 10, 2}));
    EXPECT_TRUE(r.gs.rng.scripted_empty());
    EXPECT_EQ(r.sound.log, (std::vector<std::string>{"music:cl_s9.mid", "effect:mowa.wav"}));
    EXPECT_EQ(r.screens.log, (std::vector<std::string>{"show:battle", "hide:travel"}));

    const TChara& e = r.gs.chara[11];
    EXPECT_EQ(e.level, 2);
    EXPECT_EQ(e.max_hp, 21);
    EXPECT_EQ(e.hp, 21);
    EXPECT_EQ(e.oath, 5);
    EXPECT_EQ(e.oath_count, 7);
    EXPECT_EQ(e.past, 10);
    EXPECT_EQ(e.justice, 20);
    EXPECT_EQ(e.dark, 30);
    EXPECT_EQ(e.body, 4);
    EXPECT_EQ(e.magic, 3);
    EXPECT_EQ(e.order, 2);
    EXPECT_EQ(e.calm, 3);
    EXPECT_EQ(e.mech, 4);
    EXPECT_EQ(e.speed, 2);
    EXPECT_EQ(e.beast, 2);
    EXPECT_EQ(e.aiko_power, 21);
    EXPECT_EQ(e.aiko_name, "四の哀古");
    EXPECT_EQ(e.job, 1);
    EXPECT_EQ(e.name, "ゴブ");
    EXPECT_EQ(e.sex, 2);
    EXPECT_EQ(e.x, 1);
    EXPECT_EQ(e.y, 0);
    EXPECT_EQ(e.lifespan, 1);
    EXPECT_EQ(e.mp, 10);
    EXPECT_EQ(r.gs.chara[12].state, kStateEmpty);
    EXPECT_EQ(r.gs.chara[13].state, kStateEmpty);
    EXPECT_EQ(hero.x, 6);
    EXPECT_EQ(hero.y, 0);
    EXPECT_EQ(r.ctx.w.result_caption, "RETURN");
    EXPECT_EQ(r.ctx.w.enemy[1].picture, "unit1.bmp");
    EXPECT_EQ(r.ctx.w.party[1].picture, "char0.bmp");
    // The first party turn is open and both timers run.
    EXPECT_EQ(r.gs.cur_unit, 1);
    EXPECT_TRUE(r.ctx.w.menu0);
    EXPECT_EQ(r.ctx.w.moji_l, "ルミナリアの攻撃");
    EXPECT_TRUE(r.ctx.w.timer3 && r.ctx.w.timer4);
}

TEST(RandomBattle, LowLevelEnemiesAreClassZeroUnlessTheOneInSixPicksOne) {
    int class_one = 0;
    for (int seed = 0; seed < 400; ++seed) {
        Rig r;
        r.gs.rng.seed(seed);
        r.gs.chara[1].state = kStateNormal;
        r.gs.chara[1].level = 1;
        r.gs.chara[1].lifespan = 3;
        start_random_battle(r.ctx);
        for (int e = 11; e <= 15; ++e) {
            const TChara& c = r.gs.chara[e];
            if (c.state == kStateEmpty) continue;
            ASSERT_TRUE(c.level == 1 || c.level == 2);
            ASSERT_LE(c.job, c.level == 2 ? 1 : 0);
            ASSERT_FALSE(c.aiko_name.empty());  // the table is empty here: "万古ν" stands in
            class_one += c.job;
        }
    }
    EXPECT_GT(class_one, 0);
}

TEST(RandomBattle, SpecialAikoAndSexTable) {
    Rig r;
    r.gs.chara[1].level = 4;
    r.gs.rng.script({0, 0,                 // music, one enemy (hero slot empty: no x draw)
                     0, 0, 0, 0, 0, 0, 0,  // level 4, hp 36, ...
                     0, 0, 0, 0, 0, 0,     //
                     0, 0,                 // aiko 16
                     0, 0,                 // job r(2) = 0, no 1-in-6
                     1, 4,                 // special: x3/2 and "Ｍ刀＋"
                     0, 0, 9, 0});         // name, no syllables, sex 9 -> 3, x
    start_random_battle(r.ctx);
    const TChara& e = r.gs.chara[11];
    EXPECT_EQ(e.aiko_power, 24);
    EXPECT_EQ(e.aiko_name, "Ｍ刀＋");
    EXPECT_EQ(e.sex, 3);
    EXPECT_TRUE(r.gs.rng.scripted_empty());
}

TEST(StoryBattle, LeaderIsOneLevelUpWithTheTableAiko) {
    for (int seed = 0; seed < 100; ++seed) {
        Rig r;
        r.gs.rng.seed(seed);
        r.gs.stage_no = 3;
        for (int i = 0; i <= 100; ++i) r.gs.aiko_names[i] = "哀古" + std::to_string(i);
        for (int k = 0; k < 5; ++k) {
            r.gs.stage_enemies[k].state = k < 3 ? 1 : 0;
            r.gs.stage_enemies[k].job = static_cast<byte>(k);
            r.gs.stage_enemies[k].name = "敵" + std::to_string(k);
        }
        r.gs.stage_enemies[1].sprite_file = "boss.bmp";
        r.gs.stage_enemies[1].portrait_file = "boss_face.bmp";
        start_story_battle(r.ctx);
        const TChara& leader = r.gs.chara[11];
        ASSERT_EQ(leader.level, 5);
        ASSERT_GE(leader.max_hp, 45);
        ASSERT_LE(leader.max_hp, 49);
        ASSERT_GE(leader.aiko_power, 25);
        ASSERT_LE(leader.aiko_power, 27);
        ASSERT_EQ(leader.aiko_name, "哀古4");
        ASSERT_EQ(r.gs.chara[12].level, 4);
        ASSERT_LE(r.gs.chara[12].max_hp, 45);
        ASSERT_EQ(r.gs.chara[12].state, 1);
        ASSERT_EQ(r.gs.chara[14].state, 0);
        ASSERT_EQ(r.ctx.w.enemy[1].picture, "unit0.bmp");
        ASSERT_EQ(r.ctx.w.enemy[2].picture, "boss.bmp");
        ASSERT_EQ(r.ctx.w.enemy_portrait[2], "boss_face.bmp");
        ASSERT_EQ(r.ctx.w.enemy_portrait[3], "unit2.bmp");
        ASSERT_EQ(r.ctx.w.result_caption, "NEXT MISSION");
        ASSERT_EQ(r.gs.grid.at(r.gs.chara[12].x, 1), 12);
    }
}

TEST(StoryBattle, SpeechLinesStayOneSpeechTickEachAndEmptyOnesCostNothing) {
    Rig r;
    r.gs.speed_ms = 312;
    r.gs.chara[1] = {};
    r.gs.chara[1].name = "勇者";
    r.gs.chara[1].state = kStateNormal;
    r.gs.chara[1].lifespan = 5;
    r.gs.stage_enemies[0] = {"ボス", "", "", "", 0, 0, 1, "覚悟しろ"};
    r.gs.stage_enemies[2].speech = "";
    r.gs.stage_enemies[4].speech = "逃がさない";
    start_story_battle(r.ctx);
    EXPECT_EQ(speech_interval_ms(r.gs), 936);
    EXPECT_TRUE(r.pacing.pauses.empty());  // nothing blocks: the screen's timer steps the lines
    EXPECT_EQ(r.ctx.w.moji_l2, "覚悟しろ");
    EXPECT_TRUE(r.ctx.w.moji_l2_visible);
    EXPECT_FALSE(r.ctx.w.menu0);
    EXPECT_FALSE(r.ctx.w.timer3 || r.ctx.w.timer4);

    EXPECT_TRUE(speech_tick(r.ctx));
    EXPECT_EQ(r.ctx.w.moji_l2, "逃がさない");
    EXPECT_TRUE(r.ctx.w.moji_l2_visible);
    EXPECT_FALSE(r.ctx.w.menu0);

    EXPECT_FALSE(speech_tick(r.ctx));
    EXPECT_FALSE(r.ctx.w.moji_l2_visible);
    EXPECT_EQ(r.gs.cur_unit, 1);
    EXPECT_TRUE(r.ctx.w.menu0);
    EXPECT_EQ(r.ctx.w.moji_l, "勇者の攻撃");
    EXPECT_TRUE(r.ctx.w.timer3 && r.ctx.w.timer4);
    EXPECT_FALSE(speech_tick(r.ctx));  // over: further ticks change nothing
    EXPECT_EQ(r.gs.cur_unit, 1);
}

TEST(StoryBattle, WithoutSpeechTheFirstTurnOpensAtOnce) {
    Rig r;
    r.gs.chara[1].name = "勇者";
    r.gs.chara[1].state = kStateNormal;
    r.gs.chara[1].lifespan = 5;
    r.gs.stage_enemies[0].state = 1;
    start_story_battle(r.ctx);
    EXPECT_FALSE(r.ctx.w.speech_running);
    EXPECT_FALSE(r.ctx.w.moji_l2_visible);
    EXPECT_TRUE(r.ctx.w.menu0);
    EXPECT_EQ(r.gs.cur_unit, 1);
}

TEST(RegionBattle, LevelsHpAndAikoFollowTheOtherRegionRule) {
    Rig r;
    r.gs.stage_no = 6;
    r.gs.people_enemies[0].state = 1;
    r.gs.people_enemies[1].state = 1;
    r.gs.rng.record_draws(true);
    start_region_battle(r.ctx);
    EXPECT_EQ(r.gs.chara[11].level, 7);
    EXPECT_GE(r.gs.chara[11].max_hp, 84);
    EXPECT_LE(r.gs.chara[11].max_hp, 88);
    EXPECT_EQ(r.gs.chara[12].level, 6);
    EXPECT_EQ(r.ctx.w.result_caption, "EVENT CLEAR");
    // Per enemy the 哀古 takes one draw (r(10)) instead of two.
    auto d = draws(r.gs);
    EXPECT_EQ(d[0], 3);
    EXPECT_EQ((std::vector<int>(d.begin() + 1, d.begin() + 6)),
              (std::vector<int>{5, 10, 10, 5, 5}));
    EXPECT_EQ(d[6 + 11], 10);  // after oath..beast, the 哀古 draw
    EXPECT_EQ(d[6 + 12], 20);
}

TEST(BattleOpening, MembersWithoutLifespanEnterDown) {
    Rig r;
    for (int i = 1; i <= 3; ++i) {
        r.gs.chara[i].state = kStateSpirit;
        r.gs.chara[i].name = i == 2 ? "メルヴィ" : "トゥルネア";
    }
    r.gs.chara[1].lifespan = 1;
    r.gs.chara[2].lifespan = 5;
    r.gs.chara[3].lifespan = 0;
    r.gs.stage_no = 29;
    start_random_battle(r.ctx);
    EXPECT_EQ(r.gs.chara[1].state, kStateNormal);
    EXPECT_EQ(r.gs.chara[3].state, kStateDown);
    EXPECT_EQ(r.gs.chara[4].state, kStateEmpty);
    EXPECT_EQ(r.ctx.w.party[1].picture, "char1.bmp");
    EXPECT_EQ(r.ctx.w.party[2].picture, "char6.bmp");
    EXPECT_EQ(r.ctx.w.party[3].picture, "char-1.bmp");
    EXPECT_EQ(r.gs.chara[3].y, 2);
    EXPECT_GE(r.gs.chara[3].x, 5);
}

TEST(BattleOpening, APartyWithEveryLifeSpentLosesAtOnce) {
    // Everyone enters down; the enemies would only walk about, so the battle ends as a defeat
    // when the first party turn finds nobody to act.
    Rig r;
    r.ctx.w.battle_shown = false;
    for (int i = 1; i <= 2; ++i) {
        r.gs.chara[i].name = "U" + std::to_string(i);
        r.gs.chara[i].state = kStateNormal;
        r.gs.chara[i].lifespan = 0;
        r.gs.chara[i].max_hp = 30;
    }
    r.gs.money = 100;
    start_random_battle(r.ctx);
    EXPECT_FALSE(r.ctx.w.battle_shown);
    EXPECT_EQ(r.screens.log, (std::vector<std::string>{"show:battle", "hide:travel", "hide:battle",
                                                       "show:travel"}));
    EXPECT_EQ(r.gs.money, 50);
    EXPECT_EQ(r.gs.chara[1].lifespan, -2);
    EXPECT_EQ(r.gs.chara[1].state, kStateNormal);  // the roster is restored for the travel map
}

TEST(BattleOpening, OneMemberStandingKeepsTheBattleGoing) {
    Rig r;
    r.ctx.w.battle_shown = false;
    for (int i = 1; i <= 2; ++i) {
        r.gs.chara[i].state = kStateNormal;
        r.gs.chara[i].lifespan = i == 1 ? 0 : 3;
    }
    start_random_battle(r.ctx);
    EXPECT_TRUE(r.ctx.w.battle_shown);
    EXPECT_EQ(r.gs.cur_unit, 2);
    EXPECT_TRUE(r.ctx.w.menu0);
}

TEST(PartyPictures, ChosenByNameStageAndState) {
    EXPECT_EQ(party_picture_number("ルミナリア", 1, 50), 0);
    EXPECT_EQ(party_picture_number("ルミナリア", 1, 51), 10);
    EXPECT_EQ(party_picture_number("ﾊﾙﾃｨｱ", 1, 0), 2);
    EXPECT_EQ(party_picture_number("ハルティア", 3, 0), 2);
    EXPECT_EQ(party_picture_number("ザビナ", 1, 28), 5);
    EXPECT_EQ(party_picture_number("ザビナ", 1, 29), 7);
    EXPECT_EQ(party_picture_number("月影院睦月", 2, 0), -1);
    EXPECT_EQ(party_picture_number("誰か", 1, 0), 0);
}

TEST(RandomNames, SyllablePiecesAndEmptyPiecesPastTheEnd) {
    const auto& pieces = name_syllables();
    ASSERT_EQ(pieces.size(), 92u);
    EXPECT_EQ(pieces[0], "ア");
    EXPECT_EQ(pieces[65], "ポ");
    EXPECT_EQ(pieces[66], "ﾁｬ");
    EXPECT_EQ(pieces[91], "ﾐｰ");
    int bytes = 0;
    for (const auto& p : pieces) {
        EXPECT_EQ(cp932_length(p), 2) << p;
        bytes += cp932_length(p);
    }
    EXPECT_EQ(bytes, 184);

    GameState gs;
    gs.name_table[3] = "スライム";
    gs.rng.script({3, 0});
    EXPECT_EQ(random_enemy_name(gs), "スライム");
    gs.rng.script({3, 1, 0, 66, 95, 91});
    EXPECT_EQ(random_enemy_name(gs), "アﾁｬﾐｰ");
    EXPECT_TRUE(gs.rng.scripted_empty());
}

TEST(DrawUnits, RebuildsTheGridFromSlotsZeroToTwenty) {
    Rig r;
    r.gs.grid.set(3, 3, 9);   // stale
    r.gs.grid.set(12, 2, 9);  // outside the cleared block: left alone
    r.gs.chara[2] = {};
    r.gs.chara[2].state = kStateDown;
    r.gs.chara[2].x = 5;
    r.gs.chara[2].y = 1;
    r.gs.chara[2].hp = 0;
    r.gs.chara[2].max_hp = 40;
    r.gs.chara[7].state = kStateNormal;  // a reserve member is marked though not drawn
    r.gs.chara[7].x = 4;
    r.gs.chara[7].y = 4;
    r.gs.chara[14].state = kStateNormal;
    r.gs.chara[14].x = 0;
    r.gs.chara[14].y = 3;
    r.gs.chara[14].hp = 7;
    r.gs.chara[14].max_hp = 9;
    r.gs.chara[20].state = kStateNormal;  // damaged position: never written
    r.gs.chara[20].x = 200;
    r.gs.chara[20].y = 200;
    r.gs.cur_unit = 14;
    draw_units(r.ctx);
    EXPECT_EQ(r.gs.grid.at(3, 3), 0);
    EXPECT_EQ(r.gs.grid.at(12, 2), 9);
    EXPECT_EQ(r.gs.grid.at(5, 1), 2);
    EXPECT_EQ(r.gs.grid.at(4, 4), 7);
    EXPECT_EQ(r.gs.grid.at(0, 3), 14);
    EXPECT_TRUE(r.ctx.w.party[2].visible);
    EXPECT_EQ(r.ctx.w.party[2].left, 321);
    EXPECT_EQ(r.ctx.w.party[2].top, 64);
    EXPECT_EQ(r.ctx.w.party[2].hp_label, "0/40");
    EXPECT_EQ(r.ctx.w.enemy[4].hp_label, "7/9");
    EXPECT_EQ(r.ctx.w.enemy[4].hp_left, 11);
    EXPECT_EQ(r.ctx.w.enemy[4].hp_top, 246);
    EXPECT_TRUE(r.ctx.w.enemy[4].opaque);
    EXPECT_FALSE(r.ctx.w.party[2].opaque);

    r.ctx.w.battle_shown = false;
    r.gs.chara[7].state = kStateEmpty;
    draw_units(r.ctx);
    EXPECT_EQ(r.gs.grid.at(4, 4), 7);  // hidden screen: nothing happens
}

}  // namespace
}  // namespace lum::test

namespace lum::test {
namespace {

TEST(StoryBattle, DamagedStageNumberSaturatesInsteadOfWrapping) {
    Rig r;
    r.gs.stage_no = INT_MAX;
    r.gs.stage_enemies[0].state = 1;
    start_story_battle(r.ctx);
    EXPECT_EQ(r.gs.chara[11].level, INT_MAX);
    EXPECT_EQ(r.gs.chara[11].max_hp, INT_MAX);
    EXPECT_EQ(r.gs.chara[11].aiko_name, "");  // 哀古 index far past the table: empty entry
}

TEST(DrawUnits, RedrawTickFreezesWhileMessagesShow) {
    Rig r;
    r.put(1, 6, 0);
    r.gs.chara[1].x = 5;
    r.gs.player_phase = 3;
    redraw_tick(r.ctx);
    EXPECT_EQ(r.gs.grid.at(6, 0), 1);
    r.gs.player_phase = 0;
    r.gs.enemy_phase = 2;
    redraw_tick(r.ctx);
    EXPECT_EQ(r.gs.grid.at(6, 0), 1);
    r.gs.enemy_phase = 1;
    redraw_tick(r.ctx);
    EXPECT_EQ(r.gs.grid.at(6, 0), 0);
    EXPECT_EQ(r.gs.grid.at(5, 0), 1);
}

}  // namespace
}  // namespace lum::test
