#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "battle/battle_clock.h"
#include "battle/battle_sim.h"

namespace lum::test {
namespace {

// Ten thousand whole battles through the real rules: none may hang, throw or stall for long.
TEST(Simulator, TenThousandBattlesFinish) {
    const sim::Totals t = sim::run_battles(10000, 1);
    EXPECT_EQ(t.battles, 10000);
    EXPECT_EQ(t.errors, 0) << t.first_error;
    EXPECT_EQ(t.wins + t.losses + t.timeouts, 10000);
    EXPECT_LT(t.timeouts, 100);
    EXPECT_GT(t.wins, 5000);
    EXPECT_GT(t.losses, 0);
    EXPECT_GT(t.damage_dealt, 0);
    EXPECT_GT(t.damage_taken, 0);
}

TEST(Simulator, SameSeedSameFigures) {
    EXPECT_EQ(sim::report(sim::run_battles(300, 42), 42),
              sim::report(sim::run_battles(300, 42), 42));
    EXPECT_NE(sim::report(sim::run_battles(300, 42), 42),
              sim::report(sim::run_battles(300, 43), 42));
    EXPECT_EQ(sim::run_battles(0, 1).battles, 0);
}

// The turn strip's forecast is the clock's own scan carried forward: over many whole battles,
// every turn it foretells is the turn then taken, as long as no unit's ability to act changed
// in between.
TEST(Simulator, ForecastTurnsAreTheTurnsTaken) {
    using Able = std::array<bool, 17>;
    struct Opening {
        int slot;
        Able able;
        std::vector<int> forecast;
    };
    std::vector<std::vector<Opening>> battles;
    int last_unit = -1, last_phase = 0;
    sim::run_battles(600, 11, [&](const BattleContext& ctx, long long b) {
        const GameState& gs = ctx.gs;
        if (b >= static_cast<long long>(battles.size())) {
            battles.emplace_back();
            last_unit = -1;
            last_phase = 0;
        }
        const int u = gs.cur_unit;
        const bool party = u >= kFirstParty && u <= kLastParty && u != last_unit;
        const bool enemy = u >= kFirstEnemy && u <= kLastEnemy && gs.enemy_phase == 1 &&
                           (u != last_unit || last_phase != 1);
        last_unit = u;
        last_phase = gs.enemy_phase;
        if (!party && !enemy) return;
        Able able{};
        for (int s = 1; s <= 16; ++s) {
            const int st = gs.chara[s].state;
            able[s] = st != kStateEmpty && st != kStateDown && st != kStatePetrified;
        }
        battles.back().push_back({u, able, upcoming_turns(gs, 6)});
    });
    ASSERT_EQ(battles.size(), 600u);

    long long compared = 0, turns = 0;
    for (const auto& openings : battles) {
        turns += static_cast<long long>(openings.size());
        for (std::size_t i = 0; i < openings.size(); ++i) {
            const Opening& o = openings[i];
            ASSERT_EQ(o.forecast.size(), 6u) << "a battle with somebody able to act";
            for (std::size_t j = 0; j < o.forecast.size(); ++j) {
                const std::size_t k = i + 1 + j;
                if (k >= openings.size() || openings[k].able != o.able) break;
                ASSERT_EQ(o.forecast[j], openings[k].slot)
                    << "turn " << k << ", foretold at turn " << i << " as number " << j + 1;
                ++compared;
            }
        }
    }
    EXPECT_GT(turns, 10000);
    EXPECT_GT(compared, 5 * turns / 2);
}

// The forecast by itself: party slots in order, the enemies, then round again; a unit down,
// petrified or absent is passed over, a spirit keeps its turns, and the roster member in slot 6
// is never a turn.
TEST(TurnForecast, FollowsTheClocksOrderFromWhereItStands) {
    GameState gs;
    for (int s : {1, 2, 4, 6, 11, 13, 15}) gs.chara[s].state = kStateNormal;
    gs.chara[2].state = kStateSpirit;
    gs.chara[3].state = kStateDown;
    gs.chara[12].state = kStatePetrified;
    gs.chara[15].state = kStateDown;
    gs.cur_unit = 0;
    EXPECT_EQ(upcoming_turns(gs, 7), (std::vector<int>{1, 2, 4, 11, 13, 1, 2}));
    gs.cur_unit = 4;
    EXPECT_EQ(upcoming_turns(gs, 3), (std::vector<int>{11, 13, 1}));
    gs.cur_unit = 10;  // the enemy half about to start
    EXPECT_EQ(upcoming_turns(gs, 2), (std::vector<int>{11, 13}));
    gs.cur_unit = 13;
    EXPECT_EQ(upcoming_turns(gs, 2), (std::vector<int>{1, 2}));

    // Nobody on one side: the other side's turns follow one another.
    for (int s : {11, 13}) gs.chara[s].state = kStateEmpty;
    gs.cur_unit = 2;
    EXPECT_EQ(upcoming_turns(gs, 4), (std::vector<int>{4, 1, 2, 4}));
    // Nobody at all: nothing to foretell, and no endless scan.
    for (int s : {1, 2, 4}) gs.chara[s].state = kStateDown;
    EXPECT_TRUE(upcoming_turns(gs, 4).empty());
}

}  // namespace
}  // namespace lum::test
