#pragma once

// The data compiler: the readable UTF-8 sources under data/ become the positional CP932 files
// of dat/, and any dat file can be turned back into its source. Every dat file is produced by
// the very writer the game reads it with, so the two can never disagree about a layout.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/dat_text.h"

namespace lum::datc {

enum class Kind {
    Save,    // my.dat        <- save/my.toml
    Skills,  // magic.dat     <- tables/skills.toml
    Jobs,    // job.dat       <- tables/classes.toml
    Aiko,    // aiko.dat      <- tables/aiko.toml
    Names,   // name.dat      <- tables/names.toml
    Places,  // place.dat     <- tables/places.toml
    Oaths,   // tikai.dat     <- tables/oaths.toml
    Items,   // item.dat      <- tables/items.toml
    Stage,   // story<N>.dat  <- stages/story<N>.txt
    People,  // people<N>.dat <- people/people<N>.txt
};

// The kind of a dat file, by its name alone ("job.dat", "story12.dat"); nullopt for others.
std::optional<Kind> kind_of_dat(const std::string& file_name);
// The kind of a source file by its name ("classes.toml", "people3.txt"); nullopt for others.
std::optional<Kind> kind_of_source(const std::string& file_name);
// The dat file a source compiles to ("classes.toml" -> "job.dat", "story3.txt" -> "story3.dat").
std::string dat_name_for_source(const std::string& source_file_name);
// The source file a dat file decompiles to, the reverse of dat_name_for_source.
std::string source_name_for_dat(const std::string& dat_file_name);

// "file:line", or "file" when line is 0.
std::string file_line(const std::string& file, int line);
// "file:line: reason", or "file: reason" when the fault is not on one line.
std::string format_error(const DataError& e);

// Source text -> dat bytes. `name` is what error messages call the source. Throws DataError
// with the source's line on any fault. What compiles but would show badly in the game (a story
// text row that begins with a closing mark) is added to `warnings` as "file:line: warning: ...".
std::string compile(Kind kind, std::string_view source, const std::string& name,
                    std::vector<std::string>* warnings = nullptr);
// Dat bytes -> source text. Throws DataError when the dat file cannot be read.
std::string decompile(Kind kind, std::string_view dat, const std::string& name);

// Compiles every source under data_dir (tables/*.toml, save/my.toml, stages/story<N>.txt,
// people/people<N>.txt) into out_dir. A faulty file does not stop the others: every fault is
// returned, formatted, and nothing is written for a file that failed. Warnings of the files
// that compiled go to `warnings`.
std::vector<std::string> compile_dir(const std::filesystem::path& data_dir,
                                     const std::filesystem::path& out_dir,
                                     std::vector<std::string>* warnings = nullptr);

// Copies the compiled files from staging into the game's dat folder. my.dat and item.dat are
// the player's save (item.dat also holds the cards made in play), so they are copied only when
// the game folder has none yet; every other file is replaced. Returns the names copied.
std::vector<std::string> install_dat(const std::filesystem::path& staging,
                                     const std::filesystem::path& game_dat);

}  // namespace lum::datc
