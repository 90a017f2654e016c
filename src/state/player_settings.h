#pragma once

// The player's settings: sound, the two speeds, the window and the music's SoundFont. Kept
// between runs in a key/value store (the Qt side puts it in a QSettings file under
// $XDG_CONFIG_HOME/luminaria/); values that cannot be used fall back to their defaults.
// The story text speed and the battle speed are the game state's own `char_delay_ms` and
// `speed_ms`, the values the travel and battle sliders set.

#include <functional>
#include <optional>
#include <string>

#include "state/game_state.h"
#include "state/window_scale.h"

namespace lum {

struct PlayerSettings {
    int music_volume = 100;   // percent of the music's normal loudness
    int effect_volume = 100;  // percent of the effects' full scale
    bool muted = false;
    int char_delay_ms = 40;            // the story text speed
    int speed_ms = 500;                // the battle speed
    int auto_speed = 5;                // the story's auto mode, 1 quick .. 9 slow
    bool skip_unread = false;          // the story's fast-forward skips lines not read yet too
    bool one_box_per_message = false;  // a defeat's growth in its boxes one by one
    bool battle_effects = true;        // 戦闘演出: floating amounts and hit flashes in battle
    int zoom = 1;                      // whole-number window zoom
    bool fit_window = false;           // 画面に合わせる: the game fills the window, any size
    bool fit_full_screen = true;       // full screen fills the screen (else the zoom, centred)
    bool smooth_scaling = false;       // pictures at a scale that is not whole: smooth or sharp
    bool full_screen = false;
    std::string audio_device;  // the output's name as SDL lists it; empty: the system default
    std::string soundfont;     // a .sf2 file; empty: the General MIDI SoundFont found
    std::optional<std::pair<int, int>> window_pos;  // top-left on the desktop
    // The size of a window that fits the game, in device pixels.
    std::optional<std::pair<int, int>> window_size;

    bool operator==(const PlayerSettings&) const = default;
};

inline constexpr int kMaxVolume = 100;
inline constexpr int kMaxWindowSide = 32767;  // X11 keeps window sizes in 16 bits
inline constexpr int kSpeedPositions = 9;     // both sliders run from 1 to 9

// The sliders' rules: the battle speed slider sets speed_ms to position x 52 + 260, the text
// speed slider char_delay_ms to position x 10.
constexpr int battle_speed_ms(int position) {
    return position * 52 + 260;
}
constexpr int text_delay_ms(int position) {
    return position * 10;
}
// The slider position nearest a value (ties to the slower), for showing the knob.
int battle_speed_position(int speed_ms);
int text_speed_position(int char_delay_ms);

// The keys of every screen and what a game controller presses for them, for the settings
// dialog (and the README says the same).
struct KeyHelp {
    const char* where;
    const char* keys;
    const char* pad;  // empty: no pad input of its own
    const char* action;
};
inline constexpr KeyHelp kKeyHelp[] = {
    {"どこでも", "F1", "", "ヘルプ（もう一度 F1 か Esc で閉じる）"},
    {"どこでも", "F2", "Start", "設定"},
    {"どこでも", "F11 / Alt+Enter", "", "全画面表示の切り替え"},
    {"どこでも", "↑ ↓ ← →", "十字キー / 左スティック", "パネルの中でボタンを選ぶ"},
    {"どこでも", "Tab / Shift+Tab", "RB / LB", "隣のパネルへ"},
    {"どこでも", "Enter / Space", "A", "選んだボタンを押す（戦闘の Space は早送り）"},
    {"トラベル", "Tab / 矢印キー", "RB / 十字キー", "場所を順に選ぶ"},
    {"トラベル", "Enter", "A", "選んだ場所を訪れる"},
    {"トラベル", "Menu", "X", "アイテムの一覧へ"},
    {"トラベル", "Esc", "B", "店の画面を閉じる"},
    {"トラベル", "S", "", "セーブ"},
    {"戦闘", "1〜6", "", "コマンドを選ぶ"},
    {"戦闘", "Menu", "X", "コマンドに戻る"},
    {"戦闘", "Esc", "B", "取り消し（開いたボタンに戻る）"},
    {"戦闘", "矢印キー", "十字キー", "一歩動く（移動パネルが開いている間）"},
    {"戦闘", "矢印キー + Enter", "十字キー + A", "ワープ先のマスを選ぶ（飛法がマスを待つ間）"},
    {"戦闘", "Space / Ctrl 長押し", "RT 長押し", "早送り"},
    {"戦闘", "L", "Back", "ログ（L / Esc で閉じる）"},
    {"戦闘", "H / Shift+H", "Y", "盤のユニットを順に調べる（ステータスを表示）"},
    {"ストーリー", "クリック / Enter / Space", "A", "次へ（選択肢では選んだ答え）"},
    {"ストーリー", "Ctrl", "RT 長押し", "既読の早送り（設定で未読も）"},
    {"ストーリー", "A", "", "オート"},
    {"ストーリー", "L / PageUp / ホイール↑", "Back", "バックログ"},
    {"ストーリー", "H / 右クリック", "Y", "文章枠を隠す"},
    {"ダイアログ", "Enter", "A", "はい / 決定"},
    {"ダイアログ", "Esc", "B", "いいえ / 閉じる"},
};

// Where the settings are kept. Keys are plain ASCII words ("sound/music_volume").
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Empty when the store could be read; else why not (the file is then ignored).
    virtual std::string fault() const = 0;
    virtual std::optional<std::string> get(const std::string& key) const = 0;
    virtual void set(const std::string& key, const std::string& value) = 0;
    virtual void remove(const std::string& key) = 0;
    // Writes what was set; false when it cannot (the previous file is then kept whole).
    virtual bool flush() = 0;
    // Why the last flush failed: the file and the reason; empty after one that succeeded.
    virtual std::string write_fault() const { return {}; }
    // The file's name, for messages.
    virtual std::string name() const = 0;
};

struct LoadedSettings {
    PlayerSettings values;
    // One line naming what was replaced by its default, and why; empty when all was usable.
    std::string complaint;
};

// Reads every key; a value out of range, not a number, or a SoundFont that is not there
// falls back to its default. `file_exists` is asked about the SoundFont.
LoadedSettings load_settings(const SettingsStore& store,
                             const std::function<bool(const std::string&)>& file_exists);
void save_settings(SettingsStore& store, const PlayerSettings& s);

// The two speeds live in the game state while the game runs.
void settings_to_state(const PlayerSettings& s, GameState& gs);
void settings_from_state(PlayerSettings& s, const GameState& gs);

}  // namespace lum
