#pragma once

// The mixer's settings file "MIXER.INI": a profile file of `[section]` headings and
// `key=value` lines whose values the mixer reads as integers. Sections and keys match
// without regard to ASCII case; the first of two equal keys wins; ';' starts a comment line.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lum::mix {

class ProfileFile {
  public:
    // An empty profile: every lookup gives its default.
    ProfileFile() = default;

    // Lines that cannot be read are skipped, each with a warning naming the file, the line
    // and the reason.
    static ProfileFile parse(std::string_view text, const std::string& file_name);
    // nullopt when the file cannot be opened.
    static std::optional<ProfileFile> load(const std::filesystem::path& path);

    bool has(std::string_view section, std::string_view key) const;
    // The integer at the start of the value (0 when it has none), or `fallback` when the key
    // is absent.
    int get_int(std::string_view section, std::string_view key, int fallback) const;

    const std::string& file_name() const { return file_name_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

  private:
    std::string file_name_;
    std::map<std::string, std::string> values_;  // "section\nkey" folded to lower case
    std::vector<std::string> warnings_;
};

inline constexpr const char* kMixerIniName = "MIXER.INI";

// The settings file beside the game, else the user's own (under $XDG_CONFIG_HOME or
// ~/.config, in luminaria/); empty when there is neither. An installed game's folder is
// shared and read-only, so there the user's own file comes first (`user_first`).
std::filesystem::path find_mixer_ini(const std::filesystem::path& game_dir,
                                     bool user_first = false);

// The settings in force: the file found, or an empty profile (every default).
ProfileFile load_mixer_settings(const std::filesystem::path& game_dir, bool user_first = false);

}  // namespace lum::mix
