#pragma once

// The two source languages behind datc::compile / datc::decompile.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "datc.h"
#include "state/game_state.h"

namespace lum::datc {

// A script source read into its enemies and entries, with the source line of each, so that
// later checks (the asset manifest) can point at the line that names a file.
struct ParsedScript {
    std::array<TEnemyEntry, kStageEnemies> enemies{};
    std::array<TScriptLine, kScriptLines> script{};
    std::array<int, kScriptLines> lines{};  // 0 for an entry not written
    struct EnemyLines {
        int block = 0;  // the "enemy N" line; 0 when the block is not written
        int name = 0;
        int sprite = 0;
        int portrait = 0;
        int job = 0;
    };
    std::array<EnemyLines, kStageEnemies> enemy_lines{};
    // "file:line: warning: ..." for what compiles but reads badly in the text box.
    std::vector<std::string> warnings;
};

// Stage and people scripts: enemy blocks and one command a line. Throws DataError.
ParsedScript parse_script(std::string_view source, const std::string& name, bool people);
std::string compile_script(std::string_view source, const std::string& name, bool people,
                           std::vector<std::string>* warnings = nullptr);
std::string decompile_script(std::string_view dat, const std::string& name, bool people);

// The master tables and the initial save, in TOML.
std::string compile_table(Kind kind, std::string_view source, const std::string& name);
std::string decompile_table(Kind kind, std::string_view dat, const std::string& name);

}  // namespace lum::datc
