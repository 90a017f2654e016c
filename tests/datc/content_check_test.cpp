// The story's road checked from the sources: small hand-made stories played through a small
// place-event table, each with one fault, and the written chapters of the real story.

#include "content.h"
#include "name_words.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace lum;
namespace fs = std::filesystem;

namespace {

using Act = std::function<void(PlaceActions&)>;

Act open_and(std::vector<int> opens, std::vector<int> closes, Act then) {
    return [=](PlaceActions& a) {
        for (int n : opens) a.state().place_flags[n] = 1;
        for (int n : closes) a.state().place_flags[n] = 0;
        then(a);
    };
}
const Act story = [](PlaceActions& a) { a.story(); };
const Act battle = [](PlaceActions& a) { a.story_battle(); };

// A story of four stages on the home map, played like the real one: stage 0's battle at m0
// moves straight on to stage 1's scene, stage 2 is a scene at m1, stage 3 a battle at m2.
std::vector<PlaceEvent> small_table() {
    return {
        {"m0",
         0,
         {{{0},
           [](PlaceActions& a) {
               a.story_battle();
               a.state().stage_no = 1;
               a.load_stage();
           }},
          {{1}, story}},
         nullptr},
        {"m1", 1, {{{2}, story}}, nullptr},
        {"m2", 2, {{{3}, battle}}, nullptr},
    };
}

// A script of `commands` padded with lines of text before its last command to `entries`.
std::string script(std::vector<std::string> commands, int entries = 20) {
    const std::string last = commands.back();
    commands.pop_back();
    while (static_cast<int>(commands.size()) + 1 < entries) commands.push_back("text 風が吹く。");
    commands.push_back(last);
    std::string s;
    for (const auto& c : commands) s += c + "\n";
    return s;
}

class ContentCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = fs::temp_directory_path() /
                ("datc_content_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 "_" + std::to_string(::getpid()));
        fs::remove_all(data_);
        write("save/my.toml", "player_name = \"ルミナリア\"\nplace_flags = [0, 100]\n");
        write("stages/story0.txt", "text はじまり。\nnext_stage\n");
        write("stages/story1.txt", script({"open 1", "next_stage"}));
        write("stages/story2.txt", script({"open 2", "close 1", "next_stage"}));
        write("stages/story3.txt", script({"text おわり。", "back_to_travel"}));
        fs::create_directories(data_ / "people");
        rules_.events = &table_;
        rules_.last_stage = 3;
    }
    void TearDown() override { fs::remove_all(data_); }

    void write(const std::string& file, const std::string& text) {
        fs::create_directories((data_ / file).parent_path());
        std::ofstream(data_ / file, std::ios::binary) << text;
    }
    std::string at(const std::string& file, int line) {
        return (data_ / file).string() + ":" + std::to_string(line);
    }
    std::vector<std::string> faults() {
        std::vector<std::string> out;
        for (const auto& f : datc::check_content(data_, rules_))
            out.push_back(datc::format_fault(f, true));
        return out;
    }

    fs::path data_;
    std::vector<PlaceEvent> table_ = small_table();
    datc::ContentRules rules_;
};

}  // namespace

TEST_F(ContentCheck, AWellWrittenRoadHasNoFaults) {
    EXPECT_EQ(faults(), std::vector<std::string>{});
}

TEST_F(ContentCheck, AStageWhosePlaceNobodyOpenedIsReportedWhereThePlayerReturnsToTheMap) {
    write("stages/story2.txt", script({"close 1", "next_stage"}));
    EXPECT_EQ(faults(), std::vector<std::string>{at("stages/story2.txt", 20) +
                                                 ": stage 3 is played at m2, which is not on "
                                                 "the map: place 2 is not open (never opened)"});
}

TEST_F(ContentCheck, APlaceClosedAgainNamesTheCloseAndARegionBoxCountsToo) {
    // Stage 1's scene opens m1 and then closes it again; stage 2's closes the home region.
    write("stages/story1.txt", script({"open 1", "close 1", "next_stage"}));
    write("stages/story2.txt", script({"open 2", "close 100", "next_stage"}));
    EXPECT_EQ(faults(),
              (std::vector<std::string>{
                  at("stages/story1.txt", 20) +
                      ": stage 2 is played at m1, which is not on the map: place 1 is not open "
                      "(closed at " +
                      at("stages/story1.txt", 2) + ")",
                  at("stages/story2.txt", 20) +
                      ": stage 3 is played at m2, which is not on the map: its region box 100 is "
                      "not shown (closed at " +
                      at("stages/story2.txt", 2) + ")"}));
}

