// The travel screen's rules without widgets: visibility, the status panel, the party list, the
// class shop, the item box and the save buttons.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "state/data_files.h"
#include "support/port_fakes.h"
#include "travel/travel_model.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

struct Travel {
    GameState gs;
    test::FakeDialogs dialogs;
    test::FakeSound sound;
    test::FakeScreens screens;
    std::vector<std::string> battles;
    TravelModel m{gs, dialogs, sound, screens,
                  BattleStarts{[this] { battles.push_back("story"); },
                               [this] { battles.push_back("region"); },
                               [this] { battles.push_back("random"); }}};

    Travel() {
        gs.chara[1] = {};
        gs.chara[1].name = "ルミナリア";
        gs.chara[1].state = kStateNormal;
        gs.place_flags[0] = gs.place_flags[100] = 1;
    }
};

TEST(TravelVisibility, ANewGameShowsTheHomeRegionWithOnlyM0) {
    Travel t;
    t.m.Timer3Timer();
    for (int box : kRegionBoxes) EXPECT_EQ(t.m.region_visible(box), box == 100) << box;
    std::vector<std::string> shown;
    for (const std::string& b : region_buttons(100))
        if (t.m.visible(b)) shown.push_back(b);
    EXPECT_EQ(shown, std::vector<std::string>{"m0"});
    // The shops and plains of the other regions come with their region.
    EXPECT_TRUE(t.m.visible("BitBtn13"));
    EXPECT_TRUE(t.m.visible("m34"));
}

TEST(TravelVisibility, FlagsTakeEffectOnTheNextTickAndTheDoorsFollowEntry41) {
    Travel t;
    t.m.Timer3Timer();
    t.gs.place_flags[100] = 0;
    t.gs.place_flags[41] = 1;
    EXPECT_TRUE(t.m.region_visible(100));  // not before the tick
    t.m.Timer3Timer();
    EXPECT_FALSE(t.m.region_visible(100));
    for (const char* door : {"m41a", "m41b", "m41c", "m41d", "m41e"})
        EXPECT_TRUE(t.m.visible(door)) << door;
    EXPECT_EQ(button_number("M37"), 37);
    EXPECT_EQ(button_number("m41c"), 41);
    EXPECT_EQ(button_number("BitBtn13"), -1);
    EXPECT_EQ(button_region("m99"), 25);
    EXPECT_EQ(button_region("card_b"), 100);
}

TEST(TravelVisibility, TheHomeCardShopStaysOnceTheStoryPassedStageFive) {
    Travel t;
    t.gs.stage_no = 5;
    t.m.Timer3Timer();
    EXPECT_FALSE(t.m.visible("card_b"));
    t.gs.stage_no = 6;
    t.m.Timer3Timer();
    EXPECT_TRUE(t.m.visible("card_b"));
    t.gs.stage_no = 2;
    t.m.Timer3Timer();
    EXPECT_TRUE(t.m.visible("card_b"));
}

TEST(TravelRegions, SpaceDoorsAndPlanets) {
    Travel t;
    t.m.click("m41a");
    EXPECT_EQ(t.gs.place_flags[39], 1);
    EXPECT_EQ(t.gs.place_flags[100], 0);
    t.gs.place_flags[31] = 1;
    t.m.click("m42");
    EXPECT_EQ(t.gs.place_flags[39], 0);
    EXPECT_EQ(t.gs.place_flags[31], 0);
    EXPECT_EQ(t.gs.place_flags[100], 1);
    const std::pair<const char*, int> planets[] = {
        {"m43", 25}, {"m44", 12}, {"m45", 31}, {"m46", 19}};
    for (auto [planet, region] : planets) {
        t.gs.place_flags[39] = 1;
        t.gs.place_flags[region] = 0;
        t.m.click(planet);
        EXPECT_EQ(t.gs.place_flags[39], 0) << planet;
        EXPECT_EQ(t.gs.place_flags[region], 1) << planet;
    }
    const std::pair<const char*, int> doors[] = {
        {"m41c", 12}, {"m41e", 19}, {"m41b", 25}, {"m41d", 31}};
    for (auto [door, region] : doors) {
        t.gs.place_flags[39] = 0;
        t.gs.place_flags[region] = 1;
        t.m.click(door);
        EXPECT_EQ(t.gs.place_flags[39], 1) << door;
        EXPECT_EQ(t.gs.place_flags[region], 0) << door;
    }
}

