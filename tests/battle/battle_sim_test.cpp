#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lum::test
