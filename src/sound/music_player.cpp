#include "sound/music_player.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "sound/fluid_api.h"

namespace lum {

namespace {

// FluidSynth writes its own complaints to stderr; the front reports one line instead.
void quiet_fluid_log(const FluidApi& fl) {
    static bool done = false;
    if (done) return;
    done = true;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fl.fluid_set_log_function(level, nullptr, nullptr);
    }
}

// FluidSynth's player only calls itself done some seconds after the last event; the piece
// has ended when the last tick is reached.
bool piece_over(const FluidApi& fl, fluid_player_t* player) {
    if (fl.fluid_player_get_status(player) == FLUID_PLAYER_DONE) return true;
    int total = fl.fluid_player_get_total_ticks(player);
    return total > 0 && fl.fluid_player_get_current_tick(player) >= total;
}

// Louder than FluidSynth's default, to sit beside the full-scale effects.
constexpr double kNormalGain = 0.6;

bool is_midi_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    char head[4] = {};
    return in.read(head, 4) && std::string(head, 4) == "MThd";
}

}  // namespace

std::filesystem::path find_soundfont() {
    std::error_code ec;
    if (const char* env = std::getenv("LUM_SOUNDFONT"); env && *env) {
        if (std::filesystem::is_regular_file(env, ec)) return env;
    }
    for (const char* p :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
        if (std::filesystem::is_regular_file(p, ec)) return p;
    }
    return {};
}

