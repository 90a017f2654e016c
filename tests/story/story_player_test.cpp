// The story and talk players: order of tests within a tick, each command's effect, the text
// reveal, the choices and the ends of a scene.

#include "story_fixture.h"

using namespace lum;
using namespace lum::test;
using Strings = std::vector<std::string>;

namespace {

const std::string k18 = "あいうえおかきくけこさしすせそたちつ";  // 18 characters, 36 bytes

}  // namespace

TEST_F(StoryTest, AdvancingCommandsRunInOneTickAndTextWaitsForTheNext) {
    canvas.files[dir / "cg" / "bg1.bmp"] = {{112, 80}, {0, 0, 200}};
    canvas.files[dir / "cg" / "face.bmp"] = {{96, 96}, {0, 200, 0}};
    story({{1, "bg1.bmp"}, {14, "face.bmp"}, {2, "song.mid"}, {0, "はい"}, {3, ""}});

    model.Timer5Timer();
    // The wipe holds the tick: its first strip is drawn, the portrait is not loaded yet.
    EXPECT_TRUE(model.animating());
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(canvas.at(kMapPicture, 7, 10), (Color{0, 0, 200}));
    EXPECT_EQ(canvas.at(kMapPicture, 8, 10), kBlack);
    EXPECT_EQ(model.pending_ms(), 56 * kRepaintFrameMs);
    model.finish_animation();

    EXPECT_EQ(pos(), 3);
    EXPECT_EQ(sound.log, Strings{"music:song.mid"});
    EXPECT_EQ(canvas.at(kPortraitPicture, 50, 50), (Color{0, 200, 0}));
    EXPECT_EQ(canvas.at(kMapPicture, 447, 319), (Color{0, 0, 200}));  // 4 x 4 per source pixel
    EXPECT_FALSE(model.ok_bb_visible);
    EXPECT_TRUE(canvas.texts.empty());

    model.Timer5Timer();
    EXPECT_TRUE(model.revealing());
    EXPECT_EQ(canvas.texts.size(), 1u);
}

TEST_F(StoryTest, ACommandTestedBeforeTheCurrentOneWaitsForTheNextTick) {
    canvas.files[dir / "cg" / "bg1.bmp"] = {{112, 80}, {9, 9, 9}};
    story({{2, "a.mid"}, {1, "bg1.bmp"}, {13, ""}, {19, ""}});
    tick();
    // Music is tested after the background, so the background waits; 13 and 19 come later.
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(sound.log, Strings{"music:a.mid"});
    tick();
    // 13 ran after the background; 19 is tested before 13 and waits once more.
    EXPECT_EQ(pos(), 3);
    EXPECT_FALSE(model.sel_box2_visible);
    tick();
    EXPECT_TRUE(model.sel_box2_visible);
}

TEST_F(StoryTest, TextIsRevealedOnTheSeventeenColumnGridOneCharacterPerDelay) {
    story({{0, k18}, {13, ""}});
    gs.char_delay_ms = 30;
    model.Timer5Timer();
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "あ");
    // 17 more characters, the empty step after the last one, then "→OK".
    EXPECT_EQ(model.pending_ms(), 19 * 30);
    EXPECT_EQ(model.next_pause_ms(), 30);
    for (int i = 0; i < 18; ++i) {
        EXPECT_FALSE(model.ok_bb_visible);
        model.step_animation();
    }
    EXPECT_FALSE(model.ok_bb_visible);
    EXPECT_EQ(gs.char_pos, 19);
    model.step_animation();
    EXPECT_TRUE(model.ok_bb_visible);
    EXPECT_FALSE(model.revealing());

    ASSERT_EQ(canvas.texts.size(), 18u);
    EXPECT_EQ(canvas.texts[16].text, "ち");
    EXPECT_EQ(canvas.texts[16].x, 288);
    EXPECT_EQ(canvas.texts[16].y, 0);
    EXPECT_EQ(canvas.texts[17].text, "つ");
    EXPECT_EQ(canvas.texts[17].x, 0);
    EXPECT_EQ(canvas.texts[17].y, 20);
    EXPECT_EQ(canvas.texts[17].picture, kTextBoxPicture);
    EXPECT_EQ(canvas.texts[17].font, (Font{kFaceGothicFixed, 16, true, false, kWhite}));
    EXPECT_EQ(pos(), 0);

    // Later ticks draw nothing more; "→OK" goes on.
    tick();
    EXPECT_EQ(canvas.texts.size(), 18u);
    model.ok_bbClick();
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(gs.char_pos, 0);
    EXPECT_FALSE(model.ok_bb_visible);
    EXPECT_EQ(sound.log, Strings{"step"});
    EXPECT_EQ(canvas.count(kTextBoxPicture, kWhite), 0);  // cleared for the next line
}

