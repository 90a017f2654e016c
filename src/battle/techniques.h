#pragma once

// A party member's techniques: which families its class may open, which techniques its
// attributes unlock, the hover texts and target preview, and the resolution of a chosen
// technique (refusals, payment, the 哀古 drain, the 1-in-30 failure, the effect).

#include <array>
#include <string>

#include "battle/battle_context.h"

namespace lum {

inline constexpr int kCardKind = 111;

// The result of the 1-in-30 failure, and of a capture that did not take.
inline constexpr const char* kTechniqueMissText = "ミス！失敗してしまった！";
inline constexpr const char* kCaptureFailedText = "失敗した！";

// "体術", "魔術", ... by family number; sealed-sword skills 20..26 by their button captions;
// empty for numbers that are no family.
std::string family_caption(int family);
// The sound each family's effect plays ("" for カード, whose sound depends on the outcome).
std::string family_sound(int family);

// Technique `slot` (1..4) of `family` is open to `c`: every listed attribute (or the party's
// Ark) is strictly above its bound.
bool technique_unlocked(const GameState& gs, const TChara& c, int family, int slot);

// Families 1..15 that class `job` leaves enabled ([0] unused); 16 and 18 are never disabled.
std::array<bool, 16> families_enabled_for_class(int job);

// The highest item index of a held card, or -1.
int held_card(const GameState& gs);

// The Mp technique `slot` of `family` costs: 2s - 1 for 魔術..暗黒剣, 4s for 猫術..ダンス, else 0.
int technique_mp_cost(int family, int slot);
std::string technique_cost_text(int family, int slot);
std::string required_attributes_text(int family);

// `usu_b` / `spa_b`: open the normal or special family box for the acting member.
void open_normal_families(BattleContext& ctx);
void open_special_families(BattleContext& ctx);

// A family button wN: the technique panel `menu4` with the unlocked techniques named and the
// others shown as "？". Family 15 does nothing.
void open_technique_panel(BattleContext& ctx, int family);

// Pointer over technique button b<slot>: the texts and the target preview (which draws a
// fresh target for 魔術, 暗黒剣 1 and 竜言語魔法).
void point_at_technique(BattleContext& ctx, int slot);

// Pointer over the form background or a menu box: the hover texts clear, the panel follows the
// acting unit, and between actions the preview disappears.
void pointer_over_background(BattleContext& ctx);

// Click on technique button b<slot>.
void choose_technique(BattleContext& ctx, int slot);

// Resolves technique `slot` of `family` (1..18, or the sealed-sword skills 20..26) for the
// acting unit. A refusal keeps the turn open (player_phase stays 0).
void resolve_technique(BattleContext& ctx, int family, int slot);

}  // namespace lum
