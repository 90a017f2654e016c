#include "sound/mixer/sound_mixer.h"

namespace lum::mix {

SoundMixer::SoundMixer(MixerHost host, const MixerConfig* config) {
    session_ = mixer_init(config, std::move(host));
    if (session_ == nullptr) throw EMixerError("Initialization failed (mixer_init)");
    request_.session = session_;
}

SoundMixer::~SoundMixer() {
    try {
        set_channels(0);
    } catch (const EMixerError&) {
    }
    try {
        set_activated(false);
    } catch (const EMixerError&) {
    }
    try {
        mixer_end_session(session_);
    } catch (const EMixerError&) {
    }
}

void SoundMixer::set_activated(bool on) {
    if (on == activated_) return;
    mixer_activate(session_, on);
    activated_ = on;
}

void SoundMixer::set_channels(std::uint8_t mask) {
    if (mask == channels_) return;
    if (mask == 255) {
        mixer_open_channels(session_, 0, 1);
        channels_ = 255;
        return;
    }
    if (mask == 0) {
        if (channels_ != 0) mixer_close_channels(session_, 0, 1);
        channels_ = 0;
        return;
    }
    for (int ch = 0; ch < kMixerChannels; ++ch) {
        const std::uint8_t bit = static_cast<std::uint8_t>(1u << ch);
        if ((mask & bit) == (channels_ & bit)) continue;
        if (mask & bit) {
            mixer_open_channels(session_, ch, 0);
        } else {
            mixer_close_channels(session_, ch, 0);
        }
        channels_ ^= bit;
    }
}

TSoundWave* SoundMixer::load_wave(const std::string& file_name) {
    WaveSource src;
    src.kind = kWaveFromFile;
    src.name = file_name;
    return mixer_load_wave(session_, src);
}

void SoundMixer::release_wave(TSoundWave* wave) {
    mixer_release_wave(session_, wave);
}

void SoundMixer::play(int channel, TSoundWave* wave, PlayNotifyTarget* notify, std::uint32_t flags,
                      std::uint16_t loops) {
    request_.channel = channel;
    request_.wave = wave;
    request_.notify_window = notify;
    request_.flags = flags;
    request_.loops = loops;
    mixer_play(&request_);
}

}  // namespace lum::mix