TEST_F(StoryTest, OkBeforeTheSceneEndLeavesTheTextForTheClosingEffect) {
    write_stage(5, {{0, "つぎ"}, {17, ""}});
    gs.stage_no = 4;
    story({{0, "おわり"}, {3, ""}});
    tick();
    const int white = canvas.count(kTextBoxPicture, kWhite);
    EXPECT_GT(white, 0);
    model.ok_bbClick();
    EXPECT_EQ(canvas.count(kTextBoxPicture, kWhite), white);

    model.Timer5Timer();
    // Sixteen rounds 50 ms apart, then 50 ms more before the stage changes.
    EXPECT_EQ(model.pending_ms(), 16 * 50);
    EXPECT_EQ(gs.stage_no, 4);
    EXPECT_EQ(canvas.at(kTextBoxPicture, 0, 0), kBlack);  // the top row slid down
    EXPECT_EQ(canvas.at(kTextBoxPicture, 0, 1), kWhite);
    model.step_animation();
    // Each round slides what the last one left: 1 + 2 pixels so far.
    EXPECT_EQ(canvas.at(kTextBoxPicture, 0, 2), kBlack);
    EXPECT_EQ(canvas.at(kTextBoxPicture, 0, 3), kWhite);
    EXPECT_EQ(canvas.at(kTextBoxPicture, 0, 22), kWhite);
    EXPECT_EQ(canvas.at(kTextBoxPicture, 0, 23), kBlack);
    EXPECT_EQ(gs.stage_no, 4);
    model.finish_animation();
    EXPECT_EQ(canvas.count(kTextBoxPicture, kWhite), 0);  // slid out of the box
    EXPECT_EQ(gs.stage_no, 5);
    EXPECT_EQ(gs.script[0].arg, "つぎ");
    EXPECT_EQ(screens.log, (Strings{"hide:story", "close:story", "show:travel"}));
    EXPECT_FALSE(model.shown());
    const size_t texts = canvas.texts.size();
    tick();  // a hidden screen plays nothing
    EXPECT_EQ(canvas.texts.size(), texts);
}

TEST_F(StoryTest, NoInTheChoiceSkipsAStageAndTheSceneEndAddsAnother) {
    write_stage(9, {{0, "九"}, {3, ""}});
    gs.stage_no = 7;
    gs.ark = 10;
    story({{4, ""}, {5, "100"}, {3, ""}});
    tick();
    EXPECT_TRUE(model.sel_box_visible);
    EXPECT_EQ(pos(), 0);
    tick();
    EXPECT_EQ(pos(), 0);
    model.BitBtn7Click();
    EXPECT_EQ(gs.stage_no, 8);
    EXPECT_EQ(gs.ark, 60);
    EXPECT_FALSE(model.sel_box_visible);
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(sound.log, Strings{"ok"});
    EXPECT_EQ(gs.script[1].code, 5);  // the same script goes on
    tick();
    EXPECT_EQ(gs.money, 100);
    EXPECT_EQ(gs.stage_no, 8);
    tick();
    EXPECT_EQ(gs.stage_no, 9);  // story9.dat, two above the stage played
    EXPECT_EQ(gs.script[0].arg, "九");
}

