#pragma once

// The data files of the dat/ folder: the master tables, the save (my.dat + item.dat), the stage
// files story<N>.dat and the people files people<N>.dat. Every fault is a DataError naming the
// file, the line and the reason.

#include <string>
#include <vector>

#include "state/dat_text.h"
#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

// Reads my.dat, magic.dat, job.dat, aiko.dat, name.dat, place.dat, tikai.dat and item.dat, in
// that order, straight into the state: when a file fails, the tables read before it keep their
// new values and the later ones their old. A save interrupted by a crash is first finished or
// discarded (state/save_commit.h). When my.dat or item.dat cannot be read or ends before the
// game's own layout does, and the backup pair kept by the last save is whole, that pair is used
// whole and a notice says so; with no whole backup, a pair cut short loads what it holds (the
// rest as 0) with a notice. Either way `keep_backup_pair` is set, so the damaged pair never
// replaces the backup.
// Returns the notices for the player.
std::vector<std::string> load_game(GameState& gs);

// The notice of a load that found the last save interrupted before it counted.
inline constexpr const char* kInterruptedSaveNotice =
    "前回のセーブは途中で中断されたため、その前のセーブデータを読み込みました。";

// Writes my.dat and item.dat as one unit: after a crash at any moment the folder holds the
// previous pair or the new one, never one file of each; the previous pair is kept as
// my.dat.bak and item.dat.bak, unless `keep_backup_pair` says the pair on disk is damaged
// (the backup then stays; the flag is cleared by a save that succeeds). Throws DataError on
// failure.
void save_game(GameState& gs);

// load_game, then the new-game values, with the random draws in their fixed order, then
// load_stage for stage 0. Returns load_game's notices.
std::vector<std::string> new_game(GameState& gs);

// Reads dat/story<stage_no>.dat into stage_enemies and script.
void load_stage(GameState& gs);

// Reads dat/people<n>.dat into people_enemies and people_script, then people_mode := true.
void load_people(GameState& gs, int n);

std::string stage_file_name(int stage_no);
std::string people_file_name(int n);

// The single-file readers and writers, shared with the data compiler. Readers fill the state
// in place as they go.
void read_save(DatReader& r, GameState& gs);  // my.dat
void read_magic(DatReader& r, GameState& gs);
void read_job(DatReader& r, GameState& gs);
void read_aiko(DatReader& r, GameState& gs);
void read_name(DatReader& r, GameState& gs);
void read_place(DatReader& r, GameState& gs);
void read_tikai(DatReader& r, GameState& gs);
void read_item(DatReader& r, GameState& gs);
void read_enemies_and_script(DatReader& r, std::array<TEnemyEntry, kStageEnemies>& enemies,
                             std::array<TScriptLine, kScriptLines>& script);

void write_save(DatWriter& w, const GameState& gs);  // my.dat: characters 0..27
void write_magic(DatWriter& w, const GameState& gs);
void write_job(DatWriter& w, const GameState& gs);
void write_aiko(DatWriter& w, const GameState& gs);
void write_name(DatWriter& w, const GameState& gs);
void write_place(DatWriter& w, const GameState& gs);
void write_tikai(DatWriter& w, const GameState& gs);
void write_item(DatWriter& w, const GameState& gs);
void write_enemies_and_script(DatWriter& w, const std::array<TEnemyEntry, kStageEnemies>& enemies,
                              const std::array<TScriptLine, kScriptLines>& script);

// Runs a step that reads or writes data files; a fault is told to the player in a message box
// naming the file and the reason, and abandons the step. Returns whether it ran to the end.
template <typename F>
bool guarded_data_step(Dialogs& dialogs, F step) {
    try {
        step();
        return true;
    } catch (const DataError& e) {
        dialogs.inform(e.what());
        return false;
    }
}

}  // namespace lum
