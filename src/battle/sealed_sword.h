#pragma once

// The sealed-sword skills (families 20..26), paid with 20 of the oath counter. Five work on the
// unit right in front of the member and scale with that unit's own values.

#include <string>

#include "battle/battle_context.h"
#include "battle/effects.h"

namespace lum {

inline constexpr int kFirstSealed = 20, kLastSealed = 26;

// `Button23`: opens `ken_box` and forgets the chosen family.
void open_sealed_sword_box(BattleContext& ctx);

// Which sealed-sword buttons are enabled (and ジェット visible) for the learned skills.
struct SealedButtons {
    std::array<bool, 27> enabled{};  // [20..26]
    bool jet_visible = false;
};
SealedButtons sealed_sword_buttons(const GameState& gs);

// w20..w26 hover: the two texts and the preview around the acting member.
void point_at_sealed_sword(BattleContext& ctx, int family);

// w20..w26 click.
void choose_sealed_sword(BattleContext& ctx, int family);

// The skill's effect after the common payment; sets both messages (the act message only where
// the skill has its own).
void apply_sealed_sword(BattleContext& ctx, int family, const TechniqueStart& s);

}  // namespace lum
