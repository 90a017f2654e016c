#pragma once

// A session on the virtual device, with helpers to load waves from memory and to let time
// pass the way the game's event loop would: the device plays, then its notices are pumped.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/mixer/mixer.h"
#include "sound/mixer/virtual_device.h"
#include "wave_bytes.h"

namespace lum::mix::test {

struct Posted {
    unsigned message;
    int channel;
    TSoundWave* wave;
    bool operator==(const Posted&) const = default;
};

class Recorder : public PlayNotifyTarget {
  public:
    void post(unsigned message, int channel, TSoundWave* wave) override {
        posted.push_back({message, channel, wave});
    }
    std::vector<Posted> posted;
};

class MixerTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (session_) mixer_end_session(session_);
    }

    // Small blocks keep the expected byte streams short.
    void start(const std::string& ini = "[default]\nBlockLen=512\nBlocks=2\n",
               const MixerConfig* config = nullptr, int channels = 8) {
        MixerHost host{&device_, &clock_, ProfileFile::parse(ini, "MIXER.INI"), {}, {}};
        session_ = mixer_init(config, host);
        mixer_activate(session_, true);
        if (channels > 0) mixer_open_channels(session_, channels, 2);
    }

    TSoundWave* wave(const Bytes& samples) {
        Bytes image = wav(1, 11025, 8, samples);
        WaveSource src{kWaveFromMemory, "", -1, image.data(), image.size()};
        return mixer_load_wave(session_, src);
    }

    void play(int channel, TSoundWave* w, std::uint32_t flags = 0, std::uint16_t loops = 0,
              PlayNotifyTarget* notify = nullptr) {
        TPlayRequest r;
        r.session = session_;
        r.channel = channel;
        r.wave = w;
        r.flags = flags;
        r.loops = loops;
        r.notify_window = notify;
        mixer_play(&r);
    }

    void run(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            device_.advance(1);
            mixer_pump(session_);
        }
    }

    std::string error_of(const std::function<void()>& f) {
        try {
            f();
        } catch (const EMixerError& e) {
            return e.what();
        }
        return "no error";
    }

    int queue_length(int ch) const {
        int n = 0;
        for (int i = session_->channel[ch]; i >= 0; i = session_->plays[i].next) ++n;
        return n;
    }
    TSoundWave* head_wave(int ch) const {
        int i = session_->channel[ch];
        return i >= 0 ? session_->plays[i].wave : nullptr;
    }

    VirtualClock clock_;
    VirtualDevice device_{clock_};
    TMixerSession* session_ = nullptr;
};

// Concatenates runs of bytes for the expected output.
inline Bytes runs(std::initializer_list<std::pair<std::size_t, std::uint8_t>> parts) {
    Bytes b;
    for (auto [n, v] : parts) b.insert(b.end(), n, v);
    return b;
}

}  // namespace lum::mix::test
