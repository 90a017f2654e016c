#pragma once

// The effects of the techniques of families 1..18: squares relative to the actor (or to the
// chosen target), damage and heals applied without bounds (the status refresh clamps them and
// the end-of-action check knocks out), one result message each.

#include <vector>

#include "battle/battle_context.h"

namespace lum {

// What the resolution remembered before paying: the actor's 哀古 and square.
struct TechniqueStart {
    int a = 0;
    int x = 0, y = 0;
};

struct SquareOffset {
    int dx, dy;
    bool operator==(const SquareOffset&) const = default;
};

// The squares a technique strikes relative to its base (the actor, or the target for 魔術
// and 竜言語魔法; board squares for 占星術), in the order they are struck.
std::vector<SquareOffset> technique_squares(int family, int slot);

// Applies technique `slot` of `family`, sets player_result_msg and plays the family's sound.
// 飛法 4 (the armed warp) is handled by the resolution, not here.
void apply_technique_effect(BattleContext& ctx, int family, int slot, const TechniqueStart& s);

// Draws `target_unit` := 11 + r(5) until that slot is not empty; with every enemy slot empty
// the target stays as it was.
void draw_technique_target(GameState& gs);

}  // namespace lum
