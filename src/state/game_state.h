#pragma once

// The one game state every screen shares. Index ranges follow the data files and scripts,
// which address entries by number, so index 0 entries exist even where they stay empty.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "state/rng.h"

namespace lum {

using byte = std::uint8_t;

// Character states.
enum : byte {
    kStateEmpty = 0,     // 居ない
    kStateNormal = 1,    // 通常
    kStateDown = 2,      // 戦闘不能
    kStateSpirit = 3,    // 霊 (still acts)
    kStatePetrified = 4  // 石化
};

// Roles of chara slots.
inline constexpr int kCharaCount = 31;  // 0..30
inline constexpr int kFirstParty = 1, kLastParty = 5;
inline constexpr int kFirstReserve = 6, kLastReserve = 10;
inline constexpr int kFirstEnemy = 11, kLastEnemy = 15;
inline constexpr int kSavedCharas = 28;  // 0..27 are written by save_game

struct TChara {
    std::string name;
    std::string profile;
    std::string aiko_name;
    byte state = 0;
    byte job = 0;
    byte x = 0;
    byte y = 0;
    int level = 0;
    int hp = 0;
    int mp = 0;
    int max_hp = 0;
    int max_mp = 0;
    // The ten attributes, always in this order: 体力 魔力 秩序 冷静 機工 正義 闇 獣 過去 速さ.
    int body = 0;
    int magic = 0;
    int order = 0;
    int calm = 0;
    int mech = 0;
    int justice = 0;
    int dark = 0;
    int beast = 0;
    int past = 0;
    int speed = 0;
    int lifespan = 0;
    int sex = 0;  // 0 ♂, 1 ♀, 2 ×, 3 §
    int exp = 0;
    int aiko_power = 0;
    int oath = 0;
    int oath_count = 0;

    // Attribute k (0..9) in the fixed order; out-of-range k gives a dummy.
    int& attr(int k);
    int attr(int k) const;

    bool operator==(const TChara&) const = default;
};

inline constexpr int kAttrCount = 10;

struct TEnemyEntry {
    std::string name;
    std::string profile;
    std::string sprite_file;    // under cg/, empty = class picture unit<job>.bmp
    std::string portrait_file;  // under cg/, empty = copy of the sprite
    byte sex = 0;
    byte job = 0;
    byte state = 0;  // nonzero = takes part
    std::string speech;

    bool operator==(const TEnemyEntry&) const = default;
};

struct TScriptLine {
    byte code = 0;
    std::string arg;

    bool operator==(const TScriptLine&) const = default;
};

struct TSkill {
    std::string name;
    std::string text1;
    std::string text2;
    bool operator==(const TSkill&) const = default;
};

struct TItem {
    std::string name;
    std::string text;
    int kind = 0;   // 24 楽譜, 100..110 剣タイプ, 111 card
    int value = 0;  // price or number depending on kind
    bool operator==(const TItem&) const = default;
};

struct TJob {
    std::string name;
    std::string about;
    std::string growth_text;
    std::string skills_text;
    int req_level = 0;
    std::array<int, kAttrCount> req{};
    int sex_rule = 0;  // 0 ♂ only, 1 ♀ only, 2 both
    int ark_cost = 0;
    std::array<int, kAttrCount> growth{};
    bool operator==(const TJob&) const = default;
};

struct TPlace {
    std::string name;
    std::string text;
    std::string map_file;
    std::string spare;
    bool operator==(const TPlace&) const = default;
};

inline constexpr int kItemCount = 513;  // 0..512; 256..512 are card slots
inline constexpr int kFirstCardSlot = 256;
inline constexpr int kPlaceCount = 256;
inline constexpr int kSkillFamilies = 51;  // 0..50; 1..25 are filled
inline constexpr int kSkillSlots = 5;      // 0..4; 1..4 are filled
inline constexpr int kFilledFamilies = 25;
inline constexpr int kJobCount = 51;
inline constexpr int kAikoCount = 101;
inline constexpr int kNameCount = 226;
inline constexpr int kOathCount = 256;
inline constexpr int kScriptLines = 100;
inline constexpr int kStageEnemies = 5;
inline constexpr int kGridMin = -20, kGridMax = 20;
inline constexpr int kEndingStage = 61;  // the stage of the endings

// Occupancy of battle squares, with a margin so scans may step off the 7 x 5 board.
class Grid {
  public:
    // 0 outside -20..20.
    byte at(int x, int y) const;
    // Writes outside -20..20 are skipped.
    void set(int x, int y, byte v);
    void clear() { cells_.fill(0); }

