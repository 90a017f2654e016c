// The headless playthrough's parts over the built game: every conversation of the people files
// plays to its code 17, the router keeps one screen showing, the policy takes only a stronger
// 哀古, and a broken road (a place that never opens, a script fault) stops the game with the
// stage and the reason.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "harness.h"
#include "party_policy.h"
#include "playthrough.h"
#include "state/data_files.h"

using namespace lum;
using namespace lum::play;
namespace fs = std::filesystem;

namespace {

const fs::path kGame = LUM_GAME_DIR;

bool have_game() {
    return fs::exists(kGame / "dat" / "story0.dat") && fs::exists(kGame / "dat" / "people29.dat");
}

// A copy of the built game's dat/ in a fresh folder, removed at the end of the test.
struct GameCopy {
    fs::path dir;
    explicit GameCopy(const std::string& name) {
        dir = fs::temp_directory_path() / ("luminaria-playthrough-test-" + name);
        fs::remove_all(dir);
        fs::create_directories(dir / "dat");
        fs::copy(kGame / "dat", dir / "dat", fs::copy_options::recursive);
    }
    ~GameCopy() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Rewrites one stage file through `change`, which edits its enemies and script.
    template <typename F>
    void edit_stage(int n, F change) {
        const fs::path file = dir / "dat" / stage_file_name(n);
        std::array<TEnemyEntry, kStageEnemies> enemies;
        std::array<TScriptLine, kScriptLines> script;
        DatReader r = DatReader::open(file);
        read_enemies_and_script(r, enemies, script);
        change(script);
        DatWriter w(file.string());
        write_enemies_and_script(w, enemies, script);
        write_file_atomic(file, w.bytes());
    }
};

PlayResult play_on(const GameCopy& g) {
    PlayOptions o;
    o.seed = 3;
    o.game_dir = g.dir;
    std::ostringstream out;
    return play_game(o, out);
}

}  // namespace

TEST(PlaythroughTalks, EveryPeopleFilePlaysItsConversationToCode17) {
    if (!have_game()) GTEST_SKIP() << "the game folder has no compiled data yet";
    Harness h(kGame);
    h.new_game(5);
    ASSERT_TRUE(h.router.showing(ScreenId::travel));
    const int stage = h.gs.stage_no;
    for (int n = 0; n < 30; ++n) {
        SCOPED_TRACE("people" + std::to_string(n) + ".dat");
        // Room in the party for whoever a conversation recruits.
        for (int i = 2; i <= kLastReserve; ++i) h.gs.chara[i].state = kStateEmpty;
        h.dialogs.informed.clear();
        // As a conversation place (or "EVENT CLEAR" after a region battle) starts it.
        ASSERT_NO_THROW(load_people(h.gs, n));
        h.router.hide(ScreenId::travel);
        h.router.show(ScreenId::story);
        h.gs.script_pos = 0;
        h.gs.char_pos = 0;
        int steps = 0, talk_steps = 0;
        play_story_screen(h, [&] {
            ++steps;
            if (h.gs.people_mode) ++talk_steps;
            if (steps > 200000) throw std::runtime_error("never ends");
        });
        EXPECT_TRUE(h.dialogs.informed.empty()) << h.dialogs.informed.front();
        EXPECT_TRUE(h.router.showing(ScreenId::travel));
        EXPECT_FALSE(h.gs.people_mode);
        EXPECT_GT(talk_steps, 0);
        EXPECT_EQ(h.gs.people_script[h.gs.script_pos].code, 17)
            << "ended at entry " << int(h.gs.script_pos);
        EXPECT_EQ(h.gs.stage_no, stage);
    }
}

TEST(PlaythroughHarness, RouterShowsOneScreenAndRunsTheModelsSteps) {
    ModelRouter r;
    std::vector<std::string> log;
    auto page = [&](const char* n) {
        return ModelRouter::Page{[&log, n] { log.push_back(std::string("show ") + n); },
                                 [&log, n] { log.push_back(std::string("hide ") + n); }};
    };
    r.add(ScreenId::travel, page("travel"));
    r.add(ScreenId::battle, page("battle"));
    r.add(ScreenId::story, page("story"));
    r.show(ScreenId::travel);
    r.show(ScreenId::battle);  // the battle setup shows first, then hides travel
    r.hide(ScreenId::travel);
    r.hide(ScreenId::story);  // not showing: nothing runs
    r.close(ScreenId::battle);
    EXPECT_EQ(log, (std::vector<std::string>{"show travel", "hide travel", "show battle"}));
    EXPECT_TRUE(r.showing(ScreenId::battle));
    EXPECT_TRUE(r.program_closed);
}

