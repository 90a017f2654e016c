#pragma once

// The real-time wave mixer: several 8-bit PCM sounds queued on eight channels, summed in
// software into a small ring of output blocks that keeps one output device fed. One
// session per process, driven from one thread; the device reports finished blocks through
// a notice that the owner turns into a call of mixer_pump (or mixer_refill) on that thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sound/mixer/mixer_error.h"
#include "sound/mixer/mixer_settings.h"
#include "sound/mixer/mixer_types.h"
#include "sound/mixer/output_device.h"

namespace lum::mix {

inline constexpr std::uint32_t kSessionMagic = 0x5432;

// Optional configuration of mixer_init.
struct MixerConfig {
    std::uint16_t size = 10;
    std::uint16_t flags = 0;  // 1 channels given, 2 rate given
    std::uint16_t channels = 1;
    std::uint16_t rate = 11;  // 11, 22 or 44 (kHz)
};

// Reads a named wave of the game's own data ("resource" source); false when there is none.
using ResourceLoader = std::function<bool(const std::string& name, std::vector<std::uint8_t>&)>;

// A resource loader that reads `name` (or `name` + ".wav") from a folder.
ResourceLoader folder_resources(const std::string& folder);

// What a session works with. The device and the clock must outlive the session.
struct MixerHost {
    OutputDevice* device = nullptr;
    MixerClock* clock = nullptr;
    ProfileFile settings;
    ResourceLoader resources;
    // Called on the device's thread after each block-done notice, so that the owner can
    // schedule mixer_pump on its own thread.
    std::function<void()> wake;
};

// The hidden receiver of the device's block-done notices. Thread-safe: the device may post
// from its own thread; `wake` (also called on that thread) lets the owner schedule a pump.
class MixerNotify : public BlockDoneSink {
  public:
    void block_done() override;
    bool take() { return pending_.exchange(0) != 0; }
    std::function<void()> wake;

  private:
    std::atomic<int> pending_{0};
};

struct TQueuedPlay {
    int next = -1;  // next play of the channel (or of the pending list, or the free list)
    TPlayRequest request;
    TSoundWave* wave = nullptr;
    std::uint32_t length = 0;
    const std::uint8_t* data = nullptr;
    const std::uint8_t* last = nullptr;
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

enum class RemixStrategy { full, shift };

struct TMixerSession {
    std::uint32_t magic = 0;
    std::unique_ptr<MixerNotify> notify_window;
    OutputDevice* device = nullptr;
    MixerClock* clock = nullptr;
    std::uint8_t active = 0;
    std::int32_t device_id = OutputDevice::kDefaultDevice;
    std::string section;
    std::array<int, kMixerChannels> channel{};  // head play, kIdle or kClosed
    std::int32_t open_channels = 0;
    std::array<std::uint32_t, kMixerChannels> channel_stamp{};
    std::uint32_t play_counter = 0;
    WaveFormat out_format;
    std::uint32_t block_len = 2048;
    std::uint32_t block_count = 3;
    std::uint32_t mix_pos = 0;
    std::uint32_t time_base = 0;
    std::uint8_t device_position = 0;
    RemixStrategy remix = RemixStrategy::full;
    std::int32_t pos_adjust = 0;
    std::deque<int> pending;

    std::array<TQueuedPlay, kPlayPoolSize> plays{};
    int free_plays = -1;
    std::array<std::unique_ptr<OutputBlock>, kOutputBlocks> blocks;
    std::deque<OutputBlock*> at_device;  // written, in order
    std::set<const TSoundWave*> waves;   // loaded by this session and not yet released
    ResourceLoader resources;
    std::function<void()> wake;
    std::uint32_t magic2 = 0;

    static constexpr int kIdle = -1;
    static constexpr int kClosed = -2;
};

// Sources of mixer_load_wave.
enum : std::uint32_t { kWaveFromFile = 1, kWaveFromResource = 2, kWaveFromMemory = 4 };

struct WaveSource {
    std::uint32_t kind = kWaveFromFile;
    std::string name;            // file path or resource name
    int number = -1;             // numbered resource when `name` is empty
    const void* data = nullptr;  // memory image
    std::size_t size = 0;
};

TMixerSession* mixer_init(const MixerConfig* config, MixerHost host);
void mixer_activate(TMixerSession* session, bool on);
void mixer_open_channels(TMixerSession* session, int channel_or_count, int mode);
void mixer_close_channels(TMixerSession* session, int channel, int mode);
void mixer_clear_channels(TMixerSession* session, int channel, int mode);
TSoundWave* mixer_load_wave(TMixerSession* session, const WaveSource& source);
void mixer_release_wave(TMixerSession* session, TSoundWave* wave);
void mixer_play(const TPlayRequest* request);
void mixer_end_session(TMixerSession* session);
// Collects returned blocks, finishes plays and refills. Runs on every block-done notice.
void mixer_refill(TMixerSession* session);
// Runs mixer_refill once when the device has sent notices since the last pump; true then.
bool mixer_pump(TMixerSession* session);

// The play position now, in output bytes.
std::uint32_t mixer_position(TMixerSession* session);
// Whether a play of `wave` is still queued on a channel or pending.
bool mixer_wave_busy(TMixerSession* session, const TSoundWave* wave);

}  // namespace lum::mix