  private:
    static constexpr int kSide = kGridMax - kGridMin + 1;
    std::array<byte, kSide * kSide> cells_{};
};

struct GameState {
    // --- 1. saved header
    std::string player_name;
    int clear_mark = 0;
    int money = 0;
    int ark = 0;
    int stage_no = 0;
    std::string spare_text1, spare_text2, spare_text3;

    // --- 2. flag arrays
    std::array<int, kItemCount> item_owned{};
    std::array<byte, kPlaceCount> place_flags{};
    std::array<byte, kSkillFamilies> skill_flags{};

    // --- 3. characters
    std::array<TChara, kCharaCount> chara{};

    // --- 4. master tables
    std::array<std::array<TSkill, kSkillSlots>, kSkillFamilies> skill_table{};
    std::array<TItem, kItemCount> item_table{};
    std::array<TJob, kJobCount> job_table{};
    std::array<std::string, kAikoCount> aiko_names{};
    std::array<TPlace, kPlaceCount> place_table{};
    std::array<std::string, kNameCount> name_table{};
    std::array<std::string, kOathCount> oath_table{};

    // --- 5. stage and people data
    std::array<TEnemyEntry, kStageEnemies> stage_enemies{};
    std::array<TEnemyEntry, kStageEnemies> people_enemies{};
    std::array<TScriptLine, kScriptLines> script{};
    std::array<TScriptLine, kScriptLines> people_script{};

    // --- 6. battle state (not saved)
    Grid grid;
    byte cur_unit = 0;
    byte sel_unit = 0;
    byte skill_family = 0;
    byte skill_slot = 0;
    byte target_unit = 0;
    byte battle_area = 0;
    int enemy_phase = 0;
    std::string enemy_act_msg, enemy_result_msg;
    int player_phase = 0;
    std::string player_act_msg, player_result_msg;

    // --- 7. story and travel screen state (not saved)
    byte script_pos = 0;
    int char_pos = 0;
    bool people_mode = false;
    int char_delay_ms = 40;
    int scroll_row = -1;
    bool ending_music_started = false;
    byte edit_slot = 0;
    byte sel_job = 0;
    int sel_item = 0;
    int people_no = 0;  // the people file being played (load_people)

    // --- 8. settings (not saved)
    int speed_ms = 500;
    int auto_speed = 5;                // the story's auto mode: 1 quick .. 9 slow
    bool skip_unread = false;          // the story's fast-forward skips lines not read yet too
    bool one_box_per_message = false;  // a battle's growth boxes one by one, not gathered
    bool battle_effects = true;  // 戦闘演出: floating amounts and hit flashes on the board
    bool save_on_close = true;
    // The save pair on disk was found damaged at the last load: the next save must not make
    // it the backup pair.
    bool keep_backup_pair = false;

    // The game folder: dat/, cg/ and mid/ live beneath it.
    std::filesystem::path game_dir;
    // Where the save's two files (my.dat, item.dat) and their backups live; empty: the game
    // folder's dat/ (see state/save_location.h).
    std::filesystem::path save_dir;

    Rng rng;

    int random(int n) { return rng.random(n); }

    // Bounded look-ups: an index from data or play outside the table gives an empty entry.
    const TJob& job_at(int i) const;
    const std::string& aiko_name_at(int i) const;
    const std::string& oath_at(int i) const;  // raw entry, may be empty
    std::string oath_text(int i) const;       // "不明" for an empty entry
    const TItem& item_at(int i) const;
    const TPlace& place_at(int i) const;
    const TSkill& skill_at(int family, int slot) const;
    TChara& chara_at(int i);  // dummy record for an index outside 0..30

    // A file of dat/; the save's own files come from save_dir when one is set.
    std::filesystem::path dat_path(const std::string& file) const {
        if (!save_dir.empty() && (file == "my.dat" || file == "item.dat")) return save_dir / file;
        return game_dir / "dat" / file;
    }
    std::filesystem::path cg_path(const std::string& file) const { return game_dir / "cg" / file; }
    std::filesystem::path mid_path(const std::string& file) const {
        return game_dir / "mid" / file;
    }
};

// For characters 1..10: hp := max_hp, mp := max_mp, state := 1 unless it is 0.
void restore_roster(GameState& gs);

}  // namespace lum