TEST(PlaythroughPolicy, TakesAnEnemysAikoOnlyWhenStronger) {
    Harness h(kGame);
    PartyPolicy p(h.battle, 1);
    h.gs.cur_unit = 2;
    h.gs.chara[2].aiko_power = 40;
    EXPECT_TRUE(p.answer(
        "盗賊から哀古を奪いますか？\r\r【鉄剣】の哀古　△41\r（U2の今の哀古は【古剣】　△40）"));
    EXPECT_FALSE(p.answer(
        "盗賊から哀古を奪いますか？\r\r【鉄剣】の哀古　△40\r（U2の今の哀古は【古剣】　△99）"));
    EXPECT_FALSE(p.answer(
        "盗賊から哀古を奪いますか？\r\r【鉄剣】の哀古　△7\r（U2の今の哀古は【古剣】　△40）"));
    EXPECT_TRUE(p.answer("もう戻れなくなります。よろしいですか？"));
}

TEST(PlaythroughStuck, APlaceTheStoryNeverOpensStopsTheGameAtItsStage) {
    if (!have_game()) GTEST_SKIP() << "the game folder has no compiled data yet";
    GameCopy g("closed");
    // Stage 1's scene no longer opens the library of stage 2.
    g.edit_stage(1, [](auto& script) {
        for (TScriptLine& e : script)
            if (e.code == 10 && e.arg == "1") e = {13, ""};
    });
    const PlayResult r = play_on(g);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.stage, 2);
    EXPECT_EQ(r.reason, "the place for this stage is not visible: m1 (regions showing: 100)");
    ASSERT_GE(r.stages.size(), 2u);  // stages 0 and 1 were played
    EXPECT_EQ(r.stages[1].stage, 1);
}

TEST(PlaythroughStuck, AScriptFaultStopsTheGameWithTheMessage) {
    if (!have_game()) GTEST_SKIP() << "the game folder has no compiled data yet";
    GameCopy g("fault");
    g.edit_stage(1, [](auto& script) { script[0] = {10, "十"}; });
    const PlayResult r = play_on(g);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.stage, 1);
    EXPECT_NE(r.reason.find("the stage script: 台本に誤りがあります。"), std::string::npos)
        << r.reason;
    EXPECT_NE(r.reason.find("story1.dat"), std::string::npos) << r.reason;
}

// The first hour's figure: the share of games whose stage 0 was won within 10 turns, and of
// first tries won at every stage, each at its exact bound.
TEST(PlaythroughFirstHour, TargetsHoldAtTheirBounds) {
    auto hour = [](int within_10, int slow, int stage3_won) {
        FirstHour f;
        FirstHourStage s0{0, 100, 0, {}};
        for (int i = 0; i < within_10; ++i) s0.rounds.push_back(i % 10 + 1);
        for (int i = 0; i < slow; ++i) s0.rounds.push_back(11);
        s0.won = within_10 + slow;
        f.stages = {s0, {1, 0, 0, {}}, {2, 100, 100, {}}, {3, 10, stage3_won, {}}};
        return f;
    };
    EXPECT_TRUE(first_hour_met(hour(95, 5, 7)));
    EXPECT_EQ(hour(95, 5, 7).stages[0].won_within(10), 95);
    EXPECT_EQ(hour(95, 5, 7).stages[0].won_within(8), 77);
    EXPECT_FALSE(first_hour_met(hour(94, 6, 7)));  // won, but 6 of them in 11 turns
    EXPECT_FALSE(first_hour_met(hour(95, 5, 6)));  // stage 3 at the first try 6 times in 10
    EXPECT_FALSE(first_hour_met(FirstHour{}));
    std::ostringstream out;
    print_first_hour(hour(95, 5, 7), out);
    // Stage 1 fought no battle: no line.
    EXPECT_EQ(out.str().substr(0, out.str().find("targets")),
              "stage  games  won first try  within 10 turns  within 8  turns (median / max of "
              "the won)\n"
              "    0    100   100 (100%)      95 ( 95%)      77%     6 / 11\n"
              "    2    100   100 (100%)       0 (  0%)       0%     0 / 0\n"
              "    3     10     7 ( 70%)       0 (  0%)       0%     0 / 0\n");
}