TEST_F(StoryTest, YesAndThePlainChoiceOnlyGoOn) {
    story({{4, ""}, {19, ""}, {19, ""}, {13, ""}});
    gs.stage_no = 3;
    tick();
    model.BitBtn6Click();
    tick();
    EXPECT_TRUE(model.sel_box2_visible);
    model.BitBtn2Click();
    tick();
    model.BitBtn3Click();
    EXPECT_EQ(pos(), 3);
    EXPECT_EQ(gs.stage_no, 3);
    EXPECT_EQ(gs.ark, 0);
    EXPECT_EQ(sound.log, (Strings{"ok", "ok", "ok"}));
}

TEST_F(StoryTest, MoneyArkFlagsItemsAndMembers) {
    gs.money = 5;
    gs.chara[4].state = 1;
    gs.place_flags[7] = 1;
    story({{5, "120"},
           {7, "-3"},
           {10, "200"},
           {11, "7"},
           {12, "512"},
           {18, "4"},
           {13, "なにもない"},
           {19, ""}});
    tick();
    // 13 is tested before 18, so it waits for the next tick.
    EXPECT_EQ(pos(), 6);
    tick();
    EXPECT_EQ(gs.money, 125);
    EXPECT_EQ(gs.ark, -3);
    EXPECT_EQ(gs.place_flags[200], 1);
    EXPECT_EQ(gs.place_flags[7], 0);
    EXPECT_EQ(gs.item_owned[512], 1);
    EXPECT_EQ(gs.chara[4].state, 0);
    EXPECT_EQ(pos(), 7);
    EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(StoryTest, SkillFamiliesOneTeachesTwoToFiveAndOnlySixToFiftyStand) {
    for (const auto& [arg, taught] : std::vector<std::pair<std::string, std::vector<int>>>{
             {"1", {2, 3, 4, 5}}, {"6", {6}}, {"50", {50}}, {"3", {}}, {"51", {}}, {"0", {}}}) {
        gs.skill_flags = {};
        story({{16, arg}, {19, ""}});
        tick();
        std::vector<int> set;
        for (int i = 0; i < kSkillFamilies; ++i)
            if (gs.skill_flags[i]) set.push_back(i);
        EXPECT_EQ(set, taught) << arg;
        EXPECT_EQ(pos(), 1) << arg;
    }
}

TEST_F(StoryTest, PauseTogglesTheOwnTimer) {
    story({{8, ""}, {13, ""}, {8, ""}, {19, ""}});
    tick();
    EXPECT_EQ(model.timer5.interval_ms, 4000);
    EXPECT_EQ(pos(), 2);  // the second 8 was tested before 13 came up
    tick();
    EXPECT_EQ(model.timer5.interval_ms, 100);
    EXPECT_EQ(model.timer1.interval_ms, 100);

    talk({{8, ""}, {19, ""}});
    tick();
    EXPECT_EQ(model.timer1.interval_ms, 2000);
    EXPECT_EQ(model.timer5.interval_ms, 100);
}

TEST_F(StoryTest, NextStageInPlaceGoesOnAtEntryZeroInTheSameTick) {
    write_stage(6, {{10, "33"}, {0, "つづき"}, {3, ""}});
    gs.stage_no = 5;
    story({{24, ""}, {0, "むし"}});
    gs.script_pos = 0;
    tick();
    EXPECT_EQ(gs.stage_no, 6);
    // Code 10 is tested after 24, so the new entry 0 already ran.
    EXPECT_EQ(gs.place_flags[33], 1);
    EXPECT_EQ(pos(), 1);
    EXPECT_TRUE(screens.log.empty());
    tick();
    EXPECT_EQ(canvas.texts.front().text, "つ");
}

TEST_F(StoryTest, QuitCodeAndTheQuitButtonEndWithoutSaving) {
    gs.save_on_close = true;
    story({{6, ""}});
    tick();
    EXPECT_FALSE(gs.save_on_close);
    EXPECT_FALSE(model.timer5.enabled);
    EXPECT_EQ(screens.log, Strings{"close:battle"});

    screens.log.clear();
    gs.save_on_close = true;
    model.BitBtn1Click();
    EXPECT_FALSE(gs.save_on_close);
    EXPECT_EQ(screens.log, Strings{"close:battle"});
}

TEST_F(StoryTest, StoryEndWithoutStageChange) {
    gs.stage_no = 12;
    story({{17, ""}, {19, ""}});
    tick();
    EXPECT_EQ(screens.log, (Strings{"hide:story", "close:story", "show:travel"}));
    EXPECT_EQ(gs.stage_no, 12);
    EXPECT_FALSE(model.sel_box2_visible);  // 17 ends the tick
}

TEST_F(StoryTest, TalkPlayerDifferences) {
    canvas.files[dir / "cg" / "f.bmp"] = {{128, 128}, {1, 2, 3}};
    // 6 ends the tick without effect and the talk player stays on it.
    talk({{6, ""}, {19, ""}});
    gs.save_on_close = true;
    tick();
    EXPECT_EQ(pos(), 0);
    EXPECT_TRUE(gs.save_on_close);
    EXPECT_TRUE(screens.log.empty());
    EXPECT_FALSE(model.sel_box2_visible);

    // The story player does not run while people_mode is set, and the reverse.
    talk({{13, ""}, {19, ""}});
    model.Timer5Timer();
    EXPECT_EQ(pos(), 0);
    story({{13, ""}, {19, ""}});
    model.Timer1Timer();
    EXPECT_EQ(pos(), 0);

    // The talk player clears the text box after 2, 10, 11, 13, 14, 16 and 18; the story
    // player only after 5 and 7.
    for (byte code : {2, 10, 11, 13, 14, 16, 18, 5, 7}) {
        for (bool talking : {true, false}) {
            std::string arg = code == 2 ? "x.mid" : code == 14 ? "f.bmp" : "3";
            if (talking)
                talk({{code, arg}, {19, ""}});
            else
                story({{code, arg}, {19, ""}});
            canvas.fill(kTextBoxPicture, {0, 0, 10, 10}, kWhite);
            tick();
            bool cleared = canvas.at(kTextBoxPicture, 5, 5) == kBlack;
            EXPECT_EQ(cleared, talking || code == 5 || code == 7) << int(code) << " " << talking;
            EXPECT_EQ(pos(), 1);
        }
    }

    // 17 slides the text away first, then leaves people mode.
    talk({{17, ""}});
    screens.log.clear();
    model.Timer1Timer();
    EXPECT_TRUE(model.animating());
    EXPECT_EQ(model.pending_ms(), 16 * 50);
    EXPECT_TRUE(gs.people_mode);
    model.finish_animation();
    EXPECT_FALSE(gs.people_mode);
    EXPECT_EQ(screens.log, (Strings{"hide:story", "close:story", "show:travel"}));
}

TEST_F(StoryTest, StoryOnlyCodesDoNothingInTheTalkPlayer) {
    for (byte code : {3, 23, 24, 25}) {
        talk({{code, "x"}, {19, ""}});
        tick();
        EXPECT_EQ(pos(), 0) << int(code);
        EXPECT_FALSE(model.sel_box2_visible);
        EXPECT_TRUE(screens.log.empty());
    }
    // An unknown code holds the player too.
    story({{99, ""}, {19, ""}});
    tick();
    EXPECT_EQ(pos(), 0);
}

TEST_F(StoryTest, ShowingTheScreenStopsTheMusicAndBlanksThePicture) {
    canvas.files[dir / "cg" / "my0.bmp"] = {{128, 128}, {7, 7, 7}};
    canvas.fill(kMapPicture, {0, 0, 448, 320}, kWhite);
    model.ok_bb_visible = true;
    model.party.job_about_l = "x";
    model.FormShow();
    EXPECT_EQ(sound.log, Strings{"music:not"});
    EXPECT_EQ(canvas.count(kMapPicture, kWhite), 0);
    EXPECT_FALSE(model.ok_bb_visible);
    EXPECT_EQ(model.party.job_about_l, "");
    EXPECT_EQ(canvas.at(kPortraitPicture, 0, 0), (Color{7, 7, 7}));
}

TEST_F(StoryTest, MissingPicturesAreSkipped) {
    canvas.files[dir / "cg" / "face.bmp"] = {{128, 128}, {0, 200, 0}};
    story({{14, "face.bmp"}, {19, ""}});
    tick();
    story({{1, "nothere.bmp"}, {14, "nothere.bmp"}, {19, ""}});
    tick();
    EXPECT_EQ(pos(), 2);
    EXPECT_EQ(canvas.at(kPortraitPicture, 0, 0), (Color{0, 200, 0}));
    EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(StoryTest, EffectsOnThePicture) {
    // Zoom: each step enlarges the previous result around the centre.
    canvas.fill(kMapPicture, {0, 0, 448, 320}, kBlack);
    canvas.fill(kMapPicture, {200, 140, 248, 180}, kWhite);
    bool cleared = false;
    model.clear_battle_map = [&] { cleared = true; };
    story({{21, ""}, {19, ""}});
    model.Timer5Timer();
    EXPECT_TRUE(cleared);
    EXPECT_EQ(model.pending_ms(), 15 * kRepaintFrameMs);
    model.finish_animation();
    EXPECT_EQ(canvas.at(kMapPicture, 224, 160), kWhite);
    EXPECT_EQ(canvas.at(kMapPicture, 120, 100), kWhite);  // grown well beyond 200..248
    EXPECT_EQ(canvas.at(kMapPicture, 5, 5), kBlack);
    EXPECT_TRUE(model.sel_box2_visible);

    // Zoom and close: the black box grows from the centre until it covers the picture.
    canvas.fill(kMapPicture, {0, 0, 448, 320}, kWhite);
    story({{22, ""}});
    model.Timer5Timer();
    EXPECT_EQ(model.pending_ms(), (15 + 29) * kRepaintFrameMs);
    for (int i = 0; i < 16; ++i) model.step_animation();  // the zoom, then the first box
    EXPECT_EQ(canvas.count(kMapPicture, kBlack), 0);      // n = 28 and 27 are empty boxes
    model.step_animation();
    model.step_animation();
    EXPECT_EQ(canvas.at(kMapPicture, 208, 156), kBlack);
    EXPECT_EQ(canvas.at(kMapPicture, 239, 163), kBlack);
    EXPECT_EQ(canvas.at(kMapPicture, 207, 160), kWhite);
    EXPECT_EQ(canvas.at(kMapPicture, 224, 164), kWhite);
    model.finish_animation();
    EXPECT_EQ(canvas.count(kMapPicture, kWhite), 0);
    EXPECT_EQ(canvas.count(kBufferPicture, kWhite), 0);
}

TEST_F(StoryTest, TitleCardAtOnceAndWithWipe) {
    gs.stage_no = 1;
    canvas.fill(kPortraitPicture, {0, 0, 128, 128}, kWhite);
    story({{23, "はじまり"}, {19, ""}});
    model.Timer5Timer();
    EXPECT_FALSE(model.animating());
    EXPECT_EQ(canvas.count(kPortraitPicture, kWhite), 0);
    // Title at 43 px: 8 bytes x 43 / 2 = 172 wide, 53 high.
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[0].x, 138);
    EXPECT_EQ(canvas.texts[0].y, 133);
    EXPECT_EQ(canvas.at(kMapPicture, 140, 133), kWhite);  // copied in one step

    canvas.texts.clear();
    story({{20, "二章"}, {19, ""}});
    model.Timer5Timer();
    EXPECT_TRUE(model.animating());
    EXPECT_EQ(model.pending_ms(), 56 * kRepaintFrameMs);
    model.finish_animation();
    EXPECT_EQ(canvas.texts.size(), 2u);
    EXPECT_TRUE(model.sel_box2_visible);
}
