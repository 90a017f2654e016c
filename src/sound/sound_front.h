#pragma once

// The game's sound front: the five sound operations every screen calls, on the mixer's
// four channels (0 ok sound, 1 step sound, 2 and 3 effects) and on a MIDI music player.
// Sound never stops the game: every failure is swallowed, and a machine without an audio
// device, a SoundFont, SDL2 or FluidSynth runs without effects or music after one line on
// stderr for each.
//
// Single-threaded apart from `wake`: the audio thread calls it when a block is done, and
// the owner answers by calling pump() on its own (GUI) thread.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "sound/mixer/output_device.h"
#include "sound/mixer/sound_mixer.h"
#include "sound/music_player.h"
#include "state/game_state.h"
#include "state/ports.h"

namespace lum {

// The player's loudness settings, in percent.
struct SoundLevels {
    int effects = 100;
    int music = 100;
    bool muted = false;
};

struct SoundFrontOptions {
    std::filesystem::path game_dir;   // waves and music are read from its mid/ folder
    bool installed = false;           // the player's own MIXER.INI comes before game_dir's
    GameState* state = nullptr;       // the credits roll and the ending music flag
    std::function<void()> wake;       // may be called from the audio thread
    std::ostream* log = nullptr;      // where the one "running silently" line goes; stderr
    std::string output_device;        // SDL's name for the output; empty: the system default
    std::filesystem::path soundfont;  // empty: find_soundfont()
    SoundLevels levels;

    // Stand-ins for tests. Without them the front loads and opens SDL2 and FluidSynth; music
    // is off when the environment sets LUM_NO_MUSIC=1.
    mix::OutputDevice* device = nullptr;
    mix::MixerClock* clock = nullptr;
    std::unique_ptr<MusicBackend> music;
    bool no_music = false;
};

class SdlOutputDevice;

class SoundFront : public Sound {
  public:
    // Starts the mixer (channels 0..3 open) and preloads on1.wav and three foot.wav.
    explicit SoundFront(SoundFrontOptions options);
    // Frees the four waves (fx3, fx2, step, ok), then the mixer and the music.
    ~SoundFront() override;

    void play_ok_sound() override;
    void play_step_sound() override;
    void play_effect(const std::string& wave) override;
    void play_effect3(const std::string& wave) override;
    void play_music(const std::string& midi) override;

    // On the GUI thread, after each wake and from a periodic timer: refills the output
    // blocks, releases superseded waves, and handles the end of a piece of music.
    void pump();

    // Which screen shows: music loops on the battle screen (and its title box); after the
    // credits roll has started on the story screen the ending pieces follow.
    void set_visible_screen(ScreenId s) { visible_ = s; }

    // Effects are scaled on their way to the device, never in the mixer; music through the
    // synthesizer's gain.
    void set_levels(const SoundLevels& levels);
    // The outputs the sound system lists (empty without SDL).
    std::vector<std::string> output_names();

    bool effects_on() const { return mixer_ != nullptr; }
    bool music_on() const { return music_ != nullptr; }
    const std::string& current_music() const { return music_name_; }
    mix::SoundMixer* mixer() { return mixer_.get(); }
    // Superseded effect waves still waiting for their channel to finish with them.
    std::size_t retired_waves() const { return retired_.size(); }

  private:
    void play_named(int channel, mix::TSoundWave*& slot, const std::string& name);
    void play_held(int channel, mix::TSoundWave* wave);
    mix::TSoundWave* load(const std::string& name);
    void release_retired();
    void music_done();
    void say(const std::string& line);

    std::filesystem::path mid_dir_;
    GameState* state_;
    std::ostream* log_;
    ScreenId visible_ = ScreenId::battle;

    std::unique_ptr<SdlOutputDevice> sdl_device_;
    mix::SteadyClock steady_clock_;
    std::unique_ptr<mix::SoundMixer> mixer_;
    mix::TSoundWave* wave_ok_ = nullptr;
    mix::TSoundWave* wave_step_ = nullptr;
    mix::TSoundWave* wave_fx2_ = nullptr;
    mix::TSoundWave* wave_fx3_ = nullptr;
    std::vector<mix::TSoundWave*> retired_;

    std::unique_ptr<MusicBackend> music_;
    std::string music_name_;
};

}  // namespace lum
