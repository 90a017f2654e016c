// The game's own scripts: every stage and people file of the built game folder plays from
// entry 0 to an ending command with no script fault, answering every choice and party box.

#include <gtest/gtest.h>

#include <filesystem>

#include "state/data_files.h"
#include "story/story_model.h"
#include "story_fakes.h"

using namespace lum;
using namespace lum::test;

namespace {

// Plays the open scene like a patient player; returns the number of ticks it took.
int play_through(StoryModel& m, GameState& gs, LogScreens& screens) {
    int ticks = 0;
    while (m.shown() && ticks < 3000) {
        ++ticks;
        if (gs.people_mode)
            m.Timer1Timer();
        else
            m.Timer5Timer();
        m.Timer3Timer();
        m.finish_animation();
        if (m.ok_bb_visible) m.ok_bbClick();
        if (m.sel_box_visible) m.BitBtn6Click();
        if (m.sel_box2_visible) m.BitBtn2Click();
        if (m.party.visible) {
            m.party.class_click(0);
            m.party.attr_click(0);
            m.party.oath_click(1);
            m.party_ok_bClick();
        }
        if (!screens.log.empty() && screens.log.back() == "close:battle") break;
    }
    return ticks;
}

}  // namespace

TEST(StoryContent, EveryScriptOfTheGamePlaysToItsEnd) {
    const std::filesystem::path game = LUM_GAME_DIR;
    if (!std::filesystem::exists(game / "dat" / "story0.dat"))
        GTEST_SKIP() << "the game folder has no compiled data yet";
    GameState gs;
    gs.game_dir = game;
    ASSERT_NO_THROW(load_game(gs));
    PixelCanvas canvas;
    LogScreens screens;
    LogDialogs dialogs;
    LogSound sound;
    StoryModel m(gs, sound, screens, dialogs, canvas);
    m.FormCreate();

    for (const auto& [prefix, count] : {std::pair{"story", 62}, std::pair{"people", 30}}) {
        for (int n = 0; n < count; ++n) {
            const std::string name = prefix + std::to_string(n);
            screens.log.clear();
            dialogs.log.clear();
            for (int i = kFirstParty; i <= kLastReserve; ++i) gs.chara[i].state = i <= 2;
            ASSERT_TRUE(m.open_scene(name)) << (dialogs.log.empty() ? name : dialogs.log[0]);
            m.FormShow();
            int ticks = play_through(m, gs, screens);
            EXPECT_LT(ticks, 3000) << name << " never ends";
            EXPECT_TRUE(dialogs.log.empty()) << name << ": " << dialogs.log[0];
            ASSERT_FALSE(screens.log.empty()) << name;
            const std::string& last = screens.log.back();
            EXPECT_TRUE(last == "show:travel" || last == "close:battle") << name << " " << last;
        }
    }
}