TEST(TravelPlaces, TheLastGateAsksAndNoLeavesTheAreaAlone) {
    Travel t;
    t.gs.battle_area = 7;
    t.gs.stage_no = 61;
    t.dialogs.answers = {false};
    t.m.click("m40");
    EXPECT_EQ(t.dialogs.log,
              std::vector<std::string>{"ask:もう戻れなくなります。よろしいですか？"});
    EXPECT_EQ(t.gs.battle_area, 7);
    EXPECT_TRUE(t.screens.log.empty());
    EXPECT_EQ(t.gs.clear_mark, 0);
    t.m.click("m40");
    EXPECT_EQ(t.gs.battle_area, 40);
    EXPECT_EQ(t.screens.log, (std::vector<std::string>{"hide:travel", "show:story"}));
    EXPECT_EQ(t.gs.clear_mark, 100);
    EXPECT_EQ(t.gs.script_pos, 0);
}

TEST(TravelPlaces, AStorySceneStartsAtItsFirstEntryAndPlacesAnswerTheirDoors) {
    Travel t;
    t.gs.stage_no = 9;
    t.gs.script_pos = 40;
    t.gs.char_pos = 7;
    t.m.click("m0");
    EXPECT_EQ(t.screens.log, (std::vector<std::string>{"hide:travel", "show:story"}));
    EXPECT_EQ(t.gs.script_pos, 0);
    EXPECT_EQ(t.gs.char_pos, 0);
    t.gs.stage_no = 5;
    t.m.click("m0");
    EXPECT_EQ(t.m.moji_l, "今は用はないだろう。");
    t.m.click("m2");
    EXPECT_EQ(t.battles, std::vector<std::string>{"random"});
    t.m.BitBtn18Click();  // the developer's random battle fights in the last area
    EXPECT_EQ(t.gs.battle_area, 2);
    EXPECT_EQ(t.battles.size(), 2u);
}

TEST(TravelPlaces, TheShipsMoveTheMapOnOnlyWhenTheirBattleIsWon) {
    Travel t;
    t.gs.place_flags[100] = 0;
    t.gs.place_flags[31] = 1;
    t.gs.stage_no = 52;
    t.m.click("m34");
    EXPECT_EQ(t.battles, std::vector<std::string>{"story"});
    EXPECT_EQ(t.gs.place_flags[31], 1);
    // Lost or fled: back on the same stage, the ship is still there to try again.
    t.m.FormShow();
    EXPECT_TRUE(t.m.visible("m34"));
    EXPECT_TRUE(t.m.region_visible(31));
    EXPECT_EQ(t.gs.place_flags[25], 0);
    // Won: the after-battle scene moved the story on, and the sky land takes over.
    t.m.click("BitBtn24");
    t.gs.stage_no = 53;
    t.m.FormShow();
    EXPECT_EQ(t.gs.place_flags[31], 0);
    EXPECT_EQ(t.gs.place_flags[25], 1);
    EXPECT_TRUE(t.m.region_visible(25));
    t.gs.place_flags[31] = 1;
    t.m.FormShow();  // said once only
    EXPECT_EQ(t.gs.place_flags[31], 1);
}

TEST(TravelPlaces, AMissingPeopleFileIsToldAndStartsNothing) {
    Travel t;
    t.gs.game_dir = fs::temp_directory_path() / "lum_travel_no_people";
    fs::create_directories(t.gs.game_dir / "dat");
    t.m.click("m115");
    ASSERT_EQ(t.dialogs.log.size(), 1u);
    EXPECT_NE(t.dialogs.log[0].find("people15.dat"), std::string::npos);
    EXPECT_FALSE(t.gs.people_mode);
    EXPECT_TRUE(t.screens.log.empty());
    t.m.click("m101");
    EXPECT_TRUE(t.battles.empty());
    fs::remove_all(t.gs.game_dir);
}

