#pragma once

// Where the game's files are. The game folder (dat/, cg/, mid/) is read-only for an installed
// game; the save (my.dat, item.dat and their backups) then lives in the player's own data
// folder, started from the save shipped in the game folder. A portable game folder that can
// be written keeps its save in its own dat/, as it always has.

#include <filesystem>
#include <functional>
#include <string>

namespace lum {

// The game folder for a program in `exe_dir`: exe_dir itself when it holds dat/ (a portable
// or build folder), else ../share/luminaria of an installed program; empty when neither holds
// dat/.
std::filesystem::path find_game_folder(const std::filesystem::path& exe_dir);

// The folder that holds the running program (from /proc/self/exe).
std::filesystem::path executable_folder();

// $XDG_DATA_HOME/luminaria, or ~/.local/share/luminaria; a relative XDG_DATA_HOME is ignored,
// as the base directory rules say. Empty when neither variable gives a folder.
std::filesystem::path user_save_folder();

struct SaveLocation {
    std::filesystem::path folder;  // holds my.dat and item.dat
    bool portable = true;          // the game folder's own dat/
    // For stderr, once: why the save is not where a portable game keeps it. Empty when the
    // place is the expected one.
    std::string notice;
};

struct SaveRuleInputs {
    std::filesystem::path game_dir;
    bool installed = false;             // the game folder is an install's share/luminaria
    std::filesystem::path user_folder;  // user_save_folder()
    // Whether a folder can take new files; the real check by default.
    std::function<bool(const std::filesystem::path&)> writable;
};

// The rule: an installed game, or a game folder whose dat/ cannot be written, saves in the
// user's folder; any other saves in game_dir/dat.
SaveLocation choose_save_location(const SaveRuleInputs& in);

// access(W_OK) on the folder.
bool folder_writable(const std::filesystem::path& dir);

// Makes the save folder ready: for a folder other than game_dir/dat that holds no save yet
// (neither my.dat nor my.dat.bak), creates it and copies my.dat and item.dat from
// game_dir/dat, item.dat first and my.dat last, each through a temporary file renamed into
// place, so an interrupted first run is simply done again. False, with the reason, when the
// folder cannot be made or the shipped save cannot be copied. `copied` tells whether this
// run made the first copy.
bool prepare_save_folder(const SaveLocation& where, const std::filesystem::path& game_dir,
                         std::string* why, bool* copied = nullptr);

}  // namespace lum
