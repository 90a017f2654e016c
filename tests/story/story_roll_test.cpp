// Title cards, the credits roll, faulty scripts, the additions for players and opening a
// scene by name.

#include <cstring>

#include "story_fixture.h"
#include "support/write_faults.h"

using namespace lum;
using namespace lum::test;
using Strings = std::vector<std::string>;

TEST_F(StoryTest, TitleOfTwentyBytesIsOneLineAt32Points) {
    gs.stage_no = 2;
    model.draw_title_card("あいうえおかきくけこ", StoryModel::Player::story);
    ASSERT_EQ(canvas.texts.size(), 1u);  // no subtitle at stage 2
    const auto& t = canvas.texts[0];
    EXPECT_EQ(t.picture, kBufferPicture);
    EXPECT_EQ(t.font, (Font{kFaceMinchoProportional, 43, true, true, kWhite}));
    // 20 bytes at 43 px: 430 wide, 53 high.
    EXPECT_EQ(t.x, 9);
    EXPECT_EQ(t.y, 133);
    EXPECT_EQ(canvas.at(kBufferPicture, 8, 140), kBlack);
    EXPECT_EQ(canvas.at(kBufferPicture, 9, 140), kWhite);
}

TEST_F(StoryTest, LongerTitleSplitsAtByte20At24PointsUnderItsSubtitle) {
    gs.stage_no = 11;
    model.draw_title_card("あいうえおかきくけこさし", StoryModel::Player::story);
    ASSERT_EQ(canvas.texts.size(), 3u);
    // 24 pt = 32 px: line 1 is 320 wide, the cell 40 high.
    EXPECT_EQ(canvas.texts[0].text, "あいうえおかきくけこ");
    EXPECT_EQ(canvas.texts[0].x, 64);
    EXPECT_EQ(canvas.texts[0].y, 120);
    EXPECT_EQ(canvas.texts[0].font.pixel_height, 32);
    EXPECT_EQ(canvas.texts[1].text, "さし");
    EXPECT_EQ(canvas.texts[1].x, 64);
    EXPECT_EQ(canvas.texts[1].y, 160);
    EXPECT_EQ(canvas.texts[2].text, "Velmora Ⅱ");
    EXPECT_EQ(canvas.texts[2].x, 64);
    EXPECT_EQ(canvas.texts[2].y, 106);
    EXPECT_EQ(canvas.texts[2].font, (Font{kFaceMinchoProportional, 13, true, true, kWhite}));
}

TEST_F(StoryTest, SubtitlesByStageAndNoneInTalkScenes) {
    const std::vector<std::pair<int, std::string>> cases = {
        {1, "Velmora Ⅰ"},  {11, "Velmora Ⅱ"}, {20, "Velmora Ⅲ"}, {32, "Velmora Ⅳ"},
        {40, "Velmora Ⅴ"}, {46, "Velmora Ⅵ"}, {53, "Velmora Ⅶ"}, {60, "Last Velmora"},
        {0, ""},           {2, ""},           {61, ""}};
    for (const auto& [stage, sub] : cases) EXPECT_EQ(chapter_subtitle(stage), sub) << stage;

    gs.stage_no = 1;
    model.draw_title_card("出会い", StoryModel::Player::story);
    ASSERT_EQ(canvas.texts.size(), 2u);
    // Left-aligned with the title, 14 pixels above its top.
    EXPECT_EQ(canvas.texts[1].x, canvas.texts[0].x);
    EXPECT_EQ(canvas.texts[1].y, canvas.texts[0].y - 14);

    canvas.texts.clear();
    model.draw_title_card("出会い", StoryModel::Player::talk);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_FALSE(canvas.texts[0].font.bold);
    EXPECT_TRUE(canvas.texts[0].font.italic);
}