TEST(TravelShow, ShowResetsTheScreenAndPicksMusicByOneDraw) {
    const char* music[12] = {"ro_mer1.mid", "ro_mer5.mid", "ro_mer7.mid", "ame.mid",
                             "ame.mid",     "ame.mid",     "ame.mid",     "ame.mid",
                             "cl_15.mid",   "cl_12.mid",   nullptr,       nullptr};
    for (int r = 0; r < 12; ++r) {
        Travel t;
        t.gs.people_mode = true;
        t.gs.sel_unit = 4;
        t.gs.rng.script({r});
        t.m.FormShow();
        if (music[r])
            EXPECT_EQ(t.sound.log, std::vector<std::string>{std::string("music:") + music[r]}) << r;
        else
            EXPECT_TRUE(t.sound.log.empty()) << r;
        EXPECT_EQ(t.m.moji_l, "どこへ行きますか？");
        EXPECT_FALSE(t.gs.people_mode);
        EXPECT_EQ(t.gs.sel_unit, 1);
    }
}

TEST(TravelParty, ARowSelectsItsOwnCharacterEvenWithAGap) {
    Travel t;
    t.gs.chara[3].name = "ルクサ";
    t.gs.chara[3].state = kStateNormal;
    t.gs.chara[7].name = "控え";
    t.gs.chara[7].state = kStateDown;
    t.m.FormShow();
    EXPECT_EQ(t.m.party_list, (std::vector<std::string>{"ルミナリア", "ルクサ", "控え"}));
    EXPECT_EQ(t.m.party_row, 0);
    t.m.party_listMouseDown(1);
    EXPECT_EQ(t.gs.sel_unit, 3);
    t.m.Timer2Timer();
    EXPECT_EQ(t.m.my_cg, "my15.bmp");
    t.m.party_listMouseDown(2);
    EXPECT_EQ(t.gs.sel_unit, 7);
    t.m.Timer2Timer();
    EXPECT_EQ(t.m.status.state_l1, "控え");
    EXPECT_EQ(t.m.my_cg, "my15.bmp");  // a reserve member has no portrait: the last one stays
    t.m.party_listMouseDown(-1);
    EXPECT_EQ(t.gs.sel_unit, 0);
}

TEST(TravelParty, PortraitsByNameWithTheDefaultForEveryUnknownName) {
    EXPECT_EQ(portrait_file("ルミナリア", 50), "my1.bmp");
    EXPECT_EQ(portrait_file("ルミナリア", 51), "my41.bmp");
    EXPECT_EQ(portrait_file("ﾊﾙﾃｨｱ", 1), "my3.bmp");
    EXPECT_EQ(portrait_file("ハルティア", 1), "my3.bmp");
    EXPECT_EQ(portrait_file("メルヴィ", 28), "my17.bmp");
    EXPECT_EQ(portrait_file("メルヴィ", 29), "my18.bmp");
    EXPECT_EQ(portrait_file("ザビナ", 28), "my14.bmp");
    EXPECT_EQ(portrait_file("ザビナ", 29), "my16.bmp");
    EXPECT_EQ(portrait_file("月影院楓", 1), "my43.bmp");
    EXPECT_EQ(portrait_file("月影院睦月", 1), "my42.bmp");
    Travel t;
    t.gs.chara[1].name = "アルト";
    t.gs.chara[2] = t.gs.chara[1];
    t.gs.chara[2].name = "トゥルネア";
    t.gs.chara[3] = t.gs.chara[1];
    t.gs.chara[3].name = "誰か";
    t.m.FormShow();
    EXPECT_EQ(t.m.kao[1], "my0.bmp");
    EXPECT_EQ(t.m.kao[2], "my2.bmp");
    EXPECT_EQ(t.m.kao[3], "my0.bmp");
}

