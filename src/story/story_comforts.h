#pragma once

// What players of story games expect beside the scripts' own rules: a history of the lines
// shown (the backlog), the pause of auto mode, and the record of which lines were read (for
// skipping only what was read). Qt-free; the story model keeps them.

#include <array>
#include <bitset>
#include <deque>
#include <filesystem>
#include <map>
#include <string>

#include "state/game_state.h"

namespace lum {

struct BacklogLine {
    std::string speaker;  // empty when the line names nobody
    std::string text;
    bool operator==(const BacklogLine&) const = default;
};

// The last 300 lines shown, oldest first, across scenes, for the running game.
class Backlog {
  public:
    static constexpr size_t kMaxLines = 300;

    // A script text: "名前「……」" names its speaker, who is kept apart from the words.
    void add_text(const std::string& text);
    // A line that names nobody (a title card, a choice, its answer).
    void add_plain(const std::string& text);
    const std::deque<BacklogLine>& lines() const { return lines_; }

  private:
    std::deque<BacklogLine> lines_;
};

// Auto mode's pause once a line is completely shown: a base and a time per character, the
// setting (1 quick .. 9 slow) setting the latter.
inline constexpr int kAutoSpeeds = 9;
inline constexpr int kDefaultAutoSpeed = 5;
int auto_pause_ms(int characters, int auto_speed);

// Which entries of which scripts were read ("story12", "people3"), kept in a small text file
// beside the save, across runs and new games.
class ReadRecord {
  public:
    static constexpr const char* kFileName = "read_lines.txt";

    bool seen(const std::string& script, int entry) const;
    void mark(const std::string& script, int entry);
    bool changed() const { return changed_; }

    // Reads the file; none is an empty record. A damaged one is renamed to ".bad" and an empty
    // record starts: `notice` then says so (it stays empty otherwise).
    static ReadRecord load(const std::filesystem::path& file, std::string& notice);
    // Writes the file whole or not at all; a failure is a DataError naming it and the reason.
    void save(const std::filesystem::path& file);

  private:
    std::map<std::string, std::bitset<kScriptLines>> read_;
    bool changed_ = false;
};

}  // namespace lum
