// The party box: where a newcomer goes, how the record is filled (draws in order), and the
// class, attribute and oath steps.

#include "story_fixture.h"

using namespace lum;
using namespace lum::test;
using Strings = std::vector<std::string>;

namespace {

class PartyBoxTest : public StoryTest {
  protected:
    void SetUp() override {
        StoryTest::SetUp();
        for (int i = 0; i < kAikoCount; ++i) gs.aiko_names[i] = "哀古" + std::to_string(i);
        for (int j = 0; j < 5; ++j) {
            gs.job_table[j].name = "職" + std::to_string(j);
            gs.job_table[j].about = "説明" + std::to_string(j);
            gs.job_table[j].growth_text = "成長" + std::to_string(j);
            gs.job_table[j].skills_text = "技" + std::to_string(j);
        }
        gs.oath_table[12] = "愛を誓う";
        gs.chara[1] = {};
        gs.chara[1].name = "主人公";
        gs.chara[1].state = 1;
    }
    PartyBox& box() { return model.party; }
};

}  // namespace

TEST_F(PartyBoxTest, NewMemberGoesAfterTheHighestOccupiedSlotWithDrawsInOrder) {
    gs.chara[3].state = 2;  // slot 2 stays empty
    gs.stage_no = 3;
    TChara& c = gs.chara[4];
    c.justice = c.dark = c.beast = c.past = c.speed = 9;
    c.hp = 77;
    c.sex = 1;
    c.oath = 5;
    c.job = 7;
    story({{9, "ザビナ"}, {19, ""}});
    gs.rng.script({4, 2, 1, 3, 0, 2, 1, 29});
    gs.rng.record_draws(true);
    tick();

    EXPECT_EQ(gs.edit_slot, 4);
    EXPECT_EQ(gs.rng.draws(), (std::deque<int>{5, 5, 3, 5, 5, 3, 2, 30}));
    EXPECT_EQ(c.name, "ザビナ");
    EXPECT_EQ(c.level, 1);
    EXPECT_EQ(c.state, 1);
    EXPECT_EQ(c.body, 5);
    EXPECT_EQ(c.max_hp, 4 + 3 + 29);
    EXPECT_EQ(c.max_mp, 12);
    EXPECT_EQ(c.magic, 1);
    EXPECT_EQ(c.order, 3);
    EXPECT_EQ(c.calm, 0);
    EXPECT_EQ(c.mech, 2);
    EXPECT_EQ(c.justice + c.dark + c.beast + c.past + c.speed, 0);
    EXPECT_EQ(c.aiko_power, 11);
    EXPECT_EQ(c.aiko_name, "哀古2");
    EXPECT_EQ(c.lifespan, 59);
    EXPECT_EQ(c.hp, 77);  // not touched here
    EXPECT_EQ(c.oath, 5);
    EXPECT_EQ(c.job, 7);

    EXPECT_TRUE(box().visible);
    EXPECT_EQ(box().x, 0);
    EXPECT_EQ(box().caption, "ザビナ");
    EXPECT_EQ(box().state_box_l, "▼ザビナのｸﾗｽを選択して下さい");
    EXPECT_TRUE(box().state_box1_visible);
    EXPECT_FALSE(box().state_box2_visible || box().state_box3_visible);
    EXPECT_FALSE(box().party_ok_b_enabled);
    EXPECT_EQ(canvas.loads.back(), "my14.bmp");  // before stage 29
    EXPECT_EQ(pos(), 0);                         // the box's "→OK" goes on

    // The players wait while the box shows.
    tick();
    EXPECT_FALSE(model.sel_box2_visible);
}

TEST_F(PartyBoxTest, PortraitsByNameAndStage) {
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"トゥルネア", 5, "my2.bmp"},  {"ルクサ", 5, "my15.bmp"},    {"ﾊﾙﾃｨｱ", 5, "my3.bmp"},
        {"ハルティア", 5, "my3.bmp"},  {"メルヴィ", 28, "my17.bmp"}, {"メルヴィ", 29, "my18.bmp"},
        {"ザビナ", 28, "my14.bmp"},    {"ザビナ", 30, "my16.bmp"},   {"月影院楓", 5, "my43.bmp"},
        {"月影院睦月", 5, "my42.bmp"}, {"ザビナ ", 5, "my0.bmp"},    {"誰か", 5, "my0.bmp"}};
    for (const auto& [name, stage, file] : cases)
        EXPECT_EQ(recruit_portrait(name, stage), file) << name << stage;

    canvas.files[dir / "cg" / "my2.bmp"] = {{128, 128}, {1, 2, 3}};
    story({{9, "トゥルネア"}});
    tick();
    EXPECT_EQ(canvas.at(kPartyPortraitPicture, 10, 10), (Color{1, 2, 3}));
}