TEST(StatusPanel, TravelTextsByteForByte) {
    GameState gs;
    gs.money = 1234;
    gs.ark = 56;
    gs.stage_no = 7;
    gs.job_table[3].name = "剣士";
    gs.oath_table[2] = "誇り";
    TChara& c = gs.chara[2];
    c = {};
    c.name = "トゥルネア";
    c.level = 4;
    c.sex = 2;
    c.hp = 12;
    c.max_hp = 30;
    c.mp = 1;
    c.max_mp = 9;
    c.exp = 55;
    c.lifespan = 40;
    c.state = kStateDown;
    c.aiko_name = "ﾎﾜｲﾄﾎｰﾙ";
    c.aiko_power = 60;
    c.job = 3;
    c.oath = 2;
    c.oath_count = 5;
    c.body = 1, c.magic = 2, c.order = 3, c.calm = 4, c.mech = 5;
    c.justice = 6, c.dark = 7, c.beast = 8, c.past = 9, c.speed = 10;
    StatusPanelTexts t = status_panel_texts(gs, 2, PanelScreen::travel);
    EXPECT_EQ(t.state_l1, "トゥルネア");
    EXPECT_EQ(
        t.state_l2,
        "Lv  4 sex ×\rHp  12/30\rMp  1/9\rExp 55/100\r寿命 40\r状態 通常\r哀古 ﾎﾜｲﾄﾎｰﾙ\r　　 △60");
    EXPECT_EQ(t.state_l3, "体力 1\r魔力 2\r秩序 3\r冷静 4\r機工 5");
    EXPECT_EQ(t.state_l4, "正義 6\r闇　 7\r獣　 8\r過去 9\r速さ 10");
    EXPECT_EQ(t.state_l5, "お金 1234円\rArk  56　stage 7");
    EXPECT_EQ(t.tikai_l, "誓い\r【誇り】\r＞ 5");
    EXPECT_EQ(t.state_l6, "剣士");
    // The battle says what the state is.
    EXPECT_NE(status_panel_texts(gs, 2, PanelScreen::battle).state_l2.find("状態 戦闘不能\r"),
              std::string::npos);

    c.sex = 5;
    c.oath = 9;
    t = status_panel_texts(gs, 2, PanelScreen::travel);
    EXPECT_EQ(t.state_l2.substr(0, 11), "Lv  4 sex \r");
    EXPECT_EQ(t.tikai_l, "誓い\r【不明】\r＞ 5");
    gs.chara[8] = c;
    EXPECT_EQ(status_panel_texts(gs, 8, PanelScreen::travel).state_l6, "剣士");  // the reserve too
    EXPECT_EQ(status_panel_texts(gs, 8, PanelScreen::battle).state_l6, "不明");
    gs.chara[12] = c;
    gs.chara[12].job = 4;
    gs.chara[12].profile = "";
    StatusPanelTexts e = status_panel_texts(gs, 12, PanelScreen::battle);
    EXPECT_EQ(e.state_l6, "アーチャー");
    EXPECT_EQ(e.party_about_l,
              "-経歴不詳-"
              "\r◆アーチャークラス。前方３～５マスにいるユニットを遠距離攻撃できるが、接近戦は対処"
              "不能。");
    gs.chara[12].job = 60;
    EXPECT_EQ(status_panel_texts(gs, 12, PanelScreen::battle).party_about_l, "-経歴不詳-\r◆？？？");
    gs.chara[2].profile = "詳細不明。";
    gs.job_table[3].about = "剣を振るう。";
    EXPECT_EQ(status_panel_texts(gs, 2, PanelScreen::battle).party_about_l,
              "◆剣士クラス。剣を振るう。");
}

// Classes 0..25 with names, and a party member who meets class 7's needs exactly.
struct Shop : Travel {
    Shop() {
        for (int a = 0; a < 26; ++a) gs.job_table[a].name = "C" + std::to_string(a);
        TJob& j = gs.job_table[7];
        j.req_level = 10;
        j.sex_rule = 2;
        j.ark_cost = 30;
        j.req = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        TChara& c = gs.chara[1];
        c.level = 10;
        for (int k = 0; k < kAttrCount; ++k) c.attr(k) = k + 1;
        c.job = 2;
        gs.ark = 30;
        gs.stage_no = 12;
        gs.sel_unit = 1;
    }
    void choose(int a) {
        m.click("m5");
        m.job_listMouseDown(a);
        sound.log.clear();
    }
};

