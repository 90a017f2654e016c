// The place events against the design's table: every listed stage runs its action, every other
// stage the default, and the moves of the cast happen in their order.

#include <gtest/gtest.h>

#include "travel/place_events.h"

namespace lum {
namespace {

// Records what an event did, in order, as short words.
class Recorder : public PlaceActions {
  public:
    GameState gs;
    std::vector<std::string> log;
    bool people_ok = true;
    std::function<void()> on_battle;  // runs inside a battle start, to see the state at that moment

    GameState& state() override { return gs; }
    void story() override { log.push_back("story"); }
    void story_battle() override { battle("story_battle"); }
    void region_battle() override { battle("region_battle"); }
    void random_battle() override { battle("random_battle"); }
    void message(const std::string& t) override { log.push_back("msg:" + t); }
    bool load_people(int n) override {
        log.push_back("people:" + std::to_string(n));
        return people_ok;
    }
    bool load_stage() override {
        log.push_back("load_stage:" + std::to_string(gs.stage_no));
        return true;
    }
    void once_won(std::function<void(GameState&)> step) override {
        log.push_back("once_won");
        won = std::move(step);
    }
    std::function<void(GameState&)> won;

  private:
    void battle(const char* what) {
        log.push_back(what);
        if (on_battle) on_battle();
    }
};

std::string run(const std::string& button, int stage, Recorder* keep = nullptr) {
    Recorder local;
    Recorder& r = keep ? *keep : local;
    r.gs.stage_no = stage;
    const PlaceEvent* ev = find_place_event(button);
    if (!ev) return "no event";
    run_place_event(*ev, r);
    std::string out;
    for (const auto& s : r.log) out += (out.empty() ? "" : " ") + s;
    return out;
}

struct Row {
    const char* button;
    std::vector<int> stages;
    const char* action;
    const char* otherwise;
};

// The design's table: button, its stages with their action, and the default.
const Row kTable[] = {
    {"m0", {9, 17}, "story", "msg:今は用はないだろう。"},
    {"m0", {11}, "story_battle", "msg:今は用はないだろう。"},
    {"m1", {12}, "story_battle", "msg:閉館中です。"},
    {"m2", {3, 8}, "story_battle", "random_battle"},
    {"m3", {5}, "story_battle", "random_battle"},
    {"m3", {15}, "story", "random_battle"},
    {"m4", {10, 13}, "story_battle", "msg:教会は閉館中です。"},
    {"m4", {4, 7}, "story", "msg:教会は閉館中です。"},
    {"m6", {6}, "story_battle", "random_battle"},
    {"m7", {14}, "story_battle", ""},
    {"m8", {16}, "story_battle", ""},
    {"m9", {18}, "story_battle", ""},
    {"m10", {20}, "story_battle", "msg:研究所には入れません"},
    {"m10", {21}, "story", "msg:研究所には入れません"},
    {"m11", {22, 23}, "story_battle", "random_battle"},
    {"m13", {}, "", "random_battle"},
    {"m14", {24}, "story", "msg:寺院の門は閉ざされています"},
    {"m14", {30}, "story_battle", "msg:寺院の門は閉ざされています"},
    {"m15", {25, 27}, "story_battle", "msg:天空城の門は閉ざされています。"},
    {"m16", {29}, "story_battle", "random_battle"},
    {"m18", {28}, "story", ""},
    {"m20", {35}, "story", "msg:ヴェスカ城の門は閉ざされています"},
    {"m20", {38}, "story_battle", "msg:ヴェスカ城の門は閉ざされています"},
    {"m21", {32, 33}, "story", "msg:奴隷街の門は閉ざされています"},
    {"m21", {34}, "story_battle", "msg:奴隷街の門は閉ざされています"},
    {"m23", {37}, "story", ""},
    {"m24", {}, "", "msg:行くことはかないません"},
    {"m26", {40}, "story", "msg:扉は堅く閉ざされている"},
    {"m27", {41}, "story", "msg:扉は堅く閉ざされている"},
    {"m28", {42, 43}, "story", "msg:扉は堅く閉ざされている"},
    {"m29", {44, 53}, "story", "msg:扉は堅く閉ざされている"},
    {"m29", {54}, "story_battle", "msg:扉は堅く閉ざされている"},
    {"m32", {47, 50, 51}, "story", "msg:門は堅く閉じられている。"},
    {"m33", {48}, "story", "msg:今は用はないだろう。"},
    {"m34", {49}, "story_battle", "random_battle"},
    {"m35", {56}, "story", "random_battle"},
    {"m36", {59}, "story", "msg:閉店しているようだ"},
    {"M37", {57}, "story_battle", "random_battle"},
    {"m38", {58}, "story_battle", "random_battle"},
    {"m99", {}, "", "msg:門が閉じられている。"},
    {"m30", {}, "", "random_battle"},
    {"m40", {}, "", "msg:行くことはかなわない。"},
};

// Stages that some row of the same button lists, so "otherwise" is only checked elsewhere.
bool listed_anywhere(const std::string& button, int stage) {
    static const std::map<std::string, std::vector<int>> kAll = {
        {"m0", {0, 1, 9, 11, 17}},
        {"m1", {2, 12}},
        {"m3", {5, 15}},
        {"m4", {4, 7, 10, 13}},
        {"m9", {18, 19}},
        {"m10", {20, 21}},
        {"m14", {24, 30, 31}},
        {"m15", {25, 26, 27}},
        {"m20", {35, 36, 38}},
        {"m21", {32, 33, 34}},
        {"m22", {39}},
        {"m26", {40, 55}},
        {"m28", {42, 43, 60}},
        {"m29", {44, 45, 53, 54}},
        {"m34", {49, 52}},
        {"m99", {45}},
        {"m30", {46}},
        {"m40", {61}},
    };
    auto it = kAll.find(button);
    if (it == kAll.end()) {
        for (const Row& r : kTable)
            if (r.button == button)
                for (int s : r.stages)
                    if (s == stage) return true;
        return false;
    }
    return std::find(it->second.begin(), it->second.end(), stage) != it->second.end();
}

TEST(PlaceEvents, EveryRowOfTheTableAtItsStagesAndOtherwise) {
    for (const Row& row : kTable) {
        for (int s : row.stages)
            EXPECT_EQ(run(row.button, s), row.action) << row.button << " at " << s;
        for (int s = 0; s <= 62; ++s) {
            if (listed_anywhere(row.button, s)) continue;
            EXPECT_EQ(run(row.button, s), row.otherwise) << row.button << " at " << s;
        }
    }
}

TEST(PlaceEvents, BattleAreaIsThePlaceNumberExceptTheDoorsThatDoNotSetIt) {
    for (const char* b : {"m0", "m7", "m17", "m29", "m101", "m129", "M37"}) {
        Recorder r;
        r.gs.battle_area = 200;
        run(b, 62, &r);
        EXPECT_EQ(r.gs.battle_area, std::stoi(std::string(b).substr(1))) << b;
    }
    for (const char* b : {"m24", "m99"}) {
        Recorder r;
        r.gs.battle_area = 200;
        run(b, 45, &r);
        EXPECT_EQ(r.gs.battle_area, 200) << b;
    }
    Recorder plains;
    run("BitBtn10", 3, &plains);
    EXPECT_EQ(plains.gs.battle_area, 16);
    Recorder ship;
    EXPECT_EQ(run("BitBtn31", 49, &ship), "story_battle");
    EXPECT_EQ(ship.gs.battle_area, 34);
    Recorder field;
    EXPECT_EQ(run("BitBtn27", 49, &field), "random_battle");
    EXPECT_EQ(field.gs.battle_area, 13);
}

TEST(PlaceEvents, M0AtStageZeroFightsWithFiveHpThenMovesToStageOne) {
    Recorder r;
    r.gs.chara[1].max_hp = 40;
    int hp_at_battle = -1, stage_at_battle = -1;
    r.on_battle = [&] {
        hp_at_battle = r.gs.chara[1].max_hp;
        stage_at_battle = r.gs.stage_no;
    };
    EXPECT_EQ(run("m0", 0, &r), "story_battle load_stage:1");
    EXPECT_EQ(hp_at_battle, 5);
    EXPECT_EQ(stage_at_battle, 0);
    EXPECT_EQ(r.gs.stage_no, 1);
}

TEST(PlaceEvents, M0AtStageOneAndM1AtTwoGiveTheFirstAiko) {
    Recorder r;
    EXPECT_EQ(run("m0", 1, &r), "story");
    EXPECT_EQ(r.gs.chara[1].aiko_power, 60);
    EXPECT_EQ(r.gs.chara[1].aiko_name, "ﾎﾜｲﾄﾎｰﾙ");
    EXPECT_EQ(r.gs.place_flags[122], 1);
    EXPECT_EQ(r.gs.place_flags[125], 1);
    Recorder r2;
    int max_hp_at_battle = 0;
    r2.on_battle = [&] { max_hp_at_battle = r2.gs.chara[1].max_hp; };
    EXPECT_EQ(run("m1", 2, &r2), "story_battle");
    EXPECT_EQ(max_hp_at_battle, 45);
    EXPECT_EQ(r2.gs.chara[1].aiko_name, "ﾎﾜｲﾄﾎｰﾙ");
}

TEST(PlaceEvents, M29AtStage45MakesTheFirstEnemyUnbeatableAfterTheSetup) {
    Recorder r;
    r.on_battle = [&] {
        TChara& e = r.gs.chara[11];
        e.hp = e.max_hp = 70;
        e.aiko_power = 12;
        e.level = 47;
    };
    EXPECT_EQ(run("m29", 45, &r), "story_battle");
    EXPECT_EQ(r.gs.chara[11].hp, 99999);
    EXPECT_EQ(r.gs.chara[11].max_hp, 99999);
    EXPECT_EQ(r.gs.chara[11].aiko_power, 99999);
    EXPECT_EQ(r.gs.chara[11].level, 47);
    EXPECT_EQ(r.gs.place_flags[99], 1);
}

// A party of three with recognisable records.
void cast(Recorder& r) {
    for (int i = 1; i <= 28; ++i) {
        r.gs.chara[i].name = "C" + std::to_string(i);
        r.gs.chara[i].state = i <= 5 ? kStateNormal : kStateEmpty;
        r.gs.chara[i].level = i;
    }
}

TEST(PlaceEvents, TheChapterMovesCopyWholeRecordsAndKeepTheSource) {
    {
        Recorder r;
        cast(r);
        r.gs.place_flags[100] = 1;
        EXPECT_EQ(run("m9", 19, &r), "story");
        EXPECT_EQ(r.gs.chara[26].name, "C1");
        EXPECT_EQ(r.gs.chara[26].state, kStateNormal);  // copied before the party empties
        EXPECT_EQ(r.gs.chara[21].name, "C2");
        EXPECT_EQ(r.gs.chara[22].name, "C3");
        EXPECT_EQ(r.gs.chara[1].name, "C1");  // the source keeps its copy
        for (int i = 1; i <= 5; ++i) EXPECT_EQ(r.gs.chara[i].state, kStateEmpty) << i;
        EXPECT_EQ(r.gs.chara[1].sex, 0);
        EXPECT_EQ(r.gs.chara[2].sex, 1);
        EXPECT_EQ(r.gs.chara[3].sex, 1);
        for (int f : {12, 13, 10}) EXPECT_EQ(r.gs.place_flags[f], 1) << f;
        EXPECT_EQ(r.gs.place_flags[100], 0);
    }
    {
        Recorder r;
        cast(r);
        r.gs.place_flags[12] = 1;
        EXPECT_EQ(run("m14", 31, &r), "story");
        EXPECT_EQ(r.gs.chara[23].name, "C1");
        EXPECT_EQ(r.gs.chara[24].name, "C2");
        EXPECT_EQ(r.gs.chara[25].name, "C3");
        EXPECT_EQ(r.gs.chara[1].name, "C22");
        EXPECT_EQ(r.gs.chara[2].name, "C21");
        EXPECT_EQ(r.gs.chara[22].name, "C22");
        EXPECT_EQ(r.gs.chara[3].state, kStateEmpty);
        EXPECT_EQ(r.gs.chara[3].name, "C3");
        EXPECT_EQ(r.gs.place_flags[12], 0);
        for (int f : {19, 20, 21, 24}) EXPECT_EQ(r.gs.place_flags[f], 1) << f;
    }
    {
        Recorder r;
        cast(r);
        EXPECT_EQ(run("m22", 39, &r), "story");
        EXPECT_EQ(r.gs.chara[22].name, "C1");
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(r.gs.chara[i].name, "C" + std::to_string(22 + i));
            EXPECT_EQ(r.gs.chara[i].state, kStateNormal);
            EXPECT_EQ(r.gs.chara[22 + i].state, kStateEmpty);  // the source keeps its own state
        }
        EXPECT_EQ(r.gs.place_flags[25], 1);
        EXPECT_EQ(r.gs.place_flags[26], 1);
        EXPECT_EQ(r.gs.item_owned[252], 1);
    }
    {
        Recorder r;
        cast(r);
        EXPECT_EQ(run("m26", 55, &r), "story");
        EXPECT_EQ(r.gs.chara[27].name, "C2");
        EXPECT_EQ(r.gs.chara[28].name, "C3");
        EXPECT_EQ(r.gs.chara[2].name, "C23");
        EXPECT_EQ(r.gs.chara[3].name, "C24");
        EXPECT_EQ(r.gs.chara[4].name, "C25");
        for (int i = 1; i <= 4; ++i) EXPECT_EQ(r.gs.chara[i].state, kStateNormal) << i;
        EXPECT_EQ(r.gs.chara[5].state, kStateNormal);
    }
    {
        Recorder r;
        cast(r);
        EXPECT_EQ(run("m30", 46, &r), "story");
        EXPECT_EQ(r.gs.chara[23].name, "C1");
        EXPECT_EQ(r.gs.chara[24].name, "C2");
        EXPECT_EQ(r.gs.chara[25].name, "C3");
        EXPECT_EQ(r.gs.chara[1].name, "C26");
        EXPECT_EQ(r.gs.chara[26].name, "C26");
        for (int i = 2; i <= 5; ++i) EXPECT_EQ(r.gs.chara[i].state, kStateEmpty) << i;
        for (int f : {31, 32, 33, 34}) EXPECT_EQ(r.gs.place_flags[f], 1) << f;
    }
    {
        Recorder r;
        cast(r);
        EXPECT_EQ(run("m20", 36, &r), "story_battle");
        EXPECT_EQ(r.gs.chara[2].name, "C21");
    }
}

TEST(PlaceEvents, RegionChangesOfTheLateStages) {
    // The last region change waits for the battle to be won: lost, m28 must still show.
    Recorder r;
    r.gs.place_flags[25] = 1;
    EXPECT_EQ(run("m28", 60, &r), "story_battle once_won");
    EXPECT_EQ(r.gs.place_flags[25], 1);
    EXPECT_EQ(r.gs.place_flags[39], 0);
    ASSERT_TRUE(r.won);
    r.won(r.gs);
    EXPECT_EQ(r.gs.place_flags[25], 0);
    EXPECT_EQ(r.gs.place_flags[39], 1);
    EXPECT_EQ(r.gs.place_flags[40], 1);

    Recorder back;
    for (int f : {99, 25, 9}) back.gs.place_flags[f] = 1;
    EXPECT_EQ(run("m99", 45, &back), "story");
    for (int f : {99, 25, 9}) EXPECT_EQ(back.gs.place_flags[f], 0) << f;
    EXPECT_EQ(back.gs.place_flags[100], 1);
    EXPECT_EQ(back.gs.place_flags[30], 1);

    Recorder ship;
    ship.gs.place_flags[31] = 1;
    EXPECT_EQ(run("m34", 52, &ship), "story_battle once_won");
    EXPECT_EQ(ship.gs.place_flags[31], 1);
    ASSERT_TRUE(ship.won);
    ship.won(ship.gs);
    EXPECT_EQ(ship.gs.place_flags[31], 0);
    EXPECT_EQ(ship.gs.place_flags[25], 1);

    Recorder gate;
    EXPECT_EQ(run("BitBtn2", 3, &gate), "random_battle");
    for (int f = 41; f <= 46; ++f) EXPECT_EQ(gate.gs.place_flags[f], 1) << f;
    EXPECT_EQ(gate.gs.battle_area, 13);
}

TEST(PlaceEvents, PeoplePlacesReadTheirFileFirst) {
    EXPECT_EQ(run("m101", 3), "people:0 region_battle");
    EXPECT_EQ(run("m17", 3), "people:1 region_battle");
    EXPECT_EQ(run("m108", 3), "people:8 region_battle");
    EXPECT_EQ(run("m109", 48), "msg:強い力によって入る事ができない。");
    EXPECT_EQ(run("m109", 49), "people:9 region_battle");
    EXPECT_EQ(run("m114", 60), "people:14 region_battle");
    Recorder talk;
    EXPECT_EQ(run("m104", 3, &talk), "people:4 story");
    EXPECT_TRUE(talk.gs.people_mode);
    EXPECT_EQ(run("m129", 3), "people:29 story");

    // A file that cannot be read starts nothing.
    Recorder broken;
    broken.people_ok = false;
    EXPECT_EQ(run("m115", 3, &broken), "people:15");
    EXPECT_FALSE(broken.gs.people_mode);
    broken.log.clear();
    EXPECT_EQ(run("m102", 3, &broken), "people:2");
}

TEST(PlaceEvents, M16RaisesLifespansOnlyOnItsRandomBattle) {
    Recorder r;
    r.gs.rng.script({0, 1, 2, 0, 0});
    EXPECT_EQ(run("m16", 30, &r), "random_battle");
    const int want[6] = {0, 1, 0, 0, 1, 1};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(r.gs.chara[i].lifespan, want[i]) << i;
    Recorder fight;
    EXPECT_EQ(run("m16", 29, &fight), "story_battle");
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(fight.gs.chara[i].lifespan, 0) << i;
}

}  // namespace
}  // namespace lum