TEST_F(PartyBoxTest, ArcherForWomenGunmanForEveryoneElse) {
    for (int sex : {0, 1, 2, 3}) {
        gs.chara[2] = {};
        gs.chara[2].sex = sex;
        box().visible = false;
        story({{9, "新入り"}});
        tick();
        EXPECT_EQ(box().j_a1_enabled, sex == 1) << sex;
        EXPECT_EQ(box().j_a2_enabled, sex != 1) << sex;
    }
    // A disabled class button does nothing.
    box().class_click(3);  // sex 3: ガンマン is open
    EXPECT_FALSE(box().state_box1_visible);
    gs.chara[2] = {};
    gs.chara[2].sex = 0;
    box().visible = false;
    story({{9, "新入り"}});
    tick();
    box().class_click(2);
    EXPECT_TRUE(box().state_box1_visible);
    EXPECT_EQ(gs.chara[2].job, 0);
}

TEST_F(PartyBoxTest, ThreeStepsThenOk) {
    gs.stage_no = 0;
    story({{9, "ルクサ"}, {19, ""}});
    tick();
    TChara& c = gs.chara[2];
    const int order = c.order;

    box().class_hover(1);
    EXPECT_EQ(box().job_about_l, "◆LVUP時の成長要素:\r成長1");
    EXPECT_EQ(box().job_about_l2, "◆使用可能な技:\r技1");
    EXPECT_EQ(box().job_about_l3, "説明1");
    box().state_box1MouseMove();
    EXPECT_EQ(box().job_about_l + box().job_about_l2 + box().job_about_l3, "");

    // Nothing but the class step answers first.
    box().attr_click(2);
    box().oath_click(3);
    EXPECT_EQ(c.oath, 0);
    EXPECT_FALSE(box().party_ok_b_enabled);

    gs.rng.script({2});
    box().class_click(1);  // 剣士: 秩序 + 5 + 2
    EXPECT_EQ(c.job, 1);
    EXPECT_EQ(c.order, order + 7);
    EXPECT_EQ(box().state_l1, "職1");
    EXPECT_TRUE(box().state_l1_visible);
    EXPECT_FALSE(box().state_box1_visible);
    EXPECT_TRUE(box().state_box2_visible);
    box().class_click(0);  // used once only
    EXPECT_EQ(c.job, 1);

    // At stage 0 an attribute rises by exactly 4, drawing random(0).
    gs.rng.record_draws(true);
    box().attr_click(2);
    EXPECT_EQ(gs.rng.draws(), std::deque<int>{0});
    EXPECT_EQ(c.order, order + 11);
    EXPECT_EQ(box().state_l2, "体力 5\r魔力 " + std::to_string(c.magic) + "\r秩序 " +
                                  std::to_string(order + 11) + "\r冷静 " + std::to_string(c.calm) +
                                  "\r機工 " + std::to_string(c.mech) +
                                  "\r正義 0\r闇　 0\r獣　 0\r過去 0\r速さ 0");
    EXPECT_TRUE(box().state_box3_visible);
    EXPECT_FALSE(box().state_box2_visible);

    model.party_ok_bClick();  // disabled until an oath is chosen
    EXPECT_TRUE(box().visible);

    box().oath_click(12);
    EXPECT_EQ(c.oath, 12);
    EXPECT_EQ(box().state_l3, "愛を誓う");
    EXPECT_TRUE(box().state_l3_visible);
    EXPECT_TRUE(box().party_ok_b_enabled);
    EXPECT_FALSE(box().state_box1_visible || box().state_box2_visible || box().state_box3_visible);

    canvas.fill(kTextBoxPicture, {0, 0, 5, 5}, kWhite);
    model.party_ok_bClick();
    EXPECT_FALSE(box().visible);
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(canvas.at(kTextBoxPicture, 1, 1), kBlack);
    EXPECT_EQ(sound.log, Strings{"ok"});
    tick();
    EXPECT_TRUE(model.sel_box2_visible);
}