TEST(ClassShop, TheListGrowsWithTheStory) {
    const std::pair<int, int> lengths[] = {{11, 6},  {12, 11}, {31, 11}, {32, 16}, {46, 21},
                                           {53, 22}, {55, 23}, {59, 23}, {60, 26}};
    for (auto [stage, n] : lengths) EXPECT_EQ(class_list_length(stage), n) << stage;
    Shop s;
    s.gs.stage_no = 11;
    s.gs.rng.script({0, 1, 1, 0, 1});
    s.m.click("BitBtn13");
    EXPECT_EQ(s.m.class_shop.job_list.size(), 6u);
    EXPECT_EQ(s.m.class_shop.job_list[5], "C5");
    EXPECT_EQ(s.m.moji_l, "ﾃﾞｨﾙﾊ「いらっしゃい。誰をどのクラスにチェンジしたい？」");
    EXPECT_EQ(s.sound.log, std::vector<std::string>{"ok"});
    EXPECT_EQ(s.gs.chara[1].lifespan, 2);  // r(2) = 0 raises by 2
    EXPECT_EQ(s.gs.chara[2].lifespan, 0);
    EXPECT_EQ(s.gs.chara[4].lifespan, 2);
    s.gs.stage_no = 12;
    s.m.click("m5");
    EXPECT_EQ(s.m.class_shop.job_list.size(), 11u);
}

TEST(ClassShop, TheDetailsOfTheChosenClass) {
    Shop s;
    s.gs.job_table[7].growth_text = "体力";
    s.gs.job_table[7].skills_text = "体術";
    s.gs.job_table[7].about = "説明";
    s.choose(7);
    s.m.Timer1Timer();
    const ClassShop& c = s.m.class_shop;
    EXPECT_EQ(c.job_about_l, "◆LVUP時の成長要素:\r体力");
    EXPECT_EQ(c.job_about_l2, "◆使用可能な技:\r体術");
    EXPECT_EQ(c.job_about_l3, "説明");
    EXPECT_EQ(c.job_name0, "ルミナリア");
    EXPECT_EQ(c.job_name1, "C2");
    EXPECT_EQ(c.job_name2, "C7");
    EXPECT_EQ(c.job_state1, "Ｌｖ 10\rsex ♂♀");
    EXPECT_EQ(c.job_state2, "体力 1\r魔力 2\r秩序 3\r冷静 4\r機工 5");
    EXPECT_EQ(c.job_state3, "正義 6\r闇　 7\r獣　 8\r過去 9\r速さ 10");
    EXPECT_EQ(c.job_state4, "必要Ａｒｋ 30");
}

