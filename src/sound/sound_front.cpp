#include "sound/sound_front.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "sound/sdl_output_device.h"

namespace lum {

namespace {

bool env_is(const char* name, const char* value) {
    const char* v = std::getenv(name);
    return v && std::strcmp(v, value) == 0;
}

}  // namespace

SoundFront::SoundFront(SoundFrontOptions options)
    : mid_dir_(options.game_dir / "mid"),
      state_(options.state),
      log_(options.log ? options.log : &std::cerr) {
    mix::OutputDevice* device = options.device;
    mix::MixerClock* clock = options.clock ? options.clock : &steady_clock_;
    std::string why;
    if (!device) {
        sdl_device_ = SdlOutputDevice::create(&why);
        if (sdl_device_) sdl_device_->set_preferred_output(options.output_device);
        device = sdl_device_.get();
    }
    if (device) {
        try {
            mix::MixerHost host{device, clock,
                                mix::load_mixer_settings(options.game_dir, options.installed),
                                mix::folder_resources(mid_dir_.string()), options.wake};
            for (const std::string& w : host.settings.warnings()) say(w);
            mixer_ = std::make_unique<mix::SoundMixer>(std::move(host));
            mixer_->set_activated(true);
            mixer_->set_channels(15);
        } catch (const mix::EMixerError& e) {
            why = e.what();
            if (sdl_device_ && !sdl_device_->last_error().empty()) {
                why += " (" + sdl_device_->last_error() + ")";
            }
            mixer_.reset();
        }
    }
    if (!mixer_) say("no sound effects: " + why + "; the game runs without them");
    if (mixer_ && sdl_device_ && !sdl_device_->last_error().empty())
        say("sound output " + sdl_device_->last_error() + "; the system default plays instead");

    if (mixer_) {
        wave_ok_ = load("on1.wav");
        wave_step_ = load("foot.wav");
        wave_fx2_ = load("foot.wav");
        wave_fx3_ = load("foot.wav");
    }

    if (options.music) {
        music_ = std::move(options.music);
    } else if (!options.no_music && !env_is("LUM_NO_MUSIC", "1")) {
        if (env_is("SDL_AUDIODRIVER", "disk")) {
            // The disk driver has one output file, and the effects already write it.
            say("no music: the disk audio driver is in use");
        } else {
            std::string music_why;
            auto sf = options.soundfont.empty() ? find_soundfont() : options.soundfont;
            music_ = FluidMusic::create(sf, &music_why);
            if (!music_) say("no music: " + music_why + "; the game runs without it");
        }
    }
    set_levels(options.levels);
}

void SoundFront::set_levels(const SoundLevels& levels) {
    if (sdl_device_) sdl_device_->set_volume(levels.muted ? 0 : levels.effects);
    if (music_) {
        try {
            music_->set_volume(levels.muted ? 0 : levels.music);
        } catch (const std::exception&) {
        }
    }
}

std::vector<std::string> SoundFront::output_names() {
    return sdl_device_ ? sdl_device_->output_names() : std::vector<std::string>{};
}

SoundFront::~SoundFront() {
    if (music_) music_->stop();
    if (mixer_) {
        for (mix::TSoundWave* w : {wave_fx3_, wave_fx2_, wave_step_, wave_ok_}) {
            try {
                if (w) mixer_->release_wave(w);
            } catch (const mix::EMixerError&) {
            }
        }
        for (mix::TSoundWave* w : retired_) {
            try {
                mixer_->release_wave(w);
            } catch (const mix::EMixerError&) {
            }
        }
    }
    mixer_.reset();  // before the device it plays on
    music_.reset();
}

void SoundFront::say(const std::string& line) {
    *log_ << "luminaria: " << line << std::endl;
}

mix::TSoundWave* SoundFront::load(const std::string& name) {
    try {
        return mixer_->load_wave((mid_dir_ / name).string());
    } catch (const mix::EMixerError&) {
        return nullptr;
    }
}

void SoundFront::play_held(int channel, mix::TSoundWave* wave) {
    if (!mixer_) return;
    try {
        mixer_->play(channel, wave, nullptr, 0, 0);
    } catch (const std::exception&) {  // EMixerError, or memory
    }
}

void SoundFront::play_named(int channel, mix::TSoundWave*& slot, const std::string& name) {
    if (!mixer_) return;
    try {
        mix::TSoundWave* fresh = mixer_->load_wave((mid_dir_ / name).string());
        // The old wave may still be queued or sounding; it goes once the channel is done.
        if (slot) retired_.push_back(slot);
        slot = fresh;
        mixer_->play(channel, fresh, nullptr, 0, 0);
    } catch (const std::exception&) {  // EMixerError, or memory
    }
    release_retired();
}

void SoundFront::play_ok_sound() {
    play_held(0, wave_ok_);
}
void SoundFront::play_step_sound() {
    play_held(1, wave_step_);
}
void SoundFront::play_effect(const std::string& wave) {
    play_named(2, wave_fx2_, wave);
}
void SoundFront::play_effect3(const std::string& wave) {
    play_named(3, wave_fx3_, wave);
}

void SoundFront::play_music(const std::string& midi) {
    if (midi.empty() || !music_) return;
    try {
        if (midi == "not") {
            music_->stop();
            music_name_.clear();
            return;
        }
        music_name_ = midi;
        music_->play(mid_dir_ / midi);
    } catch (const std::exception&) {
    }
}

void SoundFront::release_retired() {
    if (!mixer_) return;
    for (auto it = retired_.begin(); it != retired_.end();) {
        try {
            if (!mix::mixer_wave_busy(mixer_->session(), *it)) {
                mixer_->release_wave(*it);
                it = retired_.erase(it);
                continue;
            }
        } catch (const mix::EMixerError&) {
            it = retired_.erase(it);
            continue;
        }
        ++it;
    }
}

void SoundFront::pump() {
    if (mixer_) {
        try {
            mix::mixer_pump(mixer_->session());
        } catch (const std::exception&) {
        }
        release_retired();
    }
    if (music_) {
        try {
            if (music_->take_finished()) music_done();
        } catch (const std::exception&) {
        }
    }
}

void SoundFront::music_done() {
    if (visible_ == ScreenId::battle && !music_name_.empty()) {
        play_music(music_name_);
        return;
    }
    if (visible_ == ScreenId::story && state_ && state_->scroll_row != -1) {
        if (!state_->ending_music_started) {
            state_->ending_music_started = true;
            play_music("fukai57a.mid");
        } else {
            play_music("spacial.mid");
        }
    }
}

}  // namespace lum