TEST_F(ContentCheck, RoadFaultsWarnUnlessStrictOtherFaultsAlwaysFail) {
    write("stages/story2.txt", script({"close 1", "join ﾙｸｻ", "next_stage"}));
    const auto found = datc::check_content(data_, rules_);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_FALSE(found[0].road);  // the recruit, found while reading the scripts
    EXPECT_TRUE(found[1].road);
    EXPECT_EQ(datc::format_fault(found[1], false),
              at("stages/story2.txt", 20) +
                  ": warning: stage 3 is played at m2, which is not on the map: place 2 is not "
                  "open (never opened)");
    EXPECT_EQ(datc::format_fault(found[0], false),
              at("stages/story2.txt", 2) +
                  ": \"ﾙｸｻ\" is not one of the cast the code knows by name (it would fight "
                  "with the hero's picture and have no portrait)");
}

TEST_F(ContentCheck, RecruitsMustBeTheCastTheCodeKnowsInStagesAndPeopleFiles) {
    write("stages/story1.txt",
          script({"open 1", "join トゥルネア", "join ルクサ", "join ハルティア", "join ﾊﾙﾃｨｱ",
                  "join_reserve メルヴィ", "join ザビナ", "join 月影院楓", "join 月影院睦月",
                  "join ルミナリア ", "next_stage"}));
    write("people/people4.txt", "text やあ。\njoin_reserve メルビ\nback_to_travel\n");
    write("people/people5.txt", "text やあ。\njoin 月影院 睦月\nback_to_travel\n");
    const std::string why =
        " is not one of the cast the code knows by name (it would fight with the hero's picture "
        "and have no portrait)";
    // "ルミナリア " keeps no blank: an argument is trimmed, so the hero's name is known.
    EXPECT_EQ(faults(),
              (std::vector<std::string>{at("people/people4.txt", 2) + ": \"メルビ\"" + why,
                                        at("people/people5.txt", 2) + ": \"月影院 睦月\"" + why}));
}

// An enemy block of `name` and class `job`, for a stage or people script.
std::string enemy(int k, const std::string& name, int job, int state = 1) {
    return "enemy " + std::to_string(k) + "\n  name " + name + "\n  sex 1\n  job " +
           std::to_string(job) + "\n  state " + std::to_string(state) + "\n";
}

TEST_F(ContentCheck, AnArcherOfClassTwoIsCaughtInStagesAndPeopleFilesEvenWhenHidden) {
    write("stages/story2.txt", enemy(1, "山賊の弓手", 2) + enemy(2, "灰の弓手", 4) +
                                   enemy(3, "森の魔獣", 0) + script({"open 2", "next_stage"}));
    // A slot left empty still names the enemy a later change may bring back.
    write("people/people0.txt", enemy(1, "入り江の剣士", 3) + enemy(2, "傭兵の銃士", 3, 0) +
                                    "text やあ。\nback_to_travel\n");
    EXPECT_EQ(faults(),
              (std::vector<std::string>{
                  at("stages/story2.txt", 2) +
                      ": \"山賊の弓手\" has 弓 in its name, which promises a bow (classes 4, 13, "
                      "15, 19), but class 2 (双剣士) does not fight that way",
                  at("people/people0.txt", 7) +
                      ": \"傭兵の銃士\" has 銃 in its name, which promises a gun (classes 5, 13, "
                      "15), but class 3 (夜剣士) does not fight that way"}));
}

TEST_F(ContentCheck, ARandomBattleNameMayPromiseNothing) {
    write("tables/names.toml", "names = [\n  \"野犬\",\n  \"霧の魔獣\",\n  \"はぐれ魔術師\",\n]\n");
    EXPECT_EQ(faults(), std::vector<std::string>{
                            at("tables/names.toml", 4) +
                            ": \"はぐれ魔術師\" has 魔 in its name, which promises spells, but a "
                            "random battle gives its names any class"});
}