TEST_F(PartyBoxTest, EveryClassRaisesItsAttribute) {
    for (int i = 0; i < 5; ++i) {
        gs.chara[2] = {};
        gs.chara[2].sex = i == 2 ? 1 : 0;
        box().visible = false;
        story({{9, "試し"}});
        gs.rng.script({0, 0, 0, 0, 0, 0, 0, 0});
        tick();
        TChara before = gs.chara[2];
        gs.rng.script({4});
        box().class_click(i);
        const ClassButton& b = kClassButtons[i];
        EXPECT_EQ(gs.chara[2].job, b.job);
        EXPECT_EQ(gs.chara[2].attr(b.attr) - before.attr(b.attr), (i == 0 ? 8 : 9)) << i;
    }
}

TEST_F(PartyBoxTest, ReserveMemberLevelFollowsTheHero) {
    gs.chara[1].level = 1;
    // 1 - 1 = 0 stays 0; 1 - 2 = -1 becomes 1.
    for (const auto& [draw, level, hp, mp] :
         std::vector<std::tuple<int, int, int, int>>{{0, 0, 25, 10}, {1, 1, 29, 13}}) {
        gs.chara[6] = {};
        gs.chara[6].justice = 3;
        box().visible = false;
        story({{15, "控え"}});
        gs.rng.script({draw, 2, 4, 1, 2, 0, 7});
        gs.rng.record_draws(true);
        tick();
        const TChara& c = gs.chara[6];
        EXPECT_EQ(gs.edit_slot, 6);
        EXPECT_EQ(gs.rng.draws(), (std::deque<int>{2, 3, 5, 5, 3, 2, 30}));
        EXPECT_EQ(c.level, level);
        EXPECT_EQ(c.max_hp, hp);
        EXPECT_EQ(c.max_mp, mp);
        EXPECT_EQ(c.magic, 2);
        EXPECT_EQ(c.order, 4);
        EXPECT_EQ(c.calm, 1);
        EXPECT_EQ(c.mech, 2);
        EXPECT_EQ(c.aiko_power, 10);
        EXPECT_EQ(c.lifespan, 37);
        EXPECT_EQ(c.justice, 3);  // kept
        EXPECT_EQ(c.state, 1);
    }
}

TEST_F(PartyBoxTest, ReserveKeepsWhatTheBoxShowedLast) {
    gs.chara[2].sex = 1;
    story({{9, "ルクサ"}});
    tick();
    box().visible = false;
    const size_t loads = canvas.loads.size();
    gs.chara[6].state = 1;
    gs.chara[8].state = 1;
    story({{15, "控え"}});
    tick();
    EXPECT_EQ(gs.edit_slot, 9);
    EXPECT_EQ(box().caption, "控え");
    EXPECT_EQ(box().state_box_l, "▼ルクサのｸﾗｽを選択して下さい");
    EXPECT_TRUE(box().j_a1_enabled);
    EXPECT_EQ(canvas.loads.size(), loads);
}

TEST_F(PartyBoxTest, TalkSceneLeavesPortraitAndArcherRuleAsTheyWere) {
    gs.chara[2].sex = 1;
    box().j_a1_enabled = false;
    box().job_about_l2 = "前の説明";
    const size_t loads = canvas.loads.size();
    talk({{9, "旅人"}});
    tick();
    EXPECT_TRUE(box().visible);
    EXPECT_EQ(gs.chara[2].name, "旅人");
    EXPECT_FALSE(box().j_a1_enabled);
    EXPECT_EQ(box().job_about_l2, "前の説明");
    EXPECT_EQ(canvas.loads.size(), loads);
}

TEST_F(PartyBoxTest, ASixthMemberIsRefusedAndTheScriptGoesOn) {
    for (int i = 1; i <= 10; ++i) gs.chara[i].state = 1;
    gs.chara[11].name = "敵";
    story({{9, "六人目"}, {15, "十一人目"}, {19, ""}});
    tick();
    EXPECT_FALSE(box().visible);
    EXPECT_EQ(dialogs.log, (Strings{"仲間がいっぱいのため、六人目は加わることができません。",
                                    "控えがいっぱいのため、十一人目は加わることができません。"}));
    EXPECT_EQ(gs.chara[6].name, "");
    EXPECT_EQ(gs.chara[11].name, "敵");
    EXPECT_EQ(pos(), 2);
}
