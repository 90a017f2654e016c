#pragma once

// Setting up a battle: the common opening, the three ways of filling the enemy slots 11..15,
// random enemy names, and the occupancy rebuild of the unit drawing step.

#include <string>
#include <vector>

#include "battle/battle_context.h"

namespace lum {

enum class BattleKind { story, region, random };

// The 92 two-byte pieces random names are built from (each full-width kana, or a pair of
// half-width kana).
const std::vector<std::string>& name_syllables();

// Entry r(226) of the name table, or with r(100) = 1 four syllables r(96) each; pieces 92..95
// are empty.
std::string random_enemy_name(GameState& gs);

// The n of cg/char<n>.bmp for a party unit; -1 for a down unit.
int party_picture_number(const std::string& name, int state, int stage_no);
std::string party_picture_file(const TChara& c, int stage_no);
std::string enemy_class_picture(int job);  // unit<job>.bmp

// The three battle starts; each ends with the first party turn offered and both battle timers
// on. A story or region battle whose enemies speak shows the first line instead and leaves
// `speech_running` set: speech_tick, every speech_interval_ms, shows the next line and after
// the last one opens the first turn.
void start_story_battle(BattleContext& ctx);
void start_region_battle(BattleContext& ctx);
void start_random_battle(BattleContext& ctx);

// The portrait `my_cg` shows while the enemies speak.
inline constexpr const char* kOpeningPortrait = "my0.bmp";

// One step of the speech before a battle; false once the first turn has been opened.
bool speech_tick(BattleContext& ctx);
int speech_interval_ms(const GameState& gs);  // 3 x speed_ms

// Places the unit pictures and HP labels and rebuilds `grid` from slots 0..20; does nothing
// while the battle screen is hidden.
void draw_units(BattleContext& ctx);

// The 50 ms board redraw (`Timer1`): the board stays frozen while an action's messages show.
void redraw_tick(BattleContext& ctx);

}  // namespace lum