// An enemy with a sprite of its own, for the pictures' test.
std::string drawn(int k, const std::string& name, int job, const std::string& sprite) {
    return "enemy " + std::to_string(k) + "\n  name " + name + "\n  sprite " + sprite + "\n  job " +
           std::to_string(job) + "\n  state 1\n";
}

TEST_F(ContentCheck, AnEnemyDrawnWithAWeaponItsClassDoesNotUseIsCaught) {
    write("art/people.txt",
          "# enemies\nclass unit2 sex=f weapon=dagger  # blades\nclass unit4 weapon=staff\n"
          "class foe_x sex=m weapon=bow\nclass foe_fan weapon=fan\n"
          "class foe_slime weapon=sword body=slime\nportrait foe_y weapon=bow\n");
    write("stages/story2.txt",
          enemy(1, "山賊", 2) + enemy(2, "山賊", 4) + drawn(3, "ゴズ", 2, "foe_x.bmp") +
              drawn(4, "踊り子", 2, "foe_fan.bmp") + drawn(5, "スライム", 2, "foe_slime.bmp") +
              script({"open 2", "next_stage"}));
    write("people/people0.txt", drawn(1, "ゴズ", 4, "foe_x.bmp") + drawn(2, "影", 0, "foe_y.bmp") +
                                    "text やあ。\nback_to_travel\n");
    EXPECT_EQ(faults(),
              (std::vector<std::string>{
                  at("stages/story2.txt", 9) +
                      ": \"山賊\" is drawn with a staff (unit4.bmp), which promises spells or "
                      "healing, but class 4 (アーチャー) does not fight that way",
                  at("stages/story2.txt", 13) +
                      ": \"ゴズ\" is drawn with a bow (foe_x.bmp), which promises arrows, but "
                      "class 2 (双剣士) does not fight that way"}));
}

TEST(EnemyNameWords, LongerWordsWinAndEveryPromisedWordIsChecked) {
    // 魔獣 is a beast: its 魔 promises no spells.
    EXPECT_EQ(datc::broken_promise("霧の魔獣", 0), nullptr);
    EXPECT_EQ(datc::broken_promise("灰の魔女セラ", 7), nullptr);
    ASSERT_NE(datc::broken_promise("灰の魔女セラ", 4), nullptr);
    EXPECT_EQ(datc::broken_promise("灰の魔女セラ", 4)->word, "魔");
    // Both words of 魔剣士 must hold: class 10 casts and cuts, class 2 only cuts.
    EXPECT_EQ(datc::broken_promise("魔剣士", 10), nullptr);
    EXPECT_EQ(datc::broken_promise("魔剣士", 2)->word, "魔");
    EXPECT_EQ(datc::broken_promise("魔剣士", 7)->word, "剣");
    // 射手 is read whole; 狙撃 allows a bow or a gun.
    EXPECT_EQ(datc::broken_promise("灰の射手", 2)->word, "射手");
    EXPECT_EQ(datc::broken_promise("傭兵の狙撃手", 13), nullptr);
    EXPECT_EQ(datc::broken_promise("傭兵の狙撃手", 5), nullptr);
    EXPECT_EQ(datc::broken_promise("傭兵の狙撃手", 3)->word, "狙撃");
    // A class past the table's end keeps no promise.
    EXPECT_EQ(datc::broken_promise("剣士の亡霊", 40)->word, "剣");
    EXPECT_EQ(datc::broken_promise("", 2), nullptr);
    EXPECT_EQ(datc::broken_promise("ゴズ", 2), nullptr);
    // The table itself: every promise names classes the enemy routine has (0..20).
    for (const auto& w : datc::name_words())
        for (int c : w.classes) EXPECT_TRUE(c >= 0 && c <= 20) << w.word;
}

TEST_F(ContentCheck, AStageScriptOfNineteenEntriesIsAPlaceholderTwentyIsNot) {
    write("stages/story3.txt", script({"text おわり。", "back_to_travel"}, 19));
    EXPECT_EQ(faults(), std::vector<std::string>{
                            at("stages/story3.txt", 19) +
                            ": only 19 entries: a stage script holds at least 20 (a placeholder "
                            "left behind?)"});
    write("stages/story3.txt", script({"text おわり。", "back_to_travel"}, 20));
    EXPECT_EQ(faults(), std::vector<std::string>{});
    // Stage 0's scene is never played: it may stay short.
    write("stages/story0.txt", "next_stage\n");
    EXPECT_EQ(faults(), std::vector<std::string>{});
}

