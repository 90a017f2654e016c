#include "state/player_settings.h"

#include <charconv>
#include <cstdlib>
#include <vector>

namespace lum {

namespace {

// The nearest of positions 1..kSpeedPositions under `rule`; on a tie the higher position.
int nearest_position(int value, int (*rule)(int)) {
    int best = 1;
    for (int p = 2; p <= kSpeedPositions; ++p)
        if (std::abs(rule(p) - value) <= std::abs(rule(best) - value)) best = p;
    return best;
}

int battle_rule(int p) {
    return battle_speed_ms(p);
}
int text_rule(int p) {
    return text_delay_ms(p);
}

bool on_slider(int value, int (*rule)(int)) {
    for (int p = 1; p <= kSpeedPositions; ++p)
        if (rule(p) == value) return true;
    return false;
}

std::optional<int> whole_number(const std::string& s) {
    int v = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || ptr != end || s.empty()) return std::nullopt;
    return v;
}

class Reader {
  public:
    explicit Reader(const SettingsStore& store) : store_(store) {}

    // `accept` says why a value cannot be used (empty: it can).
    void integer(const char* key, int& out, const std::function<std::string(int)>& accept) {
        auto raw = store_.get(key);
        if (!raw) return;
        auto v = whole_number(*raw);
        std::string why = v ? accept(*v) : "is not a whole number";
        if (why.empty())
            out = *v;
        else
            reject(key, *raw, why);
    }
    void flag(const char* key, bool& out) {
        auto raw = store_.get(key);
        if (!raw) return;
        if (*raw == "true" || *raw == "1")
            out = true;
        else if (*raw == "false" || *raw == "0")
            out = false;
        else
            reject(key, *raw, "is neither true nor false");
    }
    std::optional<std::string> text(const char* key) const { return store_.get(key); }
    // Two whole numbers "a,b" that `accept` takes.
    void pair(const char* key, const char* form, std::optional<std::pair<int, int>>& out,
              bool (*accept)(int, int)) {
        auto raw = store_.get(key);
        if (!raw) return;
        auto comma = raw->find(',');
        std::optional<int> a, b;
        if (comma != std::string::npos) {
            a = whole_number(raw->substr(0, comma));
            b = whole_number(raw->substr(comma + 1));
        }
        if (a && b && accept(*a, *b))
            out = std::make_pair(*a, *b);
        else
            reject(key, *raw, std::string("is not \"") + form + "\"");
    }
    void reject(const std::string& key, const std::string& raw, const std::string& why) {
        faults_.push_back(key + " \"" + raw + "\" " + why);
    }
    std::string complaint() const {
        if (faults_.empty()) return {};
        std::string line;
        for (const auto& f : faults_) line += (line.empty() ? "" : "; ") + f;
        return line + (faults_.size() == 1 ? "; its default is used" : "; their defaults are used");
    }

  private:
    const SettingsStore& store_;
    std::vector<std::string> faults_;
};

std::function<std::string(int)> within(int lo, int hi) {
    return [lo, hi](int v) {
        return v >= lo && v <= hi ? std::string()
                                  : "is outside " + std::to_string(lo) + ".." + std::to_string(hi);
    };
}

}  // namespace

int battle_speed_position(int speed_ms) {
    return nearest_position(speed_ms, battle_rule);
}
int text_speed_position(int char_delay_ms) {
    return nearest_position(char_delay_ms, text_rule);
}

LoadedSettings load_settings(const SettingsStore& store,
                             const std::function<bool(const std::string&)>& file_exists) {
    LoadedSettings out;
    PlayerSettings& s = out.values;
    if (std::string fault = store.fault(); !fault.empty()) {
        out.complaint = fault + "; every setting takes its default";
        return out;
    }
    Reader r(store);
    r.integer("sound/music_volume", s.music_volume, within(0, kMaxVolume));
    r.integer("sound/effect_volume", s.effect_volume, within(0, kMaxVolume));
    r.flag("sound/muted", s.muted);
    if (auto dev = r.text("sound/output_device")) s.audio_device = *dev;
    if (auto sf = r.text("sound/soundfont"); sf && !sf->empty()) {
        if (file_exists(*sf))
            s.soundfont = *sf;
        else
            r.reject("sound/soundfont", *sf, "is not there");
    }
    r.integer("game/char_delay_ms", s.char_delay_ms, [](int v) {
        return v == 40 || on_slider(v, text_rule) ? std::string()
                                                  : std::string("is no text speed (10, 20 .. 90)");
    });
    r.integer("game/speed_ms", s.speed_ms, [](int v) {
        return v == 500 || on_slider(v, battle_rule)
                   ? std::string()
                   : std::string("is no battle speed (500, or 312, 364 .. 728)");
    });
    r.integer("game/auto_speed", s.auto_speed, within(1, kSpeedPositions));
    r.flag("game/skip_unread", s.skip_unread);
    r.flag("game/one_box_per_message", s.one_box_per_message);
    r.flag("game/battle_effects", s.battle_effects);
    r.integer("window/zoom", s.zoom, within(1, kMaxZoom));
    r.flag("window/fit", s.fit_window);
    r.flag("window/fit_full_screen", s.fit_full_screen);
    r.flag("window/smooth", s.smooth_scaling);
    r.flag("window/full_screen", s.full_screen);
    r.pair("window/position", "x,y", s.window_pos, [](int, int) { return true; });
    r.pair("window/size", "w,h", s.window_size, [](int w, int h) {
        return w > 0 && h > 0 && w <= kMaxWindowSide && h <= kMaxWindowSide;
    });
    out.complaint = r.complaint();
    return out;
}

void save_settings(SettingsStore& store, const PlayerSettings& s) {
    auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    store.set("sound/music_volume", std::to_string(s.music_volume));
    store.set("sound/effect_volume", std::to_string(s.effect_volume));
    store.set("sound/muted", flag(s.muted));
    store.set("sound/output_device", s.audio_device);
    store.set("sound/soundfont", s.soundfont);
    store.set("game/char_delay_ms", std::to_string(s.char_delay_ms));
    store.set("game/speed_ms", std::to_string(s.speed_ms));
    store.set("game/auto_speed", std::to_string(s.auto_speed));
    store.set("game/skip_unread", flag(s.skip_unread));
    store.set("game/one_box_per_message", flag(s.one_box_per_message));
    store.set("game/battle_effects", flag(s.battle_effects));
    store.set("window/zoom", std::to_string(s.zoom));
    store.set("window/fit", flag(s.fit_window));
    store.set("window/fit_full_screen", flag(s.fit_full_screen));
    store.set("window/smooth", flag(s.smooth_scaling));
    store.set("window/full_screen", flag(s.full_screen));
    auto pair = [&store](const char* key, const std::optional<std::pair<int, int>>& v) {
        if (v)
            store.set(key, std::to_string(v->first) + "," + std::to_string(v->second));
        else
            store.remove(key);
    };
    pair("window/position", s.window_pos);
    pair("window/size", s.window_size);
}

void settings_to_state(const PlayerSettings& s, GameState& gs) {
    gs.char_delay_ms = s.char_delay_ms;
    gs.speed_ms = s.speed_ms;
    gs.auto_speed = s.auto_speed;
    gs.skip_unread = s.skip_unread;
    gs.one_box_per_message = s.one_box_per_message;
    gs.battle_effects = s.battle_effects;
}

void settings_from_state(PlayerSettings& s, const GameState& gs) {
    s.char_delay_ms = gs.char_delay_ms;
    s.speed_ms = gs.speed_ms;
}

}  // namespace lum