TEST_F(StoryTest, CreditsRollTiming) {
    story({{25, "スタッフ"}, {0, "まんなか"}, {25, "end"}, {19, ""}});
    model.Timer5Timer();
    EXPECT_EQ(gs.scroll_row, 0);
    EXPECT_TRUE(model.timer3.enabled);
    EXPECT_EQ(model.timer5.interval_ms, 10);
    EXPECT_EQ(pos(), 0);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].x, 130);
    EXPECT_EQ(canvas.texts[0].y, 0);
    EXPECT_EQ(canvas.texts[0].font, (Font{kFaceMinchoProportional, 21, true, false, kWhite}));

    // 21 rows enter from the bottom, one a tick; story ticks between them draw nothing new.
    for (int i = 0; i < 21; ++i) {
        model.Timer3Timer();
        model.Timer5Timer();
    }
    EXPECT_EQ(gs.scroll_row, 21);
    EXPECT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.at(kMapPicture, 130, 299), kWhite);
    EXPECT_EQ(canvas.at(kMapPicture, 130, 319), kWhite);
    EXPECT_EQ(canvas.at(kMapPicture, 130, 298), kBlack);
    EXPECT_EQ(canvas.at(kMapPicture, 129, 310), kBlack);
    model.Timer3Timer();  // the 22nd clears the buffer and moves on
    EXPECT_EQ(gs.scroll_row, -1);
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(canvas.count(kBufferPicture, kWhite), 0);
    EXPECT_EQ(canvas.at(kMapPicture, 130, 298), kWhite);

    // A text line in the credits shows whole, without "→OK", and only once.
    model.Timer5Timer();
    EXPECT_FALSE(model.revealing());
    EXPECT_FALSE(model.ok_bb_visible);
    EXPECT_EQ(canvas.texts.size(), 5u);
    EXPECT_EQ(gs.script[1].code, 255);
    model.Timer5Timer();
    EXPECT_EQ(canvas.texts.size(), 5u);
    // It stays for a blank line's time: -1, 0..20, then the advance.
    for (int i = 0; i < 22; ++i) model.Timer3Timer();
    EXPECT_EQ(pos(), 1);
    model.Timer3Timer();
    EXPECT_EQ(pos(), 2);
    EXPECT_GT(canvas.count(kTextBoxPicture, kWhite), 0);

    // "end" clears portrait and text box, then the roll goes on 61 ticks.
    canvas.fill(kPortraitPicture, {0, 0, 128, 128}, kWhite);
    model.Timer5Timer();
    EXPECT_EQ(gs.scroll_row, 100);
    EXPECT_EQ(canvas.count(kPortraitPicture, kWhite), 0);
    EXPECT_EQ(canvas.count(kTextBoxPicture, kWhite), 0);
    for (int i = 0; i < 60; ++i) {
        model.Timer3Timer();
        model.Timer5Timer();
    }
    EXPECT_TRUE(model.timer3.enabled);
    EXPECT_EQ(gs.scroll_row, 160);
    EXPECT_EQ(pos(), 2);
    model.Timer3Timer();
    EXPECT_FALSE(model.timer3.enabled);
    EXPECT_EQ(gs.scroll_row, 0);
    EXPECT_EQ(pos(), 3);
    EXPECT_EQ(model.timer5.interval_ms, 10);  // until a code 8
    model.Timer5Timer();
    EXPECT_TRUE(model.sel_box2_visible);
}

TEST_F(StoryTest, OutOfRangeNumbersAreIgnoredWithAWarning) {
    gs.stage_no = 0;
    story({{10, "256"}, {11, "-1"}, {12, "513"}, {18, "31"}, {19, ""}});
    tick();
    EXPECT_EQ(pos(), 4);
    ASSERT_EQ(dialogs.log.size(), 4u);
    const std::string file = (dir / "dat" / "story0.dat").string();
    EXPECT_EQ(dialogs.log[0], "台本に誤りがあります。\r" + file +
                                  ": line 42: place flag 256 is outside 0..255; the command is "
                                  "ignored");
    EXPECT_EQ(dialogs.log[3], "台本に誤りがあります。\r" + file +
                                  ": line 48: character 31 is outside 0..30; the command is "
                                  "ignored");
    for (int i = 0; i < kCharaCount; ++i) EXPECT_EQ(gs.chara[i].state, 0);
    tick();
    EXPECT_TRUE(model.sel_box2_visible);
}

