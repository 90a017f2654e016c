#pragma once

// The mixer as the battle screen holds it: a session with an on/off switch for the device,
// a bit mask of open channels, and file waves to load, release and play.

#include <cstdint>
#include <string>

#include "sound/mixer/mixer.h"

namespace lum::mix {

class SoundMixer {
  public:
    // Starts the session; raises EMixerError when it cannot.
    explicit SoundMixer(MixerHost host, const MixerConfig* config = nullptr);
    // Closes every channel, gives the device back and ends the session; never throws.
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    bool activated() const { return activated_; }
    void set_activated(bool on);
    // Bit i = channel i open; 255 opens all eight, 0 closes all.
    std::uint8_t channels() const { return channels_; }
    void set_channels(std::uint8_t mask);

    TSoundWave* load_wave(const std::string& file_name);
    void release_wave(TSoundWave* wave);
    void play(int channel, TSoundWave* wave, PlayNotifyTarget* notify, std::uint32_t flags,
              std::uint16_t loops);

    TMixerSession* session() const { return session_; }

  private:
    TMixerSession* session_ = nullptr;
    TPlayRequest request_;
    bool activated_ = false;
    std::uint8_t channels_ = 0;
};

}  // namespace lum::mix