TEST_F(ContentCheck, TheRoadThatAnswersNoToAChoiceIsWalkedToo) {
    // "いいえ" skips stage 2, whose scene is the one that opens m2 for stage 3.
    write("stages/story1.txt", script({"open 1", "choice", "next_stage"}));
    EXPECT_EQ(faults(), std::vector<std::string>{
                            at("stages/story1.txt", 20) +
                            ": stage 3 is played at m2, which is not on the map: place 2 is not "
                            "open (never opened) (on the road that answers いいえ at " +
                            at("stages/story1.txt", 2) + ")"});
    write("stages/story1.txt", script({"open 1", "choice", "open 2", "next_stage"}));
    EXPECT_EQ(faults(), std::vector<std::string>{});
}

TEST_F(ContentCheck, AnEventsOwnFlagsCountAndAPlaceItOpensForTheSameStagePlaysNext) {
    // Stage 2 is a battle at m29 that cannot be won and opens m99; m99 then plays the scene,
    // closing m99 and opening m2 for stage 3. Neither script opens m2.
    table_[1] = {"m29", 29, {{{2}, open_and({99}, {}, battle)}}, nullptr};
    table_.push_back({"m99", -1, {{{2}, open_and({2}, {99}, story)}}, nullptr});
    write("stages/story1.txt", script({"open 25", "open 29", "next_stage"}));
    write("stages/story2.txt", script({"text 門の裏。", "next_stage"}));
    EXPECT_EQ(faults(), std::vector<std::string>{});

    // With the far region shut, m99 cannot be reached after the battle.
    table_[1] = {"m29", 29, {{{2}, open_and({99}, {25}, battle)}}, nullptr};
    EXPECT_EQ(faults(), std::vector<std::string>{
                            at("stages/story1.txt", 20) +
                            ": stage 2 goes on at m99, which is not on the map: its region box 25 "
                            "is not shown (closed at m29's event at stage 2)"});
}

TEST_F(ContentCheck, StagesThatDoNotMoveOnOrSkipTheirEventAreFaults) {
    write("stages/story2.txt", script({"open 2", "back_to_travel"}));
    EXPECT_EQ(faults(), std::vector<std::string>{
                            at("stages/story2.txt", 20) +
                            ": stage 2 ends with back_to_travel: the story never moves past it"});

    // Going straight on into stage 3 would skip m2's battle.
    write("stages/story2.txt", script({"open 2", "next_stage_here"}));
    EXPECT_EQ(faults(), std::vector<std::string>{
                            at("stages/story2.txt", 20) +
                            ": stage 3 begins with next_stage_here, so m2's event at stage 3 "
                            "(which starts a battle) never runs"});

    table_.pop_back();
    write("stages/story2.txt", script({"open 2", "next_stage"}));
    EXPECT_EQ(faults(),
              std::vector<std::string>{at("stages/story2.txt", 20) + ": no place plays stage 3"});
}

TEST_F(ContentCheck, AMissingStageScriptIsAFault) {
    fs::remove(data_ / "stages" / "story2.txt");
    const auto found = datc::check_content(data_, rules_);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(datc::format_fault(found[0], false),
              (data_ / "stages" / "story2.txt").string() + ": missing: stage 2 has no script");
}

// The written chapters of the real story (stages 0..19) walk through the real place events
// without a fault, and no script anywhere recruits a name the code does not know or names an
// enemy for a way of fighting its class lacks.
TEST(ContentCheckRealStory, ChaptersOneAndTwoAreOnTheRoadAndEveryRecruitAndEnemyNameIsTrue) {
    const fs::path data = fs::path(LUM_SOURCE_DIR) / "data";
    for (const auto& f : datc::check_content(data)) {
        EXPECT_TRUE(f.road) << datc::format_fault(f, true);
        for (int n = 0; n <= 19; ++n) {
            const std::string file =
                (data / "stages" / ("story" + std::to_string(n) + ".txt")).string();
            EXPECT_NE(f.where.rfind(file + ":", 0), 0u) << datc::format_fault(f, true);
            EXPECT_NE(f.where, file) << datc::format_fault(f, true);
        }
    }
}