TEST_F(StoryTest, NonNumericArgumentIsReportedOnceAndSkipped) {
    gs.stage_no = 3;
    gs.money = 10;
    story({{13, ""}, {5, "十"}, {7, "12x"}, {19, ""}});
    tick();
    tick();
    EXPECT_EQ(gs.money, 10);
    EXPECT_EQ(gs.ark, 0);
    EXPECT_EQ(pos(), 3);
    const std::string file = (dir / "dat" / "story3.dat").string();
    EXPECT_EQ(dialogs.log, (Strings{"台本に誤りがあります。\r" + file +
                                        ": line 44: \"十\" is not a number; the command is skipped",
                                    "台本に誤りがあります。\r" + file +
                                        ": line 46: \"12x\" is not a number; the command is "
                                        "skipped"}));
    tick();
    EXPECT_EQ(dialogs.log.size(), 2u);
}

TEST_F(StoryTest, AScriptRunningPastItsLastEntryEndsTheScene) {
    story({});
    gs.script[98] = {13, ""};
    gs.script[99] = {0, "さいご"};
    gs.script_pos = 98;
    gs.people_mode = false;
    tick();
    tick();
    EXPECT_TRUE(model.ok_bb_visible);
    model.ok_bbClick();
    EXPECT_EQ(pos(), 99);
    EXPECT_EQ(screens.log, (Strings{"hide:story", "close:story", "show:travel"}));
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_EQ(dialogs.log[0], "台本に誤りがあります。\r" + (dir / "dat" / "story0.dat").string() +
                                  ": the script runs past its last entry without an ending "
                                  "command; the scene ends here");

    // In a talk scene people mode ends too.
    model.FormShow();
    screens.log.clear();
    talk({});
    gs.people_script[99] = {13, ""};
    gs.script_pos = 99;
    tick();
    EXPECT_FALSE(gs.people_mode);
    EXPECT_EQ(screens.log.back(), "show:travel");
}

TEST_F(StoryTest, AMissingNextStageIsReportedAndPlayReturnsToTravel) {
    gs.stage_no = 40;
    story({{3, ""}});
    tick();
    EXPECT_EQ(gs.stage_no, 41);
    EXPECT_EQ(screens.log, (Strings{"hide:story", "close:story", "show:travel"}));
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_EQ(dialogs.log[0].rfind("次のステージを読み込めませんでした。\r", 0), 0u);
    EXPECT_NE(dialogs.log[0].find("story41.dat"), std::string::npos);

    model.FormShow();
    screens.log.clear();
    dialogs.log.clear();
    story({{24, ""}, {19, ""}});
    tick();
    EXPECT_EQ(gs.stage_no, 42);
    EXPECT_EQ(screens.log, (Strings{"hide:story", "close:story", "show:travel"}));
    EXPECT_EQ(dialogs.log.size(), 1u);
    EXPECT_FALSE(model.sel_box2_visible);
}

TEST_F(StoryTest, ProceedCompletesALineThenPressesOk) {
    story({{0, "ながいながいぶん"}, {0, "つぎ"}, {19, ""}});
    model.Timer5Timer();
    EXPECT_TRUE(model.revealing());
    model.proceed();
    EXPECT_FALSE(model.revealing());
    EXPECT_TRUE(model.ok_bb_visible);
    EXPECT_EQ(canvas.texts.size(), 8u);
    EXPECT_EQ(pos(), 0);
    model.proceed();
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(sound.log, Strings{"step"});

    // H hides the text box; the next proceed only shows it again.
    model.Timer5Timer();
    model.finish_animation();
    model.toggle_text_box();
    EXPECT_TRUE(model.text_box_hidden);
    model.proceed();
    EXPECT_FALSE(model.text_box_hidden);
    EXPECT_EQ(pos(), 1);
    model.proceed();
    EXPECT_EQ(pos(), 2);
}

TEST_F(StoryTest, FastForwardRunsThroughTextAndStopsAtChoices) {
    story({{0, "いち"}, {0, "に"}, {4, ""}, {0, "さん"}});
    gs.skip_unread = true;  // lines never read are skipped too
    model.set_fast_forward(true);
    model.Timer5Timer();
    EXPECT_FALSE(model.animating());
    EXPECT_TRUE(model.ok_bb_visible);
    for (int i = 0; i < 5; ++i) model.Timer5Timer();
    EXPECT_EQ(pos(), 2);
    EXPECT_TRUE(model.sel_box_visible);
    EXPECT_EQ(sound.log, (Strings{"step", "step"}));
    model.set_fast_forward(false);
    model.BitBtn6Click();
    model.Timer5Timer();
    EXPECT_TRUE(model.revealing());
}