std::vector<std::filesystem::path> list_soundfonts() {
    namespace fs = std::filesystem;
    std::vector<fs::path> dirs{"/usr/share/sounds/sf2", "/usr/share/soundfonts"};
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        dirs.push_back(fs::path(xdg) / "soundfonts");
    else if (const char* home = std::getenv("HOME"); home && *home)
        dirs.push_back(fs::path(home) / ".local/share/soundfonts");
    std::vector<fs::path> found;
    for (const auto& d : dirs) {
        std::error_code ec;
        for (fs::directory_iterator it(d, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& p = it->path();
            std::string ext = p.extension().string();
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            std::error_code entry_ec;  // one unreadable entry must not end the folder's listing
            if (ext == ".sf2" && fs::is_regular_file(p, entry_ec)) found.push_back(p);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct FluidMusic::Impl {
    const FluidApi& fl;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    fluid_player_t* player = nullptr;
    bool reported = false;

    ~Impl() {
        if (player) {
            fl.fluid_player_stop(player);
            fl.delete_fluid_player(player);
        }
        if (driver) fl.delete_fluid_audio_driver(driver);
        if (synth) fl.delete_fluid_synth(synth);
        if (settings) fl.delete_fluid_settings(settings);
    }
};

FluidMusic::FluidMusic(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FluidMusic::~FluidMusic() = default;

std::unique_ptr<FluidMusic> FluidMusic::create(const std::filesystem::path& soundfont,
                                               std::string* why) {
    const FluidApi* api = fluid_api(why);
    if (!api) return nullptr;
    const FluidApi& fl = *api;
    quiet_fluid_log(fl);
    if (soundfont.empty()) {
        if (why) *why = "no General MIDI SoundFont found";
        return nullptr;
    }
    auto impl = std::unique_ptr<Impl>(new Impl{fl});
    impl->settings = fl.new_fluid_settings();
    if (!impl->settings) {
        if (why) *why = "cannot start FluidSynth";
        return nullptr;
    }
    fl.fluid_settings_setint(impl->settings, "synth.lock-memory", 0);
    fl.fluid_settings_setnum(impl->settings, "synth.gain", kNormalGain);
    impl->synth = fl.new_fluid_synth(impl->settings);
    if (!impl->synth || fl.fluid_synth_sfload(impl->synth, soundfont.c_str(), 1) == FLUID_FAILED) {
        if (why) *why = "cannot load the SoundFont " + soundfont.string();
        return nullptr;
    }
    // SDL first, so that music and effects follow the same choice of sound server.
    for (const char* driver : {"sdl2", "pulseaudio", "alsa"}) {
        fl.fluid_settings_setstr(impl->settings, "audio.driver", driver);
        impl->driver = fl.new_fluid_audio_driver(impl->settings, impl->synth);
        if (impl->driver) break;
    }
    if (!impl->driver) {
        if (why) *why = "no audio driver for music";
        return nullptr;
    }
    return std::unique_ptr<FluidMusic>(new FluidMusic(std::move(impl)));
}

bool FluidMusic::play(const std::filesystem::path& midi) {
    const FluidApi& fl = impl_->fl;
    stop();
    if (!is_midi_file(midi)) return false;
    impl_->player = fl.new_fluid_player(impl_->synth);
    if (!impl_->player) return false;
    if (fl.fluid_player_add(impl_->player, midi.c_str()) != FLUID_OK ||
        fl.fluid_player_play(impl_->player) != FLUID_OK) {
        stop();
        return false;
    }
    impl_->reported = false;
    return true;
}

void FluidMusic::stop() {
    const FluidApi& fl = impl_->fl;
    if (!impl_->player) return;
    fl.fluid_player_stop(impl_->player);
    fl.fluid_player_join(impl_->player);
    fl.delete_fluid_player(impl_->player);
    impl_->player = nullptr;
    fl.fluid_synth_all_sounds_off(impl_->synth, -1);
}

bool FluidMusic::take_finished() {
    if (!impl_->player || impl_->reported) return false;
    if (!piece_over(impl_->fl, impl_->player)) return false;
    impl_->reported = true;
    return true;
}

void FluidMusic::set_volume(int percent) {
    impl_->fl.fluid_synth_set_gain(impl_->synth, static_cast<float>(kNormalGain * percent / 100));
}

bool render_midi_to_wav(const std::filesystem::path& midi, const std::filesystem::path& soundfont,
                        const std::filesystem::path& wav, int sample_rate, std::string* why) {
    auto fail = [why](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    std::string load_why;
    const FluidApi* api = fluid_api(&load_why);
    if (!api) return fail(load_why);
    const FluidApi& fl = *api;
    quiet_fluid_log(fl);
    if (!is_midi_file(midi)) return fail(midi.string() + " is not a MIDI file");
    fluid_settings_t* settings = fl.new_fluid_settings();
    if (!settings) return fail("cannot start FluidSynth");
    fl.fluid_settings_setstr(settings, "audio.file.name", wav.c_str());
    fl.fluid_settings_setstr(settings, "audio.file.type", "wav");
    fl.fluid_settings_setstr(settings, "player.timing-source", "sample");
    fl.fluid_settings_setint(settings, "synth.lock-memory", 0);
    fl.fluid_settings_setnum(settings, "synth.sample-rate", sample_rate);
    fluid_synth_t* synth = fl.new_fluid_synth(settings);
    bool ok = false;
    std::string reason;
    if (!synth || fl.fluid_synth_sfload(synth, soundfont.c_str(), 1) == FLUID_FAILED) {
        reason = "cannot load the SoundFont " + soundfont.string();
    } else {
        fluid_player_t* player = fl.new_fluid_player(synth);
        fluid_file_renderer_t* renderer = nullptr;
        if (fl.fluid_player_add(player, midi.c_str()) != FLUID_OK ||
            fl.fluid_player_play(player) != FLUID_OK) {
            reason = "cannot play " + midi.string();
        } else if (!(renderer = fl.new_fluid_file_renderer(synth))) {
            reason = "cannot write " + wav.string();
        } else {
            // The piece, then a quarter of a second for the last notes to die away.
            int tail = sample_rate / 4;
            int period = 64;
            fl.fluid_settings_getint(settings, "audio.period-size", &period);
            ok = true;
            while (tail > 0) {
                if (fl.fluid_file_renderer_process_block(renderer) != FLUID_OK) {
                    // A full disk leaves a cut-off file: that is no rendering.
                    ok = false;
                    reason = "cannot write " + wav.string();
                    break;
                }
                if (piece_over(fl, player)) tail -= period;
            }
        }
        if (renderer) fl.delete_fluid_file_renderer(renderer);
        fl.delete_fluid_player(player);
    }
    if (synth) fl.delete_fluid_synth(synth);
    fl.delete_fluid_settings(settings);
    return ok ? true : fail(reason);
}

}  // namespace lum