TEST(ClassShop, ChecksInOrderThenTheQuestionAndThePayment) {
    {
        Shop s;
        s.choose(7);
        s.m.BitBtn17Click();
        ASSERT_EQ(s.dialogs.log.size(), 1u);
        EXPECT_EQ(
            s.dialogs.log[0],
            "ask:ルミナリアのクラスを\r【C2】→【C7】\rへとチェンジします。\rよろしいですか？");
        EXPECT_EQ(s.gs.ark, 0);  // exactly the cost leaves nothing
        EXPECT_EQ(s.gs.chara[1].job, 7);
        EXPECT_EQ(s.m.moji_l, "ルミナリアのクラスが【C7】になった！");
        EXPECT_EQ(s.sound.log, (std::vector<std::string>{"step", "ok"}));
    }
    {
        Shop s;
        s.choose(7);
        s.dialogs.answers = {false};
        s.m.BitBtn17Click();
        EXPECT_EQ(s.gs.ark, 30);
        EXPECT_EQ(s.gs.chara[1].job, 2);
    }
    auto refused = [](Shop& s) {
        s.m.BitBtn17Click();
        EXPECT_TRUE(s.dialogs.log.empty());
        EXPECT_EQ(s.sound.log, std::vector<std::string>{"effect:off1.wav"});
        EXPECT_EQ(s.gs.chara[1].job, 2);
        return s.m.moji_l;
    };
    {
        Shop s;
        s.choose(7);
        s.gs.chara[6] = s.gs.chara[1];
        s.gs.sel_unit = 6;
        EXPECT_EQ(refused(s), "ﾃﾞｨﾙﾊ「その人はクラス・チェンジはできないの」");
    }
    for (int rule : {0, 1}) {
        Shop s;
        s.gs.job_table[7].sex_rule = rule;
        s.gs.chara[1].sex = 2;
        s.gs.chara[1].level = 1;  // the sex is checked before the level
        s.choose(7);
        EXPECT_EQ(refused(s), rule == 0 ? "ﾃﾞｨﾙﾊ「そのクラスは男の子じゃないとなれないわよ。」"
                                        : "ﾃﾞｨﾙﾊ「そのクラスは女の子じゃないとなれないわよ。」");
    }
    {
        Shop s;
        s.gs.chara[1].sex = 2;
        s.gs.job_table[7].sex_rule = 3;  // any other rule takes every sex
        s.choose(7);
        s.m.BitBtn17Click();
        EXPECT_EQ(s.gs.chara[1].job, 7);
    }
    {
        Shop s;
        s.gs.chara[1].level = 9;
        s.gs.chara[1].speed = 0;
        s.choose(7);
        EXPECT_EQ(refused(s), "ﾃﾞｨﾙﾊ「そのクラスになるにはレベル10必要なのよ？」");
    }
    {
        Shop s;
        s.gs.chara[1].speed = 9;
        s.gs.ark = 0;
        s.choose(7);
        EXPECT_EQ(
            refused(s),
            "ﾃﾞｨﾙﾊ「そのクラスになるには、まだステータスが足りないよ、もっと修行しなきゃね。」");
    }
    {
        Shop s;
        s.gs.ark = 29;
        s.choose(7);
        EXPECT_EQ(refused(s), "ﾃﾞｨﾙﾊ「Ａｒｋが足りないよ？」");
    }
}

// Owned items for the item box: a potion, a card and a sword.
struct Items : Travel {
    Items() {
        gs.item_table[1] = {"傷薬", "少し回復", 0, 2};
        gs.item_table[80] = {"card･幸運の女神", "", 111, 23};
        gs.item_table[72] = {"誘いの剣", "", 100, 3};
        gs.item_owned[1] = gs.item_owned[72] = gs.item_owned[80] = 1;
        gs.money = 5000;
        m.FormShow();
        sound.log.clear();
    }
    int row_of(int item) {
        for (size_t i = 0; i < m.item_list.size(); ++i)
            if (m.item_list[i].first == item) return static_cast<int>(i);
        return -1;
    }
    std::string use(int item) {
        m.item_listMouseDown(row_of(item));
        sound.log.clear();
        m.item_useClick();
        return m.moji_l;
    }
};

TEST(ItemBox, RefusalsInOrder) {
    Items t;
    t.m.item_useClick();
    EXPECT_EQ(t.m.moji_l, "アイテムが選択されていません");
    EXPECT_EQ(t.sound.log, std::vector<std::string>{"effect:off1.wav"});
    t.m.item_listMouseDown(t.row_of(1));
    t.gs.sel_unit = 0;
    t.m.item_useClick();
    EXPECT_EQ(t.m.moji_l, "キャラクターが選択されていません。");
    t.gs.sel_unit = 1;
    EXPECT_EQ(t.use(80), "【カード】は【カードショップ】へ持っていこう。");
    EXPECT_EQ(t.use(72),
              "【剣タイプ】のアイテムは【ソードショップ】に持っていかないと使えません。");
    t.m.click("card_b");
    EXPECT_EQ(t.use(1), "それは【カード】じゃないよ。");
    EXPECT_EQ(t.use(72), "それは【カード】じゃないよ。");
    t.m.back_click();
    t.m.click("BitBtn1");
    EXPECT_EQ(t.use(1), "それは【剣タイプ】のアイテムじゃないよ。");
    EXPECT_EQ(t.gs.item_owned[1], 1);
}