TEST_F(StoryTest, OpenSceneByName) {
    write_stage(12, {{0, "十二"}, {3, ""}});
    write_people(15, {{0, "十五"}, {17, ""}});
    gs.script_pos = 40;
    EXPECT_TRUE(model.open_scene("story12"));
    EXPECT_EQ(gs.stage_no, 12);
    EXPECT_FALSE(gs.people_mode);
    EXPECT_EQ(pos(), 0);
    EXPECT_EQ(gs.script[0].arg, "十二");
    EXPECT_EQ(screens.log, Strings{"show:story"});

    EXPECT_TRUE(model.open_scene("people15.dat"));
    EXPECT_TRUE(gs.people_mode);
    EXPECT_EQ(gs.people_script[0].arg, "十五");
    EXPECT_EQ(model.people_file, (dir / "dat" / "people15.dat").string());

    for (const char* bad : {"story", "people-1", "stage3", "story1x", ""}) {
        dialogs.log.clear();
        EXPECT_FALSE(model.open_scene(bad)) << bad;
        ASSERT_EQ(dialogs.log.size(), 1u);
        EXPECT_EQ(dialogs.log[0], std::string("場面の名前が正しくありません: ") + bad +
                                      "\r(story12 や people15 のように指定します)");
    }
    dialogs.log.clear();
    EXPECT_FALSE(model.open_scene("story44"));
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_NE(dialogs.log[0].find("story44.dat"), std::string::npos);
}

// ---------------------------------------------------------------- the comforts of story games

TEST_F(StoryTest, TheBacklogKeepsEveryLineOnceInOrderAcrossScenes) {
    story({{20, "第一章"}, {0, "ベン「やあ、旅の人」"}, {0, "風が吹いた。"}, {4, ""}, {0, "次"}});
    for (int i = 0; i < 3; ++i) {
        tick();
        if (model.ok_bb_visible) model.ok_bbClick();
    }
    tick();
    tick();  // the choice waits: it is entered once
    ASSERT_TRUE(model.sel_box_visible);
    model.BitBtn7Click();
    talk({{0, "ルクサ「こんにちは」"}, {17, ""}});
    tick();
    using L = BacklogLine;
    const std::deque<L> want = {{"", "第一章"},       {"ベン", "「やあ、旅の人」"},
                                {"", "風が吹いた。"}, {"", "【選択肢】はい／いいえ"},
                                {"", "→いいえ"},      {"ルクサ", "「こんにちは」"}};
    EXPECT_EQ(model.backlog.lines(), want);

    // The newest 300 lines are kept.
    Backlog b;
    for (int i = 0; i < 305; ++i) b.add_plain("行" + std::to_string(i));
    ASSERT_EQ(b.lines().size(), 300u);
    EXPECT_EQ(b.lines().front().text, "行5");
    EXPECT_EQ(b.lines().back().text, "行304");
}

TEST_F(StoryTest, TheBacklogFreezesTheSceneAndItGoesOnAtTheSameCharacter) {
    story({{0, "あいうえおかきくけこ"}, {0, "次"}});
    model.Timer5Timer();
    for (int i = 0; i < 4; ++i) model.step_animation();
    const int at = gs.char_pos;
    ASSERT_GT(at, 0);
    model.open_backlog();
    model.step_animation();
    model.Timer5Timer();
    model.proceed();  // Enter while reading the backlog does nothing to the scene
    EXPECT_EQ(gs.char_pos, at);
    EXPECT_TRUE(model.revealing());
    model.right_click();
    EXPECT_FALSE(model.backlog_open());
    EXPECT_FALSE(model.text_box_hidden);
    model.step_animation();
    EXPECT_EQ(gs.char_pos, at + 1);
}

