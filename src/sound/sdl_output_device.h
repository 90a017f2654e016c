#pragma once

// The wave output device on SDL2 audio. SDL's audio thread plays the written blocks in
// order from private copies (so the mixer may re-mix a block it has taken back while the
// device still holds it) and reports each finished block to the sink from that thread.

#include <SDL2/SDL.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sound/mixer/output_device.h"

namespace lum {

struct SdlApi;

// Scales 8-bit unsigned samples about the silence level 128: each becomes
// 128 + (sample - 128) x percent / 100, truncated toward 128. 100 keeps them; 0 silences.
void scale_u8_samples(std::uint8_t* data, std::size_t n, int percent);

class SdlOutputDevice : public mix::OutputDevice {
  public:
    // nullptr, with the reason in `why`, when SDL2 cannot be loaded or its audio cannot start.
    static std::unique_ptr<SdlOutputDevice> create(std::string* why);
    ~SdlOutputDevice() override;

    int device_count() override;
    bool caps(int device_id, mix::DeviceCaps& out) override;
    bool supports(int device_id, const mix::WaveFormat& format) override;
    int open(int device_id, const mix::WaveFormat& format, mix::BlockDoneSink* sink) override;
    void close() override;
    int prepare(mix::OutputBlock& block) override;
    void unprepare(mix::OutputBlock& block) override;
    bool write(mix::OutputBlock& block) override;
    void reset() override;
    void pause() override;
    void restart() override;
    std::uint32_t position() override { return position_.load(); }

    // The player's volume in percent, applied to what is sent to SDL: the blocks the mixer
    // wrote stay as they were. Any thread; takes effect from the next few milliseconds.
    void set_volume(int percent) { volume_ = percent; }
    int volume() const { return volume_.load(); }
    // The output the system default stands for (SDL's device name; empty: the system's
    // own). A name SDL no longer has falls back to the system default when opening.
    void set_preferred_output(std::string name) { preferred_ = std::move(name); }
    // The outputs SDL lists now.
    std::vector<std::string> output_names();

    // Times the device ran dry while a sound was going on (each gap counted once).
    int underruns() const { return underruns_.load(); }
    // SDL's reason for the last failed open.
    const std::string& last_error() const { return last_error_; }
    // Frames SDL asks for per callback, and the buffer it was given.
    int buffer_frames() const { return buffer_frames_; }

  private:
    explicit SdlOutputDevice(const SdlApi& sdl) : sdl_(sdl) {}
    const char* sdl_name(int device_id);
    static void callback(void* self, Uint8* stream, int len);
    void fill(Uint8* stream, int len);

    struct Entry {
        mix::OutputBlock* block;
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0;
    };

    const SdlApi& sdl_;
    SDL_AudioDeviceID dev_ = 0;
    mix::BlockDoneSink* sink_ = nullptr;
    std::mutex lock_;
    std::deque<Entry> queue_;
    std::atomic<std::uint32_t> position_{0};
    std::atomic<int> underruns_{0};
    std::atomic<int> volume_{100};
    std::string preferred_;
    bool had_data_ = false;  // audio thread only
    int buffer_frames_ = 0;
    std::string last_error_;
};

}  // namespace lum