TEST(ItemBox, UseOnTheSelectedCharacterAndRefresh) {
    Items t;
    t.gs.chara[3] = t.gs.chara[1];
    t.gs.chara[3].name = "ルクサ";
    t.gs.chara[3].hp = 0;
    t.m.FormShow();
    t.m.party_listMouseDown(1);
    EXPECT_EQ(t.use(1), "ルクサのＨｐが20回復した。");
    EXPECT_TRUE(t.m.moji_l_yellow);
    EXPECT_EQ(t.gs.chara[3].hp, 20);
    EXPECT_EQ(t.gs.cur_unit, 3);
    EXPECT_EQ(t.row_of(1), -1);
    EXPECT_EQ(t.m.item_row, -1);
}

TEST(ItemBox, TheShopsOpenPickAndClose) {
    Items t;
    t.gs.rng.script({0, 1, 0, 1, 0});
    t.m.click("BitBtn11");
    EXPECT_TRUE(t.m.card_box);
    EXPECT_TRUE(t.m.item_mark);
    EXPECT_EQ(t.m.item_use_caption, "【カード】の交換");
    EXPECT_EQ(t.m.moji_l,
              "ｶｰﾄﾞﾏｽﾀｰ「何かカードもってる？持っているカードを選択して、【カードの交換】ボタンを押"
              "してよ。」");
    EXPECT_EQ(t.gs.chara[1].lifespan, 1);
    t.m.item_listMouseDown(t.row_of(80));
    EXPECT_EQ(t.m.card_l, "card･幸運の女神");
    EXPECT_EQ(t.m.card_l2, "交換料金 200円");
    EXPECT_EQ(t.m.item_about, "ヴェルモラカード number 80");
    t.m.item_useClick();
    EXPECT_EQ(t.gs.money, 4800);
    EXPECT_EQ(t.m.card_l, "");
    EXPECT_EQ(t.m.card_l2, "交換料金 0円");
    t.m.back_click();
    EXPECT_FALSE(t.m.card_box);
    EXPECT_EQ(t.m.moji_l, "「また来てね」");
    EXPECT_EQ(t.m.item_use_caption, "アイテム使用");

    t.gs.chara[1].lifespan = 0;
    t.gs.rng.script({0, 0, 0, 0, 0});
    t.m.click("BitBtn37");
    EXPECT_EQ(t.gs.chara[1].lifespan, 2);
    EXPECT_EQ(t.m.item_use_caption, "【剣】の解放");
    t.m.item_listMouseDown(t.row_of(72));
    EXPECT_EQ(t.m.ken_l, "誘いの剣");
    EXPECT_EQ(t.m.ken_l2, "解放料金 3000円");
    t.m.item_useClick();
    EXPECT_EQ(t.gs.skill_flags[22], 1);
    EXPECT_EQ(t.gs.money, 1800);
    EXPECT_EQ(t.m.ken_l2, "解放料金 0円");
    EXPECT_TRUE(t.m.escape());
    EXPECT_FALSE(t.m.ken_box);
    EXPECT_FALSE(t.m.escape());
}

TEST(TextSpeed, TheSliderSetsTheDelayButNeverReadsIt) {
    Travel t;
    t.gs.char_delay_ms = 70;
    t.m.FormShow();
    EXPECT_EQ(t.m.track_position, 2);
    t.m.Button1Click();
    EXPECT_TRUE(t.m.hyoji_box);
    t.m.TrackBar1Change(9);
    EXPECT_EQ(t.gs.char_delay_ms, 90);
    t.m.TrackBar1Change(1);
    EXPECT_EQ(t.gs.char_delay_ms, 10);
    t.m.Button3Click();
    EXPECT_FALSE(t.m.hyoji_box);
}

