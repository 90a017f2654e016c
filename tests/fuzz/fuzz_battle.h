#pragma once

// The ports a battle talks through, as fakes, and playing a started battle to its end or a
// bound: what the battle and place targets share.

#include <algorithm>
#include <functional>

#include "battle/battle_context.h"
#include "battle/battle_sim.h"
#include "battle/result_rewards.h"
#include "support/port_fakes.h"

namespace lum::fuzz {

struct BattlePorts {
    test::FakeDialogs dialogs;
    test::FakeSound sound;
    test::FakePacing pacing;
    test::FakeScreens screens;
    BattleContext ctx;

    BattlePorts(GameState& gs, bool answer) : ctx{gs, dialogs, sound, pacing, screens, {}} {
        dialogs.default_answer = answer;
    }

    // Steps a started battle at most `ticks` times; a won one then pays out and leaves its
    // result dialog as the dialog's button does.
    void play(int ticks, const std::function<void(BattleContext&)>& command) {
        for (int tick = 0; tick < ticks && ctx.w.battle_shown; ++tick)
            sim::step_battle(ctx, command);
        const auto& c = ctx.gs.chara;
        const bool won = std::all_of(c.begin() + kFirstEnemy, c.begin() + kLastEnemy + 1,
                                     [](const TChara& e) { return e.state == kStateEmpty; });
        if (!ctx.w.battle_shown && won) {
            grant_battle_rewards(ctx.gs, sound);
            leave_result_dialog(ctx.gs, sound, screens, ctx.w.result_caption);
        }
    }
};

}  // namespace lum::fuzz