TEST_F(StoryTest, AutoModeWaitsByTheLinesLengthAndStopsWhereThePlayerIsNeeded) {
    EXPECT_EQ(auto_pause_ms(1, 5), 1100);
    EXPECT_EQ(auto_pause_ms(20, 1), 1400);
    EXPECT_EQ(auto_pause_ms(20, 9), 4600);
    story({{0, "あ"}, {0, "あいうえおかきくけこさしすせそたちつてと"}, {4, ""}, {9, "仲間"}});
    model.toggle_auto();
    tick();
    int ms = 0;
    for (; pos() == 0 && ms < 10000; ms += 100) model.auto_tick(100);
    EXPECT_EQ(ms, 1100);
    tick();
    for (ms = 0; pos() == 1 && ms < 10000; ms += 100) model.auto_tick(100);
    EXPECT_EQ(ms, 3000);
    tick();  // the choice
    EXPECT_FALSE(model.auto_mode());

    // The party box stops it too, and a click of the player's.
    model.BitBtn6Click();
    model.toggle_auto();
    tick();
    EXPECT_TRUE(model.party.visible);
    EXPECT_FALSE(model.auto_mode());
    model.toggle_auto();
    model.proceed();
    EXPECT_FALSE(model.auto_mode());
}

TEST_F(StoryTest, SkipRunsThroughReadLinesOnlyAndTheRecordLastsAcrossRuns) {
    write_stage(3, {{0, "いち"}, {0, "に"}, {0, "さん"}, {0, "し"}, {3, ""}});
    gs.stage_no = 3;
    // First time: the first two lines are read.
    ASSERT_TRUE(model.open_scene("story3"));
    model.FormShow();
    for (int i = 0; i < 2; ++i) {
        tick();
        model.ok_bbClick();
    }
    model.save_read_record();
    ASSERT_TRUE(fs::exists(dir / "dat" / ReadRecord::kFileName));

    // A later run replays the stage: スキップ passes what was read and ends at the first
    // line not read, which appears as usual.
    StoryModel again{gs, sound, screens, dialogs, canvas};
    again.FormCreate();
    ASSERT_TRUE(again.open_scene("story3"));
    again.FormShow();
    again.toggle_skip();
    for (int i = 0; i < 4; ++i) again.Timer5Timer();
    EXPECT_EQ(pos(), 2);
    EXPECT_FALSE(again.skip_mode());
    EXPECT_FALSE(again.ok_bb_visible);
    EXPECT_TRUE(again.revealing());

    // Ctrl with 未読もスキップする runs through everything.
    again.finish_animation();
    gs.skip_unread = true;
    again.set_fast_forward(true);
    for (int i = 0; i < 3; ++i) again.Timer5Timer();
    EXPECT_EQ(pos(), 4);
}

TEST_F(StoryTest, ADamagedReadRecordIsSetAsideWithOneNotice) {
    const fs::path file = dir / "dat" / ReadRecord::kFileName;
    std::ofstream(file) << "luminaria read lines 1\nstory3 0101\n";
    StoryModel again{gs, sound, screens, dialogs, canvas};
    again.FormCreate();
    ASSERT_EQ(dialogs.log.size(), 1u);
    EXPECT_EQ(dialogs.log[0],
              "既読の記録（" + file.string() +
                  "）が壊れていたため、「read_lines.txt.bad」として残し、新しく作り直"
                  "します。\r(line 2: not \"story<N>\" or \"people<N>\" and 100 "
                  "marks of 0 or 1)");
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(fs::exists(file.string() + ".bad"));
    // A record that cannot even be read as text is set aside the same way.
    std::ofstream(file) << "";
    std::string notice;
    ReadRecord::load(file, notice);
    EXPECT_NE(notice.find("the file is empty"), std::string::npos);
}

TEST_F(StoryTest, AReadRecordThatCannotBeWrittenIsToldAndTheOldOneKept) {
    story({{0, "いち"}, {17, ""}});
    tick();
    model.save_read_record();
    const fs::path file = model.read_record_file();
    const std::string before = read_file_bytes(file);
    story({{0, "に"}, {17, ""}});
    gs.stage_no = 1;
    tick();
    for (int err : kWriteErrors) {
        dialogs.log.clear();
        {
            WriteFaultAt fault(0, err);
            model.save_read_record();
        }
        ASSERT_EQ(dialogs.log.size(), 1u);
        EXPECT_EQ(dialogs.log[0], "既読の記録を保存できませんでした。\r" + file.string() +
                                      ": cannot write the file: " + std::strerror(err));
        EXPECT_EQ(read_file_bytes(file), before);
    }
    model.save_read_record();
    EXPECT_NE(read_file_bytes(file), before);
}