struct Saving : Travel {
    fs::path dir = fs::temp_directory_path() / "lum_travel_save";
    Saving() {
        fs::remove_all(dir);
        fs::create_directories(dir / "dat");
        gs.game_dir = dir;
    }
    ~Saving() { fs::remove_all(dir); }
    std::string my_dat() {
        std::ifstream in(dir / "dat" / "my.dat", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST(SaveAndQuit, SaveTwiceWritesTheSameSaveAndSaysSo) {
    Saving s;
    s.gs.money = 777;
    s.m.BitBtn4Click();
    const std::string first = s.my_dat();
    EXPECT_NE(first.find("\r\n777\r\n"), std::string::npos);
    EXPECT_EQ(s.m.toast, "セーブしました");
    s.m.BitBtn4Click();
    EXPECT_EQ(s.my_dat(), first);
    EXPECT_EQ(s.sound.log, (std::vector<std::string>{"effect:mowa.wav", "effect:mowa.wav"}));
    for (int i = 0; i < 40; ++i) s.m.Timer2Timer();
    EXPECT_EQ(s.m.toast, "");
}

TEST(SaveAndQuit, QuitAsksAndQuitWithoutSavingKeepsTheEarlierSave) {
    Saving s;
    s.gs.money = 100;
    s.m.BitBtn4Click();
    const std::string saved = s.my_dat();
    s.gs.money = 999;
    s.dialogs.answers = {false};
    s.m.BitBtn5Click();
    EXPECT_TRUE(s.screens.log.empty());
    s.m.BitBtn12Click();
    EXPECT_EQ(s.dialogs.log.back(), "ask:※「セーブせずに」ゲームを終了します。よろしいですか？");
    EXPECT_FALSE(s.gs.save_on_close);
    EXPECT_EQ(s.screens.log, std::vector<std::string>{"close:battle"});
    EXPECT_EQ(s.my_dat(), saved);

    Saving q;
    q.m.BitBtn5Click();
    EXPECT_EQ(q.dialogs.log,
              std::vector<std::string>{"ask:セーブしてゲームを終了します。よろしいですか？"});
    EXPECT_EQ(q.sound.log, (std::vector<std::string>{"step", "effect:mowa.wav"}));
    EXPECT_EQ(q.screens.log, std::vector<std::string>{"close:battle"});
    EXPECT_TRUE(q.gs.save_on_close);
}

TEST(SaveAndQuit, TheStageButtonsStayWithinTheStoryFiles) {
    Saving s;
    auto stage_file = [&](int n, const std::string& body) {
        std::ofstream(s.dir / "dat" / stage_file_name(n), std::ios::binary) << body;
    };
    std::string good;
    for (int i = 0; i < 5; ++i) good += "敵\r\n\r\n\r\n\r\n0\r\n0\r\n0\r\n\r\n";
    for (int i = 0; i < 100; ++i) good += "3\r\n\r\n";
    stage_file(19, good);
    stage_file(20, "敵\r\n\r\n\r\n\r\nthree\r\n");  // a word where the sex is due
    s.gs.stage_no = 18;
    s.m.Button15Click();
    EXPECT_EQ(s.gs.stage_no, 19);
    s.gs.script[0].code = 9;
    s.m.Button15Click();  // stage 20's file is broken: nothing changes
    EXPECT_EQ(s.gs.stage_no, 19);
    EXPECT_EQ(s.gs.script[0].code, 9);
    EXPECT_EQ(s.dialogs.log.size(), 1u);
    s.gs.stage_no = 5;
    s.m.Button16Click();
    EXPECT_EQ(s.gs.stage_no, 5);
    EXPECT_EQ(s.m.moji_l, "story4.dat が見つかりません。");
    s.gs.stage_no = 0;
    s.m.Button16Click();
    EXPECT_EQ(s.gs.stage_no, 0);
    s.gs.stage_no = 61;
    s.m.Button15Click();
    EXPECT_EQ(s.gs.stage_no, 61);
}

}  // namespace
}  // namespace lum
